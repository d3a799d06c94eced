// Painting follows the dirty area: a full paint of a tree of about 400
// rectangles against the repaint after one 40 x 40 object changes its look.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "draw2d/Canvas.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/paint/BufferedScene.h"

namespace {

class TBox : public TuiVisualObject {
 public:
  using TuiVisualObject::TuiVisualObject;
  TuiColor Color = 0xFF336699;
  void SetColor(TuiColor Value) {
    if (Value == Color) return;
    Color = Value;
    Repaint();
  }

 protected:
  void Paint() override {
    TuiCanvas* c = Canvas();
    c->Fill()->SetStyle(uxBrushSolid);
    c->Fill()->SetColorValue(Color);
    c->FillRect(GetLocalRect(), 0, 0, AllCorners, GetAbsoluteOpacity());
  }
};

// 20 panels of 20 boxes of 40 x 40, on an 880 x 880 scene.
struct TTree {
  TuiBufferedScene Host{880, 880};
  std::unique_ptr<TBox> Root;
  TBox* Changed = nullptr;

  TTree() {
    Root = std::make_unique<TBox>(nullptr);
    Root->SetBounds(0, 0, 880, 880);
    for (int p = 0; p < 20; ++p) {
      auto* panel = new TBox(Root.get());
      panel->SetBounds(float(p % 4) * 220, float(p / 4) * 176, 220, 176);
      panel->Color = 0xFF202020;
      panel->SetParent(Root.get());
      for (int b = 0; b < 20; ++b) {
        auto* box = new TBox(Root.get());
        box->SetBounds(float(b % 5) * 44, float(b / 5) * 44, 40, 40);
        box->SetParent(panel);
        Changed = box;
      }
    }
    Host.AddObject(Root.get());
  }
  ~TTree() { Host.RemoveObject(Root.get()); }
};

void BM_FullPaint(benchmark::State& State) {
  RegisterCairoCanvas();
  TTree tree;
  for (auto _ : State) {
    tree.Host.InvalidateAll();
    tree.Host.PaintTree();
  }
}
BENCHMARK(BM_FullPaint)->Unit(benchmark::kMicrosecond);

void BM_RepaintOneBox(benchmark::State& State) {
  RegisterCairoCanvas();
  TTree tree;
  tree.Host.InvalidateAll();
  tree.Host.PaintTree();
  bool flip = false;
  for (auto _ : State) {
    flip = !flip;
    tree.Changed->SetColor(flip ? 0xFFFF0000 : 0xFF00FF00);
    tree.Host.PaintTree();
  }
}
BENCHMARK(BM_RepaintOneBox)->Unit(benchmark::kMicrosecond);

}  // namespace
