#include "draw2d/ImageFilter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "BitmapFixtures.h"
#include "draw2d/Bitmap.h"
#include "draw2d/ImageHeader.h"
#include "scene2d/Errors.h"

using namespace fixtures;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// What differs with the system's filter: libpng and libjpeg on Linux write
// only PNG and JPEG; GDI+ has encoders for BMP, TIFF and GIF too.
struct SystemFilter {
  std::string ClassName;
  std::string FileTypes;
  bool WritesBmp;
};
const SystemFilter& TheSystemFilter() {
  static const SystemFilter filter = [] {
    const std::string name = TuiFilterRegistry::Instance().DefaultClass();
    if (name == "TuiFilterGdiPlus")
      return SystemFilter{name, "*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.gif", true};
    return SystemFilter{name, "*.jpg;*.jpeg;*.png", false};
  }();
  return filter;
}

// Every premultiplied value a channel can take: pixel (c, a) has alpha a and
// red c <= a, green a - c, blue c / 2.
std::unique_ptr<TuiBitmap> AllPremultipliedValues() {
  return MakeBitmap(256, 256, [](int32_t c, int32_t a) {
    if (c > a) return 0u;
    return uint32_t(a) << 24 | uint32_t(c) << 16 | uint32_t(a - c) << 8 | uint32_t(c / 2);
  });
}

int MaxChannelDifference(const TuiBitmap& A, const TuiBitmap& B) {
  int worst = 0;
  for (size_t i = 0; i < size_t(A.Width()) * size_t(A.Height()); ++i)
    for (int shift = 0; shift < 32; shift += 8)
      worst = std::max(worst, std::abs(int(A.Bits()[i] >> shift & 0xFF) - int(B.Bits()[i] >> shift & 0xFF)));
  return worst;
}

TEST(BitmapStream, TranslucentPicturesSaveAsPngAndReloadExactly) {
  auto original = AllPremultipliedValues();
  Bytes png = original->SaveToBytes();
  ASSERT_TRUE(IsPngFile(png));
  TuiBitmap loaded;
  ASSERT_TRUE(loaded.LoadFromBytes(png));
  EXPECT_EQ(loaded.Width(), 256);
  EXPECT_EQ(PixelsOf(loaded), PixelsOf(*original));
}

TEST(BitmapStream, OpaquePicturesSaveAsJpegOfHighQuality) {
  auto original = OpaqueGradient(64, 48);
  Bytes jpeg = original->SaveToBytes();
  ASSERT_TRUE(IsJpegFile(jpeg));
  TuiBitmap loaded;
  ASSERT_TRUE(loaded.LoadFromBytes(jpeg));
  ASSERT_EQ(loaded.Width(), 64);
  ASSERT_EQ(loaded.Height(), 48);
  EXPECT_THAT(loaded.CreateMask(), Each(255));
  // Quality 100 keeps every channel within 3; the encoder's default, all
  // that Wine's GDI+ gives, within 12.
  EXPECT_LE(MaxChannelDifference(loaded, *original), RunningUnderWine() ? 12 : 3);

  // One pixel just short of opaque turns the file into a PNG.
  original->Scanline(47)[63] = 0xFEFEFEFE;
  EXPECT_TRUE(IsPngFile(original->SaveToBytes()));
}

TEST(BitmapStream, PngPropertyAcceptsJpegDataAsTheConsolePictureHasIt) {
  Bytes jpeg = OpaqueGradient(109, 109)->SaveToBytes();
  ASSERT_TRUE(IsJpegFile(jpeg));
  TuiBitmap b;
  NotifyLog log(b);
  b.SetProperty("PNG", TuiBinary{jpeg});
  EXPECT_EQ(b.Width(), 109);
  EXPECT_EQ(b.Height(), 109);
  EXPECT_THAT(b.CreateMask(), Each(255));
  EXPECT_THAT(log.Events, ElementsAre("before", "release", "after", "change", "loaded"));
  // And it writes itself back out under the same name.
  EXPECT_TRUE(IsJpegFile(std::get<TuiBinary>(b.GetProperty("PNG")).Bytes));
}

TEST(BitmapStream, LoadsFromWhereTheStreamStands) {
  auto original = MakeBitmap(3, 3, [](int32_t x, int32_t y) { return uint32_t(x + y) * 0x10101010u; });
  std::stringstream stream;
  stream << "prefix";
  ASSERT_TRUE(original->SaveToStream(stream));
  stream.seekg(6);
  TuiBitmap loaded(stream);
  EXPECT_EQ(PixelsOf(loaded), PixelsOf(*original));
}

// ---- bad images ----

struct BadImage {
  const char* Name;
  Bytes Data;
};

std::vector<BadImage> BadImages() {
  Bytes png = AllPremultipliedValues()->SaveToBytes();
  Bytes jpeg = OpaqueGradient(64, 64)->SaveToBytes();
  std::vector<BadImage> bad = {
      {"nothing", {}},
      {"no known signature", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}},
      {"PNG signature only", Bytes(png.begin(), png.begin() + 8)},
      {"PNG cut in its header", Bytes(png.begin(), png.begin() + 20)},
      {"PNG cut in its data", Bytes(png.begin(), png.begin() + long(png.size() / 2))},
      {"PNG claiming 100000 x 100000", PngWithSize(png, 100000, 100000)},
      {"PNG wider than the side limit", PngWithSize(png, TuiFilter::MaxSide + 1, 1)},
      {"PNG of zero width", PngWithSize(png, 0, 256)},
      {"PNG of zero height", PngWithSize(png, 256, 0)},
      {"JPEG start marker only", Bytes(jpeg.begin(), jpeg.begin() + 3)},
      {"JPEG cut in its header", Bytes(jpeg.begin(), jpeg.begin() + 100)},
      {"JPEG cut in its data", Bytes(jpeg.begin(), jpeg.begin() + long(jpeg.size() * 3 / 4))},
      {"JPEG claiming 65535 x 65535", JpegWithSize(jpeg, 65535, 65535)},
      {"JPEG over the pixel limit", JpegWithSize(jpeg, 8193, 8192)},
      {"JPEG of zero width", JpegWithSize(jpeg, 0, 64)},
      {"JPEG of zero height", JpegWithSize(jpeg, 64, 0)},
      {"JPEG with a huge size and no data behind it", JpegWithSize(jpeg, 4000, 4000)},
  };
  Bytes damaged = png;
  size_t idat = FindPngChunk(damaged, "IDAT");
  damaged[idat + 8 + 10] ^= 0xFF;  // breaks the data's checksum
  bad.push_back({"PNG with damaged data", damaged});
  damaged = jpeg;
  // Turns the quantisation tables into an unknown segment, so that the frame
  // refers to tables that do not exist.
  for (size_t i = 2; i + 1 < damaged.size(); ++i)
    if (damaged[i] == 0xFF && damaged[i + 1] == 0xDB) damaged[i + 1] = 0xEE;
  bad.push_back({"JPEG without quantisation tables", damaged});
  damaged = jpeg;
  for (size_t i = damaged.size() / 2; i < damaged.size() - 2; ++i) damaged[i] = 0xFF;
  bad.push_back({"JPEG with its data overwritten", damaged});
  return bad;
}

TEST(BitmapBadImages, LeaveTheBitmapAsItWasAndReportFalse) {
  auto filter = TuiFilterRegistry::Instance().CreateDefault();
  for (const BadImage& bad : BadImages()) {
    auto b = MakeBitmap(2, 1, [](int32_t x, int32_t) { return x ? 0x80808080u : 0xFF0000FFu; });
    NotifyLog log(*b);
    EXPECT_FALSE(b->LoadFromBytes(bad.Data)) << bad.Name;
    EXPECT_FALSE(filter->LoadFromBytes(bad.Data, *b)) << bad.Name;
    b->SetPngData(TuiBinary{bad.Data});
    EXPECT_EQ(b->Width(), 2) << bad.Name;
    EXPECT_THAT(PixelsOf(*b), ElementsAre(0xFF0000FFu, 0x80808080u)) << bad.Name;
    EXPECT_THAT(log.Events, IsEmpty()) << bad.Name;
  }
}

TEST(BitmapBadImages, SizesUpToTheSideLimitLoad) {
  auto wide = MakeBitmap(TuiFilter::MaxSide, 1, [](int32_t x, int32_t) { return uint32_t(x & 0xFF) << 24; });
  TuiBitmap b;
  ASSERT_TRUE(b.LoadFromBytes(wide->SaveToBytes()));
  EXPECT_EQ(b.Width(), TuiFilter::MaxSide);
}

// ---- the filter's own operations ----

TEST(ImageFilter, FormatNamesAndParameters) {
  struct Case {
    const char* Name;
    TuiImageFormat Format;
  };
  for (Case c : {Case{"jpeg", ifJpeg},
                 {"JPG", ifJpeg},
                 {"Png", ifPng},
                 {"bmp", ifBmp},
                 {"tif", ifTiff},
                 {"TIFF", ifTiff},
                 {"gif", ifGif},
                 {"webp", ifPng},
                 {"", ifPng}})
    EXPECT_EQ(FormatFromName(c.Name), c.Format) << c.Name;
  EXPECT_EQ(FormatFromFileName("/tmp/a.b/picture.JPEG"), ifJpeg);
  EXPECT_EQ(FormatFromFileName("/tmp/a.jpg/picture"), ifPng);

  struct ParamCase {
    const char* Params;
    std::optional<int> Quality;
  };
  for (ParamCase c : {ParamCase{"quality=90", 90},
                      {"speed=1 QUALITY=5", 5},
                      {"quality=150", 100},
                      {"quality=-3", 0},
                      {"quality=99999999999", 100},
                      {"quality=abc", std::nullopt},
                      {"quality=9x", std::nullopt},
                      {"", std::nullopt},
                      {"quality", std::nullopt}})
    EXPECT_EQ(QualityParam(c.Params), c.Quality) << c.Params;
}

TEST(ImageFilter, QualityParameterReachesTheJpegEncoder) {
  auto picture = OpaqueGradient(64, 64);
  auto filter = TuiFilterRegistry::Instance().CreateDefault();
  Bytes low, high, plain;
  ASSERT_TRUE(filter->SaveToBytes(low, *picture, "jpg", "quality=5"));
  ASSERT_TRUE(filter->SaveToBytes(high, *picture, "JPEG", "quality=100"));
  if (RunningUnderWine())
    std::printf("Wine's JPEG encoder takes no quality: sizes %zu and %zu not compared\n", low.size(),
                high.size());
  else
    EXPECT_LT(low.size() * 2, high.size());
  // Formats without an encoder produce nothing.
  EXPECT_EQ(filter->SaveToBytes(plain, *picture, "bmp", ""), TheSystemFilter().WritesBmp);
  EXPECT_EQ(plain.empty(), !TheSystemFilter().WritesBmp);
}

// The formats beyond PNG and JPEG: read back by their signature where the
// system has an encoder (GDI+), nothing written where it has none.
TEST(ImageFilter, OtherFormatsRoundTripWhereTheSystemWritesThem) {
  auto picture =
      MakeBitmap(5, 4, [](int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x * 0x330000 + y * 0x40); });
  auto filter = TuiFilterRegistry::Instance().CreateDefault();
  struct Case {
    const char* Format;
    uint8_t FirstByte;
    bool ExactPixels;  // GIF keeps a palette of its own choosing
  };
  for (const Case& c : {Case{"bmp", 'B', true}, {"tiff", 'I', true}, {"gif", 'G', false}}) {
    Bytes data;
    const bool written = filter->SaveToBytes(data, *picture, c.Format, "");
    EXPECT_EQ(written, TheSystemFilter().WritesBmp) << c.Format;
    if (!written) {
      EXPECT_TRUE(data.empty()) << c.Format;
      continue;
    }
    ASSERT_FALSE(data.empty()) << c.Format;
    EXPECT_TRUE(data[0] == c.FirstByte || (c.FirstByte == 'I' && data[0] == 'M')) << c.Format;
    TuiImageHeader header;
    ASSERT_TRUE(uxReadImageHeader(data, header)) << c.Format;
    EXPECT_EQ(std::pair(header.Width, header.Height), std::pair(int64_t(5), int64_t(4))) << c.Format;
    if (c.FirstByte == 'G' && RunningUnderWine()) {
      std::printf("Wine's GIF encoder writes a header and no picture (%zu bytes): not read back\n",
                  data.size());
      continue;
    }
    TuiBitmap back;
    ASSERT_TRUE(back.LoadFromBytes(data)) << c.Format << ", " << data.size() << " bytes";
    EXPECT_EQ(std::pair(back.Width(), back.Height()), std::pair(5, 4)) << c.Format;
    EXPECT_THAT(back.CreateMask(), Each(255)) << c.Format;
    if (c.ExactPixels) {
      EXPECT_EQ(PixelsOf(back), PixelsOf(*picture)) << c.Format;
    }
  }
}

class ImageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() /
          ("bitmap_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }
  std::string File(const char* Name) const { return (Dir / Name).string(); }
  std::filesystem::path Dir;
};

TEST_F(ImageFiles, SaveChoosesTheFormatByExtensionAndWritesNothingWithoutAnEncoder) {
  auto picture = MakeBitmap(3, 2, [](int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x * 80 + y); });
  ASSERT_TRUE(picture->SaveToFile(File("a.png")));
  ASSERT_TRUE(picture->SaveToFile(File("a.JPG"), "quality=100"));
  EXPECT_EQ(picture->SaveToFile(File("a.bmp")), TheSystemFilter().WritesBmp);
  EXPECT_EQ(std::filesystem::exists(File("a.bmp")), TheSystemFilter().WritesBmp);

  TuiBitmap fromPng, fromJpeg;
  ASSERT_TRUE(fromPng.LoadFromFile(File("a.png")));
  EXPECT_EQ(PixelsOf(fromPng), PixelsOf(*picture));
  // Signature, not extension, decides.
  std::filesystem::rename(File("a.JPG"), File("b.png"));
  ASSERT_TRUE(fromJpeg.LoadFromFile(File("b.png")));
  EXPECT_EQ(fromJpeg.Width(), 3);

  int32_t w = 0, h = 0;
  EXPECT_TRUE(TuiFilterRegistry::Instance().CreateDefault()->GetImageSize(File("b.png"), w, h));
  EXPECT_EQ(std::pair(w, h), std::pair(3, 2));

  TuiBitmap untouched(1, 1);
  NotifyLog log(untouched);
  EXPECT_FALSE(untouched.LoadFromFile(File("missing.png")));
  EXPECT_FALSE(untouched.LoadThumbnailFromFile(File("missing.png"), 5, 5));
  EXPECT_THAT(log.Events, IsEmpty());
}

TEST_F(ImageFiles, LoadTurnsByQuarterTurnsExactly) {
  // 3 x 2, pixel value = 10 * row + column, all translucent to stay PNG.
  auto picture = MakeBitmap(3, 2, [](int32_t x, int32_t y) { return 0x40000000u | uint32_t(10 * y + x); });
  ASSERT_TRUE(picture->SaveToFile(File("p.png")));
  struct Case {
    float Angle;
    int32_t W, H;
    std::vector<uint32_t> Values;  // the low bytes, row by row
  };
  const Case cases[] = {
      {0, 3, 2, {0, 1, 2, 10, 11, 12}},   {90, 2, 3, {10, 0, 11, 1, 12, 2}},
      {180, 3, 2, {12, 11, 10, 2, 1, 0}}, {270, 2, 3, {2, 12, 1, 11, 0, 10}},
      {-90, 2, 3, {2, 12, 1, 11, 0, 10}}, {450, 2, 3, {10, 0, 11, 1, 12, 2}},
  };
  for (const Case& c : cases) {
    TuiBitmap b;
    ASSERT_TRUE(b.LoadFromFile(File("p.png"), c.Angle)) << c.Angle;
    EXPECT_EQ(std::pair(b.Width(), b.Height()), std::pair(c.W, c.H)) << c.Angle;
    std::vector<uint32_t> values;
    for (uint32_t p : PixelsOf(b)) values.push_back(p & 0xFF);
    EXPECT_EQ(values, c.Values) << c.Angle;
  }
}

TEST_F(ImageFiles, LoadTurnsByOtherAnglesIntoTheBoundingBox) {
  auto picture = MakeBitmap(40, 20, [](int32_t, int32_t) { return 0xFF00FF00u; });
  ASSERT_TRUE(picture->SaveToFile(File("g.png")));
  TuiBitmap b;
  ASSERT_TRUE(b.LoadFromFile(File("g.png"), 30));
  // 40 cos 30 + 20 sin 30 = 44.64; 40 sin 30 + 20 cos 30 = 37.32.
  EXPECT_EQ(std::pair(b.Width(), b.Height()), std::pair(45, 37));
  EXPECT_EQ(b.Scanline(18)[22], 0xFF00FF00u);
  EXPECT_EQ(b.Scanline(0)[0], 0u);
  EXPECT_EQ(b.Scanline(36)[44], 0u);
}

TEST_F(ImageFiles, ThumbnailsShrinkToFitAndNeverGrow) {
  auto picture = MakeBitmap(400, 200, [](int32_t x, int32_t) { return x < 200 ? 0xFFFF0000u : 0xFF0000FFu; });
  ASSERT_TRUE(picture->SaveToFile(File("t.png")));
  ASSERT_TRUE(picture->SaveToFile(File("t.jpg"), "quality=100"));
  struct Case {
    const char* File;
    float MaxW, MaxH;
    bool Embedded;
    int32_t W, H;
  };
  const Case cases[] = {
      {"t.png", 100, 100, true, 100, 50},    {"t.png", 100, 100, false, 100, 50},
      {"t.jpg", 50, 100, true, 50, 25},      {"t.jpg", 30, 30, false, 30, 15},
      {"t.png", 1000, 1000, true, 400, 200}, {"t.png", 0, 0, true, 400, 200},
      {"t.jpg", 4000, 1, false, 2, 1},
  };
  for (const Case& c : cases) {
    TuiBitmap b;
    ASSERT_TRUE(b.LoadThumbnailFromFile(File(c.File), c.MaxW, c.MaxH, c.Embedded)) << c.File;
    EXPECT_EQ(std::pair(b.Width(), b.Height()), std::pair(c.W, c.H))
        << c.File << " " << c.MaxW << "x" << c.MaxH;
    // Averaging keeps the two halves apart.
    uint32_t left = b.Scanline(b.Height() / 2)[0], right = b.Scanline(b.Height() / 2)[b.Width() - 1];
    EXPECT_GT(left >> 16 & 0xFF, 0xF0u) << c.File;
    EXPECT_GT(right & 0xFF, 0xF0u) << c.File;
  }
}

class FixedFilter : public TuiFilter {
 public:
  bool LoadFromFile(const std::string&, TuiBitmap&, float) override { return false; }
  bool LoadThumbnailFromFile(const std::string&, bool, TuiBitmap&, float, float) override { return false; }
  bool SaveToFile(const std::string&, const TuiBitmap&, std::string_view) override { return false; }
  bool LoadFromBytes(std::span<const uint8_t>, TuiBitmap& Bitmap) override {
    Bitmap.SetSize(7, 7);
    return true;
  }
  bool SaveToBytes(std::vector<uint8_t>&, const TuiBitmap&, std::string_view, std::string_view) override {
    return false;
  }
};

// Puts the system's filter back as the default, also when a check fails.
struct DefaultFilterGuard {
  const SystemFilter& System = TheSystemFilter();  // learnt before any change
  ~DefaultFilterGuard() { TuiFilterRegistry::Instance().SetDefaultClass(TheSystemFilter().ClassName); }
};

TEST(FilterRegistry, BitmapsUseTheDefaultClass) {
  TuiFilterRegistry& registry = TuiFilterRegistry::Instance();
#ifdef _WIN32
  EXPECT_EQ(registry.DefaultClass(), "TuiFilterGdiPlus");
#else
  EXPECT_EQ(registry.DefaultClass(), "TuiFilterPngJpeg");
#endif
  DefaultFilterGuard guard;
  EXPECT_FALSE(registry.SetDefaultClass("NoSuchFilter"));
  registry.Register("FixedFilter", [] { return std::make_unique<FixedFilter>(); });
  ASSERT_TRUE(registry.SetDefaultClass("fixedfilter"));
  TuiBitmap b;
  bool loaded = b.LoadFromBytes(Bytes{1, 2, 3});
  registry.SetDefaultClass(TheSystemFilter().ClassName);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(b.Width(), 7);
  EXPECT_EQ(registry.CreateDefault()->GetFileTypes(), TheSystemFilter().FileTypes);
}

// A default class whose factory is gone (a system built without a filter)
// must be an error the caller can catch, on every path that makes a filter.
TEST(FilterRegistry, ADefaultWithoutAFactoryIsAnError) {
  TuiFilterRegistry& registry = TuiFilterRegistry::Instance();
  DefaultFilterGuard guard;
  registry.Register("NoFactory", nullptr);
  ASSERT_TRUE(registry.SetDefaultClass("NoFactory"));
  auto picture = MakeBitmap(2, 2, [](int32_t, int32_t) { return 0xFF102030u; });
  const std::vector<std::pair<const char*, std::function<void()>>> uses = {
      {"CreateDefault", [&] { registry.CreateDefault(); }},
      {"LoadFromBytes",
       [&] {
         TuiBitmap().LoadFromBytes(Bytes{0x89, 'P', 'N', 'G'});
       }},
      {"SaveToBytes", [&] { picture->SaveToBytes(); }},
      {"SaveToStream",
       [&] {
         std::stringstream stream;
         picture->SaveToStream(stream);
       }},
  };
  for (const auto& [name, use] : uses) {
    try {
      use();
      ADD_FAILURE() << name << " raised nothing";
    } catch (const EuxError& e) {
      EXPECT_STREQ(e.what(), "No image filter is registered") << name;
    }
  }
}

}  // namespace
