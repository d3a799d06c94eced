#include "ShapeFixtures.h"
#include "draw2d/ShapeEllipses.h"
#include "draw2d/ShapePaths.h"
#include "draw2d/ShapeRectangles.h"

using namespace shape_fixtures;

class ShapeHitTest : public ShapeTest {
 protected:
  std::unique_ptr<TuiCanvas> FCanvas = NewCanvas(4, 4);
};

TEST_F(ShapeHitTest, EllipsesAnswerForTheObjectEllipse) {
  // A 40 x 20 object placed at (10, 20): centre (30, 30), radii 20 and 10.
  TPainted<TuiEllipse> ellipse;
  TPainted<TuiCircle> circle;
  TPainted<TuiArc> arc;
  struct TCase {
    float X, Y;
    bool Hit;
  };
  const TCase cases[] = {
      {30, 30, true},      // centre
      {11, 21, false},     // corner of the local rect
      {49, 30, true},      // just inside the right end
      {50, 30, true},      // on the outline
      {50.5f, 30, false},  // outside
      {30, 20, true},      // top end
      {44, 22, false},     // inside the rect, outside the ellipse
      {45, 25, true},      // inside the ellipse, beside the 19-wide circle
  };
  for (TuiEllipse* e : {static_cast<TuiEllipse*>(&ellipse), static_cast<TuiEllipse*>(&circle),
                        static_cast<TuiEllipse*>(&arc)}) {
    e->SetBounds(10, 20, 40, 20);
    for (const TCase& c : cases)
      EXPECT_EQ(e->PointInObject(c.X, c.Y), c.Hit) << e->ClassName() << " at " << c.X << ", " << c.Y;
  }
  ellipse.SetBounds(0, 0, 0, 20);
  EXPECT_FALSE(ellipse.PointInObject(0, 10)) << "a flat ellipse holds no point";
}

TEST_F(ShapeHitTest, RotatedEllipseTestsInLocalUnits) {
  TPainted<TuiEllipse> e;
  e.SetBounds(0, 0, 40, 10);
  e.SetRotateAngle(90);
  // Turned about its centre (20, 5): now 10 wide and 40 high.
  EXPECT_TRUE(e.PointInObject(20, 22));
  EXPECT_FALSE(e.PointInObject(36, 5));
}

TEST_F(ShapeHitTest, PieAnswersForItsSliceWithACanvasAndItsEllipseWithout) {
  TPainted<TuiPie> pie;
  pie.SetBounds(0, 0, 100, 100);
  pie.SetStartAngle(0);
  pie.SetEndAngle(90);  // the lower right quarter
  EXPECT_TRUE(pie.PointInObject(25, 25)) << "no canvas: the ellipse";
  pie.UseCanvas(FCanvas.get());
  EXPECT_TRUE(pie.PointInObject(70, 70));
  EXPECT_FALSE(pie.PointInObject(25, 25));
  EXPECT_FALSE(pie.PointInObject(70, 30));
  EXPECT_FALSE(pie.PointInObject(95, 95)) << "beyond the rim";
}

TEST_F(ShapeHitTest, PathAnswersForItsOutlineFittedIntoTheShape) {
  TPainted<TuiPath> path;
  path.SetBounds(0, 0, 100, 100);
  // A triangle with its right angle at the top left, in 10 x 10 bounds.
  path.Data()->SetData("M 0,0 L 10,0 L 0,10 Z");
  path.SetWrapMode(uxPathStretch);
  EXPECT_TRUE(path.PointInObject(80, 80)) << "no canvas: the rectangle";
  path.UseCanvas(FCanvas.get());
  // Fitted, whatever the wrap mode: 10 x 10 centred, at (45, 45).
  EXPECT_TRUE(path.PointInObject(46, 46));
  EXPECT_FALSE(path.PointInObject(54, 54));
  EXPECT_FALSE(path.PointInObject(20, 20)) << "where the stretched path would paint";
  path.SetDesigning(true);
  EXPECT_TRUE(path.PointInObject(80, 80)) << "a designer picks by the rectangle";
  path.SetLocked(true);
  EXPECT_FALSE(path.PointInObject(80, 80));
  path.SetDesigning(false);
  path.Data()->SetData("M 5,5");
  EXPECT_TRUE(path.PointInObject(80, 80)) << "a single point: the rectangle";
}

TEST_F(ShapeHitTest, RectanglesUseTheStrictRectangle) {
  TPainted<TuiRoundRect> r;
  r.SetBounds(0, 0, 20, 60);
  r.UseCanvas(FCanvas.get());
  EXPECT_TRUE(r.PointInObject(0.5f, 0.5f)) << "the rounded corner still hits";
  EXPECT_FALSE(r.PointInObject(0, 30));
  EXPECT_FALSE(r.PointInObject(20, 30));
}
