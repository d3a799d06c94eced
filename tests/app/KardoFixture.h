#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Kardo.h"
#include "app/testing/FakeKardoView.h"

namespace kardo::testing {

// The simulator started against the fake view: the console and the settings
// window are shown, as after the message loop's first steps.
class KardoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App = std::make_unique<TKardo>(View);
    App->Run();
  }

  TFakeForm& Console() { return View.Form("TForm_3D_Kardo"); }
  TFakeForm& Settings() { return View.Form("TForm_3D_Set"); }
  TFakeForm& Display() { return View.Form("TForm_3D_SEFA1"); }

  void Click(const char* Name) { Settings().FakePressable(Name).Click(); }
  void Advance(uint64_t Ms) { View.Clock.Advance(Ms); }
  void SetTrackBar(const char* Name, float Value) { Settings().FakeTrackBar(Name).SetValue(Value); }
  TFakeTimer& Timer(TFakeForm& Form, const char* Name) { return Form.FakeTimer(Name); }

  // The lit LEDs in the fixed order "G1 G2 G3 G4 G5 Y R". An LED in a colour that
  // is neither its lit colour nor the unlit grey shows as "G1?".
  std::string Leds() {
    struct Led {
      const char* Shape;
      const char* Short;
      const char* Lit;
    };
    static const Led leds[] = {{"Circle_LG1", "G1", "#FF00FF00"}, {"Circle_LG2", "G2", "#FF00FF00"},
                               {"Circle_LG3", "G3", "#FF00FF00"}, {"Circle_LG4", "G4", "#FF00FF00"},
                               {"Circle_LG5", "G5", "#FF00FF00"}, {"Circle_LY", "Y", "#FFFFFF00"},
                               {"Circle_LR", "R", "#FFFF0000"}};
    std::string out;
    for (const Led& l : leds) {
      const std::string& c = Console().FakeShape(l.Shape).FillColor();
      if (c == "#FF3E3E3E") continue;
      if (!out.empty()) out += ' ';
      out += l.Short;
      if (c != l.Lit) out += '?';
    }
    return out;
  }

  // The pattern digit 'H' or 'L' shows: bit 0 to 6 segments A to G, bit 7 the
  // point; a segment in any colour but lit red or unlit grey gives 0xFFFF.
  unsigned Digit(char HL) {
    static const char* segments[8] = {"A", "B", "C", "D", "E", "F", "G", "Dp"};
    unsigned pattern = 0;
    for (int bit = 0; bit < 8; ++bit) {
      const std::string name = std::string("RoundRect_Sefa1") + HL + "_" + segments[bit];
      const std::string& c = Display().FakeShape(name).FillColor();
      if (c == "#FFFF0000")
        pattern |= 1u << bit;
      else if (c != "#FF3E3E3E")
        return 0xFFFF;
    }
    return pattern;
  }

  TFakeKardoView View;
  std::unique_ptr<TKardo> App;
};

}  // namespace kardo::testing
