#pragma once

#include <cstdint>
#include <string>

#include "scene2d/stream/ExtendedFloat.h"

// Exact conversions between decimal numbers and binary floating point, for the
// text form of streams. Every result is correctly rounded and the printed form is
// the shortest that reads back to the same bits, so text written from a stream
// turns back into the same stream. Nothing here depends on the locale or on the
// compiler's long double: the arithmetic is done on big integers.

// The binary formats a stream stores: tag 15, tag 17 and tag 5.
enum TuiFloatKind : uint8_t { fkSingle, fkDouble, fkExtended };

// A decimal number: Digits * 10^Exponent. Digits holds only '0'..'9'; zero is
// an empty Digits (its sign kept in Negative).
struct TuiDecimal {
  bool Negative = false;
  std::string Digits;
  int64_t Exponent = 0;
};

// Rounds Value to the nearest number of the given kind (ties to even; subnormals
// where the kind has them) and returns it, exactly, as an extended number. Returns
// false when the nearest is beyond the kind's largest finite number.
bool uxDecimalToFloat(const TuiDecimal& Value, TuiFloatKind Kind, TuiExtended& Result);

// The shortest decimal that uxDecimalToFloat turns back into Value, the nearest
// to Value among those of that length. Value must be finite; when it is not
// exactly a number of the given kind, the extended kind is used.
TuiDecimal uxShortestDecimal(const TuiExtended& Value, TuiFloatKind Kind);

// "0.1", "7", "1.5E-300", "-0.0": plain digits while the decimal point sits
// within 21 places of them, else one digit, a fraction and an "E" exponent.
// Zero prints as "0", negative zero as "-0.0" so that it stays a float.
std::string uxFormatDecimal(const TuiDecimal& Value);
