#include "platform/AlphaOutline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {

// A frame drawn from text rows: '.' alpha 0, 'f' faint (alpha 0x40), '#' solid.
std::vector<uint32_t> Frame(const std::vector<std::string>& Rows) {
  std::vector<uint32_t> out;
  for (const std::string& row : Rows)
    for (char c : row) out.push_back(c == '.' ? 0x00000000u : c == 'f' ? 0x40102030u : 0xFF102030u);
  return out;
}

TEST(AlphaOutline, RowsWithTheSameRunsShareOneRectanglePerRun) {
  const std::vector<std::string> rows = {
      "..##..f.",  //
      "..##..f.",  //
      "..ffff..",  //
      "........",  //
      "#......#",
  };
  const std::vector<uint32_t> pixels = Frame(rows);
  TAlphaOutline outline;
  outline.Reset({8, 5});
  EXPECT_TRUE(outline.Update({pixels.data(), 8, 5}, {0, 0, 8, 5}));
  const TRect all{0, 0, 8, 5};
  EXPECT_EQ(outline.Rectangles(all, TAlphaOutline::olInput),
            (std::vector<TShapeRect>{{2, 0, 2, 2}, {6, 0, 1, 2}, {2, 2, 4, 1}, {0, 4, 1, 1}, {7, 4, 1, 1}}));
  EXPECT_EQ(outline.Rectangles(all, TAlphaOutline::olSolid),
            (std::vector<TShapeRect>{{2, 0, 2, 2}, {0, 4, 1, 1}, {7, 4, 1, 1}}));
  // Only the part asked for, cut to the frame.
  EXPECT_EQ(outline.Rectangles({3, 1, 20, 2}, TAlphaOutline::olInput),
            (std::vector<TShapeRect>{{3, 1, 1, 1}, {6, 1, 1, 1}, {3, 2, 3, 1}}));
  EXPECT_TRUE(outline.At(6, 0, TAlphaOutline::olInput));
  EXPECT_FALSE(outline.At(6, 0, TAlphaOutline::olSolid));
  EXPECT_FALSE(outline.At(8, 0, TAlphaOutline::olInput));
}

TEST(AlphaOutline, AnUpdateCountsAsAChangeOnlyWhenTheOutlineMoves) {
  std::vector<uint32_t> pixels = Frame({"##..", "##.."});
  TAlphaOutline outline;
  outline.Reset({4, 2});
  ASSERT_TRUE(outline.Update({pixels.data(), 4, 2}, {0, 0, 4, 2}));
  pixels[0] = 0xFFFF0000;  // another colour, as a lit LED
  pixels[2] = 0;           // transparent stays transparent
  EXPECT_FALSE(outline.Update({pixels.data(), 4, 2}, {0, 0, 4, 2}));
  pixels[1] = 0x7F000000;  // solid becomes faint
  EXPECT_TRUE(outline.Update({pixels.data(), 4, 2}, {0, 0, 2, 1}));
  // A change outside the rectangle read is not seen.
  pixels[3] = 0xFF000000;
  EXPECT_FALSE(outline.Update({pixels.data(), 4, 2}, {0, 0, 2, 2}));
  EXPECT_FALSE(outline.At(3, 0, TAlphaOutline::olInput));
}

}  // namespace

// Wide rows go sixteen pixels at a time; every alpha class and every place in
// a row must come out as one at a time would.
TEST(AlphaOutline, WideRowsClassEveryPixelAsNarrowOnesDo) {
  const int w = 37;  // two blocks of sixteen and a tail
  const uint32_t kinds[] = {0x00000000u, 0x00FFFFFFu, 0x01000000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
  std::vector<uint32_t> pixels(w);
  for (int x = 0; x < w; ++x) pixels[size_t(x)] = kinds[size_t(x) % 6];
  TAlphaOutline outline;
  outline.Reset({w, 1});
  ASSERT_TRUE(outline.Update({pixels.data(), w, 1}, {0, 0, w, 1}));
  for (int x = 0; x < w; ++x) {
    const uint32_t a = pixels[size_t(x)] >> 24;
    EXPECT_EQ(outline.At(x, 0, TAlphaOutline::olInput), a != 0) << x;
    EXPECT_EQ(outline.At(x, 0, TAlphaOutline::olSolid), a >= 0x80) << x;
  }
  for (int at : {0, 15, 20, 36}) {
    EXPECT_FALSE(outline.Update({pixels.data(), w, 1}, {0, 0, w, 1}));
    pixels[size_t(at)] ^= 0x80000000u;
    EXPECT_TRUE(outline.Update({pixels.data(), w, 1}, {0, 0, w, 1})) << at;
  }
}
