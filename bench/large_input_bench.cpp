// What large inputs cost: an object far larger than the window under an
// effect, a long paste into a text box, a long text in a text shape. Each is
// bounded by what can show, not by the size of the input.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "controls/ControlsRegistration.h"
#include "controls/TextBox.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/ShapeText.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "platform/Clipboard.h"
#include "scene2d/Layouts.h"
#include "scene2d/effects/EffectKinds.h"
#include "scene2d/effects/EffectPainter.h"
#include "scene2d/paint/BufferedScene.h"
#include "scene2d/paint/Painter.h"

namespace {

void Register() {
  RegisterCairoCanvas();
  TuiPainter::Register();
  RegisterEffectClasses();
  RegisterControlClasses();
}

// A 200 x 200 window over a square of the given side with a shadow; every
// iteration makes the shadow's picture again.
void BM_ShadowOnLargeObject(benchmark::State& State) {
  Register();
  TuiBufferedScene host(200, 200);
  TuiLayout root(nullptr);
  root.SetBounds(0, 0, 200, 200);
  host.AddObject(&root);
  auto* square = new TuiRectangle(&root);
  const auto side = float(State.range(0));
  square->SetBounds(0, 0, side, side);
  square->SetParent(&root);
  auto* shadow = new TuiShadowEffect(&root);
  shadow->SetParent(square);
  float softness = 0.3f;
  for (auto _ : State) {
    softness = softness == 0.3f ? 0.31f : 0.3f;
    shadow->SetSoftness(softness);
    host.InvalidateAll();
    host.PaintTree();
  }
  host.RemoveObject(&root);
}
BENCHMARK(BM_ShadowOnLargeObject)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Pasting N characters into the display's 36 x 22 text box, which then
// scrolls to the end of the line, and painting it.
void BM_TextBoxPaste(benchmark::State& State) {
  Register();
  TuiBufferedScene host(200, 100);
  TuiLayout root(nullptr);
  root.SetBounds(0, 0, 200, 100);
  host.AddObject(&root);
  auto* box = new TuiHudTextBox(&root);
  box->SetBounds(10, 10, 36, 22);
  box->SetParent(&root);
  std::u16string text(size_t(State.range(0)), u' ');
  host.SetFocused(box);
  int round = 0;
  for (auto _ : State) {
    // A text none of whose parts was laid out lately, as a paste's.
    round = (round + 1) % 26;
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(u'a' + (i * 7 + size_t(round)) % 26);
    box->SetText(u"");
    box->InsertText(text);
    host.InvalidateAll();
    host.PaintTree();
  }
  host.RemoveObject(&root);
}
BENCHMARK(BM_TextBoxPaste)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A text shape of N bytes in a 300 x 200 window, painted once per iteration
// with a text it has not shown before.
void BM_LongTextShape(benchmark::State& State) {
  Register();
  TuiBufferedScene host(300, 200);
  TuiLayout root(nullptr);
  root.SetBounds(0, 0, 300, 200);
  host.AddObject(&root);
  auto* shape = new TuiText(&root);
  shape->SetBounds(0, 0, 300, 200);
  shape->SetParent(&root);
  std::string text;
  while (text.size() < size_t(State.range(0))) text += "lorem ipsum dolor sit amet ";
  text.resize(size_t(State.range(0)));
  char first = 'a';
  for (auto _ : State) {
    text[0] = first = first == 'z' ? 'a' : char(first + 1);
    shape->SetText(text);
    host.InvalidateAll();
    host.PaintTree();
  }
  host.RemoveObject(&root);
}
BENCHMARK(BM_LongTextShape)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
