#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "draw2d/ImageFilterPngJpeg.h"
#include "tools/imagegen/ConsolePictogram.h"
#include "tools/imagegen/GeneratedImages.h"

namespace {

std::vector<uint8_t> ReadCommitted(std::string_view Path) {
  std::ifstream in(std::string(UX_SOURCE_ROOT) + "/" + std::string(Path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void DecodeCommitted(std::string_view Path, TuiBitmap& Bitmap) {
  TuiFilterPngJpeg filter;
  EXPECT_TRUE(filter.LoadFromBytes(ReadCommitted(Path), Bitmap)) << Path;
}

uint32_t Pixel(const TuiBitmap& B, int X, int Y) {
  return B.Scanline(Y)[X];
}

// The committed pictures must be what the generators make now: a change to a
// generator without running it again, or a hand-edited picture, fails here.
// PNG is lossless, so every pixel must match; the JPEG may differ only by its
// compression noise.
TEST(GeneratedImages, CommittedFilesAreWhatTheGeneratorsMakeNow) {
  for (const TuiGeneratedImage& image : uxGeneratedImages()) {
    SCOPED_TRACE(image.Path);
    TuiBitmap committed;
    DecodeCommitted(image.Path, committed);
    TuiBitmap made;
    image.Make(made);
    ASSERT_EQ(committed.Width(), made.Width());
    ASSERT_EQ(committed.Height(), made.Height());
    const size_t n = size_t(made.Width()) * size_t(made.Height());
    if (image.Format == "png") {
      EXPECT_TRUE(std::equal(made.Bits(), made.Bits() + n, committed.Bits()));
      continue;
    }
    double total = 0;
    for (size_t i = 0; i < n; ++i)
      for (int shift : {0, 8, 16})
        total += std::abs(int((made.Bits()[i] >> shift) & 0xFF) - int((committed.Bits()[i] >> shift) & 0xFF));
    EXPECT_LT(total / double(n * 3), 1.5) << "mean difference per channel";
  }
}

TEST(GeneratedImages, ShadowIsBlackWithTheAlphaProfileAndRoundedCorners) {
  TuiBitmap s;
  DecodeCommitted("controls/styles/images/hudshadow.png", s);
  ASSERT_EQ(s.Width(), 101);
  ASSERT_EQ(s.Height(), 78);
  auto alpha = [&](int X, int Y) { return int(Pixel(s, X, Y) >> 24); };
  int highest = 0;
  for (int y = 0; y < 78; ++y) {
    for (int x = 0; x < 101; ++x) {
      ASSERT_EQ(Pixel(s, x, y) & 0xFFFFFF, 0u) << "black at (" << x << "," << y << ")";
      highest = std::max(highest, alpha(x, y));
      const bool interior = x >= 8 && x <= 90 && y >= 12 && y <= 65;
      if (interior) {
        ASSERT_EQ(alpha(x, y), 0) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(highest, 155);

  struct Run {
    bool Across;  // along the middle row, else down the middle column
    int First;
    std::vector<int> Alpha;
  };
  const Run runs[] = {
      {true, 0, {0, 3, 8, 15, 26, 38, 54, 71}},
      {true, 91, {62, 155, 131, 107, 85, 65, 48, 34, 22, 13}},
      {false, 0, {0, 0, 0, 0, 1, 5, 11, 19, 31, 44, 61, 48}},
      {false, 66, {70, 154, 130, 106, 84, 64, 47, 33, 21, 12, 6, 2}},
  };
  for (const Run& r : runs) {
    for (size_t i = 0; i < r.Alpha.size(); ++i) {
      const int at = r.First + int(i);
      EXPECT_EQ(r.Across ? alpha(at, 39) : alpha(50, at), r.Alpha[i])
          << (r.Across ? "column " : "row ") << at;
    }
  }
  // Rounded: the outermost corner pixels are clear although both edges still
  // cast shadow at that depth, and alpha falls off along the diagonal.
  EXPECT_EQ(alpha(100, 77), 0);
  EXPECT_GT(alpha(100, 39), 0);
  EXPECT_GT(alpha(50, 77), 0);
  EXPECT_GT(alpha(92, 67), alpha(96, 72));
}

TEST(GeneratedImages, SizeGripHasThreeDiagonalsWithTheirGreyEdge) {
  TuiBitmap g;
  DecodeCommitted("controls/styles/images/hudsizegrip.png", g);
  ASSERT_EQ(g.Width(), 15);
  ASSERT_EQ(g.Height(), 15);
  std::vector<uint32_t> expected(15 * 15, 0);
  const int dark[][2] = {{2, 11}, {3, 10}, {4, 9},  {5, 8}, {6, 7}, {7, 6},  {8, 5},  {9, 4},   {10, 3},
                         {11, 2}, {6, 11}, {7, 10}, {8, 9}, {9, 8}, {10, 7}, {11, 6}, {10, 11}, {11, 10}};
  for (auto [x, y] : dark) {
    expected[y * 15 + x] = 0xFF0F0F0F;
    if (x < 11) expected[y * 15 + x + 1] = 0xFF959595;
  }
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x) EXPECT_EQ(Pixel(g, x, y), expected[y * 15 + x]) << x << "," << y;
}

// The frame header of a JPEG: the first start-of-frame marker, its kind and fields.
struct JpegFrame {
  int Marker = 0, Precision = 0, Height = 0, Width = 0, Components = 0;
};

JpegFrame FirstFrame(const std::vector<uint8_t>& D) {
  JpegFrame f;
  for (size_t i = 2; i + 9 < D.size();) {
    if (D[i] != 0xFF) return f;
    const int marker = D[i + 1];
    const size_t length = size_t(D[i + 2]) << 8 | D[i + 3];
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      f = {marker, D[i + 4], D[i + 5] << 8 | D[i + 6], D[i + 7] << 8 | D[i + 8], D[i + 9]};
      return f;
    }
    i += 2 + length;
  }
  return f;
}

TEST(GeneratedImages, ConsolePictogramIsABaselineJpegWithItsSymbolsInPlace) {
  const std::vector<uint8_t> data = ReadCommitted("app/resources/console.jpg");
  ASSERT_GT(data.size(), 4u);
  EXPECT_EQ(data[0], 0xFF);
  EXPECT_EQ(data[1], 0xD8);
  const JpegFrame f = FirstFrame(data);
  EXPECT_EQ(f.Marker, 0xC0) << "baseline";
  EXPECT_EQ(f.Precision, 8);
  EXPECT_EQ(f.Width, 1094);
  EXPECT_EQ(f.Height, 1094);
  EXPECT_EQ(f.Components, 3);

  TuiBitmap p;
  DecodeCommitted("app/resources/console.jpg", p);
  ASSERT_EQ(p.Width(), TuiConsolePictogram::Size);
  // Points in the console's picture object, as its layout places LEDs and button.
  struct Probe {
    const char* What;
    float X, Y;
    bool White;
  };
  const float cx = 96 + 109 / 2.0f, cy = 74 + 116 / 2.0f;  // the round button's centre
  const Probe probes[] = {
      {"the picture's top-left corner", 8.5f, 0, false},
      {"the centre of green LED 3", 134, 26, false},
      {"the bar under the green row", 132.5f, 53.5f, true},
      {"the bar's left end under green LED 1", 22, 53.5f, true},
      {"the power ring's bottom", cx, cy + 34, true},
      {"the power ring's left side", cx - 34, cy, true},
      {"the opening of the ring beside the stem", cx + 8.8f, cy - 32.8f, false},
      {"the power stem", cx, cy - 20, true},
      {"the centre of the power symbol", cx, cy + 8, false},
      {"the centre of the yellow LED", 39, 217, false},
      {"the petrol pump's body, right of the yellow LED", 65, 222, true},
      {"the centre of the red LED", 226, 217, false},
      {"the gas cylinder's body, left of the red LED", 200, 225, true},
  };
  for (const Probe& pr : probes) {
    const TuiPoint px = TuiConsolePictogram::ToPixel({pr.X, pr.Y});
    const uint32_t c = Pixel(p, int(px.X), int(px.Y));
    const int grey = int((c >> 8) & 0xFF);
    if (pr.White) {
      EXPECT_GT(grey, 200) << pr.What;
    } else {
      EXPECT_LT(grey, 40) << pr.What;
    }
  }
}

// The console's layout carries the pictogram as hexadecimal text; it must be
// the committed picture, not an older one.
TEST(GeneratedImages, ConsoleLayoutHoldsTheCommittedPictogram) {
  const std::vector<uint8_t> layout = ReadCommitted("app/layouts/console.txt");
  const std::string text(layout.begin(), layout.end());
  const size_t open = text.find("Bitmap.PNG = {");
  ASSERT_NE(open, std::string::npos);
  const size_t close = text.find('}', open);
  ASSERT_NE(close, std::string::npos);
  std::vector<uint8_t> bytes;
  std::string digits;
  for (size_t i = text.find('{', open) + 1; i < close; ++i)
    if (std::isxdigit(static_cast<unsigned char>(text[i]))) digits += text[i];
  for (size_t i = 0; i + 1 < digits.size(); i += 2)
    bytes.push_back(uint8_t(std::stoi(digits.substr(i, 2), nullptr, 16)));
  EXPECT_EQ(digits.size() % 2, 0u);
  EXPECT_TRUE(bytes == ReadCommitted("app/resources/console.jpg"));
}

}  // namespace
