// Pushing frames to an X server: the settings window's whole frame and a
// small changed rectangle, straight from the caller's words.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/testing/XvfbServer.h"

#include <X11/Xlib.h>

namespace {

struct TBench {
  std::unique_ptr<platform::TXvfbServer> Server;
  std::unique_ptr<platform::TX11WindowSystem> System;
  platform::IWindowEvents Events;
  TBench() {
    std::string error;
    Server = platform::TXvfbServer::Start(error);
    if (Server) System = platform::TX11WindowSystem::Open(Server->DisplayName().c_str(), error);
    if (!System) std::fprintf(stderr, "%s\n", error.c_str());
  }
};

TBench& Bench() {
  static TBench b;
  return b;
}

// Arg: the changed square's side, 0 for the whole frame.
void BM_PushFrame(benchmark::State& state) {
  TBench& b = Bench();
  if (!b.System) return state.SkipWithError("no Xvfb");
  auto w = b.System->CreateWindow(b.Events, {.Bounds = {0, 0, 421, 338}});
  w->Show();
  std::vector<uint32_t> frame(419 * 336, 0x80402010);
  const platform::TFrame f{frame.data(), 419, 336};
  w->UpdateLayered(f, {0, 0});
  const int side = int(state.range(0));
  const platform::TRect changed{100, 100, side, side};
  uint32_t colour = 0;
  for (auto _ : state) {
    frame[100 * 419 + 100] = ++colour;
    w->UpdateLayered(f, {0, 0}, side ? &changed : nullptr);
    // Timed until the server has put the pixels in place, for both paths.
    XSync(b.System->NativeDisplay(), False);
    b.System->ProcessMessages();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PushFrame)->ArgName("side")->Arg(0)->Arg(40)->Unit(benchmark::kMicrosecond);

// One tick of an LED effect as the program pays for it: a small square
// pushed, the flush, and whatever the server sends back taken in by the loop.
// Process CPU, not wall time: the server's share runs in another process.
void BM_PushTickCpu(benchmark::State& state) {
  TBench& b = Bench();
  if (!b.System) return state.SkipWithError("no Xvfb");
  auto w = b.System->CreateWindow(b.Events, {.Bounds = {0, 0, 421, 338}});
  w->Show();
  std::vector<uint32_t> frame(419 * 336, 0xFF402010);
  const platform::TFrame f{frame.data(), 419, 336};
  w->UpdateLayered(f, {0, 0});
  const platform::TRect changed{100, 100, 24, 24};
  uint32_t colour = 0;
  for (auto _ : state) {
    ++colour;
    for (int y = 100; y < 124; ++y)
      for (int x = 100; x < 124; ++x) frame[size_t(y) * 419 + x] = 0xFF000000u | colour;
    w->UpdateLayered(f, {0, 0}, &changed);
    b.System->ProcessMessages();
    // The server's answer (if any) arrives while the program would sleep.
    XSync(b.System->NativeDisplay(), False);
    b.System->ProcessMessages();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PushTickCpu)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

// A 40 x 40 square whose outline changes on every frame (a shape that
// appears and goes, not an LED that changes colour): the window's input
// outline is cut and rebuilt for the square each time.
void BM_PushFrameOutlineChanges(benchmark::State& state) {
  TBench& b = Bench();
  if (!b.System) return state.SkipWithError("no Xvfb");
  auto w = b.System->CreateWindow(b.Events, {.Bounds = {0, 0, 421, 338}});
  w->Show();
  std::vector<uint32_t> frame(419 * 336, 0xF0402010);
  const platform::TFrame f{frame.data(), 419, 336};
  w->UpdateLayered(f, {0, 0});
  const platform::TRect changed{100, 100, 40, 40};
  bool on = false;
  for (auto _ : state) {
    on = !on;
    for (int y = 110; y < 130; ++y)
      for (int x = 110; x < 130; ++x) frame[size_t(y) * 419 + x] = on ? 0 : 0xF0402010;
    w->UpdateLayered(f, {0, 0}, &changed);
    XSync(b.System->NativeDisplay(), False);
    b.System->ProcessMessages();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PushFrameOutlineChanges)->Unit(benchmark::kMicrosecond);

}  // namespace
