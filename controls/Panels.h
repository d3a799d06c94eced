#pragma once

#include "controls/Control.h"

// A control that only shows its style: the backdrop content is grouped on.
class TuiPanel : public TuiControl {
  UX_CLASS(TuiPanel, TuiControl)
 public:
  explicit TuiPanel(TuiComponent* Owner);

  static void DefineProperties(TuiClassBuilder<TuiPanel>& C) {
    C.Default("Width", 120.0f);
    C.Default("Height", 100.0f);
  }
};

// The panel of the heads-up-display look ("hudpanelstyle").
class TuiHudPanel : public TuiPanel {
  UX_CLASS(TuiHudPanel, TuiPanel)
 public:
  explicit TuiHudPanel(TuiComponent* Owner) : TuiPanel(Owner) {}
};

// The button in a window's caption that closes the window's form. It takes no
// capture, so a release reaches it only over it: a press released elsewhere
// stays pending until a later release does. OnClick fires after every release
// that ends a press, whether or not the form was asked to close.
class TuiCloseButton : public TuiControl {
  UX_CLASS(TuiCloseButton, TuiControl)
 public:
  explicit TuiCloseButton(TuiComponent* Owner);

  // Off: the button only fires OnClick (a window handling the close itself).
  bool CloseForm() const { return FCloseForm; }
  void SetCloseForm(bool Value) { FCloseForm = Value; }
  bool Pressed() const { return FPressed; }

  void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  // OnClick belongs to the release rule above, not to the inherited click.
  void Click() override {}

  static void DefineProperties(TuiClassBuilder<TuiCloseButton>& C) {
    C.Property("CloseForm", &TuiCloseButton::CloseForm, &TuiCloseButton::SetCloseForm, true);
    C.Default("Width", 20.0f);
    C.Default("Height", 20.0f);
  }

 private:
  bool FPressed = false;
  bool FCloseForm = true;
};

class TuiHudCloseButton : public TuiCloseButton {
  UX_CLASS(TuiHudCloseButton, TuiCloseButton)
 public:
  explicit TuiHudCloseButton(TuiComponent* Owner) : TuiCloseButton(Owner) {}
};

// The handle a window is resized by. It never gets a press: a host seeing
// IsSizeGrip starts resizing the native window instead.
class TuiSizeGrip : public TuiControl {
  UX_CLASS(TuiSizeGrip, TuiControl)
 public:
  explicit TuiSizeGrip(TuiComponent* Owner) : TuiControl(Owner) {}
  bool IsSizeGrip() const override { return true; }
};

class TuiHudSizeGrip : public TuiSizeGrip {
  UX_CLASS(TuiHudSizeGrip, TuiSizeGrip)
 public:
  explicit TuiHudSizeGrip(TuiComponent* Owner) : TuiSizeGrip(Owner) {}
};
