#include "scene2d/stream/ExtendedFloat.h"

#include <bit>
#include <cstring>

namespace {

// An IEEE binary interchange format, described by its field widths.
struct TIeeeFormat {
  int FractionBits;
  int ExponentBits;
  int Bias() const { return (1 << (ExponentBits - 1)) - 1; }
  uint64_t ExponentMask() const { return (uint64_t(1) << ExponentBits) - 1; }
  uint64_t FractionMask() const { return (uint64_t(1) << FractionBits) - 1; }
};

constexpr TIeeeFormat kDouble{52, 11};
constexpr TIeeeFormat kFloat{23, 8};

// Value >> Shift rounded to nearest, ties to even; any shift, 0 included.
uint64_t ShiftRightRounded(uint64_t Value, int Shift) {
  if (Shift == 0) return Value;
  if (Shift > 64) return 0;  // below half of the last unit: Value < 2^64 <= 2^(Shift-1)
  const uint64_t kept = Shift == 64 ? 0 : Value >> Shift;
  const uint64_t rest = Shift == 64 ? Value : Value & ((uint64_t(1) << Shift) - 1);
  const uint64_t half = uint64_t(1) << (Shift - 1);
  if (rest > half || (rest == half && (kept & 1))) return kept + 1;
  return kept;
}

uint64_t NarrowTo(const TuiExtended& X, const TIeeeFormat& F) {
  const uint64_t sign = uint64_t(X.Negative()) << (F.FractionBits + F.ExponentBits);
  const uint64_t infinity = sign | (F.ExponentMask() << F.FractionBits);
  if (X.IsInfinite()) return infinity;
  if (X.IsNaN()) {
    // Keep the top of the payload; a payload that vanishes in the narrower
    // fraction must still read as NaN, so it becomes the quiet bit.
    uint64_t payload = (X.Significand << 1) >> (64 - F.FractionBits);
    if (payload == 0) payload = uint64_t(1) << (F.FractionBits - 1);
    return infinity | payload;
  }
  uint64_t sig = X.Significand;
  if (sig == 0) return sign;
  // Value = sig / 2^63 * 2^e once sig is shifted to have its top bit set.
  int e = (X.BiasedExponent() == 0 ? 1 : X.BiasedExponent()) - TuiExtended::ExponentBias;
  const int lead = std::countl_zero(sig);
  sig <<= lead;
  e -= lead;
  if (e > F.Bias()) return infinity;
  const int minNormal = 1 - F.Bias();
  if (e >= minNormal) {
    uint64_t m = ShiftRightRounded(sig, 63 - F.FractionBits);
    uint64_t biased = uint64_t(e + F.Bias());
    if (m >> (F.FractionBits + 1)) {  // rounding carried into a new bit
      m >>= 1;
      ++biased;
    }
    if (biased >= F.ExponentMask()) return infinity;
    return sign | (biased << F.FractionBits) | (m & F.FractionMask());
  }
  // Subnormal: a rounding carry up to 2^FractionBits lands in the exponent field
  // as the smallest normal, which is the right value.
  return sign | ShiftRightRounded(sig, 63 - F.FractionBits + (minNormal - e));
}

TuiExtended WidenFrom(uint64_t Bits, const TIeeeFormat& F) {
  const uint16_t sign = uint16_t(((Bits >> (F.FractionBits + F.ExponentBits)) & 1) << 15);
  const uint64_t biased = (Bits >> F.FractionBits) & F.ExponentMask();
  const uint64_t fraction = Bits & F.FractionMask();
  const int toTop = 63 - F.FractionBits;
  if (biased == F.ExponentMask())
    return {TuiExtended::IntegerBit | (fraction << toTop), uint16_t(sign | TuiExtended::MaxExponent)};
  if (biased == 0) {
    if (fraction == 0) return {0, sign};
    // fraction * 2^(1 - bias - FractionBits), normalized; always normal in 80 bits.
    const int lead = std::countl_zero(fraction);
    const int e = 64 - F.Bias() - F.FractionBits - lead;
    return {fraction << lead, uint16_t(sign | (e + TuiExtended::ExponentBias))};
  }
  const int e = int(biased) - F.Bias();
  return {TuiExtended::IntegerBit | (fraction << toTop), uint16_t(sign | (e + TuiExtended::ExponentBias))};
}

}  // namespace

TuiExtended TuiExtended::FromBytes(const unsigned char* Bytes) {
  TuiExtended x;
  for (int i = 7; i >= 0; --i) x.Significand = (x.Significand << 8) | Bytes[i];
  x.SignExponent = uint16_t(Bytes[8] | (Bytes[9] << 8));
  return x;
}

void TuiExtended::ToBytes(unsigned char* Bytes) const {
  for (int i = 0; i < 8; ++i) Bytes[i] = (unsigned char)(Significand >> (8 * i));
  Bytes[8] = (unsigned char)(SignExponent & 0xFF);
  Bytes[9] = (unsigned char)(SignExponent >> 8);
}

TuiExtended TuiExtended::FromDouble(double Value) {
  return WidenFrom(std::bit_cast<uint64_t>(Value), kDouble);
}

TuiExtended TuiExtended::FromFloat(float Value) {
  return WidenFrom(std::bit_cast<uint32_t>(Value), kFloat);
}

double TuiExtended::ToDouble() const {
  return std::bit_cast<double>(NarrowTo(*this, kDouble));
}

float TuiExtended::ToFloat() const {
  return std::bit_cast<float>(uint32_t(NarrowTo(*this, kFloat)));
}

TuiExtended TuiExtended::Normalized() const {
  if (!IsFinite()) return *this;
  const uint16_t sign = SignExponent & 0x8000;
  if (Significand == 0) return {0, sign};
  int e = BiasedExponent() == 0 ? 1 : BiasedExponent();
  uint64_t sig = Significand;
  // Shift the integer bit up, but not below the subnormal exponent.
  const int lead = std::countl_zero(sig);
  const int shift = lead < e - 1 ? lead : e - 1;
  sig <<= shift;
  e -= shift;
  if (!(sig & IntegerBit)) e = 0;
  return {sig, uint16_t(sign | e)};
}
