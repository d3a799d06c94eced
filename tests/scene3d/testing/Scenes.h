#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "scene3d/Canvas.h"

// Frames the contract tests and the cross-check draw the same way on every
// device, as the scene host does: reset, begin, default states, clear, draw,
// end; the frame is then read back.
namespace scenetest {

// The GUI layer's quad: X/Y plane, centred, texture upright.
inline const TscMeshData& UnitQuad() {
  return scScreenQuad();
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

// A line of text in white at (X, Y) under the screen projection, in a font
// every machine with fontconfig resolves.
inline void DrawText(TscCanvas& C, std::string_view Text, float X, float Y) {
  C.SetState(scStateScreenProjection);
  C.SetState(scStateCullNone);
  C.SetMatrix(TscMatrix{});
  TscMaterial m;
  m.SetDiffuse(0xFFFFFFFF);
  m.SetLighting(false);
  C.Material()->Assign(m);
  C.Font()->SetFamily("DejaVu Sans");
  C.Font()->SetSize(14);
  C.FillText(Text, 1, Y, X);
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
