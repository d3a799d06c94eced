#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Window.h"
#include "scene2d/Persistent.h"
#include "scene2d/VisualObject.h"
#include "scene3d/Canvas.h"
#include "scene3d/VisualObject.h"

class TscCamera;
class TscDummy;

// The window of a 3D scene. The scene fills the client area of one top-level
// window of the window-system layer: it creates that window, and the scene's
// client pixels are the window's client pixels (no offset between the two).
// The window's content is only ever a frame the scene pushes, so every frame
// goes out through the layered update; Transparency decides whether its alpha
// is kept or forced opaque.
//
// The scene owns its canvas (made by TscCanvas::DefaultCanvasClass, the one
// seam through which a device is chosen) and frees its roots when it goes.
class TscScene : public TuiComponent, private platform::IWindowEvents {
  UX_CLASS(TscScene, TuiComponent)
 public:
  // The private repaint message: any number of requests made while one event
  // is handled come out as one frame.
  static constexpr uint32_t RepaintMessage = 0x0400 + 501;
  // Tag of the design rig's roots.
  static constexpr int32_t DesignTag = 0xFFFE;

  explicit TscScene(TuiComponent* Owner);
  ~TscScene() override;

  // ---- the window ----
  // Creates the top-level window (hidden) and the canvas. Params.Bounds gives
  // the outer rectangle; the scene takes the client size. Raises EuxError
  // when no canvas class is registered (and InvisibleAtRuntime is off).
  void CreateWindow(platform::IWindowSystem& System, const platform::TWindowParams& Params);
  // Frees the canvas and the window; the scene keeps its objects.
  void DestroyWindow();
  platform::IWindow* Window() const { return FWindow.get(); }
  // Where the window delivers its events; input a program makes up itself
  // (a recorded operator) goes in here as if the window had received it.
  platform::IWindowEvents& WindowEvents() { return *this; }
  platform::IWindowSystem* WindowSystem() const { return FSystem; }
  TscCanvas* Canvas() const { return FCanvas.get(); }
  // Client size; 100 x 100 until a window gives another.
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Sets the client size (through the window when there is one).
  void SetSize(int Width, int Height);

  // ---- published ----
  bool AllowDrag() const { return FAllowDrag; }
  void SetAllowDrag(bool Value) { FAllowDrag = Value; }
  TscVisualObject* ActiveControl() const { return FFocused; }
  void SetActiveControl(TscVisualObject* Value);
  bool Lighting() const { return FLighting; }
  void SetLighting(bool Value);
  TscQuality Quality() const { return FQuality; }
  void SetQuality(TscQuality Value);
  std::string FillColor() const;
  void SetFillColor(const std::string& Value);
  uint32_t FillColorValue() const { return FFillColor; }
  std::string AmbientColor() const;
  void SetAmbientColor(const std::string& Value);
  TscCamera* Camera() const { return FCamera; }
  void SetCamera(TscCamera* Value);
  bool Transparency() const { return FTransparency; }
  void SetTransparency(bool Value);
  bool RealTime() const { return FRealTime; }
  void SetRealTime(bool Value);
  int32_t RealTimeSleep() const { return FRealTimeSleep; }
  void SetRealTimeSleep(int32_t Value);
  bool InvisibleAtRuntime() const { return FInvisibleAtRuntime; }
  void SetInvisibleAtRuntime(bool Value) { FInvisibleAtRuntime = Value; }
  bool UsingDesignCamera() const { return FUsingDesignCamera; }
  void SetUsingDesignCamera(bool Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }
  // Stored for the designer; they only place the design rig.
  float DesignCameraPos() const;
  void SetDesignCameraPos(float Value);
  float DesignCameraZAngle() const;
  void SetDesignCameraZAngle(float Value);
  float DesignCameraXAngle() const;
  void SetDesignCameraXAngle(float Value);
  bool DesignSnapGridShow() const { return FSnapGridShow; }
  void SetDesignSnapGridShow(bool Value) { FSnapGridShow = Value; }
  bool DesignSnapToGrid() const { return FSnapToGrid; }
  void SetDesignSnapToGrid(bool Value) { FSnapToGrid = Value; }
  bool DesignSnapToLines() const { return FSnapToLines; }
  void SetDesignSnapToLines(bool Value) { FSnapToLines = Value; }

  // Window mouse events with client pixels, raised before the scene's own
  // handling of the same event.
  std::function<void(TscScene*Sender, TuiMouseButton Button, TuiShiftState Shift, int X, int Y)> OnMouseDown,
      OnMouseUp;
  std::function<void(TscScene* Sender, TuiShiftState Shift, int X, int Y)> OnMouseMove;
  std::function<void(TscScene* Sender, TuiShiftState Shift, int WheelDelta, bool& Handled)> OnMouseWheel;
  // The user asked to close the window; nothing happens without a handler.
  std::function<void(TscScene* Sender)> OnCloseRequest;
  // A typed character before the focused object sees it (a form's key
  // preview); a handler that sets Char to 0 keeps it from the objects.
  std::function<void(TscScene* Sender, char32_t& Char, TuiShiftState Shift)> OnKeyPress;
  // The window moved or changed size, by the program or from outside; raised
  // after the scene has taken the new client size.
  std::function<void(TscScene* Sender)> OnWindowBoundsChanged;

  // ---- objects ----
  void AddObject(TscObject* Object);
  void RemoveObject(TscObject* Object);
  const std::vector<TscObject*>& Roots() const { return FRoots; }
  // The last root that is neither locked nor part of the design rig.
  TscVisualObject* RootObject() const;
  TscCamera* DesignCamera() const { return FDesignCamera; }

  // ---- frames ----
  // Requests a frame in which the whole window may have changed; see
  // RepaintMessage.
  void Invalidate();
  // Requests a frame in which only Rect (client pixels) changed. The next
  // frame pushes the union of such rectangles, or the whole frame when
  // anything asked for that.
  void InvalidateRect(const TuiRect& Rect);
  // Renders one frame now and pushes it to the window.
  void RenderScene();
  // While set, Invalidate and RenderScene do nothing.
  void BeginUpdate() { ++FUpdateLock; }
  void EndUpdate();
  // Whatever places the root object's layers in the client area; installed
  // by the layer library (the scene cannot see layers). Without it the root
  // only re-aligns its own children.
  static inline std::function<void(TscVisualObject& Root, float Width, float Height)> LayerAligner;
  // Places the root object's layers in the client area.
  void AlignRoot();
  // Frames rendered so far (for tools and tests).
  uint64_t FrameCount() const { return FFrames; }
  // Frames per second over the last whole second of idle rendering.
  float Fps() const { return FFps; }

  // ---- picking and input ----
  TscVisualObject* ObjectAtPoint(float X, float Y);
  // The pick ray of window pixel (X, Y) for a projection, in scene
  // coordinates; false without a canvas.
  bool GetPickRay(TscProjection Projection, float X, float Y, TscVector& RayPos, TscVector& RayDir) const;
  // Window pixels of a point in scene coordinates seen through Projection.
  TuiPoint ProjectPoint(TscProjection Projection, const TscVector& Point) const;
  platform::TPoint ClientToScreen(platform::TPoint P) const;

  // Start moving or resizing the top-level window with the mouse until the
  // button goes up; both report whether the scene holds the mouse capture.
  bool BeginWindowMove();
  bool BeginWindowResize();
  bool MovingWindow() const { return FMoving; }
  bool ResizingWindow() const { return FResizing; }

  // The object receiving every mouse event while set; taking one takes the
  // window's capture, none releases it.
  TscVisualObject* Captured() const { return FCaptured; }
  void SetCaptured(TscVisualObject* Value);
  TscVisualObject* Hovered() const { return FHovered; }
  TscVisualObject* Focused() const { return FFocused; }
  // The old object loses the focus, then the new one gets it.
  void SetFocused(TscVisualObject* Value);
  // Tab stops of the root object's subtree, in tree order.
  std::vector<TscTabEntry> TabEntries();
  // Moves the focus to the next (or previous) stop that can take it,
  // wrapping around; false when none can.
  bool FocusNext(bool Backwards);

  // The shown hint at a client point: false when no object gives one.
  bool HintAt(int X, int Y, std::string& Text, TuiRect& Area);

  // Process-wide count of live scenes.
  static int SceneCount();

  void Loaded() override;
  void Notification(TuiComponent* Component, TuiOperation Operation) override;
  void GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const override;
  static void DefineProperties(TuiClassBuilder<TscScene>& C);

 protected:
  void BeforeDestruction() override;

 private:
  // platform::IWindowEvents
  void MouseDown(const platform::TMouseEvent& E) override;
  void MouseUp(const platform::TMouseEvent& E) override;
  void MouseMove(const platform::TMouseEvent& E) override;
  void MouseWheel(const platform::TMouseEvent& E) override;
  void MouseLeave() override;
  void KeyDown(uint16_t Key, platform::TShiftState Shift) override;
  void KeyUp(uint16_t Key, platform::TShiftState Shift) override;
  void KeyChar(char32_t Char, platform::TShiftState Shift) override;
  void CloseRequest() override;
  void BoundsChanged(const platform::TRect& Outer) override;
  void Message(uint32_t Msg, uint64_t WParam, int64_t LParam) override;
  void CaptureLost() override;
  // The window lost Area's pixels: the last frame's are pushed again.
  void Exposed(const platform::TRect& Area) override;

  void BuildDesignRig();
  void CreateCanvas();
  void Resized();
  // What changed since the last frame began.
  struct TDamage {
    bool Whole = false;
    bool Any = false;
    TuiRect Rect{};
  };
  void LayeredUpdate(const TDamage& Damage);
  // Pushes Part of the frame to the window.
  void Push(const platform::TRect& Part);
  void SetHovered(TscVisualObject* Value);
  // Calls Proc(ray position, ray direction) in Object's frame for (X, Y).
  void LocalRay(TscVisualObject& Object, float X, float Y, TscVector& RayPos, TscVector& RayDir) const;
  void Forget(TuiComponent* Component);
  bool IdlePass();

  platform::IWindowSystem* FSystem = nullptr;
  std::unique_ptr<platform::IWindow> FWindow;
  std::unique_ptr<TscCanvas> FCanvas;
  std::vector<uint32_t> FOpaqueFrame;  // an opaque canvas's frame, read back for the push
  std::vector<TscObject*> FRoots;
  TscDummy* FDesignOuter = nullptr;
  TscDummy* FDesignInner = nullptr;
  TscCamera* FDesignCamera = nullptr;
  TscCamera* FCamera = nullptr;
  TscVisualObject* FHovered = nullptr;
  TscVisualObject* FCaptured = nullptr;
  TscVisualObject* FFocused = nullptr;

  int FWidth = 100, FHeight = 100;
  bool FAllowDrag = false, FLighting = true, FTransparency = false, FRealTime = false;
  bool FInvisibleAtRuntime = false, FUsingDesignCamera = true, FTabStop = false;
  bool FSnapGridShow = false, FSnapToGrid = false, FSnapToLines = false;
  TscQuality FQuality = scLowQuality;
  uint32_t FFillColor = 0xFF303030, FAmbientColor = 0xFF202020;
  int32_t FRealTimeSleep = 0;

  float FDownX = 0, FDownY = 0, FLastX = 0, FLastY = 0;
  bool FMoving = false, FResizing = false;
  int FResizeWidth = 0, FResizeHeight = 0;
  bool FRendering = false;
  TDamage FDamage;
  int FUpdateLock = 0;
  uint64_t FFrames = 0;

  // Idle rendering.
  std::unique_ptr<platform::ITimer> FWakeTimer;  // ends a RealTimeSleep pause
  bool FIdleStarted = false;
  uint64_t FLastIdle = 0, FFpsStart = 0;
  int FFpsFrames = 0;
  float FFps = 0;
  double FTime = 0;
};
