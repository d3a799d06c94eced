// A style sheet in its text form, as a host's TuiResources holds it, applied
// to the controls the windows use: each finds its style by name, clones it
// and binds its parts, paints, changes state (the triggers reach the style's
// animations and effects), and is restyled when the sheet changes. Whatever
// the text, that ends with a sheet or without one, and never in a crash, a
// hang, a leak or a runaway allocation.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "controls/Buttons.h"
#include "controls/CheckBoxes.h"
#include "controls/ControlsRegistration.h"
#include "controls/Resources.h"
#include "controls/TextControls.h"
#include "controls/Track.h"
#include "controls/Windows.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/Layouts.h"
#include "scene2d/paint/BufferedScene.h"
#include "scene2d/paint/Painter.h"

namespace {

// The buffered host with a Style of its own, as a window's layer has.
class TStyledHost : public TuiBufferedScene {
 public:
  TStyledHost() : TuiBufferedScene(160, 120) {}
  ~TStyledHost() override { SetStyle(nullptr); }
  TuiResources* GetStyle() override { return FStyle; }
  void SetStyle(TuiResources* Value) override { uxChangeHostStyle(*this, FStyle, Value); }

 private:
  TuiResources* FStyle = nullptr;
};

template <class T>
T* Place(T* Control, TuiVisualObject* Parent, float X, float Y, float Width, float Height) {
  Control->SetParent(Parent);
  Control->SetBounds(X, Y, Width, Height);
  return Control;
}

}  // namespace

// Fontconfig keeps the fonts it scanned for the life of the process in memory
// it reaches through offsets rather than pointers, which LeakSanitizer takes
// for leaks. Only allocations made inside fontconfig are excused.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterCairoCanvas();
  TuiPainter::Register();
  RegisterControlClasses();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string text(reinterpret_cast<const char*>(Data), Size);
  TStyledHost host;
  auto sheet = std::make_unique<TuiResources>(nullptr);
  sheet->SetResource(text);
  host.SetStyle(sheet.get());
  {
    auto root = std::make_unique<TuiLayout>(nullptr);
    root->SetBounds(0, 0, 160, 120);
    host.AddObject(root.get());
    auto* window = Place(new TuiHudWindow(root.get()), root.get(), 0, 0, 160, 120);
    auto* label = Place(new TuiHudLabel(root.get()), window, 8, 8, 60, 15);
    label->SetText("500");
    auto* button = Place(new TuiHudButton(root.get()), window, 8, 28, 60, 20);
    button->SetText("Off");
    auto* check = Place(new TuiHudCheckBox(root.get()), window, 8, 52, 70, 18);
    auto* radio = Place(new TuiHudRadioButton(root.get()), window, 80, 52, 70, 18);
    auto* bar = Place(new TuiHudTrackBar(root.get()), window, 8, 74, 120, 15);
    bar->SetMax(1000);
    label->SetBindingSource(bar);
    host.PaintTree();

    // Every trigger the styles answer, then a fresh paint.
    button->SetFocus();
    check->SetIsChecked(true);
    radio->SetIsChecked(true);
    bar->SetValue(700);
    host.MouseMove(0, 30, 36);
    host.InvalidateAll();
    host.PaintTree();

    // The sheet changes under the controls: every one restyles.
    sheet->SetResource(text);
    host.InvalidateAll();
    host.PaintTree();
  }
  host.SetStyle(nullptr);
  return 0;
}
