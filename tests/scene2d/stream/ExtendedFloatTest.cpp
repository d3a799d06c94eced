#include "scene2d/stream/DecimalFloat.h"
#include "scene2d/stream/ExtendedFloat.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr uint64_t kTop = uint64_t(1) << 63;

// The hardware's own 80-bit format, where long double is it (x86), serves as
// an independent oracle; the code under test never uses it.
constexpr bool kLongDoubleIsExtended = LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384;

long double ToLongDouble(const TuiExtended& X) {
  long double v = 0;
  unsigned char b[10];
  X.ToBytes(b);
  std::memcpy(&v, b, 10);
  return v;
}

TuiExtended FromLongDouble(long double V) {
  unsigned char b[sizeof(long double)];
  std::memcpy(b, &V, sizeof V);
  return TuiExtended::FromBytes(b);
}

TuiDecimal Decimal(std::string_view Text) {
  TuiDecimal d;
  size_t i = 0;
  if (Text[0] == '-') d.Negative = true, i = 1;
  int64_t fraction = 0;
  bool dot = false;
  for (; i < Text.size(); ++i) {
    if (Text[i] == '.') {
      dot = true;
    } else if (Text[i] == 'e' || Text[i] == 'E') {
      d.Exponent = std::atoll(std::string(Text.substr(i + 1)).c_str());
      break;
    } else {
      d.Digits += Text[i];
      fraction += dot;
    }
  }
  d.Exponent -= fraction;
  return d;
}

TuiExtended ParseExtended(std::string_view Text) {
  TuiExtended x;
  EXPECT_TRUE(uxDecimalToFloat(Decimal(Text), fkExtended, x)) << Text;
  return x;
}

std::string Shortest(const TuiExtended& X, TuiFloatKind Kind = fkExtended) {
  return uxFormatDecimal(uxShortestDecimal(X, Kind));
}

// Random extended numbers: mostly moderate exponents, some at the ends of the
// range and some subnormal, with runs of zero bits that make ties likely.
TuiExtended RandomExtended(std::mt19937_64& Rng) {
  uint64_t sig = Rng();
  switch (Rng() % 4) {
    case 0:
      sig &= ~uint64_t(0) << (Rng() % 64);
      break;
    case 1:
      sig = (sig & ~uint64_t(0xFFF)) | 0x400;  // half of a double's last unit
      break;
    default:
      break;
  }
  int e;
  switch (Rng() % 8) {
    case 0:
      e = int(Rng() % 0x7FFF);
      break;
    case 1:
      e = 0;
      break;
    case 2:
      e = 16383 - 1022 - int(Rng() % 80);  // around the double subnormals
      break;
    default:
      e = 16383 + int(Rng() % 400) - 200;
      break;
  }
  if (e != 0) sig |= kTop;
  if (e == 0) sig &= ~kTop;
  return {sig, uint16_t(e | (Rng() & 1) << 15)};
}

}  // namespace

TEST(ExtendedFloat, KnownEncodings) {
  struct TCase {
    double Value;
    uint64_t Significand;
    uint16_t SignExponent;
  } cases[] = {
      {1.0, kTop, 0x3FFF},
      {-2.5, 0xA000000000000000, 0xC000},
      {7.0, 0xE000000000000000, 0x4001},
      {0.0, 0, 0},
      {-0.0, 0, 0x8000},
      {std::numeric_limits<double>::denorm_min(), kTop, 16383 - 1074},
      {std::numeric_limits<double>::max(), 0xFFFFFFFFFFFFF800, 16383 + 1023},
      {std::numeric_limits<double>::infinity(), kTop, 0x7FFF},
      {-std::numeric_limits<double>::infinity(), kTop, 0xFFFF},
  };
  for (const TCase& c : cases) {
    const TuiExtended x = TuiExtended::FromDouble(c.Value);
    EXPECT_EQ(x.Significand, c.Significand) << c.Value;
    EXPECT_EQ(x.SignExponent, c.SignExponent) << c.Value;
    EXPECT_EQ(std::bit_cast<uint64_t>(x.ToDouble()), std::bit_cast<uint64_t>(c.Value)) << c.Value;
  }
  // Bytes: significand first, little-endian, then the sign and exponent word.
  unsigned char b[10];
  TuiExtended{0x0123456789ABCDEF, 0xC001}.ToBytes(b);
  const unsigned char expected[10] = {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 0x01, 0xC0};
  EXPECT_EQ(std::memcmp(b, expected, 10), 0);
  EXPECT_EQ(TuiExtended::FromBytes(expected), (TuiExtended{0x0123456789ABCDEF, 0xC001}));
}

TEST(ExtendedFloat, EveryKindOfFloatSurvivesBitForBit) {
  // Zeros, subnormals, normals, the largest finite, infinities and NaNs with
  // payloads (quiet and signalling), both signs, plus a sweep of the rest.
  std::vector<uint32_t> patterns = {0x00000000, 0x00000001, 0x00000002, 0x007FFFFF, 0x00800000, 0x00800001,
                                    0x3F800000, 0x3DCCCCCD, 0x7F7FFFFF, 0x7F800000, 0x7FC00000, 0x7F800001,
                                    0x7FBFFFFF, 0x7FC12345, 0x4B800000, 0x33800000};
  for (uint64_t p = 0; p <= 0xFFFFFFFF; p += 65521) patterns.push_back(uint32_t(p));
  const size_t n = patterns.size();
  for (size_t i = 0; i < n; ++i) patterns.push_back(patterns[i] | 0x80000000);
  for (uint32_t p : patterns) {
    const TuiExtended x = TuiExtended::FromFloat(std::bit_cast<float>(p));
    unsigned char b[10];
    x.ToBytes(b);
    EXPECT_EQ(std::bit_cast<uint32_t>(TuiExtended::FromBytes(b).ToFloat()), p) << std::hex << p;
    if ((p & 0x7F800000) != 0x7F800000) {  // the double path keeps every finite float too
      EXPECT_EQ(std::bit_cast<uint32_t>(float(x.ToDouble())), p) << std::hex << p;
    }
  }
}

TEST(ExtendedFloat, NarrowingRoundsLikeTheHardware) {
  if (!kLongDoubleIsExtended) GTEST_SKIP() << "long double is not the 80-bit format here";
  std::mt19937_64 rng(7);
  for (int i = 0; i < 200000; ++i) {
    const TuiExtended x = RandomExtended(rng);
    const long double v = ToLongDouble(x);
    EXPECT_EQ(std::bit_cast<uint64_t>(x.ToDouble()), std::bit_cast<uint64_t>(double(v)))
        << std::hex << x.Significand << " " << x.SignExponent;
    EXPECT_EQ(std::bit_cast<uint32_t>(x.ToFloat()), std::bit_cast<uint32_t>(float(v)))
        << std::hex << x.Significand << " " << x.SignExponent;
  }
  // Exact ties go to the even neighbour; overflow gives infinity, underflow 0.
  EXPECT_EQ(TuiExtended({kTop | 0x400, 0x3FFF}).ToDouble(), 1.0);
  EXPECT_EQ(TuiExtended({kTop | 0xC00, 0x3FFF}).ToDouble(), 1.0 + 2 * DBL_EPSILON);
  EXPECT_EQ(TuiExtended({kTop, 16383 + 1024}).ToDouble(), std::numeric_limits<double>::infinity());
  EXPECT_EQ(TuiExtended({kTop, 16383 - 1075}).ToDouble(), 0.0);  // exactly half the smallest: even is 0
  EXPECT_EQ(TuiExtended({kTop | 1, 16383 - 1075}).ToDouble(), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(TuiExtended({kTop, 16383 + 128}).ToFloat(), std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(TuiExtended({kTop | 1, 0x7FFF}).ToFloat()));  // a payload below float's still NaN
}

TEST(DecimalFloat, ReadsDecimalsLikeTheHardware) {
  if (!kLongDoubleIsExtended) GTEST_SKIP() << "long double is not the 80-bit format here";
  std::mt19937_64 rng(11);
  for (int i = 0; i < 3000; ++i) {
    std::string text = std::to_string(rng() % 100000000000ull) + "." + std::to_string(rng() % 10000000) +
                       "e" + std::to_string(int(rng() % (i % 10 ? 700 : 9800)) - (i % 10 ? 350 : 4900));
    TuiExtended x;
    const bool finite = uxDecimalToFloat(Decimal(text), fkExtended, x);
    const long double reference = std::strtold(text.c_str(), nullptr);
    ASSERT_EQ(finite, std::isfinite(reference)) << text;
    if (finite) {
      EXPECT_EQ(x, FromLongDouble(reference)) << text;
    }
    TuiExtended d, f;
    if (uxDecimalToFloat(Decimal(text), fkDouble, d)) {
      EXPECT_EQ(d.ToDouble(), std::strtod(text.c_str(), nullptr)) << text;
    }
    if (uxDecimalToFloat(Decimal(text), fkSingle, f)) {
      EXPECT_EQ(f.ToFloat(), std::strtof(text.c_str(), nullptr)) << text;
    }
  }
}

TEST(DecimalFloat, ShortestTextReadsBackToTheSameBits) {
  std::mt19937_64 rng(3);
  for (int i = 0; i < 3000; ++i) {
    const TuiExtended x = RandomExtended(rng);
    const TuiDecimal d = uxShortestDecimal(x, fkExtended);
    EXPECT_LE(d.Digits.size(), 21u);
    TuiExtended back;
    ASSERT_TRUE(uxDecimalToFloat(d, fkExtended, back));
    EXPECT_EQ(back, x.Normalized()) << Shortest(x);

    // For doubles and floats the shortest is as short as the library's.
    const double dv = std::bit_cast<double>(rng());
    if (std::isfinite(dv)) {
      const TuiDecimal dd = uxShortestDecimal(TuiExtended::FromDouble(dv), fkDouble);
      char buf[64];
      const auto r = std::to_chars(buf, buf + sizeof buf, dv, std::chars_format::scientific);
      const std::string lib(buf, r.ptr);
      const size_t libDigits = lib.find('e') - (lib.find('.') == std::string::npos ? 0 : 1) - (dv < 0);
      EXPECT_EQ(dd.Digits.size(), libDigits) << lib;
      ASSERT_TRUE(uxDecimalToFloat(dd, fkDouble, back));
      EXPECT_EQ(back.ToDouble(), dv) << lib;
    }
  }
}

TEST(DecimalFloat, EdgesOfTheExtendedRange) {
  // The largest finite, the smallest subnormal, and the ties around them.
  EXPECT_EQ(ParseExtended("1.18973149535723176502e4932"), (TuiExtended{~uint64_t(0), 0x7FFE}));
  TuiExtended x;
  EXPECT_FALSE(uxDecimalToFloat(Decimal("1.18973149535723176509e4932"), fkExtended, x));  // rounds past it
  EXPECT_FALSE(uxDecimalToFloat(Decimal("1e5000"), fkExtended, x));
  EXPECT_EQ(ParseExtended("3.64519953188247460253e-4951"), (TuiExtended{1, 0}));
  EXPECT_EQ(ParseExtended("1.8225997659412373012642e-4951"), (TuiExtended{0, 0}));  // below half
  EXPECT_EQ(ParseExtended("1.8225997659412373013e-4951"), (TuiExtended{1, 0}));     // above half
  EXPECT_EQ(ParseExtended("1e-5000"), (TuiExtended{0, 0}));
  EXPECT_EQ(ParseExtended("-0"), (TuiExtended{0, 0x8000}));

  EXPECT_EQ(Shortest(TuiExtended{1, 0}),
            "4E-4951");  // 3.6E-4951 rounded: anything within half a unit reads back
  EXPECT_EQ(Shortest(TuiExtended{~uint64_t(0), 0x7FFE}), "1.189731495357231765E4932");
  EXPECT_EQ(Shortest(ParseExtended("0.1")), "0.1");
  EXPECT_EQ(Shortest(TuiExtended::FromDouble(0.1), fkDouble), "0.1");
  EXPECT_EQ(Shortest(TuiExtended::FromFloat(0.1f), fkSingle), "0.1");
  EXPECT_EQ(Shortest(TuiExtended::FromFloat(0.1f)), "0.100000001490116119385");  // not 0.1 in 80 bits
  EXPECT_EQ(Shortest(TuiExtended::FromDouble(-1e21)), "-1E21");
  EXPECT_EQ(Shortest(TuiExtended::FromDouble(1e20)), "100000000000000000000");
  EXPECT_EQ(Shortest(TuiExtended::FromDouble(0.000001), fkDouble), "0.000001");
  EXPECT_EQ(Shortest(TuiExtended::FromDouble(0.0000001), fkDouble), "1E-7");
  EXPECT_EQ(Shortest(TuiExtended::FromDouble(-0.0)), "-0.0");
  // Encodings no arithmetic produces read as the numbers they stand for.
  EXPECT_EQ(Shortest(TuiExtended{kTop >> 1, 0x4000}), "1");  // integer bit clear: 2^62 * 2^-62
  EXPECT_EQ(Shortest(TuiExtended{kTop, 0}), Shortest(TuiExtended{kTop, 1}));  // integer bit set at 0
}
