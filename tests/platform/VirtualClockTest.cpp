#include "platform/VirtualClock.h"

#include <gtest/gtest.h>

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

}  // namespace
