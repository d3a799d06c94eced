#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/TimerSource.h"

// A clock that only moves when told to, and the window timers that run on it.
//
// The timers follow the window-timer rules the whole program relies on: a timer
// ticks every Interval milliseconds while it is enabled and Interval is not 0;
// writing a different Interval or a different Enabled restarts the period from
// that moment; writing the value already set changes nothing, so enabling a
// running timer keeps its phase. Tests drive time with Advance and see the ticks
// that a real message loop would have delivered, in the same order.
//
// The real message loop runs the same timers on a clock that follows the
// system's monotonic time (the constructor's TimeSource): it asks NextDue how
// long it may sleep and calls FireDue when it wakes.
namespace platform {

class TVirtualClock;

class TVirtualTimer : public ITimer {
 public:
  explicit TVirtualTimer(TVirtualClock& Clock);
  ~TVirtualTimer() override;
  TVirtualTimer(const TVirtualTimer&) = delete;
  TVirtualTimer& operator=(const TVirtualTimer&) = delete;

  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t Value);
  bool Enabled() const override { return FEnabled; }
  void SetEnabled(bool Value) override;

  // Called on every tick; the timer is the sender.
  std::function<void(TVirtualTimer* Sender)> OnTimer;

 private:
  friend class TVirtualClock;
  bool Running() const { return FEnabled && FInterval != 0; }
  void Restart();

  TVirtualClock& FClock;
  uint32_t FInterval = 1000;
  bool FEnabled = false;
  uint64_t FDue = 0;  // meaningful only while Running()
  const uint64_t FSerial;
};

class TVirtualClock : public ITimerSource {
 public:
  TVirtualClock() = default;
  // Now() reads TimeSource (milliseconds, never going back) instead of the
  // time moved by Advance.
  explicit TVirtualClock(std::function<uint64_t()> TimeSource) : FTimeSource(std::move(TimeSource)) {}
  TVirtualClock(const TVirtualClock&) = delete;
  TVirtualClock& operator=(const TVirtualClock&) = delete;

  uint64_t Now() const { return FTimeSource ? FTimeSource() : FNow; }
  uint64_t TickCount() const override { return Now(); }
  std::unique_ptr<ITimer> CreateTimer(uint32_t Interval, std::function<void()> Tick) override;

  // Moves time forward by Milliseconds, firing every tick that falls due on the
  // way, earliest first; ticks due at the same moment fire in the order the
  // timers were created. A handler may reconfigure any timer, itself included.
  void Advance(uint64_t Milliseconds);

  // The moment the earliest running timer falls due, or nothing when no timer
  // runs (a loop may then sleep until input arrives).
  std::optional<uint64_t> NextDue() const;

  // What a message loop that was busy does when it gets round to its timers:
  // every timer due by Now() ticks once, earliest first, however many periods
  // it missed, and keeps its phase. Returns the number of ticks.
  int FireDue();

 private:
  friend class TVirtualTimer;
  std::function<uint64_t()> FTimeSource;
  uint64_t FNow = 0;
  std::vector<TVirtualTimer*> FTimers;  // creation order
  uint64_t FSerials = 0;
};

}  // namespace platform
