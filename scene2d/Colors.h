#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// A colour is 32-bit ARGB, alpha in the top byte, straight (not premultiplied)
// everywhere except inside pixel buffers that say otherwise.
using TuiColor = uint32_t;

// One entry of the named-colour table: the CSS extended colour keywords, first
// letter upper case ("Aliceblue"), sorted alphabetically, all opaque.
struct TuiColorName {
  std::string_view Name;
  TuiColor Color;
};
std::span<const TuiColorName> ColorNames();

// "#" and eight upper-case hex digits, alpha first ("#FF3E3E3E"). Names are
// never printed, so that every colour reads back as itself.
std::string ColorToText(TuiColor Color);

// Accepts, in this order: a single NUL character (colour 0); "#" and one to
// eight hex digits taken bit for bit ("#00FF00" has alpha 0); a colour name in
// any case; a 32-bit integer with optional leading blanks and sign, decimal or
// hex after "$", "x" or "0x" (a negative number is its two's complement).
// Anything else, trailing blanks included, is no colour: false, Color untouched.
bool TryTextToColor(std::string_view Text, TuiColor& Color);
// As above, 0 for a text that is no colour. Never throws: style and layout texts
// come from files and a bad one must not stop loading.
TuiColor TextToColor(std::string_view Text);

TuiColor MakeColor(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t Alpha = 0xFF);
// Scales the alpha by Opacity (truncated); 1 or more leaves the colour as it is,
// 0 or less (or NaN) makes it transparent.
TuiColor OpacityColor(TuiColor Color, float Opacity);
// Alpha 0 gives 0 and alpha 255 the colour itself; otherwise each colour
// channel is scaled by alpha / 255, truncated.
TuiColor PremultiplyColor(TuiColor Color);
// The inverse, truncated and capped at 255 for channels that exceed their
// alpha (no premultiplied colour has such a channel, but a buffer can).
TuiColor UnpremultiplyColor(TuiColor Color);
// Per channel, alpha included: Start + Trunc(T * (Stop - Start)), kept to its
// low 8 bits: T outside [0, 1] wraps a channel round rather than saturating it.
// A non-finite step leaves the channel at Start.
TuiColor InterpolateColor(TuiColor Start, TuiColor Stop, float T);
float InterpolateSingle(float Start, float Stop, float T);

// Hue, saturation and lightness, each in [0, 1].
struct TuiHSL {
  float H = 0;
  float S = 0;
  float L = 0;
};
// Alpha is ignored.
TuiHSL RGBtoHSL(TuiColor Color);
// Opaque; channels rounded to nearest (ties to even) and kept within 0..255.
TuiColor HSLtoRGB(float H, float S, float L);
// Adds the deltas in HSL, clamping each sum to [0, 1] (hue is clamped, not
// wrapped), and keeps the input's alpha.
TuiColor ChangeHSL(TuiColor Color, float DeltaH, float DeltaS, float DeltaL);
