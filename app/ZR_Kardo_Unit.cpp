#include "app/ZR_Kardo_Unit.h"

#include <array>

#include "app/Kardo.h"
#include "app/ZR_Kardo_Led.h"

namespace kardo {

void TimersAndLedsOff(TKardo& App) {
  TForm_3D_Kardo& console = *App.Form_3D_Kardo;
  TForm_3D_SEFA1& display = *App.Form_3D_SEFA1;
  console.Timer_LG1.SetEnabled(false);
  console.Timer_Leds.SetEnabled(false);
  display.BlankDisplay();
  display.Timer_Sefa1_H.SetEnabled(false);
  display.Timer_Sefa1_L.SetEnabled(false);
  display.Timer_Sefa1.SetEnabled(false);
  LedsAllOff(console);
}

void EffectStart(TKardo& App, TEffect Effect) {
  TEffectState& s = App.Effects;
  s.EffectStep = Effect == efOnLine ? 6 : 0;
  switch (Effect) {
    case efConnect:
      s.EffectLimit = 7;
      break;
    case efAttention:
      s.EffectLimit = 3;
      break;
    case efOnLine:
    case efRunLine:
      s.EffectLimit = 5;
      break;
    default:
      break;  // the blinks keep whatever limit was set before
  }
  TimersAndLedsOff(App);
  s.EffectKind = Effect;
  ITimerView& timer = App.Form_3D_Kardo->Timer_Leds;
  timer.SetInterval(TruncValue(App.Form_3D_Set->EffectSpeedBar(Effect).Value()));
  timer.SetEnabled(true);
}

namespace {

// S := S + 1, back to 1 past the limit.
void Advance(TEffectState& s) {
  ++s.EffectStep;
  if (s.EffectStep > s.EffectLimit) s.EffectStep = 1;
}

// Greens 1 to 5 by number; nullptr for any other number.
IShapeView* Green(TForm_3D_Kardo& c, uint8_t Number) {
  const std::array<IShapeView*, 5> greens{&c.Circle_LG1, &c.Circle_LG2, &c.Circle_LG3, &c.Circle_LG4,
                                          &c.Circle_LG5};
  return Number >= 1 && Number <= 5 ? greens[Number - 1] : nullptr;
}

void Light(IShapeView* Led, std::string_view Color) {
  if (Led) Led->SetFillColor(Color);
}

// Attention lights the row symmetrically from the ends inward: 1 is G1 and G5,
// 2 is G2 and G4, 3 is G3 alone.
void AttentionGroup(TForm_3D_Kardo& c, uint8_t Step, std::string_view Color) {
  if (Step < 1 || Step > 3) return;
  Light(Green(c, Step), Color);
  if (Step != 3) Light(Green(c, 6 - Step), Color);
}

void ConnectTick(TForm_3D_Kardo& c, TEffectState& s) {
  LedsAllOff(c);
  Advance(s);
  switch (s.EffectStep) {
    case 1:
      Light(&c.Circle_LY, ColorLitYellow);
      break;
    case 2:
      Light(&c.Circle_LR, ColorLitRed);
      break;
    default:  // 3 to 7 run the greens from G5 back to G1
      if (s.EffectStep >= 3 && s.EffectStep <= 7) Light(Green(c, 8 - s.EffectStep), ColorLitGreen);
      break;
  }
}

void OnLineTick(TForm_3D_Kardo& c, TEffectState& s) {
  if (--s.EffectStep == 0) {
    s.EffectStep = 6;
    LedsAllOff(c);
  }
  Light(Green(c, s.EffectStep), ColorLitGreen);
}

void RunLineTick(TForm_3D_Kardo& c, TEffectState& s) {
  // The light that reached the end of the free run stays there.
  if (s.EffectStep < s.EffectLimit) Light(Green(c, s.EffectStep), ColorUnlit);
  ++s.EffectStep;
  if (s.EffectStep > s.EffectLimit) {
    --s.EffectLimit;
    if (s.EffectLimit == 0) {
      s.EffectStep = 0;
      s.EffectLimit = 5;
      LedsAllOff(c);
    } else {
      s.EffectStep = 1;
    }
  }
  Light(Green(c, s.EffectStep), ColorLitGreen);
}

}  // namespace

void EffectTick(TKardo& App) {
  TForm_3D_Kardo& c = *App.Form_3D_Kardo;
  TEffectState& s = App.Effects;
  switch (s.EffectKind) {
    case efConnect:
      ConnectTick(c, s);
      break;
    case efBlinkAll:
    case efGreenBlink:
      if (s.EffectStep == 0) {
        if (s.EffectKind == efBlinkAll)
          LedsAllOn(c);
        else
          LedsGreensOn(c);
        s.EffectStep = 1;
      } else {
        LedsAllOff(c);
        s.EffectStep = 0;
      }
      break;
    case efAttention:
      AttentionGroup(c, s.EffectStep, ColorUnlit);
      Advance(s);
      AttentionGroup(c, s.EffectStep, ColorLitGreen);
      break;
    case efOnLine:
      OnLineTick(c, s);
      break;
    case efRunLine:
      RunLineTick(c, s);
      break;
    default:
      break;
  }
}

}  // namespace kardo
