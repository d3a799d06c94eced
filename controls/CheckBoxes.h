#pragma once

#include <cstdint>
#include <string>

#include "controls/TextControls.h"

template <class T>
struct TuiToggleInput;

// A box that is checked and unchecked by a release inside it, by Enter or
// Space. The click comes first: OnClick still sees the old IsChecked, OnChange
// then the new one. The style hears "IsPressed" and "IsChecked" through its
// animations only, never its effects.
class TuiCheckBox : public TuiTextControl {
  UX_CLASS(TuiCheckBox, TuiTextControl)
 public:
  explicit TuiCheckBox(TuiComponent* Owner);

  bool IsPressed() const { return FIsPressed; }
  bool IsChecked() const { return FIsChecked; }
  // A different value is stored, shown and reported by OnChange.
  void SetIsChecked(bool Value);

  void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) override;
  void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) override;

  TuiData GetData() override { return FIsChecked; }
  // A Boolean is the new IsChecked; anything else unchecks.
  void SetData(const TuiData& Value) override;

  TuiNotifyEvent OnChange;

  static void DefineProperties(TuiClassBuilder<TuiCheckBox>& C);

 protected:
  void ApplyStyle() override;

 private:
  friend struct TuiToggleInput<TuiCheckBox>;
  bool FPressing = false;
  bool FIsPressed = false;
  bool FIsChecked = false;
};

// The check box of the heads-up-display look ("hudcheckboxstyle").
class TuiHudCheckBox : public TuiCheckBox {
  UX_CLASS(TuiHudCheckBox, TuiCheckBox)
 public:
  explicit TuiHudCheckBox(TuiComponent* Owner) : TuiCheckBox(Owner) {}
};

// A check box that belongs to a group: every radio button of the host's whole
// tree with the same GroupName (compared exactly; empty names are equal).
// Checking one unchecks the others, whose OnChange fire before its own; a
// radio button is never unchecked by itself, only by checking another.
class TuiRadioButton : public TuiTextControl {
  UX_CLASS(TuiRadioButton, TuiTextControl)
 public:
  explicit TuiRadioButton(TuiComponent* Owner);

  bool IsPressed() const { return FIsPressed; }
  bool IsChecked() const { return FIsChecked; }
  void SetIsChecked(bool Value);
  const std::string& GroupName() const { return FGroupName; }
  void SetGroupName(const std::string& Value) { FGroupName = Value; }

  void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) override;
  void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) override;

  TuiData GetData() override { return FIsChecked; }
  void SetData(const TuiData& Value) override;

  TuiNotifyEvent OnChange;

  static void DefineProperties(TuiClassBuilder<TuiRadioButton>& C);

 protected:
  void ApplyStyle() override;

 private:
  friend struct TuiToggleInput<TuiRadioButton>;
  bool FPressing = false;
  bool FIsPressed = false;
  bool FIsChecked = false;
  std::string FGroupName;
};

// The radio button of the heads-up-display look ("hudradiobuttonstyle").
class TuiHudRadioButton : public TuiRadioButton {
  UX_CLASS(TuiHudRadioButton, TuiRadioButton)
 public:
  explicit TuiHudRadioButton(TuiComponent* Owner) : TuiRadioButton(Owner) {}
};
