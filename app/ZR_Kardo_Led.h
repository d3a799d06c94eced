#pragma once

#include <string_view>

namespace kardo {

class TForm_3D_Kardo;

// The colour texts of the console: an LED or a segment is nothing but its fill.
inline constexpr std::string_view ColorLitGreen = "#FF00FF00";
inline constexpr std::string_view ColorLitYellow = "#FFFFFF00";
inline constexpr std::string_view ColorLitRed = "#FFFF0000";
inline constexpr std::string_view ColorUnlit = "#FF3E3E3E";

// Greens 1 to 5, then yellow, then red.
void LedsAllOn(TForm_3D_Kardo& Console);
void LedsAllOff(TForm_3D_Kardo& Console);
// Greens 1 to 5 only; yellow and red keep their colour.
void LedsGreensOn(TForm_3D_Kardo& Console);

}  // namespace kardo
