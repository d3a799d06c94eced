// Crafted files that cost much while being small or even valid: each is built
// here, run once, and held to what it may cost (time, peak memory) and to what
// it must report.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "BitmapFixtures.h"
#include "draw2d/Bitmap.h"
#include "draw2d/BitmapObject.h"
#include "draw2d/Draw2dRegistration.h"
#include "draw2d/ImageFilterPngJpeg.h"
#include "draw2d/PathData.h"
#include "scene2d/Errors.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/ReadBudget.h"
#include "scene2d/stream/StreamConvert.h"

using namespace fixtures;

namespace {

// ---- builders ----

void PutBigEndian(Bytes& Out, uint32_t Value, int Size) {
  for (int i = Size - 1; i >= 0; --i) Out.push_back(uint8_t(Value >> (8 * i)));
}

Bytes Deflate(const Bytes& Raw) {
  uLongf size = compressBound(uLong(Raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress2(out.data(), &size, Raw.data(), uLong(Raw.size()), 9), Z_OK);
  out.resize(size);
  return out;
}

void PutPngChunk(Bytes& Png, const char* Type, const Bytes& Body) {
  PutBigEndian(Png, uint32_t(Body.size()), 4);
  const size_t typeAt = Png.size();
  Png.insert(Png.end(), Type, Type + 4);
  Png.insert(Png.end(), Body.begin(), Body.end());
  PutBigEndian(Png, uint32_t(crc32(0, Png.data() + typeAt, uInt(Png.size() - typeAt))), 4);
}

Bytes PngStart(uint32_t W, uint32_t H, uint8_t Depth, uint8_t ColorType) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBigEndian(header, W, 4);
  PutBigEndian(header, H, 4);
  header.insert(header.end(), {Depth, ColorType, 0, 0, 0});
  PutPngChunk(png, "IHDR", header);
  return png;
}

// One pixel of straight #80402010 between TextChunks compressed text
// chunks of nearly 8 MB each once inflated, half of them before its pixels
// and half after.
Bytes PngTextBomb(int TextChunks) {
  Bytes text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
  const Bytes inflated(7'750'000, 'x');
  const Bytes deflated = Deflate(inflated);
  text.insert(text.end(), deflated.begin(), deflated.end());
  Bytes png = PngStart(1, 1, 8, 6);
  for (int i = 0; i < TextChunks / 2; ++i) PutPngChunk(png, "zTXt", text);
  PutPngChunk(png, "IDAT", Deflate({0, 0x40, 0x20, 0x10, 0x80}));
  for (int i = TextChunks / 2; i < TextChunks; ++i) PutPngChunk(png, "zTXt", text);
  PutPngChunk(png, "IEND", {});
  return png;
}

// Black, one bit a pixel: deflate packs it a thousand to one.
Bytes OneBitPng(uint32_t Side) {
  Bytes png = PngStart(Side, Side, 1, 0);
  PutPngChunk(png, "IDAT", Deflate(Bytes(size_t(Side) * (1 + Side / 8), 0)));
  PutPngChunk(png, "IEND", {});
  return png;
}

struct JpegScan {
  uint8_t Ss, Se, Ah, Al;
};

void PutJpegSegment(Bytes& Jpeg, uint8_t Marker, const Bytes& Body) {
  Jpeg.insert(Jpeg.end(), {0xFF, Marker});
  PutBigEndian(Jpeg, uint32_t(Body.size() + 2), 2);
  Jpeg.insert(Jpeg.end(), Body.begin(), Body.end());
}

// A grey arithmetic-coded JPEG whose scans hold no data at all: an arithmetic
// decoder reads the next marker as the end of a scan and decodes zeros, so
// every block costs its decoding and the file costs a few bytes a scan.
Bytes ArithmeticJpeg(uint16_t W, uint16_t H, bool Progressive, const std::vector<JpegScan>& Scans) {
  Bytes jpeg = {0xFF, 0xD8};
  Bytes tables = {0};
  tables.resize(65, 1);
  PutJpegSegment(jpeg, 0xDB, tables);
  Bytes frame = {8};
  PutBigEndian(frame, H, 2);
  PutBigEndian(frame, W, 2);
  frame.insert(frame.end(), {1, 1, 0x11, 0});
  PutJpegSegment(jpeg, Progressive ? 0xCA : 0xC9, frame);
  for (const JpegScan& s : Scans)
    PutJpegSegment(jpeg, 0xDA, {1, 1, 0x00, s.Ss, s.Se, uint8_t(s.Ah << 4 | s.Al)});
  jpeg.insert(jpeg.end(), {0xFF, 0xD9});
  return jpeg;
}

Bytes SequentialArithmeticJpeg(uint16_t W, uint16_t H) {
  return ArithmeticJpeg(W, H, false, {{0, 63, 0, 0}});
}

// A long valid progression of a grey picture: the DC scan, then for each of
// the 63 AC coefficients a first scan of its top bits and ten refinements of
// one bit each, 694 scans. Count takes the first ones, which are valid too.
Bytes ScanFloodJpeg(uint16_t W, uint16_t H, size_t Count = 694) {
  std::vector<JpegScan> scans = {{0, 0, 0, 0}};
  for (uint8_t k = 1; k <= 63; ++k) {
    scans.push_back({k, k, 0, 10});
    for (uint8_t ah = 10; ah >= 1; --ah) scans.push_back({k, k, ah, uint8_t(ah - 1)});
  }
  scans.resize(std::min(Count, scans.size()));
  return ArithmeticJpeg(W, H, true, scans);
}

std::string Hex(const Bytes& Data) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (uint8_t b : Data) text += {digits[b >> 4], digits[b & 15]};
  return text;
}

// A layout holding each picture in a bitmap resource, in binary form.
std::string StreamOf(const std::vector<Bytes>& Pictures) {
  std::string text = "object TuiObject\n";
  for (const Bytes& p : Pictures)
    text += "  object TuiBitmapObject\n    Bitmap.PNG = {" + Hex(p) + "}\n  end\n";
  return uxObjectTextToBinary(text + "end\n");
}

// How many bitmaps of the read decoded, then the error that ended it.
std::string LoadStream(const std::string& Stream) {
  RegisterDraw2dClasses();
  auto root = std::make_unique<TuiObject>(nullptr);
  std::string error = "no error";
  try {
    ReadObjectData(Stream, *root, nullptr);
  } catch (const EuxError& e) {
    error = e.what();
  }
  int decoded = 0;
  for (int i = 0; i < root->ChildrenCount(); ++i) {
    auto* resource = dynamic_cast<TuiBitmapObject*>(root->Children(i));
    if (resource && resource->Bitmap()->Width() > 1) ++decoded;
  }
  return std::to_string(decoded) + " decoded; " + error;
}

std::string LoadBytes(const Bytes& Data) {
  TuiBitmap b;
  if (!b.LoadFromBytes(Data)) return "refused";
  char text[64];
  std::snprintf(text, sizeof text, "%d x %d, first pixel %08X", b.Width(), b.Height(), b.Bits()[0]);
  return text;
}

int64_t PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// ---- the table ----

struct Hostile {
  const char* Name;
  // Builds the input and returns the run, which says what came of it.
  std::function<std::function<std::string()>()> Prepare;
  std::string Outcome;
  double MaxSeconds;
  // Growth of the process's peak resident size during the run.
  int64_t MaxPeakGrowthMiB;
};

const std::string BudgetError = "Decoded pictures exceed the limit of 33554432 pixels";

std::vector<Hostile> HostileInputs() {
  return {
      // 100 rather than a thousand chunks: enough to show the fault (775 MB
      // inflated when text is read), without a machine-sized allocation when
      // it comes back.
      {"PNG of one pixel and 100 zTXt chunks of 7.75 MB inflated",
       [] { return [png = PngTextBomb(100)] { return LoadBytes(png); }; }, "1 x 1, first pixel 80201008", 5,
       48},
      {"sixteen 8192 x 8192 arithmetic JPEGs of 96 bytes in one stream",
       [] {
         return [s = StreamOf(std::vector<Bytes>(16, SequentialArithmeticJpeg(8192, 8192)))] {
           return LoadStream(s);
         };
       },
       "0 decoded; Error reading TuiBitmapObject.Bitmap.PNG: " + BudgetError, 5, 48},
      {"sixteen 8192 x 8192 one-bit PNGs of 8 KB in one stream",
       [] { return [s = StreamOf(std::vector<Bytes>(16, OneBitPng(8192)))] { return LoadStream(s); }; },
       "0 decoded; Error reading TuiBitmapObject.Bitmap.PNG: " + BudgetError, 5, 48},
      {"sixteen 4096 x 2048 arithmetic JPEGs in one stream: the budget holds four",
       [] {
         return [s = StreamOf(std::vector<Bytes>(16, SequentialArithmeticJpeg(4096, 2048)))] {
           return LoadStream(s);
         };
       },
       "4 decoded; Error reading TuiBitmapObject.Bitmap.PNG: " + BudgetError, 30, 320},
      {"8192 x 8192 progressive arithmetic JPEG with 694 scans",
       [] { return [jpeg = ScanFloodJpeg(8192, 8192)] { return LoadBytes(jpeg); }; }, "refused", 15, 448},
      {"ten 4096 x 4096 progressive arithmetic JPEGs with 694 scans in one stream",
       [] {
         return [s = StreamOf(std::vector<Bytes>(10, ScanFloodJpeg(4096, 4096)))] { return LoadStream(s); };
       },
       "0 decoded; Error reading TuiBitmapObject.Bitmap.PNG: " + BudgetError, 15, 160},
      {"200000 curves in a 3.2 MB path text, flattened as finely as asked",
       [] {
         std::string text = "M 0,0";
         for (int i = 0; i < 200000; ++i) text += " C 0,1000 1000,1000 1000,0";
         auto path = std::make_shared<TuiPathData>();
         path->SetData(text);
         return [path] {
           TuiPolygon polygon;
           TuiPoint size;
           path->FlattenToPolygon(polygon, size, 0);
           return polygon.size() <= TuiPathData::MaxFlattenPoints
                      ? std::string("within the point budget")
                      : std::to_string(polygon.size()) + " points";
         };
       },
       "within the point budget", 10, 48},
  };
}

class HostileInput : public ::testing::TestWithParam<size_t> {};

TEST_P(HostileInput, CostsLittleAndSaysWhatHappened) {
  const Hostile hostile = HostileInputs()[GetParam()];
  SCOPED_TRACE(hostile.Name);
  const std::function<std::string()> run = hostile.Prepare();
  const int64_t peakBefore = PeakResidentKiB();
  const auto start = std::chrono::steady_clock::now();
  const std::string outcome = run();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int64_t growthMiB = (PeakResidentKiB() - peakBefore) / 1024;
  EXPECT_EQ(outcome, hostile.Outcome);
  EXPECT_LT(seconds, hostile.MaxSeconds);
  EXPECT_LE(growthMiB, hostile.MaxPeakGrowthMiB);
  RecordProperty("seconds", std::to_string(seconds));
  RecordProperty("peak_growth_mib", std::to_string(growthMiB));
  std::printf("[ hostile  ] %s: %.2f s, peak +%lld MiB\n", hostile.Name, seconds, (long long)growthMiB);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileInput, ::testing::Range(size_t(0), HostileInputs().size()));

// ---- the pieces behind the bounds ----

std::string ChargeError(int64_t Pixels) {
  try {
    TuiReadBudget::ChargePixels(Pixels);
  } catch (const EuxReadError& e) {
    return e.what();
  }
  return "taken";
}

TEST(ReadBudget, NestedBudgetsAreChargedTogetherAndAllOrNothing) {
  EXPECT_EQ(ChargeError(int64_t(1) << 40), "taken");  // none open
  TuiReadBudget outer(100);
  {
    TuiReadBudget inner(60);
    EXPECT_EQ(ChargeError(50), "taken");
    EXPECT_EQ(inner.PixelsLeft(), 10);
    EXPECT_EQ(outer.PixelsLeft(), 50);
    EXPECT_EQ(ChargeError(11), "Decoded pictures exceed the limit of 60 pixels");
    EXPECT_EQ(ChargeError(-5), "taken");
    EXPECT_EQ(inner.PixelsLeft(), 10);
    EXPECT_EQ(outer.PixelsLeft(), 50);
  }
  EXPECT_EQ(outer.PixelsLeft(), 50);
  EXPECT_EQ(ChargeError(50), "taken");
  EXPECT_EQ(ChargeError(1), "Decoded pictures exceed the limit of 100 pixels");
}

TEST(ReadBudget, APictureBeyondWhatIsLeftLeavesTheBitmapAsItWas) {
  const Bytes pictures[] = {OpaqueGradient(64, 32)->SaveToBytes(),
                            MakeBitmap(64, 32, [](int32_t, int32_t) { return 0x80402010u; })->SaveToBytes()};
  for (const Bytes& picture : pictures) {
    TuiReadBudget budget(64 * 32 * 2 - 1);
    TuiBitmap b(2, 1);
    b.Bits()[1] = 0x80808080u;
    NotifyLog log(b);
    EXPECT_TRUE(b.LoadFromBytes(picture));
    EXPECT_EQ(budget.PixelsLeft(), 64 * 32 - 1);
    log.Events.clear();
    TuiBitmap other(2, 1);
    other.Bits()[1] = 0x80808080u;
    NotifyLog otherLog(other);
    EXPECT_THROW(other.LoadFromBytes(picture), EuxReadError) << (IsPngFile(picture) ? "PNG" : "JPEG");
    EXPECT_EQ(other.Width(), 2);
    EXPECT_EQ(PixelsOf(other), (std::vector<uint32_t>{0, 0x80808080u}));
    EXPECT_TRUE(otherLog.Events.empty());
    EXPECT_EQ(budget.PixelsLeft(), 64 * 32 - 1);
  }
}

TEST(JpegScans, TheMostScansFollowThePictureSize) {
  struct Case {
    uint16_t Side;
    size_t Scans;
    bool Loads;
  };
  // Up to 500 scans for small pictures; 2^30 / 2048^2 = 256 for this one.
  const Case cases[] = {
      {64, 500, true}, {64, 501, false}, {2048, 256, true}, {2048, 257, false}, {2048, 694, false}};
  for (const Case& c : cases) {
    TuiBitmap b;
    EXPECT_EQ(b.LoadFromBytes(ScanFloodJpeg(c.Side, c.Side, c.Scans)), c.Loads) << c.Side << " " << c.Scans;
  }
}

TEST(PngChunks, TextAndOtherMetadataAreSkippedWithoutChangingThePixels) {
  // A picture with an uncompressed, a compressed and an international text,
  // and a chunk of no known kind, each before and after its pixels.
  Bytes plain = PngStart(2, 1, 8, 6);
  Bytes noisy = plain;
  const Bytes pixels = Deflate({0, 0x40, 0x20, 0x10, 0x80, 0xFF, 0xFF, 0xFF, 0x00});
  const auto metadata = [](Bytes& Png) {
    PutPngChunk(Png, "tEXt", {'T', 'i', 't', 'l', 'e', 0, 'x'});
    Bytes z = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    const Bytes body = Deflate(Bytes(1000, 'y'));
    z.insert(z.end(), body.begin(), body.end());
    PutPngChunk(Png, "zTXt", z);
    PutPngChunk(Png, "iTXt", {'X', 0, 0, 0, 0, 0, 'z'});
    PutPngChunk(Png, "prVt", Bytes(100, 7));
  };
  metadata(noisy);
  PutPngChunk(plain, "IDAT", pixels);
  PutPngChunk(noisy, "IDAT", pixels);
  metadata(noisy);
  PutPngChunk(plain, "IEND", {});
  PutPngChunk(noisy, "IEND", {});
  TuiBitmap a, b;
  ASSERT_TRUE(a.LoadFromBytes(plain));
  ASSERT_TRUE(b.LoadFromBytes(noisy));
  EXPECT_EQ(PixelsOf(a), (std::vector<uint32_t>{0x80201008u, 0}));
  EXPECT_EQ(PixelsOf(b), PixelsOf(a));
}

}  // namespace
