#include "app/RC_General.h"

#include "app/Kardo.h"
#include "app/ZR_Kardo_Led.h"
#include "app/ZR_Kardo_Unit.h"

namespace kardo {

TForm_3D_Kardo::TForm_3D_Kardo(TKardo& App, IFormView& View)
    : TForm_3D(View, "Layout_3D_Kardo", "Timer_3D_Resize_Kardo"),
      Circle_LG1(View.Shape("Circle_LG1")),
      Circle_LG2(View.Shape("Circle_LG2")),
      Circle_LG3(View.Shape("Circle_LG3")),
      Circle_LG4(View.Shape("Circle_LG4")),
      Circle_LG5(View.Shape("Circle_LG5")),
      Circle_LY(View.Shape("Circle_LY")),
      Circle_LR(View.Shape("Circle_LR")),
      Timer_LG1(View.Timer("Timer_LG1")),
      Timer_Leds(View.Timer("Timer_Leds")),
      FApp(App) {
  Window().OnShow = Method(this, &TForm_3D_Kardo::FormShow);
  Window().OnClose = Method(this, &TForm_3D_Kardo::FormClose);
  Window().OnKeyPress = Method(this, &TForm_3D_Kardo::FormKeyPress);
  Timer_LG1.OnTimer = Method(this, &TForm_3D_Kardo::Timer_LG1Timer);
  Timer_Leds.OnTimer = Method(this, &TForm_3D_Kardo::Timer_LedsTimer);
  View.Pressable("HudLabel1").OnMouseDown = Method(this, &TForm_3D_Kardo::HudLabel1MouseDown);
  IPressableView& image = View.Pressable("Image_Kardo");
  image.OnDblClick = Method(this, &TForm_3D_Kardo::Image_KardoDblClick);
  image.OnMouseDown = Method(this, &TForm_3D_Kardo::Image_KardoMouseDown);
  View.Pressable("CircleButton1").OnClick = Method(this, &TForm_3D_Kardo::CircleButton1Click);
}

void TForm_3D_Kardo::FormCreate() {
  LayoutSetup();
  LedsAllOff(*this);
  FuelButtonCount = 1;
}

void TForm_3D_Kardo::FormShow(IViewElement*) {
  ScaleReset();
  const IScreenView& screen = FApp.Screen();
  // Integer division truncates toward zero, so a console wider than the work area
  // lands at a small negative Left; the work area's own origin is not added.
  Window().SetLeft((screen.WorkAreaWidth() - W0) / 2);
  Window().SetTop((screen.WorkAreaHeight() - H0) / 2);
  FApp.Form_3D_Set->Window().Show();
}

void TForm_3D_Kardo::FormClose(IViewElement*) {
  ResizeTimerOff();
}

void TForm_3D_Kardo::FormKeyPress(IViewElement*, char& Key) {
  if (Key == 27) Window().Close();
}

void TForm_3D_Kardo::Timer_LG1Timer(IViewElement*) {
  bool& phase = FApp.Effects.Lg1BlinkPhase;
  Circle_LG1.SetFillColor(phase ? ColorUnlit : ColorLitGreen);
  phase = !phase;
}

void TForm_3D_Kardo::Timer_LedsTimer(IViewElement*) {
  EffectTick(FApp);
}

void TForm_3D_Kardo::FuelButtonStep() {
  if (++FuelButtonCount > 3) FuelButtonCount = 1;
  switch (FuelButtonCount) {
    case 1:
      FApp.Form_3D_Set->PetrolAction();
      break;
    case 2:
      FApp.Form_3D_Set->AutomatAction();
      break;
    default:
      break;
  }
}

void TForm_3D_Kardo::HudLabel1MouseDown(IViewElement*, TViewMouseButton, float, float) {
  FApp.Form_3D_Set->Window().Show();
}

void TForm_3D_Kardo::Image_KardoDblClick(IViewElement*) {
  FApp.Form_3D_Set->Window().Show();
}

void TForm_3D_Kardo::Image_KardoMouseDown(IViewElement*, TViewMouseButton, float, float) {
  FuelButtonStep();
}

void TForm_3D_Kardo::CircleButton1Click(IViewElement*) {
  FuelButtonStep();
}

}  // namespace kardo
