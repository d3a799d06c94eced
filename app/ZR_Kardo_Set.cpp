#include "app/ZR_Kardo_Set.h"

#include <string>

#include "app/Kardo.h"
#include "app/ZR_Kardo_Led.h"
#include "scene2d/stream/TextEncoding.h"

namespace kardo {

TForm_3D_Set::TForm_3D_Set(TKardo& App, IFormView& View)
    : TForm_3D(View, "Layout_3D_Set", "Timer_3D_Resize_Set"),
      HudTrackBar_Sefa1_Blink_H(View.TrackBar("HudTrackBar_Sefa1_Blink_H")),
      HudTrackBar_Sefa1_Blink_L(View.TrackBar("HudTrackBar_Sefa1_Blink_L")),
      HudTrackBar_Sefa1_Level_Sensor(View.TrackBar("HudTrackBar_Sefa1_Level_Sensor")),
      HudCheckBox_Sefa1_SoftWare_Sensor(View.CheckBox("HudCheckBox_Sefa1_SoftWare_Sensor")),
      HudCheckBox_Sefa1_Blink_H(View.CheckBox("HudCheckBox_Sefa1_Blink_H")),
      HudCheckBox_Sefa1_Blink_L(View.CheckBox("HudCheckBox_Sefa1_Blink_L")),
      FApp(App),
      FEffectSpeedBars{
          &View.TrackBar("HudTrackBar_Effects_Connect"),     &View.TrackBar("HudTrackBar_Effects_Blink"),
          &View.TrackBar("HudTrackBar_Effects_Green_Blink"), &View.TrackBar("HudTrackBar_Effects_Attention"),
          &View.TrackBar("HudTrackBar_Effects_On_Line"),     &View.TrackBar("HudTrackBar_Effects_Run_Line")} {
  Window().OnShow = Method(this, &TForm_3D_Set::FormShow);
  Window().OnClose = Method(this, &TForm_3D_Set::FormClose);
  BindHandlers();
}

ITrackBarView& TForm_3D_Set::EffectSpeedBar(TEffect Effect) {
  return *FEffectSpeedBars[Effect - 1];
}

void TForm_3D_Set::OnClick(std::string_view Button, void (TForm_3D_Set::*Action)()) {
  FView.Pressable(Button).OnClick = [this, Action](IViewElement*) { (this->*Action)(); };
}

void TForm_3D_Set::BindSpeed(ITrackBarView& Bar, TTimerOf Timer, std::string_view Label) {
  ILabelView& label = FView.Label(Label);
  Bar.OnChange = [this, &Bar, Timer, &label](IViewElement*) {
    const uint32_t ms = TruncValue(Bar.Value());
    Timer(FApp).SetInterval(ms);
    label.SetText(std::to_string(ms));
  };
}

void TForm_3D_Set::BindLedCheckBox(std::string_view Box, TLedOf Led, std::string_view Color) {
  ICheckBoxView& box = FView.CheckBox(Box);
  box.OnChange = [this, &box, Led, Color](IViewElement*) {
    Led(*FApp.Form_3D_Kardo).SetFillColor(box.IsChecked() ? Color : ColorUnlit);
  };
}

void TForm_3D_Set::BindBlinkCheckBox(ICheckBoxView& Box, TTimerOf Timer, ITrackBarView& Speed) {
  Box.OnChange = [this, &Box, Timer, &Speed](IViewElement*) {
    ITimerView& timer = Timer(FApp);
    timer.SetInterval(TruncValue(Speed.Value()));
    timer.SetEnabled(Box.IsChecked());
  };
}

// The handlers are bound when the window is built, as its stored layout names
// them. The console and the display they drive may not exist yet, so they are
// reached through the application when a handler runs.
void TForm_3D_Set::BindHandlers() {
  static constexpr TTimerOf timerLG1 = [](TKardo& A) -> ITimerView& { return A.Form_3D_Kardo->Timer_LG1; };
  static constexpr TTimerOf timerLeds = [](TKardo& A) -> ITimerView& { return A.Form_3D_Kardo->Timer_Leds; };
  static constexpr TTimerOf timerH = [](TKardo& A) -> ITimerView& { return A.Form_3D_SEFA1->Timer_Sefa1_H; };
  static constexpr TTimerOf timerL = [](TKardo& A) -> ITimerView& { return A.Form_3D_SEFA1->Timer_Sefa1_L; };

  OnClick("HudRadioButton_LG1_on", &TForm_3D_Set::LG1On);
  OnClick("HudRadioButton_LG1_Off", &TForm_3D_Set::LG1Off);
  OnClick("HudRadioButton_LG1_Blink", &TForm_3D_Set::LG1Blink);
  BindSpeed(FView.TrackBar("HudTrackBar_LG1"), timerLG1, "HudLabel_LG1_Timer");

  OnClick("HudRadioButton_Gas", &TForm_3D_Set::GasAction);
  OnClick("HudRadioButton_Petrol", &TForm_3D_Set::PetrolAction);
  OnClick("HudRadioButton_Automat", &TForm_3D_Set::AutomatAction);

  static constexpr const char* effectButtons[6] = {
      "HudRadioButton_Effects_Connect",     "HudRadioButton_Effects_Blink",
      "HudRadioButton_Effects_Green_Blink", "HudRadioButton_Effects_Attention",
      "HudRadioButton_Effects_On_Line",     "HudRadioButton_Effects_Run_Line"};
  static constexpr const char* effectLabels[6] = {
      "HudLabel_Effects_Connect",   "HudLabel_Effects_Blink",   "HudLabel_Effects_Green_Blink",
      "HudLabel_Effects_Attention", "HudLabel_Effects_On_Line", "HudLabel_Effects_Run_Line"};
  for (int i = 0; i < 6; ++i) {
    const auto effect = static_cast<TEffect>(i + 1);
    FView.Pressable(effectButtons[i]).OnClick = [this, effect](IViewElement*) { EffectStart(FApp, effect); };
    // Every effect's bar sets the speed of whichever effect runs.
    BindSpeed(*FEffectSpeedBars[i], timerLeds, effectLabels[i]);
  }

  OnClick("HudRadioButton_SW_Wait_Etalon", &TForm_3D_Set::WaitEtalonAction);
  OnClick("HudRadioButton_SW_Etalon_mode", &TForm_3D_Set::EtalonAction);
  OnClick("HudRadioButton_SW_Wait_Work", &TForm_3D_Set::WaitWorkAction);
  OnClick("HudRadioButton_SW_Work_Mode", &TForm_3D_Set::WorkAction);
  FView.Pressable("HudButton_TMR_and_Leds_Off").OnClick = [this](IViewElement*) { TimersAndLedsOff(FApp); };

  BindLedCheckBox(
      "HudCheckBox_LED_Y", [](TForm_3D_Kardo& C) -> IShapeView& { return C.Circle_LY; }, ColorLitYellow);
  BindLedCheckBox(
      "HudCheckBox_LED_G1", [](TForm_3D_Kardo& C) -> IShapeView& { return C.Circle_LG1; }, ColorLitGreen);
  BindLedCheckBox(
      "HudCheckBox_LED_G2", [](TForm_3D_Kardo& C) -> IShapeView& { return C.Circle_LG2; }, ColorLitGreen);
  BindLedCheckBox(
      "HudCheckBox_LED_G3", [](TForm_3D_Kardo& C) -> IShapeView& { return C.Circle_LG3; }, ColorLitGreen);
  BindLedCheckBox(
      "HudCheckBox_LED_G4", [](TForm_3D_Kardo& C) -> IShapeView& { return C.Circle_LG4; }, ColorLitGreen);
  BindLedCheckBox(
      "HudCheckBox_LED_G5", [](TForm_3D_Kardo& C) -> IShapeView& { return C.Circle_LG5; }, ColorLitGreen);
  BindLedCheckBox(
      "HudCheckBox_LED_R", [](TForm_3D_Kardo& C) -> IShapeView& { return C.Circle_LR; }, ColorLitRed);

  BindBlinkCheckBox(HudCheckBox_Sefa1_Blink_H, timerH, HudTrackBar_Sefa1_Blink_H);
  BindBlinkCheckBox(HudCheckBox_Sefa1_Blink_L, timerL, HudTrackBar_Sefa1_Blink_L);
  BindSpeed(HudTrackBar_Sefa1_Blink_H, timerH, "HudLabel_Sefa1_Blink_H");
  BindSpeed(HudTrackBar_Sefa1_Blink_L, timerL, "HudLabel_Sefa1_Blink_L");

  HudTrackBar_Sefa1_Level_Sensor.OnChange = [this](IViewElement*) { FApp.Form_3D_SEFA1->ApplyLevel(); };
  ITextBoxView& text = FView.TextBox("HudTextBox_Sefa1_H");
  // The display works on 8-bit characters, one per typed character.
  text.OnChange = [this, &text](IViewElement*) {
    FApp.Form_3D_SEFA1->SetDisplayText(uxUtf16ToCodePage(text.Text()));
  };
}

void TForm_3D_Set::FormCreate() {
  LayoutSetup();
}

void TForm_3D_Set::FormShow(IViewElement*) {
  ScaleReset();
  // Right below the console; on every show, so a window moved away returns
  // there. Not overlapping it: each window's faint shadow takes presses, and
  // over the other's lowest or highest pixels it would catch those meant for
  // the console's size grip or the settings caption and close button.
  IWindowView& console = FApp.Form_3D_Kardo->Window();
  Window().SetLeft(console.Left());
  Window().SetTop(console.Top() + console.Height());
}

void TForm_3D_Set::FormClose(IViewElement*) {
  ResizeTimerOff();
}

void TForm_3D_Set::LG1On() {
  TForm_3D_Kardo& c = *FApp.Form_3D_Kardo;
  c.Timer_LG1.SetEnabled(false);
  c.Timer_Leds.SetEnabled(false);
  c.Circle_LG1.SetFillColor(ColorLitGreen);
}

void TForm_3D_Set::LG1Off() {
  TForm_3D_Kardo& c = *FApp.Form_3D_Kardo;
  c.Timer_LG1.SetEnabled(false);
  c.Timer_Leds.SetEnabled(false);
  c.Circle_LG1.SetFillColor(ColorUnlit);
}

void TForm_3D_Set::LG1Blink() {
  TForm_3D_Kardo& c = *FApp.Form_3D_Kardo;
  c.Timer_LG1.SetEnabled(true);
  c.Timer_Leds.SetEnabled(false);
  FApp.Effects.Lg1BlinkPhase = false;
  c.Circle_LG1.SetFillColor(ColorUnlit);
}

void TForm_3D_Set::GasAction() {
  TimersAndLedsOff(FApp);
  FApp.Form_3D_SEFA1->ApplyLevel();
}

void TForm_3D_Set::PetrolAction() {
  TimersAndLedsOff(FApp);
  FApp.Form_3D_Kardo->Circle_LY.SetFillColor(ColorLitYellow);
  TForm_3D_SEFA1& d = *FApp.Form_3D_SEFA1;
  d.DigitL = 0;
  d.DigitH = SegmentsOfChar("P");
  d.RefreshDisplay();
}

void TForm_3D_Set::AutomatAction() {
  TimersAndLedsOff(FApp);
  TForm_3D_Kardo& c = *FApp.Form_3D_Kardo;
  TForm_3D_SEFA1& d = *FApp.Form_3D_SEFA1;
  c.Timer_LG1.SetEnabled(true);
  FApp.Effects.Lg1BlinkPhase = false;
  c.Circle_LY.SetFillColor(ColorLitYellow);
  d.Timer_Sefa1_L.SetInterval(TruncValue(HudTrackBar_Sefa1_Blink_L.Value()));
  d.Timer_Sefa1_L.SetEnabled(true);
  d.DigitH = SegmentsOfChar("A");
  d.BlinkPhaseL = false;
  d.DigitL = SegmentsOfChar("G");
  HudCheckBox_Sefa1_Blink_L.SetIsChecked(true);
  d.RefreshDisplay();
}

void TForm_3D_Set::WaitEtalonAction() {
  EffectStart(FApp, efBlinkAll);
  FApp.Form_3D_Kardo->Timer_Leds.SetInterval(400);
  TForm_3D_SEFA1& d = *FApp.Form_3D_SEFA1;
  d.DigitH = SegmentsOfChar("-");
  d.DigitL = d.DigitH;
  d.RefreshDisplay();
}

void TForm_3D_Set::EtalonAction() {
  EffectStart(FApp, efRunLine);
  TForm_3D_SEFA1& d = *FApp.Form_3D_SEFA1;
  d.DigitL = SegmentsOfChar("G");
  d.DisplayTimerMode = TForm_3D_SEFA1::tmRunningSegment;
  d.SegmentStep = 0;
  d.SegmentStepLimit = 7;
  d.Timer_Sefa1.SetInterval(70);
  d.Timer_Sefa1.SetEnabled(true);
  d.RefreshDisplay();
}

void TForm_3D_Set::WaitWorkAction() {
  EffectStart(FApp, efBlinkAll);
  FApp.Form_3D_Kardo->Timer_Leds.SetInterval(150);
  TForm_3D_SEFA1& d = *FApp.Form_3D_SEFA1;
  d.DigitL = SegmentsOfChar("G");
  d.DigitH = 0;
  d.Timer_Sefa1_L.SetInterval(TruncValue(HudTrackBar_Sefa1_Blink_L.Value()));
  d.Timer_Sefa1_L.SetEnabled(true);
  d.BlinkPhaseL = false;
  d.RefreshDisplay();
}

void TForm_3D_Set::WorkAction() {
  HudCheckBox_Sefa1_SoftWare_Sensor.SetIsChecked(true);
  GasAction();
}

}  // namespace kardo
