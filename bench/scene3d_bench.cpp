// One frame of a translucent 419 x 336 window holding one textured quad (the
// settings window's frame), on each device, beside a plain copy of the same
// picture: the device should cost little more than the copy.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "scene3d/opengl/OpenGLCanvas.h"
#include "scene3d/software/SoftwareBlend.h"
#include "scene3d/software/SoftwareCanvas.h"

namespace {

constexpr int W = 419, H = 336;

void FillPicture(TscBitmap& B) {
  // A HUD picture: mostly translucent, some opaque, some empty, finely mixed
  // (the worst case for the run skipping).
  for (int i = 0; i < W * H; ++i) {
    const uint32_t a = (i % 7 == 0) ? 0 : (i % 5 == 0) ? 255 : 160;
    B.Bits()[i] = a << 24 | uint32_t(i * 2654435761u) % (a + 1) * 0x010101u;
  }
}

// The frame as the scene host renders it.
void RenderFrame(TscCanvas& C, TscBitmap& Buffer) {
  C.ResetCanvas();
  if (!C.BeginScene()) return;
  for (TscRenderState s : {scStateShadeGouraud, scStateCameraProjection, scStateDepthWriteOn,
                           scStateLightingOn, scStateFilterLinear, scStateCullCCW})
    C.SetState(s);
  C.Clear(0);
  C.SetState(scStateDepthWriteOn);
  C.SetState(scStateScreenProjection);
  C.SetState(scStateCullNone);
  C.SetMatrix(scTranslationMatrix(std::trunc(W / 2.0f), std::trunc(H / 2.0f), 0));
  TscMaterial* m = C.Material();
  m->SetTexture(&Buffer);
  m->SetDiffuse(0xFFFFFFFF);
  m->SetLighting(false);
  C.MaterialChanged();
  C.SetState(scStateTextureModulate);
  C.SetState(scStateFilterLinear);
  C.FillMesh({std::fmod(W / 2.0f, 1.0f), std::fmod(H / 2.0f, 1.0f), 0, 1}, {W, H, 1, 1}, 1, scScreenQuad());
  C.EndScene();
}

// What the layer did to its picture before the frame.
enum TChange { chWhole, chRows, chNone };

void Touch(TscBitmap& Buffer, TChange Change) {
  if (Change == chWhole) Buffer.SetModified(true);
  if (Change == chRows) Buffer.MarkRowsModified(100, 16);  // a button's hover
}

void Label(benchmark::State& State, TChange Change, const char* Device) {
  static const char* const changes[] = {"picture changed", "16 rows changed", "unchanged"};
  State.SetLabel(std::string(Device) + ", " + changes[Change]);
  State.SetBytesProcessed(int64_t(State.iterations()) * W * H * 4);
}

void BM_Memcpy(benchmark::State& State) {
  std::vector<uint32_t> src(size_t(W) * H, 0x80404040), dst(size_t(W) * H);
  for (auto _ : State) {
    std::memcpy(dst.data(), src.data(), src.size() * 4);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * W * H * 4);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

// Arguments: the change (TChange), then 1 for the straight blend the frame
// normally takes or 0 for the general rasteriser.
void BM_SoftwareFrame(benchmark::State& State) {
  const auto change = TChange(State.range(0));
  TscBitmap buffer(W, H);
  FillPicture(buffer);
  auto canvas = TscSoftwareCanvas::Create(0, W, H, true, scLowQuality);
  static_cast<TscSoftwareCanvas&>(*canvas).SetStraightBlendEnabled(State.range(1) != 0);
  RenderFrame(*canvas, buffer);
  for (auto _ : State) {
    Touch(buffer, change);
    RenderFrame(*canvas, buffer);
    benchmark::DoNotOptimize(canvas->MemoryBits());
  }
  canvas->Material()->SetTexture(nullptr);
  Label(State, change,
        State.range(1) == 0 ? "general rasteriser"
        : scBlendUsesAvx2() ? "straight blend, AVX2"
                            : "straight blend, SSE2");
}
BENCHMARK(BM_SoftwareFrame)
    ->Args({chWhole, 1})
    ->Args({chRows, 1})
    ->Args({chNone, 1})
    ->Args({chWhole, 0})
    ->Unit(benchmark::kMicrosecond);

void BM_SoftwareFrameSse2(benchmark::State& State) {
  scBlendAllowAvx2(false);
  BM_SoftwareFrame(State);
  scBlendAllowAvx2(true);
}
BENCHMARK(BM_SoftwareFrameSse2)->Args({chWhole, 1})->Unit(benchmark::kMicrosecond);

void BM_OpenGLFrame(benchmark::State& State) {
  const auto change = TChange(State.range(0));
  auto canvas = std::make_unique<TscOpenGLCanvas>(0, W, H, true, scLowQuality);
  if (!canvas->DeviceError().empty()) {
    State.SkipWithError(("no OpenGL device: " + canvas->DeviceError()).c_str());
    return;
  }
  TscBitmap buffer(W, H);
  FillPicture(buffer);
  RenderFrame(*canvas, buffer);
  for (auto _ : State) {
    Touch(buffer, change);
    RenderFrame(*canvas, buffer);
    benchmark::DoNotOptimize(canvas->MemoryBits()[0]);
  }
  canvas->Material()->SetTexture(nullptr);
  Label(State, change, canvas->Renderer().c_str());
}
BENCHMARK(BM_OpenGLFrame)->Arg(chWhole)->Arg(chRows)->Arg(chNone)->Unit(benchmark::kMicrosecond);

}  // namespace
