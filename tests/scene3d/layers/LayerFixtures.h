#pragma once

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "draw2d/Brush.h"
#include "draw2d/ShapeRectangles.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "scene2d/Layouts.h"
#include "scene3d/layers/ObjectLayer.h"
#include "scene3d/software/SoftwareCanvas.h"

namespace layertest {

// A stand-in for the scene window: a software canvas, one root layer, and a
// headless window that receives the finished frame, pushing only the part
// the layers reported as changed.
class TTestScene : public IscLayerScene {
 public:
  TTestScene(int Width, int Height)
      : Canvas(TscSoftwareCanvas::Create(0, Width, Height, true, scLowQuality)),
        Window(System.CreateWindow(Events, {{0, 0, Width + 2, Height + 2}})) {}

  // Clears, draws the layer and pushes the changed part (all when unknown).
  void Render(TscCustomObjectLayer& Layer) {
    TscCanvas& c = *Canvas;
    c.ResetCanvas();
    if (!c.BeginScene()) return;
    for (TscRenderState s : {scStateShadeGouraud, scStateCameraProjection, scStateDepthWriteOn,
                             scStateLightingOn, scStateFilterLinear, scStateCullCCW})
      c.SetState(s);
    c.Clear(0);
    c.SetState(Layer.ZWrite() ? scStateDepthWriteOn : scStateDepthWriteOff);
    c.SetState(Layer.ScreenProjection() ? scStateScreenProjection : scStateCameraProjection);
    c.SetState(scStateCullNone);
    c.SetMatrix(Layer.AbsoluteMatrix());
    Layer.Paint(c);
    Layer.PaintChildren(c);
    c.EndScene();
    const platform::TFrame frame{c.MemoryBits(), c.Width(), c.Height(), 0};
    if (Damage && !Whole) {
      const platform::TRect changed{int(Damage->Left), int(Damage->Top), int(Damage->Right - Damage->Left),
                                    int(Damage->Bottom - Damage->Top)};
      Window->UpdateLayered(frame, {0, 0}, &changed);
    } else {
      Window->UpdateLayered(frame, {0, 0});
    }
    Pushed = Damage && !Whole ? *Damage : TuiRect{0, 0, float(c.Width()), float(c.Height())};
    Damage.reset();
    Whole = false;
  }
  uint32_t Pixel(int X, int Y) const {
    return Canvas->MemoryBits()[size_t(Y) * size_t(Canvas->Width()) + size_t(X)];
  }

  // ---- IscLayerScene ----
  bool GetAllowDrag() override { return AllowDrag; }
  bool BeginWindowMove() override {
    ++WindowMoves;
    return true;
  }
  bool BeginWindowResize() override {
    ++WindowResizes;
    return true;
  }
  void SetCapturedObject(TscVisualObject* Object) override { Captured = Object; }
  TscVisualObject* GetCapturedObject() override { return Captured; }
  void SetFocusedObject(TscVisualObject* Object) override { Focused = Object; }
  void InvalidateRect(const TuiRect* Rect) override {
    if (!Rect)
      Whole = true;
    else
      Damage = Damage ? UnionRect(*Damage, *Rect) : *Rect;
  }
  TuiPoint ClientSize() override { return {float(Canvas->Width()), float(Canvas->Height())}; }
  TuiPoint ClientToScreen(const TuiPoint& Point) override { return {Point.X + 1000, Point.Y + 500}; }
  void SetCursor(int32_t) override {}
  void BeginDragDrop(TuiObject*, TuiBitmap*) override {}

  platform::THeadlessWindowSystem System;
  platform::IWindowEvents Events;
  std::unique_ptr<TscCanvas> Canvas;
  std::unique_ptr<platform::IWindow> Window;
  bool AllowDrag = false;
  int WindowMoves = 0, WindowResizes = 0;
  TscVisualObject* Captured = nullptr;
  TscVisualObject* Focused = nullptr;
  std::optional<TuiRect> Damage;
  bool Whole = false;
  TuiRect Pushed{};
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
