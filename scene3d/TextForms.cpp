#include "scene3d/TextForms.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "scene2d/Errors.h"
#include "scene2d/TextForms.h"

std::string scFloatToText(float Value) {
  char buffer[64];
  if (Value == std::trunc(Value) && std::fabs(Value) < 1e15f) {
    std::snprintf(buffer, sizeof buffer, "%.0f", double(Value) + 0.0);
    return buffer;
  }
  // to_chars is locale-free, unlike printf's %g.
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, double(Value), std::chars_format::general, 6);
  (void)ec;
  return std::string(buffer, end);
}

std::string scPointToText(const TscVector& P) {
  return "(" + scFloatToText(P.X) + "," + scFloatToText(P.Y) + "," + scFloatToText(P.Z) + ")";
}

namespace {
// Reads up to Count numbers separated by "," "(" ")"; returns how many read.
int ReadNumbers(std::string_view Text, float* Values, int Count) {
  NextToken(Text, ",()");  // what stands before the opening bracket
  for (int i = 0; i < Count; ++i) {
    std::string_view token = NextToken(Text, ",()");
    float v = 0;
    if (!TryTextToFloat(token, v)) return i;
    Values[i] = v;
  }
  return Count;
}
}  // namespace

TscVector scTextToPoint(std::string_view Text) {
  float v[3] = {0, 0, 0};
  if (ReadNumbers(Text, v, 3) != 3) return {0, 0, 0, 1};
  return {v[0], v[1], v[2], 1};
}

std::string scQuaternionToText(const TscQuaternion& Q) {
  return "(" + scFloatToText(Q.X) + "," + scFloatToText(Q.Y) + "," + scFloatToText(Q.Z) + "," +
         scFloatToText(Q.W) + ")";
}

void scTextToQuaternion(std::string_view Text, TscQuaternion& Q) {
  float v[4] = {Q.X, Q.Y, Q.Z, Q.W};
  ReadNumbers(Text, v, 4);
  Q = {v[0], v[1], v[2], v[3]};
}

std::string scColorToText(uint32_t Color) {
  char buffer[12];
  std::snprintf(buffer, sizeof buffer, "#%08X", Color);
  return buffer;
}

uint32_t scTextToColor(std::string_view Text) {
  auto fail = [&]() -> uint32_t {
    throw EuxConvertError("'" + std::string(Text) + "' is not a valid colour");
  };
  if (Text.size() == 1 && Text[0] == '\0') return 0;
  int base = 10;
  std::string_view digits = Text;
  if (!digits.empty() && (digits[0] == '#' || digits[0] == '$')) {
    base = 16;
    digits.remove_prefix(1);
  }
  bool negative = false;
  if (base == 10 && !digits.empty() && digits[0] == '-') {
    negative = true;
    digits.remove_prefix(1);
  }
  if (digits.empty() || digits.size() > 10) return fail();
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (ec != std::errc() || end != digits.data() + digits.size() || value > 0xFFFFFFFFu) return fail();
  return negative ? uint32_t(0u - uint32_t(value)) : uint32_t(value);
}
