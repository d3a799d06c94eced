#include <map>
#include <string>

#include "tests/app/KardoFixture.h"

namespace kardo::testing {
namespace {

constexpr unsigned dA = 0x77, dG = 0x3D, dP = 0x73, dDash = 0x40;

TEST_F(KardoTest, AutomatLightsYellowBlinksGreen1AndBlinksGOnDigitL) {
  Click("HudRadioButton_Automat");
  EXPECT_EQ(Leds(), "Y");
  EXPECT_EQ(Digit('H'), dA);
  EXPECT_EQ(Digit('L'), dG);
  EXPECT_TRUE(Display().FakeWindow().Visible());
  EXPECT_TRUE(Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_L").IsChecked());
  // Green 1 blinks at Timer_LG1's unchanged 1000 ms, G at the Blink L bar's 250.
  Advance(250);
  EXPECT_EQ(Digit('L'), dG) << "first tick of the G blink paints it";
  Advance(250);
  EXPECT_EQ(Digit('L'), 0u);
  Advance(500);
  EXPECT_EQ(Leds(), "G1 Y");
  // Unchecking Blink L stops the G in whatever phase it had.
  Advance(250);
  Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_L").Click();
  Advance(1000);
  EXPECT_EQ(Digit('L'), dG);
}

TEST_F(KardoTest, AnEffectAfterAutomatStopsTheGreen1BlinkAndTheBlinkingG) {
  Click("HudRadioButton_Automat");
  Advance(1000);
  Click("HudRadioButton_Effects_Connect");
  EXPECT_EQ(Settings().CheckedRadio(), "HudRadioButton_Effects_Connect");
  EXPECT_EQ(Digit('H'), 0u) << "an effect start leaves the display blank";
  EXPECT_EQ(Digit('L'), 0u);
  EXPECT_FALSE(Timer(Console(), "Timer_LG1").Enabled());
  EXPECT_FALSE(Timer(Display(), "Timer_Sefa1_L").Enabled());
  Advance(80 * 7);
  EXPECT_EQ(Leds(), "G1") << "only Connect writes the LEDs now";
  EXPECT_EQ(Digit('L'), 0u);
}

TEST_F(KardoTest, PetrolAndGasModes) {
  Click("HudRadioButton_Petrol");
  EXPECT_EQ(Leds(), "Y");
  EXPECT_EQ(Digit('H'), dP);
  EXPECT_EQ(Digit('L'), 0u);
  Click("HudRadioButton_Gas");
  EXPECT_EQ(Leds(), "G1 G2 G3 G4 G5") << "the stored level 99";
  EXPECT_EQ(Digit('H'), 0x6Fu);
  EXPECT_EQ(Digit('L'), 0x6Fu);
}

TEST_F(KardoTest, OperatingModes) {
  Click("HudRadioButton_SW_Wait_Etalon");
  EXPECT_EQ(Timer(Console(), "Timer_Leds").Interval(), 400u);
  EXPECT_EQ(Digit('H'), dDash);
  EXPECT_EQ(Digit('L'), dDash);
  Advance(400);
  EXPECT_EQ(Leds(), "G1 G2 G3 G4 G5 Y R");
  Advance(400);
  EXPECT_EQ(Leds(), "");

  Click("HudRadioButton_SW_Wait_Work");
  EXPECT_EQ(Timer(Console(), "Timer_Leds").Interval(), 150u);
  EXPECT_EQ(Digit('H'), 0u);
  EXPECT_EQ(Digit('L'), dG);
  Advance(150);
  EXPECT_EQ(Leds(), "G1 G2 G3 G4 G5 Y R");
  Advance(100);
  EXPECT_EQ(Digit('L'), dG) << "the G blink starts lit at 250";
  Advance(250);
  EXPECT_EQ(Digit('L'), 0u);

  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", 47);
  Click("HudRadioButton_SW_Work_Mode");
  EXPECT_TRUE(Settings().FakeCheckBox("HudCheckBox_Sefa1_SoftWare_Sensor").IsChecked());
  EXPECT_EQ(Digit('H'), 0x66u);
  EXPECT_EQ(Digit('L'), 0x07u);
  EXPECT_EQ(Leds(), "G3 G4 G5");
  Advance(5000);
  EXPECT_EQ(Leds(), "G3 G4 G5") << "every LED timer stopped";
  EXPECT_EQ(Settings().CheckedRadio(), "HudRadioButton_SW_Work_Mode");
}

TEST_F(KardoTest, FuelButtonStepsAutomatNothingPetrolWithoutMovingTheRadioMark) {
  Click("HudRadioButton_Gas");
  TFakePressable& picture = Console().FakePressable("Image_Kardo");
  picture.MouseDown();
  EXPECT_EQ(Leds(), "Y");
  EXPECT_EQ(Digit('H'), dA);
  EXPECT_TRUE(Timer(Console(), "Timer_LG1").Enabled());
  picture.MouseDown(TViewMouseButton::Right);  // any button; the second step does nothing
  EXPECT_EQ(Digit('H'), dA);
  EXPECT_TRUE(Timer(Console(), "Timer_LG1").Enabled());
  Console().FakePressable("CircleButton1").Click();  // the round button shares the count
  EXPECT_EQ(Digit('H'), dP);
  EXPECT_FALSE(Timer(Console(), "Timer_LG1").Enabled());
  picture.MouseDown();
  EXPECT_EQ(Digit('H'), dA);
  EXPECT_EQ(Settings().CheckedRadio(), "HudRadioButton_Gas");
}

TEST_F(KardoTest, DoubleClickOnThePictureStepsTwiceAndBringsBackTheSettings) {
  Settings().FakeWindow().Close();
  TFakePressable& picture = Console().FakePressable("Image_Kardo");
  picture.MouseDown();
  picture.MouseDown();
  picture.DblClick();
  EXPECT_EQ(App->Form_3D_Kardo->FuelButtonCount, 3);
  EXPECT_TRUE(Settings().FakeWindow().Visible());
  // The hidden label under the picture also brings it back.
  Settings().FakeWindow().Close();
  Console().FakePressable("HudLabel1").MouseDown();
  EXPECT_TRUE(Settings().FakeWindow().Visible());
  EXPECT_EQ(App->Form_3D_Kardo->FuelButtonCount, 3);
}

TEST_F(KardoTest, TimersAndLedsOffKeepsEveryControlAndStoredDigit) {
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"4.2");
  Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_H").Click();
  Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_L").Click();
  Settings().FakeCheckBox("HudCheckBox_LED_R").Click();
  Click("HudRadioButton_Effects_Attention");
  Advance(600);
  Click("HudButton_TMR_and_Leds_Off");
  EXPECT_EQ(Leds(), "");
  EXPECT_EQ(Digit('H'), 0x80u) << "blank, the point flag still set";
  for (const char* box : {"HudCheckBox_Sefa1_Blink_H", "HudCheckBox_Sefa1_Blink_L", "HudCheckBox_LED_R"})
    EXPECT_TRUE(Settings().FakeCheckBox(box).IsChecked()) << box;
  EXPECT_EQ(Settings().CheckedRadio(), "HudRadioButton_Effects_Attention");
  for (const char* t : {"Timer_Sefa1_H", "Timer_Sefa1_L", "Timer_Sefa1"})
    EXPECT_FALSE(Timer(Display(), t).Enabled()) << t;
  Advance(10000);
  EXPECT_EQ(Leds(), "");
  // Unchecking and checking again restarts a digit blink from the stored digit.
  Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_H").Click();
  Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_H").Click();
  Advance(500);
  EXPECT_EQ(Digit('H'), 0x66u | 0x80);
}

TEST_F(KardoTest, LedCheckBoxesLightTheirLedUntilAnEffectOverwritesIt) {
  struct Row {
    const char* Box;
    const char* Led;
  };
  for (Row r :
       {Row{"HudCheckBox_LED_Y", "Y"}, Row{"HudCheckBox_LED_G1", "G1"}, Row{"HudCheckBox_LED_G2", "G2"},
        Row{"HudCheckBox_LED_G3", "G3"}, Row{"HudCheckBox_LED_G4", "G4"}, Row{"HudCheckBox_LED_G5", "G5"},
        Row{"HudCheckBox_LED_R", "R"}}) {
    Settings().FakeCheckBox(r.Box).Click();
    EXPECT_EQ(Leds(), r.Led);
    Settings().FakeCheckBox(r.Box).Click();
    EXPECT_EQ(Leds(), "");
  }
  Click("HudRadioButton_Effects_Green_Blink");
  Settings().FakeCheckBox("HudCheckBox_LED_R").Click();
  EXPECT_TRUE(Timer(Console(), "Timer_Leds").Enabled()) << "the boxes stop no timer";
  Advance(100);
  EXPECT_EQ(Leds(), "G1 G2 G3 G4 G5 R") << "Green blink's lit phase leaves red alone";
  Advance(100);
  EXPECT_EQ(Leds(), "") << "its dark phase puts red out too";
}

TEST_F(KardoTest, Green1SwitchesStopTheRunningEffect) {
  struct Row {
    const char* Button;
    bool Blinks;       // Timer_LG1 afterwards
    const char* Leds;  // right after the click
  };
  for (Row r : {Row{"HudRadioButton_LG1_on", false, "G1"}, Row{"HudRadioButton_LG1_Off", false, ""},
                Row{"HudRadioButton_LG1_Blink", true, ""}}) {
    Click("HudRadioButton_Effects_Green_Blink");
    Advance(100);
    ASSERT_EQ(Leds(), "G1 G2 G3 G4 G5");
    Click(r.Button);
    EXPECT_FALSE(Timer(Console(), "Timer_Leds").Enabled()) << r.Button;
    EXPECT_EQ(Timer(Console(), "Timer_LG1").Enabled(), r.Blinks) << r.Button;
    // Only G1 is written; the effect's other LEDs stay as its last tick left them.
    EXPECT_EQ(Leds(), std::string(r.Leds) + (*r.Leds ? " " : "") + "G2 G3 G4 G5") << r.Button;
  }
}

// Each bar shows its value in its own label and retimes its own timer; the
// other labels keep their text.
TEST_F(KardoTest, EverySpeedBarWritesItsOwnLabelAndTimer) {
  struct Row {
    const char* Bar;
    const char* Label;
    bool OnDisplay;  // the timer is the display's, else the console's
    const char* Timer;
  };
  const Row rows[] = {
      {"HudTrackBar_LG1", "HudLabel_LG1_Timer", false, "Timer_LG1"},
      {"HudTrackBar_Effects_Connect", "HudLabel_Effects_Connect", false, "Timer_Leds"},
      {"HudTrackBar_Effects_Blink", "HudLabel_Effects_Blink", false, "Timer_Leds"},
      {"HudTrackBar_Effects_Green_Blink", "HudLabel_Effects_Green_Blink", false, "Timer_Leds"},
      {"HudTrackBar_Effects_Attention", "HudLabel_Effects_Attention", false, "Timer_Leds"},
      {"HudTrackBar_Effects_On_Line", "HudLabel_Effects_On_Line", false, "Timer_Leds"},
      {"HudTrackBar_Effects_Run_Line", "HudLabel_Effects_Run_Line", false, "Timer_Leds"},
      {"HudTrackBar_Sefa1_Blink_H", "HudLabel_Sefa1_Blink_H", true, "Timer_Sefa1_H"},
      {"HudTrackBar_Sefa1_Blink_L", "HudLabel_Sefa1_Blink_L", true, "Timer_Sefa1_L"},
  };
  uint32_t value = 11;
  for (const Row& r : rows) {
    std::map<std::string, std::string> before;
    for (const Row& o : rows) before[o.Label] = Settings().FakeLabel(o.Label).Text;
    SetTrackBar(r.Bar, value + 0.9f);
    EXPECT_EQ(Settings().FakeLabel(r.Label).Text, std::to_string(value)) << r.Bar;
    EXPECT_EQ(Timer(r.OnDisplay ? Display() : Console(), r.Timer).Interval(), value) << r.Bar;
    for (const Row& o : rows) {
      if (&o == &r) continue;
      EXPECT_EQ(Settings().FakeLabel(o.Label).Text, before[o.Label]) << r.Bar << " wrote " << o.Label;
    }
    value += 11;
  }
}

// A blink that an action starts begins with the lit phase, whatever phase an
// earlier blink stopped in.
TEST_F(KardoTest, ActionsThatStartABlinkResetItsPhase) {
  struct Row {
    const char* Action;
    const char* Blink;  // the check box or radio button that leaves the phase at "dark next"
    bool Green1;        // the green-1 blink, else digit L's blink
  };
  for (Row r : {Row{"HudRadioButton_Automat", "HudRadioButton_LG1_Blink", true},
                Row{"HudRadioButton_Automat", "HudCheckBox_Sefa1_Blink_L", false},
                Row{"HudRadioButton_SW_Wait_Work", "HudCheckBox_Sefa1_Blink_L", false}}) {
    Click("HudButton_TMR_and_Leds_Off");
    TFakeCheckBox& blinkL = Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_L");
    if (blinkL.IsChecked()) blinkL.Click();
    if (r.Green1) {
      Click(r.Blink);
      Advance(1000);  // one tick: G1 lit, the next one puts it out
      ASSERT_EQ(Leds(), "G1");
    } else {
      blinkL.Click();
      Advance(250);  // one tick of Timer_Sefa1_L
    }
    Click(r.Action);
    if (r.Green1) {
      Advance(1000);
      EXPECT_EQ(Leds(), "G1 Y") << r.Action << ": the first green-1 tick lights";
    } else {
      Advance(250);
      EXPECT_EQ(Digit('L'), 0x3Du) << r.Action << ": the first digit-L tick paints G";
      Advance(250);
      EXPECT_EQ(Digit('L'), 0u) << r.Action;
    }
  }
}

}  // namespace
}  // namespace kardo::testing
