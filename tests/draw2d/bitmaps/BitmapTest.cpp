#include "draw2d/Bitmap.h"
#include "draw2d/ImageFilter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <tuple>

#include "BitmapFixtures.h"
#include "draw2d/BitmapObject.h"
#include "scene2d/Errors.h"
#include "scene2d/ReadLosses.h"

using fixtures::MakeBitmap;
using fixtures::NotifyLog;
using fixtures::PixelsOf;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// An image a backend would keep, telling when the bitmap frees it.
struct LoggedImage : TuiBitmapImage {
  explicit LoggedImage(std::vector<std::string>& L) : Log(L) {}
  ~LoggedImage() override { Log.push_back("image freed"); }
  std::vector<std::string>& Log;
};

TEST(Bitmap, EmptyBitmapHasNoMemoryAndWritesNoPicture) {
  for (auto [w, h] : {std::pair{0, 0}, {5, 0}, {0, 5}, {-3, 4}}) {
    TuiBitmap b(w, h);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.Bits(), nullptr);
    EXPECT_EQ(b.Scanline(0), nullptr);
    EXPECT_FALSE(b.ClassInfo().FindProperty("PNG")->IsStored(b)) << w << "x" << h;
    EXPECT_TRUE(b.SaveToBytes().empty());
  }
  TuiBitmap b(2, 3);
  EXPECT_TRUE(b.ClassInfo().FindProperty("PNG")->IsStored(b));
  EXPECT_THAT(PixelsOf(b), Each(0u));
  EXPECT_EQ(b.Scanline(2), b.Bits() + 4);
  EXPECT_EQ(b.Scanline(3), nullptr);
}

// A picture that does not decode leaves the bitmap empty and says so to
// whoever collects losses; one that decodes says nothing.
TEST(Bitmap, PictureThatDoesNotDecodeIsReportedAsALoss) {
  TuiBitmap picture;
  picture.SetSize(2, 1);
  const TuiBinary good = picture.PngData();
  TuiLossCollector collector;
  TuiBitmap b;
  b.SetPngData(good);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_TRUE(collector.Losses().empty());
  TuiBinary bad = good;
  bad.Bytes.resize(bad.Bytes.size() / 2);
  b.SetPngData(bad);
  ASSERT_EQ(collector.Losses().size(), 1u);
  EXPECT_EQ(collector.Losses()[0].What, "the image does not decode");
}

// A streamed picture writes back the file it was read from (here a PNG of an
// opaque picture, which the bitmap itself would write as a JPEG) until its
// pixels change by any path; then it is encoded afresh from the pixels.
TEST(Bitmap, StreamedPictureWritesBackItsOwnBytesUntilThePixelsChange) {
  const auto file = std::filesystem::temp_directory_path() / "bitmap_streamed_bytes.png";
  ASSERT_TRUE(fixtures::OpaqueGradient(8, 6)->SaveToFile(file.string()));
  TuiBinary png;
  {
    std::ifstream in(file, std::ios::binary);
    png.Bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }  // closed first: an open file cannot be removed on Windows
  std::filesystem::remove(file);
  ASSERT_TRUE(fixtures::StartsWith(png.Bytes, {0x89, 'P', 'N', 'G'}));

  const std::vector<std::pair<const char*, std::function<void(TuiBitmap&)>>> changes = {
      {"Clear", [](TuiBitmap& b) { b.Clear(0xFF102030); }},
      {"ClearRect",
       [](TuiBitmap& b) {
         b.ClearRect({0, 0, 2, 2}, 0xFF102030);
       }},
      {"FlipVertical", [](TuiBitmap& b) { b.FlipVertical(); }},
      {"written and reported",
       [](TuiBitmap& b) {
         b.Bits()[0] ^= 0x00FFFFFF;
         b.Changed();
       }},
      {"another picture assigned", [](TuiBitmap& b) { b.Assign(fixtures::OpaqueGradient(6, 8).get()); }},
      {"written without a report", [](TuiBitmap& b) { b.Bits()[0] ^= 0x00FFFFFF; }},
      {"resized", [](TuiBitmap& b) { b.SetSize(4, 4); }},
  };
  // A large JPEG is kept undecoded until its pixels are asked for; every way
  // of changing them must still make it encode afresh.
  const TuiBinary jpeg{fixtures::OpaqueGradient(320, 240)->SaveToBytes()};
  ASSERT_TRUE(fixtures::IsJpegFile(jpeg.Bytes));
  for (const TuiBinary& file : {png, jpeg})
    for (const auto& [what, change] : changes) {
      TuiBitmap b;
      b.SetPngData(file);
      EXPECT_EQ(b.PngData(), file) << what;
      EXPECT_EQ(b.PngData(), file) << what << ": asked twice";
      change(b);
      const TuiBinary fresh = b.PngData();
      EXPECT_NE(fresh, file) << what;
      EXPECT_EQ(fresh.Bytes, b.SaveToBytes()) << what << ": not encoded from the pixels";
    }

  // The same pixels assigned again still write the bytes read: they decode to
  // exactly those pixels.
  {
    TuiBitmap b;
    b.SetPngData(png);
    b.Assign(fixtures::OpaqueGradient(8, 6).get());
    EXPECT_EQ(b.PngData(), png);
  }

  // Bytes that do not decode leave the picture, and the bytes it writes, alone.
  TuiBitmap b;
  b.SetPngData(png);
  TuiLossCollector collector;
  b.SetPngData(TuiBinary{{1, 2, 3}});
  EXPECT_EQ(b.PngData(), png);
}

// A picture shown much smaller than it is must never need its full-size
// pixels, yet anyone asking for them gets exactly what an eager decode gives.
TEST(Bitmap, ALargeStreamedJpegDecodesWhenItsPixelsAreFirstAskedFor) {
  const TuiBinary jpeg{fixtures::OpaqueGradient(320, 240)->SaveToBytes()};
  int32_t w = 0, h = 0;
  if (TuiFilterRegistry::Instance().CreateDefault()->CheckShrinkable(jpeg.Bytes, 1, w, h) ==
      TuiFilter::TShrinkCheck::NotShrinkable)
    GTEST_SKIP() << "the system's image filter (GDI+) decodes no JPEG at a reduced size";
  TuiBitmap eager;
  ASSERT_TRUE(eager.LoadFromBytes(jpeg.Bytes));
  EXPECT_FALSE(eager.IsDeferred());

  TuiBitmap b;
  NotifyLog log(b);
  b.SetPngData(jpeg);
  EXPECT_THAT(log.Events, ElementsAre("before", "release", "after", "change", "loaded"));
  EXPECT_TRUE(b.IsDeferred());
  EXPECT_EQ(b.Width(), 320);
  EXPECT_EQ(b.Height(), 240);
  EXPECT_EQ(b.PngData(), jpeg);
  TuiBitmap copy;
  copy.Assign(&b);
  EXPECT_TRUE(b.IsDeferred());
  EXPECT_TRUE(copy.IsDeferred());

  // The decoder shrinks by halves down to an eighth, rounding sides up.
  const std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> sizes = {
      {80, 60, 80, 60}, {81, 60, 160, 120}, {1, 1, 40, 30}, {300, 10, 320, 240}};
  for (const auto& [w, h, expectW, expectH] : sizes) {
    std::unique_ptr<TuiBitmap> small = b.DecodedAtLeast(w, h);
    ASSERT_NE(small, nullptr) << w << "x" << h;
    EXPECT_EQ(small->Width(), expectW) << w << "x" << h;
    EXPECT_EQ(small->Height(), expectH) << w << "x" << h;
  }
  EXPECT_TRUE(b.IsDeferred());

  EXPECT_EQ(PixelsOf(b), PixelsOf(eager));
  EXPECT_FALSE(b.IsDeferred());
  EXPECT_EQ(b.DecodedAtLeast(80, 60), nullptr);
  EXPECT_EQ(b.PngData(), jpeg);
  EXPECT_EQ(PixelsOf(copy), PixelsOf(eager));
  // Decoding late changes nothing anyone has seen.
  EXPECT_THAT(log.Events, ElementsAre("before", "release", "after", "change", "loaded"));
}

// Damage the decoder can only patch up is refused when read, as for any
// picture, not discovered later when the pixels are wanted.
TEST(Bitmap, ADamagedLargeJpegIsRefusedWhenRead) {
  const TuiBinary good{fixtures::OpaqueGradient(320, 240)->SaveToBytes()};
  TuiBinary truncated = good;
  truncated.Bytes.resize(good.Bytes.size() * 2 / 3);
  TuiBinary scrambled = good;
  for (size_t i = good.Bytes.size() / 3; i < good.Bytes.size() / 3 + 64; ++i) scrambled.Bytes[i] = 0xFF;
  for (const TuiBinary& bad : {truncated, scrambled}) {
    ASSERT_FALSE(TuiBitmap().LoadFromBytes(bad.Bytes));
    TuiBitmap b(2, 2);
    b.Clear(0xFF102030);
    TuiLossCollector collector;
    b.SetPngData(bad);
    EXPECT_EQ(collector.Losses().size(), 1u);
    EXPECT_FALSE(b.IsDeferred());
    EXPECT_EQ(b.Width(), 2);
    EXPECT_THAT(PixelsOf(b), Each(0xFF102030u));
  }
}

TEST(Bitmap, SetSizeNotifiesOnlyForANewSizeAndClearsThePixels) {
  TuiBitmap b(2, 2);
  b.Clear(0xFFFFFFFF);
  NotifyLog log(b);
  const uint64_t count = b.ChangeCount();
  b.SetSize(2, 2);
  EXPECT_THAT(log.Events, IsEmpty());
  EXPECT_EQ(b.ChangeCount(), count);

  b.SetImage(TuiBitmap::StaticClass(), std::make_unique<LoggedImage>(log.Events));
  b.SetSize(3, 1);
  EXPECT_THAT(log.Events, ElementsAre("before", "release", "image freed", "after", "change"));
  EXPECT_EQ(b.Image(TuiBitmap::StaticClass()), nullptr);
  EXPECT_GT(b.ChangeCount(), count);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_THAT(PixelsOf(b), ElementsAre(0u, 0u, 0u));

  log.Events.clear();
  b.SetSize(0, 0);
  EXPECT_THAT(log.Events, ElementsAre("before", "release", "after", "change"));
  EXPECT_EQ(b.Bits(), nullptr);
}

TEST(Bitmap, DestructionReleasesTheBackendImage) {
  std::vector<std::string> events;
  {
    TuiBitmap b(1, 1);
    b.OnReleaseImage = [&](TuiBitmap*) { events.push_back("release"); };
  }
  EXPECT_THAT(events, ElementsAre("release"));
}

TEST(Bitmap, EachKeyKeepsItsOwnImageAndItsOwnPendingChanges) {
  // Any class info serves as a key; backends use their canvas class's.
  const TuiClassInfo& first = TuiBitmap::StaticClass();
  const TuiClassInfo& second = TuiBitmapObject::StaticClass();
  std::vector<std::string> freed;
  {
    TuiBitmap b(8, 8);
    TuiBitmapImage* one = b.SetImage(first, std::make_unique<LoggedImage>(freed));
    TuiBitmapImage* two = b.SetImage(second, std::make_unique<LoggedImage>(freed));
    EXPECT_EQ(b.Image(first), one);
    EXPECT_EQ(b.Image(second), two);
    EXPECT_TRUE(one->IsCurrent(b));

    b.ClearRect({1, 1, 3, 2}, 0xFFFFFFFF);
    EXPECT_EQ(one->TakePending(b), (TuiPixelRect{1, 1, 3, 2}));
    EXPECT_TRUE(one->IsCurrent(b));
    EXPECT_FALSE(two->IsCurrent(b)) << "one image catching up leaves the other behind";

    b.ClearRect({6, 5, 7, 8}, 0xFFFFFFFF);
    EXPECT_EQ(one->Pending, (TuiPixelRect{6, 5, 7, 8}));
    EXPECT_EQ(two->Pending, (TuiPixelRect{1, 1, 7, 8})) << "changes add up until taken";

    // A canvas of the first class drew into the pixels: its image is that
    // memory, the other one is not.
    one->TakePending(b);
    b.PixelsWritten({-5, 7, 2, 99}, &first);
    EXPECT_TRUE(one->IsCurrent(b));
    EXPECT_EQ(two->TakePending(b), (TuiPixelRect{0, 1, 7, 8}));
    const uint64_t count = b.ChangeCount();
    b.PixelsWritten({9, 9, 12, 12});
    EXPECT_EQ(b.ChangeCount(), count) << "nothing inside the bitmap, no change";

    b.Changed();
    EXPECT_EQ(one->Pending, b.Bounds());
    b.SetImage(first, nullptr);
    EXPECT_THAT(freed, ElementsAre("image freed"));
    EXPECT_EQ(b.Image(first), nullptr);
    EXPECT_EQ(b.Image(second), two);
  }
  EXPECT_THAT(freed, ElementsAre("image freed", "image freed")) << "the bitmap frees what is left";
}

TEST(Bitmap, ClearStoresThePremultipliedColour) {
  struct Case {
    TuiColor Color;
    uint32_t Stored;
  };
  for (Case c :
       {Case{0x80FF0000, 0x80800000}, {0x00FFFFFF, 0}, {0xFF123456, 0xFF123456}, {0x40FFFFFF, 0x40404040}}) {
    TuiBitmap b(3, 2);
    NotifyLog log(b);
    b.Clear(c.Color);
    EXPECT_THAT(PixelsOf(b), Each(c.Stored)) << std::hex << c.Color;
    EXPECT_THAT(log.Events, ElementsAre("change"));
  }
}

TEST(Bitmap, ClearRectFillsOnlyTheClippedWholePixels) {
  struct Case {
    TuiRect Rect;
    std::vector<int> Filled;  // row-major indices of a 4 x 3 bitmap
  };
  const Case cases[] = {
      // Left and top truncated, right and bottom rounded half to even.
      {{0.9f, 0.9f, 2.5f, 1.5f}, {0, 1, 4, 5}},
      {{1, 0, 3.5f, 0.6f}, {1, 2, 3}},
      // Partly outside: only the inside part.
      {{-2.7f, 1.2f, 1.6f, 10}, {4, 5, 8, 9}},
      {{3, -5, 100, 100}, {3, 7, 11}},
      // Wholly outside, inverted or degenerate: nothing.
      {{5, 0, 9, 3}, {}},
      {{3, 2, 1, 1}, {}},
      {{1, 1, 1.4f, 3}, {}},
      {{-1e30f, -1e30f, 1e30f, 1e30f}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
  };
  for (const Case& c : cases) {
    TuiBitmap b(4, 3);
    TuiBitmapImage* image = b.SetImage(TuiBitmap::StaticClass(), std::make_unique<TuiBitmapImage>());
    const uint64_t count = b.ChangeCount();
    NotifyLog log(b);
    b.ClearRect(c.Rect, 0x80FF0000);
    std::vector<int> filled;
    for (int i = 0; i < 12; ++i) {
      if (b.Bits()[i] == 0x80800000)
        filled.push_back(i);
      else
        EXPECT_EQ(b.Bits()[i], 0u);
    }
    EXPECT_EQ(filled, c.Filled) << c.Rect.Left << "," << c.Rect.Top << "," << c.Rect.Right << ","
                                << c.Rect.Bottom;
    EXPECT_THAT(log.Events, IsEmpty());
    EXPECT_EQ(b.ChangeCount() != count, !c.Filled.empty());
    TuiPixelRect box;
    for (int i : c.Filled) box.Add({i % 4, i / 4, i % 4 + 1, i / 4 + 1});
    EXPECT_EQ(image->Pending, box) << "what an image must take again";
    EXPECT_EQ(image->IsCurrent(b), c.Filled.empty());
  }
}

TEST(BitmapPixels, FlipVerticalSwapsRowsAndKeepsAnOddMiddleRow) {
  for (int h : {1, 2, 3, 4, 5}) {
    auto b = MakeBitmap(2, h, [](int32_t x, int32_t y) { return uint32_t(y * 10 + x); });
    const uint64_t count = b->ChangeCount();
    NotifyLog log(*b);
    b->FlipVertical();
    for (int y = 0; y < h; ++y)
      EXPECT_THAT(std::vector<uint32_t>(b->Scanline(y), b->Scanline(y) + 2),
                  ElementsAre(uint32_t((h - 1 - y) * 10), uint32_t((h - 1 - y) * 10 + 1)))
          << "height " << h << " row " << y;
    EXPECT_THAT(log.Events, ElementsAre("change"));
    EXPECT_GT(b->ChangeCount(), count);
  }
}

TEST(BitmapPixels, InvertAlpha) {
  auto b = MakeBitmap(4, 1, [](int32_t x, int32_t) {
    const uint32_t in[] = {0xFFFF0000, 0, 0x80800000, 0x40102030};
    return in[x];
  });
  NotifyLog log(*b);
  b->InvertAlpha();
  // 0x40102030 un-premultiplies (truncating) to 0x403F7FBF; alpha 0xBF then scales it back down.
  EXPECT_THAT(PixelsOf(*b), ElementsAre(0u, 0xFF000000u, 0x7F7F0000u, 0xBF2F5F8Fu));
  EXPECT_THAT(log.Events, ElementsAre("change"));
}

TEST(BitmapPixels, SetColorKeepAlphaRecoloursVisiblePixels) {
  auto b = MakeBitmap(4, 1, [](int32_t x, int32_t) {
    const uint32_t in[] = {0, 0x80800000, 0xFF0000FF, 0x01010101};
    return in[x];
  });
  b->SetColorKeepAlpha(0xFF00FF00);
  EXPECT_THAT(PixelsOf(*b), ElementsAre(0u, 0x80008000u, 0xFF00FF00u, 0x01000100u));
  // The colour's own alpha scales with the pixel's.
  b->SetColorKeepAlpha(0x80FFFFFF);
  EXPECT_THAT(PixelsOf(*b), ElementsAre(0u, 0x40404040u, 0x80808080u, 0u));
}

TEST(BitmapPixels, CreateMaskAndApplyMaskWithOffset) {
  auto b =
      MakeBitmap(3, 2, [](int32_t x, int32_t y) { return y == 0 ? 0xFFFFFFFFu : uint32_t(x * 0x40) << 24; });
  EXPECT_THAT(b->CreateMask(), ElementsAre(255, 255, 255, 0, 0x40, 0x80));

  auto target = MakeBitmap(3, 2, [](int32_t, int32_t) { return 0xFFFFFFFFu; });
  NotifyLog log(*target);
  // Pixel (x, y) reads the mask at (x - 1, y): column 0 reads outside.
  const uint8_t mask[] = {255, 0, 128, 7, 7, 7};
  target->ApplyMask(mask, 1, 0);
  EXPECT_THAT(PixelsOf(*target),
              ElementsAre(0xFFFFFFFFu, 0u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xF8F8F8F8u, 0xF8F8F8F8u));
  EXPECT_THAT(log.Events, ElementsAre("change"));

  // A mask shorter than the bitmap leaves the uncovered pixels alone.
  auto partial = MakeBitmap(3, 2, [](int32_t, int32_t) { return 0xFFFFFFFFu; });
  const uint8_t shortMask[] = {128, 128};
  partial->ApplyMask(shortMask, 0, 0);
  EXPECT_THAT(PixelsOf(*partial),
              ElementsAre(0x7F7F7F7Fu, 0x7F7F7F7Fu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu));
}

TEST(BitmapAssign, CopiesSizeAndPixelsWithOneChange) {
  auto source = MakeBitmap(2, 2, [](int32_t x, int32_t y) { return uint32_t(0x10000000 * (x + 2 * y + 1)); });
  source->SetResourceName("later");
  TuiBitmap b(5, 5);
  NotifyLog log(b);
  b.Assign(source.get());
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(PixelsOf(b), PixelsOf(*source));
  EXPECT_EQ(b.ResourceName(), "later");
  EXPECT_THAT(log.Events, ElementsAre("before", "release", "after", "change"));

  log.Events.clear();
  source->Clear(0xFF00FF00);
  b.Assign(source.get());
  EXPECT_THAT(PixelsOf(b), Each(0xFF00FF00u));
  EXPECT_THAT(log.Events, ElementsAre("change"));
}

TEST(BitmapAssign, RejectsOtherClassesAndKeepsThePicture) {
  TuiBitmapObject other(nullptr);
  TuiBitmap b(1, 1);
  b.Clear(0xFF010203);
  try {
    b.Assign(&other);
    FAIL();
  } catch (const EuxConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TuiBitmapObject to a TuiBitmap");
  }
  EXPECT_THAT(PixelsOf(b), ElementsAre(0xFF010203u));
}

TEST(BitmapResource, ResolvesByNameAdoptsAndForgetsADeadResource) {
  auto first = std::make_unique<TuiBitmapObject>(nullptr);
  first->SetName("Icon");
  EXPECT_EQ(first->ResourceName(), "Icon");
  EXPECT_EQ(first->Bitmap()->Width(), 1);

  TuiBitmap b;
  NotifyLog log(b);
  EXPECT_EQ(b.ResolveBitmap(), nullptr);
  b.SetResourceName("icon");
  EXPECT_THAT(log.Events, ElementsAre("change"));
  log.Events.clear();
  EXPECT_EQ(b.ResolveBitmap(), first->Bitmap());
  EXPECT_EQ(b.Resource(), first.get());
  EXPECT_EQ(b.ResourceName(), "Icon");
  EXPECT_THAT(log.Events, ElementsAre("change"));
  log.Events.clear();
  EXPECT_EQ(b.ResolveBitmap(), first->Bitmap());
  EXPECT_THAT(log.Events, IsEmpty());

  // The most recent live object of that name wins once the link is gone.
  auto second = std::make_unique<TuiBitmapObject>(nullptr);
  second->SetResourceName("ICON");
  first.reset();
  EXPECT_EQ(b.Resource(), nullptr);
  EXPECT_EQ(b.ResourceName(), "Icon");
  EXPECT_EQ(b.ResolveBitmap(), second->Bitmap());

  // A name the resource does not carry drops the link.
  b.SetResourceName("other");
  EXPECT_EQ(b.Resource(), nullptr);
  EXPECT_EQ(b.ResolveBitmap(), nullptr);

  b.SetResource(second.get());
  EXPECT_EQ(b.ResourceName(), "ICON");
  b.SetResource(nullptr);
  EXPECT_EQ(b.ResourceName(), "");
}

TEST(BitmapResource, OnlyBitmapObjectsServeAndUnstoredOnesAreSkipped) {
  TuiObject plain(nullptr);
  plain.SetResourceName("pic");
  TuiBitmap b;
  b.SetResourceName("pic");
  EXPECT_EQ(b.ResolveBitmap(), nullptr);

  TuiBitmapObject hidden(nullptr);
  hidden.SetResourceName("pic2");
  hidden.SetStored(false);
  b.SetResourceName("pic2");
  EXPECT_EQ(b.ResolveBitmap(), nullptr);
}

TEST(BitmapResource, AssignFromAResolvingBitmapSharesTheLinkNotThePixels) {
  TuiBitmapObject resource(nullptr);
  resource.SetResourceName("shared");
  TuiBitmap source(4, 4);
  source.SetResourceName("shared");
  TuiBitmap b(2, 2);
  b.Clear(0xFF0000FF);
  NotifyLog log(b);
  b.Assign(&source);
  EXPECT_EQ(b.Resource(), &resource);
  EXPECT_EQ(b.ResourceName(), "shared");
  EXPECT_EQ(b.Width(), 2);
  EXPECT_THAT(PixelsOf(b), Each(0xFF0000FFu));
  EXPECT_THAT(log.Events, ElementsAre("change"));
}

TEST(BitmapObject, StreamsItsBitmapThroughTheBitmapPath) {
  TuiBitmapObject o(nullptr);
  o.SetResourceName("kept");
  o.SetName("renamed");
  EXPECT_EQ(o.ResourceName(), "kept");

  auto picture = MakeBitmap(3, 2, [](int32_t x, int32_t) { return x ? 0xFFFFFFFFu : 0x80000000u; });
  o.SetProperty("Bitmap.PNG", TuiBinary{picture->SaveToBytes()});
  EXPECT_EQ(PixelsOf(*o.Bitmap()), PixelsOf(*picture));
}

TEST(BitmapCanvas, MadeOnceByTheBackendAndFreedWithTheMemory) {
  EXPECT_EQ(TuiBitmap(1, 1).Canvas(), nullptr);

  static int made = 0, freed = 0;
  static char token;
  TuiBitmap::CanvasFactory = [](TuiBitmap&) {
    ++made;
    return TuiBitmap::TCanvasHolder(reinterpret_cast<TuiCanvas*>(&token), [](TuiCanvas*) { ++freed; });
  };
  {
    TuiBitmap b(2, 2);
    TuiCanvas* canvas = b.Canvas();
    EXPECT_EQ(b.Canvas(), canvas);
    EXPECT_EQ(made, 1);
    b.SetSize(3, 3);
    EXPECT_EQ(freed, 1);
    b.Canvas();
    EXPECT_EQ(made, 2);
  }
  EXPECT_EQ(freed, 2);
  TuiBitmap::CanvasFactory = nullptr;
}

}  // namespace
