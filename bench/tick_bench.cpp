// One tick of the Connect LED effect end to end: the simulator's session on
// the headless layer with the windows read from their stored layouts, the
// settings' "Connect" clicked once, then per iteration the clock moved on by
// one 80 ms period. That runs the effect's tick (all LEDs out, the next one
// lit), the console layer's repaint of the two changed circles over the
// console picture, the 3D frame and the push of its changed rectangle.
// Counters per iteration: the console's frames and the LED fills written.
#include <benchmark/benchmark.h>

#include <string>

#include "app/program/Scenario.h"
#include "app/program/Session.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "scene2d/Object.h"
#include "scene3d/Scene.h"
#include "scene3d/software/SoftwareCanvas.h"

namespace {

// Out of line so that a profiler can collect the ticks alone:
// valgrind --tool=callgrind --toggle-collect='*AdvanceOnePeriod*' bench/bench_tick
[[gnu::noinline]] void AdvanceOnePeriod(platform::THeadlessWindowSystem& System) {
  System.RunUntil(System.TickCount() + 80);
}

void BM_ConnectTick(benchmark::State& State) {
  kardo::TScenario connect;
  std::string error;
  if (!connect.Parse("at 0.2 click settings HudRadioButton_Effects_Connect\n", "connect", error))
    return State.SkipWithError(error.c_str());
  TscSoftwareCanvas::Register();
  platform::THeadlessWindowSystem system;
  system.SetScreen({1280, 1024}, {0, 0, 1280, 984});
  kardo::TKardoSession session(system);
  session.Start();
  kardo::TScenarioRunner runner(session, connect);
  runner.Start();
  // Past the click's own animations: from here on only the effect's timer runs.
  system.RunUntil(system.TickCount() + 2000);
  if (!runner.Error().empty()) return State.SkipWithError(runner.Error().c_str());
  const TscScene* console = session.Form("console")->Scene();
  const uint64_t framesBefore = console->FrameCount();
  for (auto _ : State) AdvanceOnePeriod(system);
  State.counters["frames_per_tick"] =
      double(console->FrameCount() - framesBefore) / double(State.iterations());
}
BENCHMARK(BM_ConnectTick)->Unit(benchmark::kMicrosecond);

}  // namespace
