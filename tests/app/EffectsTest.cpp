#include <vector>

#include "tests/app/KardoFixture.h"

namespace kardo::testing {
namespace {

struct EffectCycle {
  const char* Button;
  uint32_t Speed;  // the effect's stored speed in ms
  std::vector<const char*> Cycle;
};

class EffectCycles : public KardoTest, public ::testing::WithParamInterface<EffectCycle> {};

// Two full cycles from the start, tick by tick, at the effect's stored speed.
TEST_P(EffectCycles, RunTheirPatternTickByTick) {
  const EffectCycle& e = GetParam();
  Click(e.Button);
  EXPECT_EQ(Leds(), "") << "an effect start puts every LED out";
  EXPECT_EQ(Timer(Console(), "Timer_Leds").Interval(), e.Speed);
  Advance(e.Speed - 1);
  EXPECT_EQ(Leds(), "") << "nothing before the first tick";
  Advance(1);
  for (int round = 0; round < 2; ++round) {
    for (size_t tick = 0; tick < e.Cycle.size(); ++tick) {
      EXPECT_EQ(Leds(), e.Cycle[tick]) << e.Button << " round " << round << " tick " << tick + 1;
      Advance(e.Speed);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllSix, EffectCycles,
    ::testing::Values(
        EffectCycle{"HudRadioButton_Effects_Connect", 80, {"Y", "R", "G5", "G4", "G3", "G2", "G1"}},
        EffectCycle{"HudRadioButton_Effects_Blink", 200, {"G1 G2 G3 G4 G5 Y R", ""}},
        EffectCycle{"HudRadioButton_Effects_Green_Blink", 100, {"G1 G2 G3 G4 G5", ""}},
        EffectCycle{"HudRadioButton_Effects_Attention", 200, {"G1 G5", "G2 G4", "G3"}},
        EffectCycle{"HudRadioButton_Effects_On_Line",
                    200,
                    {"G5", "G4 G5", "G3 G4 G5", "G2 G3 G4 G5", "G1 G2 G3 G4 G5", ""}},
        EffectCycle{"HudRadioButton_Effects_Run_Line",
                    200,
                    {"G1", "G2", "G3", "G4", "G5", "G1 G5", "G2 G5", "G3 G5", "G4 G5", "G1 G4 G5", "G2 G4 G5",
                     "G3 G4 G5", "G1 G3 G4 G5", "G2 G3 G4 G5", "G1 G2 G3 G4 G5", ""}}),
    [](const ::testing::TestParamInfo<EffectCycle>& info) {
      return std::string(info.param.Button).substr(sizeof("HudRadioButton_Effects_") - 1);
    });

TEST_F(KardoTest, RunLineEndsItsCycleWithTheLimitBackAtFive) {
  Click("HudRadioButton_Effects_Run_Line");
  Advance(16 * 200);
  EXPECT_EQ(Leds(), "");
  EXPECT_EQ(App->Effects.EffectLimit, 5);
  EXPECT_EQ(App->Effects.EffectStep, 0);
}

TEST_F(KardoTest, SpeedZeroFreezesTheEffectUntilASpeedIsSet) {
  Click("HudRadioButton_Effects_Connect");
  Advance(80 * 3);
  ASSERT_EQ(Leds(), "G5");
  SetTrackBar("HudTrackBar_Effects_Connect", 0);
  EXPECT_TRUE(Timer(Console(), "Timer_Leds").Enabled());
  Advance(60000);
  EXPECT_EQ(Leds(), "G5");
  // Any effect's bar sets the speed of whichever effect runs.
  SetTrackBar("HudTrackBar_Effects_Run_Line", 30);
  EXPECT_EQ(Settings().FakeLabel("HudLabel_Effects_Run_Line").Text, "30");
  Advance(30);
  EXPECT_EQ(Leds(), "G4");
}

TEST_F(KardoTest, AttentionStartedDuringOnLinePutsNothingOutFirst) {
  Click("HudRadioButton_Effects_On_Line");
  Advance(200 * 3);
  ASSERT_EQ(Leds(), "G3 G4 G5");
  // Checking an LED by hand: the first Attention tick must not touch it.
  Click("HudRadioButton_Effects_Attention");
  Settings().FakeCheckBox("HudCheckBox_LED_G3").Click();
  Advance(200);
  EXPECT_EQ(Leds(), "G1 G3 G5");
  Advance(200);
  EXPECT_EQ(Leds(), "G2 G3 G4");
}

TEST_F(KardoTest, ChoosingAnotherEffectRestartsFromItsStartValues) {
  Click("HudRadioButton_Effects_Connect");
  Advance(80 * 4);
  Click("HudRadioButton_Effects_Connect");
  Advance(80);
  EXPECT_EQ(Leds(), "Y");
  EXPECT_EQ(Settings().CheckedRadio(), "HudRadioButton_Effects_Connect");
}

TEST_F(KardoTest, Green1BlinkRunsAtTheTimersOwnIntervalUntilItsBarMoves) {
  Click("HudRadioButton_LG1_Blink");
  EXPECT_EQ(Settings().FakeLabel("HudLabel_LG1_Timer").Text, "500");
  EXPECT_EQ(Leds(), "");
  Advance(999);
  EXPECT_EQ(Leds(), "");
  Advance(1);
  EXPECT_EQ(Leds(), "G1") << "the first tick lights";
  Advance(1000);
  EXPECT_EQ(Leds(), "");
  SetTrackBar("HudTrackBar_LG1", 300.7f);
  EXPECT_EQ(Settings().FakeLabel("HudLabel_LG1_Timer").Text, "300");
  EXPECT_EQ(Timer(Console(), "Timer_LG1").Interval(), 300u);
  Advance(300);
  EXPECT_EQ(Leds(), "G1");
  // Stopping leaves G1 as the last tick made it.
  Click("HudRadioButton_LG1_on");
  EXPECT_EQ(Leds(), "G1");
  Click("HudRadioButton_LG1_Off");
  Advance(5000);
  EXPECT_EQ(Leds(), "");
}

TEST_F(KardoTest, GroupOperationsWriteInTheirOrder) {
  View.WriteLog.clear();
  Click("HudRadioButton_Effects_Blink");
  View.WriteLog.clear();
  Advance(200);
  const std::vector<std::string> allOn = {
      "Circle_LG1=#FF00FF00", "Circle_LG2=#FF00FF00", "Circle_LG3=#FF00FF00", "Circle_LG4=#FF00FF00",
      "Circle_LG5=#FF00FF00", "Circle_LY=#FFFFFF00",  "Circle_LR=#FFFF0000"};
  EXPECT_EQ(View.WriteLog, allOn);
}

TEST_F(KardoTest, TimersAndLedsOffStopsTimersBlanksDigitsAndPutsLedsOutInOrder) {
  std::vector<std::string> expected = {"Timer_LG1.Enabled=false", "Timer_Leds.Enabled=false"};
  for (const char* digit : {"H", "L"})
    for (const char* segment : {"A", "B", "C", "D", "E", "F", "G", "Dp"})
      expected.push_back(std::string("RoundRect_Sefa1") + digit + "_" + segment + "=#FF3E3E3E");
  for (const char* t : {"Timer_Sefa1_H", "Timer_Sefa1_L", "Timer_Sefa1"})
    expected.push_back(std::string(t) + ".Enabled=false");
  for (const char* led :
       {"Circle_LG1", "Circle_LG2", "Circle_LG3", "Circle_LG4", "Circle_LG5", "Circle_LY", "Circle_LR"})
    expected.push_back(std::string(led) + "=#FF3E3E3E");
  View.WriteLog.clear();
  Click("HudButton_TMR_and_Leds_Off");
  EXPECT_EQ(View.WriteLog, expected);
}

}  // namespace
}  // namespace kardo::testing
