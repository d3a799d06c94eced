// uxwindow: shows one translucent window of the window-system layer (a soft
// disc that follows a 33 ms timer) until Esc, a close request or --for runs
// out. A quick look at the layer on a real display, and the reference for
// how a program starts it: a missing display is one line and exit code 2.
//
//   uxwindow [--headless] [--display NAME] [--for MILLISECONDS]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/native/NativeWindowSystem.h"

namespace {

class TDemo : public platform::IWindowEvents {
 public:
  platform::IWindowSystem* System = nullptr;
  platform::IWindow* Window = nullptr;
  int Step = 0;

  void Paint() {
    const int w = 240, h = 240;
    std::vector<uint32_t> frame(size_t(w) * h);
    const float cx = 120 + 60 * std::cos(Step * 0.05f), cy = 120 + 60 * std::sin(Step * 0.05f);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const float d = std::hypot(x - cx, y - cy);
        const uint32_t a = d < 50 ? 255 : d < 110 ? uint32_t(255 * (110 - d) / 60) : 0;
        frame[size_t(y) * w + x] = a << 24 | (a * 3 / 4) << 8 | a;  // premultiplied teal
      }
    const platform::TRect outer = Window->Bounds();
    Window->UpdateLayered({frame.data(), w, h}, {outer.Left, outer.Top});
  }
  void KeyDown(uint16_t Key, platform::TShiftState) override {
    if (Key == platform::plKeyEscape) System->PostQuit(0);
  }
  void CloseRequest() override { System->PostQuit(0); }
  void Exposed(const platform::TRect&) override { Paint(); }
  void MouseDown(const platform::TMouseEvent& E) override {
    if (E.Shift & platform::plDouble) System->PostQuit(0);
  }
};

int Usage() {
  std::fprintf(stderr, "usage: uxwindow [--headless] [--display NAME] [--for MILLISECONDS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool headless = false;
  const char* display = nullptr;
  long runFor = -1;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--headless")) {
      headless = true;
    } else if (!std::strcmp(argv[i], "--display") && i + 1 < argc) {
      display = argv[++i];
    } else if (!std::strcmp(argv[i], "--for") && i + 1 < argc) {
      char* end = nullptr;
      runFor = std::strtol(argv[++i], &end, 10);
      if (*end || runFor < 0) return Usage();
    } else {
      return Usage();
    }
  }
  std::unique_ptr<platform::TWindowSystemBase> system;
  if (headless) {
    system = std::make_unique<platform::THeadlessWindowSystem>();
  } else {
    std::string error;
    system = platform::OpenNativeWindowSystem(display, error);
    if (!system) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 2;
    }
  }
  TDemo demo;
  demo.System = system.get();
  const platform::TRect area = system->WorkArea();
  auto window = system->CreateWindow(
      demo, {.Bounds = {area.Left + (area.Width - 242) / 2, area.Top + (area.Height - 242) / 2, 242, 242}});
  demo.Window = window.get();
  demo.Paint();
  window->Show();
  auto animation = system->CreateTimer(33, [&] {
    ++demo.Step;
    demo.Paint();
  });
  animation->SetEnabled(true);
  std::unique_ptr<platform::ITimer> stop;
  if (runFor >= 0) {
    stop = system->CreateTimer(uint32_t(runFor), [&] { system->PostQuit(0); });
    stop->SetEnabled(true);
  }
  const int code = system->Run();
  if (headless) std::printf("%d frames\n", demo.Step + 1);
  return code;
}
