#include "tests/app/KardoFixture.h"

namespace kardo::testing {
namespace {

TEST_F(KardoTest, StartUpShowsConsoleAndSettingsCentredOnTheWorkArea) {
  EXPECT_TRUE(Console().FakeWindow().Visible());
  EXPECT_TRUE(Settings().FakeWindow().Visible());
  EXPECT_FALSE(Display().FakeWindow().Visible());
  // 1280 x 984 work area, 301 x 297 console.
  EXPECT_EQ(Console().FakeWindow().Left(), 489);
  EXPECT_EQ(Console().FakeWindow().Top(), 343);
  EXPECT_EQ(Settings().FakeWindow().Left(), 489);
  EXPECT_EQ(Settings().FakeWindow().Top(), 640);
  EXPECT_EQ(Leds(), "");
  EXPECT_EQ(Digit('H'), 0u);
  EXPECT_EQ(Digit('L'), 0u);
  EXPECT_EQ(Settings().CheckedRadio(), "HudRadioButton_Automat") << "marked, but no action ran";
  EXPECT_FALSE(Timer(Console(), "Timer_LG1").Enabled());
}

TEST_F(KardoTest, LayoutSetupFitsTheInnerLayoutIntoTheFrame) {
  struct Row {
    TFakeForm& Form;
    const char* Layout;
    float Width, Height;
  };
  for (const Row& r :
       {Row{Console(), "Layout_3D_Kardo", 275, 253}, Row{Settings(), "Layout_3D_Set", 395, 294},
        Row{Display(), "Layout_3D_SEFA1", 308, 253}}) {
    TFakeLayout& layout = r.Form.FakeLayout(r.Layout);
    EXPECT_EQ(layout.Width(), r.Width) << r.Layout;
    EXPECT_EQ(layout.Height(), r.Height) << r.Layout;
    EXPECT_EQ(layout.PositionX, 13);
    EXPECT_EQ(layout.PositionY, 32);
  }
  EXPECT_EQ(Timer(Console(), "Timer_3D_Resize_Kardo").Interval(), 100u);
  EXPECT_FALSE(Timer(Console(), "Timer_3D_Resize_Kardo").Enabled());
}

TEST(KardoPlacement, ANarrowWorkAreaGivesALeftTruncatedTowardZero) {
  TFakeKardoView view;
  view.FakeScreen.Width = 200;
  view.FakeScreen.Height = 100;
  TKardo app(view);
  app.Run();
  EXPECT_EQ(view.Form("TForm_3D_Kardo").FakeWindow().Left(), -50);  // (200 - 301) div 2
  EXPECT_EQ(view.Form("TForm_3D_Kardo").FakeWindow().Top(), -98);   // (100 - 297) div 2
  EXPECT_EQ(view.Form("TForm_3D_Set").FakeWindow().Top(), -98 + 297);
}

TEST_F(KardoTest, DisplayAndSettingsFollowTheConsoleWhereverItWasMoved) {
  TFakeWindow& console = Console().FakeWindow();
  console.SetBounds(100, 50, console.Width(), console.Height());
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"42");
  EXPECT_EQ(Display().FakeWindow().Left(), 100 + 301 - 12);
  EXPECT_EQ(Display().FakeWindow().Top(), 50);

  TFakeWindow& settings = Settings().FakeWindow();
  settings.SetBounds(900, 900, settings.Width(), settings.Height());
  Console().FakePressable("Image_Kardo").DblClick();
  EXPECT_EQ(settings.Left(), 900) << "a visible window only comes to the front";
  settings.Close();
  EXPECT_FALSE(View.Terminated);
  Console().FakePressable("Image_Kardo").DblClick();
  EXPECT_TRUE(settings.Visible());
  EXPECT_EQ(settings.Left(), 100);
  EXPECT_EQ(settings.Top(), 50 + 297);
}

TEST_F(KardoTest, ABurstOfResizesIsAnsweredByOneRescale) {
  TFakeWindow& console = Console().FakeWindow();
  TFakeLayout& layout = Console().FakeLayout("Layout_3D_Kardo");
  console.SetBounds(console.Left(), console.Top(), 351, 297);
  Advance(60);
  console.SetBounds(console.Left(), console.Top(), 401, 297);  // the timer keeps its phase
  Advance(39);
  EXPECT_EQ(layout.ScaleX, 1);
  Advance(1);
  EXPECT_FLOAT_EQ(layout.ScaleX, (301 + 74) / 275.0f);  // grown by 100: (W0 + 74) / (W0 - 26)
  EXPECT_EQ(layout.ScaleY, 1);
  EXPECT_FALSE(Timer(Console(), "Timer_3D_Resize_Kardo").Enabled());
  // The inner layout keeps its size; only its scale follows.
  EXPECT_EQ(layout.Width(), 275);
  // Showing again resets the scale.
  Display().FakeWindow().SetBounds(0, 0, 434, 397);
  Advance(100);
  EXPECT_FLOAT_EQ(Display().FakeLayout("Layout_3D_SEFA1").ScaleY, (397 - 44) / 253.0f);
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"1");
  EXPECT_EQ(Display().FakeLayout("Layout_3D_SEFA1").ScaleY, 1);
}

// Shrunk past a quarter of its content a window would lose its grip and turn
// its content inside out.
TEST_F(KardoTest, AWindowStopsShrinkingAtAQuarterOfItsContent) {
  struct Row {
    TFakeForm& Form;
    const char* Layout;
    int MinWidth, MinHeight;  // 26 + LW0 / 4 and 44 + LH0 / 4, rounded up
  };
  for (const Row& r : {Row{Console(), "Layout_3D_Kardo", 95, 108}, Row{Settings(), "Layout_3D_Set", 125, 118},
                       Row{Display(), "Layout_3D_SEFA1", 103, 108}}) {
    TFakeWindow& w = r.Form.FakeWindow();
    EXPECT_EQ(w.MinWidth(), r.MinWidth) << r.Layout;
    EXPECT_EQ(w.MinHeight(), r.MinHeight) << r.Layout;
    w.SetBounds(w.Left(), w.Top(), 19, 15);
    Advance(100);
    const TFakeLayout& layout = r.Form.FakeLayout(r.Layout);
    EXPECT_GE(layout.ScaleX, 0.25f) << r.Layout;
    EXPECT_GE(layout.ScaleY, 0.25f) << r.Layout;
  }
}

TEST_F(KardoTest, MovingStartsTheResizeTimerOnlyForTheActiveWindow) {
  TFakeWindow& settings = Settings().FakeWindow();
  Console().FakeWindow().Activate();
  settings.SetBounds(10, 10, settings.Width(), settings.Height());
  EXPECT_FALSE(Timer(Settings(), "Timer_3D_Resize_Set").Enabled());
  settings.Activate();
  settings.SetBounds(20, 10, settings.Width(), settings.Height());
  EXPECT_TRUE(Timer(Settings(), "Timer_3D_Resize_Set").Enabled());
  settings.Close();
  EXPECT_FALSE(Timer(Settings(), "Timer_3D_Resize_Set").Enabled());
}

TEST_F(KardoTest, EscEndsTheProgramOnlyOnTheConsole) {
  Settings().FakeWindow().PressKey(27);
  Display().FakeWindow().PressKey(27);
  Console().FakeWindow().PressKey('x');
  EXPECT_FALSE(View.Terminated);
  Console().FakeWindow().PressKey(27);
  EXPECT_TRUE(View.Terminated);
  EXPECT_FALSE(Console().FakeWindow().Visible());
}

// Every window: closing stops a pending rescale, showing again puts the scale
// back to 1 whatever the last rescale made of it.
TEST_F(KardoTest, CloseStopsTheResizeTimerAndShowResetsTheScale) {
  struct Row {
    TFakeForm& Form;
    const char* Layout;
    const char* Timer;
  };
  Settings().FakeTextBox("HudTextBox_Sefa1_H").Commit(u"1");  // shows the display
  for (const Row& r : {Row{Console(), "Layout_3D_Kardo", "Timer_3D_Resize_Kardo"},
                       Row{Settings(), "Layout_3D_Set", "Timer_3D_Resize_Set"},
                       Row{Display(), "Layout_3D_SEFA1", "Timer_3D_Resize_SEFA1"}}) {
    TFakeWindow& window = r.Form.FakeWindow();
    TFakeLayout& layout = r.Form.FakeLayout(r.Layout);
    window.SetBounds(window.Left(), window.Top(), window.Width() + 50, window.Height() + 20);
    Advance(100);
    ASSERT_NE(layout.ScaleX, 1) << r.Layout;
    ASSERT_NE(layout.ScaleY, 1) << r.Layout;
    window.SetBounds(window.Left(), window.Top(), window.Width() + 10, window.Height());
    ASSERT_TRUE(Timer(r.Form, r.Timer).Enabled());
    window.Close();
    EXPECT_FALSE(Timer(r.Form, r.Timer).Enabled()) << r.Timer;
    window.Show();
    EXPECT_EQ(layout.ScaleX, 1) << r.Layout;
    EXPECT_EQ(layout.ScaleY, 1) << r.Layout;
  }
}

}  // namespace
}  // namespace kardo::testing
