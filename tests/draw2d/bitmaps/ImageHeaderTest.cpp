// The sizes and costs read from image headers before a whole-picture codec
// (GDI+) is allowed to decode: what it reads, and what it refuses unread.

#include "draw2d/ImageHeader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "BitmapFixtures.h"
#include "draw2d/ImageFilter.h"

using namespace fixtures;

namespace {

void PutLittle(Bytes& Out, uint32_t Value, int Size) {
  for (int i = 0; i < Size; ++i) Out.push_back(uint8_t(Value >> (8 * i)));
}
void PutBig(Bytes& Out, uint32_t Value, int Size) {
  for (int i = Size - 1; i >= 0; --i) Out.push_back(uint8_t(Value >> (8 * i)));
}

Bytes Gif(uint16_t W, uint16_t H, size_t Padding = 0) {
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
  PutLittle(gif, W, 2);
  PutLittle(gif, H, 2);
  gif.resize(gif.size() + Padding, 0);
  return gif;
}

Bytes Bmp(uint32_t InfoSize, int32_t W, int32_t H, bool WithPixels = true) {
  Bytes bmp = {'B', 'M'};
  bmp.resize(14, 0);
  PutLittle(bmp, InfoSize, 4);
  if (InfoSize == 12) {
    PutLittle(bmp, uint32_t(W), 2);
    PutLittle(bmp, uint32_t(H), 2);
  } else {
    PutLittle(bmp, uint32_t(W), 4);
    PutLittle(bmp, uint32_t(H), 4);
  }
  if (WithPixels) bmp.resize(bmp.size() + size_t(std::abs(int64_t(W) * H)) * 4, 0x7F);
  return bmp;
}

// One directory holding ImageWidth and ImageLength, as SHORT (3) or LONG (4).
Bytes Tiff(bool Little, uint16_t Type, uint32_t W, uint32_t H, uint32_t DirAt = 8) {
  auto put = [Little](Bytes& Out, uint32_t Value, int Size) {
    Little ? PutLittle(Out, Value, Size) : PutBig(Out, Value, Size);
  };
  Bytes tiff = Little ? Bytes{'I', 'I', 42, 0} : Bytes{'M', 'M', 0, 42};
  put(tiff, DirAt, 4);
  put(tiff, 2, 2);
  for (auto [tag, value] : {std::pair(256u, W), std::pair(257u, H)}) {
    put(tiff, tag, 2);
    put(tiff, Type, 2);
    put(tiff, 1, 4);
    if (Type == 3) {
      put(tiff, value, 2);
      put(tiff, 0, 2);
    } else {
      put(tiff, value, 4);
    }
  }
  tiff.resize(tiff.size() + 4096, 0);
  return tiff;
}

TEST(ImageHeader, ReadsTheDeclaredSizeOfEachKind) {
  const Bytes png = MakeBitmap(5, 3, [](int32_t, int32_t) { return 0x80402010u; })->SaveToBytes();
  const Bytes jpeg = OpaqueGradient(40, 24)->SaveToBytes();
  ASSERT_TRUE(IsPngFile(png));
  ASSERT_TRUE(IsJpegFile(jpeg));
  struct Case {
    const char* Name;
    Bytes Data;
    TuiImageKind Kind;
    int64_t W, H;
  };
  const Case cases[] = {
      {"PNG", png, ikPng, 5, 3},
      {"JPEG", jpeg, ikJpeg, 40, 24},
      {"GIF", Gif(300, 200), ikGif, 300, 200},
      {"BMP", Bmp(40, 5, 7), ikBmp, 5, 7},
      {"BMP stored top down", Bmp(40, 5, -7), ikBmp, 5, 7},
      {"BMP with the old core header", Bmp(12, 6, 2), ikBmp, 6, 2},
      {"TIFF, Intel order, SHORT sides", Tiff(true, 3, 640, 480), ikTiff, 640, 480},
      {"TIFF, Motorola order, LONG sides", Tiff(false, 4, 70000, 3), ikTiff, 70000, 3},
  };
  for (const Case& c : cases) {
    TuiImageHeader header;
    ASSERT_TRUE(uxReadImageHeader(c.Data, header)) << c.Name;
    EXPECT_EQ(header.Kind, c.Kind) << c.Name;
    EXPECT_EQ(std::pair(header.Width, header.Height), std::pair(c.W, c.H)) << c.Name;
  }
  TuiImageHeader header;
  ASSERT_TRUE(uxReadImageHeader(jpeg, header));
  EXPECT_GE(header.JpegScans, 1);
  EXPECT_FALSE(header.JpegArithmetic);
  EXPECT_TRUE(uxImageWorthDecoding(jpeg, header, 500, int64_t(1) << 30));
}

TEST(ImageHeader, RefusesWhatWouldCostMoreThanItHolds) {
  const Bytes jpeg = OpaqueGradient(64, 64)->SaveToBytes();
  const Bytes cut(jpeg.begin(), jpeg.begin() + long(jpeg.size() * 2 / 3));
  struct Case {
    const char* Name;
    Bytes Data;
    bool HeaderRead;
  };
  const Case cases[] = {
      {"unknown signature", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}, false},
      {"GIF cut in its header", Bytes{'G', 'I', 'F', '8', '7', 'a', 1}, false},
      {"TIFF whose directory lies beyond the data", Tiff(true, 3, 4, 4, 1u << 20), false},
      {"JPEG without its end", cut, false},
      {"JPEG of 4000 x 4000 with the data of 64 x 64", JpegWithSize(jpeg, 4000, 4000), true},
      {"GIF wider than the side limit", Gif(uint16_t(TuiFilter::MaxSide + 1), 1, 64), true},
      {"GIF of zero width", Gif(0, 10, 64), true},
      {"GIF of 8192 x 8192 in 74 bytes", Gif(8192, 8192, 64), true},
      {"BMP over the pixel limit", Bmp(40, 8193, -8192, false), true},
      {"BMP of 4096 x 4096 in 26 bytes", Bmp(40, 4096, 4096, false), true},
  };
  for (const Case& c : cases) {
    TuiImageHeader header;
    EXPECT_EQ(uxReadImageHeader(c.Data, header), c.HeaderRead) << c.Name;
    EXPECT_FALSE(uxImageWorthDecoding(c.Data, header, 500, int64_t(1) << 30)) << c.Name;
  }
}

// The committed pictures (the console picture, the decoder's seed files):
// the header reader lets each through with the size the system's filter
// decodes. The console picture must decode everywhere; a seed file a system's
// codec does not read (arithmetic coding, say) is named and passed over.
TEST(ImageHeader, AgreesWithTheDecoderOnTheCommittedPictures) {
  const std::filesystem::path root = UX_SOURCE_ROOT;
  const std::filesystem::path console = root / "app" / "resources" / "console.jpg";
  std::vector<std::filesystem::path> files = {console};
  for (const auto& entry :
       std::filesystem::directory_iterator(root / "fuzz" / "corpus" / "image_decode_fuzzer"))
    files.push_back(entry.path());
  for (const std::filesystem::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const Bytes data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    TuiBitmap b;
    if (!b.LoadFromBytes(data)) {
      EXPECT_NE(file, console);
      std::printf("%s: not read by the system's filter\n", file.filename().string().c_str());
      continue;
    }
    TuiImageHeader header;
    ASSERT_TRUE(uxReadImageHeader(data, header)) << file;
    EXPECT_TRUE(uxImageWorthDecoding(data, header, 500, int64_t(1) << 30)) << file;
    EXPECT_EQ(std::pair(header.Width, header.Height), std::pair(int64_t(b.Width()), int64_t(b.Height())))
        << file;
  }
}

}  // namespace
