#include "draw2d/cairo/BrushCairo.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "draw2d/cairo/CanvasCairo.h"

namespace {

// A fill adds at most two end stops to its points and the rasteriser took at
// most 101, so a fill uses the first 99 points and an outline the first 101.
constexpr size_t MaxStops = 101;

double Channel(TuiColor C, int Shift) {
  return double((C >> Shift) & 0xFF) / 255.0;
}

cairo_pattern_t* SolidPattern(TuiColor C) {
  if ((C >> 24) == 0) return nullptr;
  return cairo_pattern_create_rgba(Channel(C, 16), Channel(C, 8), Channel(C, 0), Channel(C, 24));
}

void AddStop(cairo_pattern_t* P, double Offset, TuiColor C) {
  cairo_pattern_add_color_stop_rgba(P, Offset, Channel(C, 16), Channel(C, 8), Channel(C, 0), Channel(C, 24));
}

bool Finite(const cairo_matrix_t& M) {
  return std::isfinite(M.xx) && std::isfinite(M.yx) && std::isfinite(M.xy) && std::isfinite(M.yy) &&
         std::isfinite(M.x0) && std::isfinite(M.y0);
}

// Installs the user-to-pattern matrix that is the inverse of BrushToUser;
// false (pattern freed) when that has no inverse, since Cairo would then fail
// the whole context.
bool SetBrushTransform(cairo_pattern_t*& P, cairo_matrix_t BrushToUser) {
  if (!Finite(BrushToUser) || cairo_matrix_invert(&BrushToUser) != CAIRO_STATUS_SUCCESS) {
    cairo_pattern_destroy(P);
    P = nullptr;
    return false;
  }
  cairo_pattern_set_matrix(P, &BrushToUser);
  return true;
}

// The stops a gradient paints with: points at Opacity, at most Limit of them,
// and for a fill the end colours carried out to 0 and 1.
std::vector<TuiGradientStop> Stops(const TuiGradient& G, float Opacity, bool WithEnds) {
  std::vector<TuiGradientStop> stops = G.PaintStops(Opacity, false);
  stops.resize(std::min(stops.size(), WithEnds ? MaxStops - 2 : MaxStops));
  if (WithEnds && !stops.empty()) {
    if (stops.front().Offset > 0) stops.insert(stops.begin(), {0, stops.front().Color});
    if (stops.back().Offset < 1) stops.push_back({1, stops.back().Color});
  }
  return stops;
}

// Start and stop of a linear gradient: Left + X * Right and Top + Y * Bottom,
// the placement every stored style was designed with.
void LinearEnds(const TuiGradient& G, const TuiRect& R, double& X0, double& Y0, double& X1, double& Y1) {
  X0 = R.Left + double(G.StartPosition()->X()) * R.Right;
  Y0 = R.Top + double(G.StartPosition()->Y()) * R.Bottom;
  X1 = R.Left + double(G.StopPosition()->X()) * R.Right;
  Y1 = R.Top + double(G.StopPosition()->Y()) * R.Bottom;
}

cairo_pattern_t* LinearPattern(const TuiGradient& G, const TuiRect& R,
                               const std::vector<TuiGradientStop>& S) {
  double x0, y0, x1, y1;
  LinearEnds(G, R, x0, y0, x1, y1);
  cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
  for (const TuiGradientStop& s : S) AddStop(p, s.Offset, s.Color);
  return p;
}

// The ellipse inscribed in (L, T, R - L, B - T) under RadialTransform; stop
// offsets run from the edge (0) to the centre (1), Cairo's the other way.
cairo_pattern_t* RadialPattern(const TuiGradient& G, const TuiRect& R,
                               const std::vector<TuiGradientStop>& S) {
  const double rx = (double(R.Right) - R.Left) / 2, ry = (double(R.Bottom) - R.Top) / 2;
  cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
  for (auto s = S.rbegin(); s != S.rend(); ++s) AddStop(p, 1 - double(s->Offset), s->Color);
  // Outside the ellipse the brush paints nothing, as a path gradient does.
  cairo_pattern_set_extend(p, CAIRO_EXTEND_NONE);
  cairo_matrix_t ellipse, transform, total;
  cairo_matrix_init(&ellipse, rx, 0, 0, ry, R.Left + rx, R.Top + ry);
  const TuiMatrix& m = G.RadialTransform()->Matrix();
  cairo_matrix_init(&transform, m.M[0][0], m.M[0][1], m.M[1][0], m.M[1][1], m.M[2][0], m.M[2][1]);
  cairo_matrix_multiply(&total, &ellipse, &transform);
  SetBrushTransform(p, total);
  return p;
}

// A repeat of the bitmap with every second copy mirrored left to right. Cairo
// only mirrors both ways at once, so the pair is built once per brush.
cairo_pattern_t* FlipXTile(cairo_surface_t* Source, int Width, int Height) {
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2 * Width, Height);
  cairo_t* cr = cairo_create(tile);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, Source, 0, 0);
  cairo_paint(cr);
  cairo_matrix_t mirror;
  cairo_matrix_init(&mirror, -1, 0, 0, 1, 2.0 * Width, 0);
  cairo_transform(cr, &mirror);
  cairo_set_source_surface(cr, Source, 0, 0);
  cairo_rectangle(cr, 0, 0, Width, Height);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_pattern_t* p = cairo_pattern_create_for_surface(tile);
  cairo_surface_destroy(tile);
  return p;
}

// A bitmap brush anchored at the world origin; a stretched one covers
// (0, 0, StretchW, StretchH) once and nothing beyond.
cairo_pattern_t* BitmapPattern(TuiBrushBitmap& B, double StretchW, double StretchH) {
  TuiBitmap* bitmap = B.Bitmap();
  if (TuiBitmap* resolved = bitmap->ResolveBitmap()) bitmap = resolved;
  cairo_surface_t* surface = TuiCanvasCairo::BitmapSurface(*bitmap);
  if (!surface) return nullptr;
  cairo_pattern_t* p;
  switch (B.WrapMode()) {
    case uxWrapTileOriginal:
      p = FlipXTile(surface, bitmap->Width(), bitmap->Height());
      cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
      break;
    case uxWrapTileStretch: {
      p = cairo_pattern_create_for_surface(surface);
      cairo_pattern_set_extend(p, CAIRO_EXTEND_NONE);
      cairo_matrix_t scale;
      cairo_matrix_init_scale(&scale, StretchW / bitmap->Width(), StretchH / bitmap->Height());
      SetBrushTransform(p, scale);
      break;
    }
    default:
      p = cairo_pattern_create_for_surface(surface);
      cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
      break;
  }
  if (p) cairo_pattern_set_filter(p, CAIRO_FILTER_GOOD);
  return p;
}

// A resource brush paints as the brush it names, which the canvas's own brush
// takes over; chains of names are followed a few steps.
void ResolveResource(TuiBrush& Brush) {
  for (int depth = 0; depth < 8 && Brush.Style() == uxBrushResource; ++depth) {
    TuiBrush* target = Brush.Resource()->ResolveBrush();
    if (!target || target == &Brush) return;
    Brush.Assign(*target);
  }
}

}  // namespace

void SetSourceColor(cairo_t* Context, TuiColor C) {
  cairo_set_source_rgba(Context, Channel(C, 16), Channel(C, 8), Channel(C, 0), Channel(C, 24));
}

TuiCairoPaint BuildFillPaint(TuiBrush& Fill, const TuiRect& R, float Opacity, float StrokeThickness) {
  ResolveResource(Fill);
  switch (Fill.Style()) {
    case uxBrushSolid:
      return TuiCairoPaint(SolidPattern(OpacityColor(Fill.ColorValue(), Opacity)));
    case uxBrushGradient: {
      const TuiGradient& g = *Fill.Gradient();
      if (g.Points()->Count() < 2)
        return TuiCairoPaint(SolidPattern(OpacityColor(Fill.ColorValue(), Opacity)));
      const std::vector<TuiGradientStop> stops = Stops(g, Opacity, true);
      if (g.Style() == uxRadialGradient) return TuiCairoPaint(RadialPattern(g, R, stops));
      cairo_pattern_t* p = LinearPattern(g, R, stops);
      cairo_pattern_set_extend(p, CAIRO_EXTEND_REFLECT);
      return TuiCairoPaint(p);
    }
    case uxBrushBitmap: {
      const double half = StrokeThickness / 2.0;
      cairo_pattern_t* p =
          BitmapPattern(*Fill.Bitmap(), double(R.Right) - R.Left + half, double(R.Bottom) - R.Top + half);
      return TuiCairoPaint(p, std::isnan(Opacity) ? 0 : std::clamp(double(Opacity), 0.0, 1.0));
    }
    default:
      return {};
  }
}

TuiCairoPaint BuildPenPaint(TuiBrush& Stroke, const TuiRect& R, float Opacity) {
  ResolveResource(Stroke);
  switch (Stroke.Style()) {
    case uxBrushSolid:
      return TuiCairoPaint(SolidPattern(OpacityColor(Stroke.ColorValue(), Opacity)));
    case uxBrushGradient: {
      const TuiGradient& g = *Stroke.Gradient();
      if (g.Points()->Count() < 2)
        return TuiCairoPaint(SolidPattern(OpacityColor(Stroke.ColorValue(), Opacity)));
      cairo_pattern_t* p = LinearPattern(g, R, Stops(g, Opacity, false));
      cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
      // The outline's gradient is stretched by the rectangle's size along its
      // main direction; the stored styles' outlines were drawn that way.
      const double w = double(R.Right) - R.Left, h = double(R.Bottom) - R.Top;
      const bool horizontal = std::abs(g.StartPosition()->X() - g.StopPosition()->X()) >=
                              std::abs(g.StartPosition()->Y() - g.StopPosition()->Y());
      cairo_matrix_t scale;
      cairo_matrix_init_scale(&scale, horizontal ? w : h, horizontal ? h : w);
      cairo_matrix_t inverse = scale;
      if (Finite(scale) && cairo_matrix_invert(&inverse) == CAIRO_STATUS_SUCCESS)
        cairo_pattern_set_matrix(p, &inverse);
      return TuiCairoPaint(p);
    }
    case uxBrushBitmap:
      return TuiCairoPaint(
          BitmapPattern(*Stroke.Bitmap(), double(R.Right) - R.Left, double(R.Bottom) - R.Top));
    default:
      return {};
  }
}
