#include "scene2d/VisualObject.h"

#include <algorithm>
#include <cmath>

UX_IMPLEMENT_CLASS(TuiVisualObject)

namespace {

IuxTriggerEffect* AsEffect(TuiObject* Child) {
  // Only non-visual children can be effects; most children are visual.
  return Child->IsVisual() ? nullptr : dynamic_cast<IuxTriggerEffect*>(Child);
}

TuiMatrix Translation(float X, float Y) {
  TuiMatrix m;
  m.M[2][0] = X;
  m.M[2][1] = Y;
  return m;
}

// Visual objects under a non-visual node are reached too: their caches depend
// on nothing above that node, but marking them is harmless.
template <class F>
void ForVisualDescendants(TuiObject* O, const F& Action) {
  for (TuiObject* c : O->ChildList()) {
    if (TuiVisualObject* v = c->Visual()) Action(v);
    ForVisualDescendants(c, Action);
  }
}

}  // namespace

void TuiVisualObject::DefineProperties(TuiClassBuilder<TuiVisualObject>& C) {
  using V = TuiVisualObject;
  constexpr void (V::*noSetter)(bool) = nullptr;
  C.Property("IsMouseOver", &V::IsMouseOver, noSetter).Stored = false;
  C.Property("IsDragOver", &V::IsDragOver, noSetter).Stored = false;
  C.Property("IsFocused", &V::IsFocused, noSetter).Stored = false;
  C.Property("IsVisible", &V::IsVisible, noSetter).Stored = false;
  C.Property("Align", &V::Align, &V::SetAlign, vaNone);
  C.Property("Cursor", &V::Cursor, &V::SetCursor, 0);
  C.Property("DragMode", &V::DragMode, &V::SetDragMode, uxDragManual);
  C.Property("DragDisableHighlight", &V::DragDisableHighlight, &V::SetDragDisableHighlight, false);
  C.Property("Enabled", &V::Enabled, &V::SetEnabled, true);
  C.Object("Position", &V::Position);
  C.Property("RotateAngle", &V::RotateAngle, &V::SetRotateAngle, 0.0f);
  C.Object("RotateCenter", &V::RotateCenter);
  C.Property("Locked", &V::Locked, &V::SetLocked, false);
  C.Property("Width", &V::Width, &V::SetWidth, 50.0f);
  C.Property("Height", &V::Height, &V::SetHeight, 50.0f);
  C.Object("Margins", &V::Margins);
  C.Object("Padding", &V::Padding);
  C.Property("Opacity", &V::Opacity, &V::SetOpacity, 1.0f);
  C.Property("ClipChildren", &V::ClipChildren, &V::SetClipChildren, false);
  C.Property("ClipParent", &V::ClipParent, &V::SetClipParent, false);
  C.Property("HitTest", &V::HitTest, &V::SetHitTest, true);
  C.Property("Hint", &V::Hint, &V::SetHint);
  C.Property("ShowHint", &V::ShowHint, &V::SetShowHint, false);
  C.Property("CanClipped", &V::CanClipped, &V::SetCanClipped, true);
  C.Object("Scale", &V::Scale);
  C.Property("Visible", &V::Visible, &V::SetVisible, true);
  C.Property("DesignHide", &V::DesignHide, &V::SetDesignHide, false);
  // Streams bind these to the methods of the form they are read into.
  C.Event("OnMouseDown", &TuiVisualEvents::OnMouseDown, &V::Events);
  C.Event("OnMouseUp", &TuiVisualEvents::OnMouseUp, &V::Events);
  C.Event("OnMouseMove", &TuiVisualEvents::OnMouseMove, &V::Events);
  C.Event("OnMouseWheel", &TuiVisualEvents::OnMouseWheel, &V::Events);
  C.Event("OnClick", &TuiVisualEvents::OnClick, &V::Events);
  C.Event("OnDblClick", &TuiVisualEvents::OnDblClick, &V::Events);
  C.Event("OnCanFocused", &TuiVisualEvents::OnCanFocused, &V::Events);
  C.Event("OnEnterFocus", &TuiVisualEvents::OnEnterFocus, &V::Events);
  C.Event("OnKillFocus", &TuiVisualEvents::OnKillFocus, &V::Events);
  C.Event("OnMouseEnter", &TuiVisualEvents::OnMouseEnter, &V::Events);
  C.Event("OnMouseLeave", &TuiVisualEvents::OnMouseLeave, &V::Events);
  C.Event("OnBeforePaint", &TuiVisualEvents::OnBeforePaint, &V::Events);
  C.Event("OnPaint", &TuiVisualEvents::OnPaint, &V::Events);
  C.Event("OnDragEnter", &TuiVisualEvents::OnDragEnter, &V::Events);
  C.Event("OnDragDrop", &TuiVisualEvents::OnDragDrop, &V::Events);
  C.Event("OnDragLeave", &TuiVisualEvents::OnDragLeave, &V::Events);
  C.Event("OnDragOver", &TuiVisualEvents::OnDragOver, &V::Events);
  C.Event("OnDragEnd", &TuiVisualEvents::OnDragEnd, &V::Events);
  C.Event("OnKeyDown", &TuiVisualEvents::OnKeyDown, &V::Events);
  C.Event("OnKeyUp", &TuiVisualEvents::OnKeyUp, &V::Events);
  C.Event("OnApplyResource", &TuiVisualEvents::OnApplyResource, &V::Events);
}

const TuiVisualEvents TuiVisualObject::NoEvents;

TuiVisualEvents& TuiVisualObject::Events() {
  if (!FEvents) FEvents = std::make_unique<TuiVisualEvents>();
  return *FEvents;
}

TuiVisualObject::TuiVisualObject(TuiComponent* Owner)
    : TuiObject(Owner), FPosition(std::make_unique<TuiPosition>(TuiPoint{0, 0})) {
  SetVisualSelf(this);
  FPosition->OnChanged = [this](TuiPosition*) { GeometryHolderChanged(); };
}

// The holders are made on request, from a const getter as published
// sub-objects are: making one changes no value.
TuiPosition* TuiVisualObject::MakeScale() const {
  auto* self = const_cast<TuiVisualObject*>(this);
  FScale = std::make_unique<TuiPosition>(TuiPoint{1, 1});
  FScale->OnChanged = [self](TuiPosition*) { self->GeometryHolderChanged(); };
  return FScale.get();
}

TuiPosition* TuiVisualObject::MakeRotateCenter() const {
  auto* self = const_cast<TuiVisualObject*>(this);
  FRotateCenter = std::make_unique<TuiPosition>(TuiPoint{0.5f, 0.5f});
  FRotateCenter->OnChanged = [self](TuiPosition*) { self->GeometryHolderChanged(); };
  return FRotateCenter.get();
}

TuiBounds* TuiVisualObject::MakeMargins() const {
  auto* self = const_cast<TuiVisualObject*>(this);
  FMargins = std::make_unique<TuiBounds>();
  FMargins->OnChanged = [self](TuiBounds*) { self->Realign(); };
  return FMargins.get();
}

TuiBounds* TuiVisualObject::MakePadding() const {
  auto* self = const_cast<TuiVisualObject*>(this);
  FPadding = std::make_unique<TuiBounds>();
  FPadding->OnChanged = [self](TuiBounds*) {
    if (TuiVisualObject* p = self->VisualParent(); p && !self->IsLoading()) p->Realign();
  };
  return FPadding.get();
}

TuiVisualObject::~TuiVisualObject() {
  // Only objects that were not freed through delete (on the stack, inside
  // another object) get here with their links up; the parent and the host
  // must still see a visual object leave, before the holders below go.
  if (!TornDown()) {
    BeginDestroy();
    BeforeDestruction();
  }
}

template <class F>
void TuiVisualObject::ForVisualSubtree(F&& Action) {
  Action(this);
  ForVisualDescendants(this, Action);
}

// ---- place and size ----

void TuiVisualObject::GeometryHolderChanged() {
  if (FPlacing || IsLoading()) return;
  UpdateLocalMatrix();
}

void TuiVisualObject::StoreWidth(float Value) {
  if (IsDesigning() && Value < 0) {
    FWidth = -Value;
    Scale()->SetX(-Scale()->X());
  } else {
    FWidth = Value;
  }
}

void TuiVisualObject::StoreHeight(float Value) {
  if (IsDesigning() && Value < 0) {
    FHeight = -Value;
    Scale()->SetY(-Scale()->Y());
  } else {
    FHeight = Value;
  }
}

void TuiVisualObject::RealignAfterResize() {
  if (TuiVisualObject* p = VisualParent(); p && FAlign != vaNone) p->Realign();
  // Also without children: Realign then records the size, so that anchored
  // children added later move only by what changes after they arrive.
  Realign();
}

void TuiVisualObject::SetWidth(float Value) {
  if (Value == FWidth) return;
  Repaint();
  StoreWidth(Value);
  SizeChanged(true, false);
  if (IsLoading()) return;
  // The pivot follows the size.
  if (FRotateAngle != 0) UpdateLocalMatrix();
  EffectsChanged();
  InvalidateUpdateRects();
  RealignAfterResize();
}

void TuiVisualObject::SetHeight(float Value) {
  if (Value == FHeight) return;
  Repaint();
  StoreHeight(Value);
  SizeChanged(false, true);
  if (IsLoading()) return;
  if (FRotateAngle != 0) UpdateLocalMatrix();
  EffectsChanged();
  InvalidateUpdateRects();
  RealignAfterResize();
}

void TuiVisualObject::SetBounds(float X, float Y, float AWidth, float AHeight) {
  Repaint();
  const bool heightChanged = AHeight != FHeight;
  const bool widthChanged = AWidth != FWidth;
  if (heightChanged) StoreHeight(AHeight);
  if (widthChanged) StoreWidth(AWidth);
  if (widthChanged || heightChanged) SizeChanged(widthChanged, heightChanged);
  const bool moved = X != FPosition->X() || Y != FPosition->Y();
  if (moved) {
    FPlacing = true;
    FPosition->SetPoint({X, Y});
    FPlacing = false;
  }
  if (IsLoading()) return;
  if (moved || ((widthChanged || heightChanged) && FRotateAngle != 0)) UpdateLocalMatrix();
  if (widthChanged || heightChanged) RealignAfterResize();
  InvalidateUpdateRects();
  Repaint();
}

void TuiVisualObject::SetBoundsRect(const TuiRect& R) {
  // The size is in unscaled units; a zero scale leaves it as given.
  const TuiPoint scale = ScaleValue();
  const float sx = scale.X != 0 ? std::fabs(scale.X) : 1;
  const float sy = scale.Y != 0 ? std::fabs(scale.Y) : 1;
  SetBounds(R.Left, R.Top, R.Width() / sx, R.Height() / sy);
}

TuiRect TuiVisualObject::GetParentedRect() const {
  const float x = FPosition->X(), y = FPosition->Y();
  return {x, y, x + FWidth, y + FHeight};
}

void TuiVisualObject::SetRotateAngle(float Value) {
  Value = NormalizeAngle(Value);
  if (Value == FRotateAngle) return;
  FRotateAngle = Value;
  if (!IsLoading()) UpdateLocalMatrix();
}

void TuiVisualObject::SetAlign(TuiAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  TuiVisualObject* p = VisualParent();
  if (!p) return;
  if (Value != vaNone) p->FHasAlignedChildren = true;
  if (!IsLoading()) p->Realign();
}

void TuiVisualObject::SetVisible(bool Value) {
  if (Value == FVisible) return;
  if (!Value) Repaint();
  FVisible = Value;
  if (IsLoading()) return;
  if (TuiVisualObject* p = VisualParent(); p && FAlign != vaNone) p->Realign();
  if (Value) {
    InvalidateUpdateRects();
    Repaint();
    StartTriggerAnimation(this, "IsVisible");
  } else if (Scene() && Scene()->GetFocused() == this) {
    Scene()->SetFocused(nullptr);
  }
}

// ---- matrices ----

void TuiVisualObject::UpdateLocalMatrix() {
  Repaint();
  TuiMatrix m;
  m.M[2][0] = FPosition->X();
  m.M[2][1] = FPosition->Y();
  const TuiPoint scale = ScaleValue();
  m.M[0][0] = scale.X;
  m.M[1][1] = scale.Y;
  if (FRotateAngle != 0) {
    const TuiPoint pivot = RotateCenterValue();
    const float cx = pivot.X * FWidth;
    const float cy = pivot.Y * FHeight;
    const TuiMatrix turn = MatrixMultiply(
        MatrixMultiply(Translation(-cx, -cy), RotationMatrix(DegToRad(FRotateAngle))), Translation(cx, cy));
    m = MatrixMultiply(turn, m);
  }
  FLocalMatrix = m;
  MatrixChanged();
  InvalidateUpdateRects();
  EffectsChanged();
  Repaint();
}

TuiMatrix TuiVisualObject::GetAbsoluteMatrix() {
  if (!FAbsoluteMatrixStale) return FAbsoluteMatrix;
  if (TuiVisualObject* p = VisualParent())
    FAbsoluteMatrix =
        MatrixMultiply(MatrixMultiply(FLocalMatrix, p->GetChildrenMatrix()), p->GetAbsoluteMatrix());
  else
    FAbsoluteMatrix = FLocalMatrix;
  FAbsoluteMatrixStale = false;
  // A fresh matrix means the object may now cover a new area.
  if (Scene() && !Scene()->GetDisableUpdate() && !FPaintingTo && FUpdateCount == 0) Repaint();
  return FAbsoluteMatrix;
}

void TuiVisualObject::MatrixChanged() {
  ForVisualSubtree([](TuiVisualObject* V) { V->FAbsoluteMatrixStale = true; });
}

TuiRect TuiVisualObject::GetAbsoluteRect() {
  return TransformBounds(GetLocalRect(), GetAbsoluteMatrix());
}

TuiPoint TuiVisualObject::GetAbsoluteScale() const {
  TuiPoint s = ScaleValue();
  for (TuiObject* o = Parent(); o; o = o->Parent())
    if (TuiVisualObject* v = o->Visual()) {
      const TuiPoint vs = v->ScaleValue();
      s.X *= vs.X;
      s.Y *= vs.Y;
    }
  return s;
}

TuiPoint TuiVisualObject::AbsoluteToLocal(const TuiPoint& P) {
  return TransformPoint(P, InvertMatrix(GetAbsoluteMatrix()));
}

TuiPoint TuiVisualObject::LocalToAbsolute(const TuiPoint& P) {
  return TransformPoint(P, GetAbsoluteMatrix());
}

TuiVector TuiVisualObject::AbsoluteToLocalVector(TuiVector V) {
  V.W = 0;
  return TransformVector(V, InvertMatrix(GetAbsoluteMatrix()));
}

TuiVector TuiVisualObject::LocalToAbsoluteVector(TuiVector V) {
  V.W = 0;
  return TransformVector(V, GetAbsoluteMatrix());
}

// ---- look and state ----

void TuiVisualObject::SetOpacity(float Value) {
  Value = std::clamp(Value, 0.0f, 1.0f);
  if (Value == FOpacity) return;
  FOpacity = Value;
  OpacityChanged();
  Repaint();
}

void TuiVisualObject::OpacityChanged() {
  ForVisualSubtree([](TuiVisualObject* V) { V->FAbsoluteOpacityStale = true; });
}

float TuiVisualObject::GetAbsoluteOpacity() {
  if (!FAbsoluteOpacityStale) return FAbsoluteOpacity;
  float value = FOpacity;
  if (TuiVisualObject* p = VisualParent()) value *= p->GetAbsoluteOpacity();
  if (!GetAbsoluteEnabled()) {
    // The window's own frame (the first root and its direct children) keeps
    // full strength; without a host the top of the tree stands for that root.
    TuiObject* root = Scene() ? Scene()->GetRoot() : nullptr;
    if (!root) {
      root = this;
      while (root->Parent()) root = root->Parent();
    }
    if (this != root && Parent() != root) value *= 0.8f;
  }
  FAbsoluteOpacity = value;
  FAbsoluteOpacityStale = false;
  return value;
}

void TuiVisualObject::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  EnabledChanged();
  OpacityChanged();
  Repaint();
}

void TuiVisualObject::EnabledChanged() {
  ForVisualSubtree([](TuiVisualObject* V) { V->FAbsoluteEnabledStale = true; });
}

bool TuiVisualObject::GetAbsoluteEnabled() {
  if (FAbsoluteEnabledStale) {
    TuiVisualObject* p = VisualParent();
    FAbsoluteEnabled = p && !p->GetAbsoluteEnabled() ? false : FEnabled;
    FAbsoluteEnabledStale = false;
  }
  if (!FAbsoluteEnabled && Scene() && Scene()->GetFocused() == this) Scene()->SetFocused(nullptr);
  return FAbsoluteEnabled;
}

bool TuiVisualObject::GetAbsoluteVisible() const {
  if (!FVisible) return false;
  for (TuiObject* o = Parent(); o; o = o->Parent())
    if (TuiVisualObject* v = o->Visual(); v && !v->FVisible) return false;
  return true;
}

void TuiVisualObject::SetClipChildren(bool Value) {
  if (Value == FClipChildren) return;
  Repaint();
  FClipChildren = Value;
  // Clipping changes what this object and its children cover.
  InvalidateUpdateRects();
  Repaint();
}

void TuiVisualObject::SetClipParent(bool Value) {
  FClipParent = Value;
  if (TuiVisualObject* p = VisualParent(); p && Value) p->FHasClipParentChild = true;
}

void TuiVisualObject::SetPopupMenu(TuiComponent* Value) {
  if (Value == FPopupMenu) return;
  if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
  FPopupMenu = Value;
  if (FPopupMenu) FreeNotification(FPopupMenu);
}

void TuiVisualObject::Notification(TuiComponent* Component, TuiOperation Operation) {
  Inherited::Notification(Component, Operation);
  if (Operation == opRemove && Component == FPopupMenu) FPopupMenu = nullptr;
  if (Operation == opRemove && Component == FCaret) FCaret = nullptr;
}

void TuiVisualObject::SetScene(IuxScene* Value) {
  // Whether this object counts as the host's frame depends on the host.
  IuxScene* old = Scene();
  if (Value != old) {
    FAbsoluteOpacityStale = true;
    FUpdateRectStale = true;
    // The old host must not keep routing keys or the mouse to an object it
    // no longer shows. A host that is going (it has left the scene list)
    // cannot be asked any more, and routes nothing either.
    const auto& live = TuiSceneList::Scenes();
    if (TuiVisualObject* p = VisualParent(); p && p->FChildIndex) p->FChildIndex->MarkStale(this);
    if (old && std::find(live.begin(), live.end(), old) == live.end()) {
      FIsFocused = false;
    } else {
      if (old && old->GetFocused() == this)
        old->SetFocused(nullptr);
      else if (FIsFocused)
        KillFocus();
      if (old && old->GetCaptured() == this) old->SetCaptured(nullptr);
    }
  }
  Inherited::SetScene(Value);
}

// ---- painting ----

IuxPaintDriver* TuiVisualObject::PaintDriver = nullptr;

bool TuiVisualObject::CanExtendUpdateRect() const {
  return Scene() && !Scene()->GetDisableUpdate() && !IsLoading();
}

TuiRect TuiVisualObject::UpdateRect() {
  if (!FUpdateRectStale) return FUpdateRect;
  TuiRect r = GetAbsoluteRect();
  if (CanExtendUpdateRect()) {
    for (TuiVisualObject* a = VisualParent(); a; a = a->VisualParent())
      if (a->FClipChildren) IntersectRect(r, a->UpdateRect(), r);
    // Room for the focus glow.
    if (FIsFocused && FCanFocused) InflateRect(r, 5, 5);
    if (InDesigner()) {
      if (Scene()->GetSelected() == this) r = TuiRect{r.Left - 4, r.Top - 17, r.Right + 4, r.Bottom + 4};
      if (Scene()->GetDesignDropTarget() == this) {
        r = TuiRect{r.Left - 1, r.Top - 21, r.Right + 1, r.Bottom + 1};
        if (r.Width() < 160) r.Right = r.Left + 160;
      }
    }
    if (!FClipChildren) {
      if (HasEffects()) r = UnionRect(r, TransformBounds(GetEffectRect(), GetAbsoluteMatrix()));
      for (TuiObject* c : ChildList())
        if (TuiVisualObject* v = c->Visual(); v && v->FVisible) r = UnionRect(r, v->UpdateRect());
    }
  }
  FUpdateRect = r;
  FUpdateRectStale = false;
  return r;
}

void TuiVisualObject::InvalidateUpdateRects() {
  // The indexes hold copies of the rectangles marked here: every child of an
  // object in the subtree is in it too.
  ForVisualSubtree([](TuiVisualObject* V) {
    V->FUpdateRectStale = true;
    if (V->FChildIndex) V->FChildIndex->MarkAllStale();
  });
  TuiVisualObject* p = VisualParent();
  if (p && p->FChildIndex) p->FChildIndex->MarkStale(this);
  if (!p || p->FClipChildren) return;
  const float x = FPosition->X(), y = FPosition->Y();
  if (x < 0 || y < 0 || x + FWidth > p->FWidth || y + FHeight > p->FHeight) p->InvalidateUpdateRects();
}

void TuiVisualObject::Repaint() {
  IuxScene* scene = Scene();
  const bool designer = InDesigner();
  if (!FVisible && (!designer || FDesignHide)) return;
  if (!scene || (designer && FDesignHide)) return;
  if (scene->GetDisableUpdate()) return;
  if (!designer && !GetAbsoluteVisible()) return;
  if (FUpdateCount != 0 || IsLoading()) return;
  // What stands in for the object's own painting shows its latest look.
  if (HasEffects() && HasPaintReplacingEffect()) FEffectCacheStale = true;
  scene->AddObjectUpdateRect(*this, UpdateRect());
}

void TuiVisualObject::PaintChildren() {
  if (PaintDriver) PaintDriver->PaintChildren(*this);
}

TuiCanvas* TuiVisualObject::Canvas() const {
  if (FTempCanvas) return FTempCanvas;
  return Scene() ? Scene()->GetCanvas() : nullptr;
}

bool TuiVisualObject::PointInObject(float X, float Y) {
  const TuiPoint p = AbsoluteToLocal({X, Y});
  return p.X > 0 && p.X < FWidth && p.Y > 0 && p.Y < FHeight;
}

// ---- update counter and loading ----

void TuiVisualObject::SetUpdateCountTree(int Value) {
  ForVisualSubtree([Value](TuiVisualObject* V) { V->FUpdateCount = Value; });
}

void TuiVisualObject::BeginUpdate() {
  ForVisualSubtree([](TuiVisualObject* V) { ++V->FUpdateCount; });
}

void TuiVisualObject::EndUpdate() {
  // Top down: a parent places its children while they still wait, and each
  // child then realigns once, at its final size.
  ForVisualSubtree([](TuiVisualObject* V) {
    if (V->FUpdateCount > 0 && --V->FUpdateCount == 0) V->Realign();
  });
}

void TuiVisualObject::Loaded() {
  Inherited::Loaded();
  SetLoading(false);
  FLastAligned = AlignSize();
  UpdateLocalMatrix();
  OpacityChanged();
  EnabledChanged();
  if (ChildrenCount() > 0) Realign();
  RestoreTabOrder();
}

// ---- children ----

void TuiVisualObject::ChildAdded(TuiObject* Child) {
  TuiVisualObject* c = Child->Visual();
  if (!c) {
    if (IsShownEffect(Child)) {
      FHasEffects = true;
      EffectsChanged();
      InvalidateUpdateRects();
      Repaint();
    }
    return;
  }
  if (c->FAlign != vaNone) FHasAlignedChildren = true;
  if (c->FClipParent) FHasClipParentChild = true;
  c->SetUpdateCountTree(FUpdateCount);
  c->OpacityChanged();
  c->EnabledChanged();
  c->MatrixChanged();
  c->InvalidateUpdateRects();
  if (FHasEffects) {
    EffectsChanged();
    Repaint();
  }
  if (c->FAlign != vaNone)
    Realign();
  else
    c->Repaint();
  AddToTabList(c);
}

void TuiVisualObject::ChildRemoving(TuiObject* Child) {
  TuiVisualObject* c = Child->Visual();
  if (!c) {
    // Clear what the effect covered while it is still counted.
    if (IsShownEffect(Child)) Repaint();
    return;
  }
  RemoveFromTabList(c);
  c->SetUpdateCountTree(0);
  c->Repaint();
}

void TuiVisualObject::ChildRemoved(TuiObject* Child) {
  FChildFlagsStale = true;
  if (TuiVisualObject* c = Child->Visual()) {
    if (FChildIndex) FChildIndex->Remove(c);
    // It is a root now, or about to join another parent.
    c->OpacityChanged();
    c->EnabledChanged();
    c->MatrixChanged();
  } else if (AsEffect(Child)) {
    EffectsChanged();
    InvalidateUpdateRects();
  }
}

void TuiVisualObject::RefreshChildFlags() const {
  if (!FChildFlagsStale) return;
  FChildFlagsStale = false;
  FHasAlignedChildren = false;
  FHasEffects = false;
  FHasClipParentChild = false;
  for (TuiObject* c : ChildList()) {
    if (TuiVisualObject* v = c->Visual(); v && v->FAlign != vaNone) FHasAlignedChildren = true;
    if (TuiVisualObject* v = c->Visual(); v && v->FClipParent) FHasClipParentChild = true;
    if (IsShownEffect(c)) FHasEffects = true;
  }
}

void TuiVisualObject::ChildrenReordered(TuiObject* Child) {
  TuiVisualObject* c = Child->Visual();
  if (!c) return;
  c->Repaint();
  if (!c->IsLoading()) Realign();
}

// ---- effects ----

bool TuiVisualObject::IsShownEffect(TuiObject* Child) const {
  IuxTriggerEffect* e = AsEffect(Child);
  return e && (e->EffectEnabled() || Child == FRepaintedEffect);
}

TuiRect TuiVisualObject::GetEffectRect() {
  const TuiRect local = GetLocalRect();
  TuiRect r = local;
  for (TuiObject* c : ChildList())
    if (IsShownEffect(c)) r = UnionRect(r, AsEffect(c)->EffectRect(local));
  return r;
}

bool TuiVisualObject::HasPaintReplacingEffect() const {
  for (TuiObject* c : ChildList())
    if (IuxTriggerEffect* e = AsEffect(c); e && e->EffectEnabled() && e->ReplacesPainting()) return true;
  return false;
}

bool TuiVisualObject::HasAfterEffect() const {
  for (TuiObject* c : ChildList())
    if (IuxTriggerEffect* e = AsEffect(c); e && e->EffectEnabled() && e->PaintsAfter()) return true;
  return false;
}

void TuiVisualObject::EffectsChanged() {
  FEffectCacheStale = true;
  for (TuiVisualObject* a = VisualParent(); a; a = a->VisualParent())
    if (a->HasEffects()) a->FEffectCacheStale = true;
}

void TuiVisualObject::EffectChildChanged(TuiObject* Effect) {
  struct TCounted {
    TuiVisualObject& O;
    ~TCounted() {
      // From here on the effect counts as it is.
      O.FRepaintedEffect = nullptr;
      O.FChildFlagsStale = true;
      O.InvalidateUpdateRects();
    }
  } counted{*this};
  FRepaintedEffect = Effect;
  FChildFlagsStale = true;
  EffectsChanged();
  InvalidateUpdateRects();
  Repaint();
}

// ---- tab order ----

int TuiVisualObject::TabListIndexOf(const TuiVisualObject* Child) const {
  // From the back: children are mostly removed last-added first.
  for (size_t i = FTabList.size(); i-- > 0;)
    if (FTabList[i] == Child) return int(i);
  return -1;
}

void TuiVisualObject::AddToTabList(TuiVisualObject* Child) {
  FTabList.push_back(Child);
}

void TuiVisualObject::RemoveFromTabList(TuiVisualObject* Child) {
  const int i = TabListIndexOf(Child);
  if (i >= 0) FTabList.erase(FTabList.begin() + i);
}

void TuiVisualObject::MoveInTabList(TuiVisualObject* Child, int NewIndex) {
  const int from = TabListIndexOf(Child);
  if (from < 0) return;
  const int to = std::clamp(NewIndex, 0, int(FTabList.size()) - 1);
  if (from == to) return;
  FTabList.erase(FTabList.begin() + from);
  FTabList.insert(FTabList.begin() + to, Child);
}

void TuiVisualObject::RestoreTabOrder() {
  const int count = int(FTabList.size());
  std::vector<TuiVisualObject*> slots(size_t(count), nullptr);
  for (TuiVisualObject* c : FTabList)
    if (c->FStoredTabOrder >= 0 && c->FStoredTabOrder < count) slots[size_t(c->FStoredTabOrder)] = c;
  for (int i = 0; i < count; ++i)
    if (slots[size_t(i)]) MoveInTabList(slots[size_t(i)], i);
}

void TuiVisualObject::DeleteChildren() {
  // The children go in one step, so the list goes with them.
  FTabList.clear();
  FChildIndex.reset();
  Inherited::DeleteChildren();
}
