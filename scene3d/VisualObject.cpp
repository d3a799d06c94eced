#include "scene3d/VisualObject.h"

#include <algorithm>
#include <cmath>

#include "platform/Window.h"
#include "scene2d/Geometry.h"
#include "scene3d/Canvas.h"
#include "scene3d/Scene.h"
#include "scene3d/SceneObjects.h"
#include "scene3d/TextForms.h"

UX_IMPLEMENT_CLASS(TscVisualObject)

void TscVisualObject::DefineProperties(TuiClassBuilder<TscVisualObject>& C) {
  // The states triggers ask about; never stored.
  constexpr void (TscVisualObject::*noSetter)(bool) = nullptr;
  C.Property("IsMouseOver", &TscVisualObject::IsMouseOver, noSetter).Stored = false;
  C.Property("IsFocused", &TscVisualObject::IsFocused, noSetter).Stored = false;
  C.Property("IsVisible", &TscVisualObject::Visible, noSetter).Stored = false;
  C.Property("DragMode", &TscVisualObject::DragMode, &TscVisualObject::SetDragMode, scDragManual);
  C.Object("Position", &TscVisualObject::Position);
  C.Object("Scale", &TscVisualObject::Scale);
  C.Object("RotateAngle", &TscVisualObject::RotateAngle);
  C.Property("DragDisableHighlight", &TscVisualObject::DragDisableHighlight,
             &TscVisualObject::SetDragDisableHighlight, false);
  C.Property("Locked", &TscVisualObject::Locked, &TscVisualObject::SetLocked, false);
  C.Property("DesignHide", &TscVisualObject::DesignHide, &TscVisualObject::SetDesignHide, false);
  C.Property("Width", &TscVisualObject::Width, &TscVisualObject::SetWidth, 1.0f);
  C.Property("Height", &TscVisualObject::Height, &TscVisualObject::SetHeight, 1.0f);
  C.Property("Depth", &TscVisualObject::Depth, &TscVisualObject::SetDepth, 1.0f);
  C.Property("Opacity", &TscVisualObject::Opacity, &TscVisualObject::SetOpacity, 1.0f);
  C.Property("HitTest", &TscVisualObject::HitTest, &TscVisualObject::SetHitTest, true);
  C.Property("TwoSide", &TscVisualObject::TwoSide, &TscVisualObject::SetTwoSide, false);
  C.Property("Visible", &TscVisualObject::Visible, &TscVisualObject::SetVisible, true);
  C.Property("ZWrite", &TscVisualObject::ZWrite, &TscVisualObject::SetZWrite, true);
  C.Property("Cursor", &TscVisualObject::Cursor, &TscVisualObject::SetCursor, 0);
  C.Property("Hint", &TscVisualObject::Hint, &TscVisualObject::SetHint);
  C.Property("ShowHint", &TscVisualObject::ShowHint, &TscVisualObject::SetShowHint, false);
  C.Event("OnPaint", &TscVisualObject::OnPaint);
  C.Event("OnBeforePaint", &TscVisualObject::OnBeforePaint);
  C.Event("OnClick", &TscVisualObject::OnClick);
  C.Event("OnDblClick", &TscVisualObject::OnDblClick);
  C.Event("OnMouseDown", &TscVisualObject::OnMouseDown);
  C.Event("OnMouseMove", &TscVisualObject::OnMouseMove);
  C.Event("OnMouseUp", &TscVisualObject::OnMouseUp);
  C.Event("OnMouseWheel", &TscVisualObject::OnMouseWheel);
  C.Event("OnKeyDown", &TscVisualObject::OnKeyDown);
  C.Event("OnKeyUp", &TscVisualObject::OnKeyUp);
  // Last, so that it overrides whatever the RotateAngle lines before it turned.
  C.Property("Quanternion", &TscVisualObject::QuaternionText, &TscVisualObject::SetQuaternionText)
      .StoredWhen = [](const TuiPersistent& O) {
    const TscQuaternion& q = static_cast<const TscVisualObject&>(O).Quaternion();
    return q.X != 0 || q.Y != 0 || q.Z != 0 || q.W != 0;
  };
}

TscVisualObject::TscVisualObject(TuiComponent* Owner)
    : TscObject(Owner),
      FPosition(std::make_unique<TscPosition>()),
      FScale(std::make_unique<TscPosition>(TscVector{1, 1, 1, 1})),
      FRotateAngle(std::make_unique<TscPosition>()) {
  SetVisualSelf(this);
  FPosition->OnChanged = [this] { UpdateLocalMatrix(); };
  FScale->OnChanged = [this] { UpdateLocalMatrix(); };
  FRotateAngle->OnChanged = [this] {
    for (int axis = 0; axis < 3; ++axis) RotateAbout(axis);
  };
  FRotateAngle->OnChangedX = [this] { RotateAbout(0); };
  FRotateAngle->OnChangedY = [this] { RotateAbout(1); };
  FRotateAngle->OnChangedZ = [this] { RotateAbout(2); };
}

TscVisualObject::~TscVisualObject() = default;

void TscVisualObject::RotateAbout(int Axis) {
  TscPosition& r = *FRotateAngle;
  const float now = Axis == 0 ? r.X() : Axis == 1 ? r.Y() : r.Z();
  const float before = Axis == 0 ? r.Previous().X : Axis == 1 ? r.Previous().Y : r.Previous().Z;
  const float d = NormalizeAngle(now - before);
  // The stored angle is kept normalised, without turning again.
  const float stored = NormalizeAngle(now);
  if (stored != now) {
    auto handler = Axis == 0   ? std::move(r.OnChangedX)
                   : Axis == 1 ? std::move(r.OnChangedY)
                               : std::move(r.OnChangedZ);
    auto noop = [] {};
    (Axis == 0 ? r.OnChangedX : Axis == 1 ? r.OnChangedY : r.OnChangedZ) = noop;
    if (Axis == 0) r.SetX(stored);
    if (Axis == 1) r.SetY(stored);
    if (Axis == 2) r.SetZ(stored);
    (Axis == 0 ? r.OnChangedX : Axis == 1 ? r.OnChangedY : r.OnChangedZ) = std::move(handler);
  }
  if (d == 0) return;
  const TscVector axis{Axis == 0 ? 1.0f : 0.0f, Axis == 1 ? 1.0f : 0.0f, Axis == 2 ? 1.0f : 0.0f, 0};
  FQuaternion = scQuaternionMultiply(FQuaternion, scQuaternionAxisAngle(axis, DegToRad(d)));
  UpdateLocalMatrix();
}

void TscVisualObject::SetQuaternion(const TscQuaternion& Value) {
  if (Value == FQuaternion) return;
  FQuaternion = Value;
  UpdateLocalMatrix();
}

std::string TscVisualObject::QuaternionText() const {
  return scQuaternionToText(FQuaternion);
}

void TscVisualObject::SetQuaternionText(const std::string& Value) {
  TscQuaternion q = FQuaternion;
  scTextToQuaternion(Value, q);
  SetQuaternion(q);
}

void TscVisualObject::UpdateLocalMatrix() {
  TscVector dir{0, 0, 1, 0}, up{0, 1, 0, 0};
  const TscPosition& r = *FRotateAngle;
  if (r.X() != 0 || r.Y() != 0 || r.Z() != 0 || FQuaternion != TscQuaternion()) {
    const TscMatrix rot = scQuaternionMatrix(scQuaternionNormalize(FQuaternion));
    dir = scTransformDirection(dir, rot);
    up = scTransformDirection(up, rot);
  }
  const TscVector right = scCross(up, dir);
  const TscVector rows[3] = {scScale(right, FScale->X()), scScale(up, FScale->Y()),
                             scScale(dir, FScale->Z())};
  for (int i = 0; i < 3; ++i)
    FLocalMatrix.M[i][0] = rows[i].X, FLocalMatrix.M[i][1] = rows[i].Y, FLocalMatrix.M[i][2] = rows[i].Z,
    FLocalMatrix.M[i][3] = 0;
  FLocalMatrix.M[3][0] = FPosition->X();
  FLocalMatrix.M[3][1] = FPosition->Y();
  FLocalMatrix.M[3][2] = FPosition->Z();
  FLocalMatrix.M[3][3] = 1;
  MatrixChanged();
  Repaint();
}

void TscVisualObject::MatrixChanged() {
  FAbsoluteStale = true;
  for (TscObject* child : ChildList())
    if (child && child->IsVisual()) child->Visual()->MatrixChanged();
}

TscMatrix TscVisualObject::AbsoluteMatrix() const {
  if (FAbsoluteStale) {
    TscObject* p = Parent();
    FAbsoluteMatrix =
        p && p->IsVisual() ? scMatrixMultiply(FLocalMatrix, p->Visual()->AbsoluteMatrix()) : FLocalMatrix;
    FAbsoluteStale = false;
  }
  return FAbsoluteMatrix;
}

float TscVisualObject::AbsoluteOpacity() const {
  if (FOpacityStale) {
    TscObject* p = Parent();
    FAbsoluteOpacity = p && p->IsVisual() ? FOpacity * p->Visual()->AbsoluteOpacity() : FOpacity;
    FOpacityStale = false;
  }
  return FAbsoluteOpacity;
}

void TscVisualObject::OpacityChanged() {
  FOpacityStale = true;
  for (TscObject* child : ChildList())
    if (child && child->IsVisual()) child->Visual()->OpacityChanged();
}

void TscVisualObject::SetOpacity(float Value) {
  Value = std::clamp(Value, 0.0f, 1.0f);
  if (Value == FOpacity) return;
  FOpacity = Value;
  OpacityChanged();
  Repaint();
}

void TscVisualObject::SetWidth(float Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  if (!IsLoading() && ChildrenCount() > 0) Realign();
  Repaint();
}
void TscVisualObject::SetHeight(float Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  if (!IsLoading() && ChildrenCount() > 0) Realign();
  Repaint();
}
void TscVisualObject::SetDepth(float Value) {
  if (Value == FDepth) return;
  FDepth = Value;
  if (!IsLoading() && ChildrenCount() > 0) Realign();
  Repaint();
}
void TscVisualObject::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Repaint();
  // Hiding only stores: the animations under a hidden object stop on their own.
  if (Value) StartTriggerAnimation(this, "IsVisible");
}

TscVector TscVisualObject::AbsoluteToLocal(const TscVector& Point) const {
  return scTransformPoint(Point, scInvertMatrix(AbsoluteMatrix()));
}
TscVector TscVisualObject::LocalToAbsolute(const TscVector& Point) const {
  return scTransformPoint(Point, AbsoluteMatrix());
}
TscVector TscVisualObject::AbsoluteToLocalVector(const TscVector& Vector) const {
  return scTransformDirection(Vector, scInvertMatrix(AbsoluteMatrix()));
}
TscVector TscVisualObject::LocalToAbsoluteVector(const TscVector& Vector) const {
  return scTransformDirection(Vector, AbsoluteMatrix());
}

void TscVisualObject::ChildAdded(TscObject* Child) {
  if (Child->IsVisual()) {
    if (FScreenProjection) Child->Visual()->SetScreenProjection(true);
    Child->Visual()->MatrixChanged();
    Child->Visual()->OpacityChanged();
  }
  if (!IsLoading()) Realign();
}

void TscVisualObject::ChildRemoved(TscObject*) {
  Realign();
  Repaint();
}

void TscVisualObject::Loaded() {
  TscObject::Loaded();
  UpdateLocalMatrix();
  if (ChildrenCount() > 0) Realign();
}

bool TscVisualObject::RayCastIntersect(const TscVector&, const TscVector&, TscVector& Intersection) {
  Intersection = LocalToAbsolute({0, 0, 0, 1});
  return true;
}

TscVisualObject* TscVisualObject::ObjectByRay(TscCanvas& Canvas, float& Nearest, float X, float Y) {
  if (!FVisible && !IsDesigning()) return nullptr;
  TscVisualObject* found = nullptr;
  ForEachChildReverse([&](TscObject* Child) {
    if (!Child->IsVisual()) return;
    TscVisualObject* v = Child->Visual();
    if (!v->Visible() && !IsDesigning()) return;
    if (TscVisualObject* hit = v->ObjectByRay(Canvas, Nearest, X, Y)) found = hit;
  });
  if (found) return found;
  if (!(IsDesigning() ? !FLocked : FHitTest)) return nullptr;
  TscVector pos, dir;
  const TscProjection projection = FScreenProjection ? scProjectionScreen : scProjectionCamera;
  Canvas.GetPickRay(projection, X, Y, pos, dir);
  TscVector hit;
  if (!RayCastIntersect(AbsoluteToLocal(pos), AbsoluteToLocalVector(dir), hit)) return nullptr;
  TscVector from = pos;
  if (projection == scProjectionCamera && Canvas.Camera()) {
    const TscMatrix m = Canvas.Camera()->AbsoluteMatrix();
    from = {m.M[3][0], m.M[3][1], m.M[3][2], 1};
  }
  const float distance = scLength(scSubtract(hit, from));
  if (distance >= Nearest) return nullptr;
  Nearest = distance;
  return this;
}

void TscVisualObject::ApplyLights(TscCanvas& Canvas) {
  ForEachChild([&](TscObject* Child) {
    if (Child->IsVisual()) Child->Visual()->ApplyLights(Canvas);
  });
}

void TscVisualObject::PaintChildren(TscCanvas& Canvas) {
  ForEachChild([&](TscObject* Child) {
    if (!Child->IsVisual()) return;
    TscVisualObject* v = Child->Visual();
    if (!v->Visible()) return;
    if (std::fabs(v->Scale()->X()) < 0.01f || std::fabs(v->Scale()->Y()) < 0.01f) return;
    Canvas.SetState(v->ZWrite() ? scStateDepthWriteOn : scStateDepthWriteOff);
    Canvas.SetState(v->ScreenProjection() ? scStateScreenProjection : scStateCameraProjection);
    Canvas.SetState(v->TwoSide() ? scStateCullNone : scStateCullCCW);
    Canvas.SetMatrix(v->AbsoluteMatrix());
    v->BeforePaint(Canvas);
    v->Paint(Canvas);
    if (v->OnPaint) v->OnPaint(v, Canvas);
    v->PaintChildren(Canvas);
  });
}

void TscVisualObject::Repaint() {
  if (TscScene* scene = Scene()) scene->Invalidate();
}

// ---- input and focus ----

void TscVisualObject::SetFocus() {
  TscScene* scene = Scene();
  if (FCanFocused && !FIsFocused && scene && scene->Focused() != this) scene->SetFocused(this);
}

void TscVisualObject::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y,
                                const TscVector& RayPos, const TscVector& RayDir) {
  // An automatic drag belongs to the in-application drag, which no window of
  // this program uses; the press does nothing else.
  if (FDragMode == scDragAutomatic) return;
  SetFocus();
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y, RayPos, RayDir);
  if (Button == uxMouseLeft) {
    FPressed = true;
    FDoubleClicked = (Shift & platform::plDouble) != 0;
    if (FDoubleClicked) DblClick();
  }
}

void TscVisualObject::MouseMove(TuiShiftState Shift, float X, float Y, const TscVector& RayPos,
                                const TscVector& RayDir) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y, RayPos, RayDir);
}

void TscVisualObject::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y,
                              const TscVector& RayPos, const TscVector& RayDir) {
  if (TscScene* scene = Scene(); scene && scene->Captured() == this) scene->SetCaptured(nullptr);
  const bool click = FPressed && !FDoubleClicked && FIsMouseOver;
  FPressed = false;
  // The click comes before the event, unlike in the 2D tree.
  if (click) Click();
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y, RayPos, RayDir);
}

void TscVisualObject::MouseWheel(TuiShiftState Shift, int WheelDelta, bool& Handled) {
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, Handled);
}

void TscVisualObject::KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, KeyChar, Shift);
}

void TscVisualObject::KeyUp(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, KeyChar, Shift);
}

void TscVisualObject::MouseEnter() {
  FIsMouseOver = true;
  Repaint();
  StartTriggerAnimation(this, "IsMouseOver");
  if (OnMouseEnter) OnMouseEnter(this);
}

void TscVisualObject::MouseLeave() {
  FIsMouseOver = false;
  Repaint();
  StartTriggerAnimation(this, "IsMouseOver");
  if (OnMouseLeave) OnMouseLeave(this);
}

void TscVisualObject::EnterFocus() {
  FIsFocused = true;
  Repaint();
  StartTriggerAnimation(this, "IsFocused");
  if (OnEnterFocus) OnEnterFocus(this);
}

void TscVisualObject::KillFocus() {
  FIsFocused = false;
  Repaint();
  StartTriggerAnimation(this, "IsFocused");
  if (OnKillFocus) OnKillFocus(this);
}

void TscVisualObject::Click() {
  if (OnClick) OnClick(this);
}

void TscVisualObject::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TscVisualObject::BeforePaint(TscCanvas& Canvas) {
  if (OnBeforePaint) OnBeforePaint(this, Canvas);
}

bool TscVisualObject::GetHint(float X, float Y, std::string& Text, TuiRect& Area) {
  if (!FShowHint || FHint.empty()) return false;
  Text = FHint;
  Area = {X - 10, Y - 10, X + 10, Y + 10};
  return true;
}

void TscVisualObject::CollectTabEntries(std::vector<TscTabEntry>& List) {
  if (!FVisible) return;
  List.push_back({this, nullptr});
  ForEachChild([&](TscObject* Child) {
    if (Child->IsVisual()) Child->Visual()->CollectTabEntries(List);
  });
}

bool TscVisualObject::CanFocusEntry(const TscTabEntry& Entry) const {
  return Entry.Object == this && !Entry.Control && FCanFocused && FVisible;
}

void TscVisualObject::FocusEntry(const TscTabEntry&) {}

TscTabEntry TscVisualObject::FocusedEntry() {
  return {this, nullptr};
}
