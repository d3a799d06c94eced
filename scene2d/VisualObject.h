#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/ChildIndex.h"
#include "scene2d/Colors.h"
#include "scene2d/Easing.h"
#include "scene2d/Object.h"
#include "scene2d/ValueHolders.h"

// How a parent places a child; see TuiVisualObject::Realign.
enum TuiAlign : uint8_t {
  vaNone,
  vaTopLeft,
  vaTopRight,
  vaBottomLeft,
  vaBottomRight,
  vaTop,
  vaLeft,
  vaRight,
  vaBottom,
  vaMostTop,
  vaMostBottom,
  vaMostLeft,
  vaMostRight,
  vaClient,
  vaContents,
  vaCenter,
  vaVertCenter,
  vaHorzCenter,
  vaHorizontal,
  vaVertical,
  vaScale,
  vaFit,
  vaFitLeft,
  vaFitRight,
};
UX_ENUM(TuiAlign, "vaNone", "vaTopLeft", "vaTopRight", "vaBottomLeft", "vaBottomRight", "vaTop", "vaLeft",
        "vaRight", "vaBottom", "vaMostTop", "vaMostBottom", "vaMostLeft", "vaMostRight", "vaClient",
        "vaContents", "vaCenter", "vaVertCenter", "vaHorzCenter", "vaHorizontal", "vaVertical", "vaScale",
        "vaFit", "vaFitLeft", "vaFitRight")

enum TuiDragMode : uint8_t { uxDragManual, uxDragAutomatic };
UX_ENUM(TuiDragMode, "uxDragManual", "uxDragAutomatic")

enum TuiMouseButton : uint8_t { uxMouseLeft, uxMouseRight, uxMouseMiddle };

// Modifier keys and mouse buttons held during an input event, as bits.
enum TuiShiftFlag : uint16_t {
  uxShift = 1,
  uxAlt = 2,
  uxCtrl = 4,
  uxLeftButton = 8,
  uxRightButton = 16,
  uxMiddleButton = 32,
  uxDouble = 64,
};
using TuiShiftState = uint16_t;

// What a drag carries: the dragged object when the drag started inside a
// scene, and the platform's data otherwise.
struct TuiDragObject {
  TuiObject* Source = nullptr;
  std::string Data;
};

using TuiNotifyEvent = std::function<void(TuiObject* Sender)>;
using TuiMouseEvent =
    std::function<void(TuiObject* Sender, TuiMouseButton Button, TuiShiftState Shift, float X, float Y)>;
using TuiMouseMoveEvent =
    std::function<void(TuiObject* Sender, TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY)>;
using TuiMouseWheelEvent = std::function<void(TuiObject* Sender, TuiShiftState Shift, int WheelDelta,
                                              const TuiPoint& MousePos, bool& Handled)>;
using TuiKeyEvent =
    std::function<void(TuiObject* Sender, uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift)>;
using TuiPaintEvent = std::function<void(TuiObject* Sender, TuiCanvas* Canvas, const TuiRect& ARect)>;
using TuiDragEvent = std::function<void(TuiObject* Sender, const TuiDragObject& Data, const TuiPoint& Point)>;
using TuiDragOverEvent =
    std::function<void(TuiObject* Sender, const TuiDragObject& Data, const TuiPoint& Point, bool& Accept)>;
using TuiCanFocusEvent = std::function<void(TuiObject* Sender, bool& ACanFocused)>;

// The handlers of a visual object's events (TuiVisualObject::Events).
struct TuiVisualEvents {
  TuiMouseEvent OnMouseDown;
  TuiMouseEvent OnMouseUp;
  TuiMouseMoveEvent OnMouseMove;
  TuiMouseWheelEvent OnMouseWheel;
  TuiNotifyEvent OnClick;
  TuiNotifyEvent OnDblClick;
  TuiCanFocusEvent OnCanFocused;
  TuiNotifyEvent OnEnterFocus;
  TuiNotifyEvent OnKillFocus;
  TuiNotifyEvent OnMouseEnter;
  TuiNotifyEvent OnMouseLeave;
  TuiPaintEvent OnBeforePaint;
  TuiPaintEvent OnPaint;
  TuiDragEvent OnDragEnter;
  TuiDragEvent OnDragDrop;
  TuiNotifyEvent OnDragLeave;
  TuiDragOverEvent OnDragOver;
  TuiNotifyEvent OnDragEnd;
  TuiKeyEvent OnKeyDown;
  TuiKeyEvent OnKeyUp;
  TuiNotifyEvent OnApplyResource;
};

// The context-menu key.
constexpr uint16_t uxKeyApps = 93;

// The canvas side of painting. It lives above the canvas contract
// (scene2d/paint) and installs itself in TuiVisualObject::PaintDriver, so
// that this library calls no canvas operation itself. Without it nothing is
// painted and an automatic drag starts without an image.
class IuxPaintDriver {
 public:
  virtual ~IuxPaintDriver() = default;
  virtual void PaintChildren(TuiVisualObject& Parent) = 0;
  virtual void BeginAutoDrag(TuiVisualObject& Object) = 0;
};

// The text caret is a rectangle shape, and shapes belong to the drawing
// library above this one: its registration (RegisterDraw2dClasses) installs a
// maker in TuiVisualObject::CaretMaker. Without one the caret operations do
// nothing.
class IuxCaretMaker {
 public:
  virtual ~IuxCaretMaker() = default;
  // A hidden caret of the default look, owned by Owner and its child.
  virtual TuiVisualObject* CreateCaret(TuiVisualObject& Owner) = 0;
  virtual void SetCaretColor(TuiVisualObject& Caret, TuiColor Color) = 0;
};

// What a popup menu component offers the objects that show it.
class IuxPopupMenu {
 public:
  virtual ~IuxPopupMenu() = default;
  // The object the menu was opened for.
  virtual void SetPopupComponent(TuiComponent* Component) = 0;
  // Screen pixels.
  virtual void Popup(int32_t X, int32_t Y) = 0;
};

// A 2D object with a place, a size and a look. Its local matrix comes from
// Position, Scale, RotateAngle and RotateCenter; absolute matrix, opacity and
// enabled state chain down the visual tree and are cached, each with a stale
// flag that a change sets over the affected subtree. A parent places its
// aligned children by their Align kind, their Padding and its own Margins.
//
// While the object is loading its setters only store; Loaded() does the
// deferred work. Painting, hit testing and input fill in the hooks marked below.
class TuiVisualObject : public TuiObject {
  UX_CLASS(TuiVisualObject, TuiObject)
  friend class TuiPainter;
  friend class TuiChildIndex;

 public:
  explicit TuiVisualObject(TuiComponent* Owner);
  ~TuiVisualObject() override;

  // ---- place and size ----
  // Scale, RotateCenter, Margins and Padding are made on first request: most
  // objects keep them at their defaults, which the object reads without them.
  TuiPosition* Position() const { return FPosition.get(); }
  TuiPosition* Scale() const { return FScale ? FScale.get() : MakeScale(); }
  // The rotation pivot as a fraction of Width and Height.
  TuiPosition* RotateCenter() const { return FRotateCenter ? FRotateCenter.get() : MakeRotateCenter(); }
  // Inner distances inside which this object places its aligned children.
  TuiBounds* Margins() const { return FMargins ? FMargins.get() : MakeMargins(); }
  // Outer distances this object keeps from the slot its parent gives it.
  TuiBounds* Padding() const { return FPadding ? FPadding.get() : MakePadding(); }

  float Width() const { return FWidth; }
  virtual void SetWidth(float Value);
  float Height() const { return FHeight; }
  virtual void SetHeight(float Value);
  // Degrees, kept in [-180, 360); positive turns clockwise on the screen.
  float RotateAngle() const { return FRotateAngle; }
  void SetRotateAngle(float Value);
  TuiAlign Align() const { return FAlign; }
  virtual void SetAlign(TuiAlign Value);
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);

  virtual void SetBounds(float X, float Y, float AWidth, float AHeight);
  // Places and sizes the object so that it covers R of its parent.
  virtual void SetBoundsRect(const TuiRect& R);

  virtual TuiRect GetLocalRect() const { return {0, 0, FWidth, FHeight}; }
  virtual TuiRect GetClipRect() const { return GetLocalRect(); }
  virtual TuiRect GetBoundsRect() const { return GetLocalRect(); }
  virtual TuiRect GetParentedRect() const;
  // The local area the object and its enabled effects paint in.
  virtual TuiRect GetEffectRect();

  // ---- matrices ----
  const TuiMatrix& LocalMatrix() const { return FLocalMatrix; }
  // Rebuilds the local matrix: rotation about the pivot in unscaled local
  // units, then scale, then Position.
  void UpdateLocalMatrix();
  // local * parent's children matrix * parent's absolute matrix; a root's is
  // its local matrix, the host adds its own placement.
  virtual TuiMatrix GetAbsoluteMatrix();
  // The extra transform between this object and its children.
  virtual TuiMatrix GetChildrenMatrix() const { return IdentityMatrix(); }
  virtual void MatrixChanged();
  // The local rectangle's bounding box in scene coordinates.
  virtual TuiRect GetAbsoluteRect();
  virtual TuiPoint GetAbsoluteScale() const;

  TuiPoint AbsoluteToLocal(const TuiPoint& P);
  TuiPoint LocalToAbsolute(const TuiPoint& P);
  // Directions: the translation is left out.
  TuiVector AbsoluteToLocalVector(TuiVector V);
  TuiVector LocalToAbsoluteVector(TuiVector V);

  // ---- look and state ----
  float Opacity() const { return FOpacity; }
  // Clamped to [0, 1].
  void SetOpacity(float Value);
  // Opacity times the parent's; a disabled object below the first root's
  // direct children fades by 0.8 more at every disabled level.
  virtual float GetAbsoluteOpacity();
  virtual void OpacityChanged();
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // False under a disabled parent. A disabled object loses the host's focus.
  virtual bool GetAbsoluteEnabled();
  virtual bool GetAbsoluteVisible() const;

  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }
  bool HitTest() const { return FHitTest; }
  void SetHitTest(bool Value) { FHitTest = Value; }
  bool ClipChildren() const { return FClipChildren; }
  void SetClipChildren(bool Value);
  bool ClipParent() const { return FClipParent; }
  void SetClipParent(bool Value);
  bool CanClipped() const { return FCanClipped; }
  void SetCanClipped(bool Value) { FCanClipped = Value; }
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value) { FCanFocused = Value; }
  int32_t Cursor() const { return FCursor; }
  // True for the grip a window is resized by: hosts resize the window on a
  // press there and show the diagonal resize cursor over it.
  virtual bool IsSizeGrip() const { return false; }
  void SetCursor(int32_t Value) { FCursor = Value; }
  TuiDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TuiDragMode Value) { FDragMode = Value; }
  bool DragDisableHighlight() const { return FDragDisableHighlight; }
  void SetDragDisableHighlight(bool Value) { FDragDisableHighlight = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; }
  bool DesignHide() const { return FDesignHide; }
  void SetDesignHide(bool Value) { FDesignHide = Value; }
  // A menu component this object does not own; cleared when the menu dies.
  TuiComponent* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TuiComponent* Value);

  bool IsMouseOver() const { return FIsMouseOver; }
  bool IsDragOver() const { return FIsDragOver; }
  bool IsFocused() const { return FIsFocused; }
  bool IsVisible() const { return FVisible; }
  bool HasEffects() const {
    RefreshChildFlags();
    return FHasEffects;
  }

  // ---- effects (children that change how the object is drawn) ----
  // Whether an enabled effect child draws in place of the object, or over it.
  bool HasPaintReplacingEffect() const;
  bool HasAfterEffect() const;
  // The effects' pictures of this object must be made again before they are
  // drawn; the effects code builds them and then calls EffectCacheBuilt.
  bool EffectCacheStale() const { return FEffectCacheStale; }
  void EffectCacheBuilt() { FEffectCacheStale = false; }
  // An effect child was switched on or off or changed a parameter: the flags
  // are counted again, the pictures are stale, and the area is repainted with
  // Effect counted as enabled, so that a glow being switched off is cleared.
  void EffectChildChanged(TuiObject* Effect);

  // ---- alignment ----
  // Places the aligned children. Does nothing while the object is being
  // destroyed, smaller than 2 units either way, already realigning or in an
  // update; while loading it only remembers the size.
  virtual void Realign();
  // Suspend and resume realignment of this object and its visual subtree.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // ---- painting ----
  // Asks the host to repaint the object's update rectangle, unless it or an
  // ancestor is hidden, there is no host, the host's painting is suspended,
  // the object is loading or in an update.
  virtual void Repaint();
  // The scene area a repaint of this object covers: its absolute rectangle,
  // clipped by ancestors that clip their children, grown by the focus glow
  // and, unless it clips its children, united with its visible children's.
  // Cached until InvalidateUpdateRects; without a host just the absolute
  // rectangle.
  virtual TuiRect UpdateRect();
  // Marks the update rectangles of this object and its subtree stale, and the
  // parent's when the object reaches outside an unclipping parent.
  virtual void InvalidateUpdateRects();
  // Paints the children into Canvas(); the painting code installed in
  // PaintDriver does the work.
  virtual void PaintChildren();
  // The canvas the object paints into: the temporary one while its subtree
  // is painted into another canvas, otherwise its host's; none without either.
  TuiCanvas* Canvas() const;
  static IuxPaintDriver* PaintDriver;

  // ---- hit testing ----
  // Whether the scene point lies strictly inside the object's rectangle;
  // shapes with another outline refine it.
  virtual bool PointInObject(float X, float Y);
  // The topmost object of this subtree at the scene point that takes hits:
  // children from the last to the first, then the object itself.
  virtual TuiVisualObject* ObjectByPoint(float X, float Y);
  // Like ObjectByPoint, but only an object whose DragOver accepts the data.
  TuiVisualObject* FindDropTarget(const TuiPoint& P, const TuiDragObject& Data);

  // ---- input; coordinates are local unless said otherwise ----
  virtual void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y);
  virtual void MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY);
  virtual void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y);
  virtual void MouseWheel(TuiShiftState Shift, int WheelDelta, bool& Handled);
  virtual void Click();
  virtual void DblClick();
  virtual void KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift);
  virtual void KeyUp(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift);
  // Offers a navigation key to the visible, enabled children in order until
  // one consumes it (sets it to 0).
  virtual void DialogKey(uint16_t& Key, TuiShiftState Shift);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // Pops up PopupMenu at a screen point.
  virtual void ContextMenu(const TuiPoint& ScreenPoint);
  // Makes the drag image and hands the drag to the host.
  virtual void BeginAutoDrag();
  virtual void DragEnter(const TuiDragObject& Data, const TuiPoint& Point);
  virtual void DragOver(const TuiDragObject& Data, const TuiPoint& Point, bool& Accept);
  virtual void DragDrop(const TuiDragObject& Data, const TuiPoint& Point);
  virtual void DragLeave();
  virtual void DragEnd();

  // ---- text caret (VisualCaret.cpp) ----
  // The bar text controls show at the insertion point: a child made on first
  // use of any of these, owned by this object, never stored, locked and never
  // hit, 3 x 20 units, hidden until shown. Points are in local units.
  void ShowTextCaret();
  void HideTextCaret();
  // Moves the caret to P rounded to whole units, halves to even.
  void SetCaretPosition(const TuiPoint& P);
  // Width P.X, height P.Y.
  void SetCaretSize(const TuiPoint& Size);
  void SetCaretColor(TuiColor Color);
  // None before the first caret operation and once the caret was freed.
  TuiVisualObject* Caret() const { return FCaret; }
  static IuxCaretMaker* CaretMaker;
  // Where the blink comes in. Called when a caret is made under a host that
  // animates carets (IuxScene::GetAnimatedCaret): the animation code gives the
  // caret its blink, a child implementing IuxAnimation whose BindingName is
  // "caret". ShowTextCaret starts that child unless it runs.
  static std::function<void(TuiVisualObject& Caret)> CaretAnimationMaker;
  // ---- animation shortcuts ----
  // Animates the float property at PropertyName from its current value to
  // NewValue with a child animation that frees itself when it finishes.
  void AnimateFloat(const std::string& PropertyName, float NewValue, float Duration = 0.2f,
                    TuiAnimationType Type = uxAnimationIn, TuiInterpolationType Kind = uxInterpolationLinear);
  // The same, returning once the value has arrived: window messages keep
  // running meanwhile (ProcessMessages).
  void AnimateFloatWait(const std::string& PropertyName, float NewValue, float Duration = 0.2f,
                        TuiAnimationType Type = uxAnimationIn,
                        TuiInterpolationType Kind = uxInterpolationLinear);

  // ---- styles ----
  // Looks up and attaches a pending style; controls do, other objects have none.
  virtual void ApplyResource() {}

  // ---- tab order ----
  // The visual children in the order Tab visits them: a child joins at the
  // end when it is added and leaves when it is removed.
  int TabListCount() const { return int(FTabList.size()); }
  TuiVisualObject* TabListItem(int Index) const { return FTabList[size_t(Index)]; }
  // -1 when Child is not in the list.
  int TabListIndexOf(const TuiVisualObject* Child) const;
  // Moves Child to NewIndex, clamped to the list; nothing when it is not there.
  void MoveInTabList(TuiVisualObject* Child, int NewIndex);
  // The TabOrder a stream gave the object, kept until its parent finishes
  // loading; -1 when none was read.
  int16_t StoredTabOrder() const { return FStoredTabOrder; }
  void SetStoredTabOrder(int16_t Value) { FStoredTabOrder = Value; }

  // ---- focus and capture ----
  // Asks the host for the focus, when the object can take it and
  // OnCanFocused agrees.
  void SetFocus();
  // Called by the host, the old object's KillFocus first.
  virtual void EnterFocus();
  virtual void KillFocus();
  bool DisableFocusEffect() const { return FDisableFocusEffect; }
  void SetDisableFocusEffect(bool Value) { FDisableFocusEffect = Value; }
  // All mouse input goes to this object until released.
  void Capture();
  void ReleaseCapture();

  // Load completion: ends the loading state, takes the loaded size as the last
  // aligned one, rebuilds the matrix and realigns.
  void Loaded() override;
  void Notification(TuiComponent* Component, TuiOperation Operation) override;
  void SetScene(IuxScene* Value) override;
  // The tab list goes with the children, in one step.
  void DeleteChildren() override;

  // ---- events ----
  // Exceptions raised by handlers pass to the caller (the host's message loop).
  // Most objects never get a handler, so the handlers live in one block made
  // on the first call of Events(); assign through it. Handlers() reads them
  // and makes nothing: an object without the block answers an empty one.
  TuiVisualEvents& Events();
  const TuiVisualEvents& Handlers() const { return FEvents ? *FEvents : NoEvents; }

  static void DefineProperties(TuiClassBuilder<TuiVisualObject>& C);

 protected:
  void ChildAdded(TuiObject* Child) override;
  void ChildRemoving(TuiObject* Child) override;
  void ChildRemoved(TuiObject* Child) override;
  void ChildrenReordered(TuiObject* Child) override;
  // Style parts (locked, not hit) pass triggers on to their children.
  bool PassesTriggers() const override { return FLocked && !FHitTest; }

  // The paint pass calls these in this order with the canvas's matrix set to
  // the object's absolute one: BeforePaint prepares the canvas state (shapes
  // set their brushes, controls apply their style), Paint draws the object
  // itself, AfterPaint follows its children.
  virtual void BeforePaint() {}
  virtual void Paint() {}
  virtual void AfterPaint() {}
  // Set while the subtree is painted into a canvas other than the host's.
  TuiCanvas* FTempCanvas = nullptr;

  // The look or the place of this object changed: the effect pictures of it
  // and of its ancestors that have effects are stale, since theirs show it.
  virtual void EffectsChanged();
  // The tab list's upkeep as children come and go and loading completes.
  virtual void AddToTabList(TuiVisualObject* Child);
  virtual void RemoveFromTabList(TuiVisualObject* Child);
  // Puts each child whose stored tab order lies inside the list at that
  // index; of two children with the same value the later one wins.
  virtual void RestoreTabOrder();
  // Called whenever a new size is stored, by setters and by alignment.
  virtual void SizeChanged(bool /*WidthChanged*/, bool /*HeightChanged*/) {}
  // The extent of the space the children are placed in, in their units.
  virtual TuiPoint AlignSize() const { return {FWidth, FHeight}; }

  TuiVisualObject* VisualParent() const { return Parent() ? Parent()->Visual() : nullptr; }

  // A descendant took the focus.
  virtual void ChildFocused(TuiVisualObject* /*Child*/) {}
  // Objects that track the mouse (controls) capture it on every press.
  bool AutoCapture() const { return FAutoCapture; }
  void SetAutoCapture(bool Value) { FAutoCapture = Value; }

  // Input state, kept by the input code.
  bool FIsMouseOver = false;
  bool FIsDragOver = false;
  bool FIsFocused = false;
  // True while the subtree is painted into a canvas other than the host's.
  bool FPaintingTo = false;

 private:
  bool InDesigner() const { return IsDesigning(); }
  // The host's painting runs and the object is not loading: only then are
  // update rectangles more than the absolute rectangle.
  bool CanExtendUpdateRect() const;
  void RunTriggers(std::string_view Trigger);
  // The front-most hit among the children, found through the child index;
  // false when the index cannot answer and the children must be walked.
  bool ChildByIndex(float X, float Y, TuiVisualObject*& Hit);

  TuiRect FUpdateRect;
  // This object's entry in its parent's child index, -1 for none.
  int32_t FIndexEntry = -1;
  bool FUpdateRectStale = true;
  // Where the children paint, made by the paint pass for parents of many.
  std::unique_ptr<TuiChildIndex> FChildIndex;
  std::unique_ptr<TuiVisualEvents> FEvents;
  static const TuiVisualEvents NoEvents;
  // Click detection: a left press sets pressed, the next release consumes it;
  // a double click suppresses the click of the release that follows.
  bool FPressed = false;
  bool FDoubleClicked = false;
  bool FAutoCapture = false;
  bool FDisableFocusEffect = false;

 private:
  // Alignment engine (Align.cpp).
  void AlignPass(TuiAlign Kind, TuiRect& Area, const TuiPoint& Size);
  void PlaceChild(TuiVisualObject* Child, TuiAlign Kind, TuiRect& Area, const TuiPoint& Size);
  void FitChild(TuiVisualObject* Child, TuiAlign Kind, const TuiPoint& Size);
  // Stores a place and size given by the parent's alignment, then rebuilds the
  // matrix; the child realigns when its size changed or Always.
  void Place(const TuiPoint& Pos, float AWidth, float AHeight, bool Always);
  void MoveBy(float DeltaX, float DeltaY);

  // A resize realigns the parent when aligned, and this object.
  void RealignAfterResize();
  // Store a size; in a designer a negative one flips the scale instead.
  void StoreWidth(float Value);
  void StoreHeight(float Value);
  void GeometryHolderChanged();
  void EnabledChanged();
  void SetUpdateCountTree(int Value);
  // The caret, made when there is none yet; none without a maker.
  TuiVisualObject* NeedCaret();
  // The flags are exact again after the next refresh; a removal only marks
  // them, so freeing many children never rescans their siblings.
  void RefreshChildFlags() const;
  bool HasClipParentChild() const {
    RefreshChildFlags();
    return FHasClipParentChild;
  }
  // An enabled effect child, or the one EffectChildChanged repaints for.
  bool IsShownEffect(TuiObject* Child) const;
  template <class F>
  void ForVisualSubtree(F&& Action);

  TuiPosition* MakeScale() const;
  TuiPosition* MakeRotateCenter() const;
  TuiBounds* MakeMargins() const;
  TuiBounds* MakePadding() const;
  // The holders' values, their defaults while they are not made.
  TuiPoint ScaleValue() const { return FScale ? FScale->Point() : TuiPoint{1, 1}; }
  TuiPoint RotateCenterValue() const { return FRotateCenter ? FRotateCenter->Point() : TuiPoint{0.5f, 0.5f}; }
  TuiRect MarginsValue() const { return FMargins ? FMargins->Rect() : TuiRect{0, 0, 0, 0}; }
  TuiRect PaddingValue() const { return FPadding ? FPadding->Rect() : TuiRect{0, 0, 0, 0}; }

  // Wider members first and the flags together at the end: this object is
  // made once per shape, so padding costs in every tree.
  mutable std::unique_ptr<TuiBounds> FMargins;
  mutable std::unique_ptr<TuiBounds> FPadding;
  std::unique_ptr<TuiPosition> FPosition;
  mutable std::unique_ptr<TuiPosition> FScale;
  mutable std::unique_ptr<TuiPosition> FRotateCenter;
  TuiObject* FRepaintedEffect = nullptr;  // only during EffectChildChanged
  TuiComponent* FPopupMenu = nullptr;
  // Owned, so its owner hears of its end (Notification) whoever frees it.
  TuiVisualObject* FCaret = nullptr;
  std::vector<TuiVisualObject*> FTabList;
  std::string FHint;
  TuiMatrix FLocalMatrix;
  TuiMatrix FAbsoluteMatrix;
  float FRotateAngle = 0;
  float FWidth = 50;
  float FHeight = 50;
  // The alignment size at the end of the last realignment or load; anchored
  // and scaled children move by the difference to it.
  TuiPoint FLastAligned{50, 50};
  float FOpacity = 1;
  float FAbsoluteOpacity = 1;
  int FUpdateCount = 0;
  int32_t FCursor = 0;
  int16_t FStoredTabOrder = -1;
  TuiAlign FAlign = vaNone;
  TuiDragMode FDragMode = uxDragManual;
  bool FVisible = true;
  bool FAbsoluteMatrixStale = true;
  bool FAbsoluteOpacityStale = true;
  bool FEnabled = true;
  bool FAbsoluteEnabled = true;
  bool FAbsoluteEnabledStale = true;
  bool FRealigning = false;
  mutable bool FHasAlignedChildren = false;
  mutable bool FHasEffects = false;
  // Set as soon as a child may clip this object (ClipParent), so that
  // painting looks for one only then.
  mutable bool FHasClipParentChild = false;
  mutable bool FChildFlagsStale = false;
  bool FEffectCacheStale = true;
  bool FLocked = false;
  bool FDesignHide = false;
  // Set while alignment writes Position, whose change must not rebuild the
  // matrix before the new size is in.
  bool FPlacing = false;
  bool FHitTest = true;
  bool FClipChildren = false;
  bool FClipParent = false;
  bool FCanClipped = true;
  bool FCanFocused = false;
  bool FDragDisableHighlight = false;
  bool FShowHint = false;
};
