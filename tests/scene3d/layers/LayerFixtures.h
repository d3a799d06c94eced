#pragma once

#include <memory>

#include "draw2d/Brush.h"
#include "draw2d/ShapeRectangles.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "scene2d/Layouts.h"
#include "scene3d/Scene.h"
#include "scene3d/layers/ObjectLayer.h"
#include "scene3d/software/SoftwareCanvas.h"

namespace layertest {

// A transparent scene window of Width x Height client pixels on the headless
// window system, drawn by the software canvas, with one plain root object for
// the layers, as the program's windows are built. The frame it pushes is the
// headless window's picture.
class TLayerWindow {
 public:
  TLayerWindow(int Width, int Height) {
    TscSoftwareCanvas::Register();
    Scene = std::make_unique<TscScene>(nullptr);
    Scene->SetUsingDesignCamera(false);
    Scene->SetTransparency(true);
    Scene->SetFillColor("#00000000");
    Scene->CreateWindow(System, {.Bounds = {300, 200, Width + 2, Height + 2}});
    Window().Show();
    Root = new TscVisualObject(nullptr);
    Root->SetHitTest(false);  // the pointer finds the layers or nothing
    Scene->AddObject(Root);
    Render();
  }

  platform::THeadlessWindow& Window() const {
    return static_cast<platform::THeadlessWindow&>(*Scene->Window());
  }
  // Runs the pending repaint: one frame, pushed to the window.
  void Render() { System.ProcessMessages(); }
  uint32_t Pixel(int X, int Y) const { return Window().Pixel(X, Y); }
  // The window part the last push replaced.
  platform::TRect Pushed() const { return Window().LastSent(); }

  // A screen layer of W x H under the root with its top left at window pixel
  // (Left, Top); the root frees it.
  TscGUIObjectLayer* AddLayer(float Left, float Top, float W, float H) {
    auto* layer = new TscGUIObjectLayer(nullptr);
    Root->AddObject(layer);
    layer->SetWidth(W);
    layer->SetHeight(H);
    layer->Position()->SetPoint({Left + W / 2, Top + H / 2, 0, 1});
    return layer;
  }

  void Press(int X, int Y, platform::TMouseButton B = platform::plMouseLeft) {
    System.MouseDown(Scene->Window(), B, X, Y);
  }
  void Move(int X, int Y) { System.MouseMove(Scene->Window(), X, Y); }
  void Release(int X, int Y, platform::TMouseButton B = platform::plMouseLeft) {
    System.MouseUp(Scene->Window(), B, X, Y);
  }

  // Declared first: the scene and its window go before the window system.
  platform::THeadlessWindowSystem System;
  std::unique_ptr<TscScene> Scene;
  TscVisualObject* Root = nullptr;
};

// A rectangle of solid colour without a stroke.
inline TuiRectangle* AddBox(TuiVisualObject* Parent, float X, float Y, float W, float H, TuiColor Color) {
  auto* r = new TuiRectangle(Parent);
  r->SetParent(Parent);
  r->SetBounds(X, Y, W, H);
  r->Fill()->SetColorValue(Color);
  r->Stroke()->SetStyle(uxBrushNone);
  return r;
}

}  // namespace layertest
