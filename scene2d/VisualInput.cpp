// Hit testing, mouse, keys, focus and drag and drop of TuiVisualObject.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "scene2d/VisualObject.h"

// ---- hit testing ----

TuiVisualObject* TuiVisualObject::ObjectByPoint(float X, float Y) {
  const bool designer = InDesigner();
  if (!designer && !FVisible) return nullptr;
  if (!designer && IsControl() && !GetAbsoluteEnabled()) return nullptr;
  if (FClipChildren && !PointInObject(X, Y)) return nullptr;
  TuiVisualObject* hit = nullptr;
  if (designer || !ChildByIndex(X, Y, hit)) {
    const auto& children = ChildList();
    for (auto it = children.rbegin(); it != children.rend() && !hit; ++it) {
      TuiVisualObject* c = (*it)->Visual();
      if (c && (designer || c->FVisible)) hit = c->ObjectByPoint(X, Y);
    }
  }
  if (hit) return hit;
  const bool mayHit = designer ? !FLocked && !FDesignHide : FHitTest;
  return mayHit && PointInObject(X, Y) ? this : nullptr;
}

// Everything a child's subtree can be hit at lies inside the child's update
// rectangle: its absolute rectangle, clipped only where an ancestor's own
// hit test clips too, and otherwise united with its visible children's. So a
// child whose fresh entry misses the point cannot answer, and the others are
// asked front-most first, as the walk would.
bool TuiVisualObject::ChildByIndex(float X, float Y, TuiVisualObject*& Hit) {
  Hit = nullptr;
  if (!FChildIndex || FChildIndex->AllStale() || !Scene() || !std::isfinite(X) || !std::isfinite(Y))
    return false;
  // The rectangles are clipped by every clipping ancestor, which a walk from
  // the root has passed already, but a call on this subtree alone has not.
  for (TuiVisualObject* a = VisualParent(); a; a = a->VisualParent())
    if (a->FClipChildren && !a->PointInObject(X, Y)) return false;
  // Widened so that rounding between the forward bounding box and the
  // inverse transform of the hit test never drops a child; a wider query
  // only asks more children.
  const float m = 1 + 1e-5f * (std::fabs(X) + std::fabs(Y));
  std::vector<TuiVisualObject*> candidates;
  FChildIndex->Candidates({TuiRect{X - m, Y - m, X + m, Y + m}}, candidates);
  if (candidates.size() * 4 > size_t(ChildrenCount())) return false;
  std::vector<std::pair<int, TuiVisualObject*>> order;
  order.reserve(candidates.size());
  for (TuiVisualObject* c : candidates) order.emplace_back(c->Index(), c);
  std::sort(order.begin(), order.end(), [](const auto& A, const auto& B) { return A.first > B.first; });
  for (const auto& entry : order) {
    TuiVisualObject* c = entry.second;
    if (c->FVisible && (Hit = c->ObjectByPoint(X, Y))) break;
  }
  return true;
}

TuiVisualObject* TuiVisualObject::FindDropTarget(const TuiPoint& P, const TuiDragObject& Data) {
  const bool designer = InDesigner();
  if (!designer && !FVisible) return nullptr;
  if (!designer && IsControl() && !GetAbsoluteEnabled()) return nullptr;
  if (FClipChildren && !PointInObject(P.X, P.Y)) return nullptr;
  const auto& children = ChildList();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    TuiVisualObject* c = (*it)->Visual();
    if (!c || (!designer && !c->FVisible)) continue;
    if (TuiVisualObject* hit = c->FindDropTarget(P, Data)) return hit;
  }
  const bool mayHit = designer ? !FLocked && !FDesignHide : FHitTest;
  if (!mayHit || !PointInObject(P.X, P.Y)) return nullptr;
  bool accept = false;
  DragOver(Data, P, accept);
  return accept ? this : nullptr;
}

// ---- mouse ----

void TuiVisualObject::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  IuxScene* scene = Scene();
  if (InDesigner()) {
    if (scene && (Shift & uxDouble)) scene->SetDesignDblClick(this);
  } else if (FCanFocused && !FIsFocused && !(scene && scene->GetFocused() == this)) {
    SetFocus();
  }
  if (Handlers().OnMouseDown) Handlers().OnMouseDown(this, Button, Shift, X, Y);
  if (Button == uxMouseRight) {
    const TuiPoint p = LocalToAbsolute({X, Y});
    ContextMenu(scene ? scene->LocalToScreen(p) : p);
    return;
  }
  if (FAutoCapture) Capture();
  if (Shift & uxDouble) {
    DblClick();
    FDoubleClicked = true;
  } else if (Button == uxMouseLeft) {
    FPressed = true;
  }
}

void TuiVisualObject::MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) {
  if (Handlers().OnMouseMove) Handlers().OnMouseMove(this, Shift, X, Y, DeltaX, DeltaY);
}

void TuiVisualObject::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  ReleaseCapture();
  if (Handlers().OnMouseUp) Handlers().OnMouseUp(this, Button, Shift, X, Y);
  // Edges included: a release exactly on the right edge still clicks.
  if (FPressed && !FDoubleClicked && X >= 0 && X <= FWidth && Y >= 0 && Y <= FHeight) {
    FPressed = false;
    Click();
  }
  FPressed = false;
  FDoubleClicked = false;
}

void TuiVisualObject::MouseWheel(TuiShiftState Shift, int WheelDelta, bool& Handled) {
  if (!Handlers().OnMouseWheel) return;
  const TuiPoint pos = Scene() ? Scene()->GetMousePos() : TuiPoint{0, 0};
  Handlers().OnMouseWheel(this, Shift, WheelDelta, pos, Handled);
}

void TuiVisualObject::Click() {
  if (Handlers().OnClick) Handlers().OnClick(this);
}

void TuiVisualObject::DblClick() {
  if (Handlers().OnDblClick) Handlers().OnDblClick(this);
}

void TuiVisualObject::RunTriggers(std::string_view Trigger) {
  StartTriggerAnimation(this, Trigger);
  ApplyTriggerEffect(this, Trigger);
}

void TuiVisualObject::MouseEnter() {
  FIsMouseOver = true;
  RunTriggers("IsMouseOver");
  if (Handlers().OnMouseEnter) Handlers().OnMouseEnter(this);
}

void TuiVisualObject::MouseLeave() {
  FIsMouseOver = false;
  RunTriggers("IsMouseOver");
  if (Handlers().OnMouseLeave) Handlers().OnMouseLeave(this);
}

void TuiVisualObject::ContextMenu(const TuiPoint& ScreenPoint) {
  auto* menu = dynamic_cast<IuxPopupMenu*>(FPopupMenu);
  if (!menu) return;
  menu->SetPopupComponent(this);
  menu->Popup(int32_t(std::lround(ScreenPoint.X)), int32_t(std::lround(ScreenPoint.Y)));
}

// ---- keys ----

void TuiVisualObject::KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  if (Key == uxKeyApps) {
    const TuiPoint centre = LocalToAbsolute({FWidth / 2, FHeight / 2});
    ContextMenu(Scene() ? Scene()->LocalToScreen(centre) : centre);
    return;
  }
  if (Handlers().OnKeyDown) Handlers().OnKeyDown(this, Key, KeyChar, Shift);
}

void TuiVisualObject::KeyUp(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  if (Handlers().OnKeyUp) Handlers().OnKeyUp(this, Key, KeyChar, Shift);
}

void TuiVisualObject::DialogKey(uint16_t& Key, TuiShiftState Shift) {
  for (TuiObject* c : ChildList()) {
    TuiVisualObject* v = c->Visual();
    if (!v || !v->FVisible || !v->FEnabled) continue;
    v->DialogKey(Key, Shift);
    if (Key == 0) return;
  }
}

// ---- focus and capture ----

void TuiVisualObject::SetFocus() {
  if (!FCanFocused) return;
  if (Handlers().OnCanFocused) {
    bool can = true;
    Handlers().OnCanFocused(this, can);
    if (!can) return;
  }
  if (Scene()) Scene()->SetFocused(this);
}

void TuiVisualObject::EnterFocus() {
  if (!FCanFocused) return;
  for (TuiVisualObject* a = VisualParent(); a; a = a->VisualParent()) a->ChildFocused(this);
  FIsFocused = true;
  InvalidateUpdateRects();
  Repaint();
  if (Handlers().OnEnterFocus) Handlers().OnEnterFocus(this);
  if (!FDisableFocusEffect) RunTriggers("IsFocused");
}

void TuiVisualObject::KillFocus() {
  if (!FCanFocused) return;
  // Still focused here, so that the repaint covers the glow.
  InvalidateUpdateRects();
  Repaint();
  FIsFocused = false;
  // The next repaint no longer needs the glow's room.
  InvalidateUpdateRects();
  if (Handlers().OnKillFocus) Handlers().OnKillFocus(this);
  if (!FDisableFocusEffect) RunTriggers("IsFocused");
}

void TuiVisualObject::Capture() {
  if (Scene()) Scene()->SetCaptured(this);
}

void TuiVisualObject::ReleaseCapture() {
  if (Scene() && Scene()->GetCaptured() == this) Scene()->SetCaptured(nullptr);
}

// ---- drag and drop ----

void TuiVisualObject::BeginAutoDrag() {
  if (PaintDriver) PaintDriver->BeginAutoDrag(*this);
}

void TuiVisualObject::DragEnter(const TuiDragObject& Data, const TuiPoint& Point) {
  FIsDragOver = true;
  Repaint();
  RunTriggers("IsDragOver");
  if (Handlers().OnDragEnter) Handlers().OnDragEnter(this, Data, Point);
}

void TuiVisualObject::DragOver(const TuiDragObject& Data, const TuiPoint& Point, bool& Accept) {
  if (Handlers().OnDragOver) Handlers().OnDragOver(this, Data, Point, Accept);
}

void TuiVisualObject::DragDrop(const TuiDragObject& Data, const TuiPoint& Point) {
  FIsDragOver = false;
  Repaint();
  RunTriggers("IsDragOver");
  if (Handlers().OnDragDrop) Handlers().OnDragDrop(this, Data, Point);
}

void TuiVisualObject::DragLeave() {
  FIsDragOver = false;
  Repaint();
  RunTriggers("IsDragOver");
  if (Handlers().OnDragLeave) Handlers().OnDragLeave(this);
}

void TuiVisualObject::DragEnd() {
  // Far outside: releases the pressed state without a click.
  if (FDragMode == uxDragAutomatic) MouseUp(uxMouseLeft, uxLeftButton, 65535, 65535);
  if (Handlers().OnDragEnd) Handlers().OnDragEnd(this);
}
