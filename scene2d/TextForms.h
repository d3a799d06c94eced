#pragma once

#include <string>
#include <string_view>

#include "scene2d/Geometry.h"

// The texts in which floats, points and rectangles are stored in streams and
// style sheets. The decimal separator is always ".", whatever the locale, and
// nothing here reads or changes process-wide state.

// A whole number without decimals ("14", "-3", "0"), anything else with exactly
// three ("0.500", "-12.250", "11.000"); ties at the third decimal round away from
// zero. Infinities and NaN print as "INF", "-INF" and "NAN", which do not read
// back: a stored geometry value is never meant to be one.
std::string FloatToText(float Value);

// Blanks around the number, an optional sign, digits with an optional "." part
// (at least one digit in all) and an optional exponent ("1.5E-3"). Values too
// small for a float read as zero; values too large for it, like any other text,
// do not convert.
bool TryTextToFloat(std::string_view Text, float& Value);
// As above, throwing EuxConvertError for a text that does not convert.
float TextToFloat(std::string_view Text);

// "(96,74)", "(0,0.500)": FloatToText of each value, no blanks.
std::string PointToText(const TuiPoint& P);
// Skips up to and including the first of "," "(" ")", then reads two values;
// text after them is ignored. Any value that does not convert makes the whole
// point (0, 0), so a damaged text never yields half a point. Never throws.
TuiPoint TextToPoint(std::string_view Text);
// "(Left,Top,Right,Bottom)".
std::string RectToText(const TuiRect& R);
// As TextToPoint, with four values; (0, 0, 0, 0) on any failure.
TuiRect TextToRect(std::string_view Text);

// Takes the next token off the front of Text. A character of Stops ends the token
// and stays in Text; a character of Separators ends it and is consumed. Both the
// token and what remains of Text are trimmed of blanks and control characters.
// The result views into the caller's text.
std::string_view NextToken(std::string_view& Text, std::string_view Separators, std::string_view Stops = {});
