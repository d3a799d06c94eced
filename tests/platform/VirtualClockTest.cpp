#include "platform/VirtualClock.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using platform::TVirtualClock;
using platform::TVirtualTimer;

namespace {

struct TickLog {
  std::vector<uint64_t> At;
  void Attach(TVirtualTimer& T, TVirtualClock& C) {
    T.OnTimer = [this, &C](TVirtualTimer*) { At.push_back(C.Now()); };
  }
};

TEST(VirtualTimer, DefaultsToOneSecondAndDisabled) {
  TVirtualClock clock;
  TVirtualTimer t(clock);
  EXPECT_EQ(t.Interval(), 1000u);
  EXPECT_FALSE(t.Enabled());
  TickLog log;
  log.Attach(t, clock);
  clock.Advance(5000);
  EXPECT_TRUE(log.At.empty());
  t.SetEnabled(true);
  clock.Advance(2500);
  EXPECT_EQ(log.At, (std::vector<uint64_t>{6000, 7000}));
}

TEST(VirtualTimer, RewritingTheSameValueKeepsThePhase) {
  TVirtualClock clock;
  TVirtualTimer t(clock);
  TickLog log;
  log.Attach(t, clock);
  t.SetInterval(100);
  t.SetEnabled(true);
  clock.Advance(60);
  t.SetEnabled(true);  // already enabled: no restart
  t.SetInterval(100);  // same interval: no restart
  clock.Advance(50);
  EXPECT_EQ(log.At, (std::vector<uint64_t>{100}));
}

TEST(VirtualTimer, ADifferentValueRestartsThePeriod) {
  TVirtualClock clock;
  TVirtualTimer t(clock);
  TickLog log;
  log.Attach(t, clock);
  t.SetInterval(100);
  t.SetEnabled(true);
  clock.Advance(60);
  t.SetInterval(50);  // restarts at 60
  clock.Advance(100);
  EXPECT_EQ(log.At, (std::vector<uint64_t>{110, 160}));
  t.SetEnabled(false);
  clock.Advance(20);
  t.SetEnabled(true);  // restarts at 180
  clock.Advance(60);
  EXPECT_EQ(log.At, (std::vector<uint64_t>{110, 160, 230}));
}

TEST(VirtualTimer, IntervalZeroIsSilentWhileEnabled) {
  TVirtualClock clock;
  TVirtualTimer t(clock);
  TickLog log;
  log.Attach(t, clock);
  t.SetEnabled(true);
  t.SetInterval(0);
  clock.Advance(10000);
  EXPECT_TRUE(log.At.empty());
  EXPECT_TRUE(t.Enabled());
  t.SetInterval(30);
  clock.Advance(65);
  EXPECT_EQ(log.At, (std::vector<uint64_t>{10030, 10060}));
}

TEST(VirtualClock, FiresInTimeOrderThenCreationOrder) {
  TVirtualClock clock;
  TVirtualTimer a(clock), b(clock);
  std::string order;
  a.OnTimer = [&](TVirtualTimer*) { order += "a" + std::to_string(clock.Now()) + " "; };
  b.OnTimer = [&](TVirtualTimer*) { order += "b" + std::to_string(clock.Now()) + " "; };
  a.SetInterval(20);
  b.SetInterval(30);
  b.SetEnabled(true);
  a.SetEnabled(true);
  clock.Advance(60);
  EXPECT_EQ(order, "a20 b30 a40 a60 b60 ");
}

TEST(VirtualClock, AHandlerMayStopOrRetimeItsOwnTimer) {
  TVirtualClock clock;
  TVirtualTimer t(clock);
  int ticks = 0;
  t.SetInterval(10);
  t.OnTimer = [&](TVirtualTimer* Sender) {
    if (++ticks == 2) Sender->SetEnabled(false);
  };
  t.SetEnabled(true);
  clock.Advance(1000);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(clock.Now(), 1000u);
}

// A scenario runs as many one-shot timers, each stopping itself on its tick.
// Stopped timers must leave the clock's schedule, or every later tick would
// look at all of them; the due ones still fire by time, then creation order.
TEST(VirtualClock, StoppedTimersLeaveTheSchedule) {
  TVirtualClock clock;
  constexpr int Count = 300;
  std::vector<std::unique_ptr<TVirtualTimer>> timers;
  std::vector<int> fired;
  for (int i = 0; i < Count; ++i) {
    auto t = std::make_unique<TVirtualTimer>(clock);
    // Created latest first; each two share their moment.
    t->SetInterval(uint32_t(10 * ((Count - i + 1) / 2)));
    t->OnTimer = [&fired, i](TVirtualTimer* Sender) {
      fired.push_back(i);
      Sender->SetEnabled(false);
    };
    timers.push_back(std::move(t));
  }
  for (auto& t : timers) t->SetEnabled(true);
  EXPECT_EQ(clock.RunningTimers(), size_t(Count));
  clock.Advance(10 * (Count / 4));
  EXPECT_EQ(clock.RunningTimers(), size_t(Count) - fired.size());
  clock.Advance(10 * Count);
  EXPECT_EQ(clock.RunningTimers(), 0u);
  EXPECT_FALSE(clock.NextDue());
  ASSERT_EQ(fired.size(), size_t(Count));
  for (size_t k = 1; k < fired.size(); ++k) {
    const int a = fired[k - 1], b = fired[k];
    const uint32_t dueA = timers[size_t(a)]->Interval(), dueB = timers[size_t(b)]->Interval();
    EXPECT_TRUE(dueA < dueB || (dueA == dueB && a < b)) << a << " before " << b;
  }
  // Freed while running, a timer leaves no trace either.
  timers[0]->SetEnabled(true);
  EXPECT_EQ(clock.RunningTimers(), 1u);
  timers[0].reset();
  EXPECT_EQ(clock.RunningTimers(), 0u);
  EXPECT_FALSE(clock.NextDue());
}

}  // namespace
