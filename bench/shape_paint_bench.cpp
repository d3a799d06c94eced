// Painting real shapes through the buffered host: a tree of 400 objects in the
// settings window's mix (rounded panels and buttons, radio circles, texts),
// painted whole, against the repaint after one 40 x 40 circle's fill changes,
// which must stay well under a tenth of the whole.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "draw2d/Canvas.h"
#include "draw2d/Draw2dRegistration.h"
#include "draw2d/ShapeEllipses.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/ShapeText.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/Layouts.h"
#include "scene2d/paint/BufferedScene.h"

namespace {

template <class T>
T* Make(TuiComponent* Owner, TuiObject* Parent, float X, float Y, float W, float H) {
  auto* o = new T(Owner);
  o->SetBounds(X, Y, W, H);
  o->SetParent(Parent);
  return o;
}

// 20 panels of 220 x 176 on an 880 x 880 scene, each a rounded rectangle with
// a title, six 40 x 40 radio circles with their labels and six rounded buttons:
// 400 shapes under one layout.
struct TSettingsTree {
  TuiBufferedScene Host{880, 880};
  std::unique_ptr<TuiLayout> Root;
  TuiCircle* Changed = nullptr;

  TSettingsTree() {
    RegisterDraw2dClasses();
    Root = std::make_unique<TuiLayout>(nullptr);
    Root->SetBounds(0, 0, 880, 880);
    TuiComponent* o = Root.get();
    for (int p = 0; p < 20; ++p) {
      auto* panel = Make<TuiRectangle>(o, Root.get(), float(p % 4) * 220, float(p / 4) * 176, 216, 172);
      panel->SetXRadius(8);
      panel->SetYRadius(8);
      panel->Fill()->SetColorValue(0xE0202830);
      panel->Stroke()->SetColorValue(0xFF5A7A9A);
      auto* title = Make<TuiText>(o, panel, 10, 2, 196, 20);
      title->SetText("Panel " + std::to_string(p + 1));
      title->Fill()->SetColorValue(0xFFE0E8F0);
      for (int i = 0; i < 6; ++i) {
        const float x = 8 + float(i % 3) * 70, y = 24 + float(i / 3) * 46;
        auto* radio = Make<TuiCircle>(o, panel, x, y, 40, 40);
        radio->Fill()->SetColorValue(0xFF101418);
        radio->Stroke()->SetColorValue(0xFFA0B0C0);
        Changed = radio;
        auto* label = Make<TuiText>(o, panel, x + 40, y + 10, 28, 20);
        label->SetText(std::string(1, char('A' + i)));
        label->Fill()->SetColorValue(0xFFE8ECF0);
        auto* button = Make<TuiRoundRect>(o, panel, 8 + float(i % 3) * 70, 118 + float(i / 3) * 26, 62, 22);
        button->Fill()->SetColorValue(0xFF3A4450);
        button->Stroke()->SetColorValue(0xFF6C7A88);
      }
    }
    Host.AddObject(Root.get());
  }
  ~TSettingsTree() { Host.RemoveObject(Root.get()); }
};

void BM_ShapesFullPaint(benchmark::State& State) {
  RegisterCairoCanvas();
  TSettingsTree tree;
  for (auto _ : State) {
    tree.Host.InvalidateAll();
    tree.Host.PaintTree();
  }
}
BENCHMARK(BM_ShapesFullPaint)->Unit(benchmark::kMicrosecond);

void BM_ShapesRepaintOneCircle(benchmark::State& State) {
  RegisterCairoCanvas();
  TSettingsTree tree;
  tree.Host.InvalidateAll();
  tree.Host.PaintTree();
  bool flip = false;
  for (auto _ : State) {
    flip = !flip;
    tree.Changed->Fill()->SetColorValue(flip ? 0xFF40C0FF : 0xFF101418);
    tree.Host.PaintTree();
  }
  // A repaint that skipped the circle would look cheap too.
  const TuiPoint centre = tree.Changed->LocalToAbsolute({20, 20});
  const TuiCanvas& buffer = tree.Host.Buffer();
  const uint32_t seen = buffer.BufferBits()[size_t(centre.Y) * size_t(buffer.Width()) + size_t(centre.X)];
  if (seen != tree.Changed->Fill()->ColorValue()) State.SkipWithError("the circle was not repainted");
}
BENCHMARK(BM_ShapesRepaintOneCircle)->Unit(benchmark::kMicrosecond);

}  // namespace
