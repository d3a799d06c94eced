#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// What code above the window layer needs to run on time: a millisecond tick
// counter and periodic timers delivered by the message loop. The virtual clock
// implements it for tests and tools; the window layer implements it over the
// real message loop.
namespace platform {

class ITimer {
 public:
  virtual ~ITimer() = default;
  virtual bool Enabled() const = 0;
  // Follows the window-timer rules: a different value restarts the period, the
  // value already set changes nothing.
  virtual void SetEnabled(bool Value) = 0;
};

class ITimerSource {
 public:
  virtual ~ITimerSource() = default;
  // Milliseconds since some fixed moment; never goes back.
  virtual uint64_t TickCount() const = 0;
  // A disabled timer of Interval milliseconds that calls Tick on every period.
  // It must not outlive the source.
  virtual std::unique_ptr<ITimer> CreateTimer(uint32_t Interval, std::function<void()> Tick) = 0;
};

}  // namespace platform
