// The pictures the canvas benchmarks paint, shared with the program that
// compares the canvas with another painter.
#pragma once

#include <string>

#include "draw2d/Canvas.h"

namespace uxbench {

inline void UseGradient(TuiBrush& B, TuiColor From, TuiColor To, bool Radial) {
  B.SetStyle(uxBrushGradient);
  TuiGradient* g = B.Gradient();
  g->Points()->Clear();
  g->Points()->Add(From, 0);
  g->Points()->Add(To, 1);
  g->SetStyle(Radial ? uxRadialGradient : uxLinearGradient);
}

// About 50 shapes and 60 captions, the way the settings window's controls
// paint: each under its own matrix and saved state.
// The HUD window alone on a cleared 419 x 336 canvas: a translucent rounded
// panel with a gradient and a border.
inline void PaintSettingsPanel(TuiCanvas& C) {
  C.Clear(0);
  C.SetMatrix(IdentityMatrix());
  UseGradient(*C.Fill(), 0xE0202830, 0xE0101418, false);
  C.FillRect({0, 0, 419, 336}, 8, 8, AllCorners, 1);
  C.Stroke()->SetStyle(uxBrushSolid);
  C.Stroke()->SetColorValue(0xFF5A6A7A);
  C.SetStrokeThickness(1);
  C.DrawRect({0.5f, 0.5f, 418.5f, 335.5f}, 8, 8, AllCorners, 1);
}

inline void PaintSettingsFrame(TuiCanvas& C) {
  PaintSettingsPanel(C);
  static const char* const Captions[] = {"Connect",  "Blink all led",   "Attention", "On_Line",
                                         "Run_Line", "Green blink",     "Gas",       "Petrol",
                                         "Automat",  "Wait etalon mode"};
  int caption = 0;
  for (int row = 0; row < 12; ++row) {
    for (int col = 0; col < 4; ++col) {
      const int32_t saved = C.SaveCanvas();
      TuiMatrix m;
      m.M[2][0] = 12.0f + col * 100;
      m.M[2][1] = 30.0f + row * 24;
      C.SetMatrix(m);
      switch ((row + col) % 4) {
        case 0:  // radio button: a ring and a dot
          C.Fill()->SetStyle(uxBrushSolid);
          C.Fill()->SetColorValue(0xFF303840);
          C.FillEllipse({0, 2, 14, 16}, 1);
          C.DrawEllipse({0.5f, 2.5f, 13.5f, 15.5f}, 1);
          break;
        case 1:  // check box with a gradient face
          UseGradient(*C.Fill(), 0xFF485868, 0xFF202830, false);
          C.FillRect({0, 2, 14, 16}, 2, 2, AllCorners, 1);
          C.DrawRect({0.5f, 2.5f, 13.5f, 15.5f}, 2, 2, AllCorners, 1);
          break;
        case 2:  // track bar groove and thumb
          C.Fill()->SetStyle(uxBrushSolid);
          C.Fill()->SetColorValue(0xFF101418);
          C.FillRect({0, 8, 80, 11}, 1.5f, 1.5f, AllCorners, 1);
          UseGradient(*C.Fill(), 0xFFE0E8F0, 0xFF607080, true);
          C.FillEllipse({30, 2, 44, 16}, 1);
          C.Fill()->SetStyle(uxBrushSolid);
          C.FillText({50, 0, 90, 20}, std::to_string(row * 8 + col), false, 1, uxTextAlignFar);
          break;
        default:  // push button
          UseGradient(*C.Fill(), 0xFF586878, 0xFF303840, false);
          C.FillRect({0, 0, 80, 20}, 4, 4, AllCorners, 1, uxCornerRound);
          break;
      }
      C.Fill()->SetStyle(uxBrushSolid);
      C.Fill()->SetColorValue(0xFFE0E8F0);
      C.FillText({18, 0, 96, 20}, Captions[caption++ % 10], false, 1, uxTextAlignNear, uxTextAlignCenter);
      C.RestoreCanvas(saved);
    }
  }
  // The caption bar's title.
  C.FillText({0, 4, 419, 24}, "LEDs control and settngs", false, 1, uxTextAlignCenter);
  C.EndScene();
}

// One LED of the console on a 40 x 40 canvas: its rectangle cleared, the
// circle filled with the new colour and outlined.
inline void PrepareLed(TuiCanvas& C) {
  C.SetStrokeThickness(1);
  C.Stroke()->SetColorValue(0xFF1A1A1A);
}

inline void PaintLed(TuiCanvas& C, bool Lit) {
  C.ClearRect({0, 0, 40, 40}, 0);
  C.Fill()->SetColorValue(Lit ? 0xFF00FF00 : 0xFF3E3E3E);
  C.FillEllipse({2, 2, 38, 38}, 1);
  C.DrawEllipse({2.5f, 2.5f, 37.5f, 37.5f}, 1);
}

}  // namespace uxbench
