#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/TimerSource.h"

class TuiAnimation;

// The one timer that drives every running animation of the process. It ticks
// only while at least one animation runs, so an idle program is never woken
// for animations; each tick advances the running animations by the real time
// elapsed since the previous one.
//
// The clock and the timer come from a source the window layer installs at
// start-up (tests install a virtual clock). Without a source nothing could
// advance an animation, so animations then run to their end at once.
class TuiAnimationTimer {
 public:
  static constexpr uint32_t Interval = 33;  // milliseconds

  // The process-wide instance; made on first use and never freed, so that
  // animations freed by exit handlers still find it.
  static TuiAnimationTimer& Instance();

  // Replaces the source; the running animations carry on with the new one.
  // A source must be uninstalled (none) before it is destroyed.
  void SetSource(platform::ITimerSource* Value);
  platform::ITimerSource* Source() const { return FSource; }

  // Joins the animation once; the timer starts with the first one.
  void Add(TuiAnimation* Animation);
  // Leaves; safe during a tick. The timer stops with the last one.
  void Remove(TuiAnimation* Animation);
  bool Contains(const TuiAnimation* Animation) const;
  int Count() const;
  // Whether the platform timer is enabled, that is, whether it wakes anyone.
  bool Active() const { return FTimer && FTimer->Enabled(); }

  // One period: now measured against the last tick, then every running
  // animation from the last joined to the first.
  void Tick();

  // While one lives, an animation that starts jumps straight to its end value
  // instead of running: what takes on a fresh look (a control binding a new
  // style) has no previous look to animate from.
  class TSettle {
   public:
    TSettle() { ++Instance().FSettling; }
    ~TSettle() { --Instance().FSettling; }
    TSettle(const TSettle&) = delete;
    TSettle& operator=(const TSettle&) = delete;
  };
  bool Settling() const { return FSettling > 0; }

 private:
  TuiAnimationTimer() = default;
  double Now() const;
  void Sweep();
  void UpdateActive();

  platform::ITimerSource* FSource = nullptr;
  std::unique_ptr<platform::ITimer> FTimer;
  // Running animations; one leaving during a tick leaves a hole (none),
  // swept out when the tick ends.
  std::vector<TuiAnimation*> FList;
  int FWalking = 0;
  bool FHoles = false;
  double FLast = 0;  // seconds of the source's counter at the last tick
  int FSettling = 0;
};
