// Styling at start-up: the settings window styles about 60 controls, each by
// cloning a style of about 20 objects out of the built-in sheet, which is
// parsed once per process. The clone is one in-memory stream round trip of
// the parsed subtree; against it, building the same 20 objects by code.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/Control.h"
#include "controls/ControlsRegistration.h"
#include "controls/EmbeddedSheets.h"
#include "controls/Resources.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/ShapeText.h"
#include "scene2d/Layouts.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/StreamConvert.h"

namespace {

constexpr int Controls = 60;

class TuiBenchControl : public TuiControl {
  UX_CLASS(TuiBenchControl, TuiControl)
 public:
  using TuiControl::TuiControl;
};
UX_IMPLEMENT_CLASS(TuiBenchControl)

// A sheet whose "benchcontrolstyle" has 20 objects: a layout holding
// rectangles with gradient fills, texts with fonts and float animations.
std::string SheetText() {
  std::string s =
      "object Sheet: TuiBackground\n"
      "  object Style: TuiLayout\n    ResourceName = 'benchcontrolstyle'\n    HitTest = False\n";
  for (int i = 0; i < 19; ++i) {
    switch (i % 3) {
      case 0:
        s += "    object R" + std::to_string(i) +
             ": TuiRectangle\n      Align = vaContents\n      HitTest = False\n"
             "      Fill.Style = uxBrushGradient\n      Fill.Gradient.Points = <\n"
             "        item\n          Color = '#FF2B2B2B'\n        end\n"
             "        item\n          Color = '#FF505050'\n          Offset = 1\n        end>\n"
             "      Stroke.Color = '#80FFFFFF'\n      xRadius = 3\n      yRadius = 3\n    end\n";
        break;
      case 1:
        s += "    object T" + std::to_string(i) +
             ": TuiText\n      ResourceName = 'text'\n      Align = vaClient\n      HitTest = False\n"
             "      Fill.Color = '#FFE0E0E0'\n      Font.Size = 11\n      Text = 'Label'\n    end\n";
        break;
      default:
        s += "    object A" + std::to_string(i) +
             ": TuiFloatAnimation\n      PropertyName = 'Opacity'\n      StartValue = 1\n"
             "      StopValue = 0.5\n      Trigger = 'IsMouseOver=true'\n    end\n";
    }
  }
  return s + "  end\nend\n";
}

struct TSheet {
  TSheet() {
    RegisterControlClasses();
    TuiClassRegistry::Instance().Register("Bench", {&TuiBenchControl::StaticClass()});
    Data = uxObjectTextToBinary(SheetText());
    TuiStyleSheets::RegisterResource(TuiStyleSheets::DefaultResourceName, Data);
    TuiStyleSheets::FreeDefault();
    TuiStyleSheets::LoadDefault();
  }
  std::string Data;
};

TSheet& Sheet() {
  static TSheet sheet;
  return sheet;
}

void BM_ReadSheet(benchmark::State& State) {
  const std::string& data = Sheet().Data;
  for (auto _ : State) {
    std::unique_ptr<TuiObject> sheet(TuiStyleSheets::ReadSheet(data));
    benchmark::DoNotOptimize(sheet.get());
  }
}
BENCHMARK(BM_ReadSheet)->Unit(benchmark::kMicrosecond);

// Lookup, clone and attach for 60 controls, as the settings window's first paint.
void BM_StyleControls(benchmark::State& State) {
  Sheet();
  for (auto _ : State) {
    TuiLayout window(nullptr);
    for (int i = 0; i < Controls; ++i) {
      auto* c = new TuiBenchControl(&window);
      c->SetParent(&window);
      c->ApplyResource();
    }
    benchmark::DoNotOptimize(window.ChildrenCount());
  }
}
BENCHMARK(BM_StyleControls)->Unit(benchmark::kMicrosecond);

// The clone alone, 60 times.
void BM_Clone20Objects60Times(benchmark::State& State) {
  Sheet();
  TuiObject* style = TuiStyleSheets::Default()->FindResource("benchcontrolstyle");
  for (auto _ : State) {
    TuiLayout owner(nullptr);
    for (int i = 0; i < Controls; ++i) benchmark::DoNotOptimize(style->CloneObject(&owner));
  }
}
BENCHMARK(BM_Clone20Objects60Times)->Unit(benchmark::kMicrosecond);

// The same 20 objects made and set by code, 60 times: what a copy cannot beat.
void BM_Build20ObjectsByCode60Times(benchmark::State& State) {
  Sheet();
  for (auto _ : State) {
    TuiLayout owner(nullptr);
    for (int n = 0; n < Controls; ++n) {
      auto* root = new TuiLayout(&owner);
      root->SetHitTest(false);
      for (int i = 0; i < 19; ++i) {
        if (i % 3 == 0) {
          auto* r = new TuiRectangle(&owner);
          r->SetAlign(vaContents);
          r->SetHitTest(false);
          r->Fill()->SetStyle(uxBrushGradient);
          r->Stroke()->SetColor("#80FFFFFF");
          r->SetXRadius(3);
          r->SetYRadius(3);
          r->SetParent(root);
        } else {
          auto* t = new TuiText(&owner);
          t->SetAlign(vaClient);
          t->SetHitTest(false);
          t->Fill()->SetColor("#FFE0E0E0");
          t->Font()->SetSize(11);
          t->SetText("Label");
          t->SetParent(root);
        }
      }
    }
  }
}
BENCHMARK(BM_Build20ObjectsByCode60Times)->Unit(benchmark::kMicrosecond);

// The built-in sheet itself: the one read a process pays on its first paint.
void BM_ReadBuiltInSheet(benchmark::State& State) {
  Sheet();
  for (auto _ : State) {
    std::unique_ptr<TuiObject> sheet(TuiStyleSheets::ReadSheet(uxEmbeddedSheet_defaultuistyle()));
    benchmark::DoNotOptimize(sheet.get());
  }
}
BENCHMARK(BM_ReadBuiltInSheet)->Unit(benchmark::kMicrosecond);

// 60 clones of the built-in styles the settings window's controls take, in
// about the mix it has (labels, radio buttons, track bars, check boxes, a
// button, a text box).
void BM_CloneBuiltInStyles60Times(benchmark::State& State) {
  Sheet();
  std::unique_ptr<TuiObject> sheet(TuiStyleSheets::ReadSheet(uxEmbeddedSheet_defaultuistyle()));
  std::vector<TuiObject*> styles;
  for (const char* name : {"hudlabelstyle", "hudradiobuttonstyle", "hudlabelstyle", "hudradiobuttonstyle",
                           "hudtrackbarstyle", "hudcheckboxstyle", "hudbuttonstyle", "hudtextboxstyle"})
    styles.push_back(sheet ? sheet->FindResource(name) : nullptr);
  if (std::find(styles.begin(), styles.end(), nullptr) != styles.end()) {
    State.SkipWithError("a style is missing from the built-in sheet");
    return;
  }
  for (auto _ : State) {
    TuiLayout owner(nullptr);
    for (int i = 0; i < Controls; ++i)
      benchmark::DoNotOptimize(styles[size_t(i) % styles.size()]->CloneObject(&owner));
  }
}
BENCHMARK(BM_CloneBuiltInStyles60Times)->Unit(benchmark::kMicrosecond);

// Data binding as a layout asks for it: track bars that all follow one source
// (the bound list must stay linear as it grows), and a chain of track bars
// each bound to the next, as deep as bindings may go, its source last in the
// stream, so that every source that completes loading pushes down the chain
// already loaded. The root holds no tree, so what is measured is reading, binding and
// pushing, not the parent's child lists.
std::string BindingLayout(int Count, bool Chain) {
  std::string s = "object Window: TuiComponent\n";
  if (!Chain) s += "  object Src: TuiTrackBar\n    Max = 100000\n    Value = 7\n  end\n";
  for (int i = 0; i < Count; ++i) {
    s += "  object T" + std::to_string(i) +
         ": TuiTrackBar\n    Max = 100000\n    Value = " + std::to_string(i) + "\n";
    if (!Chain)
      s += "    BindingSource = Src\n";
    else if (i + 1 < Count)
      s += "    BindingSource = T" + std::to_string(i + 1) + "\n";
    s += "  end\n";
  }
  return s + "end\n";
}

void LoadBindings(benchmark::State& State, bool Chain) {
  Sheet();
  const std::string data = uxObjectTextToBinary(BindingLayout(int(State.range(0)), Chain));
  for (auto _ : State) {
    TuiComponent window(nullptr);
    ReadObjectData(data, window, &window);
    benchmark::DoNotOptimize(window.ComponentCount());
  }
}

void BM_LoadBoundToOneSource(benchmark::State& State) {
  LoadBindings(State, false);
}
BENCHMARK(BM_LoadBoundToOneSource)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond);

void BM_LoadBindingChain(benchmark::State& State) {
  LoadBindings(State, true);
}
BENCHMARK(BM_LoadBindingChain)->Arg(1001)->Unit(benchmark::kMillisecond);

}  // namespace
