#include "scene2d/Colors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

char LowerAscii(char C) {
  return C >= 'A' && C <= 'Z' ? char(C - 'A' + 'a') : C;
}

std::string Lower(std::string_view Text) {
  std::string s(Text);
  for (char& c : s) c = LowerAscii(c);
  return s;
}

std::string Upper(std::string_view Text) {
  std::string s(Text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return s;
}

struct ColorCase {
  std::string_view Text;
  TuiColor Expected;
};

TEST(ColorText, AcceptedForms) {
  const ColorCase cases[] = {
      {"#FF00FF00", 0xFF00FF00},
      {"#ff00ff00", 0xFF00FF00},
      {"#00FF00", 0x0000FF00},  // six digits: alpha 0
      {"#F", 0x0000000F},
      {"Green", 0xFF008000},
      {"green", 0xFF008000},
      {"GREEN", 0xFF008000},
      {"Grey", 0xFF808080},
      {"gray", 0xFF808080},
      {"aliceblue", 0xFFF0F8FF},
      {"YellowGreen", 0xFF9ACD32},
      {"$FF", 0x000000FF},
      {"$FF0000FF", 0xFF0000FF},
      {"0xFF0000FF", 0xFF0000FF},
      {"0X1f", 0x0000001F},
      {"x10", 0x00000010},
      {"-1", 0xFFFFFFFF},
      {"-$1", 0xFFFFFFFF},
      {"  +42", 42},
      {"2147483647", 0x7FFFFFFF},
      {"-2147483648", 0x80000000},
      {std::string_view("\0", 1), 0},
  };
  for (const ColorCase& c : cases) {
    TuiColor color = 0x12345678;
    EXPECT_TRUE(TryTextToColor(c.Text, color)) << c.Text;
    EXPECT_EQ(color, c.Expected) << c.Text;
    EXPECT_EQ(TextToColor(c.Text), c.Expected) << c.Text;
  }
}

TEST(ColorText, RejectedFormsLeaveTheColourAndGiveZero) {
  const std::string_view cases[] = {"",
                                    "#",
                                    "#123456789",
                                    "#12 34",
                                    "#GG",
                                    "red ",
                                    "42 ",
                                    " ",
                                    "2147483648",
                                    "$",
                                    "0x",
                                    "$123456789",
                                    "0x123456789",
                                    "-",
                                    "1.5",
                                    "re d",
                                    "nocolor",
                                    "#-1",
                                    std::string_view("\0\0", 2)};
  for (std::string_view text : cases) {
    TuiColor color = 0x12345678;
    EXPECT_FALSE(TryTextToColor(text, color)) << text;
    EXPECT_EQ(color, 0x12345678u) << text;
    EXPECT_EQ(TextToColor(text), 0u) << text;
  }
}

TEST(ColorText, NameTableIsTheSortedKeywordList) {
  auto names = ColorNames();
  ASSERT_EQ(names.size(), 147u);
  for (size_t i = 0; i < names.size(); ++i) {
    std::string_view name = names[i].Name;
    EXPECT_TRUE(name[0] >= 'A' && name[0] <= 'Z') << name;
    EXPECT_EQ(Lower(name.substr(1)), name.substr(1)) << name;
    EXPECT_EQ(names[i].Color >> 24, 0xFFu) << name;
    if (i > 0) {
      EXPECT_LT(Lower(names[i - 1].Name), Lower(name));
    }
    // Lookup goes through the sorted table, so every entry must be found in
    // every spelling.
    EXPECT_EQ(TextToColor(Lower(name)), names[i].Color) << name;
    EXPECT_EQ(TextToColor(Upper(name)), names[i].Color) << name;
  }
}

TEST(ColorText, PrintsEightUpperCaseDigitsAndReadsBack) {
  EXPECT_EQ(ColorToText(0xFF000000), "#FF000000");  // never "Black"
  EXPECT_EQ(ColorToText(0xFF3E3E3E), "#FF3E3E3E");
  EXPECT_EQ(ColorToText(0x0000000F), "#0000000F");
  EXPECT_EQ(ColorToText(0xDEADBEEF), "#DEADBEEF");
  for (uint64_t v = 0; v <= 0xFFFFFFFF; v += 0x01010101 * 7 + 13) {
    TuiColor c = static_cast<TuiColor>(v);
    EXPECT_EQ(TextToColor(ColorToText(c)), c) << ColorToText(c);
  }
  EXPECT_EQ(TextToColor(ColorToText(0xFFFFFFFF)), 0xFFFFFFFFu);
}

TEST(ColorMath, MakeColorPacksArgb) {
  EXPECT_EQ(MakeColor(0x12, 0x34, 0x56, 0x78), 0x78123456u);
}

TEST(ColorMath, OpacityScalesAlphaOnly) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    TuiColor Color;
    float Opacity;
    TuiColor Expected;
  } cases[] = {
      {0x80FFFFFF, 0.5f, 0x40FFFFFF},   {0x80FFFFFF, 1.0f, 0x80FFFFFF}, {0x80FFFFFF, 3.0f, 0x80FFFFFF},
      {0xFF123456, 0.999f, 0xFE123456}, {0xFF123456, 0, 0x00123456},    {0xFF123456, -0.5f, 0x00123456},
      {0xFF123456, nan, 0x00123456},
  };
  for (const auto& c : cases) EXPECT_EQ(OpacityColor(c.Color, c.Opacity), c.Expected) << c.Opacity;
}

TEST(ColorMath, PremultiplyAndBack) {
  EXPECT_EQ(PremultiplyColor(0x00FFFFFF), 0u);
  EXPECT_EQ(UnpremultiplyColor(0x00FFFFFF), 0u);
  EXPECT_EQ(PremultiplyColor(0xFF123456), 0xFF123456u);
  EXPECT_EQ(UnpremultiplyColor(0xFF123456), 0xFF123456u);
  EXPECT_EQ(PremultiplyColor(0x80FF8000), 0x80804000u);
  EXPECT_EQ(UnpremultiplyColor(0x80804000), 0x80FF7F00u);
  // A channel equal to its alpha is full intensity for every alpha.
  for (uint32_t a = 1; a < 255; ++a) {
    uint8_t b = static_cast<uint8_t>(a);
    EXPECT_EQ(UnpremultiplyColor(MakeColor(b, b, b, b)), MakeColor(255, 255, 255, b)) << a;
  }
  // Channels above their alpha (not a premultiplied colour) stay within 8 bits.
  EXPECT_EQ(UnpremultiplyColor(0x10FF2000), 0x10FFFF00u);
}

TEST(ColorMath, InterpolateTruncatesPerChannel) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    TuiColor Start, Stop;
    float T;
    TuiColor Expected;
  } cases[] = {
      {0xFF000000, 0xFFFFFFFF, 0.5f, 0xFF7F7F7F},
      {0xFFFFFFFF, 0xFF000000, 0.5f, 0xFF808080},  // toward zero, not down
      {0x00000000, 0xFF102030, 0.0f, 0x00000000},
      {0x00000000, 0xFF102030, 1.0f, 0xFF102030},
      {0x80FF0000, 0x000000FF, 0.25f, 0x60C0003F},
      {0x00000000, 0x000000FF, 1.1f, 0x00000018},  // 280 kept to 8 bits
      {0x000000FF, 0x00000000, 1.1f, 0x000000E7},  // -25 kept to 8 bits
      {0x11223344, 0x55667788, nan, 0x11223344},
  };
  for (const auto& c : cases) EXPECT_EQ(InterpolateColor(c.Start, c.Stop, c.T), c.Expected) << c.T;
  EXPECT_FLOAT_EQ(InterpolateSingle(2, 6, 0.25f), 3);
}

TEST(ColorMath, HslModel) {
  const struct {
    TuiColor Color;
    float H, S, L;
  } cases[] = {
      {0xFFFF0000, 0, 1, 0.5f},        {0xFF00FF00, 1 / 3.f, 1, 0.5f}, {0xFF0000FF, 2 / 3.f, 1, 0.5f},
      {0xFFFF00FF, 5 / 6.f, 1, 0.5f},  {0xFFFFFFFF, 0, 0, 1},          {0xFF000000, 0, 0, 0},
      {0xFF808080, 0, 0, 128 / 255.f}, {0xFF800000, 0, 1, 64 / 255.f},
  };
  for (const auto& c : cases) {
    TuiHSL hsl = RGBtoHSL(c.Color);
    EXPECT_NEAR(hsl.H, c.H, 1e-6) << ColorToText(c.Color);
    EXPECT_NEAR(hsl.S, c.S, 1e-6) << ColorToText(c.Color);
    EXPECT_NEAR(hsl.L, c.L, 1e-6) << ColorToText(c.Color);
    EXPECT_EQ(HSLtoRGB(c.H, c.S, c.L), c.Color) << ColorToText(c.Color);
  }
  EXPECT_EQ(HSLtoRGB(0, 0, 0.5f), 0xFF808080u);  // 127.5 ties to even
  // Alpha is ignored on the way in and opaque on the way out.
  for (uint32_t v = 0; v <= 0xFFFFFF; v += 0x010305 * 11) {
    TuiHSL hsl = RGBtoHSL(0x20000000 | v);
    EXPECT_EQ(HSLtoRGB(hsl.H, hsl.S, hsl.L), 0xFF000000 | v) << v;
  }
  // Out-of-range input never leaves the 8-bit channels.
  EXPECT_EQ(HSLtoRGB(0, 1, 2), 0xFFFFFFFFu);
  EXPECT_EQ(HSLtoRGB(0, 1, -1), 0xFF000000u);
}

TEST(ColorMath, ChangeHslClampsAndKeepsAlpha) {
  EXPECT_EQ(ChangeHSL(0x80FF0000, 0, 0, 0), 0x80FF0000u);
  EXPECT_EQ(ChangeHSL(0x80FF0000, 0, 0, 1), 0x80FFFFFFu);
  EXPECT_EQ(ChangeHSL(0x40FF0000, 0, -1, 0), 0x40808080u);
  // Blue at hue 2/3 plus 0.5 stops at 1 (red) instead of wrapping to yellow.
  EXPECT_EQ(ChangeHSL(0x800000FF, 0.5f, 0, 0), 0x80FF0000u);
}

}  // namespace
