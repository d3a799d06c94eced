#include "draw2d/ShapeEllipses.h"

#include <algorithm>

UX_IMPLEMENT_CLASS(TuiEllipse)
UX_IMPLEMENT_CLASS(TuiCircle)
UX_IMPLEMENT_CLASS(TuiPie)
UX_IMPLEMENT_CLASS(TuiArc)

bool TuiEllipse::InObjectEllipse(const TuiPoint& Local) const {
  const float w = Width();
  const float h = Height();
  if (w * h == 0) return false;
  const float dx = (2 * Local.X - w) / w;
  const float dy = (2 * Local.Y - h) / h;
  return dx * dx + dy * dy <= 1;
}

bool TuiEllipse::PointInObject(float X, float Y) {
  return InObjectEllipse(AbsoluteToLocal({X, Y}));
}

void TuiEllipse::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  const float opacity = GetAbsoluteOpacity();
  const TuiRect r = ShapeRect();
  canvas->FillEllipse(r, opacity);
  canvas->DrawEllipse(r, opacity);
}

TuiRect TuiCircle::CircleRect() const {
  const float side = std::min(Width(), Height());
  TuiRect r{0, 0, side, side};
  FitRect(r, ShapeRect());
  return r;
}

void TuiCircle::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  const float opacity = GetAbsoluteOpacity();
  const TuiRect r = CircleRect();
  canvas->FillEllipse(r, opacity);
  canvas->DrawEllipse(r, opacity);
}

void TuiPie::SetStartAngle(float Value) {
  if (Value == FStartAngle) return;
  FStartAngle = Value;
  Repaint();
}

void TuiPie::SetEndAngle(float Value) {
  if (Value == FEndAngle) return;
  FEndAngle = Value;
  Repaint();
}

void TuiPie::BuildPath(TuiPathData& Path) const {
  const TuiPoint center = Center();
  Path.MoveTo(center);
  Path.AddArc(center, ArcRadii(), FStartAngle, FEndAngle - FStartAngle);
  Path.LineTo(center);
  Path.ClosePath();
}

bool TuiPie::PointInObject(float X, float Y) {
  const TuiPoint local = AbsoluteToLocal({X, Y});
  TuiCanvas* canvas = Canvas();
  if (!canvas) return InObjectEllipse(local);
  TuiPathData path;
  BuildPath(path);
  return canvas->PtInPath(local, path.GetBounds(), path);
}

void TuiPie::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  const float opacity = GetAbsoluteOpacity();
  TuiPathData path;
  BuildPath(path);
  const TuiRect bounds = path.GetBounds();
  canvas->FillPath(path, bounds, opacity);
  canvas->DrawPath(path, bounds, opacity);
}

void TuiArc::SetStartAngle(float Value) {
  if (Value == FStartAngle) return;
  FStartAngle = Value;
  Repaint();
}

void TuiArc::SetEndAngle(float Value) {
  if (Value == FEndAngle) return;
  FEndAngle = Value;
  Repaint();
}

void TuiArc::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  const float opacity = GetAbsoluteOpacity();
  canvas->FillArc(Center(), ArcRadii(), FStartAngle, FEndAngle, opacity);
  canvas->DrawArc(Center(), ArcRadii(), FStartAngle, FEndAngle, opacity);
}
