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
#include "scene3d/Scene.h"

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

UX_IMPLEMENT_CLASS(TscCustomObjectLayer)

void TscCustomObjectLayer::DefineProperties(TuiClassBuilder<TscCustomObjectLayer>& C) {
  C.Default("Width", 8.0f);
  C.Default("Depth", 8.0f);
  C.Property("CanFocused", As<TscCustomObjectLayer>(&TscVisualObject::CanFocused),
             As<TscCustomObjectLayer>(&TscVisualObject::SetCanFocused), true);
  C.Reference("ActiveControl", &TscCustomObjectLayer::ActiveControl, &TscCustomObjectLayer::SetActiveControl);
  C.Property("AnimatedCaret", &TscCustomObjectLayer::AnimatedCaret, &TscCustomObjectLayer::SetAnimatedCaret,
             true);
  C.Default("ShowHint", true);
}

namespace {
// Sets a flag for the life of a scope, also when it is left by an error.
struct TFlagScope {
  bool& Flag;
  explicit TFlagScope(bool& F) : Flag(F) { Flag = true; }
  ~TFlagScope() { Flag = false; }
};

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
  SetCanFocused(true);
  SetShowHint(true);
  SetWidth(8);
  SetDepth(8);
  // The bitmap borrows the 2D buffer's words; the buffer ends the loan before
  // they go.
  Buffer().OnBufferFreeing = [this] { GetBuffer()->EndLoan(); };
}

TscCustomObjectLayer::~TscCustomObjectLayer() {
  StopLending();
}

void TscCustomObjectLayer::StopLending() {
  Buffer().OnBufferFreeing = nullptr;
  GetBuffer()->EndLoan();
}

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
  TscScene* scene = Scene();
  // Dirt made while the buffer is prepared is painted in the frame under way.
  if (!scene || FPreparing) return;
  if (!ScreenProjection()) {
    scene->Invalidate();
    return;
  }
  const TuiPoint o = PixelOrigin();
  const TuiRect r{std::max(std::trunc(Rect.Left), 0.0f), std::max(std::trunc(Rect.Top), 0.0f),
                  std::min(std::trunc(Rect.Right) + 1, float(BufferWidth())),
                  std::min(std::trunc(Rect.Bottom) + 1, float(BufferHeight()))};
  const TuiRect window{r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y};
  scene->InvalidateRect(window);
}

void TscCustomObjectLayer::Repaint() {
  if (!FFlagsOnly) TscCustomBufferLayer::Repaint();
}

void TscCustomObjectLayer::FullRepaint() {
  AddUpdateRect({0, 0, 65535, 65535});
}

void TscCustomObjectLayer::PrepareBuffer() {
  const TFlagScope preparing(FPreparing);
  if (Buffer().Width() != BufferWidth() || Buffer().Height() != BufferHeight()) {
    SetSize(std::max(BufferWidth(), 1), std::max(BufferHeight(), 1));
    FitRoot();
  }
  // The bitmap shows the 2D buffer's words, so that the tree paints straight
  // into the texture's pixels; a buffer of another size (an empty layer has a
  // 1 x 1 one) leaves it words of its own.
  TscBitmap& buffer = *GetBuffer();
  uint32_t* words = Buffer().BufferBits();
  const bool lendable = words && Buffer().Width() == BufferWidth() && Buffer().Height() == BufferHeight();
  if (lendable ? buffer.Bits() != words
               : buffer.Borrowed() || buffer.Width() != BufferWidth() || buffer.Height() != BufferHeight()) {
    if (lendable)
      buffer.BorrowPixels(words, BufferWidth(), BufferHeight());
    else
      TscCustomBufferLayer::PrepareBuffer();
    FullRepaint();
  }
  ApplyResourcesBeforeFirstPaint();
}

void TscCustomObjectLayer::UpdateBuffer() {
  TscBitmap& buffer = *GetBuffer();
  if (buffer.IsEmpty() || GetUpdateRectsCount() == 0) return;
  // The rows to copy, before painting forgets the dirty rectangles.
  TuiRect all = GetUpdateRect(0);
  for (int i = 1; i < GetUpdateRectsCount(); ++i) all = UnionRect(all, GetUpdateRect(i));
  const int32_t w = std::min(buffer.Width(), Buffer().Width());
  const int32_t h = std::min(buffer.Height(), Buffer().Height());
  const int32_t top = std::clamp(int32_t(all.Top), 0, h), bottom = std::clamp(int32_t(all.Bottom), top, h);
  const int32_t left = std::clamp(int32_t(all.Left), 0, w), right = std::clamp(int32_t(all.Right), left, w);
  if (buffer.Bits() == Buffer().BufferBits()) {
    // The tree paints into the bitmap itself. Its rows are marked even when
    // painting fails halfway, since some of them may have changed.
    struct TMark {
      TscBitmap& B;
      int32_t First, Count;
      ~TMark() { B.MarkRowsModified(First, Count); }
    } mark{buffer, top, left < right ? bottom - top : 0};
    PaintTree();
    return;
  }
  PaintTree();
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
  // Transparent, so that the desktop shows where no control draws. In a
  // premultiplied buffer that is 0 whatever the fill's colour: colour bits
  // under alpha 0 would be added to everything translucent painted over them.
  for (int i = 0; i < GetUpdateRectsCount(); ++i) Canvas.ClearRect(GetUpdateRect(i), 0);
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

void TscCustomObjectLayer::MouseMove(TuiShiftState Shift, float X, float Y, const TscVector& RayPos,
                                     const TscVector& RayDir) {
  TscVector hit;
  if (!RayCastIntersect(RayPos, RayDir, hit)) {
    TuiBufferedScene::MouseLeave();
    return;
  }
  TscCustomBufferLayer::MouseMove(Shift, X, Y, RayPos, RayDir);
}

void TscCustomObjectLayer::LayerMouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  TscCustomBufferLayer::LayerMouseDown(Button, Shift, X, Y);
  TscScene* scene = Scene();
  if (!IsDesigning() && scene) scene->SetFocused(this);
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
}

int32_t TscCustomObjectLayer::CurrentCursor() const {
  return Hovered() ? CursorShape() : Cursor();
}

void TscCustomObjectLayer::LayerMouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  TscCustomBufferLayer::LayerMouseUp(Button, Shift, X, Y);
  FLayerMove = FLayerResize = false;
  // At the last point the moves left, as the tree saw it.
  const TuiPoint last = GetMousePos();
  TuiBufferedScene::MouseUp(Button, Shift, last.X, last.Y);
  // A capture taken for a window move or resize ends with the button.
  if (TscScene* scene = Scene(); scene && scene->Captured() == this && !GetCaptured())
    scene->SetCaptured(nullptr);
}

void TscCustomObjectLayer::MouseWheel(TuiShiftState Shift, int WheelDelta, bool& Handled) {
  TscCustomBufferLayer::MouseWheel(Shift, WheelDelta, Handled);
  if (!Handled) TuiBufferedScene::MouseWheel(Shift, WheelDelta);
}

void TscCustomObjectLayer::MouseEnter() {
  const TFlagScope flagsOnly(FFlagsOnly);
  TscCustomBufferLayer::MouseEnter();
}

void TscCustomObjectLayer::MouseLeave() {
  TuiBufferedScene::MouseLeave();
  const TFlagScope flagsOnly(FFlagsOnly);
  TscCustomBufferLayer::MouseLeave();
}

bool TscCustomObjectLayer::BeginWindowMove() {
  TscScene* scene = Scene();
  bool captured = false;
  if (scene && LayerAlign() == scLayerContents && scene->AllowDrag()) captured = scene->BeginWindowMove();
  FLayerMove = true;
  if (scene) scene->SetCaptured(this);
  return captured;
}

bool TscCustomObjectLayer::BeginWindowResize() {
  TscScene* scene = Scene();
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
  // The release must come back here to end the mode, wherever the grip has
  // moved to by then.
  if (scene) scene->SetCaptured(this);
  return captured;
}

void TscCustomObjectLayer::SetCaptured(TuiVisualObject* Object) {
  TuiBufferedScene::SetCaptured(Object);
  TscScene* scene = Scene();
  if (!scene) return;
  if (Object)
    scene->SetCaptured(this);
  else if (scene->Captured() == this)
    scene->SetCaptured(nullptr);
}

// ---- focus and keys ----

void TscCustomObjectLayer::SetFocused(TuiVisualObject* Object) {
  if (Object == GetFocused()) return;
  TuiBufferedScene::SetFocused(Object);
  // The control keeps the focus: the layer's EnterFocus finds it taken.
  if (TscScene* scene = Scene(); scene && Object) scene->SetFocused(this);
}

void TscCustomObjectLayer::KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  TscCustomBufferLayer::KeyDown(Key, KeyChar, Shift);
  TuiBufferedScene::KeyDown(Key, KeyChar, Shift);
}

void TscCustomObjectLayer::KeyUp(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  TscCustomBufferLayer::KeyUp(Key, KeyChar, Shift);
  TuiBufferedScene::KeyUp(Key, KeyChar, Shift);
}

std::vector<TuiVisualObject*> TscCustomObjectLayer::TabList() {
  std::vector<TuiVisualObject*> list;
  TuiObject* first = GetRoot();
  TuiVisualObject* root = first ? first->Visual() : nullptr;
  if (!root) return list;
  const auto walk = [&list](auto&& Self, TuiVisualObject& Parent) -> void {
    for (int i = 0; i < Parent.TabListCount(); ++i) {
      TuiVisualObject* item = Parent.TabListItem(i);
      list.push_back(item);
      Self(Self, *item);
    }
  };
  walk(walk, *root);
  return list;
}

namespace {
bool Shown(const TuiVisualObject* V) {
  for (const TuiObject* o = V; o; o = o->Parent())
    if (const TuiVisualObject* v = o->Visual(); v && !v->Visible()) return false;
  return true;
}
}  // namespace

void TscCustomObjectLayer::CollectTabEntries(std::vector<TscTabEntry>& List) {
  if (!Visible()) return;
  for (TuiVisualObject* v : TabList()) List.push_back({this, v});
  ForEachChild([&](TscObject* Child) {
    if (Child->IsVisual()) Child->Visual()->CollectTabEntries(List);
  });
}

bool TscCustomObjectLayer::CanFocusEntry(const TscTabEntry& Entry) const {
  if (Entry.Object != this || !Entry.Control || !Visible() || !CanFocused()) return false;
  const TuiVisualObject* v = Entry.Control->Visual();
  return v && v->CanFocused() && Shown(v);
}

void TscCustomObjectLayer::FocusEntry(const TscTabEntry& Entry) {
  if (Entry.Object == this && Entry.Control && Entry.Control->Visual())
    TuiBufferedScene::SetFocused(Entry.Control->Visual());
}

TscTabEntry TscCustomObjectLayer::FocusedEntry() {
  return {this, GetFocused()};
}

void TscCustomObjectLayer::EnterFocus() {
  {
    const TFlagScope flagsOnly(FFlagsOnly);
    TscCustomBufferLayer::EnterFocus();
  }
  if (GetFocused()) return;
  for (TuiVisualObject* v : TabList())
    if (v->CanFocused() && Shown(v)) {
      TuiBufferedScene::SetFocused(v);
      return;
    }
}

void TscCustomObjectLayer::KillFocus() {
  TuiBufferedScene::SetFocused(nullptr);
  const TFlagScope flagsOnly(FFlagsOnly);
  TscCustomBufferLayer::KillFocus();
}

// ---- window pixels ----

TuiPoint TscCustomObjectLayer::LocalToScreen(const TuiPoint& Point) {
  const TscVector p = LocalToAbsolute({Point.X - Width() / 2, Point.Y - Height() / 2, 0, 1});
  const TuiPoint client{std::round(p.X), std::round(p.Y)};
  TscScene* scene = Scene();
  if (!scene) return client;
  const platform::TPoint screen = scene->ClientToScreen({int(client.X), int(client.Y)});
  return {float(screen.X), float(screen.Y)};
}

bool TscCustomObjectLayer::GetHint(float X, float Y, std::string& Text, TuiRect& Area) {
  TscScene* scene = Scene();
  TscVector pos, dir, hit;
  if (!ShowHint() || !scene || !scene->GetPickRay(Projection(), X, Y, pos, dir)) return false;
  if (!RayCastIntersect(AbsoluteToLocal(pos), AbsoluteToLocalVector(dir), hit)) return false;
  const TuiPoint p = PlanePoint(AbsoluteToLocal(hit));
  TuiVisualObject* v = ObjectAt(p.X, p.Y);
  if (!v || !v->ShowHint()) return false;
  Text = v->Hint();
  const TuiRect r = v->GetAbsoluteRect();
  const TuiPoint o = PixelOrigin();
  Area = {std::trunc(r.Left + o.X), std::trunc(r.Top + o.Y), std::trunc(r.Right + o.X),
          std::trunc(r.Bottom + o.Y)};
  return true;
}

void TscCustomObjectLayer::BeginDragDrop(TuiObject* Source, TuiBitmap* DragImage) {
  // The scene has no in-application drag yet (no window of the program
  // drags objects); the tree's side of the drag still runs.
  TuiBufferedScene::BeginDragDrop(Source, DragImage);
}

// ---- the two concrete layers ----

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

void TscCustomObjectLayer::GetChildren(const std::function<void(TuiComponent*)>& Proc,
                                       const TuiComponent* Root) const {
  TscCustomBufferLayer::GetChildren(Proc, Root);
  for (int i = 0; i < RootCount(); ++i)
    if (Roots(i)->Stored()) Proc(Roots(i));
}

void RegisterLayerClasses() {
  static const bool registered = [] {
    TuiClassRegistry::Instance().Register(
        "3D", {&TscGUIObjectLayer::StaticClass(), &TscObjectLayer::StaticClass()});
    return true;
  }();
  (void)registered;
}
