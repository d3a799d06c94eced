#include "scene2d/TextForms.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "scene2d/Errors.h"
#include "scene2d/ReadLosses.h"

namespace {

bool IsBlank(char C) {
  return static_cast<unsigned char>(C) <= ' ';
}

std::string_view Trim(std::string_view Text) {
  while (!Text.empty() && IsBlank(Text.front())) Text.remove_prefix(1);
  while (!Text.empty() && IsBlank(Text.back())) Text.remove_suffix(1);
  return Text;
}

bool IsDigit(char C) {
  return C >= '0' && C <= '9';
}

// Checks the decimal grammar and estimates the power of ten of the value's
// leading digit, which is all that is needed to tell an underflow from an
// overflow when the conversion reports the value out of range.
bool CheckDecimal(std::string_view Text, int64_t& Magnitude) {
  size_t i = 0;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) ++i;
  int64_t digits = 0, wholeDigits = 0, leadingZeros = 0;
  bool seenNonZero = false, inFraction = false;
  for (; i < Text.size(); ++i) {
    char c = Text[i];
    if (c == '.' && !inFraction) {
      inFraction = true;
      continue;
    }
    if (!IsDigit(c)) break;
    ++digits;
    if (c != '0') seenNonZero = true;
    if (!inFraction && seenNonZero) ++wholeDigits;
    if (inFraction && !seenNonZero) ++leadingZeros;
  }
  if (digits == 0) return false;
  int64_t exponent = 0;
  if (i < Text.size() && (Text[i] == 'e' || Text[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) negative = Text[i++] == '-';
    if (i == Text.size()) return false;
    for (; i < Text.size() && IsDigit(Text[i]); ++i)
      if (exponent < 100000) exponent = exponent * 10 + (Text[i] - '0');
    if (negative) exponent = -exponent;
  }
  Magnitude = exponent + (wholeDigits > 0 ? wholeDigits : -leadingZeros);
  return i == Text.size();
}

void AppendFloat(std::string& Text, float Value) {
  Text += FloatToText(Value);
}

}  // namespace

std::string FloatToText(float Value) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value > 0 ? "INF" : "-INF";
  double value = Value;
  char buffer[64];
  if (value == std::trunc(value)) {
    if (value == 0) return "0";  // never "-0"
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 0);
    return std::string(buffer, result.ptr);
  }
  // A float with a fraction is below 2^23, and a float times 1000 is exact in
  // double, so the thousandths are an exact integer here.
  int64_t thousandths = static_cast<int64_t>(std::round(value * 1000));
  std::string text;
  if (thousandths < 0) {
    text = "-";
    thousandths = -thousandths;
  }
  auto result = std::to_chars(buffer, buffer + sizeof buffer, thousandths / 1000);
  text.append(buffer, result.ptr);
  int64_t fraction = thousandths % 1000;
  text += '.';
  text += static_cast<char>('0' + fraction / 100);
  text += static_cast<char>('0' + fraction / 10 % 10);
  text += static_cast<char>('0' + fraction % 10);
  return text;
}

bool TryTextToFloat(std::string_view Text, float& Value) {
  Text = Trim(Text);
  int64_t magnitude = 0;
  if (!CheckDecimal(Text, magnitude)) return false;
  bool negative = Text[0] == '-';
  if (Text[0] == '+') Text.remove_prefix(1);  // from_chars takes no plus sign
  float value = 0;
  auto result = std::from_chars(Text.data(), Text.data() + Text.size(), value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range && magnitude <= 0)
    value = negative ? -0.0f : 0.0f;
  else if (result.ec != std::errc() || result.ptr != Text.data() + Text.size())
    return false;
  Value = value;
  return true;
}

float TextToFloat(std::string_view Text) {
  float value;
  if (!TryTextToFloat(Text, value))
    throw EuxConvertError("'" + std::string(Text) + "' is not a valid number");
  return value;
}

std::string PointToText(const TuiPoint& P) {
  std::string text = "(";
  AppendFloat(text, P.X);
  text += ',';
  AppendFloat(text, P.Y);
  text += ')';
  return text;
}

std::string RectToText(const TuiRect& R) {
  std::string text = "(";
  AppendFloat(text, R.Left);
  text += ',';
  AppendFloat(text, R.Top);
  text += ',';
  AppendFloat(text, R.Right);
  text += ',';
  AppendFloat(text, R.Bottom);
  text += ')';
  return text;
}

namespace {

constexpr std::string_view kValueSeparators = ",()";

// Reads Count values after the opening token; false as soon as one fails.
bool ReadValues(std::string_view Text, float* Values, int Count) {
  NextToken(Text, kValueSeparators);
  for (int i = 0; i < Count; ++i)
    if (!TryTextToFloat(NextToken(Text, kValueSeparators), Values[i])) return false;
  return true;
}

}  // namespace

TuiPoint TextToPoint(std::string_view Text) {
  float v[2];
  if (!ReadValues(Text, v, 2)) {
    uxReportLoss(uxQuoteForLoss(Text) + " is not a point");
    return {};
  }
  return {v[0], v[1]};
}

TuiRect TextToRect(std::string_view Text) {
  float v[4];
  if (!ReadValues(Text, v, 4)) {
    uxReportLoss(uxQuoteForLoss(Text) + " is not a rectangle");
    return {};
  }
  return {v[0], v[1], v[2], v[3]};
}

std::string_view NextToken(std::string_view& Text, std::string_view Separators, std::string_view Stops) {
  size_t i = 0;
  size_t consumed = Text.size();
  for (; i < Text.size(); ++i) {
    if (Stops.find(Text[i]) != std::string_view::npos) {
      consumed = i;
      break;
    }
    if (Separators.find(Text[i]) != std::string_view::npos) {
      consumed = i + 1;
      break;
    }
  }
  std::string_view token = Text.substr(0, i);
  Text = Trim(Text.substr(consumed));
  return Trim(token);
}
