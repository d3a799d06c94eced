#include "platform/VirtualClock.h"

#include <algorithm>

namespace platform {

TVirtualTimer::TVirtualTimer(TVirtualClock& Clock) : FClock(Clock) {
  FClock.FTimers.push_back(this);
}

TVirtualTimer::~TVirtualTimer() {
  std::erase(FClock.FTimers, this);
}

void TVirtualTimer::Restart() {
  FDue = FClock.FNow + FInterval;
}

void TVirtualTimer::SetInterval(uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  Restart();
}

void TVirtualTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Restart();
}

std::unique_ptr<ITimer> TVirtualClock::CreateTimer(uint32_t Interval, std::function<void()> Tick) {
  auto timer = std::make_unique<TVirtualTimer>(*this);
  timer->SetInterval(Interval);
  timer->OnTimer = [Tick = std::move(Tick)](TVirtualTimer*) { Tick(); };
  return timer;
}

void TVirtualClock::Advance(uint64_t Milliseconds) {
  const uint64_t target = FNow + Milliseconds;
  for (;;) {
    TVirtualTimer* next = nullptr;
    for (TVirtualTimer* t : FTimers)
      if (t->Running() && t->FDue <= target && (!next || t->FDue < next->FDue)) next = t;
    if (!next) break;
    FNow = next->FDue;
    // The next period is booked before the handler runs, so that a handler that
    // rewrites the interval or stops the timer has the last word.
    next->FDue = FNow + next->FInterval;
    if (next->OnTimer) next->OnTimer(next);
  }
  FNow = target;
}

}  // namespace platform
