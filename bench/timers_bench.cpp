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
