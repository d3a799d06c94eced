#include "tests/app/KardoFixture.h"

namespace kardo::testing {
namespace {

struct LevelCase {
  float Level;
  bool Software;  // the sensor box
  unsigned H, L;  // digit patterns
  const char* Leds;
  bool LowBlink;
};

class LevelBands : public KardoTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LevelBands, SetDigitsLedsAndTheLowLevelBlink) {
  const LevelCase& c = GetParam();
  // Start from the other side of the threshold so the blink state really changes.
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", c.LowBlink ? 99 : 0);
  if (c.Software) Settings().FakeCheckBox("HudCheckBox_Sefa1_SoftWare_Sensor").Click();
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", c.Level);
  EXPECT_EQ(Digit('H'), c.H);
  EXPECT_EQ(Digit('L'), c.L);
  EXPECT_EQ(Leds(), c.Leds);
  EXPECT_EQ(Timer(Display(), "Timer_Sefa1").Enabled(), c.LowBlink);
  EXPECT_TRUE(Display().FakeWindow().Visible());
}

// Digit patterns.
constexpr unsigned d0 = 0x3F, d1 = 0x06, d3 = 0x4F, d4 = 0x66, d5 = 0x6D, d6 = 0x7D, d7 = 0x07, d8 = 0x7F,
                   d9 = 0x6F;

INSTANTIATE_TEST_SUITE_P(
    Edges, LevelBands,
    ::testing::Values(
        LevelCase{0, false, d1, d5, "R", true}, LevelCase{15, false, d1, d5, "R", true},
        LevelCase{16, false, d3, d0, "G5", false}, LevelCase{30, false, d3, d0, "G5", false},
        LevelCase{31, false, d4, d5, "G4 G5", false}, LevelCase{44, false, d4, d5, "G4 G5", false},
        LevelCase{45, false, d4, d5, "G4 G5", false}, LevelCase{46, false, d6, d0, "G3 G4 G5", false},
        LevelCase{60, false, d6, d0, "G3 G4 G5", false}, LevelCase{61, false, d8, d0, "G2 G3 G4 G5", false},
        LevelCase{80, false, d8, d0, "G2 G3 G4 G5", false},
        LevelCase{81, false, d9, d9, "G1 G2 G3 G4 G5", false},
        LevelCase{99, false, d9, d9, "G1 G2 G3 G4 G5", false},
        // The software sensor shows the exact level.
        LevelCase{7, true, d0, d7, "R", true}, LevelCase{15, true, d1, d5, "R", true},
        LevelCase{16, true, d1, 0x7D, "G5", false}, LevelCase{44, true, d4, d4, "G4 G5", false},
        LevelCase{45, true, d4, d5, "G4 G5", false}, LevelCase{80, true, d8, d0, "G2 G3 G4 G5", false},
        LevelCase{81, true, d8, d1, "G1 G2 G3 G4 G5", false},
        LevelCase{99, true, d9, d9, "G1 G2 G3 G4 G5", false},
        // A fractional value counts truncated.
        LevelCase{15.9f, false, d1, d5, "R", true}));

TEST_F(KardoTest, LowLevelResetsTheDigitLBlinkSpeedToQuarterSecond) {
  SetTrackBar("HudTrackBar_Sefa1_Blink_L", 700);
  ASSERT_EQ(Settings().FakeLabel("HudLabel_Sefa1_Blink_L").Text, "700");
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", 12);
  EXPECT_EQ(Settings().FakeTrackBar("HudTrackBar_Sefa1_Blink_L").Value(), 250);
  EXPECT_EQ(Settings().FakeLabel("HudLabel_Sefa1_Blink_L").Text, "250");
  EXPECT_EQ(Timer(Display(), "Timer_Sefa1_L").Interval(), 250u);
  EXPECT_EQ(Timer(Display(), "Timer_Sefa1").Interval(), 250u);
}

TEST_F(KardoTest, SensorBoxTakesEffectAtTheNextLevelChangeAndPointsStay) {
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"1.2.");
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", 44);
  ASSERT_EQ(Digit('H'), 0x66u | 0x80);
  ASSERT_EQ(Digit('L'), 0x6Du | 0x80);
  View.WriteLog.clear();
  Settings().FakeCheckBox("HudCheckBox_Sefa1_SoftWare_Sensor").Click();
  EXPECT_TRUE(View.WriteLog.empty());
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", 43);
  EXPECT_EQ(Digit('L'), 0x4Fu | 0x80);
}

// Switching the blink off and on again restarts its period, also when it was
// already running: the digits stay lit a full 250 ms after every low level.
TEST_F(KardoTest, ALowLevelRestartsTheRunningLowLevelBlink) {
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", 10);
  Advance(250);  // first tick paints the digits, the next one blanks them
  Advance(200);
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", 5);
  ASSERT_EQ(Digit('H'), 0x06u);
  Advance(249);
  EXPECT_EQ(Digit('H'), 0x06u) << "the old period would have blanked at 500";
  Advance(1);
  EXPECT_EQ(Digit('H'), 0u);
  EXPECT_EQ(Digit('L'), 0u);
}

}  // namespace
}  // namespace kardo::testing
