#include "scene2d/ValueHolders.h"

#include "scene2d/TextForms.h"
#include "scene2d/VisualObject.h"

namespace {
TuiObject* AsObject(TuiVisualObject* Visual) {
  return Visual;
}
}  // namespace

UX_IMPLEMENT_CLASS(TuiBounds)
UX_IMPLEMENT_CLASS(TuiPosition)

void TuiBounds::DefineProperties(TuiClassBuilder<TuiBounds>& C) {
  // The sides are reachable by path ("Margins.Top") but travel only inside "Rect".
  C.Property("Left", &TuiBounds::Left, &TuiBounds::SetLeft).Stored = false;
  C.Property("Top", &TuiBounds::Top, &TuiBounds::SetTop).Stored = false;
  C.Property("Right", &TuiBounds::Right, &TuiBounds::SetRight).Stored = false;
  C.Property("Bottom", &TuiBounds::Bottom, &TuiBounds::SetBottom).Stored = false;
  C.Property("Rect", &TuiBounds::RectText, &TuiBounds::SetRectText).StoredWhen = [](const TuiPersistent& O) {
    return !static_cast<const TuiBounds&>(O).IsDefault();
  };
}

void TuiPosition::DefineProperties(TuiClassBuilder<TuiPosition>& C) {
  C.Property("X", &TuiPosition::X, &TuiPosition::SetX).Stored = false;
  C.Property("Y", &TuiPosition::Y, &TuiPosition::SetY).Stored = false;
  C.Property("Point", &TuiPosition::PointText, &TuiPosition::SetPointText).StoredWhen =
      [](const TuiPersistent& O) { return !static_cast<const TuiPosition&>(O).IsDefault(); };
}

std::string TuiBounds::RectText() const {
  return RectToText(Rect());
}

void TuiBounds::SetRectText(const std::string& Value) {
  SetRect(TextToRect(Value));
}

std::string TuiPosition::PointText() const {
  return PointToText(Point());
}

void TuiPosition::SetPointText(const std::string& Value) {
  SetPoint(TextToPoint(Value));
}

TuiBounds::TuiBounds(const TuiRect& Default)
    : FLeft(Default.Left),
      FTop(Default.Top),
      FRight(Default.Right),
      FBottom(Default.Bottom),
      FDefault(Default) {}

void TuiBounds::Changed() {
  if (OnChanged) OnChanged(this);
}

void TuiBounds::SetLeft(float Value) {
  if (Value == FLeft) return;
  FLeft = Value;
  Changed();
}

void TuiBounds::SetTop(float Value) {
  if (Value == FTop) return;
  FTop = Value;
  Changed();
}

void TuiBounds::SetRight(float Value) {
  if (Value == FRight) return;
  FRight = Value;
  Changed();
}

void TuiBounds::SetBottom(float Value) {
  if (Value == FBottom) return;
  FBottom = Value;
  Changed();
}

void TuiBounds::SetRect(const TuiRect& Value) {
  if (Value == Rect()) return;
  FLeft = Value.Left;
  FTop = Value.Top;
  FRight = Value.Right;
  FBottom = Value.Bottom;
  Changed();
}

TuiRect TuiBounds::InnerRect(const TuiRect& Outer) const {
  return {Outer.Left + FLeft, Outer.Top + FTop, Outer.Right - FRight, Outer.Bottom - FBottom};
}

TuiPosition::TuiPosition(const TuiPoint& Default) : FX(Default.X), FY(Default.Y), FDefault(Default) {}

void TuiPosition::Changed() {
  if (OnChanged) OnChanged(this);
}

void TuiPosition::SetX(float Value) {
  if (Value == FX) return;
  FX = Value;
  Changed();
}

void TuiPosition::SetY(float Value) {
  if (Value == FY) return;
  FY = Value;
  Changed();
}

void TuiPosition::SetPoint(const TuiPoint& Value) {
  Store(Value);
  Changed();
}

TuiTransform::TuiTransform() {
  auto rebuild = [this](TuiPosition*) { RebuildMatrix(); };
  FPosition->OnChanged = rebuild;
  FScale->OnChanged = rebuild;
  FProjective->OnChanged = rebuild;
  FRotateCenter->OnChanged = rebuild;
}

void TuiTransform::SetRotateAngle(float Value) {
  if (Value == FRotateAngle) return;
  FRotateAngle = Value;
  RebuildMatrix();
}

void TuiTransform::Assign(const TuiTransform& Source) {
  // The angle is copied too: a copy that kept its own rotation would paint a
  // rotated radial gradient differently from the one it was taken from.
  FRotateAngle = Source.FRotateAngle;
  FPosition->Store(Source.FPosition->Point());
  FScale->Store(Source.FScale->Point());
  FProjective->Store(Source.FProjective->Point());
  FRotateCenter->Store(Source.FRotateCenter->Point());
  RebuildMatrix();
}

void TuiTransform::RebuildMatrix() {
  TuiMatrix m;
  m.M[2][0] = FPosition->X();
  m.M[2][1] = FPosition->Y();
  m.M[0][0] = FScale->X();
  m.M[1][1] = FScale->Y();
  m.M[0][2] = FProjective->X();
  m.M[1][2] = FProjective->Y();
  if (FRotateAngle != 0) m = MatrixMultiply(RotationMatrix(DegToRad(FRotateAngle)), m);
  FMatrix = m;
  if (OnChanged) OnChanged(this);
}

UX_IMPLEMENT_CLASS(TuiTransform)
UX_IMPLEMENT_CLASS(TuiVisual)

TuiVisual::~TuiVisual() {
  if (FVisualObject) AsObject(FVisualObject)->RemoveFreeNotify(this);
}

void TuiVisual::SetVisualObject(TuiVisualObject* Value) {
  if (Value == FVisualObject) return;
  if (FVisualObject) AsObject(FVisualObject)->RemoveFreeNotify(this);
  FVisualObject = Value;
  if (FVisualObject) AsObject(FVisualObject)->AddFreeNotify(this);
  if (OnChanged) OnChanged(this);
}

void TuiVisual::FreeNotify(TuiObject* Dying) {
  if (FVisualObject && AsObject(FVisualObject) == Dying) FVisualObject = nullptr;
}
