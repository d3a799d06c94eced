#include "scene3d/Scene.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "scene2d/Colors.h"
#include "scene2d/Errors.h"
#include "scene2d/Geometry.h"
#include "scene3d/AniThread.h"
#include "scene3d/SceneObjects.h"

namespace {

int GSceneCount = 0;
int GWindowCount = 0;  // scenes holding a window: the shared 3D timer lives while any does

// Idle rendering: the window system has one idle hook, which serves every
// RealTime scene and then whatever hook was there before.
struct TIdleHook {
  platform::IWindowSystem* System = nullptr;
  std::function<bool()> Previous;
  std::vector<TscScene*> Scenes;
};
TIdleHook& IdleHook() {
  static TIdleHook* hook = new TIdleHook;
  return *hook;
}

TuiMouseButton ToButton(platform::TMouseButton B) {
  return B == platform::plMouseLeft    ? uxMouseLeft
         : B == platform::plMouseRight ? uxMouseRight
                                       : uxMouseMiddle;
}

}  // namespace

UX_IMPLEMENT_CLASS(TscScene)

void TscScene::DefineProperties(TuiClassBuilder<TscScene>& C) {
  C.Property("AllowDrag", &TscScene::AllowDrag, &TscScene::SetAllowDrag, false);
  C.Reference("ActiveControl", &TscScene::ActiveControl, &TscScene::SetActiveControl);
  C.Property("Lighting", &TscScene::Lighting, &TscScene::SetLighting, true);
  C.Property("Quality", &TscScene::Quality, &TscScene::SetQuality, scLowQuality);
  C.Property("FillColor", &TscScene::FillColor, &TscScene::SetFillColor, std::string("#FF303030"));
  C.Property("AmbientColor", &TscScene::AmbientColor, &TscScene::SetAmbientColor, std::string("#FF202020"));
  C.Reference("Camera", &TscScene::Camera, &TscScene::SetCamera);
  C.Property("Transparency", &TscScene::Transparency, &TscScene::SetTransparency, false);
  C.Property("RealTime", &TscScene::RealTime, &TscScene::SetRealTime, false);
  C.Property("RealTimeSleep", &TscScene::RealTimeSleep, &TscScene::SetRealTimeSleep, 0);
  C.Property("InvisibleAtRuntime", &TscScene::InvisibleAtRuntime, &TscScene::SetInvisibleAtRuntime, false);
  C.Property("UsingDesignCamera", &TscScene::UsingDesignCamera, &TscScene::SetUsingDesignCamera, true);
  C.Property("TabStop", &TscScene::TabStop, &TscScene::SetTabStop, false);
  C.Property("DesignCameraPos", &TscScene::DesignCameraPos, &TscScene::SetDesignCameraPos, -20.0f);
  C.Property("DesignCameraZAngle", &TscScene::DesignCameraZAngle, &TscScene::SetDesignCameraZAngle, 0.0f);
  C.Property("DesignCameraXAngle", &TscScene::DesignCameraXAngle, &TscScene::SetDesignCameraXAngle, 20.0f);
  C.Property("DesignSnapGridShow", &TscScene::DesignSnapGridShow, &TscScene::SetDesignSnapGridShow, false);
  C.Property("DesignSnapToGrid", &TscScene::DesignSnapToGrid, &TscScene::SetDesignSnapToGrid, false);
  C.Property("DesignSnapToLines", &TscScene::DesignSnapToLines, &TscScene::SetDesignSnapToLines, false);
}

TscScene::TscScene(TuiComponent* Owner) : TuiComponent(Owner) {
  BuildDesignRig();
  ++GSceneCount;
}

TscScene::~TscScene() {
  if (!TornDown()) {
    BeginDestroy();
    TscScene::BeforeDestruction();
  }
}

void TscScene::BeforeDestruction() {
  BeginDestroy();
  DestroyWindow();
  // The roots go without calling back: each is detached before it is freed.
  std::vector<TscObject*> roots;
  roots.swap(FRoots);
  FHovered = FCaptured = FFocused = nullptr;
  FCamera = nullptr;
  for (TscObject* root : roots) {
    root->SetScene(nullptr);
    delete root;
  }
  --GSceneCount;
  TuiComponent::BeforeDestruction();
}

int TscScene::SceneCount() {
  return GSceneCount;
}

void TscScene::BuildDesignRig() {
  FDesignOuter = new TscDummy(nullptr);
  FDesignInner = new TscDummy(nullptr);
  FDesignCamera = new TscCamera(nullptr);
  for (TscVisualObject* o :
       std::initializer_list<TscVisualObject*>{FDesignOuter, FDesignInner, FDesignCamera}) {
    o->SetTag(DesignTag);
    o->SetLocked(true);
    o->SetHitTest(false);
    o->SetStored(false);
  }
  FDesignInner->SetParent(FDesignOuter);
  FDesignCamera->SetParent(FDesignInner);
  FDesignInner->RotateAngle()->SetX(20);
  FDesignCamera->Position()->SetPoint({0, -20, 0, 1});
  AddObject(FDesignOuter);
}

float TscScene::DesignCameraPos() const {
  return FDesignCamera->Position()->Y();
}
void TscScene::SetDesignCameraPos(float Value) {
  FDesignCamera->Position()->SetY(Value);
}
float TscScene::DesignCameraZAngle() const {
  return FDesignOuter->RotateAngle()->Z();
}
void TscScene::SetDesignCameraZAngle(float Value) {
  FDesignOuter->RotateAngle()->SetZ(Value);
}
float TscScene::DesignCameraXAngle() const {
  return FDesignInner->RotateAngle()->X();
}
void TscScene::SetDesignCameraXAngle(float Value) {
  FDesignInner->RotateAngle()->SetX(Value);
}

// ---- the window ----

void TscScene::CreateWindow(platform::IWindowSystem& System, const platform::TWindowParams& Params) {
  DestroyWindow();
  FSystem = &System;
  FWindow = System.CreateWindow(*this, Params);
  ++GWindowCount;
  const platform::TSize client = FWindow->ClientSize();
  FWidth = client.Width;
  FHeight = client.Height;
  if (!TscAniThread::Instance().Source()) TscAniThread::Instance().SetSource(&System);
  if (!FInvisibleAtRuntime) CreateCanvas();
  if (FTransparency) LayeredUpdate({.Whole = true, .Any = true});
  if (FRealTime) SetRealTime(true);
  AlignRoot();
  Invalidate();
}

void TscScene::CreateCanvas() {
  const auto& maker = TscCanvas::DefaultCanvasClass.MakeWindowCanvas;
  if (!maker) throw EuxError("No 3D canvas class is registered");
  FCanvas = maker(uintptr_t(FWindow->NativeHandle()), FWidth, FHeight, FTransparency, FQuality);
}

void TscScene::DestroyWindow() {
  if (!FWindow) return;
  auto& hook = IdleHook();
  std::erase(hook.Scenes, this);
  if (hook.Scenes.empty() && hook.System) {
    hook.System->OnIdle = std::move(hook.Previous);
    hook.System = nullptr;
  }
  FWakeTimer.reset();
  FMoving = FResizing = false;
  FCanvas.reset();
  FWindow.reset();
  // The shared timer's platform timer must not outlive the window system.
  if (--GWindowCount == 0) TscAniThread::Free();
}

void TscScene::SetSize(int Width, int Height) {
  Width = std::max(Width, 1);
  Height = std::max(Height, 1);
  if (!FWindow) {
    FWidth = Width;
    FHeight = Height;
    return;
  }
  const platform::TRect outer = FWindow->Bounds();
  const int border = FWindow->BorderWidth();
  FWindow->SetBounds({outer.Left, outer.Top, Width + 2 * border, Height + 2 * border});
}

void TscScene::BoundsChanged(const platform::TRect&) {
  const platform::TSize client = FWindow->ClientSize();
  if (client.Width != FWidth || client.Height != FHeight) {
    FWidth = client.Width;
    FHeight = client.Height;
    Resized();
  }
  if (OnWindowBoundsChanged) OnWindowBoundsChanged(this);
}

void TscScene::Resized() {
  if (FCanvas) FCanvas->ResizeBuffer(FWidth, FHeight);
  AlignRoot();
  Invalidate();
}

void TscScene::AlignRoot() {
  TscVisualObject* root = RootObject();
  if (!root || IsLoading() || IsDestroying()) return;
  if (LayerAligner)
    LayerAligner(*root, float(FWidth), float(FHeight));
  else
    root->Realign();
}

void TscScene::Loaded() {
  TuiComponent::Loaded();
  AlignRoot();
  Invalidate();
}

void TscScene::CloseRequest() {
  if (OnCloseRequest) OnCloseRequest(this);
}

// ---- published ----

void TscScene::SetActiveControl(TscVisualObject* Value) {
  if (IsLoading()) return;
  SetFocused(Value);
}

void TscScene::SetLighting(bool Value) {
  if (Value == FLighting) return;
  FLighting = Value;
  Invalidate();
}

void TscScene::SetQuality(TscQuality Value) {
  if (Value == FQuality) return;
  FQuality = Value;
  if (FCanvas) FCanvas->SetQuality(Value);
  Invalidate();
}

std::string TscScene::FillColor() const {
  return ColorToText(FFillColor);
}

void TscScene::SetFillColor(const std::string& Value) {
  const uint32_t color = TextToColor(Value);
  if (color == FFillColor) return;
  FFillColor = color;
  Invalidate();
}

std::string TscScene::AmbientColor() const {
  return ColorToText(FAmbientColor);
}

void TscScene::SetAmbientColor(const std::string& Value) {
  const uint32_t color = TextToColor(Value);
  if (color == FAmbientColor) return;
  FAmbientColor = color;
  Invalidate();
}

void TscScene::SetCamera(TscCamera* Value) {
  if (Value == FCamera) return;
  FCamera = Value;
  if (Value) FreeNotification(Value);
  Invalidate();
}

void TscScene::SetTransparency(bool Value) {
  if (Value == FTransparency) return;
  FTransparency = Value;
  // The canvas keeps its frame differently with and without alpha.
  if (FCanvas) {
    FCanvas.reset();
    CreateCanvas();
  }
  Invalidate();
}

void TscScene::SetUsingDesignCamera(bool Value) {
  if (Value == FUsingDesignCamera) return;
  FUsingDesignCamera = Value;
  Invalidate();
}

void TscScene::SetRealTime(bool Value) {
  FRealTime = Value;
  if (!FSystem || !FWindow) return;
  auto& hook = IdleHook();
  const bool listed = std::find(hook.Scenes.begin(), hook.Scenes.end(), this) != hook.Scenes.end();
  if (Value && !listed) {
    if (!hook.System) {
      hook.System = FSystem;
      hook.Previous = std::move(FSystem->OnIdle);
      FSystem->OnIdle = [] {
        auto& h = IdleHook();
        bool again = false;
        // A scene may leave the list while rendering; walk a copy.
        for (TscScene* s : std::vector<TscScene*>(h.Scenes)) again |= s->IdlePass();
        if (h.Previous) again |= h.Previous();
        return again;
      };
    }
    hook.Scenes.push_back(this);
    FIdleStarted = false;
    FFpsStart = FSystem->TickCount();
    FFpsFrames = 0;
  } else if (!Value && listed) {
    std::erase(hook.Scenes, this);
    FWakeTimer.reset();
    if (hook.Scenes.empty()) {
      hook.System->OnIdle = std::move(hook.Previous);
      hook.System = nullptr;
    }
  }
}

void TscScene::SetRealTimeSleep(int32_t Value) {
  Value = std::max(Value, 0);
  if (Value == FRealTimeSleep) return;
  FRealTimeSleep = Value;
}

// ---- objects ----

void TscScene::AddObject(TscObject* Object) {
  if (!Object || std::find(FRoots.begin(), FRoots.end(), Object) != FRoots.end()) return;
  if (Object->Parent()) Object->Parent()->RemoveObject(Object);
  if (Object->Scene() && Object->Scene() != this) Object->Scene()->RemoveObject(Object);
  FRoots.push_back(Object);
  Object->SetScene(this);
  if (Object->IsVisual() && !IsLoading()) Object->Visual()->MatrixChanged();
  if (Object->IsVisual() && Object->Visual() == RootObject()) AlignRoot();
  Invalidate();
}

void TscScene::RemoveObject(TscObject* Object) {
  auto it = std::find(FRoots.begin(), FRoots.end(), Object);
  if (it == FRoots.end()) return;
  FRoots.erase(it);
  Object->SetScene(nullptr);
  Invalidate();
}

TscVisualObject* TscScene::RootObject() const {
  for (auto it = FRoots.rbegin(); it != FRoots.rend(); ++it) {
    TscObject* o = *it;
    if (o->Tag() == DesignTag || !o->IsVisual()) continue;
    if (!o->Visual()->Locked()) return o->Visual();
  }
  return nullptr;
}

void TscScene::GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const {
  TuiComponent::GetChildren(Proc, Root);
  for (TscObject* o : FRoots)
    if (o->Stored()) Proc(o);
}

void TscScene::Notification(TuiComponent* Component, TuiOperation Operation) {
  TuiComponent::Notification(Component, Operation);
  if (Operation == opRemove) Forget(Component);
}

void TscScene::Forget(TuiComponent* Component) {
  if (Component == FHovered) FHovered = nullptr;
  if (Component == FCaptured) FCaptured = nullptr;
  if (Component == FFocused) FFocused = nullptr;
  if (Component == FCamera) FCamera = nullptr;
}

// ---- frames ----

void TscScene::Invalidate() {
  // Recorded even when no message goes out: the frame that ends the lock or
  // the loading must still push everything.
  FDamage.Whole = FDamage.Any = true;
  if (FUpdateLock > 0 || IsLoading() || IsDestroying() || !FWindow) return;
  // No paint message reaches this window: every scene repaints through the
  // private message, so requests made while one event is handled merge.
  FWindow->PostMessage(RepaintMessage);
}

void TscScene::InvalidateRect(const TuiRect& Rect) {
  if (Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top) return;
  if (!FDamage.Whole) FDamage.Rect = FDamage.Any ? UnionRect(FDamage.Rect, Rect) : Rect;
  FDamage.Any = true;
  if (FUpdateLock > 0 || IsLoading() || IsDestroying() || !FWindow) return;
  FWindow->PostMessage(RepaintMessage);
}

void TscScene::EndUpdate() {
  if (FUpdateLock > 0 && --FUpdateLock == 0) Invalidate();
}

void TscScene::Message(uint32_t Msg, uint64_t, int64_t) {
  if (Msg != RepaintMessage) return;
  FWindow->RemovePendingMessages(RepaintMessage);
  // A frame rendered meanwhile took every change along.
  if (!IsDestroying() && FDamage.Any) RenderScene();
}

void TscScene::RenderScene() {
  if (FRendering || FUpdateLock > 0 || !FCanvas) return;
  struct TFlag {
    bool& F;
    explicit TFlag(bool& Flag) : F(Flag) { F = true; }
    ~TFlag() { F = false; }
  } rendering(FRendering);
  // Changes made while this frame renders (a layer's buffer growing, say)
  // belong to the next frame, which their requests have already asked for.
  const TDamage damage = std::exchange(FDamage, {});
  TscCanvas& c = *FCanvas;
  c.ResetCanvas();
  c.SetLighting(FLighting);
  c.SetAmbient(FAmbientColor);
  if (FCamera) c.SetCamera(FCamera);
  if (FUsingDesignCamera || IsDesigning()) c.SetCamera(FDesignCamera);
  auto paintable = [](TscObject* o) { return o->IsVisual() && o->Visual()->Visible(); };
  for (TscObject* o : FRoots) {
    if (!paintable(o)) continue;
    c.SetMatrix(o->Visual()->AbsoluteMatrix());
    o->Visual()->ApplyLights(c);
  }
  if (c.BeginScene()) {
    for (TscRenderState s : {scStateShadeGouraud, scStateCameraProjection, scStateDepthWriteOn,
                             scStateLightingOn, scStateFilterLinear, scStateCullCCW})
      c.SetState(s);
    c.Clear(FFillColor);
    // By index: a root's handlers may add roots; those wait for the next frame.
    for (size_t i = 0, n = FRoots.size(); i < n && i < FRoots.size(); ++i) {
      TscObject* o = FRoots[i];
      if (!paintable(o)) continue;
      TscVisualObject& v = *o->Visual();
      c.SetState(v.ZWrite() ? scStateDepthWriteOn : scStateDepthWriteOff);
      c.SetState(v.ScreenProjection() ? scStateScreenProjection : scStateCameraProjection);
      c.SetState(v.TwoSide() ? scStateCullNone : scStateCullCCW);
      c.SetMatrix(v.AbsoluteMatrix());
      v.BeforePaint(c);
      v.Paint(c);
      if (v.OnPaint) v.OnPaint(&v, c);
      v.PaintChildren(c);
    }
    c.EndScene();
    ++FFrames;
  }
  LayeredUpdate(damage);
}

void TscScene::LayeredUpdate(const TDamage& Damage) {
  if (!FWindow || !FCanvas || IsDesigning() || !Damage.Any) return;
  TscCanvas& c = *FCanvas;
  const int w = c.Width(), h = c.Height();
  // Both the requests and the device bound the change; the push needs only
  // what lies in both.
  platform::TRect part{0, 0, w, h};
  if (!Damage.Whole) {
    const int left = std::max(int(std::floor(Damage.Rect.Left)), 0);
    const int top = std::max(int(std::floor(Damage.Rect.Top)), 0);
    const int right = std::min(int(std::ceil(Damage.Rect.Right)), w);
    const int bottom = std::min(int(std::ceil(Damage.Rect.Bottom)), h);
    part = {left, top, right - left, bottom - top};
  }
  platform::TRect device;
  if (c.FrameChangedRect(device.Left, device.Top, device.Width, device.Height)) {
    const int left = std::max(part.Left, device.Left), top = std::max(part.Top, device.Top);
    const int right = std::min(part.Left + part.Width, device.Left + device.Width);
    const int bottom = std::min(part.Top + part.Height, device.Top + device.Height);
    part = {left, top, right - left, bottom - top};
  }
  Push(part);
}

void TscScene::Exposed(const platform::TRect& Area) {
  // A whole frame is on its way (after a resize the last one is gone): it
  // brings the lost part too.
  if (!FWindow || !FCanvas || IsDesigning() || FDamage.Whole) return;
  Push(platform::Intersect(Area, {0, 0, FCanvas->Width(), FCanvas->Height()}));
}

void TscScene::Push(const platform::TRect& Part) {
  if (Part.Width <= 0 || Part.Height <= 0) return;
  TscCanvas& c = *FCanvas;
  const int w = c.Width(), h = c.Height();
  platform::TFrame frame;
  frame.Width = w;
  frame.Height = h;
  if (FTransparency) {
    frame.Pixels = c.MemoryBits();
  } else {
    // An opaque canvas keeps its frame on the device; the window still shows
    // only what it is given, so the frame is read back and the Part that
    // goes out made opaque.
    FOpaqueFrame.resize(size_t(w) * size_t(h));
    c.CopyToBits(FOpaqueFrame.data());
    for (int y = Part.Top; y < Part.Top + Part.Height; ++y) {
      uint32_t* row = FOpaqueFrame.data() + size_t(y) * size_t(w);
      for (int x = Part.Left; x < Part.Left + Part.Width; ++x) row[x] |= 0xFF000000u;
    }
    frame.Pixels = FOpaqueFrame.data();
  }
  if (!frame.Pixels) return;
  const platform::TRect outer = FWindow->Bounds();
  const bool whole = Part.Left == 0 && Part.Top == 0 && Part.Width == w && Part.Height == h;
  FWindow->UpdateLayered(frame, {outer.Left, outer.Top}, whole ? nullptr : &Part);
}

// ---- picking ----

TscVisualObject* TscScene::ObjectAtPoint(float X, float Y) {
  if (!FCanvas) return nullptr;
  for (size_t i = FRoots.size(); i-- > 0;) {
    TscObject* o = FRoots[i];
    if (o->Tag() == DesignTag) continue;
    if (!o->IsVisual()) return nullptr;
    TscVisualObject* root = o->Visual();
    if (!root->Visible() || (IsDesigning() && root->Locked())) continue;
    float nearest = 65535;
    TscVisualObject* hit = root->ObjectByRay(*FCanvas, nearest, X, Y);
    if (hit && hit != root) return hit;
    if (root->HitTest() && !IsDesigning() && !FAllowDrag) return root;
  }
  return nullptr;
}

bool TscScene::GetPickRay(TscProjection Projection, float X, float Y, TscVector& RayPos,
                          TscVector& RayDir) const {
  if (!FCanvas) return false;
  FCanvas->GetPickRay(Projection, X, Y, RayPos, RayDir);
  return true;
}

TuiPoint TscScene::ProjectPoint(TscProjection Projection, const TscVector& Point) const {
  if (!FCanvas) return {Point.X, Point.Y};
  const TscMatrix m = Projection == scProjectionScreen
                          ? FCanvas->GetScreenMatrix()
                          : scMatrixMultiply(FCanvas->ViewMatrix(), FCanvas->GetProjectionMatrix());
  TscVector p = scTransform(Point, m);
  if (Projection == scProjectionScreen) return {p.X, p.Y};
  if (p.W != 0) p = {p.X / p.W, p.Y / p.W, p.Z / p.W, 1};
  return {(p.X + 1) / 2 * float(FWidth), (1 - p.Y) / 2 * float(FHeight)};
}

platform::TPoint TscScene::ClientToScreen(platform::TPoint P) const {
  return FWindow ? FWindow->ClientToScreen(P) : P;
}

void TscScene::LocalRay(TscVisualObject& Object, float X, float Y, TscVector& RayPos,
                        TscVector& RayDir) const {
  TscVector pos, dir;
  if (!GetPickRay(Object.Projection(), X, Y, pos, dir)) return;
  RayPos = Object.AbsoluteToLocal(pos);
  RayDir = Object.AbsoluteToLocalVector(dir);
}

// ---- mouse ----

bool TscScene::BeginWindowMove() {
  if (!FWindow) return false;
  FMoving = true;
  FWindow->SetCapture();
  return FWindow->HasCapture();
}

bool TscScene::BeginWindowResize() {
  if (!FWindow) return false;
  FResizing = true;
  FWindow->SetCapture();
  const platform::TRect outer = FWindow->Bounds();
  FResizeWidth = outer.Width;
  FResizeHeight = outer.Height;
  return FWindow->HasCapture();
}

void TscScene::SetCaptured(TscVisualObject* Value) {
  FCaptured = Value;
  if (!FWindow) return;
  if (Value) {
    FreeNotification(Value);
    FWindow->SetCapture();
  } else if (!FMoving && !FResizing) {
    FWindow->ReleaseCapture();
  }
}

void TscScene::CaptureLost() {
  FMoving = FResizing = false;
  FCaptured = nullptr;
}

void TscScene::SetHovered(TscVisualObject* Value) {
  if (Value == FHovered) return;
  TscVisualObject* old = FHovered;
  FHovered = Value;
  if (Value) FreeNotification(Value);
  if (old) old->MouseLeave();
  if (Value && Value == FHovered) Value->MouseEnter();
}

void TscScene::MouseDown(const platform::TMouseEvent& E) {
  const TuiMouseButton button = ToButton(E.Button);
  if (OnMouseDown) OnMouseDown(this, button, E.Shift, E.X, E.Y);
  if (FWindow && !FWindow->IsActive()) FWindow->Activate();
  FDownX = FLastX = float(E.X);
  FDownY = FLastY = float(E.Y);
  if (TscVisualObject* o = ObjectAtPoint(FDownX, FDownY)) {
    TscVector pos, dir;
    LocalRay(*o, FDownX, FDownY, pos, dir);
    o->MouseDown(button, E.Shift, FDownX, FDownY, pos, dir);
  } else if (FAllowDrag && button == uxMouseLeft) {
    BeginWindowMove();
  }
}

void TscScene::MouseMove(const platform::TMouseEvent& E) {
  if (OnMouseMove) OnMouseMove(this, E.Shift, E.X, E.Y);
  const float x = float(E.X), y = float(E.Y);
  if (FMoving) {
    // Placed from the screen point rather than by the client offset: motion
    // events already queued were measured against the window's old place.
    platform::TRect outer = FWindow->Bounds();
    outer.Left = E.ScreenX - int(FDownX);
    outer.Top = E.ScreenY - int(FDownY);
    FWindow->SetBounds(outer);
    return;
  }
  if (FResizing) {
    FResizeWidth += int(std::trunc(x - FLastX));
    FResizeHeight += int(std::trunc(y - FLastY));
    FLastX = x;
    FLastY = y;
    const platform::TRect outer = FWindow->Bounds();
    FWindow->SetBounds({outer.Left, outer.Top, FResizeWidth, FResizeHeight});
    return;
  }
  FLastX = x;
  FLastY = y;
  TscVector pos, dir;
  if (FCaptured) {
    LocalRay(*FCaptured, x, y, pos, dir);
    FCaptured->MouseMove(E.Shift, x, y, pos, dir);
    return;
  }
  TscVisualObject* o = ObjectAtPoint(x, y);
  SetHovered(o);
  if (o && o == FHovered) {
    LocalRay(*o, x, y, pos, dir);
    o->MouseMove(E.Shift, x, y, pos, dir);
  }
  if (FWindow) FWindow->SetCursor(FHovered ? FHovered->CurrentCursor() : platform::plCursorDefault);
}

void TscScene::MouseUp(const platform::TMouseEvent& E) {
  const TuiMouseButton button = ToButton(E.Button);
  if (OnMouseUp) OnMouseUp(this, button, E.Shift, E.X, E.Y);
  if (FMoving || FResizing) {
    FMoving = FResizing = false;
    if (!FCaptured && FWindow) FWindow->ReleaseCapture();
  }
  TscVisualObject* o = FCaptured ? FCaptured : ObjectAtPoint(FLastX, FLastY);
  if (!o) return;
  TscVector pos, dir;
  LocalRay(*o, float(E.X), float(E.Y), pos, dir);
  o->MouseUp(button, E.Shift, float(E.X), float(E.Y), pos, dir);
}

void TscScene::MouseWheel(const platform::TMouseEvent& E) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, E.Shift, E.WheelDelta, handled);
  if (handled) return;
  if (FCaptured) {
    FCaptured->MouseWheel(E.Shift, E.WheelDelta, handled);
    return;
  }
  for (TscObject* o = ObjectAtPoint(FLastX, FLastY); o && !handled; o = o->Parent())
    if (o->IsVisual()) o->Visual()->MouseWheel(E.Shift, E.WheelDelta, handled);
}

void TscScene::MouseLeave() {
  SetHovered(nullptr);
  // The next entry sets it again; meanwhile no object's cursor lingers.
  if (FWindow) FWindow->SetCursor(platform::plCursorDefault);
}

// ---- keyboard and focus ----

void TscScene::SetFocused(TscVisualObject* Value) {
  if (Value == FFocused) return;
  TscVisualObject* old = FFocused;
  FFocused = Value;
  if (Value) FreeNotification(Value);
  if (old) old->KillFocus();
  if (Value && Value == FFocused) Value->EnterFocus();
}

std::vector<TscTabEntry> TscScene::TabEntries() {
  std::vector<TscTabEntry> list;
  if (TscVisualObject* root = RootObject()) root->CollectTabEntries(list);
  return list;
}

bool TscScene::FocusNext(bool Backwards) {
  const std::vector<TscTabEntry> list = TabEntries();
  const int n = int(list.size());
  if (n == 0) return false;
  int current = -1;
  if (FFocused) {
    const TscTabEntry focused = FFocused->FocusedEntry();
    current = int(std::find(list.begin(), list.end(), focused) - list.begin());
    if (current == n) current = -1;
  }
  if (current < 0 && Backwards) current = n;
  const int step = Backwards ? -1 : 1;
  for (int k = 1; k <= n; ++k) {
    const TscTabEntry& e = list[size_t(((current + step * k) % n + n) % n)];
    if (!e.Object->CanFocusEntry(e)) continue;
    SetFocused(e.Object);
    e.Object->FocusEntry(e);
    return true;
  }
  return false;
}

void TscScene::KeyDown(uint16_t Key, platform::TShiftState Shift) {
  if (Key == platform::plKeyTab) {
    FocusNext((Shift & platform::plShift) != 0);
    return;
  }
  if (!FFocused) return;
  char32_t ch = 0;
  FFocused->KeyDown(Key, ch, Shift);
}

void TscScene::KeyChar(char32_t Char, platform::TShiftState Shift) {
  if (OnKeyPress) {
    OnKeyPress(this, Char, Shift);
    if (Char == 0) return;
  }
  // The key-down already carried Enter.
  if (!FFocused || Char == 13) return;
  // Ctrl+A, C, V, X and Z reach the objects as their letters, Ctrl still
  // held, so that select-all and the clipboard shortcuts compare against
  // letters.
  switch (Char) {
    case 1:
      Char = 'a';
      break;
    case 3:
      Char = 'c';
      break;
    case 22:
      Char = 'v';
      break;
    case 24:
      Char = 'x';
      break;
    case 26:
      Char = 'z';
      break;
    default:
      break;
  }
  uint16_t key = 0;
  FFocused->KeyDown(key, Char, Shift);
}

void TscScene::KeyUp(uint16_t Key, platform::TShiftState Shift) {
  if (!FFocused) return;
  char32_t ch = 0;
  FFocused->KeyUp(Key, ch, Shift);
}

bool TscScene::HintAt(int X, int Y, std::string& Text, TuiRect& Area) {
  TscVisualObject* o = ObjectAtPoint(float(X), float(Y));
  return o && o->GetHint(float(X), float(Y), Text, Area);
}

// ---- idle rendering ----

bool TscScene::IdlePass() {
  if (!FCanvas || !FSystem) return false;
  const uint64_t now = FSystem->TickCount();
  if (FIdleStarted && FRealTimeSleep > 0 && now < FLastIdle + uint64_t(FRealTimeSleep)) {
    // Still pausing: a timer wakes the loop when the next frame is due, so
    // it sleeps (and still hears input) until then.
    FWakeTimer = FSystem->CreateTimer(uint32_t(FLastIdle + uint64_t(FRealTimeSleep) - now),
                                      [this] { FWakeTimer->SetEnabled(false); });
    FWakeTimer->SetEnabled(true);
    return false;
  }
  const double dt = FIdleStarted ? std::max(0.001, double(now - FLastIdle) / 1000) : 0.001;
  FIdleStarted = true;
  FLastIdle = now;
  FTime += dt;
  // What a real-time frame draws may follow the clock alone.
  FDamage.Whole = FDamage.Any = true;
  for (size_t i = FRoots.size(); i-- > 0;)
    if (i < FRoots.size()) FRoots[i]->ProcessTick(float(dt), float(FTime));
  RenderScene();
  ++FFpsFrames;
  if (now - FFpsStart >= 1000) {
    FFps = float(FFpsFrames) * 1000.0f / float(now - FFpsStart);
    FFpsStart = now;
    FFpsFrames = 0;
  }
  return FRealTimeSleep == 0 || IdlePass();
}
