#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "scene3d/opengl/OpenGLCanvas.h"

// One frame of the settings window's size as the scene renders it: reset,
// begin, the default states, clear, the GUI layer's bitmap as one textured
// quad under the screen projection, end with the read-back, beside copying
// the same picture once with memcpy.

namespace {

constexpr int W = 419, H = 336;

const TscMeshData& Quad() {
  static TscMeshData& Mesh = *new TscMeshData;
  if (Mesh.Indices.empty()) {
    Mesh.Vertices = {{-0.5f, -0.5f, 0, 0, 0, 1, 0, 0},
                     {0.5f, -0.5f, 0, 0, 0, 1, 1, 0},
                     {0.5f, 0.5f, 0, 0, 0, 1, 1, 1},
                     {-0.5f, 0.5f, 0, 0, 0, 1, 0, 1}};
    Mesh.Indices = {0, 1, 3, 3, 1, 2};
  }
  return Mesh;
}

void BM_OpenGLFrame(benchmark::State& State) {
  const bool Changed = State.range(0) != 0;
  auto Canvas = std::make_unique<TscOpenGLCanvas>(0, W, H, true, scLowQuality);
  if (!Canvas->DeviceError().empty()) {
    State.SkipWithError(("no OpenGL device: " + Canvas->DeviceError()).c_str());
    return;
  }
  TscBitmap Layer(W, H);
  Layer.Clear(0x80402010);
  TscMaterial Material;
  Material.SetLighting(false);
  Material.SetDiffuse(0xFFFFFFFF);
  Material.SetTexture(&Layer);
  for (auto _ : State) {
    if (Changed) Layer.SetModified(true);  // the layer repainted: upload again
    Canvas->ResetCanvas();
    Canvas->BeginScene();
    for (TscRenderState S : {scStateShadeGouraud, scStateCameraProjection, scStateDepthWriteOn,
                             scStateLightingOn, scStateFilterLinear, scStateCullCCW})
      Canvas->SetState(S);
    Canvas->Clear(0);
    Canvas->SetState(scStateScreenProjection);
    Canvas->SetState(scStateCullNone);
    Canvas->Material()->Assign(Material);
    Canvas->SetState(scStateTextureModulate);
    Canvas->FillMesh({W / 2.0f, H / 2.0f, 0}, {float(W), float(H), 1}, 1, Quad());
    Canvas->EndScene();
    benchmark::DoNotOptimize(Canvas->MemoryBits()[0]);
  }
  Canvas->Material()->SetTexture(nullptr);
  State.SetLabel(Canvas->Renderer());
}
BENCHMARK(BM_OpenGLFrame)->ArgName("uploaded")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_MemcpyPicture(benchmark::State& State) {
  std::vector<uint32_t> From(W * H, 0x80402010), To(W * H);
  for (auto _ : State) {
    std::memcpy(To.data(), From.data(), From.size() * 4);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
