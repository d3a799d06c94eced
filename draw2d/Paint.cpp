#include "draw2d/Paint.h"

#include <algorithm>
#include <cmath>

#include "scene2d/ValueHolders.h"

namespace {

TuiMatrix Scale(double X, double Y) {
  TuiMatrix m;
  m.M[0][0] = float(X);
  m.M[1][1] = float(Y);
  return m;
}

bool Invertible(const TuiMatrix& M) {
  for (const auto& row : M.M)
    for (float v : row)
      if (!std::isfinite(v)) return false;
  return std::abs(double(M.M[0][0]) * M.M[1][1] - double(M.M[0][1]) * M.M[1][0]) > 0;
}

TuiPaint Solid(TuiColor Color, float Opacity) {
  TuiPaint p;
  p.Color = OpacityColor(Color, Opacity);
  if (p.Color >> 24) p.Kind = uxPaintSolid;
  return p;
}

// The gradient's points at Opacity, at most MaxStops of them, and for a fill
// the end colours carried out to 0 and 1.
std::vector<TuiGradientStop> PaintStops(const TuiGradient& G, float Opacity, bool WithEnds) {
  std::vector<TuiGradientStop> stops = G.PaintStops(Opacity, false);
  stops.resize(std::min(stops.size(), WithEnds ? TuiPaint::MaxStops - 2 : TuiPaint::MaxStops));
  if (WithEnds && !stops.empty()) {
    if (stops.front().Offset > 0) stops.insert(stops.begin(), {0, stops.front().Color});
    if (stops.back().Offset < 1) stops.push_back({1, stops.back().Color});
  }
  return stops;
}

// Start and stop of a linear gradient: Left + X * Span.X, Top + Y * Span.Y.
void LinearEnds(TuiPaint& P, const TuiGradient& G, const TuiBrushBox& Box) {
  const TuiRect& r = Box.Bounds;
  P.Start = {r.Left + G.StartPosition()->X() * Box.Span.X, r.Top + G.StartPosition()->Y() * Box.Span.Y};
  P.Stop = {r.Left + G.StopPosition()->X() * Box.Span.X, r.Top + G.StopPosition()->Y() * Box.Span.Y};
}

// The picture a bitmap brush paints: its own or the resource it names; none
// when that is empty.
TuiBitmap* BrushPicture(TuiBrushBitmap& B) {
  TuiBitmap* bitmap = B.Bitmap();
  if (TuiBitmap* resolved = bitmap->ResolveBitmap()) bitmap = resolved;
  return bitmap->IsEmpty() ? nullptr : bitmap;
}

// A bitmap anchored at the world origin; a stretched one covers (0, 0,
// StretchW, StretchH) once and nothing beyond.
TuiPaint BitmapPaint(TuiBrushBitmap& B, double StretchW, double StretchH, float Alpha) {
  TuiPaint p;
  p.Bitmap = BrushPicture(B);
  if (!p.Bitmap || !(Alpha > 0)) return {};
  p.Kind = uxPaintBitmap;
  p.Alpha = Alpha;
  switch (B.WrapMode()) {
    case uxWrapTileOriginal:
      p.Extend = uxExtendMirrorX;
      break;
    case uxWrapTileStretch:
      p.Extend = uxExtendNone;
      p.BrushToUser = Scale(StretchW / p.Bitmap->Width(), StretchH / p.Bitmap->Height());
      break;
    default:
      p.Extend = uxExtendRepeat;
      break;
  }
  return p;
}

}  // namespace

void TuiPaint::TakeOverResource(TuiBrush& Brush) {
  for (int depth = 0; depth < 8 && Brush.Style() == uxBrushResource; ++depth) {
    TuiBrush* target = Brush.Resource()->ResolveBrush();
    if (!target || target == &Brush) return;
    Brush.Assign(*target);
  }
}

TuiPaint TuiPaint::ForFill(TuiBrush& Brush, const TuiBrushBox& Box, float Opacity, float StrokeThickness) {
  TakeOverResource(Brush);
  const TuiRect& r = Box.Bounds;
  switch (Brush.Style()) {
    case uxBrushSolid:
      return Solid(Brush.ColorValue(), Opacity);
    case uxBrushGradient: {
      const TuiGradient& g = *Brush.Gradient();
      if (g.Points()->Count() < 2) return Solid(Brush.ColorValue(), Opacity);
      TuiPaint p;
      p.Stops = PaintStops(g, Opacity, true);
      if (g.Style() == uxRadialGradient) {
        // The ellipse inscribed in the box, under the gradient's transform;
        // the points run from the edge (0) to the centre (1), the stops the
        // other way.
        p.Kind = uxPaintRadial;
        std::reverse(p.Stops.begin(), p.Stops.end());
        for (TuiGradientStop& s : p.Stops) s.Offset = 1 - s.Offset;
        const double rx = double(r.Right - r.Left) / 2, ry = double(r.Bottom - r.Top) / 2;
        TuiMatrix ellipse = Scale(rx, ry);
        ellipse.M[2][0] = float(r.Left + rx);
        ellipse.M[2][1] = float(r.Top + ry);
        p.BrushToUser = MatrixMultiply(ellipse, g.RadialTransform()->Matrix());
        p.Extend = uxExtendNone;  // outside the ellipse a path gradient paints nothing
      } else {
        p.Kind = uxPaintLinear;
        LinearEnds(p, g, Box);
        p.Extend = uxExtendReflect;
      }
      return p;
    }
    case uxBrushBitmap: {
      const double half = StrokeThickness / 2.0;
      const float alpha = std::isnan(Opacity) ? 0 : std::clamp(Opacity, 0.0f, 1.0f);
      return BitmapPaint(*Brush.Bitmap(), double(r.Right) - r.Left + half, double(r.Bottom) - r.Top + half,
                         alpha);
    }
    case uxBrushVisual: {
      TuiPaint p;
      p.Visual = Brush.Visual()->VisualObject();
      if (!p.Visual) return p;
      p.Kind = uxPaintVisual;
      p.VisualRect = r;
      p.Opacity = Opacity;
      return p;
    }
    default:
      return {};
  }
}

TuiPaint TuiPaint::ForStroke(TuiBrush& Brush, const TuiRect& R, float Opacity) {
  TakeOverResource(Brush);
  switch (Brush.Style()) {
    case uxBrushSolid:
      return Solid(Brush.ColorValue(), Opacity);
    case uxBrushGradient: {
      const TuiGradient& g = *Brush.Gradient();
      if (g.Points()->Count() < 2) return Solid(Brush.ColorValue(), Opacity);
      TuiPaint p;
      p.Kind = uxPaintLinear;
      p.Stops = PaintStops(g, Opacity, false);
      LinearEnds(p, g, TuiBrushBox::Shape(R));
      p.Extend = uxExtendRepeat;
      // Whatever its style, an outline's gradient is linear and stretched by
      // the rectangle's size along its main direction; the stored styles'
      // outlines were drawn that way. A scale that collapses is left out.
      const double w = double(R.Right) - R.Left, h = double(R.Bottom) - R.Top;
      const bool horizontal = std::abs(g.StartPosition()->X() - g.StopPosition()->X()) >=
                              std::abs(g.StartPosition()->Y() - g.StopPosition()->Y());
      const TuiMatrix scale = Scale(horizontal ? w : h, horizontal ? h : w);
      if (Invertible(scale)) p.BrushToUser = scale;
      return p;
    }
    case uxBrushBitmap:
      return BitmapPaint(*Brush.Bitmap(), double(R.Right) - R.Left, double(R.Bottom) - R.Top, 1);
    default:
      return {};
  }
}

TuiPaint TuiPaint::ForText(TuiBrush& Brush, const TuiRect& Rect, float Opacity, float StrokeThickness) {
  TuiPaint p = ForFill(Brush, TuiBrushBox::Shape(Rect), TextOpacity(Opacity), StrokeThickness);
  // Glyphs are no shape to clip an object's picture to.
  if (p.Kind == uxPaintVisual) return {};
  return p;
}
