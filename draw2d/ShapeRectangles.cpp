#include "draw2d/ShapeRectangles.h"

UX_IMPLEMENT_CLASS(TuiRectangle)
UX_IMPLEMENT_CLASS(TuiSidesRectangle)
UX_IMPLEMENT_CLASS(TuiRoundRect)

void TuiRectangle::SetXRadius(float Value) {
  if (Value == FXRadius) return;
  FXRadius = Value;
  Repaint();
}

void TuiRectangle::SetYRadius(float Value) {
  if (Value == FYRadius) return;
  FYRadius = Value;
  Repaint();
}

void TuiRectangle::SetCorners(TuiCorners Value) {
  if (Value == FCorners) return;
  FCorners = Value;
  Repaint();
}

void TuiRectangle::SetCornerType(TuiCornerType Value) {
  if (Value == FCornerType) return;
  FCornerType = Value;
  Repaint();
}

void TuiRectangle::SetSides(TuiSides Value) {
  if (Value == FSides) return;
  FSides = Value;
  Repaint();
}

void TuiRectangle::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  const float opacity = GetAbsoluteOpacity();
  const TuiRect r = ShapeRect();
  if ((FSides & AllSides) == AllSides) {
    canvas->FillRect(r, FXRadius, FYRadius, FCorners, opacity, FCornerType);
    canvas->DrawRect(r, FXRadius, FYRadius, FCorners, opacity, FCornerType);
    return;
  }
  // The inset is the same on every side, so the left one stands for all.
  const float d = r.Left;
  TuiRect fill = r;
  if (!(FSides & (1u << uxSideTop))) fill.Top -= d;
  if (!(FSides & (1u << uxSideLeft))) fill.Left -= d;
  if (!(FSides & (1u << uxSideBottom))) fill.Bottom += d;
  if (!(FSides & (1u << uxSideRight))) fill.Right += d;
  canvas->FillRect(fill, FXRadius, FYRadius, FCorners, opacity, FCornerType);
  canvas->DrawRectSides(r, FXRadius, FYRadius, FCorners, opacity, FSides, FCornerType);
}

void TuiRoundRect::SetCorners(TuiCorners Value) {
  if (Value == FCorners) return;
  FCorners = Value;
  Repaint();
}

float TuiRoundRect::Radius() const {
  const TuiRect r = ShapeRect();
  return Height() >= Width() ? r.Width() / 2 : r.Height() / 2;
}

void TuiRoundRect::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  const float opacity = GetAbsoluteOpacity();
  const TuiRect r = ShapeRect();
  const float radius = Radius();
  canvas->FillRect(r, radius, radius, FCorners, opacity, uxCornerRound);
  canvas->DrawRect(r, radius, radius, FCorners, opacity, uxCornerRound);
}
