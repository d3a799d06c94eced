// What the windows repaint most: the settings window's whole frame (panels,
// buttons, track bars, check marks and their captions) and one LED of the
// console when an effect lights or darkens it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <string>

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

void UseGradient(TuiBrush& B, TuiColor From, TuiColor To, bool Radial) {
  B.SetStyle(uxBrushGradient);
  TuiGradient* g = B.Gradient();
  g->Points()->Clear();
  g->Points()->Add(From, 0);
  g->Points()->Add(To, 1);
  g->SetStyle(Radial ? uxRadialGradient : uxLinearGradient);
}

// About 50 shapes and 60 captions, the way the settings window's controls
// paint: each under its own matrix and saved state.
void PaintSettingsFrame(TuiCanvas& C) {
  C.Clear(0);
  C.SetMatrix(IdentityMatrix());
  // The HUD window: a translucent rounded panel with a gradient and a border.
  UseGradient(*C.Fill(), 0xE0202830, 0xE0101418, false);
  C.FillRect({0, 0, 419, 336}, 8, 8, AllCorners, 1);
  C.Stroke()->SetStyle(uxBrushSolid);
  C.Stroke()->SetColorValue(0xFF5A6A7A);
  C.SetStrokeThickness(1);
  C.DrawRect({0.5f, 0.5f, 418.5f, 335.5f}, 8, 8, AllCorners, 1);
  static const char* const Captions[] = {"Connect",  "Blink all led",   "Attention", "On_Line",
                                         "Run_Line", "Green blink",     "Gas",       "Petrol",
                                         "Automat",  "Wait etalon mode"};
  int caption = 0;
  for (int row = 0; row < 12; ++row) {
    for (int col = 0; col < 4; ++col) {
      const int32_t saved = C.SaveCanvas();
      TuiMatrix m;
      m.M[2][0] = 12.0f + col * 100;
      m.M[2][1] = 30.0f + row * 24;
      C.SetMatrix(m);
      switch ((row + col) % 4) {
        case 0:  // radio button: a ring and a dot
          C.Fill()->SetStyle(uxBrushSolid);
          C.Fill()->SetColorValue(0xFF303840);
          C.FillEllipse({0, 2, 14, 16}, 1);
          C.DrawEllipse({0.5f, 2.5f, 13.5f, 15.5f}, 1);
          break;
        case 1:  // check box with a gradient face
          UseGradient(*C.Fill(), 0xFF485868, 0xFF202830, false);
          C.FillRect({0, 2, 14, 16}, 2, 2, AllCorners, 1);
          C.DrawRect({0.5f, 2.5f, 13.5f, 15.5f}, 2, 2, AllCorners, 1);
          break;
        case 2:  // track bar groove and thumb
          C.Fill()->SetStyle(uxBrushSolid);
          C.Fill()->SetColorValue(0xFF101418);
          C.FillRect({0, 8, 80, 11}, 1.5f, 1.5f, AllCorners, 1);
          UseGradient(*C.Fill(), 0xFFE0E8F0, 0xFF607080, true);
          C.FillEllipse({30, 2, 44, 16}, 1);
          C.Fill()->SetStyle(uxBrushSolid);
          C.FillText({50, 0, 90, 20}, std::to_string(row * 8 + col), false, 1, uxTextAlignFar);
          break;
        default:  // push button
          UseGradient(*C.Fill(), 0xFF586878, 0xFF303840, false);
          C.FillRect({0, 0, 80, 20}, 4, 4, AllCorners, 1, uxCornerRound);
          break;
      }
      C.Fill()->SetStyle(uxBrushSolid);
      C.Fill()->SetColorValue(0xFFE0E8F0);
      C.FillText({18, 0, 96, 20}, Captions[caption++ % 10], false, 1, uxTextAlignNear, uxTextAlignCenter);
      C.RestoreCanvas(saved);
    }
  }
  // The caption bar's title.
  C.FillText({0, 4, 419, 24}, "LEDs control and settngs", false, 1, uxTextAlignCenter);
  C.EndScene();
}

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
  canvas.SetStrokeThickness(1);
  canvas.Stroke()->SetColorValue(0xFF1A1A1A);
  bool lit = false;
  for (auto _ : state) {
    lit = !lit;
    canvas.ClearRect({0, 0, 40, 40}, 0);
    canvas.Fill()->SetColorValue(lit ? 0xFF00FF00 : 0xFF3E3E3E);
    canvas.FillEllipse({2, 2, 38, 38}, 1);
    canvas.DrawEllipse({2.5f, 2.5f, 37.5f, 37.5f}, 1);
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
