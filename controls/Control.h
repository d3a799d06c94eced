#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "draw2d/Brush.h"
#include "scene2d/VisualObject.h"

class TuiAction;
class TuiControlActionLink;

// How many bindings a value may pass through from its first source: deeper
// chains are refused, so that what a layout asks for stays bounded.
inline constexpr int uxMaxBindingDepth = 1000;
inline constexpr std::string_view uxMsgBindingTooDeep = "Binding chain exceeds the limit of 1000 links";

// The base of every styled control. A control paints nothing of its own: its
// look is a style, a tree found by name in a style sheet and cloned into the
// control as its first child, whose named parts the control then drives.
//
// Styles are applied lazily (first paint or first focus) and again after
// SetResource or UpdateResource. A derived class binds its parts in ApplyStyle
// and drops every pointer into the old style in FreeStyle.
class TuiControl : public TuiVisualObject {
  UX_CLASS(TuiControl, TuiVisualObject)
 public:
  explicit TuiControl(TuiComponent* Owner);
  ~TuiControl() override;

  // ---- style ----
  // The style's name; empty lets the class name decide (StyleNameOf).
  const std::string& Resource() const { return FResource; }
  // Always marks the style pending, even for the same name, so that writing
  // the current name fetches a fresh clone; applied at once unless loading
  // or inside BeginUpdate.
  void SetResource(const std::string& Value);
  // The clone currently attached (the first child), or none.
  TuiVisualObject* StyleObject() const { return FStyleObject; }
  bool StylePending() const { return FStylePending; }
  // Looks up, clones and attaches the style when one is pending.
  void ApplyResource() override;
  // Restyles the subtree, then this control.
  void UpdateResource() override;
  // A part of the style by its ResourceName, then the control's own children.
  TuiObject* FindResource(std::string_view Name) override;
  // A part of class T, or none when it is missing or of another class.
  template <class T>
  T* FindPart(std::string_view Name) {
    return dynamic_cast<T*>(FindResource(Name));
  }
  // The class-derived style name: the class name without its three-letter
  // prefix, then "style" (TuiHudLabel: "HudLabelstyle").
  static std::string StyleNameOf(const TuiClassInfo& Class);

  // ---- tab order ----
  // The index in the parent's tab list, -1 outside one.
  int16_t TabOrder() const;
  // While loading only remembered (the parent orders its children when it
  // completes); otherwise a move within the parent's list, clamped to it.
  void SetTabOrder(int16_t Value);

  // ---- data binding ----
  // The control whose data this one mirrors; published by the classes that
  // bind. Binding makes the source push its data at once. A binding that
  // would close a ring is ignored; one that would make a value pass through
  // more than uxMaxBindingDepth bindings is refused with uxMsgBindingTooDeep
  // before anything changes.
  TuiControl* BindingSource() const { return FBindingSource; }
  void SetBindingSource(TuiControl* Value);
  int BoundCount() const { return int(FBoundControls.size() - FBoundHoles); }
  TuiControl* BoundControls(int Index) const;
  // Hands GetData to every bound control's SetData, in binding order, each
  // bound control's own push following before the next one gets the data.
  // A push started inside another one's SetData is queued and run when that
  // SetData returns, so a chain of any length never nests calls. A control
  // that is loading pushes once, when it has loaded.
  void PushData();

  // ---- texts ----
  bool AutoTranslate() const { return FAutoTranslate; }
  void SetAutoTranslate(bool Value) { FAutoTranslate = Value; }
  // The text-translation hook texts and hints pass through when AutoTranslate
  // is on; empty means texts stay as they are.
  static std::function<std::string(const std::string&)> TranslateHook;
  static std::string Translate(const std::string& Text);

  // ---- actions ----
  virtual TuiAction* Action() const;
  // Links the control to Value (none unlinks) and takes over its properties.
  void SetAction(TuiAction* Value);
  // Takes over the action's caption, enabled state, hint, visibility and
  // handler; with CheckDefaults only where the control still has its own
  // defaults.
  virtual void ActionChange(TuiAction* Sender, bool CheckDefaults);
  // The action changed: take it over again when it is this control's.
  virtual void UpdateFromAction(TuiAction* Sender);
  // The text an action's caption maps to; text controls have one.
  virtual std::string ActionText() const { return {}; }
  virtual void SetActionText(const std::string&) {}

  // ---- framework ----
  void EnterFocus() override;
  void Loaded() override;
  void Notification(TuiComponent* Component, TuiOperation Operation) override;

  static void DefineProperties(TuiClassBuilder<TuiControl>& C);

 protected:
  // The new style is attached: bind its parts. The base shows the focus at
  // once and translates the hint; overrides call it first.
  virtual void ApplyStyle();
  // The old style is about to go: forget every pointer into it.
  virtual void FreeStyle() {}
  void BeforePaint() override;
  void Paint() override {}
  bool IsControl() const override { return true; }
  void BeforeDestruction() override;
  // Raises a trigger ("IsFocused", "IsPressed" ...) for the style's animations
  // and effects.
  void RaiseTrigger(std::string_view Trigger);
  // Drops cached pictures of the control and asks for a repaint.
  void Invalidate();

 private:
  // A fresh clone owned by this control, or none.
  TuiVisualObject* LookUpStyle();
  TuiVisualObject* CloneStyle(TuiObject* Found, bool KeepName);
  void BindTo(TuiControl* Bound);
  void Unbind(TuiControl* Bound);
  void SweepBound();
  // The levels of bound controls below this one, counted up to Limit + 1.
  int BoundHeight(int Limit) const;
  static void RunPushes();
  static void EndPush();

  TuiVisualObject* FStyleObject = nullptr;
  bool FStylePending = true;
  // Each bound control knows its slot here; leaving leaves a hole, swept
  // out when holes make up half the list and no push is walking it.
  std::vector<TuiControl*> FBoundControls;
  size_t FBoundHoles = 0;
  size_t FBindingSlot = 0;
  int FPushesUnderWay = 0;
  bool FPushPending = false;
  TuiControl* FBindingSource = nullptr;
  bool FAutoTranslate = false;
  TuiControlActionLink* FActionLink = nullptr;
  std::string FResource;
};

// A control that fills its rectangle with a brush: the root class of style
// sheets, and a plain backdrop elsewhere.
class TuiBackground : public TuiControl {
  UX_CLASS(TuiBackground, TuiControl)
 public:
  explicit TuiBackground(TuiComponent* Owner);
  ~TuiBackground() override;

  TuiBrush* Fill() const { return FFill.get(); }
  void SetFill(const TuiBrush& Value);

  static void DefineProperties(TuiClassBuilder<TuiBackground>& C) { C.Object("Fill", &TuiBackground::Fill); }

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TuiBrush> FFill;
};
