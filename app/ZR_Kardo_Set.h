#pragma once

#include "app/Form_3D.h"
#include "app/RC_General.h"
#include "app/ZR_Kardo_Unit.h"

namespace kardo {

class TKardo;

// The settings window: the operator's panel that drives LEDs, effects, fuel modes,
// the display and the level. No action here moves a radio button's mark: the
// buttons move their own marks when clicked, and the console's fuel button runs
// the same actions without touching them.
class TForm_3D_Set : public TForm_3D {
 public:
  TForm_3D_Set(TKardo& App, IFormView& View);

  ITrackBarView& HudTrackBar_Sefa1_Blink_H;
  ITrackBarView& HudTrackBar_Sefa1_Blink_L;
  ITrackBarView& HudTrackBar_Sefa1_Level_Sensor;
  ICheckBoxView& HudCheckBox_Sefa1_SoftWare_Sensor;
  ICheckBoxView& HudCheckBox_Sefa1_Blink_H;
  ICheckBoxView& HudCheckBox_Sefa1_Blink_L;

  void FormCreate();

  // The speed track bar of an effect.
  ITrackBarView& EffectSpeedBar(TEffect Effect);

  // Fuel modes.
  void GasAction();
  void PetrolAction();
  void AutomatAction();
  // Operating modes.
  void WaitEtalonAction();
  void EtalonAction();
  void WaitWorkAction();
  void WorkAction();

 private:
  void FormShow(IViewElement* Sender);
  void FormClose(IViewElement* Sender);

  using TTimerOf = ITimerView& (*)(TKardo&);
  using TLedOf = IShapeView& (*)(TForm_3D_Kardo&);

  void BindHandlers();
  // Binds a radio button's or button's click to an action.
  void OnClick(std::string_view Button, void (TForm_3D_Set::*Action)());
  // Binds a speed track bar: its value retimes a timer and shows in Label.
  void BindSpeed(ITrackBarView& Bar, TTimerOf Timer, std::string_view Label);
  // Binds an LED check box: checked lights the LED in Color.
  void BindLedCheckBox(std::string_view Box, TLedOf Led, std::string_view Color);
  // A digit blink box: its timer takes the speed bar's interval and the box's state.
  void BindBlinkCheckBox(ICheckBoxView& Box, TTimerOf Timer, ITrackBarView& Speed);

  void LG1On();
  void LG1Off();
  void LG1Blink();

  TKardo& FApp;
  ITrackBarView* FEffectSpeedBars[6];
};

}  // namespace kardo
