#include "ShapeFixtures.h"
#include "draw2d/ShapeImage.h"
#include "draw2d/ShapePaths.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/ShapeText.h"
#include "tests/scene2d/visual/FakeScene.h"

using namespace shape_fixtures;

// What reaches the host when a shape changes: one repaint per real change.
class ShapeChangeTest : public ShapeTest {
 protected:
  template <class T>
  size_t Repaints(T& Shape, const std::function<void()>& Change) {
    FScene.AddObject(&Shape);
    FScene.UpdateRects.clear();
    Change();
    const size_t n = FScene.UpdateRects.size();
    FScene.RemoveObject(&Shape);
    return n;
  }
  TFakeScene FScene;
};

TEST_F(ShapeChangeTest, RealChangesRepaintAndEqualValuesDoNot) {
  TuiRectangle r(nullptr);
  EXPECT_EQ(Repaints(r, [&] { r.SetStrokeThickness(1); }), 0u);
  EXPECT_EQ(Repaints(r, [&] { r.SetStrokeThickness(2); }), 1u);
  EXPECT_EQ(Repaints(r, [&] { r.SetStrokeDash(uxDashDot); }), 1u);
  EXPECT_EQ(Repaints(r, [&] { r.Fill()->SetColorValue(0xFF123456); }), 1u);
  EXPECT_EQ(Repaints(r, [&] { r.Fill()->SetColorValue(0xFF123456); }), 0u);
  EXPECT_EQ(Repaints(r, [&] { r.Stroke()->SetStyle(uxBrushNone); }), 1u);
  EXPECT_EQ(Repaints(r, [&] { r.SetSides(0); }), 1u);
  EXPECT_EQ(Repaints(r, [&] { r.SetXRadius(3); }), 1u);

  TuiText t(nullptr);
  EXPECT_EQ(Repaints(t, [&] { t.Font()->SetSize(20); }), 1u);
  EXPECT_EQ(Repaints(t, [&] { t.SetText("x"); }), 1u);
  TuiPath p(nullptr);
  EXPECT_EQ(Repaints(p, [&] { p.Data()->SetData("M 0,0 L 1,1"); }), 1u);
  TuiImage i(nullptr);
  EXPECT_EQ(Repaints(i, [&] { i.Bitmap()->SetSize(2, 2); }), 1u);
  EXPECT_EQ(Repaints(i, [&] { i.BitmapMargins()->SetLeft(1); }), 1u);
}

TEST_F(ShapeChangeTest, BrushChangesWaitForTheEndOfAnUpdate) {
  TuiRectangle r(nullptr);
  EXPECT_EQ(Repaints(r,
                     [&] {
                       r.BeginUpdate();
                       r.Fill()->SetColorValue(0xFF00FF00);
                       r.Stroke()->SetColorValue(0xFF00FF00);
                     }),
            0u);
  r.EndUpdate();
}
