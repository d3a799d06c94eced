#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "controls/Control.h"
#include "controls/ControlsRegistration.h"
#include "controls/Resources.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/Layouts.h"
#include "scene2d/paint/BufferedScene.h"
#include "scene2d/paint/Painter.h"

// The test sheet, embedded by the build from sheets/teststyle.txt.
std::string_view uxEmbeddedSheet_teststyle();

namespace control_fixtures {

// A control whose class-derived style is "testcontrolstyle"; it counts the
// hook calls and checks that FreeStyle still sees the old style.
class TuiTestControl : public TuiControl {
  UX_CLASS(TuiTestControl, TuiControl)
 public:
  explicit TuiTestControl(TuiComponent* Owner) : TuiControl(Owner) { SetCanFocused(true); }
  int Applied = 0;
  int Freed = 0;
  bool FreedWhileAttached = true;
  using TuiControl::FindPart;

 protected:
  void ApplyStyle() override {
    TuiControl::ApplyStyle();
    ++Applied;
  }
  void FreeStyle() override {
    ++Freed;
    FreedWhileAttached = FreedWhileAttached && StyleObject() && StyleObject()->Parent() == this;
  }
};

// Has no style of its own name anywhere.
class TuiTestControlKind : public TuiTestControl {
  UX_CLASS(TuiTestControlKind, TuiTestControl)
 public:
  using TuiTestControl::TuiTestControl;
};

// The buffered host with a Style of its own.
class TStyledHost : public TuiBufferedScene {
 public:
  TStyledHost() : TuiBufferedScene(200, 200) {}
  ~TStyledHost() override { SetStyle(nullptr); }
  TuiResources* GetStyle() override { return FStyle; }
  void SetStyle(TuiResources* Value) override { uxChangeHostStyle(*this, FStyle, Value); }

 private:
  TuiResources* FStyle = nullptr;
};

// Every test starts with the test sheet as the built-in one, not yet loaded.
class ControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterCairoCanvas();
    TuiPainter::Register();
    RegisterControlClasses();
  }
  void SetUp() override { UseDefaultSheet(uxEmbeddedSheet_teststyle()); }
  void TearDown() override { UseDefaultSheet(uxEmbeddedSheet_teststyle()); }
  static void UseDefaultSheet(std::string_view Data) {
    TuiStyleSheets::FreeDefault();
    TuiStyleSheets::RegisterResource(TuiStyleSheets::DefaultResourceName, Data);
  }
  // A root layout in the host, holding what the test adds.
  TuiVisualObject* Root() {
    if (!FRoot) {
      FRoot = std::make_unique<TuiLayout>(nullptr);
      FRoot->SetBounds(0, 0, 200, 200);
      Host.AddObject(FRoot.get());
    }
    return FRoot.get();
  }
  template <class T>
  T* Add(T* Object) {
    Object->SetParent(Root());
    return Object;
  }

  TStyledHost Host;

 private:
  std::unique_ptr<TuiLayout> FRoot;  // freed before the host
};

}  // namespace control_fixtures
