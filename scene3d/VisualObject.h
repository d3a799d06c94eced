#pragma once

#include <functional>
#include <memory>
#include <string>

#include "scene2d/VisualObject.h"
#include "scene3d/Canvas.h"
#include "scene3d/Object.h"

class TscCanvas;
class TscVisualObject;

enum TscDragMode : uint8_t { scDragManual, scDragAutomatic };
UX_ENUM(TscDragMode, "scDragManual", "scDragAutomatic")

// One stop of the scene's Tab order: a 3D object, or a 2D control that a GUI
// layer (Object) contributes in its own place.
struct TscTabEntry {
  TscVisualObject* Object = nullptr;
  TuiObject* Control = nullptr;
  bool operator==(const TscTabEntry&) const = default;
};

// Mouse events of 3D objects: the point in scene window pixels and the pick
// ray of that point in the object's own frame.
using TscMouseEvent = std::function<void(TscObject* Sender, TuiMouseButton Button, TuiShiftState Shift,
                                         float X, float Y, const TscVector& RayPos, const TscVector& RayDir)>;
using TscMouseMoveEvent = std::function<void(TscObject* Sender, TuiShiftState Shift, float X, float Y,
                                             const TscVector& RayPos, const TscVector& RayDir)>;
using TscMouseWheelEvent =
    std::function<void(TscObject* Sender, TuiShiftState Shift, int WheelDelta, bool& Handled)>;
using TscKeyEvent =
    std::function<void(TscObject* Sender, uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift)>;
using TscNotifyEvent = std::function<void(TscObject* Sender)>;

// A 3D object with a place: position, orientation (a unit quaternion,
// streamed as "Quanternion"), scale, size and opacity, the matrices they make,
// and a ray hit test.
class TscVisualObject : public TscObject {
  UX_CLASS(TscVisualObject, TscObject)
  // The scene re-aligns its root object's layers when its size changes.
  friend class TscScene;

 public:
  explicit TscVisualObject(TuiComponent* Owner);
  ~TscVisualObject() override;

  TscPosition* Position() const { return FPosition.get(); }
  TscPosition* Scale() const { return FScale.get(); }
  TscPosition* RotateAngle() const { return FRotateAngle.get(); }
  const TscQuaternion& Quaternion() const { return FQuaternion; }
  void SetQuaternion(const TscQuaternion& Value);
  std::string QuaternionText() const;
  void SetQuaternionText(const std::string& Value);

  float Width() const { return FWidth; }
  float Height() const { return FHeight; }
  float Depth() const { return FDepth; }
  virtual void SetWidth(float Value);
  virtual void SetHeight(float Value);
  virtual void SetDepth(float Value);
  float Opacity() const { return FOpacity; }
  // Clamped to [0, 1].
  void SetOpacity(float Value);
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  bool HitTest() const { return FHitTest; }
  void SetHitTest(bool Value) { FHitTest = Value; }
  bool TwoSide() const { return FTwoSide; }
  void SetTwoSide(bool Value) { FTwoSide = Value; }
  bool ZWrite() const { return FZWrite; }
  void SetZWrite(bool Value) { FZWrite = Value; }
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }
  // Kept for the designer: whether dragging lights the object up, and whether
  // the designer hides it. Nothing at run time reads them.
  bool DragDisableHighlight() const { return FDragDisableHighlight; }
  void SetDragDisableHighlight(bool Value) { FDragDisableHighlight = Value; }
  bool DesignHide() const { return FDesignHide; }
  void SetDesignHide(bool Value) { FDesignHide = Value; }
  TscDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TscDragMode Value) { FDragMode = Value; }

  // Screen-projected objects (screen-aligned layers) give it to the visual
  // children they take.
  bool ScreenProjection() const { return FScreenProjection; }
  void SetScreenProjection(bool Value) { FScreenProjection = Value; }

  const TscMatrix& LocalMatrix() const { return FLocalMatrix; }
  // Local times the visual parent's absolute; cached until marked stale.
  virtual TscMatrix AbsoluteMatrix() const;
  virtual float AbsoluteOpacity() const;
  void UpdateLocalMatrix();
  // Marks the absolute matrices of the subtree stale.
  void MatrixChanged();
  TscVector AbsoluteToLocal(const TscVector& Point) const;
  TscVector LocalToAbsolute(const TscVector& Point) const;
  TscVector AbsoluteToLocalVector(const TscVector& Vector) const;
  TscVector LocalToAbsoluteVector(const TscVector& Vector) const;

  // The hit test of the scene: the nearest object hit by the pick ray of
  // (X, Y), children first; Nearest is the distance to beat and is updated.
  TscVisualObject* ObjectByRay(TscCanvas& Canvas, float& Nearest, float X, float Y);
  // Local ray against the object; the base reports a hit at the object's own
  // position.
  virtual bool RayCastIntersect(const TscVector& RayPos, const TscVector& RayDir, TscVector& Intersection);

  // Paints the visible children: states, matrix, Paint, OnPaint, their children.
  virtual void PaintChildren(TscCanvas& Canvas);
  virtual void Paint(TscCanvas&) {}
  // Registers the enabled lights of the subtree with the canvas.
  virtual void ApplyLights(TscCanvas& Canvas);

  std::function<void(TscObject* Sender, TscCanvas& Canvas)> OnPaint;
  std::function<void(TscObject* Sender, TscCanvas& Canvas)> OnBeforePaint;

  // ---- input and focus, driven by the scene ----
  TscProjection Projection() const { return FScreenProjection ? scProjectionScreen : scProjectionCamera; }
  int32_t Cursor() const { return FCursor; }
  void SetCursor(int32_t Value) { FCursor = Value; }
  // The pointer's shape while over the object; an object with parts of its
  // own (a GUI layer) answers for the part under the pointer.
  virtual int32_t CurrentCursor() const { return FCursor; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; }
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value) { FCanFocused = Value; }
  bool IsMouseOver() const { return FIsMouseOver; }
  bool IsFocused() const { return FIsFocused; }
  bool IsPressed() const { return FPressed; }
  // Asks the scene for the focus when the object can take it.
  void SetFocus();

  // The scene's hand-over, with (X, Y) in window pixels and the pick ray
  // already in this object's frame. The defaults focus, press, click and
  // raise the On events; a press does not capture unless an override asks
  // the scene (SetCaptured).
  virtual void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y,
                         const TscVector& RayPos, const TscVector& RayDir);
  virtual void MouseMove(TuiShiftState Shift, float X, float Y, const TscVector& RayPos,
                         const TscVector& RayDir);
  virtual void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y, const TscVector& RayPos,
                       const TscVector& RayDir);
  virtual void MouseWheel(TuiShiftState Shift, int WheelDelta, bool& Handled);
  virtual void KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift);
  virtual void KeyUp(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void EnterFocus();
  virtual void KillFocus();
  virtual void Click();
  virtual void DblClick();
  virtual void BeforePaint(TscCanvas& Canvas);
  // The hint at window pixel (X, Y) of an object the scene found there; false
  // for none. Area receives the hint rectangle in window pixels.
  virtual bool GetHint(float X, float Y, std::string& Text, TuiRect& Area);

  // ---- Tab order ----
  // Appends this object's stops and then its visual children's, in tree
  // order, skipping invisible objects. A GUI layer appends its 2D tab
  // sequence instead of itself.
  virtual void CollectTabEntries(std::vector<TscTabEntry>& List);
  // Whether Entry (one this object contributed) can take the focus now.
  virtual bool CanFocusEntry(const TscTabEntry& Entry) const;
  // Called after the scene gave this object the focus; a layer focuses
  // Entry.Control here.
  virtual void FocusEntry(const TscTabEntry& Entry);
  // The stop that holds the focus while this object is the scene's focused
  // object.
  virtual TscTabEntry FocusedEntry();

  TscMouseEvent OnMouseDown, OnMouseUp;
  TscMouseMoveEvent OnMouseMove;
  TscMouseWheelEvent OnMouseWheel;
  TscKeyEvent OnKeyDown, OnKeyUp;
  TscNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseLeave, OnEnterFocus, OnKillFocus;

  void Loaded() override;
  static void DefineProperties(TuiClassBuilder<TscVisualObject>& C);

 protected:
  void ChildAdded(TscObject* Child) override;
  void ChildRemoved(TscObject* Child) override;
  virtual void Realign() {}
  // Asks the scene for a frame.
  virtual void Repaint();

 private:
  void RotateAbout(int Axis);
  void OpacityChanged();

  std::unique_ptr<TscPosition> FPosition, FScale, FRotateAngle;
  TscQuaternion FQuaternion;
  float FWidth = 1, FHeight = 1, FDepth = 1;
  float FOpacity = 1;
  bool FVisible = true, FHitTest = true, FTwoSide = false, FZWrite = true, FLocked = false;
  bool FDragDisableHighlight = false, FDesignHide = false;
  TscDragMode FDragMode = scDragManual;
  bool FScreenProjection = false;
  int32_t FCursor = 0;
  std::string FHint;
  bool FShowHint = false, FCanFocused = false;
  bool FIsMouseOver = false, FIsFocused = false, FPressed = false, FDoubleClicked = false;
  TscMatrix FLocalMatrix;
  mutable TscMatrix FAbsoluteMatrix;
  mutable bool FAbsoluteStale = true;
  mutable float FAbsoluteOpacity = 1;
  mutable bool FOpacityStale = true;
};
