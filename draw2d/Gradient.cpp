#include "draw2d/Gradient.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "draw2d/ChangeBatch.h"
#include "scene2d/Errors.h"

UX_IMPLEMENT_CLASS(TuiGradientPoint)
UX_IMPLEMENT_CLASS(TuiGradientPoints)
UX_IMPLEMENT_CLASS(TuiGradient)

// ---- points ----

void TuiGradientPoint::SetColorValue(TuiColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TuiGradientPoint::SetOffset(float Value) {
  if (Value == FOffset) return;
  FOffset = Value;
  Changed();
}

TuiGradientPoints::TuiGradientPoints()
    : TuiCollection([](TuiCollection* Owner) { return std::make_unique<TuiGradientPoint>(Owner); }) {}

TuiGradientPoint* TuiGradientPoints::Add(TuiColor Color, float Offset) {
  BeginUpdate();
  TuiGradientPoint* p = Add();
  p->SetColorValue(Color);
  p->SetOffset(Offset);
  EndUpdate();
  return p;
}

// ---- gradient ----

void TuiGradient::DefineProperties(TuiClassBuilder<TuiGradient>& C) {
  auto linear = [](const TuiPersistent& O) {
    return static_cast<const TuiGradient&>(O).Style() == uxLinearGradient;
  };
  C.Collection("Points", &TuiGradient::Points);
  C.Property("Style", &TuiGradient::Style, &TuiGradient::SetStyle);
  C.Object("StartPosition", &TuiGradient::StartPosition).StoredWhen = linear;
  C.Object("StopPosition", &TuiGradient::StopPosition).StoredWhen = linear;
  C.Object("RadialTransform", &TuiGradient::RadialTransform).StoredWhen = [](const TuiPersistent& O) {
    return static_cast<const TuiGradient&>(O).Style() == uxRadialGradient;
  };
}

TuiGradient::TuiGradient() {
  FPoints->Add(0xFF000000, 0);
  FPoints->Add(0xFFFFFFFF, 1);
  // A changed stop changes the picture, so it reaches the owner like any
  // other change.
  FPoints->OnChanged = [this](TuiCollection*) { Changed(); };
  FStartPosition->OnChanged = [this](TuiPosition* Sender) { PositionChanged(Sender); };
  FStopPosition->OnChanged = [this](TuiPosition* Sender) { PositionChanged(Sender); };
  FRadialTransform->OnChanged = [this](TuiTransform*) { TransformChanged(); };
  FTransformSeen = TransformState();
}

void TuiGradient::Changed() {
  if (OnChanged) OnChanged(this);
}

void TuiGradient::SetStyle(TuiGradientStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

TuiGradient::TTransformState TuiGradient::TransformState() const {
  const TuiTransform& t = *FRadialTransform;
  return {t.RotateAngle(), t.Position()->Point(), t.Scale()->Point(), t.RotateCenter()->Point(),
          t.ProjectivePoint()->Point()};
}

// Positions and transforms report a value set again as well; only a different
// value is a change of the gradient.
void TuiGradient::PositionChanged(TuiPosition* Sender) {
  TuiPoint& seen = Sender == FStartPosition.get() ? FStartSeen : FStopSeen;
  if (Sender->Point() == seen) return;
  seen = Sender->Point();
  Changed();
}

void TuiGradient::TransformChanged() {
  const TTransformState now = TransformState();
  if (now == FTransformSeen) return;
  FTransformSeen = now;
  Changed();
}

TuiColor TuiGradient::ColorAt(float Offset) const {
  const int n = FPoints->Count();
  if (n < 2) return 0;
  const float t = std::isnan(Offset) ? 0 : std::clamp(Offset, 0.0f, 1.0f);
  const TuiGradientPoint* first = FPoints->Points(0);
  const TuiGradientPoint* last = FPoints->Points(n - 1);
  if (first->Offset() > t) return first->ColorValue();
  if (last->Offset() < t) return last->ColorValue();
  // The last segment that starts at or before t decides, which for stops in
  // ascending order is the one holding t.
  TuiColor result = first->ColorValue();
  for (int i = 0; i + 1 < n; ++i) {
    const TuiGradientPoint* a = FPoints->Points(i);
    const TuiGradientPoint* b = FPoints->Points(i + 1);
    if (a->Offset() > t) continue;
    const float length = b->Offset() - a->Offset();
    result = length <= 0 ? a->ColorValue()
                         : InterpolateColor(a->ColorValue(), b->ColorValue(), (t - a->Offset()) / length);
  }
  return result;
}

std::vector<TuiGradientStop> TuiGradient::PaintStops(float Opacity, bool WithEnds) const {
  std::vector<TuiGradientStop> stops;
  for (int i = 0; i < FPoints->Count(); ++i)
    stops.push_back({FPoints->Points(i)->Offset(), OpacityColor(FPoints->Points(i)->ColorValue(), Opacity)});
  if (WithEnds && !stops.empty()) {
    if (stops.front().Offset > 0) stops.insert(stops.begin(), {0, stops.front().Color});
    if (stops.back().Offset < 1) stops.push_back({1, stops.back().Color});
  }
  return stops;
}

TuiPoint TuiGradient::StartPoint(const TuiRect& Rect) const {
  return {Rect.Left + FStartPosition->X() * Rect.Right, Rect.Top + FStartPosition->Y() * Rect.Bottom};
}

TuiPoint TuiGradient::StopPoint(const TuiRect& Rect) const {
  return {Rect.Left + FStopPosition->X() * Rect.Right, Rect.Top + FStopPosition->Y() * Rect.Bottom};
}

void TuiGradient::Assign(const TuiGradient& Source) {
  if (&Source == this) return;
  TuiChangeBatch batch(*this);
  bool samePoints = FPoints->Count() == Source.FPoints->Count();
  for (int i = 0; samePoints && i < FPoints->Count(); ++i)
    samePoints = FPoints->Points(i)->ColorValue() == Source.FPoints->Points(i)->ColorValue() &&
                 FPoints->Points(i)->Offset() == Source.FPoints->Points(i)->Offset();
  if (!samePoints) FPoints->Assign(*Source.FPoints);
  SetStyle(Source.FStyle);
  if (FStyle == uxRadialGradient) {
    FRadialTransform->Assign(*Source.FRadialTransform);
  } else {
    FStopPosition->Assign(*Source.FStopPosition);
    FStartPosition->Assign(*Source.FStartPosition);
  }
  if (batch.Finish()) Changed();
}

void TuiGradient::Assign(const TuiPersistent& Source) {
  if (auto* g = dynamic_cast<const TuiGradient*>(&Source)) return Assign(*g);
  throw EuxConvertError("Cannot assign a " + Source.ClassName() + " to a " + ClassName());
}
