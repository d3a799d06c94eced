#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

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
  // Into or out of the clock's schedule; FDue changes only through MoveDue.
  void Schedule();
  void Unschedule();
  // Sets FDue and keeps the schedule in step, reusing the timer's entry.
  void MoveDue(uint64_t Due);

  TVirtualClock& FClock;
  uint32_t FInterval = 1000;
  bool FEnabled = false;
  uint64_t FDue = 0;  // meaningful only while Running()
  const uint64_t FSerial;
  bool FScheduled = false;
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

  // How many timers run, which is all the clock looks at: a stopped timer
  // costs nothing however many there are.
  size_t RunningTimers() const { return FSchedule.size(); }

 private:
  friend class TVirtualTimer;
  std::function<uint64_t()> FTimeSource;
  uint64_t FNow = 0;
  // The running timers by due time, then by serial (creation order), so that
  // the next tick is always the first entry.
  std::map<std::pair<uint64_t, uint64_t>, TVirtualTimer*> FSchedule;
  uint64_t FSerials = 0;
};

}  // namespace platform
