// The virtual clock carries every timer of the simulator in tests; this keeps an
// eye on what an hour of simulated time with the busiest timers costs.
#include "platform/VirtualClock.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

static void BM_VirtualClockHour(benchmark::State& state) {
  for (auto _ : state) {
    platform::TVirtualClock clock;
    std::vector<std::unique_ptr<platform::TVirtualTimer>> timers;
    uint64_t ticks = 0;
    for (uint32_t interval : {70u, 80u, 100u, 200u, 250u, 500u, 1000u}) {
      auto t = std::make_unique<platform::TVirtualTimer>(clock);
      t->SetInterval(interval);
      t->OnTimer = [&ticks](platform::TVirtualTimer*) { ++ticks; };
      t->SetEnabled(true);
      timers.push_back(std::move(t));
    }
    clock.Advance(3600 * 1000);
    benchmark::DoNotOptimize(ticks);
  }
}
BENCHMARK(BM_VirtualClockHour)->Unit(benchmark::kMillisecond);

// A scenario of N actions: one one-shot timer per action, each stopping itself
// on its tick, all created and started up front.
static void BM_ScenarioOneShots(benchmark::State& state) {
  const auto count = uint32_t(state.range(0));
  for (auto _ : state) {
    platform::TVirtualClock clock;
    std::vector<std::unique_ptr<platform::TVirtualTimer>> timers;
    timers.reserve(count);
    uint64_t ticks = 0;
    for (uint32_t i = 0; i < count; ++i) {
      auto t = std::make_unique<platform::TVirtualTimer>(clock);
      t->SetInterval(i + 1);
      t->OnTimer = [&ticks](platform::TVirtualTimer* Sender) {
        ++ticks;
        Sender->SetEnabled(false);
      };
      timers.push_back(std::move(t));
    }
    for (auto& t : timers) t->SetEnabled(true);
    clock.Advance(count + 1);
    benchmark::DoNotOptimize(ticks);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ScenarioOneShots)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 16)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
