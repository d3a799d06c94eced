#pragma once

#include <functional>
#include <string>

#include "app/KardoView.h"

class TuiCheckBox;
class TuiCustomTextBox;
class TuiCustomTrack;
class TuiLayout;
class TuiShape;
class TuiTextControl;
class TuiTimer;
class TuiVisualObject;

// The view contract over the objects a layout was read into. Each element is
// a thin handle on one loaded object; the form that owns both raises the
// element's events from its stored handlers, so the logic sees the control's
// own event order (a radio button's click before its mark moves, a track
// bar's change during a drag).
namespace kardo {

class TLayoutView : public ILayoutView {
 public:
  explicit TLayoutView(TuiLayout& Layout) : FLayout(Layout) {}
  float Width() const override;
  void SetWidth(float Value) override;
  float Height() const override;
  void SetHeight(float Value) override;
  void SetPosition(float X, float Y) override;
  void SetScale(float X, float Y) override;

 private:
  TuiLayout& FLayout;
};

class TTimerView : public ITimerView {
 public:
  explicit TTimerView(TuiTimer& Timer) : FTimer(Timer) {}
  uint32_t Interval() const override;
  void SetInterval(uint32_t Value) override;
  bool Enabled() const override;
  void SetEnabled(bool Value) override;

 private:
  TuiTimer& FTimer;
};

// A fill written as a colour text. Changed hears every write that changes the
// colour, with the object's name and the colour's printed form.
class TShapeView : public IShapeView {
 public:
  using TChanged = std::function<void(const std::string& Object, const std::string& Fill)>;
  TShapeView(TuiShape& Shape, TChanged Changed) : FShape(Shape), FChanged(std::move(Changed)) {}
  void SetFillColor(std::string_view ColorText) override;

 private:
  TuiShape& FShape;
  TChanged FChanged;
};

class TLabelView : public ILabelView {
 public:
  explicit TLabelView(TuiTextControl& Label) : FLabel(Label) {}
  void SetText(std::string_view Value) override;

 private:
  TuiTextControl& FLabel;
};

class TTrackBarView : public ITrackBarView {
 public:
  explicit TTrackBarView(TuiCustomTrack& Track) : FTrack(Track) {}
  float Value() const override;
  void SetValue(float Value) override;

 private:
  TuiCustomTrack& FTrack;
};

class TCheckBoxView : public ICheckBoxView {
 public:
  explicit TCheckBoxView(TuiCheckBox& Box) : FBox(Box) {}
  bool IsChecked() const override;
  void SetIsChecked(bool Value) override;

 private:
  TuiCheckBox& FBox;
};

class TTextBoxView : public ITextBoxView {
 public:
  explicit TTextBoxView(TuiCustomTextBox& Box) : FBox(Box) {}
  std::u16string Text() const override;

 private:
  TuiCustomTextBox& FBox;
};

// Whatever can be pressed: its events are raised by the form.
class TPressableView : public IPressableView {
 public:
  explicit TPressableView(TuiVisualObject& Object) : FObject(Object) {}
  TuiVisualObject& Object() const { return FObject; }

 private:
  TuiVisualObject& FObject;
};

}  // namespace kardo
