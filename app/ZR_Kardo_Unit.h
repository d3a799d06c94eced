#pragma once

#include <cstdint>

namespace kardo {

class TKardo;

// The effect sequencer's state; all zero at program start.
struct TEffectState {
  uint8_t EffectKind = 0;  // 1 to 6; 0 while no effect was ever chosen
  uint8_t EffectStep = 0;  // wraps modulo 256
  uint8_t EffectLimit = 0;
  bool Lg1BlinkPhase = false;  // phase of the green-1 blink
};

// The six LED effects, numbered as EffectKind holds them.
enum TEffect : uint8_t {
  efConnect = 1,
  efBlinkAll = 2,
  efGreenBlink = 3,
  efAttention = 4,
  efOnLine = 5,
  efRunLine = 6,
};

// Stops every LED and display timer, blanks the display and puts all LEDs out.
// Stored values (sequencer state, display patterns, controls) stay as they are.
void TimersAndLedsOff(TKardo& App);
// One step of the running effect; nothing when none is selected.
void EffectTick(TKardo& App);
// Starts an effect from its start values at the speed of its track bar.
void EffectStart(TKardo& App, TEffect Effect);

}  // namespace kardo
