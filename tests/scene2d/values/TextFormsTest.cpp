#include "scene2d/TextForms.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <string>

#include "scene2d/Errors.h"

namespace {

TEST(FloatText, Printing) {
  const struct {
    float Value;
    std::string_view Text;
  } cases[] = {
      {14, "14"},
      {0.5f, "0.500"},
      {-12.25f, "-12.250"},
      {-0.25f, "-0.250"},
      {3.8f, "3.800"},
      {11.00000095367432f, "11.000"},  // a fraction too small to show still gets decimals
      {-3, "-3"},
      {0, "0"},
      {-0.0f, "0"},
      {0.0001f, "0.000"},
      {-0.0001f, "0.000"},
      {0.0625f, "0.063"},  // ties round away from zero
      {-0.0625f, "-0.063"},
      {0.9999f, "1.000"},
      {8388607.5f, "8388607.500"},
      {1e20f, "100000002004087734272"},
      {std::numeric_limits<float>::infinity(), "INF"},
      {-std::numeric_limits<float>::infinity(), "-INF"},
      {std::numeric_limits<float>::quiet_NaN(), "NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToText(c.Value), c.Text) << c.Text;
}

TEST(FloatText, Reading) {
  const struct {
    std::string_view Text;
    float Value;
  } cases[] = {
      {"0.500", 0.5f},
      {"14", 14},
      {"-12.250", -12.25f},
      {" 3 ", 3},
      {"+2", 2},
      {"1.5E2", 150},
      {"1e-3", 0.001f},
      {".5", 0.5f},
      {"5.", 5},
      {"-0", 0},
      {"1e-50", 0},
      {"007", 7},
      {"3.40282e38", 3.40282e38f},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToFloat(c.Text), c.Value) << c.Text;
    float value = -1;
    EXPECT_TRUE(TryTextToFloat(c.Text, value)) << c.Text;
    EXPECT_EQ(value, c.Value) << c.Text;
  }
  EXPECT_TRUE(std::signbit(TextToFloat("-1e-50")));
}

TEST(FloatText, InvalidTextsRaiseConvertError) {
  const std::string_view cases[] = {"",     "abc", "1,5", "1.2.3", "1e",  "1e+", "inf",  "nan", "0x10",
                                    "1e39", "--1", ".",   "-",     "1 2", "+-1", "1e5x", "E5"};
  for (std::string_view text : cases) {
    EXPECT_THROW(TextToFloat(text), EuxConvertError) << text;
    float value = 42;
    EXPECT_FALSE(TryTextToFloat(text, value)) << text;
    EXPECT_EQ(value, 42) << text;
  }
  try {
    TextToFloat("1,5");
    FAIL();
  } catch (const EuxConvertError& e) {
    EXPECT_NE(std::string(e.what()).find("'1,5'"), std::string::npos) << e.what();
  }
}

TEST(FloatText, PrintedValuesReadBackToThreeDecimals) {
  for (float v = -1000; v <= 1000; v += 0.377f) {
    float back = TextToFloat(FloatToText(v));
    EXPECT_NEAR(back, v, 0.0005f + std::fabs(v) * 1e-6f) << FloatToText(v);
  }
  for (float v : {1e10f, -3e30f, 16777216.0f}) EXPECT_EQ(TextToFloat(FloatToText(v)), v);
}

TEST(PointText, PrintsWithoutBlanks) {
  EXPECT_EQ(PointToText({96, 74}), "(96,74)");
  EXPECT_EQ(PointToText({0, 0.5f}), "(0,0.500)");
  EXPECT_EQ(RectToText({12, 12, 12, 12}), "(12,12,12,12)");
  EXPECT_EQ(RectToText({-8, -11, -9, -11}), "(-8,-11,-9,-11)");
  EXPECT_EQ(RectToText({0.5f, -0.25f, 1, 2}), "(0.500,-0.250,1,2)");
}

TEST(PointText, Reading) {
  const struct {
    std::string_view Text;
    TuiPoint Expected;
  } cases[] = {
      {"(96,74)", {96, 74}},  {"(0,0.500)", {0, 0.5f}},
      {"( 1 , 2 )", {1, 2}},  {" (\t-1.5,2e1) ", {-1.5f, 20}},
      {"(3,4,5)", {3, 4}},                        // text after the values is ignored
      {"(3,4) junk", {3, 4}}, {"96,74", {0, 0}},  // the first token is the opener and is dropped
      {"(1,x)", {0, 0}},                          // one bad value spoils the whole point
      {"(x,1)", {0, 0}},      {"(1)", {0, 0}},
      {"", {0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToPoint(c.Text), c.Expected) << c.Text;
}

TEST(RectText, Reading) {
  const struct {
    std::string_view Text;
    TuiRect Expected;
  } cases[] = {
      {"(2,2,2,2)", {2, 2, 2, 2}},
      {"( 1 , 2 , 3 , 4 )", {1, 2, 3, 4}},
      {"(-8,-11,-9,-11)", {-8, -11, -9, -11}},
      {"(1,2,3,x)", {0, 0, 0, 0}},
      {"(1,2,3)", {0, 0, 0, 0}},
      {"(1,2,,4)", {0, 0, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToRect(c.Text), c.Expected) << c.Text;
  const TuiRect r{0.5f, -3, 1280, 0.125f};
  EXPECT_EQ(TextToRect(RectToText(r)), r);
}

TEST(Tokens, SeparatorsAreConsumedAndStopsKept) {
  std::string_view text = "Fill.Color.Value";
  EXPECT_EQ(NextToken(text, "."), "Fill");
  EXPECT_EQ(text, "Color.Value");
  EXPECT_EQ(NextToken(text, "."), "Color");
  EXPECT_EQ(NextToken(text, "."), "Value");
  EXPECT_EQ(text, "");
  EXPECT_EQ(NextToken(text, "."), "");

  text = " a b ;c,d";
  EXPECT_EQ(NextToken(text, ",", ";"), "a b");
  EXPECT_EQ(text, ";c,d");
  EXPECT_EQ(NextToken(text, ",", ";"), "");  // a stop at the front stays put
  EXPECT_EQ(text, ";c,d");

  // Control characters are trimmed; bytes above 127 are text.
  text = "\t\x01\xE9t\xE9\r\n|\x1F rest \x7F\x02";
  EXPECT_EQ(NextToken(text, "|"), "\xE9t\xE9");
  EXPECT_EQ(text, "rest \x7F");
}

// Restores the C and C++ locales a test switched.
class LocaleGuard {
 public:
  LocaleGuard() : FCpp(std::locale()), FC(std::setlocale(LC_NUMERIC, nullptr)) {}
  ~LocaleGuard() {
    std::locale::global(FCpp);
    std::setlocale(LC_NUMERIC, FC.c_str());
  }

 private:
  std::locale FCpp;
  std::string FC;
};

struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

void ExpectDotForms() {
  EXPECT_EQ(FloatToText(-12.25f), "-12.250");
  EXPECT_EQ(FloatToText(1234567), "1234567");
  EXPECT_EQ(TextToFloat("0.500"), 0.5f);
  EXPECT_THROW(TextToFloat("0,500"), EuxConvertError);
  EXPECT_EQ(PointToText({0, 0.5f}), "(0,0.500)");
  EXPECT_EQ(TextToRect("(1.5,2,3,4)"), (TuiRect{1.5f, 2, 3, 4}));
}

TEST(TextFormsLocale, CommaDecimalCppLocaleIsIgnored) {
  LocaleGuard guard;
  std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  ExpectDotForms();
}

TEST(TextFormsLocale, CommaDecimalCLocaleIsIgnored) {
  LocaleGuard guard;
  const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "ru_RU.UTF-8"};
  const char* found = nullptr;
  for (const char* name : names)
    if (std::setlocale(LC_NUMERIC, name)) {
      found = name;
      break;
    }
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
  ASSERT_EQ(*std::localeconv()->decimal_point, ',') << found;
  ExpectDotForms();
}

}  // namespace
