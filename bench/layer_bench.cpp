// One frame of a console-sized GUI layer (419 x 336, about 60 controls) end
// to end: tree paint, buffer copy, 3D frame, push to a headless window. The
// full frame repaints everything; the LED frame changes one 40 x 40 box and
// should cost well under a fifth of it.
#include <benchmark/benchmark.h>

#include "controls/ControlsRegistration.h"
#include "controls/TextControls.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "tests/scene3d/layers/LayerFixtures.h"

namespace {

struct TConsole {
  layertest::TTestScene Scene{419, 336};
  std::unique_ptr<TscGUIObjectLayer> Layer;
  TuiRectangle* Led = nullptr;

  TConsole() {
    RegisterCairoCanvas();
    RegisterControlClasses();
    Layer = std::make_unique<TscGUIObjectLayer>(nullptr);
    Layer->SetLayerScene(&Scene);
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
    Scene.Render(*Layer);
  }
};

void BM_LayerFullFrame(benchmark::State& State) {
  TConsole c;
  for (auto _ : State) {
    c.Layer->AddUpdateRect({0, 0, 65535, 65535});
    c.Scene.Render(*c.Layer);
    benchmark::DoNotOptimize(c.Scene.Pixel(10, 10));
  }
}
BENCHMARK(BM_LayerFullFrame)->Unit(benchmark::kMicrosecond);

void BM_LayerLedFrame(benchmark::State& State) {
  TConsole c;
  bool on = false;
  for (auto _ : State) {
    on = !on;
    c.Led->Fill()->SetColorValue(on ? 0xFFFF0000 : 0xFF00FF00);
    c.Scene.Render(*c.Layer);
    benchmark::DoNotOptimize(c.Scene.Pixel(10, 10));
  }
}
BENCHMARK(BM_LayerLedFrame)->Unit(benchmark::kMicrosecond);

// Nothing changed: the floor the 3D frame (clear and quad) sets for both.
void BM_LayerUnchangedFrame(benchmark::State& State) {
  TConsole c;
  for (auto _ : State) {
    c.Scene.InvalidateRect(nullptr);
    c.Scene.Render(*c.Layer);
    benchmark::DoNotOptimize(c.Scene.Pixel(10, 10));
  }
}
BENCHMARK(BM_LayerUnchangedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
