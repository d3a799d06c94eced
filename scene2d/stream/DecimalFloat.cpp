#include "scene2d/stream/DecimalFloat.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace {

// An unsigned big integer with just the operations the two conversions need.
class TBig {
 public:
  explicit TBig(uint64_t Value = 0) {
    while (Value) {
      FWords.push_back(uint32_t(Value));
      Value >>= 32;
    }
  }

  bool IsZero() const { return FWords.empty(); }
  size_t BitLength() const {
    return FWords.empty() ? 0 : 32 * (FWords.size() - 1) + (32 - std::countl_zero(FWords.back()));
  }

  void MulSmall(uint32_t Factor, uint32_t Add = 0) {
    uint64_t carry = Add;
    for (uint32_t& w : FWords) {
      const uint64_t t = uint64_t(w) * Factor + carry;
      w = uint32_t(t);
      carry = t >> 32;
    }
    if (carry) FWords.push_back(uint32_t(carry));
    Trim();
  }

  void MulPow5(uint64_t N) {
    constexpr uint32_t kPow5_13 = 1220703125;  // the largest power of 5 in 32 bits
    for (; N >= 13; N -= 13) MulSmall(kPow5_13);
    uint32_t rest = 1;
    while (N--) rest *= 5;
    MulSmall(rest);
  }

  void ShiftLeft(uint64_t Bits) {
    if (IsZero() || Bits == 0) return;
    const size_t words = size_t(Bits / 32);
    const int bits = int(Bits % 32);
    if (bits) {
      uint32_t carry = 0;
      for (uint32_t& w : FWords) {
        const uint32_t next = w >> (32 - bits);
        w = (w << bits) | carry;
        carry = next;
      }
      if (carry) FWords.push_back(carry);
    }
    FWords.insert(FWords.begin(), words, 0);
  }

  void ShiftRight1() {
    for (size_t i = 0; i < FWords.size(); ++i) {
      FWords[i] >>= 1;
      if (i + 1 < FWords.size()) FWords[i] |= FWords[i + 1] << 31;
    }
    Trim();
  }

  void Add(const TBig& Other) {
    if (FWords.size() < Other.FWords.size()) FWords.resize(Other.FWords.size(), 0);
    uint64_t carry = 0;
    for (size_t i = 0; i < FWords.size(); ++i) {
      const uint64_t t = uint64_t(FWords[i]) + (i < Other.FWords.size() ? Other.FWords[i] : 0) + carry;
      FWords[i] = uint32_t(t);
      carry = t >> 32;
      if (!carry && i >= Other.FWords.size()) break;
    }
    if (carry) FWords.push_back(uint32_t(carry));
  }

  // *this -= Other, which must not be larger.
  void Sub(const TBig& Other) {
    int64_t borrow = 0;
    for (size_t i = 0; i < FWords.size(); ++i) {
      int64_t t = int64_t(FWords[i]) - (i < Other.FWords.size() ? Other.FWords[i] : 0) - borrow;
      borrow = t < 0;
      if (t < 0) t += int64_t(1) << 32;
      FWords[i] = uint32_t(t);
      if (!borrow && i >= Other.FWords.size()) break;
    }
    Trim();
  }

  friend int Compare(const TBig& A, const TBig& B) {
    if (A.FWords.size() != B.FWords.size()) return A.FWords.size() < B.FWords.size() ? -1 : 1;
    for (size_t i = A.FWords.size(); i-- > 0;)
      if (A.FWords[i] != B.FWords[i]) return A.FWords[i] < B.FWords[i] ? -1 : 1;
    return 0;
  }

 private:
  void Trim() {
    while (!FWords.empty() && FWords.back() == 0) FWords.pop_back();
  }
  std::vector<uint32_t> FWords;  // least significant first, no zero words on top
};

TBig Sum(const TBig& A, const TBig& B) {
  TBig s = A;
  s.Add(B);
  return s;
}

// A binary format as Significand * 2^Exponent with Significand < 2^Precision and
// MinExponent <= Exponent <= MaxExponent.
struct TFormat {
  int Precision;
  int64_t MinExponent;
  int64_t MaxExponent;
  // Decimal magnitudes beyond which the result is known without arithmetic:
  // Digits * 10^Exponent >= 10^OverflowDecimal overflows, < 10^UnderflowDecimal is 0.
  int64_t OverflowDecimal;
  int64_t UnderflowDecimal;
};

constexpr TFormat kFormats[] = {
    {24, -149, 104, 39, -46},
    {53, -1074, 971, 309, -324},
    {64, -16445, 16320, 4933, -4951},
};

// The extended encoding of (-1)^Negative * Significand * 2^Exponent, which the
// caller guarantees to be representable.
TuiExtended ExtendedFromParts(bool Negative, uint64_t Significand, int64_t Exponent) {
  const uint16_t sign = Negative ? 0x8000 : 0;
  if (Significand == 0) return {0, sign};
  // Biased exponent of the integer bit once the significand's top bit is bit 63.
  const int64_t lead = std::countl_zero(Significand);
  int64_t biased = Exponent + 63 + TuiExtended::ExponentBias - lead;
  int64_t shift = lead;
  if (biased < 1) {  // subnormal: stop shifting at the smallest exponent
    shift -= 1 - biased;
    biased = 0;
  }
  return {Significand << shift, uint16_t(sign | biased)};
}

// Value = F * 2^E exactly, F < 2^64.
void Decompose(const TuiExtended& Value, uint64_t& F, int64_t& E) {
  F = Value.Significand;
  E = int64_t(Value.BiasedExponent() == 0 ? 1 : Value.BiasedExponent()) - 16446;
}

}  // namespace

bool uxDecimalToFloat(const TuiDecimal& Value, TuiFloatKind Kind, TuiExtended& Result) {
  const TFormat& f = kFormats[Kind];
  const std::string& d = Value.Digits;
  size_t first = 0, last = d.size();
  while (first < last && d[first] == '0') ++first;
  while (last > first && d[last - 1] == '0') --last;
  Result = {0, uint16_t(Value.Negative ? 0x8000 : 0)};
  if (first == last) return true;
  const int64_t exponent = Value.Exponent + int64_t(d.size() - last);
  const int64_t count = int64_t(last - first);
  if (count - 1 + exponent >= f.OverflowDecimal) return false;
  if (count + exponent <= f.UnderflowDecimal) return true;

  TBig num, den(1);
  for (size_t i = first; i < last;) {
    const size_t n = std::min<size_t>(9, last - i);
    uint32_t chunk = 0, scale = 1;
    for (size_t j = 0; j < n; ++j, ++i) {
      chunk = chunk * 10 + uint32_t(d[i] - '0');
      scale *= 10;
    }
    num.MulSmall(scale, chunk);
  }
  // Value = num / den * 2^exponent once the powers of five are moved aside.
  if (exponent >= 0)
    num.MulPow5(uint64_t(exponent));
  else
    den.MulPow5(uint64_t(-exponent));

  // Choose s so that q = floor(num * 2^s / den) has Precision bits, but never
  // a unit finer than the format's smallest subnormal.
  int64_t s = f.Precision - (int64_t(num.BitLength()) - int64_t(den.BitLength()));
  s = std::min(s, exponent - f.MinExponent);
  if (s >= 0)
    num.ShiftLeft(uint64_t(s));
  else
    den.ShiftLeft(uint64_t(-s));
  TBig limit = den;
  limit.ShiftLeft(uint64_t(f.Precision));
  if (Compare(num, limit) >= 0) {
    den.ShiftLeft(1);
    --s;
  }
  uint64_t q = 0;
  TBig step = den;
  step.ShiftLeft(uint64_t(f.Precision - 1));
  for (int bit = f.Precision - 1; bit >= 0; --bit) {
    if (Compare(num, step) >= 0) {
      num.Sub(step);
      q |= uint64_t(1) << bit;
    }
    step.ShiftRight1();
  }
  num.ShiftLeft(1);  // twice the remainder against the divisor decides the rounding
  const int c = Compare(num, den);
  if (c > 0 || (c == 0 && (q & 1))) {
    ++q;
    if (f.Precision == 64 ? q == 0 : q == (uint64_t(1) << f.Precision)) {
      q = uint64_t(1) << (f.Precision - 1);
      --s;
    }
  }
  const int64_t e = exponent - s;
  if (e > f.MaxExponent) return false;
  Result = ExtendedFromParts(Value.Negative, q, e);
  return true;
}

TuiDecimal uxShortestDecimal(const TuiExtended& Value, TuiFloatKind Kind) {
  const TuiExtended v = Value.Normalized();
  TuiDecimal result;
  result.Negative = v.Negative();
  if (!v.IsFinite() || v.Significand == 0) return result;

  uint64_t f64;
  int64_t e64;
  Decompose(v, f64, e64);
  // The same value as f * 2^e in the requested kind.
  const TFormat* fmt = &kFormats[Kind];
  const int bits = 64 - std::countl_zero(f64);
  int64_t e = std::max(e64 + bits - fmt->Precision, fmt->MinExponent);
  uint64_t f;
  const int64_t drop = e - e64;
  if (drop >= 64 || (drop > 0 && (f64 & ((uint64_t(1) << drop) - 1))) || e > fmt->MaxExponent) {
    fmt = &kFormats[fkExtended];
    f = f64;
    e = e64;
  } else {
    f = drop >= 0 ? f64 >> drop : f64 << -drop;
  }

  // Free-format shortest digits: v = r / s, and the numbers that read back as v
  // lie strictly within (r - mMinus) / s and (r + mPlus) / s, bounds included
  // when f is even because ties round to even.
  const bool inclusive = (f & 1) == 0;
  const bool unevenGap = f == (uint64_t(1) << (fmt->Precision - 1)) && e > fmt->MinExponent;
  TBig r(f), s(1), mPlus(1), mMinus(1);
  const int extra = unevenGap ? 2 : 1;
  r.ShiftLeft(uint64_t(extra));
  if (e >= 0) {
    r.ShiftLeft(uint64_t(e));
    mMinus.ShiftLeft(uint64_t(e));
    mPlus.ShiftLeft(uint64_t(e + (unevenGap ? 1 : 0)));
    s.ShiftLeft(uint64_t(extra));
  } else {
    s.ShiftLeft(uint64_t(extra - e));
    if (unevenGap) mPlus.ShiftLeft(1);
  }
  // k with 10^(k-1) <= high < 10^k, from an estimate put right by the loops.
  int64_t k = int64_t(std::ceil(double(e + bits - 1) * 0.30102999566398120 - 1e-9));
  auto times10 = [](TBig& x, int64_t n) {
    x.MulPow5(uint64_t(n));
    x.ShiftLeft(uint64_t(n));
  };
  if (k >= 0) {
    times10(s, k);
  } else {
    times10(r, -k);
    times10(mPlus, -k);
    times10(mMinus, -k);
  }
  auto highReaches = [&](const TBig& bound) {
    const int c = Compare(Sum(r, mPlus), bound);
    return inclusive ? c >= 0 : c > 0;
  };
  while (highReaches(s)) {
    s.MulSmall(10);
    ++k;
  }
  for (;;) {
    TBig h = Sum(r, mPlus);  // is high below 10^(k-1)?
    h.MulSmall(10);
    const int c = Compare(h, s);
    if (inclusive ? c >= 0 : c > 0) break;
    r.MulSmall(10);
    mPlus.MulSmall(10);
    mMinus.MulSmall(10);
    --k;
  }

  std::string& digits = result.Digits;
  for (;;) {
    r.MulSmall(10);
    mPlus.MulSmall(10);
    mMinus.MulSmall(10);
    int digit = 0;
    while (Compare(r, s) >= 0) {
      r.Sub(s);
      ++digit;
    }
    const int low = Compare(r, mMinus);
    const bool nearLow = inclusive ? low <= 0 : low < 0;
    const bool nearHigh = highReaches(s);
    if (!nearLow && !nearHigh) {
      digits += char('0' + digit);
      continue;
    }
    if (nearLow && nearHigh) {
      TBig twice = r;
      twice.ShiftLeft(1);
      const int c = Compare(twice, s);
      if (c > 0 || (c == 0 && (digit & 1))) ++digit;
    } else if (nearHigh) {
      ++digit;
    }
    // A carry out of the last digit ripples up; in practice the bounds keep it below 10.
    size_t i = digits.size();
    digits += char('0' + digit);
    while (digits[i] > '9') {
      digits[i] = '0';
      if (i == 0) {
        digits.insert(digits.begin(), '1');
        ++k;
        break;
      }
      ++digits[--i];
    }
    break;
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  result.Exponent = k - int64_t(digits.size());
  return result;
}

std::string uxFormatDecimal(const TuiDecimal& Value) {
  if (Value.Digits.empty()) return Value.Negative ? "-0.0" : "0";
  std::string out = Value.Negative ? "-" : "";
  const std::string& d = Value.Digits;
  const int64_t n = int64_t(d.size());
  const int64_t point = n + Value.Exponent;  // Value = 0.d * 10^point
  if (point > -6 && point <= 21) {
    if (point <= 0) {
      out += "0.";
      out.append(size_t(-point), '0');
      out += d;
    } else if (point >= n) {
      out += d;
      out.append(size_t(point - n), '0');
    } else {
      out.append(d, 0, size_t(point));
      out += '.';
      out.append(d, size_t(point));
    }
    return out;
  }
  out += d[0];
  if (n > 1) {
    out += '.';
    out.append(d, 1);
  }
  out += 'E';
  out += std::to_string(point - 1);
  return out;
}
