// The simulator for an hour of its virtual clock on the headless layer, the
// settings controls driving every LED effect, blink and level change in turn
// (bench/scenarios/every-effect.txt, played once a minute). Memory must stay
// flat: the peak resident size at the end within 1 MiB of the one after the
// first minute. Counters in KiB.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/program/Scenario.h"
#include "app/program/Session.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "scene3d/software/SoftwareCanvas.h"
#include "tests/app/program/HeadlessSession.h"

namespace {

using kardo::testing::StatusKiB;

void BM_EveryEffectForAnHour(benchmark::State& State) {
  std::ifstream file(UX_SOURCE_ROOT "/bench/scenarios/every-effect.txt");
  std::stringstream text;
  text << file.rdbuf();
  kardo::TScenario cycle;
  std::string error;
  if (!cycle.Parse(text.str(), "every-effect.txt", error)) return State.SkipWithError(error.c_str());
  TscSoftwareCanvas::Register();
  for (auto _ : State) {
    platform::THeadlessWindowSystem system;
    auto started = kardo::testing::StartHeadlessSession(system);
    kardo::TKardoSession& session = *started;
    long first = 0;
    for (int minute = 0; minute < 60; ++minute) {
      kardo::TScenarioRunner runner(session, cycle);
      const uint64_t start = system.TickCount();
      runner.Start();
      system.RunUntil(start + 60000);
      if (!runner.Error().empty()) return State.SkipWithError(runner.Error().c_str());
      if (minute == 0) first = StatusKiB("VmHWM");
    }
    const long end = StatusKiB("VmHWM");
    State.counters["peak_after_1_min_KiB"] = double(first);
    State.counters["peak_after_60_min_KiB"] = double(end);
    State.counters["growth_KiB"] = double(end - first);
  }
}
BENCHMARK(BM_EveryEffectForAnHour)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
