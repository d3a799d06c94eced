#pragma once

#include <cstdint>
#include <memory>

#include "controls/TextControls.h"
#include "platform/TimerSource.h"

// A push button: pressed while the left button is held over it, clicked by a
// release inside, by Enter or Space. Its state reaches the style only through
// the "IsPressed" trigger (and the focus and hover triggers of every control).
class TuiCustomButton : public TuiTextControl {
  UX_CLASS(TuiCustomButton, TuiTextControl)
 public:
  explicit TuiCustomButton(TuiComponent* Owner);
  ~TuiCustomButton() override;

  // The pressed look. Written from outside it changes only a toggle button
  // (StaysPressed); other buttons follow the mouse alone.
  bool IsPressed() const { return FIsPressed; }
  void SetIsPressed(bool Value);
  // A toggle button: each press inverts IsPressed, moves and releases leave it.
  bool StaysPressed() const { return FStaysPressed; }
  void SetStaysPressed(bool Value) { FStaysPressed = Value; }
  // Not 0: a click hands it to the form holding the scene first.
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int Value) { FModalResult = Value; }
  // Held down, the button clicks 500 ms after the press and every 100 ms on.
  bool RepeatClick() const { return FRepeatClick; }
  void SetRepeatClick(bool Value) { FRepeatClick = Value; }

  void Click() override;
  void DblClick() override;
  void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) override;
  void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) override;

  // A button lends its text to bound controls but takes nothing from its
  // source: handlers cannot travel as data values here.
  void SetData(const TuiData&) override {}

  static void DefineProperties(TuiClassBuilder<TuiCustomButton>& C);

 protected:
  void ApplyStyle() override;

 private:
  void StartRepeat();
  void StopRepeat();

  bool FPressing = false;
  bool FIsPressed = false;
  int FModalResult = 0;
  bool FStaysPressed = false;
  // The first delay and the steady rate as two timers, since a platform
  // timer keeps the interval it was made with.
  std::unique_ptr<platform::ITimer> FRepeatDelay;
  std::unique_ptr<platform::ITimer> FRepeatTimer;
  bool FRepeatClick = false;
};

// A push button that answers dialog keys: Enter when Default, Escape when
// Cancel.
class TuiButton : public TuiCustomButton {
  UX_CLASS(TuiButton, TuiCustomButton)
 public:
  explicit TuiButton(TuiComponent* Owner) : TuiCustomButton(Owner) {}

  bool Default() const { return FDefault; }
  void SetDefault(bool Value) { FDefault = Value; }
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }

  void DialogKey(uint16_t& Key, TuiShiftState Shift) override;

  static void DefineProperties(TuiClassBuilder<TuiButton>& C) {
    C.Property("Default", &TuiButton::Default, &TuiButton::SetDefault, false);
    C.Property("Cancel", &TuiButton::Cancel, &TuiButton::SetCancel, false);
  }

 private:
  bool FDefault = false;
  bool FCancel = false;
};

// The round button ("circlebuttonstyle").
class TuiCircleButton : public TuiButton {
  UX_CLASS(TuiCircleButton, TuiButton)
 public:
  explicit TuiCircleButton(TuiComponent* Owner);

  static void DefineProperties(TuiClassBuilder<TuiCircleButton>& C) {
    C.Default("Width", 21.0f);
    C.Default("Height", 21.0f);
  }
};

// The push button of the heads-up-display look ("hudbuttonstyle").
class TuiHudButton : public TuiButton {
  UX_CLASS(TuiHudButton, TuiButton)
 public:
  explicit TuiHudButton(TuiComponent* Owner) : TuiButton(Owner) {}
};
