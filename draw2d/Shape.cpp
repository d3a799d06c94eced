#include "draw2d/Shape.h"

UX_IMPLEMENT_CLASS(TuiShape)
UX_IMPLEMENT_CLASS(TuiLine)
UX_IMPLEMENT_CLASS(TuiPaintBox)

TuiShape::TuiShape(TuiComponent* Owner)
    : TuiShape(Owner, uxBrushSolid, 0xFFE0E0E0, uxBrushSolid, 0xFF000000) {}

TuiShape::TuiShape(TuiComponent* Owner, TuiBrushStyle FillStyle, TuiColor FillColor,
                   TuiBrushStyle StrokeStyle, TuiColor StrokeColor)
    : TuiVisualObject(Owner),
      FFill(std::make_unique<TuiBrush>(FillStyle, FillColor)),
      FStroke(std::make_unique<TuiBrush>(StrokeStyle, StrokeColor)) {
  FFill->OnChanged = [this](TuiBrush*) { BrushChanged(); };
  FStroke->OnChanged = [this](TuiBrush*) { BrushChanged(); };
}

TuiShape::~TuiShape() = default;

void TuiShape::BrushChanged() {
  // Inside an update block the end of the block repaints anyway.
  if (UpdateCount() > 0) return;
  LookChanged();
}

void TuiShape::LookChanged() {
  EffectsChanged();
  Repaint();
}

void TuiShape::SetStrokeThickness(float Value) {
  if (Value == FStrokeThickness) return;
  FStrokeThickness = Value;
  LookChanged();
}

void TuiShape::SetStrokeCap(TuiStrokeCap Value) {
  if (Value == FStrokeCap) return;
  FStrokeCap = Value;
  LookChanged();
}

void TuiShape::SetStrokeJoin(TuiStrokeJoin Value) {
  if (Value == FStrokeJoin) return;
  FStrokeJoin = Value;
  LookChanged();
}

void TuiShape::SetStrokeDash(TuiStrokeDash Value) {
  if (Value == FStrokeDash) return;
  FStrokeDash = Value;
  LookChanged();
}

TuiRect TuiShape::ShapeRect() const {
  TuiRect r = GetLocalRect();
  if (FStroke->Style() != uxBrushNone) InflateRect(r, -FStrokeThickness / 2, -FStrokeThickness / 2);
  return r;
}

void TuiShape::BeforePaint() {
  Inherited::BeforePaint();
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  canvas->Fill()->Assign(*FFill);
  canvas->Stroke()->Assign(*FStroke);
  canvas->SetStrokeThickness(FStrokeThickness);
  canvas->SetStrokeCap(FStrokeCap);
  canvas->SetStrokeJoin(FStrokeJoin);
  canvas->SetStrokeDash(FStrokeDash);
}

void TuiShape::AfterPaint() {
  Inherited::AfterPaint();
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  canvas->SetStrokeDash(uxDashSolid);
  canvas->SetStrokeThickness(1);
}

void TuiLine::SetLineType(TuiLineType Value) {
  if (Value == FLineType) return;
  FLineType = Value;
  Repaint();
}

void TuiLine::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  const TuiRect r = ShapeRect();
  TuiPoint end{r.Right, r.Bottom};
  if (FLineType == uxLineHorizontal) end.Y = r.Top;
  if (FLineType == uxLineVertical) end.X = r.Left;
  canvas->DrawLine({r.Left, r.Top}, end, GetAbsoluteOpacity());
}

void TuiPaintBox::Paint() {
  Inherited::Paint();
  if (OnPaint && Canvas()) OnPaint(this, Canvas());
}
