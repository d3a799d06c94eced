#include "draw2d/ShapePaths.h"

#include <algorithm>
#include <cmath>

UX_IMPLEMENT_CLASS(TuiCustomPath)
UX_IMPLEMENT_CLASS(TuiPath)

namespace {

// The last index of a row of tiles of Size every Step along Extent: as many
// as fit by rounding, but none that starts past the end, and no more than one
// per unit, since finer copies cannot be told apart.
int TileCount(float Extent, float Size, float Step) {
  const double count = RoundHalfEven(double(Extent) / Size);
  const double visible = std::ceil(double(Extent) / std::max(double(Step), 1.0));
  return int(std::max(0.0, std::min(count, visible)));
}

}  // namespace

void uxDrawDesignFrame(TuiCanvas& Canvas, const TuiRect& LocalRect) {
  const int32_t saved = Canvas.SaveCanvas();
  Canvas.Stroke()->SetStyle(uxBrushSolid);
  Canvas.Stroke()->SetColorValue(0xA0909090);
  Canvas.SetStrokeThickness(1);
  Canvas.SetStrokeDash(uxDashDash);
  TuiRect r = LocalRect;
  InflateRect(r, -0.5f, -0.5f);
  Canvas.DrawRect(r, 0, 0, AllCorners, 1);
  Canvas.RestoreCanvas(saved);
}

TuiCustomPath::TuiCustomPath(TuiComponent* Owner) : TuiShape(Owner), FData(std::make_unique<TuiPathData>()) {
  FData->OnChanged = [this](TuiPathData*) { LookChanged(); };
}

TuiCustomPath::~TuiCustomPath() = default;

void TuiCustomPath::SetWrapMode(TuiPathWrap Value) {
  if (Value == FWrapMode) return;
  FWrapMode = Value;
  Repaint();
}

TuiPathData& TuiCustomPath::PaintedPath() const {
  TuiPathData* resource = FData->ResolvePath();
  return resource ? *resource : *FData;
}

bool TuiCustomPath::PointInObject(float X, float Y) {
  // A designer picks the object by its frame, not its outline.
  if (IsDesigning() && !Locked()) return Inherited::PointInObject(X, Y);
  const TuiPathData& path = PaintedPath();
  TuiCanvas* canvas = Canvas();
  if (path.Count() <= 1 || !canvas) return Inherited::PointInObject(X, Y);
  TuiRect r = path.GetBounds();
  FitRect(r, ShapeRect());
  return canvas->PtInPath(AbsoluteToLocal({X, Y}), r, path);
}

void TuiCustomPath::FillAndDraw(TuiCanvas& Canvas, const TuiPathData& Path, const TuiRect& Rect,
                                float Opacity) {
  Canvas.FillPath(Path, Rect, Opacity);
  Canvas.DrawPath(Path, Rect, Opacity);
}

void TuiCustomPath::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  const TuiPathData& path = PaintedPath();
  const float opacity = GetAbsoluteOpacity();
  const TuiRect local = GetLocalRect();
  if (!path.IsEmpty()) {
    const TuiRect shape = ShapeRect();
    const TuiRect bounds = path.GetBounds();
    TuiRect r = bounds;
    switch (FWrapMode) {
      case uxPathOriginal: {
        OffsetRect(r, shape.Left, shape.Top);
        const int32_t saved = canvas->SaveCanvas();
        canvas->IntersectClipRect(local);
        FillAndDraw(*canvas, path, r, opacity);
        canvas->RestoreCanvas(saved);
        break;
      }
      case uxPathFit:
        FitRect(r, shape);
        FillAndDraw(*canvas, path, r, opacity);
        break;
      case uxPathStretch:
        FillAndDraw(*canvas, path, shape, opacity);
        break;
      case uxPathTile: {
        const int32_t saved = canvas->SaveCanvas();
        canvas->IntersectClipRect(local);
        // Copies keep the outline's inset on both sides of every seam.
        const float stepX = bounds.Width() + 2 * shape.Left;
        const float stepY = bounds.Height() + 2 * shape.Top;
        // A flat path (a line, a point) has bounds a thousandth wide; copies
        // past the clip would only cost time.
        const int columns = TileCount(Width(), bounds.Width(), stepX);
        const int rows = TileCount(Height(), bounds.Height(), stepY);
        for (int i = 0; i <= columns; ++i)
          for (int j = 0; j <= rows; ++j) {
            TuiRect tile = bounds;
            OffsetRect(tile, shape.Left + i * stepX, shape.Top + j * stepY);
            FillAndDraw(*canvas, path, tile, opacity);
          }
        canvas->RestoreCanvas(saved);
        break;
      }
    }
  }
  if (IsDesigning() && !Locked()) uxDrawDesignFrame(*canvas, local);
}
