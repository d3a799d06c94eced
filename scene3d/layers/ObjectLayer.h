#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/TimerSource.h"
#include "scene2d/paint/BufferedScene.h"
#include "scene3d/layers/Layers.h"

class TuiBrush;
class TuiResources;
class TuiControl;

// A buffer layer that hosts a 2D tree: the tree's host (IuxScene), painting
// its dirty part into a 2D canvas of the buffer's size, copying that part into
// the buffer bitmap (whose changed rows the 3D device refreshes) and telling
// its TscScene which window pixels changed. Rays become 2D points and go to
// the tree by the rules every host follows; keys go to the focused control,
// and the scene's Tab walks the tree's tab sequence in the layer's place.
//
// The host logic is TuiBufferedScene's; the layer adds its background brush,
// its Style, the scene's capture and focus, window moves and resizes on
// request, and the frame pipeline.
class TscCustomObjectLayer : public TscCustomBufferLayer, public TuiBufferedScene {
  UX_CLASS(TscCustomObjectLayer, TscCustomBufferLayer)
 public:
  explicit TscCustomObjectLayer(TuiComponent* Owner);
  ~TscCustomObjectLayer() override;

  using TscObject::AddObject;
  using TscObject::RemoveObject;

  TuiControl* ActiveControl() const { return FActiveControl; }
  // Outside loading the control takes the focus.
  void SetActiveControl(TuiControl* Value);
  bool AnimatedCaret() const { return FAnimatedCaret; }
  void SetAnimatedCaret(bool Value) { FAnimatedCaret = Value; }
  bool AllowDrag() const { return FAllowDrag; }
  void SetAllowDrag(bool Value) { FAllowDrag = Value; }
  // Style none by default: dirty areas are cleared to transparency.
  TuiBrush* Fill() const { return FFill.get(); }
  TuiResources* Style() const { return FStyle; }

  // 2D object at a buffer point: roots from the last to the first.
  TuiVisualObject* ObjectAtPoint(float X, float Y) { return ObjectAt(X, Y); }
  // Whether the layer is moving or resizing itself with the mouse.
  bool LayerMoving() const { return FLayerMove; }
  bool LayerResizing() const { return FLayerResize; }
  TuiPoint MouseDownPoint() const { return FMouseDown; }

  // ---- 3D side, as the scene drives it ----
  // A ray that misses the layer takes the pointer off the tree.
  void MouseMove(TuiShiftState Shift, float X, float Y, const TscVector& RayPos,
                 const TscVector& RayDir) override;
  void LayerMouseMove(TuiShiftState Shift, float X, float Y) override;
  void LayerMouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void LayerMouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void MouseWheel(TuiShiftState Shift, int WheelDelta, bool& Handled) override;
  void KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) override;
  void KeyUp(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) override;
  void MouseEnter() override;
  void MouseLeave() override;
  // Getting the scene's focus focuses the first control that can take it,
  // unless one already has it; losing it unfocuses the control.
  void EnterFocus() override;
  void KillFocus() override;
  // The 2D object under window pixel (X, Y) gives the hint, with its own
  // rectangle in window pixels as the area.
  bool GetHint(float X, float Y, std::string& Text, TuiRect& Area) override;
  int32_t CurrentCursor() const override;
  // The first root's tab sequence stands in the layer's place.
  void CollectTabEntries(std::vector<TscTabEntry>& List) override;
  bool CanFocusEntry(const TscTabEntry& Entry) const override;
  void FocusEntry(const TscTabEntry& Entry) override;
  TscTabEntry FocusedEntry() override;
  void SetVisible(bool Value) override;
  void Loaded() override;

  // ---- IuxScene ----
  void AddObject(TuiVisualObject* Object) override;
  void RemoveObject(TuiObject* Object) override;
  bool BeginWindowMove() override;
  bool BeginWindowResize() override;
  // Also asks the scene for the window pixels the rectangle covers.
  void AddUpdateRect(const TuiRect& Rect) override;
  TuiControl* GetActiveControl() override { return FActiveControl; }
  TuiComponent* GetOwner() override { return Owner(); }
  TuiComponent* GetComponent() override { return this; }
  TuiResources* GetStyle() override { return FStyle; }
  void SetStyle(TuiResources* Value) override;
  bool GetTransparency() override { return false; }
  bool GetDesignTime() override { return IsDesigning(); }
  // The layer's component notification, the same for both sides.
  void Notification(TuiComponent* Component, TuiOperation Operation) override;
  // A stream writes the 3D children and then the 2D tree's roots.
  void GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const override;
  void SetCaptured(TuiVisualObject* Object) override;
  void SetFocused(TuiVisualObject* Object) override;
  TuiPoint LocalToScreen(const TuiPoint& Point) override;
  void BeginDragDrop(TuiObject* Source, TuiBitmap* DragImage) override;
  bool GetAnimatedCaret() override { return FAnimatedCaret; }

  static void DefineProperties(TuiClassBuilder<TscCustomObjectLayer>& C);

 protected:
  void BeforeDestruction() override;
  bool LocalHit(const TscVector& RayPos, const TscVector& RayDir, TscVector& Local) override;
  void PrepareBuffer() override;
  // Paints the dirty part, copies it into the bitmap and marks its rows.
  void UpdateBuffer() override;
  void PaintBackground(TuiCanvas& Canvas) override;
  void PressedOutsideTree() override;
  // The layer's own look does not follow the hover and focus flags, so their
  // changes need no new frame.
  void Repaint() override;
  // The first root covers the buffer.
  void FitRoot();

 private:
  void FullRepaint();
  // The bitmap lets go of the 2D buffer's words for good.
  void StopLending();
  // The first root's tab sequence.
  std::vector<TuiVisualObject*> TabList();

  std::unique_ptr<TuiBrush> FFill;
  TuiResources* FStyle = nullptr;
  TuiControl* FActiveControl = nullptr;
  bool FAnimatedCaret = true;
  bool FAllowDrag = false;
  bool FFlagsOnly = false;  // inside a hover or focus flag change
  bool FPreparing = false;  // inside PrepareBuffer
  bool FLayerMove = false, FLayerResize = false;
  TuiPoint FMouseDown{0, 0};
  TuiPoint FResizeSize{0, 0};
  std::unique_ptr<platform::ITimer> FLoadedTimer;
};

// The layer of the windows: screen-projected, 256 x 256, no depth writes.
class TscGUIObjectLayer : public TscCustomObjectLayer {
  UX_CLASS(TscGUIObjectLayer, TscCustomObjectLayer)
 public:
  explicit TscGUIObjectLayer(TuiComponent* Owner);
  static void DefineProperties(TuiClassBuilder<TscGUIObjectLayer>& C);
};

// The camera-projected sibling: a buffer of Width x Depth units at Resolution
// pixels per unit, lying in the X/Z plane.
class TscObjectLayer : public TscCustomObjectLayer {
  UX_CLASS(TscObjectLayer, TscCustomObjectLayer)
 public:
  explicit TscObjectLayer(TuiComponent* Owner);
  static void DefineProperties(TuiClassBuilder<TscObjectLayer>& C);
};
