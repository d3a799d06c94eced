#include <string>
#include <vector>

#include "app/SEFA1.h"
#include "tests/app/KardoFixture.h"

namespace kardo::testing {
namespace {

TEST(SegmentsOfChar, FollowsTheCharacterTable) {
  struct Row {
    const char* Chars;
    unsigned Pattern;
  };
  const Row table[] = {
      {"0O", 0x3F},
      {"1", 0x06},
      {"2", 0x5B},
      {"3", 0x4F},
      {"4", 0x66},
      {"5Ss", 0x6D},
      {"6", 0x7D},
      {"7", 0x07},
      {"8", 0x7F},
      {"9", 0x6F},
      {"Aa", 0x77},
      {"Bb", 0x7C},
      {"C", 0x39},
      {"c", 0x58},
      {"Dd", 0x5E},
      {"Ee", 0x79},
      {"Ff", 0x71},
      {"Gg", 0x3D},
      {"Hh", 0x76},
      {"I", 0x30},
      {"i", 0x10},
      {"Jj", 0x1E},
      {"Ll", 0x38},
      {"o", 0x5C},
      {"Pp", 0x73},
      {"Qq", 0x67},
      {"Rr", 0x50},
      {"U", 0x3E},
      {"u", 0x1C},
      {"-", 0x40},
      {"_", 0x08},
      {".,", 0x80},
      // Everything else is blank.
      {" KMNTVWXYZkmntvwxyz+*/\xB0\xFF", 0x00},
  };
  for (const Row& row : table)
    for (const char* c = row.Chars; *c; ++c)
      EXPECT_EQ(SegmentsOfChar(std::string(1, *c)), row.Pattern) << "character '" << *c << "'";
  EXPECT_EQ(SegmentsOfChar("12"), 0x06u) << "only the first character counts";
  EXPECT_EQ(SegmentsOfChar(""), 0u);
}

struct TextCase {
  std::vector<const char16_t*> Texts;  // committed in this order
  unsigned H, L;                       // what the digits show after the last one
};

class DisplayText : public KardoTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(DisplayText, ShowsDigitsAndPoints) {
  for (const char16_t* t : GetParam().Texts) Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(t);
  EXPECT_EQ(Digit('H'), GetParam().H);
  EXPECT_EQ(Digit('L'), GetParam().L);
}

constexpr unsigned Dp = 0x80;
INSTANTIATE_TEST_SUITE_P(
    Cases, DisplayText,
    ::testing::Values(TextCase{{u"12"}, 0x06, 0x5B}, TextCase{{u"1.2."}, 0x06 | Dp, 0x5B | Dp},
                      TextCase{{u"1,5"}, 0x06 | Dp, 0x6D}, TextCase{{u"12."}, 0x06, 0x5B | Dp},
                      TextCase{{u"8.8.8"}, 0x7F | Dp, 0x7F | Dp}, TextCase{{u".5"}, 0x00, 0x6D},
                      TextCase{{u"5."}, 0x6D | Dp, 0x00},
                      // A single character keeps both point flags.
                      TextCase{{u"1.2.", u"7"}, 0x07 | Dp, Dp}, TextCase{{u"1.2.", u"34"}, 0x4F, 0x66},
                      TextCase{{u"nt"}, 0, 0}, TextCase{{u"oO"}, 0x5C, 0x3F},
                      TextCase{{u"12345"}, 0x06, 0x5B},
                      // One 8-bit character per typed one: a code-page letter, one the
                      // code page lacks ('?'), and one beyond the 16-bit plane.
                      TextCase{{u"\u00e95"}, 0x00, 0x6D}, TextCase{{u"\u0436.5"}, Dp, 0x6D},
                      TextCase{{u"\U0001F6005"}, 0x00, 0x6D}));

TEST_F(KardoTest, FirstDisplayTextShowsTheDisplayWindowAndEmptyTextDoesNothing) {
  TFakeWindow& display = Display().FakeWindow();
  ASSERT_FALSE(display.Visible());
  View.WriteLog.clear();
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"");
  EXPECT_FALSE(display.Visible());
  EXPECT_TRUE(View.WriteLog.empty());
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"1.2.");
  EXPECT_TRUE(display.Visible());
  EXPECT_EQ(display.ShowCount(), 1);
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"34");
  EXPECT_EQ(display.ShowCount(), 1);
  // Closed by the window system: the next refresh shows it again.
  display.Close();
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"5");
  EXPECT_EQ(display.ShowCount(), 2);
}

TEST_F(KardoTest, DigitBlinksKeepThePointLitAndShareThePhaseWithTheLowLevelBlink) {
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"8.8.");
  Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_H").Click();
  EXPECT_EQ(Timer(Display(), "Timer_Sefa1_H").Interval(), 500u);
  Advance(500);
  EXPECT_EQ(Digit('H'), 0x7Fu | Dp) << "the first tick paints the digit";
  Advance(500);
  EXPECT_EQ(Digit('H'), Dp) << "the dark phase keeps the point";
  EXPECT_EQ(Digit('L'), 0x7Fu | Dp) << "digit L does not blink";

  // Low-level blink and digit-L blink both toggle BlinkPhaseL.
  Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_H").Click();
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", 10);  // 1 5 blinking on Timer_Sefa1 at 250
  Settings().FakeCheckBox("HudCheckBox_Sefa1_Blink_L").Click();
  SetTrackBar("HudTrackBar_Sefa1_Blink_L", 100);  // Timer_Sefa1_L at 100; Timer_Sefa1 keeps 250
  EXPECT_EQ(Timer(Display(), "Timer_Sefa1").Interval(), 250u);
  Advance(100);  // L tick: phase false -> paints L, phase true
  EXPECT_EQ(Digit('L'), 0x6Du | Dp);
  Advance(100);  // L tick: phase true -> blanks L, phase false
  EXPECT_EQ(Digit('L'), Dp);
  Advance(50);  // Timer_Sefa1 tick at 250: phase false -> paints both, phase true
  EXPECT_EQ(Digit('H'), 0x06u | Dp);
  EXPECT_EQ(Digit('L'), 0x6Du | Dp);
  Advance(50);  // L tick at 300: phase true -> blank
  EXPECT_EQ(Digit('L'), Dp);
}

TEST_F(KardoTest, CalibrationRunsOneSegmentAroundDigitHUntilALevelChange) {
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"34");
  Click("HudRadioButton_SW_Etalon_mode");
  EXPECT_EQ(Digit('H'), 0x4Fu) << "until the first tick digit H shows its stored pattern";
  EXPECT_EQ(Digit('L'), 0x3Du);
  const unsigned expected[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x00, 0x01, 0x02};
  for (unsigned e : expected) {
    Advance(70);
    EXPECT_EQ(Digit('H'), e);
    EXPECT_EQ(Digit('L'), 0x3Du) << "digit L is not touched";
  }
  EXPECT_EQ(Leds(), "G3") << "Run_Line runs beside it at its own speed: 630 ms is its third tick";

  // A level of 16 or more stops the running segment; below 16 it turns into the low-level blink.
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", 50);
  EXPECT_FALSE(Timer(Display(), "Timer_Sefa1").Enabled());
  Click("HudRadioButton_SW_Etalon_mode");
  SetTrackBar("HudTrackBar_Sefa1_Level_Sensor", 5);
  EXPECT_EQ(App->Form_3D_SEFA1->DisplayTimerMode, 1);
  EXPECT_EQ(Timer(Display(), "Timer_Sefa1").Interval(), 250u);
  Advance(250);
  EXPECT_EQ(Digit('H'), 0x06u);
  EXPECT_EQ(Digit('L'), 0x6Du);
  Advance(250);
  EXPECT_EQ(Digit('H'), 0u);
  EXPECT_EQ(Digit('L'), 0u);
}

}  // namespace
}  // namespace kardo::testing
