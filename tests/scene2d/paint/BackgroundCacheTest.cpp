// A shape that repaints itself alone starts from the pixels kept under it:
// what it saves, and that the picture stays the one painted from scratch
// whatever changes under, over or of the shape.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "draw2d/ShapeEllipses.h"
#include "draw2d/ShapeRectangles.h"
#include "tests/scene2d/paint/PaintFixtures.h"

using namespace paint_fixtures;

namespace {

constexpr TuiColor Lit = 0xC0FFFF00, Unlit = 0xFF3E3E3E;

class BackgroundCache : public TScene {};

TEST_F(BackgroundCache, ALightRepaintingItselfPaintsNothingUnderItOnceItsBackgroundIsKept) {
  auto* led = new TuiCircle(Root.get());
  led->SetBounds(20, 20, 40, 40);
  led->SetParent(Root.get());
  TBox* beside = Add(Root.get(), "beside", 70, 70, 20, 20);
  PaintAll();
  const int rootPaints = Root->Paints;
  // Placing it was a repaint of its own: the full paint kept what lies under it.
  for (TuiColor c : {Lit, Unlit, Lit, Unlit}) {
    led->Fill()->SetColorValue(c);
    Host->PaintTree();
  }
  EXPECT_EQ(Root->Paints, rootPaints);
  // Anything else under it, even the same area, is painted as before.
  beside->SetColor(0xFF00FF00);
  Root->SetColor(0xFF202020);
  led->Fill()->SetColorValue(Lit);
  Host->PaintTree();
  EXPECT_EQ(Root->Paints, rootPaints + 1);
}

// Two equal trees on two hosts: one repaints what each step dirties, the
// other everything from scratch; their pictures must be the same after every
// step.
struct TWorld {
  std::unique_ptr<TuiBufferedScene> Host = std::make_unique<TuiBufferedScene>(120, 90);
  std::unique_ptr<TuiRectangle> Root = std::make_unique<TuiRectangle>(nullptr);
  TuiRectangle* Panel;
  TuiRectangle* Under;
  TuiCircle* Led;
  TuiCircle* Other;
  TuiRectangle* Over;

  template <class T>
  T* Add(TuiVisualObject* Parent, float X, float Y, float W, float H, TuiColor Fill) {
    auto* o = new T(Root.get());
    o->SetBounds(X, Y, W, H);
    o->Fill()->SetColorValue(Fill);
    o->SetParent(Parent);
    return o;
  }
  TWorld() {
    Root->SetBounds(0, 0, 120, 90);
    Root->Fill()->SetColorValue(0xFF102030);
    Host->AddObject(Root.get());
    Panel = Add<TuiRectangle>(Root.get(), 5, 4, 100, 80, 0xFF405060);
    Panel->SetClipChildren(true);
    Under = Add<TuiRectangle>(Panel, 10, 10, 30, 30, 0x80A0B0C0);
    Led = Add<TuiCircle>(Panel, 20, 15, 40, 40, Unlit);
    Other = Add<TuiCircle>(Panel, 70, 15, 20, 20, Unlit);
    Over = Add<TuiRectangle>(Root.get(), 90, 60, 20, 20, 0x8000FF00);
  }
};

TEST(BackgroundCacheSteps, EveryFrameEqualsTheFramePaintedFromScratch) {
  RegisterCairoCanvas();
  struct TStep {
    const char* What;
    std::function<void(TWorld&)> Change;
  };
  auto toggle = [](TWorld& W) {
    TuiBrush& fill = *W.Led->Fill();
    fill.SetColorValue(fill.ColorValue() == Lit ? Unlit : Lit);
  };
  const TStep steps[] = {
      {"first frame", [](TWorld&) {}},
      {"lit", toggle},
      {"unlit, from the kept background", toggle},
      {"lit again", toggle},
      {"the shape under it changes", [](TWorld& W) { W.Under->Fill()->SetColorValue(0x80C04020); }},
      {"toggled over the new background", toggle},
      {"toggled again", toggle},
      {"the shape under it and the light change together",
       [&](TWorld& W) {
         W.Under->Fill()->SetColorValue(0x8020C040);
         toggle(W);
       }},
      {"toggled after both", toggle},
      {"a shape moves over it", [](TWorld& W) { W.Over->SetBounds(15, 10, 55, 60); }},
      {"toggled under that shape", toggle},
      {"toggled under it again", toggle},
      {"the shape over it goes", [](TWorld& W) { W.Over->SetBounds(90, 60, 20, 20); }},
      {"toggled alone again", toggle},
      {"toggled alone once more", toggle},
      {"another light changes in the same frame",
       [&](TWorld& W) {
         W.Other->Fill()->SetColorValue(Lit);
         toggle(W);
       }},
      {"moved by a pixel",
       [](TWorld& W) {
         W.Led->Position()->SetPoint({W.Led->Position()->X() + 1, W.Led->Position()->Y()});
       }},
      {"toggled at its new place", toggle},
      {"a thicker outline", [](TWorld& W) { W.Led->SetStrokeThickness(3); }},
      {"turned in place", [](TWorld& W) { W.Led->SetRotateAngle(45); }},
      {"toggled while turned", toggle},
      {"hidden", [](TWorld& W) { W.Led->SetVisible(false); }},
      {"shown", [](TWorld& W) { W.Led->SetVisible(true); }},
      {"toggled after showing", toggle},
      {"the panel's own colour", [](TWorld& W) { W.Panel->Fill()->SetColorValue(0xFF605040); }},
      {"toggled over the new panel", toggle},
      {"the panel half transparent", [](TWorld& W) { W.Panel->SetOpacity(0.5f); }},
      {"toggled in the transparent panel", toggle},
      {"the host repainted whole after a resize",
       [](TWorld& W) {
         W.Host->Background = 0xFF808080;
         W.Host->SetSize(110, 85);
       }},
      {"toggled after the resize", toggle},
      {"toggled once more after the resize", toggle},
      {"freed",
       [](TWorld& W) {
         delete W.Led;
         W.Led = nullptr;
       }},
      {"the other light toggled", [](TWorld& W) { W.Other->Fill()->SetColorValue(Unlit); }},
  };
  TWorld kept, fresh;
  for (const TStep& step : steps) {
    step.Change(kept);
    step.Change(fresh);
    kept.Host->PaintTree();
    fresh.Host->InvalidateAll();
    fresh.Host->PaintTree();
    const TuiCanvas &a = kept.Host->Buffer(), &b = fresh.Host->Buffer();
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int32_t i = 0; i < a.Width() * a.Height(); ++i)
      ASSERT_EQ(a.BufferBits()[i], b.BufferBits()[i])
          << step.What << ", pixel " << i % a.Width() << ", " << i / a.Width();
  }
}

}  // namespace
