#include "app/ZR_Kardo_Led.h"

#include "app/RC_General.h"

namespace kardo {

void LedsGreensOn(TForm_3D_Kardo& Console) {
  for (IShapeView* led : {&Console.Circle_LG1, &Console.Circle_LG2, &Console.Circle_LG3, &Console.Circle_LG4,
                          &Console.Circle_LG5})
    led->SetFillColor(ColorLitGreen);
}

void LedsAllOn(TForm_3D_Kardo& Console) {
  LedsGreensOn(Console);
  Console.Circle_LY.SetFillColor(ColorLitYellow);
  Console.Circle_LR.SetFillColor(ColorLitRed);
}

void LedsAllOff(TForm_3D_Kardo& Console) {
  for (IShapeView* led : {&Console.Circle_LG1, &Console.Circle_LG2, &Console.Circle_LG3, &Console.Circle_LG4,
                          &Console.Circle_LG5, &Console.Circle_LY, &Console.Circle_LR})
    led->SetFillColor(ColorUnlit);
}

}  // namespace kardo
