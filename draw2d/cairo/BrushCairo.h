#pragma once

#include <cairo.h>

#include "draw2d/Brush.h"
#include "scene2d/Geometry.h"

// A brush or pen made into what Cairo paints with. No pattern means the brush
// paints nothing (none, transparent, unresolved, or a visual brush, which the
// canvas paints itself). Alpha is an extra factor for bitmap brushes below
// full opacity, which Cairo applies as a paint-with-alpha.
struct TuiCairoPaint {
  cairo_pattern_t* Pattern = nullptr;
  double Alpha = 1;

  TuiCairoPaint() = default;
  explicit TuiCairoPaint(cairo_pattern_t* P, double A = 1) : Pattern(P), Alpha(A) {}
  TuiCairoPaint(TuiCairoPaint&& Other) noexcept : Pattern(Other.Pattern), Alpha(Other.Alpha) {
    Other.Pattern = nullptr;
  }
  TuiCairoPaint& operator=(TuiCairoPaint&&) = delete;
  ~TuiCairoPaint() {
    if (Pattern) cairo_pattern_destroy(Pattern);
  }
};

// The fill brush for the brush rectangle R = (L, T, R, B) at Opacity. A
// resource brush that resolves is first assigned the brush it names, which is
// why Fill is not const. StrokeThickness widens a stretched bitmap.
TuiCairoPaint BuildFillPaint(TuiBrush& Fill, const TuiRect& R, float Opacity, float StrokeThickness);
// The pen's brush for R at Opacity.
TuiCairoPaint BuildPenPaint(TuiBrush& Stroke, const TuiRect& R, float Opacity);
// Cairo's form of a straight ARGB colour.
void SetSourceColor(cairo_t* Context, TuiColor Color);
