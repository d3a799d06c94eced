// One frame of a console-sized GUI layer (419 x 336, about 60 controls) end
// to end through the scene window: repaint message, tree paint, buffer copy,
// 3D frame, push to a headless window. The full frame repaints everything;
// the LED frame changes one 40 x 40 box and should cost well under a fifth
// of it.
#include <benchmark/benchmark.h>

#include "controls/ControlsRegistration.h"
#include "controls/TextControls.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "tests/scene3d/layers/LayerFixtures.h"

namespace {

struct TConsole {
  layertest::TLayerWindow Window{419, 336};
  TscGUIObjectLayer* Layer = nullptr;
  TuiRectangle* Led = nullptr;

  TConsole() {
    RegisterCairoCanvas();
    RegisterControlClasses();
    Layer = new TscGUIObjectLayer(nullptr);
    Window.Root->AddObject(Layer);
    Layer->SetLayerAlign(scLayerContents);
    auto* root = new TuiLayout(nullptr);
    Layer->AddObject(root);
    layertest::AddBox(root, 0, 0, 419, 336, 0xFF202830);
    // 6 x 10 cells: a framed box and a caption each.
    for (int row = 0; row < 6; ++row)
      for (int col = 0; col < 10; ++col) {
        auto* cell = layertest::AddBox(root, 4.0f + float(col) * 41, 4.0f + float(row) * 55, 40, 40,
                                       0xFF406080 + uint32_t(row * 10 + col));
        cell->Stroke()->SetStyle(uxBrushSolid);
        auto* label = new TuiLabel(root);
        label->SetParent(root);
        label->SetBounds(4.0f + float(col) * 41, 46.0f + float(row) * 55, 40, 12);
        label->SetText("LED");
        if (row == 2 && col == 4) Led = cell;
      }
    Window.Render();
  }
  // Pushed pixels of the last frame, for the counters.
  double PushedArea() const { return double(Window.Pushed().Width) * double(Window.Pushed().Height); }
};

void BM_LayerFullFrame(benchmark::State& State) {
  TConsole c;
  for (auto _ : State) {
    c.Layer->AddUpdateRect({0, 0, 65535, 65535});
    c.Window.Render();
    benchmark::DoNotOptimize(c.Window.Pixel(10, 10));
  }
  State.counters["pushed_px"] = c.PushedArea();
}
BENCHMARK(BM_LayerFullFrame)->Unit(benchmark::kMicrosecond);

void BM_LayerLedFrame(benchmark::State& State) {
  TConsole c;
  bool on = false;
  for (auto _ : State) {
    on = !on;
    c.Led->Fill()->SetColorValue(on ? 0xFFFF0000 : 0xFF00FF00);
    c.Window.Render();
    benchmark::DoNotOptimize(c.Window.Pixel(10, 10));
  }
  State.counters["pushed_px"] = c.PushedArea();
}
BENCHMARK(BM_LayerLedFrame)->Unit(benchmark::kMicrosecond);

// No 2D change, whole-frame request: the floor the 3D frame (clear and
// quad) and a full push set.
void BM_LayerUnchangedFrame(benchmark::State& State) {
  TConsole c;
  for (auto _ : State) {
    c.Window.Scene->Invalidate();
    c.Window.Render();
    benchmark::DoNotOptimize(c.Window.Pixel(10, 10));
  }
  State.counters["pushed_px"] = c.PushedArea();
}
BENCHMARK(BM_LayerUnchangedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
