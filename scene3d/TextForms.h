#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scene3d/Vectors.h"

// The texts of 3D values in streams. The decimal separator is always ".".

// A value with a fractional part in general format with 6 significant digits
// ("149.5", "0.333333"), otherwise as an integer ("299", "0").
std::string scFloatToText(float Value);
// "(x,y,z)"; a malformed text gives (0, 0, 0). Never throws.
std::string scPointToText(const TscVector& P);
TscVector scTextToPoint(std::string_view Text);
// "(x,y,z,w)". Reading keeps the components read before a malformed one.
std::string scQuaternionToText(const TscQuaternion& Q);
void scTextToQuaternion(std::string_view Text, TscQuaternion& Q);
// "#AARRGGBB". Reading: "#" and hex digits, else an integer ("$" for hex),
// the single NUL character as 0; no colour names. A text that does not
// convert raises EuxConvertError.
std::string scColorToText(uint32_t Color);
uint32_t scTextToColor(std::string_view Text);
