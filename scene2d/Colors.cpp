#include "scene2d/Colors.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "scene2d/Geometry.h"
#include "scene2d/ReadLosses.h"

namespace {

char LowerAscii(char C) {
  return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

bool LessIgnoringCase(std::string_view A, std::string_view B) {
  return std::lexicographical_compare(A.begin(), A.end(), B.begin(), B.end(),
                                      [](char X, char Y) { return LowerAscii(X) < LowerAscii(Y); });
}

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

// One to eight hex digits and nothing else.
std::optional<uint32_t> ParseHex(std::string_view Digits) {
  if (Digits.empty() || Digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : Digits) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(d);
  }
  return value;
}

std::optional<uint32_t> ParseDecimal(std::string_view Digits, bool Negative) {
  if (Digits.empty()) return std::nullopt;
  // -2147483648 is a 32-bit integer too; its positive twin is not.
  const uint64_t limit = Negative ? 2147483648u : 2147483647u;
  uint64_t value = 0;
  for (char c : Digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

// The integer fallback: blanks, sign, then decimal or "$", "x", "0x" hex.
std::optional<uint32_t> ParseInteger(std::string_view Text) {
  size_t i = Text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return std::nullopt;
  Text.remove_prefix(i);
  bool negative = false;
  if (Text[0] == '+' || Text[0] == '-') {
    negative = Text[0] == '-';
    Text.remove_prefix(1);
  }
  std::optional<uint32_t> value;
  if (Text.size() >= 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X'))
    value = ParseHex(Text.substr(2));
  else if (!Text.empty() && (Text[0] == '$' || Text[0] == 'x' || Text[0] == 'X'))
    value = ParseHex(Text.substr(1));
  else
    value = ParseDecimal(Text, negative);
  if (value && negative) *value = 0u - *value;
  return value;
}

std::optional<TuiColor> FindColorName(std::string_view Text) {
  auto names = ColorNames();
  auto it = std::lower_bound(names.begin(), names.end(), Text, [](const TuiColorName& N, std::string_view T) {
    return LessIgnoringCase(N.Name, T);
  });
  if (it == names.end() || LessIgnoringCase(Text, it->Name)) return std::nullopt;
  return it->Color;
}

uint32_t Channel(TuiColor Color, int Shift) {
  return Color >> Shift & 0xFF;
}

// NaN goes to 0: a converted NaN would be undefined behaviour.
uint32_t Clamp255(double Value) {
  if (!(Value > 0)) return 0;
  return Value >= 255 ? 255 : static_cast<uint32_t>(Value);
}

float Clamp01(float Value) {
  return std::clamp(Value, 0.0f, 1.0f);
}

}  // namespace

std::string ColorToText(TuiColor Color) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(9, '#');
  for (int i = 0; i < 8; ++i) text[8 - i] = kDigits[Color >> (4 * i) & 0xF];
  return text;
}

bool TryTextToColor(std::string_view Text, TuiColor& Color) {
  std::optional<uint32_t> value;
  if (Text.size() == 1 && Text[0] == '\0')
    value = 0;
  else if (!Text.empty() && Text[0] == '#')
    value = ParseHex(Text.substr(1));
  else {
    value = FindColorName(Text);
    if (!value) value = ParseInteger(Text);
  }
  if (!value) return false;
  Color = *value;
  return true;
}

TuiColor TextToColor(std::string_view Text) {
  TuiColor color = 0;
  if (!TryTextToColor(Text, color)) uxReportLoss(uxQuoteForLoss(Text) + " is not a colour");
  return color;
}

TuiColor MakeColor(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t Alpha) {
  return uint32_t{Alpha} << 24 | uint32_t{Red} << 16 | uint32_t{Green} << 8 | Blue;
}

TuiColor OpacityColor(TuiColor Color, float Opacity) {
  if (Opacity >= 1) return Color;
  uint32_t alpha = Opacity > 0 ? Clamp255(std::trunc(double(Opacity) * Channel(Color, 24))) : 0;
  return alpha << 24 | (Color & 0xFFFFFF);
}

TuiColor PremultiplyColor(TuiColor Color) {
  uint32_t alpha = Channel(Color, 24);
  if (alpha == 0) return 0;
  if (alpha == 255) return Color;
  TuiColor result = alpha << 24;
  for (int shift : {16, 8, 0}) result |= Channel(Color, shift) * alpha / 255 << shift;
  return result;
}

TuiColor UnpremultiplyColor(TuiColor Color) {
  uint32_t alpha = Channel(Color, 24);
  if (alpha == 0) return 0;
  if (alpha == 255) return Color;
  // Integer division is the truncation of the exact quotient; a floating
  // alpha / 255 could land a hair low and lose a whole step.
  TuiColor result = alpha << 24;
  for (int shift : {16, 8, 0})
    result |= std::min<uint32_t>(255, Channel(Color, shift) * 255 / alpha) << shift;
  return result;
}

TuiColor InterpolateColor(TuiColor Start, TuiColor Stop, float T) {
  TuiColor result = 0;
  for (int shift : {24, 16, 8, 0}) {
    int from = static_cast<int>(Channel(Start, shift));
    int to = static_cast<int>(Channel(Stop, shift));
    // A float times a 9-bit difference is exact in double.
    double step = std::trunc(double(T) * (to - from));
    if (!std::isfinite(step)) step = 0;
    // Only the low 8 bits survive, so reduce before converting to stay in range.
    int channel = from + static_cast<int>(std::fmod(step, 256.0));
    result |= static_cast<uint32_t>(channel & 0xFF) << shift;
  }
  return result;
}

float InterpolateSingle(float Start, float Stop, float T) {
  return Start + (Stop - Start) * T;
}

TuiHSL RGBtoHSL(TuiColor Color) {
  double r = Channel(Color, 16) / 255.0, g = Channel(Color, 8) / 255.0, b = Channel(Color, 0) / 255.0;
  double max = std::max({r, g, b}), min = std::min({r, g, b});
  double l = (max + min) / 2;
  if (max == min) return {0, 0, static_cast<float>(l)};
  double d = max - min;
  double s = l < 0.5 ? d / (max + min) : d / (2 - max - min);
  double h;
  if (r == max)
    h = (g - b) / d;
  else if (g == max)
    h = (b - r) / d + 2;
  else
    h = (r - g) / d + 4;
  h /= 6;
  if (h < 0) h += 1;
  return {static_cast<float>(h), static_cast<float>(s), static_cast<float>(l)};
}

namespace {

double HueRamp(double P, double Q, double T) {
  T -= std::floor(T);
  if (T < 1.0 / 6) return P + (Q - P) * 6 * T;
  if (T < 0.5) return Q;
  if (T < 2.0 / 3) return P + (Q - P) * (2.0 / 3 - T) * 6;
  return P;
}

uint32_t ToChannel(double Value) {
  return Clamp255(RoundHalfEven(Value * 255));
}

}  // namespace

TuiColor HSLtoRGB(float H, float S, float L) {
  if (S == 0) {
    uint32_t v = ToChannel(L);
    return 0xFF000000u | v << 16 | v << 8 | v;
  }
  double h = H, s = S, l = L;
  double q = l <= 0.5 ? l * (1 + s) : l + s - l * s;
  double p = 2 * l - q;
  return 0xFF000000u | ToChannel(HueRamp(p, q, h + 1.0 / 3)) << 16 | ToChannel(HueRamp(p, q, h)) << 8 |
         ToChannel(HueRamp(p, q, h - 1.0 / 3));
}

TuiColor ChangeHSL(TuiColor Color, float DeltaH, float DeltaS, float DeltaL) {
  TuiHSL hsl = RGBtoHSL(Color);
  TuiColor rgb = HSLtoRGB(Clamp01(hsl.H + DeltaH), Clamp01(hsl.S + DeltaS), Clamp01(hsl.L + DeltaL));
  return (Color & 0xFF000000u) | (rgb & 0xFFFFFF);
}
