#pragma once

#include <cstdint>

// An 80-bit extended-precision number as streams store it: a 64-bit significand
// whose top bit is the explicit integer bit, and a 16-bit word holding the sign
// (top bit) and a 15-bit exponent biased by 16383.
//
// The conversions use integer arithmetic only, so they give the same bits on
// every compiler, whatever its long double is. Widening (FromDouble, FromFloat)
// is exact and keeps NaN payloads; narrowing (ToDouble, ToFloat) rounds to
// nearest, ties to even, straight from the 64-bit significand (no double
// rounding through double on the way to float), producing subnormals and
// infinities where the narrower format needs them.
struct TuiExtended {
  uint64_t Significand = 0;
  uint16_t SignExponent = 0;

  static constexpr int ExponentBias = 16383;
  static constexpr uint16_t MaxExponent = 0x7FFF;  // infinities and NaNs
  static constexpr uint64_t IntegerBit = uint64_t(1) << 63;

  // Little-endian: significand first, then the sign and exponent word.
  static TuiExtended FromBytes(const unsigned char* Bytes);
  void ToBytes(unsigned char* Bytes) const;

  static TuiExtended FromDouble(double Value);
  static TuiExtended FromFloat(float Value);
  double ToDouble() const;
  float ToFloat() const;

  bool Negative() const { return SignExponent >> 15; }
  int BiasedExponent() const { return SignExponent & MaxExponent; }
  // Infinity is the maximum exponent with a zero fraction, integer bit or not;
  // any other fraction there is a NaN.
  bool IsInfinite() const { return BiasedExponent() == MaxExponent && (Significand << 1) == 0; }
  bool IsNaN() const { return BiasedExponent() == MaxExponent && (Significand << 1) != 0; }
  bool IsFinite() const { return BiasedExponent() != MaxExponent; }

  // The same finite value in its one canonical encoding: a set integer bit for
  // normal numbers, exponent 0 only for subnormals. Encodings the format allows
  // but no arithmetic produces (integer bit clear above exponent 0, or set at
  // exponent 0) come out as the number they stand for. Non-finite values are
  // returned unchanged.
  TuiExtended Normalized() const;

  bool operator==(const TuiExtended&) const = default;  // bitwise
};
