#pragma once

#include <cairo.h>

#include "draw2d/Paint.h"
#include "scene2d/Geometry.h"

// A paint description made into what Cairo paints with. Alpha is an extra
// factor for bitmap brushes below full opacity, which Cairo applies as a
// paint-with-alpha.
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

// Cairo's pattern for a paint description; none for a paint that paints
// nothing, a visual one (which the canvas paints itself) or a bitmap Cairo
// cannot wrap.
TuiCairoPaint MakeCairoPaint(const TuiPaint& Paint);
// Cairo's form of a straight ARGB colour.
void SetSourceColor(cairo_t* Context, TuiColor Color);
