// The paint pass: order of the steps, clipping, dirty rectangles, painting
// into another canvas and visual brushes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "draw2d/Bitmap.h"
#include "tests/scene2d/paint/PaintFixtures.h"

using namespace paint_fixtures;
using ::testing::ElementsAre;

namespace {

constexpr TuiColor Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, Black = 0xFF000000;

class PaintPass : public TScene {};

TEST_F(PaintPass, StepsRunInOrderWithOnPaintAfterTheChildren) {
  TBox* a = Add(Root.get(), "a", 10, 10, 40, 40);
  Add(a, "a1", 5, 5, 10, 10);
  Add(Root.get(), "b", 50, 50, 20, 20);
  a->Events().OnBeforePaint = [&](TuiObject*, TuiCanvas*, const TuiRect& R) {
    Log.push_back("a.OnBeforePaint " + std::to_string(int(R.Right)));
  };
  a->Events().OnPaint = [&](TuiObject*, TuiCanvas*, const TuiRect&) { Log.push_back("a.OnPaint"); };
  PaintAll();
  Host->InvalidateAll();
  Host->PaintTree();
  EXPECT_THAT(Log,
              ElementsAre("root.beforepaint", "root.paint", "a.beforepaint", "a.OnBeforePaint 40", "a.paint",
                          "a1.beforepaint", "a1.paint", "a1.afterpaint", "a.OnPaint", "a.afterpaint",
                          "b.beforepaint", "b.paint", "b.afterpaint", "root.afterpaint"));
}

TEST_F(PaintPass, LaterChildrenCoverEarlierOnesAndChildrenFollowTheMatrix) {
  TBox* a = Add(Root.get(), "a", 10, 10, 40, 40, Red);
  Add(Root.get(), "b", 30, 30, 40, 40, Green);
  a->Scale()->SetPoint({2, 1});
  Add(a, "a1", 20, 0, 10, 10, Blue);  // at scene x 50..70 after the parent's scale
  PaintAll();
  EXPECT_EQ(Pixel(5, 5), Black);
  EXPECT_EQ(Pixel(15, 15), Red);
  EXPECT_EQ(Pixel(40, 40), Green);  // b lies over a
  EXPECT_EQ(Pixel(55, 15), Blue);
  EXPECT_EQ(Pixel(69, 15), Blue);
  EXPECT_EQ(Pixel(85, 15), Red);  // a is scaled to 10 + 2 * 40 = 90
  EXPECT_EQ(Pixel(95, 15), Black);
}

TEST_F(PaintPass, ClipChildrenCutsChildrenToTheParentUnlessTheyAreNotClippable) {
  TBox* p = Add(Root.get(), "p", 10, 10, 30, 30, Red);
  p->SetClipChildren(true);
  Add(p, "in", 20, 20, 30, 30, Green);                // reaches to 60, 60
  TBox* free = Add(p, "free", 20, -5, 30, 10, Blue);  // reaches to 60, 15
  free->SetCanClipped(false);
  PaintAll();
  EXPECT_EQ(Pixel(35, 35), Green);
  EXPECT_EQ(Pixel(45, 45), Black);  // outside the parent: cut
  EXPECT_EQ(Pixel(45, 8), Blue);    // not clippable: painted beyond the parent
  EXPECT_EQ(Pixel(35, 7), Blue);
}

TEST_F(PaintPass, ClipParentKeepsTheParentsOwnPaintOutOfTheChildsArea) {
  TBox* p = Add(Root.get(), "p", 10, 10, 40, 40, Red);
  TBox* hole = Add(p, "hole", 10, 10, 10, 10, Green);
  hole->SetClipParent(true);
  hole->SetOpacity(0);  // shows what is beneath it
  PaintAll();
  EXPECT_EQ(Pixel(15, 15), Red);
  EXPECT_EQ(Pixel(25, 25), Black);
}

TEST_F(PaintPass, DragOverHighlightsTheOutline) {
  TBox* a = Add(Root.get(), "a", 10, 10, 40, 40, Black);
  a->DragEnter({}, {20, 20});
  PaintAll();
  // "#B2005ACC" over black: 0x5A and 0xCC at 178 / 255.
  EXPECT_EQ(Pixel(11, 30), 0xFF003F8E);
  EXPECT_EQ(Pixel(30, 30), Black);
  a->DragLeave();
  PaintAll();
  EXPECT_EQ(Pixel(11, 30), Black);
}

// ---- dirty rectangles ----

TEST_F(PaintPass, OneChangedFillRepaintsOnlyItsRectangle) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20, Red);
  TBox* b = Add(Root.get(), "b", 60, 60, 20, 20, Green);
  PaintAll();
  const int rootPaints = Root->Paints;
  a->SetColor(Blue);
  ASSERT_EQ(Host->GetUpdateRectsCount(), 1);
  const TuiRect r = Host->GetUpdateRect(0);
  EXPECT_EQ(r.Left, 10);
  EXPECT_EQ(r.Top, 10);
  EXPECT_EQ(r.Right, 31);
  EXPECT_EQ(r.Bottom, 31);
  // A pixel beside a changes under the canvas: a repaint of a does not touch it.
  Host->Buffer().ClearRect({40, 40, 41, 41}, Red);
  Host->PaintTree();
  EXPECT_EQ(Pixel(20, 20), Blue);
  EXPECT_EQ(Pixel(40, 40), Red);
  EXPECT_EQ(b->Paints, 1);
  EXPECT_EQ(a->Paints, 2);
  EXPECT_EQ(Root->Paints, rootPaints + 1);  // under a, so painted again, clipped
  EXPECT_EQ(Host->GetUpdateRectsCount(), 0);
}

TEST_F(PaintPass, AMovedObjectRepaintsItsOldAndNewPlace) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20, Red);
  PaintAll();
  a->Position()->SetPoint({60, 60});
  Host->PaintTree();
  EXPECT_EQ(Pixel(20, 20), Black);
  EXPECT_EQ(Pixel(70, 70), Red);
}

TEST_F(PaintPass, AnObjectOutsideEveryDirtyRectangleIsNotPainted) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  TBox* b = Add(Root.get(), "b", 60, 10, 20, 20);
  TBox* b1 = Add(b, "b1", 5, 5, 5, 5);
  PaintAll();
  a->SetColor(Red);
  Host->PaintTree();
  EXPECT_EQ(a->Paints, 2);
  EXPECT_EQ(b->Paints, 1);
  EXPECT_EQ(b1->Paints, 1);
  Host->PaintTree();  // nothing dirty: nothing painted
  EXPECT_EQ(a->Paints, 2);
}

TEST_F(PaintPass, AChildOutsideItsParentIsPaintedWithIt) {
  TBox* p = Add(Root.get(), "p", 10, 10, 20, 20, Red);
  TBox* out = Add(p, "out", 50, 50, 10, 10, Green);  // scene 60..70
  PaintAll();
  p->SetColor(Blue);
  // The parent's update rectangle holds the child's.
  ASSERT_EQ(Host->GetUpdateRectsCount(), 1);
  EXPECT_EQ(Host->GetUpdateRect(0).Right, 71);
  Host->PaintTree();
  EXPECT_EQ(out->Paints, 2);
}

TEST_F(PaintPass, MoreThanTwentyDirtyRectanglesBecomeTheirUnion) {
  Host->PaintTree();
  for (int i = 0; i < 20; ++i) Host->AddUpdateRect({float(i), 2, float(i) + 0.5f, 3});
  EXPECT_EQ(Host->GetUpdateRectsCount(), 20);
  Host->AddUpdateRect({50, 60, 55, 65});
  ASSERT_EQ(Host->GetUpdateRectsCount(), 1);
  const TuiRect u = Host->GetUpdateRect(0);
  EXPECT_EQ(u.Left, 0);
  EXPECT_EQ(u.Top, 2);
  EXPECT_EQ(u.Right, 56);
  EXPECT_EQ(u.Bottom, 66);
  Host->AddUpdateRect({200, 200, 300, 300});  // beside the buffer
  EXPECT_EQ(Host->GetUpdateRectsCount(), 1);
}

TEST_F(PaintPass, RepaintAsksNothingForHiddenOrUpdatingObjects) {
  TBox* p = Add(Root.get(), "p", 10, 10, 20, 20);
  TBox* c = Add(p, "c", 1, 1, 5, 5);
  PaintAll();
  Host->PaintTree();
  p->SetVisible(false);
  Host->PaintTree();
  c->Repaint();
  EXPECT_EQ(Host->GetUpdateRectsCount(), 0);
  p->SetVisible(true);
  Host->PaintTree();
  c->BeginUpdate();
  c->Repaint();
  EXPECT_EQ(Host->GetUpdateRectsCount(), 0);
  c->EndUpdate();
  c->Repaint();
  EXPECT_EQ(Host->GetUpdateRectsCount(), 1);
}

TEST_F(PaintPass, UpdateRectsFollowClippingAndFocus) {
  TBox* p = Add(Root.get(), "p", 10, 10, 20, 20);
  TBox* c = Add(p, "c", 10, 10, 30, 30);
  EXPECT_EQ(p->UpdateRect().Right, 50);  // with the child reaching out
  p->SetClipChildren(true);
  EXPECT_EQ(p->UpdateRect().Right, 30);
  EXPECT_EQ(c->UpdateRect().Right, 30);  // cut to the clipping parent
  c->SetCanFocused(true);
  c->SetFocus();
  ASSERT_TRUE(c->IsFocused());
  EXPECT_EQ(c->UpdateRect().Left, 15);  // room for the glow
  c->KillFocus();
  EXPECT_EQ(c->UpdateRect().Left, 20);
}

// ---- painting into another canvas ----

TEST_F(PaintPass, MakeScreenshotPaintsTheSubtreeUprightAndPutsEverythingBack) {
  TBox* a = Add(Root.get(), "a", 30, 20, 20, 10, Red);
  Add(a, "a1", 10, 0, 10, 10, Green);
  a->SetRotateAngle(90);
  const TuiMatrix before = a->GetAbsoluteMatrix();
  PaintAll();
  std::unique_ptr<TuiBitmap> shot = TuiPainter::MakeScreenshot(*a);
  ASSERT_EQ(shot->Width(), 20);
  ASSERT_EQ(shot->Height(), 10);
  EXPECT_EQ(shot->Scanline(5)[5], Red);
  EXPECT_EQ(shot->Scanline(5)[15], Green);
  EXPECT_EQ(a->GetAbsoluteMatrix(), before);
  EXPECT_EQ(a->RotateAngle(), 90);
  EXPECT_FALSE(Host->GetDisableUpdate());
  EXPECT_EQ(a->Canvas(), &Host->Buffer());
  EXPECT_EQ(Host->GetUpdateRectsCount(), 0);  // nothing moved, nothing to repaint
}

TEST_F(PaintPass, PaintToRestoresEverythingWhenPaintingThrows) {
  TBox* a = Add(Root.get(), "a", 30, 20, 20, 10, Red);
  TBox* a1 = Add(a, "a1", 10, 0, 10, 10, Green);
  PaintAll();
  a1->ThrowInPaint = true;
  const TuiMatrix before = a1->GetAbsoluteMatrix();
  TuiBitmap target(40, 40);
  TuiCanvas* canvas = target.Canvas();
  const TuiMatrix canvasMatrix = canvas->Matrix();
  EXPECT_THROW(TuiPainter::PaintTo(*a, *canvas, {0, 0, 40, 40}), EuxError);
  EXPECT_EQ(a1->GetAbsoluteMatrix(), before);
  EXPECT_EQ(canvas->Matrix(), canvasMatrix);
  EXPECT_FALSE(Host->GetDisableUpdate());
  EXPECT_EQ(a->Canvas(), &Host->Buffer());
  EXPECT_EQ(a1->Canvas(), &Host->Buffer());
  a1->ThrowInPaint = false;
  a->SetColor(Blue);
  EXPECT_EQ(Host->GetUpdateRectsCount(), 1);  // repaints reach the host again
}

TEST_F(PaintPass, AVisualBrushPaintsItsObjectIntoTheShape) {
  TBox* source = Add(Root.get(), "source", 0, 0, 10, 10, Green);
  Add(source, "half", 5, 0, 5, 10, Red);
  source->SetVisible(false);
  TuiBitmap target(40, 20);
  target.Clear(0);
  TuiCanvas* canvas = target.Canvas();
  ASSERT_TRUE(canvas->BeginScene());
  canvas->Fill()->SetStyle(uxBrushVisual);
  canvas->Fill()->Visual()->SetVisualObject(source);
  canvas->FillRect({0, 0, 40, 20}, 0, 0, AllCorners, 1);
  canvas->EndScene();
  EXPECT_EQ(target.Scanline(10)[5], Green);
  EXPECT_EQ(target.Scanline(10)[35], Red);
}

}  // namespace
