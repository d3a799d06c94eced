#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/TimerSource.h"
#include "scene2d/Persistent.h"

// A window timer as a layout stores it: a non-visual component of its form
// that calls OnTimer every Interval milliseconds while Enabled and Interval is
// not 0. Writing a different Interval or Enabled restarts the period; writing
// the value already set changes nothing, so enabling a running timer does not
// move its next tick.
//
// The ticks come from a timer source (the window system's message loop); until
// the form hands one over the timer only keeps its values.
class TuiTimer : public TuiComponent {
  UX_CLASS(TuiTimer, TuiComponent)
 public:
  explicit TuiTimer(TuiComponent* Owner);

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  int32_t Interval() const { return int32_t(FInterval); }
  void SetInterval(int32_t Value);
  platform::ITimerSource* Source() const { return FSource; }
  void SetSource(platform::ITimerSource* Value);

  std::function<void(TuiComponent* Sender)> OnTimer;

  void Loaded() override;

  static void DefineProperties(TuiClassBuilder<TuiTimer>& C) {
    C.Property("Enabled", &TuiTimer::Enabled, &TuiTimer::SetEnabled, true);
    C.Property("Interval", &TuiTimer::Interval, &TuiTimer::SetInterval, 1000);
    C.Event("OnTimer", &TuiTimer::OnTimer);
  }

 protected:
  void BeforeDestruction() override;

 private:
  // Stops the running period and starts a new one when the timer should tick.
  void Restart();
  void Tick();

  bool FEnabled = true;
  uint32_t FInterval = 1000;
  platform::ITimerSource* FSource = nullptr;
  std::unique_ptr<platform::ITimer> FTimer;
  // Timers replaced while one of them was ticking: freed once the tick is over.
  std::vector<std::unique_ptr<platform::ITimer>> FRetired;
  bool FTicking = false;
};
