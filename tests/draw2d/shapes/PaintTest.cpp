#include <cmath>
#include <numbers>

#include "ShapeFixtures.h"
#include "draw2d/ShapeEllipses.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/ShapeText.h"

using namespace shape_fixtures;

namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;

template <class T>
void Colour(TPainted<T>& S, uint32_t Fill, uint32_t Stroke) {
  S.Fill()->SetColorValue(Fill);
  S.Stroke()->SetColorValue(Stroke);
}

// The point at Angle degrees (clockwise on screen) and Fraction of the radii
// from the centre of a W x H object.
TuiPoint OnEllipse(float W, float H, float Angle, float Fraction) {
  const double a = Angle * std::numbers::pi / 180;
  return {float(W / 2 + std::cos(a) * W / 2 * Fraction), float(H / 2 + std::sin(a) * H / 2 * Fraction)};
}

bool PaintedAt(const TuiCanvas& C, const TuiPoint& P) {
  return AlphaOf(Pixel(C, int32_t(P.X), int32_t(P.Y))) > 127;
}

}  // namespace

class ShapePaintTest : public ShapeTest {};

TEST_F(ShapePaintTest, CircleIsTheLargestWholeCircleCentredInTheShapeRect) {
  struct TCase {
    float W, H;
    TInk Ink;
  };
  // Stroke 1: a 40 x 40 circle outlines (0.5, 0.5, 39.5, 39.5); in 60 x 40
  // the 39-wide circle sits a whole 10 units in.
  for (const TCase& c : {TCase{40, 40, {0, 0, 40, 40}}, TCase{60, 40, {10, 0, 50, 40}}}) {
    TPainted<TuiCircle> circle;
    circle.SetBounds(0, 0, c.W, c.H);
    Colour(circle, kBlue, kRed);
    auto canvas = NewCanvas(int32_t(c.W), int32_t(c.H));
    circle.PaintInto(*canvas);
    EXPECT_EQ(InkBox(*canvas, 128), c.Ink) << c.W << " x " << c.H;
    EXPECT_EQ(Pixel(*canvas, int32_t(c.W / 2), 20), kBlue) << "filled inside";
  }
}

TEST_F(ShapePaintTest, RoundRectEndsAreSemicircles) {
  TPainted<TuiRoundRect> r;
  r.SetBounds(0, 0, 20, 60);
  Colour(r, kBlue, kRed);
  EXPECT_FLOAT_EQ(r.Radius(), 9.5f);
  auto canvas = NewCanvas(20, 60);
  r.PaintInto(*canvas);
  // A smaller radius would reach into the corner.
  EXPECT_EQ(AlphaOf(Pixel(*canvas, 1, 1)), 0u);
  EXPECT_EQ(AlphaOf(Pixel(*canvas, 18, 58)), 0u);
  EXPECT_EQ(Pixel(*canvas, 10, 30), kBlue);
  EXPECT_TRUE(PaintedAt(*canvas, {10, 0.5f}));
}

TEST_F(ShapePaintTest, RectangleWithoutStrokeFillsItsWholeLocalRect) {
  TPainted<TuiRectangle> r;
  r.SetBounds(0, 0, 30, 20);
  r.Stroke()->SetStyle(uxBrushNone);
  r.Fill()->SetColorValue(kBlue);
  EXPECT_EQ(r.ShapeRect(), (TuiRect{0, 0, 30, 20}));
  auto canvas = NewCanvas(32, 22);
  r.PaintInto(*canvas);
  EXPECT_EQ(InkBox(*canvas), (TInk{0, 0, 30, 20}));
  EXPECT_EQ(Pixel(*canvas, 0, 0), kBlue);
  EXPECT_EQ(Pixel(*canvas, 29, 19), kBlue);
}

TEST_F(ShapePaintTest, RectangleFillReachesTheEdgesWithoutOutline) {
  TPainted<TuiRectangle> r;
  r.SetBounds(0, 0, 100, 50);
  r.SetStrokeThickness(2);
  r.SetSides(1u << uxSideBottom);
  Colour(r, kBlue, kRed);
  EXPECT_EQ(r.ShapeRect(), (TuiRect{1, 1, 99, 49}));
  auto canvas = NewCanvas(100, 50);
  r.PaintInto(*canvas);
  // Fill over (0, 0, 100, 49), the outline only along the shape rect's bottom.
  EXPECT_EQ(Pixel(*canvas, 0, 0), kBlue);
  EXPECT_EQ(Pixel(*canvas, 99, 0), kBlue);
  EXPECT_EQ(Pixel(*canvas, 0, 25), kBlue);
  EXPECT_EQ(Pixel(*canvas, 99, 25), kBlue);
  EXPECT_EQ(Pixel(*canvas, 50, 49), kRed);
  EXPECT_EQ(Pixel(*canvas, 50, 48), kRed);
  EXPECT_EQ(InkWhere(*canvas, [](uint32_t P) { return P == kRed; }), (TInk{1, 48, 99, 50}));
}

TEST_F(ShapePaintTest, LineTypesRunAlongTheShapeRect) {
  struct TCase {
    TuiLineType Type;
    TInk Ink;
  };
  // Stroke 2 in a 40 x 20 object: the shape rect is (1, 1, 39, 19).
  for (const TCase& c : {TCase{uxLineHorizontal, {1, 0, 39, 2}}, TCase{uxLineVertical, {0, 1, 2, 19}},
                         TCase{uxLineNormal, {1, 0, 39, 20}}}) {
    TPainted<TuiLine> line;
    line.SetBounds(0, 0, 40, 20);
    line.SetStrokeThickness(2);
    line.SetLineType(c.Type);
    auto canvas = NewCanvas(40, 20);
    line.PaintInto(*canvas);
    EXPECT_EQ(InkBox(*canvas, 128), c.Ink) << int(c.Type);
  }
}

TEST_F(ShapePaintTest, ArcSweepsItsEndAngleWhilePieEndsThere) {
  // Both start at 30 degrees; the arc sweeps 90 (to 120), the pie ends at 90.
  TPainted<TuiArc> arc;
  TPainted<TuiPie> pie;
  for (TuiEllipse* e : {static_cast<TuiEllipse*>(&arc), static_cast<TuiEllipse*>(&pie)}) {
    e->SetBounds(0, 0, 100, 100);
    e->SetStrokeThickness(4);
  }
  arc.SetStartAngle(30);
  arc.SetEndAngle(90);
  pie.SetStartAngle(30);
  pie.SetEndAngle(90);
  auto arcCanvas = NewCanvas(100, 100);
  arc.PaintInto(*arcCanvas);
  auto pieCanvas = NewCanvas(100, 100);
  pie.PaintInto(*pieCanvas);
  // On the rim (radius 48 of 50) the arc is drawn from 30 to 120 degrees.
  for (float angle : {40.f, 75.f, 110.f})
    EXPECT_TRUE(PaintedAt(*arcCanvas, OnEllipse(100, 100, angle, 0.96f))) << angle;
  for (float angle : {10.f, 135.f, 270.f})
    EXPECT_FALSE(PaintedAt(*arcCanvas, OnEllipse(100, 100, angle, 0.96f))) << angle;
  EXPECT_FALSE(PaintedAt(*arcCanvas, OnEllipse(100, 100, 75, 0.5f))) << "an arc has no fill";
  // The pie is filled from 30 to 90 degrees only.
  EXPECT_TRUE(PaintedAt(*pieCanvas, OnEllipse(100, 100, 60, 0.5f)));
  for (float angle : {10.f, 110.f, 270.f})
    EXPECT_FALSE(PaintedAt(*pieCanvas, OnEllipse(100, 100, angle, 0.5f))) << angle;
}

TEST_F(ShapePaintTest, HooksHandTheStrokeToTheCanvasAndPutDashAndWidthBack) {
  TPainted<TuiEllipse> e;
  e.SetStrokeThickness(3);
  e.SetStrokeDash(uxDashDot);
  e.SetStrokeCap(uxCapRound);
  e.SetStrokeJoin(uxJoinBevel);
  e.Fill()->SetColorValue(kBlue);
  auto canvas = NewCanvas(50, 50);
  e.UseCanvas(canvas.get());
  e.BeforePaint();
  EXPECT_EQ(canvas->StrokeThickness(), 3);
  EXPECT_EQ(canvas->StrokeDash(), uxDashDot);
  EXPECT_EQ(canvas->StrokeCap(), uxCapRound);
  EXPECT_EQ(canvas->StrokeJoin(), uxJoinBevel);
  EXPECT_EQ(canvas->Fill()->ColorValue(), kBlue);
  e.AfterPaint();
  EXPECT_EQ(canvas->StrokeThickness(), 1);
  EXPECT_EQ(canvas->StrokeDash(), uxDashSolid);
}

TEST_F(ShapePaintTest, PaintBoxHandsItsCanvasToItsOwnHandlerOnly) {
  TPainted<TuiPaintBox> box;
  auto canvas = NewCanvas(50, 50);
  TuiCanvas* seen = nullptr;
  bool inheritedFired = false;
  box.OnPaint = [&](TuiObject* Sender, TuiCanvas* C) {
    EXPECT_EQ(Sender, &box);
    seen = C;
    C->Fill()->SetColorValue(kRed);
    C->FillRect({0, 0, 5, 5}, 0, 0, AllCorners, 1);
  };
  box.Events().OnPaint = [&](TuiObject*, TuiCanvas*, const TuiRect&) { inheritedFired = true; };
  box.PaintInto(*canvas);
  EXPECT_EQ(seen, canvas.get());
  EXPECT_FALSE(inheritedFired) << "the paint pass fires that one, after the children";
  EXPECT_EQ(Pixel(*canvas, 2, 2), kRed);
}
