#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ControlFixtures.h"
#include "controls/Form.h"

// The sheet with the parts buttons, check boxes, radio buttons, panels and
// windows bind to, embedded by the build from sheets/hudteststyle.txt.
std::string_view uxEmbeddedSheet_hudteststyle();

namespace control_fixtures {

// A form that records what its controls ask of it; closing hides the window
// it holds, as the program's forms do.
class TTestForm : public TuiComponent, public IuxForm {
 public:
  explicit TTestForm(std::vector<std::string>& L) : TuiComponent(nullptr), Log(L) {}
  void SetModalResult(int Value) override {
    Log.push_back("modal " + std::to_string(Value));
    Result = Value;
  }
  void Close() override {
    Log.push_back("close");
    if (Window) Window->SetVisible(false);
  }
  int Result = 0;
  TuiVisualObject* Window = nullptr;
  std::vector<std::string>& Log;
};

// The host of a form's window.
class TFormHost : public TStyledHost {
 public:
  TuiComponent* GetComponent() override { return Form; }
  TuiComponent* Form = nullptr;
};

// Every test has the HUD test sheet as the built-in one.
class HudControlTest : public ControlTest {
 protected:
  void SetUp() override { UseDefaultSheet(uxEmbeddedSheet_hudteststyle()); }

  // Mouse input through the host's routing, in scene coordinates.
  void Press(float X, float Y, TuiShiftState Shift = 0) {
    Host.MouseDown(uxMouseLeft, Shift | uxLeftButton, X, Y);
  }
  void Drag(float X, float Y) { Host.MouseMove(uxLeftButton, X, Y); }
  void Release(float X, float Y) { Host.MouseUp(uxMouseLeft, 0, X, Y); }
  void Key(uint16_t Code) {
    char32_t ch = 0;
    Host.KeyDown(Code, ch, 0);
  }

  // What the handlers saw, in order.
  std::vector<std::string> Log;
};

}  // namespace control_fixtures
