#include "platform/VirtualClock.h"

#include <algorithm>

namespace platform {

TVirtualTimer::TVirtualTimer(TVirtualClock& Clock) : FClock(Clock), FSerial(++Clock.FSerials) {
  FClock.FTimers.push_back(this);
}

TVirtualTimer::~TVirtualTimer() {
  std::erase(FClock.FTimers, this);
}

void TVirtualTimer::Restart() {
  FDue = FClock.Now() + FInterval;
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

std::optional<uint64_t> TVirtualClock::NextDue() const {
  std::optional<uint64_t> due;
  for (const TVirtualTimer* t : FTimers)
    if (t->Running() && (!due || t->FDue < *due)) due = t->FDue;
  return due;
}

int TVirtualClock::FireDue() {
  const uint64_t now = Now();
  // Collected first: a handler may create, free or restart timers, and a timer
  // restarted by a handler is not due again in this round. A timer is looked up
  // by its serial before it fires, so one freed meanwhile (even by a nested
  // loop) is skipped and a new one at the same address is not mistaken for it.
  struct TDue {
    TVirtualTimer* Timer;
    uint64_t Serial, Due;
  };
  std::vector<TDue> due;
  for (TVirtualTimer* t : FTimers)
    if (t->Running() && t->FDue <= now) due.push_back({t, t->FSerial, t->FDue});
  std::stable_sort(due.begin(), due.end(), [](const TDue& A, const TDue& B) { return A.Due < B.Due; });
  int ticks = 0;
  for (const TDue& d : due) {
    auto it = std::find(FTimers.begin(), FTimers.end(), d.Timer);
    if (it == FTimers.end() || d.Timer->FSerial != d.Serial) continue;
    TVirtualTimer* t = d.Timer;
    if (!t->Running() || t->FDue > now) continue;
    t->FDue += ((now - t->FDue) / t->FInterval + 1) * t->FInterval;
    if (t->OnTimer) t->OnTimer(t);
    ++ticks;
  }
  return ticks;
}

}  // namespace platform
