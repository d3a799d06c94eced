#include "platform/VirtualClock.h"

#include <vector>

namespace platform {

TVirtualTimer::TVirtualTimer(TVirtualClock& Clock) : FClock(Clock), FSerial(++Clock.FSerials) {}

TVirtualTimer::~TVirtualTimer() {
  Unschedule();
}

void TVirtualTimer::Schedule() {
  if (FScheduled || !Running()) return;
  FClock.FSchedule.emplace(std::make_pair(FDue, FSerial), this);
  FScheduled = true;
}

void TVirtualTimer::Unschedule() {
  if (!FScheduled) return;
  FClock.FSchedule.erase({FDue, FSerial});
  FScheduled = false;
}

void TVirtualTimer::MoveDue(uint64_t Due) {
  if (FScheduled && Running()) {
    auto node = FClock.FSchedule.extract({FDue, FSerial});
    FDue = Due;
    node.key() = {FDue, FSerial};
    FClock.FSchedule.insert(std::move(node));
    return;
  }
  Unschedule();
  FDue = Due;
  Schedule();
}

void TVirtualTimer::Restart() {
  MoveDue(FClock.Now() + FInterval);
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
  while (!FSchedule.empty() && FSchedule.begin()->first.first <= target) {
    TVirtualTimer* next = FSchedule.begin()->second;
    FNow = next->FDue;
    // The next period is booked before the handler runs, so that a handler that
    // rewrites the interval or stops the timer has the last word.
    next->MoveDue(FNow + next->FInterval);
    if (next->OnTimer) next->OnTimer(next);
  }
  FNow = target;
}

std::optional<uint64_t> TVirtualClock::NextDue() const {
  if (FSchedule.empty()) return std::nullopt;
  return FSchedule.begin()->first.first;
}

int TVirtualClock::FireDue() {
  const uint64_t now = Now();
  // Collected first: a handler may create, free or restart timers, and a timer
  // restarted by a handler is not due again in this round. Each is looked up
  // again by its due time and serial before it fires, so one freed or
  // restarted meanwhile (even by a nested loop) is skipped, and a new one at
  // the same address is not mistaken for it.
  std::vector<std::pair<uint64_t, uint64_t>> due;
  for (auto it = FSchedule.begin(); it != FSchedule.end() && it->first.first <= now; ++it)
    due.push_back(it->first);
  int ticks = 0;
  for (const auto& key : due) {
    auto it = FSchedule.find(key);
    if (it == FSchedule.end()) continue;
    TVirtualTimer* t = it->second;
    t->MoveDue(t->FDue + ((now - t->FDue) / t->FInterval + 1) * t->FInterval);
    if (t->OnTimer) t->OnTimer(t);
    ++ticks;
  }
  return ticks;
}

}  // namespace platform
