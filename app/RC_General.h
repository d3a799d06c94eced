#pragma once

#include <cstdint>

#include "app/Form_3D.h"

namespace kardo {

class TKardo;

// The console window: the switch front with its seven LEDs and the fuel button.
class TForm_3D_Kardo : public TForm_3D {
 public:
  TForm_3D_Kardo(TKardo& App, IFormView& View);

  // The LEDs, in the order the group operations write them.
  IShapeView& Circle_LG1;
  IShapeView& Circle_LG2;
  IShapeView& Circle_LG3;
  IShapeView& Circle_LG4;
  IShapeView& Circle_LG5;
  IShapeView& Circle_LY;
  IShapeView& Circle_LR;
  ITimerView& Timer_LG1;
  ITimerView& Timer_Leds;

  // Steps of the console's fuel button: 1 petrol, 2 automatic, 3 nothing.
  uint8_t FuelButtonCount = 0;

  void FormCreate();
  // The shared step of the picture's mouse down and the round button's click.
  void FuelButtonStep();

 private:
  void FormShow(IViewElement* Sender);
  void FormClose(IViewElement* Sender);
  void FormKeyPress(IViewElement* Sender, char& Key);
  void Timer_LG1Timer(IViewElement* Sender);
  void Timer_LedsTimer(IViewElement* Sender);
  void HudLabel1MouseDown(IViewElement* Sender, TViewMouseButton Button, float X, float Y);
  void Image_KardoDblClick(IViewElement* Sender);
  void Image_KardoMouseDown(IViewElement* Sender, TViewMouseButton Button, float X, float Y);
  void CircleButton1Click(IViewElement* Sender);

  TKardo& FApp;
};

}  // namespace kardo
