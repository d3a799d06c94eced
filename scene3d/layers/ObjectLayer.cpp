#include "scene3d/layers/ObjectLayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "controls/Control.h"
#include "controls/Resources.h"
#include "draw2d/Brush.h"
#include "draw2d/Canvas.h"
#include "draw2d/PathData.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/AnimationTimer.h"

UX_IMPLEMENT_CLASS(TscCustomObjectLayer)

void TscCustomObjectLayer::DefineProperties(TuiClassBuilder<TscCustomObjectLayer>& C) {
  C.Default("Width", 8.0f);
  C.Default("Depth", 8.0f);
  C.Property("CanFocused", &TscCustomObjectLayer::CanFocused, &TscCustomObjectLayer::SetCanFocused, true);
  C.Reference("ActiveControl", &TscCustomObjectLayer::ActiveControl, &TscCustomObjectLayer::SetActiveControl);
  C.Property("AnimatedCaret", &TscCustomObjectLayer::AnimatedCaret, &TscCustomObjectLayer::SetAnimatedCaret,
             true);
  C.Property("ShowHint", &TscCustomObjectLayer::ShowHint, &TscCustomObjectLayer::SetShowHint, true);
}

namespace {
// The buffered host needs a canvas class before the first layer is made.
int32_t EnsureCanvasClass() {
  RegisterCairoCanvas();
  return 1;
}
}  // namespace

TscCustomObjectLayer::TscCustomObjectLayer(TuiComponent* Owner)
    : TscCustomBufferLayer(Owner),
      TuiBufferedScene(EnsureCanvasClass(), 1),
      FFill(std::make_unique<TuiBrush>(uxBrushSolid, 0xFF505050)) {
  FFill->SetStyle(uxBrushNone);
  FFill->OnChanged = [this](TuiBrush*) { FullRepaint(); };
  SetWidth(8);
  SetDepth(8);
}

TscCustomObjectLayer::~TscCustomObjectLayer() = default;

void TscCustomObjectLayer::BeforeDestruction() {
  BeginDestroy();
  FLoadedTimer.reset();
  FreeRoots();
  SetStyle(nullptr);
  SetActiveControl(nullptr);
  TscCustomBufferLayer::BeforeDestruction();
}

// ---- properties ----

void TscCustomObjectLayer::SetActiveControl(TuiControl* Value) {
  if (Value == FActiveControl) return;
  if (FActiveControl) RemoveFreeNotification(FActiveControl);
  FActiveControl = Value;
  if (!Value) return;
  FreeNotification(Value);
  if (!IsLoading()) Value->SetFocus();
}

void TscCustomObjectLayer::SetStyle(TuiResources* Value) {
  if (Value == FStyle) return;
  if (FStyle) RemoveFreeNotification(FStyle);
  uxChangeHostStyle(*this, FStyle, Value);
  if (FStyle) FreeNotification(FStyle);
}

void TscCustomObjectLayer::Notification(TuiComponent* Component, TuiOperation Operation) {
  TscCustomBufferLayer::Notification(Component, Operation);
  if (Operation != opRemove) return;
  if (Component == FActiveControl) FActiveControl = nullptr;
  if (Component == FStyle) FStyle = nullptr;
}

// ---- roots and painting ----

void TscCustomObjectLayer::AddObject(TuiVisualObject* Object) {
  TuiBufferedScene::AddObject(Object);
  if (Object && Object == GetRoot()) FitRoot();
}

void TscCustomObjectLayer::RemoveObject(TuiObject* Object) {
  Repaint();
  TuiBufferedScene::RemoveObject(Object);
}

void TscCustomObjectLayer::FitRoot() {
  TuiObject* first = GetRoot();
  TuiVisualObject* root = first ? first->Visual() : nullptr;
  if (!root) return;
  const float bw = float(BufferWidth()), bh = float(BufferHeight());
  const TuiPoint scale{root->Scale()->X(), root->Scale()->Y()};
  if (scale.X == 0 || scale.Y == 0) return;
  const float turn = std::fabs(std::fmod(root->RotateAngle(), 360.0f));
  const float shift = std::round((bw - bh) / 2);
  if (turn == 90 || turn == 270) {
    root->SetBounds(shift, -shift, std::round(bh / scale.X), std::round(bw / scale.Y));
  } else {
    root->SetBounds(0, 0, std::round(bw / scale.X), std::round(bh / scale.Y));
  }
}

void TscCustomObjectLayer::AddUpdateRect(const TuiRect& Rect) {
  if (IsDestroying() || GetDisableUpdate()) return;
  const int before = GetUpdateRectsCount();
  const TuiRect first = before ? GetUpdateRect(0) : TuiRect{};
  TuiBufferedScene::AddUpdateRect(Rect);
  // Nothing kept: the rectangle lies outside the buffer.
  if (GetUpdateRectsCount() == before && (before != 1 || GetUpdateRect(0) == first)) return;
  IscLayerScene* scene = LayerScene();
  if (!scene) return;
  if (!ScreenProjection()) {
    scene->InvalidateRect(nullptr);
    return;
  }
  const TuiPoint o = PixelOrigin();
  const TuiRect r{std::max(std::trunc(Rect.Left), 0.0f), std::max(std::trunc(Rect.Top), 0.0f),
                  std::min(std::trunc(Rect.Right) + 1, float(BufferWidth())),
                  std::min(std::trunc(Rect.Bottom) + 1, float(BufferHeight()))};
  const TuiRect window{r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y};
  scene->InvalidateRect(&window);
}

void TscCustomObjectLayer::FullRepaint() {
  AddUpdateRect({0, 0, 65535, 65535});
}

void TscCustomObjectLayer::PrepareBuffer() {
  TscBitmap& buffer = *GetBuffer();
  if (buffer.Width() != BufferWidth() || buffer.Height() != BufferHeight()) {
    TscCustomBufferLayer::PrepareBuffer();
    FullRepaint();
  }
  if (Buffer().Width() != BufferWidth() || Buffer().Height() != BufferHeight()) {
    SetSize(std::max(BufferWidth(), 1), std::max(BufferHeight(), 1));
    FitRoot();
  }
}

void TscCustomObjectLayer::UpdateBuffer() {
  TscBitmap& buffer = *GetBuffer();
  if (buffer.IsEmpty() || GetUpdateRectsCount() == 0) return;
  // The rows to copy, before painting forgets the dirty rectangles.
  TuiRect all = GetUpdateRect(0);
  for (int i = 1; i < GetUpdateRectsCount(); ++i) all = UnionRect(all, GetUpdateRect(i));
  PaintTree();
  const int32_t w = std::min(buffer.Width(), Buffer().Width());
  const int32_t h = std::min(buffer.Height(), Buffer().Height());
  const int32_t top = std::clamp(int32_t(all.Top), 0, h), bottom = std::clamp(int32_t(all.Bottom), top, h);
  const int32_t left = std::clamp(int32_t(all.Left), 0, w), right = std::clamp(int32_t(all.Right), left, w);
  const uint32_t* from = Buffer().BufferBits();
  if (!from || left == right) return;
  uint32_t* to = buffer.Bits();
  for (int32_t y = top; y < bottom; ++y)
    std::memcpy(to + size_t(y) * size_t(buffer.Width()) + size_t(left),
                from + size_t(y) * size_t(Buffer().Width()) + size_t(left), size_t(right - left) * 4);
  buffer.MarkRowsModified(top, bottom - top);
}

void TscCustomObjectLayer::PaintBackground(TuiCanvas& Canvas) {
  const TuiBrush& fill = *FFill;
  const bool paints =
      fill.Style() != uxBrushNone && (fill.Style() != uxBrushSolid || (fill.ColorValue() >> 24));
  if (paints) {
    Canvas.Fill()->Assign(fill);
    Canvas.FillRect({-1, -1, float(BufferWidth()) + 1, float(BufferHeight()) + 1}, 0, 0, AllCorners, 1);
    return;
  }
  // Fill's colour with no alpha: where no control draws, the desktop shows.
  for (int i = 0; i < GetUpdateRectsCount(); ++i)
    Canvas.ClearRect(GetUpdateRect(i), fill.ColorValue() & 0x00FFFFFF);
}

void TscCustomObjectLayer::SetVisible(bool Value) {
  const bool shows = Value && !Visible();
  TscCustomBufferLayer::SetVisible(Value);
  if (shows) FullRepaint();
}

void TscCustomObjectLayer::Loaded() {
  TscCustomBufferLayer::Loaded();
  // The window is not running yet: the full paint waits for its loop.
  platform::ITimerSource* source = TuiAnimationTimer::Instance().Source();
  if (!source) {
    FullRepaint();
    return;
  }
  FLoadedTimer = source->CreateTimer(1, [this] {
    FLoadedTimer->SetEnabled(false);
    FullRepaint();
  });
  FLoadedTimer->SetEnabled(true);
}

// ---- hit testing and mouse ----

bool TscCustomObjectLayer::LocalHit(const TscVector& RayPos, const TscVector& RayDir, TscVector& Local) {
  if (!TscCustomBufferLayer::LocalHit(RayPos, RayDir, Local)) return false;
  // Empty parts of the layer let the ray through to what lies behind.
  if (IsDesigning() || HoldsSceneCapture() || FAllowDrag) return true;
  const TuiPoint p = PlanePoint(Local);
  return ObjectAt(p.X, p.Y) != nullptr;
}

void TscCustomObjectLayer::RayMouseMove(TuiShiftState Shift, const TscVector& RayPos,
                                        const TscVector& RayDir) {
  TscVector hit;
  if (!RayCastIntersect(RayPos, RayDir, hit)) {
    LayerMouseLeave();
    return;
  }
  const TuiPoint p = PlanePoint(AbsoluteToLocal(hit));
  LayerMouseMove(Shift, p.X, p.Y);
}

void TscCustomObjectLayer::RayMouseUp(TuiMouseButton Button, TuiShiftState Shift, const TscVector& RayPos,
                                      const TscVector& RayDir) {
  TscVector hit;
  const TuiPoint p = RayCastIntersect(RayPos, RayDir, hit) ? PlanePoint(AbsoluteToLocal(hit)) : GetMousePos();
  LayerMouseUp(Button, Shift, p.X, p.Y);
}

void TscCustomObjectLayer::LayerMouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  TscCustomBufferLayer::LayerMouseDown(Button, Shift, X, Y);
  IscLayerScene* scene = LayerScene();
  if (!IsDesigning() && scene) scene->SetFocusedObject(this);
  FMouseDown = {X, Y};
  TuiBufferedScene::MouseDown(Button, Shift, X, Y);
}

void TscCustomObjectLayer::PressedOutsideTree() {
  if (FAllowDrag) BeginWindowMove();
}

void TscCustomObjectLayer::LayerMouseMove(TuiShiftState Shift, float X, float Y) {
  TscCustomBufferLayer::LayerMouseMove(Shift, X, Y);
  if (FLayerMove) {
    // The grabbed point stays under the pointer.
    const TscVector offset = LocalToAbsoluteVector({X - FMouseDown.X, Y - FMouseDown.Y, 0, 0});
    const TscVector moved = scAdd(Position()->Point(), offset);
    Position()->SetPoint(moved);
    return;
  }
  if (FLayerResize) {
    FResizeSize = {FResizeSize.X + X - GetMousePos().X, FResizeSize.Y + Y - GetMousePos().Y};
    const float left = Position()->X() - Width() / 2, top = Position()->Y() - Height() / 2;
    SetWidth(std::round(FResizeSize.X));
    SetHeight(std::round(FResizeSize.Y));
    Position()->SetPoint({left + Width() / 2, top + Height() / 2, Position()->Z(), 1});
    TuiBufferedScene::MouseMove(Shift, X, Y);
    return;
  }
  TuiBufferedScene::MouseMove(Shift, X, Y);
  if (IscLayerScene* scene = LayerScene(); scene && !GetCaptured()) scene->SetCursor(CursorShape());
}

void TscCustomObjectLayer::LayerMouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  TscCustomBufferLayer::LayerMouseUp(Button, Shift, X, Y);
  FLayerMove = FLayerResize = false;
  // At the last point the moves left, as the tree saw it.
  const TuiPoint last = GetMousePos();
  TuiBufferedScene::MouseUp(Button, Shift, last.X, last.Y);
}

void TscCustomObjectLayer::LayerMouseWheel(TuiShiftState Shift, int WheelDelta) {
  TuiBufferedScene::MouseWheel(Shift, WheelDelta);
}

void TscCustomObjectLayer::LayerMouseLeave() {
  TuiBufferedScene::MouseLeave();
}

bool TscCustomObjectLayer::BeginWindowMove() {
  IscLayerScene* scene = LayerScene();
  bool captured = false;
  if (scene && LayerAlign() == scLayerContents && scene->GetAllowDrag()) captured = scene->BeginWindowMove();
  FLayerMove = true;
  if (scene) scene->SetCapturedObject(this);
  return captured;
}

bool TscCustomObjectLayer::BeginWindowResize() {
  IscLayerScene* scene = LayerScene();
  bool captured = false;
  switch (LayerAlign()) {
    case scLayerRight:
    case scLayerBottom:
    case scLayerMostBottom:
    case scLayerMostRight:
    case scLayerContents:
      if (scene) captured = scene->BeginWindowResize();
      break;
    default:
      break;
  }
  FLayerResize = true;
  FResizeSize = {Width(), Height()};
  return captured;
}

void TscCustomObjectLayer::SetCaptured(TuiVisualObject* Object) {
  TuiBufferedScene::SetCaptured(Object);
  IscLayerScene* scene = LayerScene();
  if (!scene) return;
  if (Object)
    scene->SetCapturedObject(this);
  else if (scene->GetCapturedObject() == this)
    scene->SetCapturedObject(nullptr);
}

// ---- focus and keys ----

void TscCustomObjectLayer::SetFocused(TuiVisualObject* Object) {
  if (Object == GetFocused()) return;
  TuiBufferedScene::SetFocused(Object);
  if (IscLayerScene* scene = LayerScene(); scene && Object) scene->SetFocusedObject(this);
}

void TscCustomObjectLayer::CollectTabList(std::vector<TuiVisualObject*>& List) {
  TuiObject* first = GetRoot();
  TuiVisualObject* root = first ? first->Visual() : nullptr;
  if (!root) return;
  const auto walk = [&List](auto&& Self, TuiVisualObject& Parent) -> void {
    for (int i = 0; i < Parent.TabListCount(); ++i) {
      TuiVisualObject* item = Parent.TabListItem(i);
      List.push_back(item);
      Self(Self, *item);
    }
  };
  walk(walk, *root);
}

void TscCustomObjectLayer::EnterFocus() {
  std::vector<TuiVisualObject*> tabs;
  CollectTabList(tabs);
  const auto shown = [](TuiVisualObject* V) {
    for (TuiObject* o = V; o; o = o->Parent())
      if (TuiVisualObject* v = o->Visual(); v && !v->Visible()) return false;
    return true;
  };
  for (TuiVisualObject* v : tabs)
    if (v->CanFocused() && shown(v)) {
      TuiBufferedScene::SetFocused(v);
      return;
    }
}

void TscCustomObjectLayer::KillFocus() {
  TuiBufferedScene::SetFocused(nullptr);
}

// ---- window pixels ----

TuiPoint TscCustomObjectLayer::LocalToScreen(const TuiPoint& Point) {
  const TscVector p = LocalToAbsolute({Point.X - Width() / 2, Point.Y - Height() / 2, 0, 1});
  const TuiPoint client{std::round(p.X), std::round(p.Y)};
  IscLayerScene* scene = LayerScene();
  return scene ? scene->ClientToScreen(client) : client;
}

bool TscCustomObjectLayer::HintAt(float X, float Y, std::string& Hint, TuiRect& Area) {
  TuiVisualObject* v = ObjectAt(X, Y);
  if (!v || !v->ShowHint()) return false;
  Hint = v->Hint();
  const TuiRect r = v->GetAbsoluteRect();
  const TuiPoint o = PixelOrigin();
  Area = {std::trunc(r.Left + o.X), std::trunc(r.Top + o.Y), std::trunc(r.Right + o.X),
          std::trunc(r.Bottom + o.Y)};
  return true;
}

void TscCustomObjectLayer::BeginDragDrop(TuiObject* Source, TuiBitmap* DragImage) {
  TuiBufferedScene::BeginDragDrop(Source, DragImage);
  if (IscLayerScene* scene = LayerScene()) scene->BeginDragDrop(Source, DragImage);
}

// ---- the two concrete layers ----

namespace {
// A base class's accessor as one of Derived, for Derived's property table.
template <class Derived, class Base, class R, class... A>
auto As(R (Base::*Member)(A...) const) {
  return static_cast<R (Derived::*)(A...) const>(Member);
}
template <class Derived, class Base, class R, class... A>
auto As(R (Base::*Member)(A...)) {
  return static_cast<R (Derived::*)(A...)>(Member);
}
}  // namespace

UX_IMPLEMENT_CLASS(TscGUIObjectLayer)

void TscGUIObjectLayer::DefineProperties(TuiClassBuilder<TscGUIObjectLayer>& C) {
  C.Default("Width", 256.0f);
  C.Default("Height", 256.0f);
  C.Default("ZWrite", false);
  C.Property("AllowDrag", As<TscGUIObjectLayer>(&TscCustomObjectLayer::AllowDrag),
             As<TscGUIObjectLayer>(&TscCustomObjectLayer::SetAllowDrag), false);
  C.Property("LayerAlign", As<TscGUIObjectLayer>(&TscCustomLayer::LayerAlign),
             As<TscGUIObjectLayer>(&TscCustomLayer::SetLayerAlign), scLayerNone);
  C.Object("Fill", As<TscGUIObjectLayer>(&TscCustomObjectLayer::Fill));
  C.Reference("Style", As<TscGUIObjectLayer>(&TscCustomObjectLayer::Style),
              As<TscGUIObjectLayer>(&TscCustomObjectLayer::SetStyle));
}

TscGUIObjectLayer::TscGUIObjectLayer(TuiComponent* Owner) : TscCustomObjectLayer(Owner) {
  SetScreenProjection(true);
  SetWidth(256);
  SetHeight(256);
  SetZWrite(false);
}

UX_IMPLEMENT_CLASS(TscObjectLayer)

void TscObjectLayer::DefineProperties(TuiClassBuilder<TscObjectLayer>& C) {
  C.Property("AllowDrag", As<TscObjectLayer>(&TscCustomObjectLayer::AllowDrag),
             As<TscObjectLayer>(&TscCustomObjectLayer::SetAllowDrag), false);
  C.Object("Fill", As<TscObjectLayer>(&TscCustomObjectLayer::Fill));
  C.Reference("Style", As<TscObjectLayer>(&TscCustomObjectLayer::Style),
              As<TscObjectLayer>(&TscCustomObjectLayer::SetStyle));
}

TscObjectLayer::TscObjectLayer(TuiComponent* Owner) : TscCustomObjectLayer(Owner) {}

// ---- registration ----

void RegisterLayerClasses() {
  static const bool registered = [] {
    TuiClassRegistry::Instance().Register(
        "3D", {&TscGUIObjectLayer::StaticClass(), &TscObjectLayer::StaticClass()});
    return true;
  }();
  (void)registered;
}
