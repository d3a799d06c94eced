#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>

#include "draw2d/Brush.h"
#include "draw2d/cairo/CanvasCairo.h"

// Small canvases cleared to transparent, and readers of what they show.
namespace canvas_fixtures {

inline std::unique_ptr<TuiCanvasCairo> NewCanvas(int32_t W, int32_t H) {
  auto c = std::make_unique<TuiCanvasCairo>(W, H);
  c->Clear(0);
  c->SetStrokeThickness(1);
  return c;
}

inline uint32_t Pixel(const TuiCanvas& C, int32_t X, int32_t Y) {
  return C.BufferBits()[size_t(Y) * size_t(C.Width()) + size_t(X)];
}
inline uint32_t AlphaOf(uint32_t P) {
  return P >> 24;
}
inline uint32_t RedOf(uint32_t P) {
  return (P >> 16) & 0xFF;
}
inline uint32_t GreenOf(uint32_t P) {
  return (P >> 8) & 0xFF;
}
inline uint32_t BlueOf(uint32_t P) {
  return P & 0xFF;
}
inline bool Painted(const TuiCanvas& C, int32_t X, int32_t Y) {
  return AlphaOf(Pixel(C, X, Y)) > 127;
}

// The box of the pixels with any alpha; (0, 0, 0, 0) when nothing is painted.
struct TInk {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Any = false;
};
inline TInk InkBox(const TuiCanvas& C, uint32_t MinAlpha = 1) {
  TInk ink;
  ink.Left = C.Width();
  ink.Top = C.Height();
  for (int32_t y = 0; y < C.Height(); ++y)
    for (int32_t x = 0; x < C.Width(); ++x)
      if (AlphaOf(Pixel(C, x, y)) >= MinAlpha) {
        ink.Any = true;
        ink.Left = std::min(ink.Left, x);
        ink.Top = std::min(ink.Top, y);
        ink.Right = std::max(ink.Right, x + 1);
        ink.Bottom = std::max(ink.Bottom, y + 1);
      }
  if (!ink.Any) ink = {};
  return ink;
}

// Turns Brush into a left-to-right linear gradient through the given stops.
inline TuiGradient* HorizontalGradient(TuiBrush& Brush,
                                       std::initializer_list<std::pair<uint32_t, float>> Stops) {
  Brush.SetStyle(uxBrushGradient);
  TuiGradient* g = Brush.Gradient();
  g->Points()->Clear();
  for (auto [color, offset] : Stops) g->Points()->Add(color, offset);
  g->StartPosition()->SetPoint({0, 0});
  g->StopPosition()->SetPoint({1, 0});
  return g;
}

// Every test binary starts with the backend registered, as the program will.
class CanvasTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterCairoCanvas(); }
};

}  // namespace canvas_fixtures
