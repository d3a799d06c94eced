#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene2d/Colors.h"
#include "scene2d/Object.h"
#include "scene2d/Scene.h"
#include "scene2d/VisualObject.h"
#include "scene2d/paint/BackgroundCache.h"

// A window-less host of a 2D tree over a buffered canvas of the default canvas
// class: it collects dirty rectangles, paints its roots into the buffer and
// routes mouse and keyboard input to the tree by the rules every host follows:
//
// - Moves go to the captured object alone; otherwise the topmost object under
//   the point (visible roots from the last to the first) becomes the hovered
//   one, the previous gets MouseLeave and the new MouseEnter, then the hit
//   object gets MouseMove. While an object holds the capture, hover, hint and
//   cursor stay as they were.
// - A press goes to the object under the point, which then starts its
//   automatic drag; a press on nothing starts moving the window.
// - A release goes to the captured object, else to the object under the
//   last mouse position.
// - The wheel goes to the captured object, else to the hit object and its
//   visual ancestors until one handles it.
// - Keys go to the focused object.
//
// Points are scene coordinates, which are the buffer's pixels; objects get
// them in their local coordinates. Tests and tools drive trees through it;
// the hosts of real windows follow the same rules.
class TuiBufferedScene : public TuiSceneHost, private IuxFreeNotify {
 public:
  // Needs a default canvas class (a backend's registration).
  TuiBufferedScene(int32_t Width, int32_t Height);
  ~TuiBufferedScene() override;

  TuiCanvas& Buffer() const { return *FCanvas; }
  // Resizes the buffer and marks it dirty.
  void SetSize(int32_t Width, int32_t Height);
  // What dirty areas are cleared to before the tree paints; transparent by default.
  TuiColor Background = 0;
  // Where the scene's (0, 0) lies on the screen.
  TuiPoint ScreenOrigin{0, 0};

  // Paints the dirty part of the tree into the buffer and forgets the dirty
  // rectangles, also when painting throws. Nothing without dirty rectangles.
  void PaintTree();
  // The whole buffer is dirty.
  void InvalidateAll();
  // Gives the objects the first paint would reach their looks (styles) now,
  // in painting order, so that the paint itself changes nothing and the first
  // frame needs no second one. Later styles still come with their paint.
  void ApplyResourcesBeforeFirstPaint();

  // ---- input from the window system, in scene coordinates ----
  void MouseMove(TuiShiftState Shift, float X, float Y);
  void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y);
  void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y);
  void MouseWheel(TuiShiftState Shift, int WheelDelta);
  // The pointer left the window.
  void MouseLeave();
  void KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift);
  void KeyUp(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift);
  // The topmost object at a scene point, or none.
  TuiVisualObject* ObjectAt(float X, float Y);

  // ---- what routing left behind ----
  TuiVisualObject* Hovered() const { return FHovered; }
  const std::string& HintText() const { return FHint; }
  int32_t CursorShape() const { return FCursor; }
  int WindowMoves() const { return FWindowMoves; }
  int WindowResizes() const { return FWindowResizes; }
  // The last automatic drag: its source (only compared, never followed) and
  // its image's size.
  TuiObject* DragSource() const { return FDragSource; }
  TuiPoint DragImageSize() const { return FDragImageSize; }

  // ---- IuxScene ----
  bool BeginWindowMove() override;
  bool BeginWindowResize() override;
  // Whole pixels around Rect; kept when it touches the buffer. More than
  // MaxUpdateRects become their union.
  void AddUpdateRect(const TuiRect& Rect) override;
  // Keeps what lies under a shape that repaints itself alone, so that its
  // next repaint paints only the shape (TuiBackgroundCache).
  void AddObjectUpdateRect(TuiVisualObject& Source, const TuiRect& Rect) override;
  TuiControl* GetActiveControl() override { return nullptr; }
  bool GetDisableUpdate() override { return FDisableUpdate; }
  void SetDisableUpdate(bool Value) override { FDisableUpdate = Value; }
  TuiCanvas* GetCanvas() override { return FCanvas.get(); }
  TuiComponent* GetOwner() override { return nullptr; }
  TuiComponent* GetComponent() override { return nullptr; }
  TuiResources* GetStyle() override { return nullptr; }
  void SetStyle(TuiResources*) override {}
  bool GetTransparency() override { return true; }
  void UpdateResource() override;
  void Notification(TuiComponent* Component, TuiOperation Operation) override;
  int GetUpdateRectsCount() override { return int(FUpdateRects.size()); }
  TuiRect GetUpdateRect(int Index) override { return FUpdateRects.at(size_t(Index)); }
  void SetCaptured(TuiVisualObject* Object) override;
  TuiVisualObject* GetCaptured() override { return FCaptured; }
  void SetFocused(TuiVisualObject* Object) override;
  TuiVisualObject* GetFocused() override { return FFocused; }
  TuiPoint GetMousePos() override { return FMousePos; }
  TuiPoint LocalToScreen(const TuiPoint& Point) override;
  void BeginDragDrop(TuiObject* Source, TuiBitmap* DragImage) override;
  bool GetAnimatedCaret() override { return false; }

  static constexpr size_t MaxUpdateRects = 20;

 protected:
  // Clears the dirty rectangles to Background; a host with a brush of its own
  // paints that instead. Runs with the identity matrix and the clip on the
  // dirty rectangles.
  virtual void PaintBackground(TuiCanvas& Canvas);
  // A press found no object: the window starts moving. Hosts that move only
  // on request leave it out.
  virtual void PressedOutsideTree() { BeginWindowMove(); }
  const std::vector<TuiRect>& UpdateRects() const { return FUpdateRects; }

 private:
  void FreeNotify(TuiObject* Dying) override;
  // The pass over the dirty rectangles: their background, then the roots.
  void PaintRoots(TuiCanvas& Canvas);
  // The canvas state every pass starts from, clipped to the dirty
  // rectangles, with their background painted or not.
  void StartPass(TuiCanvas& Canvas, bool WithBackground);
  // Keeps a weak reference in Slot, registered with the object.
  void Hold(TuiVisualObject*& Slot, TuiVisualObject* Object);

  std::unique_ptr<TuiCanvas> FCanvas;
  std::vector<TuiRect> FUpdateRects;
  // Per dirty rectangle, the object whose own repaint alone asked for it.
  std::vector<TuiVisualObject*> FUpdateSources;
  TuiVisualObject* FRepainting = nullptr;  // during AddObjectUpdateRect
  TuiBackgroundCache FBackgrounds{*this};
  bool FDisableUpdate = false;
  bool FPainting = false;
  bool FResourcesApplied = false;
  TuiVisualObject* FCaptured = nullptr;
  TuiVisualObject* FHovered = nullptr;
  TuiVisualObject* FFocused = nullptr;
  TuiVisualObject* FPressing = nullptr;  // during MouseDown
  TuiObject* FDragSource = nullptr;
  TuiPoint FMousePos{0, 0};
  TuiPoint FDragImageSize{0, 0};
  std::string FHint;
  int32_t FCursor = 0;
  int FWindowMoves = 0;
  int FWindowResizes = 0;
};
