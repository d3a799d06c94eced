// One frame of a translucent 419 x 336 window holding one textured quad (the
// settings window's frame), on each device, beside a plain copy of the same
// picture: the device should cost little more than the copy.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scene3d/software/SoftwareCanvas.h"

namespace {

constexpr int W = 419, H = 336;

TscMeshData& Quad() {
  static TscMeshData* quad = [] {
    auto* m = new TscMeshData;
    m->Vertices = {{-0.5f, -0.5f, 0, 0, 0, 1, 0, 0},
                   {0.5f, -0.5f, 0, 0, 0, 1, 1, 0},
                   {0.5f, 0.5f, 0, 0, 0, 1, 1, 1},
                   {-0.5f, 0.5f, 0, 0, 0, 1, 0, 1}};
    m->Indices = {0, 1, 3, 3, 1, 2};
    return m;
  }();
  return *quad;
}

void FillPicture(TscBitmap& B) {
  // A HUD picture: mostly translucent, some opaque, some empty.
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
  C.FillMesh({std::fmod(W / 2.0f, 1.0f), std::fmod(H / 2.0f, 1.0f), 0, 1}, {W, H, 1, 1}, 1, Quad());
  C.EndScene();
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
BENCHMARK(BM_Memcpy);

void BM_SoftwareFrame(benchmark::State& State) {
  TscBitmap buffer(W, H);
  FillPicture(buffer);
  auto canvas = TscSoftwareCanvas::Create(0, W, H, true, scLowQuality);
  static_cast<TscSoftwareCanvas&>(*canvas).SetStraightBlendEnabled(State.range(0) != 0);
  for (auto _ : State) {
    buffer.SetModified(true);  // the layer repainted its tree
    RenderFrame(*canvas, buffer);
    benchmark::DoNotOptimize(canvas->MemoryBits());
  }
  canvas->Material()->SetTexture(nullptr);
  State.SetBytesProcessed(int64_t(State.iterations()) * W * H * 4);
}
// 1: the straight blend the frame normally takes; 0: the general rasteriser.
BENCHMARK(BM_SoftwareFrame)->Arg(1)->Arg(0);

// ---- the OpenGL device's frame goes here ----

}  // namespace
