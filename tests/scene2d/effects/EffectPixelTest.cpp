// The blur against its definition, and the pixel work of the effect kinds.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "draw2d/Bitmap.h"
#include "draw2d/BitmapBlur.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/effects/EffectKinds.h"

namespace {

uint32_t AlphaOf(uint32_t Pixel) {
  return Pixel >> 24;
}

// The blur as defined: a horizontal, then a vertical pass of the triangular
// kernel, edges repeated, each channel's sum truncated by (r + 1)^2.
std::vector<uint32_t> ReferenceBlur(const std::vector<uint32_t>& In, int W, int H, int R) {
  auto pass = [&](const std::vector<uint32_t>& Src, bool Rows) {
    std::vector<uint32_t> out(Src.size());
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        uint32_t result = 0;
        for (int c = 0; c < 4; ++c) {
          uint64_t sum = 0;
          for (int k = -R; k <= R; ++k) {
            const int sx = Rows ? std::clamp(x + k, 0, W - 1) : x;
            const int sy = Rows ? y : std::clamp(y + k, 0, H - 1);
            sum += uint64_t((Src[size_t(sy * W + sx)] >> (8 * c)) & 0xFF) * uint64_t(R + 1 - std::abs(k));
          }
          result |= uint32_t(sum / uint64_t((R + 1) * (R + 1))) << (8 * c);
        }
        out[size_t(y * W + x)] = result;
      }
    return out;
  };
  return pass(pass(In, true), false);
}

TEST(StackBlur, MatchesTheKernelsDefinition) {
  std::mt19937 random(7);
  struct {
    int W, H, R;
  } cases[] = {{17, 11, 1}, {23, 19, 4}, {9, 30, 7}, {3, 5, 9} /* wider than the picture */};
  for (const auto& c : cases) {
    TuiBitmap bitmap(c.W, c.H);
    std::vector<uint32_t> pixels(size_t(c.W * c.H));
    for (uint32_t& p : pixels) {
      // Premultiplied: no channel above the alpha.
      const uint32_t a = random() % 256;
      p = a << 24 | (random() % (a + 1)) << 16 | (random() % (a + 1)) << 8 | (random() % (a + 1));
    }
    std::copy(pixels.begin(), pixels.end(), bitmap.Bits());
    StackBlur(bitmap, c.R);
    const std::vector<uint32_t> expected = ReferenceBlur(pixels, c.W, c.H, c.R);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bitmap.Bits()))
        << c.W << "x" << c.H << " r" << c.R;
  }
}

TEST(StackBlur, KeepsAUniformPictureAndIgnoresRadiiOfZeroOrLess) {
  TuiBitmap bitmap(40, 30);
  bitmap.Clear(0x80402010);
  const uint32_t uniform = bitmap.Bits()[0];
  StackBlur(bitmap, 1000);
  EXPECT_TRUE(std::all_of(bitmap.Bits(), bitmap.Bits() + 1200, [&](uint32_t p) { return p == uniform; }));
  bitmap.Bits()[5] = 0xFFFFFFFF;
  const uint64_t changes = bitmap.ChangeCount();
  StackBlur(bitmap, 0);
  StackBlur(bitmap, -3);
  EXPECT_EQ(bitmap.Bits()[5], 0xFFFFFFFFu);
  EXPECT_EQ(bitmap.ChangeCount(), changes);
}

class EffectPixels : public ::testing::Test {
 protected:
  void SetUp() override { RegisterCairoCanvas(); }
  TuiComponent Owner{nullptr};
};

TEST_F(EffectPixels, AReflectionIsFlippedAndFadesAwayFromTheObject) {
  // One column of 11 rows: white, and green in the bottom row.
  TuiBitmap bitmap(1, 11);
  bitmap.Clear(0xFFFFFFFF);
  bitmap.Bits()[10] = 0xFF00FF00;
  TuiReflectionEffect reflection(&Owner);  // opacity 0.5, length 0.5
  reflection.ProcessEffect(*bitmap.Canvas(), bitmap, 1);
  // b = Round(10 * 0.5) = 5 rows kept; row i from the bottom keeps
  // 0.5 * (i - 5) / 5 of the alpha.
  EXPECT_EQ(bitmap.Bits()[0], PremultiplyColor(0x7F00FF00));  // the old bottom row
  EXPECT_EQ(AlphaOf(bitmap.Bits()[1]), 102u);                 // Trunc(0.4 * 255)
  EXPECT_EQ(AlphaOf(bitmap.Bits()[4]), 25u);                  // Trunc(0.1 * 255)
  for (int y = 5; y < 11; ++y) EXPECT_EQ(bitmap.Bits()[y], 0u) << y;
}

TEST_F(EffectPixels, ABevelLightsOneEdgeDarkensTheOtherAndKeepsTheCoverage) {
  TuiBitmap bitmap(40, 40);
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 30; ++x) bitmap.Scanline(y)[x] = 0xFF808080;
  bitmap.Scanline(20)[20] = 0x80404040;  // a half-covered pixel
  TuiBevelEffect bevel(&Owner);
  bevel.SetSize(3);
  bevel.ProcessEffect(*bitmap.Canvas(), bitmap, 1);
  const auto level = [&](int X, int Y) { return bitmap.Scanline(Y)[X] & 0xFF; };
  // Direction 45 lights the top and the left edge and turns away from the
  // bottom and the right one; the flat middle keeps a middle shade.
  EXPECT_GT(level(20, 10), level(20, 16));
  EXPECT_LT(level(20, 28), level(20, 16));
  EXPECT_GT(level(10, 15), level(28, 15));
  EXPECT_EQ(AlphaOf(bitmap.Scanline(20)[20]), 0x80u);
  EXPECT_EQ(AlphaOf(bitmap.Scanline(15)[15]), 0xFFu);
  EXPECT_EQ(bitmap.Scanline(5)[5], 0u);
}

TEST_F(EffectPixels, AGlowUnderAHalfCoveredPixelShowsAtHalfStrength) {
  // A 6 x 6 square, opaque but for one half-covered pixel; the glow is
  // compared with the one of a fully transparent hole at the same place.
  auto glowAt = [&](uint32_t Centre) {
    TuiBitmap bitmap(30, 30);
    for (int y = 12; y < 18; ++y)
      for (int x = 12; x < 18; ++x) bitmap.Scanline(y)[x] = 0xFF000000;
    bitmap.Scanline(15)[15] = Centre;
    TuiGlowEffect glow(&Owner);
    glow.SetOpacity(1);
    glow.ProcessEffect(*bitmap.Canvas(), bitmap, 1);
    EXPECT_EQ(bitmap.Scanline(13)[13], 0u);  // opaque: no glow
    return AlphaOf(bitmap.Scanline(15)[15]);
  };
  const uint32_t half = glowAt(0x80000000), hole = glowAt(0);
  EXPECT_GT(hole, 0u);
  EXPECT_NEAR(double(half), double(hole) * 127 / 255, 2);
}

}  // namespace
