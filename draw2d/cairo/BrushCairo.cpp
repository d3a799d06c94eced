#include "draw2d/cairo/BrushCairo.h"

#include <cmath>

#include "draw2d/cairo/CanvasCairo.h"

namespace {

double Channel(TuiColor C, int Shift) {
  return double((C >> Shift) & 0xFF) / 255.0;
}

void AddStops(cairo_pattern_t* P, const std::vector<TuiGradientStop>& Stops) {
  for (const TuiGradientStop& s : Stops)
    cairo_pattern_add_color_stop_rgba(P, s.Offset, Channel(s.Color, 16), Channel(s.Color, 8),
                                      Channel(s.Color, 0), Channel(s.Color, 24));
}

bool Finite(const cairo_matrix_t& M) {
  return std::isfinite(M.xx) && std::isfinite(M.yx) && std::isfinite(M.xy) && std::isfinite(M.yy) &&
         std::isfinite(M.x0) && std::isfinite(M.y0);
}

// Installs the user-to-pattern matrix that is the inverse of BrushToUser;
// false (pattern freed) when that has no inverse, since Cairo would then fail
// the whole context.
bool SetBrushTransform(cairo_pattern_t*& P, const TuiMatrix& BrushToUser) {
  const TuiMatrix& m = BrushToUser;
  cairo_matrix_t c;
  cairo_matrix_init(&c, m.M[0][0], m.M[0][1], m.M[1][0], m.M[1][1], m.M[2][0], m.M[2][1]);
  if (!Finite(c) || cairo_matrix_invert(&c) != CAIRO_STATUS_SUCCESS) {
    cairo_pattern_destroy(P);
    P = nullptr;
    return false;
  }
  cairo_pattern_set_matrix(P, &c);
  return true;
}

cairo_extend_t Extend(TuiPaintExtend E) {
  switch (E) {
    case uxExtendRepeat:
    case uxExtendMirrorX:
      return CAIRO_EXTEND_REPEAT;
    case uxExtendReflect:
      return CAIRO_EXTEND_REFLECT;
    default:
      return CAIRO_EXTEND_NONE;
  }
}

// A repeat of the bitmap with every second copy mirrored left to right. Cairo
// only mirrors both ways at once, so the pair is built once per paint.
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

cairo_pattern_t* BitmapPattern(const TuiPaint& P) {
  cairo_surface_t* surface = TuiCanvasCairo::BitmapSurface(*P.Bitmap);
  if (!surface) return nullptr;
  cairo_pattern_t* p = P.Extend == uxExtendMirrorX ? FlipXTile(surface, P.Bitmap->Width(), P.Bitmap->Height())
                                                   : cairo_pattern_create_for_surface(surface);
  cairo_pattern_set_extend(p, Extend(P.Extend));
  if (SetBrushTransform(p, P.BrushToUser)) cairo_pattern_set_filter(p, CAIRO_FILTER_GOOD);
  return p;
}

}  // namespace

void SetSourceColor(cairo_t* Context, TuiColor C) {
  cairo_set_source_rgba(Context, Channel(C, 16), Channel(C, 8), Channel(C, 0), Channel(C, 24));
}

TuiCairoPaint MakeCairoPaint(const TuiPaint& P) {
  cairo_pattern_t* p = nullptr;
  switch (P.Kind) {
    case uxPaintSolid:
      return TuiCairoPaint(cairo_pattern_create_rgba(Channel(P.Color, 16), Channel(P.Color, 8),
                                                     Channel(P.Color, 0), Channel(P.Color, 24)));
    case uxPaintLinear:
      p = cairo_pattern_create_linear(P.Start.X, P.Start.Y, P.Stop.X, P.Stop.Y);
      break;
    case uxPaintRadial:
      p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
      break;
    case uxPaintBitmap:
      return TuiCairoPaint(BitmapPattern(P), P.Alpha);
    default:
      return {};
  }
  AddStops(p, P.Stops);
  cairo_pattern_set_extend(p, Extend(P.Extend));
  SetBrushTransform(p, P.BrushToUser);
  return TuiCairoPaint(p);
}
