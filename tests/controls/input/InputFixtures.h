#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "controls/ControlsRegistration.h"
#include "controls/Resources.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/Layouts.h"
#include "scene2d/paint/BufferedScene.h"
#include "scene2d/paint/Painter.h"

// The sheet with the track bar, thumb and text box styles, embedded by the
// build from sheets/inputstyle.txt.
std::string_view uxEmbeddedSheet_inputstyle();

namespace input_fixtures {

// A host with a root layout; every test starts with the input sheet as the
// built-in one, not yet loaded.
class InputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterCairoCanvas();
    TuiPainter::Register();
    RegisterControlClasses();
  }
  void SetUp() override { UseSheet(); }
  // The tree goes first, while the test's own members that its handlers
  // reach are still alive: a focused box commits as it leaves the host.
  void TearDown() override {
    FRoot.reset();
    UseSheet();
  }
  static void UseSheet() {
    TuiStyleSheets::FreeDefault();
    TuiStyleSheets::RegisterResource(TuiStyleSheets::DefaultResourceName, uxEmbeddedSheet_inputstyle());
  }
  TuiVisualObject* Root() {
    if (!FRoot) {
      FRoot = std::make_unique<TuiLayout>(nullptr);
      FRoot->SetBounds(0, 0, 300, 200);
      Host.AddObject(FRoot.get());
    }
    return FRoot.get();
  }
  template <class T>
  T* Add(T* Object, float X, float Y, float Width, float Height) {
    Object->SetParent(Root());
    Object->SetBounds(X, Y, Width, Height);
    return Object;
  }
  void Press(uint16_t Key, char32_t Char = 0, TuiShiftState Shift = 0) { Host.KeyDown(Key, Char, Shift); }
  void Type(std::u16string_view Text) {
    for (char16_t c : Text) Press(0, c);
  }
  void Click(float X, float Y, TuiShiftState Shift = 0) {
    Host.MouseDown(uxMouseLeft, Shift | uxLeftButton, X, Y);
    Host.MouseUp(uxMouseLeft, Shift, X, Y);
  }

  TuiBufferedScene Host{300, 200};

 private:
  std::unique_ptr<TuiLayout> FRoot;  // freed before the host
};

}  // namespace input_fixtures
