#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "scene3d/Canvas.h"

// Frames the contract tests and the cross-check draw the same way on every
// device, as the scene host does: reset, begin, default states, clear, draw,
// end; the frame is then read back.
namespace scenetest {

// The GUI layer's quad: X/Y plane, centred, texture upright.
inline const TscMeshData& UnitQuad() {
  static const TscMeshData* quad = [] {
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

inline bool BeginFrame(TscCanvas& C, uint32_t ClearColor = 0) {
  C.ResetCanvas();
  if (!C.BeginScene()) return false;
  for (TscRenderState s : {scStateShadeGouraud, scStateCameraProjection, scStateDepthWriteOn,
                           scStateLightingOn, scStateFilterLinear, scStateCullCCW})
    C.SetState(s);
  C.Clear(ClearColor);
  return true;
}

// A screen-projected textured quad of the bitmap's size at (Left, Top), as a
// GUI layer draws its buffer.
inline void DrawLayer(TscCanvas& C, TscBitmap& Bitmap, float Left, float Top, float Opacity,
                      uint32_t Modulation = 0xFFFFFFFF) {
  C.SetState(scStateDepthWriteOn);
  C.SetState(scStateScreenProjection);
  C.SetState(scStateCullNone);
  const float w = float(Bitmap.Width()), h = float(Bitmap.Height());
  // As a layer does: whole-pixel translation, the half pixel in the centre.
  C.SetMatrix(scTranslationMatrix(std::trunc(Left + w / 2), std::trunc(Top + h / 2), 0));
  TscMaterial m;
  m.SetDiffuse(Modulation);
  m.SetLighting(false);
  m.SetTexture(&Bitmap);
  C.Material()->Assign(m);
  C.SetState(scStateTextureModulate);
  C.SetState(scStateFilterLinear);
  C.FillMesh({std::fmod(w / 2, 1.0f), std::fmod(h / 2, 1.0f), 0, 1}, {w, h, 1, 1}, Opacity, UnitQuad());
  C.Material()->SetTexture(nullptr);
}

inline std::vector<uint32_t> ReadFrame(TscCanvas& C) {
  std::vector<uint32_t> pixels(size_t(C.Width()) * size_t(C.Height()));
  C.CopyToBits(pixels.data());
  return pixels;
}

// Largest difference of any channel of any pixel.
inline int MaxDifference(const std::vector<uint32_t>& A, const std::vector<uint32_t>& B) {
  if (A.size() != B.size()) return 256;
  int worst = 0;
  for (size_t i = 0; i < A.size(); ++i)
    for (int s = 0; s < 32; s += 8)
      worst = std::max(worst, std::abs(int((A[i] >> s) & 0xFF) - int((B[i] >> s) & 0xFF)));
  return worst;
}

}  // namespace scenetest
