#include "ShapeFixtures.h"
#include "draw2d/ShapeEllipses.h"

using namespace shape_fixtures;

class ShapeHitTest : public ShapeTest {};

TEST_F(ShapeHitTest, EllipseMissesItsCornerAndHitsItsCentre) {
  TPainted<TuiEllipse> e;
  e.SetBounds(10, 20, 40, 20);
  EXPECT_TRUE(e.PointInObject(30, 30));
  EXPECT_FALSE(e.PointInObject(11, 21));
}
