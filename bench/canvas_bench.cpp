// What the windows repaint most: the settings window's whole frame (panels,
// buttons, track bars, check marks and their captions) and one LED of the
// console when an effect lights or darkens it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <string>

#include "bench/SettingsPicture.h"
#include "draw2d/cairo/CanvasCairo.h"

// Every allocation of the program is counted, so that a benchmark can report
// how many its loop makes.
namespace {
size_t Allocations = 0;
}  // namespace

[[gnu::noinline]] void* operator new(size_t Size) {
  ++Allocations;
  if (void* p = std::malloc(Size ? Size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* P) noexcept {
  std::free(P);
}
[[gnu::noinline]] void operator delete(void* P, size_t) noexcept {
  std::free(P);
}

namespace {

using uxbench::PaintLed;
using uxbench::PaintSettingsFrame;
using uxbench::PrepareLed;
using uxbench::UseGradient;

void BM_SettingsFrame(benchmark::State& state) {
  TuiCanvasCairo canvas(419, 336);
  for (auto _ : state) {
    PaintSettingsFrame(canvas);
    benchmark::DoNotOptimize(canvas.BufferBits()[419 * 168 + 200]);
  }
}
BENCHMARK(BM_SettingsFrame)->Unit(benchmark::kMicrosecond);

// One LED of the console: its rectangle cleared, the circle filled with the
// new colour and outlined.
void BM_LedRepaint(benchmark::State& state) {
  TuiCanvasCairo canvas(40, 40);
  PrepareLed(canvas);
  bool lit = false;
  for (auto _ : state) {
    lit = !lit;
    PaintLed(canvas, lit);
    benchmark::DoNotOptimize(canvas.BufferBits()[40 * 20 + 20]);
  }
}
BENCHMARK(BM_LedRepaint)->Unit(benchmark::kMicrosecond);

// What the paint pass does around every object of every frame: one saved
// state and its restore, with the fill a gradient and the stroke solid, as
// most controls leave them.
void BM_SaveRestore(benchmark::State& state) {
  TuiCanvasCairo canvas(16, 16);
  UseGradient(*canvas.Fill(), 0xFF586878, 0xFF303840, false);
  canvas.SetStrokeThickness(1);
  const size_t before = Allocations;
  for (auto _ : state) {
    const int32_t saved = canvas.SaveCanvas();
    canvas.SetStrokeThickness(2);
    canvas.RestoreCanvas(saved);
    benchmark::DoNotOptimize(saved);
  }
  state.counters["allocs"] =
      benchmark::Counter(double(Allocations - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SaveRestore);

// The same, nested three deep as a control inside two panels.
void BM_SaveRestoreNested(benchmark::State& state) {
  TuiCanvasCairo canvas(16, 16);
  canvas.Fill()->SetColorValue(0xFF202830);
  const size_t before = Allocations;
  for (auto _ : state) {
    const int32_t a = canvas.SaveCanvas();
    const int32_t b = canvas.SaveCanvas();
    const int32_t c = canvas.SaveCanvas();
    canvas.RestoreCanvas(c);
    canvas.RestoreCanvas(b);
    canvas.RestoreCanvas(a);
    benchmark::DoNotOptimize(a + b + c);
  }
  state.counters["allocs"] =
      benchmark::Counter(double(Allocations - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SaveRestoreNested);

}  // namespace
