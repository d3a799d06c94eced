#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "draw2d/Bitmap.h"
#include "draw2d/Brush.h"
#include "draw2d/Gradient.h"
#include "scene2d/Geometry.h"

class TuiVisualObject;

// What a fill or an outline paints, worked out from a brush with no
// rasteriser in sight. Every backend turns one of these into its own paint
// (a Cairo pattern, a shader's uniforms) and owes it nothing else: which
// rectangle a gradient spans, how many stops it has, which brush a resource
// brush stands for and how text is made a little translucent are settled here
// once.

// The rectangle a brush is laid out over. Bounds is the painted shape's box;
// Span is what a linear gradient's fractional start and stop multiply. The
// stored styles were drawn with Right and Bottom there for rectangles, paths
// and text (Left + X * Right), which is the size only at the origin; an
// ellipse uses its width and height, so its gradient spans it wherever it is.
// Everything else (a radial gradient's ellipse, a stretched bitmap, the room
// a visual brush's object paints into) uses Bounds.
struct TuiBrushBox {
  TuiRect Bounds;
  TuiPoint Span;

  static TuiBrushBox Shape(const TuiRect& R) { return {R, {R.Right, R.Bottom}}; }
  static TuiBrushBox Ellipse(const TuiRect& R) { return {R, {R.Width(), R.Height()}}; }
};

enum TuiPaintKind : uint8_t {
  uxPaintNone,    // paints nothing
  uxPaintSolid,   // Color
  uxPaintLinear,  // Stops from Start (0) to Stop (1)
  uxPaintRadial,  // Stops from the centre (0) to the edge (1) of the unit circle
  uxPaintBitmap,  // Bitmap's pixels
  uxPaintVisual,  // Visual paints itself into VisualRect
};

// What lies beyond a gradient's ends or a bitmap's edges.
enum TuiPaintExtend : uint8_t {
  uxExtendNone,     // nothing
  uxExtendRepeat,   // the same again
  uxExtendReflect,  // mirrored, then the same, and so on
  uxExtendMirrorX,  // bitmaps: every second copy mirrored left to right, rows repeat
};

struct TuiPaint {
  // A fill adds at most two end stops to the gradient's points and the
  // rasteriser the stored looks were made with took at most 101, so a fill
  // uses the first 99 points and an outline the first 101.
  static constexpr size_t MaxStops = 101;
  // Text at full opacity is drawn at this opacity, as the stored looks were
  // tuned with: an opaque colour becomes alpha 252.
  static constexpr float TextFullOpacity = 0.99f;
  // Visual brushes painting objects whose look holds a visual brush of their
  // own stop this deep.
  static constexpr int MaxVisualDepth = 8;

  TuiPaintKind Kind = uxPaintNone;
  // Solid: straight ARGB, the opacity applied.
  TuiColor Color = 0;
  // Gradients: offsets in [0, 1], ascending, alpha scaled by the opacity.
  std::vector<TuiGradientStop> Stops;
  // Linear: the ends, in brush space.
  TuiPoint Start, Stop;
  // From brush space (the gradient's, the unit circle's, the bitmap's pixels)
  // to the user space of the shape; row vectors, like the canvas matrix.
  TuiMatrix BrushToUser;
  TuiPaintExtend Extend = uxExtendNone;
  // Bitmap: the picture itself (a resource it names already resolved) and an
  // alpha factor to paint it with.
  TuiBitmap* Bitmap = nullptr;
  float Alpha = 1;
  // Visual: the object, painted at Opacity into VisualRect and clipped to the
  // shape.
  TuiVisualObject* Visual = nullptr;
  TuiRect VisualRect;
  float Opacity = 1;

  bool Paints() const { return Kind != uxPaintNone; }

  // The fill Brush over Box at Opacity. A resource brush takes over the brush
  // it names first (TakeOverResource), which is why Brush is not const.
  // StrokeThickness widens a stretched bitmap by half of it.
  static TuiPaint ForFill(TuiBrush& Brush, const TuiBrushBox& Box, float Opacity, float StrokeThickness);
  // The pen's brush over Box at Opacity.
  static TuiPaint ForStroke(TuiBrush& Brush, const TuiRect& Box, float Opacity);
  // Text filled with Brush laid out in Rect: a fill with the text's opacity.
  static TuiPaint ForText(TuiBrush& Brush, const TuiRect& Rect, float Opacity, float StrokeThickness);
  static float TextOpacity(float Opacity) { return Opacity == 1 ? TextFullOpacity : Opacity; }

  // A resource brush paints as the brush it names: the brush takes it over
  // (Assign), following chains of names a few steps. An unresolved name
  // leaves the resource brush, which then paints nothing.
  static void TakeOverResource(TuiBrush& Brush);
};
