// Shapes, outlines and paths as the pixels show them.
#include <cmath>

#include "tests/draw2d/canvas/CanvasFixtures.h"

using namespace canvas_fixtures;

namespace {

TuiMatrix Scaled(float S, float Dx = 0, float Dy = 0) {
  TuiMatrix m;
  m.M[0][0] = m.M[1][1] = S;
  m.M[2][0] = Dx;
  m.M[2][1] = Dy;
  return m;
}

// The first painted column of row Y, or -1.
int32_t FirstPainted(const TuiCanvas& C, int32_t Y) {
  for (int32_t x = 0; x < C.Width(); ++x)
    if (Painted(C, x, Y)) return x;
  return -1;
}

}  // namespace

TEST_F(CanvasTest, CornerTypesShapeTheCorners) {
  // A 80 x 80 rectangle with radius 40 at the top-left corner only; sample
  // points on the diagonal tell the four corner pieces apart.
  struct TCase {
    TuiCornerType Type;
    std::vector<std::pair<int32_t, bool>> Diagonal;  // (x = y, inside)
    float Crossing;                                  // where the outline crosses the diagonal
  };
  const TCase cases[] = {
      // Quarter ellipse about (40, 40): the diagonal leaves it at 40 - 28.3.
      {uxCornerRound, {{8, false}, {14, true}, {30, true}}, 11.7f},
      // The cut from (0, 40) to (40, 0): x + y = 40.
      {uxCornerBevel, {{14, false}, {22, true}}, 20},
      // Bulging inwards, the curve crosses the diagonal at about 26.7.
      {uxCornerInnerRound, {{22, false}, {28, true}}, 26.7f},
      // Steps through (17.9, 40) and (40, 17.9): x + y = 57.9.
      {uxCornerInnerLine, {{26, false}, {31, true}}, 28.95f},
  };
  for (const TCase& t : cases) {
    auto c = NewCanvas(80, 80);
    c->Fill()->SetColorValue(0xFF000000);
    c->FillRect({0, 0, 80, 80}, 40, 40, 1u << uxCornerTopLeft, 1, t.Type);
    for (auto [at, inside] : t.Diagonal)
      EXPECT_EQ(Painted(*c, at, at), inside) << int(t.Type) << " at " << at;
    EXPECT_TRUE(Painted(*c, 79, 0)) << "unselected corners stay square";
    EXPECT_TRUE(Painted(*c, 0, 79));
    EXPECT_TRUE(Painted(*c, 79, 79));

    c->Clear(0);
    c->SetStrokeThickness(2);
    c->DrawRect({0, 0, 80, 80}, 40, 40, 1u << uxCornerTopLeft, 1, t.Type);
    const int32_t d = int32_t(t.Crossing);
    EXPECT_TRUE(Painted(*c, d, d)) << int(t.Type) << " outline at " << d;
    EXPECT_FALSE(Painted(*c, d - 3, d - 3)) << int(t.Type);
    EXPECT_FALSE(Painted(*c, d + 3, d + 3)) << int(t.Type);
    EXPECT_TRUE(Painted(*c, 0, 79)) << "square corners are outlined too";
  }
}

TEST_F(CanvasTest, PlainRectanglesWhenNoCornerOrNoRadius) {
  for (auto [radius, corners] : {std::pair{5.0f, TuiCorners(0)}, std::pair{0.0f, AllCorners}}) {
    auto c = NewCanvas(20, 20);
    c->FillRect({0, 0, 20, 20}, radius, radius, corners, 1);
    EXPECT_EQ(Pixel(*c, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(*c, 19, 19), 0xFFFFFFFFu);
  }
}

TEST_F(CanvasTest, RoundedRectanglesHaveThePathDataOutline) {
  // The canvas writes rounded outlines without building path data; filled,
  // they must cover what the path data's rectangle covers, for every corner
  // type, any choice of corners and radii that need clamping.
  const TuiRect r{3.5f, 2.25f, 61, 37.75f};
  const TuiCorners choices[] = {AllCorners, 1u << uxCornerTopLeft, 1u << uxCornerTopRight,
                                1u << uxCornerBottomLeft | 1u << uxCornerBottomRight};
  const std::pair<float, float> radii[] = {{9, 6}, {40, 3}, {2.5f, 30}};
  for (TuiCornerType type : {uxCornerRound, uxCornerBevel, uxCornerInnerRound, uxCornerInnerLine})
    for (TuiCorners corners : choices)
      for (auto [rx, ry] : radii) {
        auto direct = NewCanvas(64, 40);
        direct->FillRect(r, rx, ry, corners, 1, type);
        TuiPathData path;
        path.AddRectangle(r, corners, type, rx, ry);
        auto viaPath = NewCanvas(64, 40);
        viaPath->FillPath(path, r, 1);
        uint32_t worst = 0;
        for (int32_t y = 0; y < 40; ++y)
          for (int32_t x = 0; x < 64; ++x) {
            const int a = int(AlphaOf(Pixel(*direct, x, y))), b = int(AlphaOf(Pixel(*viaPath, x, y)));
            worst = std::max(worst, uint32_t(std::abs(a - b)));
          }
        EXPECT_LE(worst, 1u) << "type " << int(type) << ", corners " << corners << ", radii " << rx << "/"
                             << ry;
      }
}

TEST_F(CanvasTest, OutlineRadiiAreClampedToHalfTheSize) {
  // (0, 0, 10, 40) with radii 8 at ten times the size: horizontally the
  // radius becomes 5 (half the width), vertically it stays 8.
  auto c = NewCanvas(110, 410);
  c->SetMatrix(Scaled(10, 5, 5));
  c->SetStrokeThickness(0.1f);
  c->DrawRect({0, 0, 10, 40}, 8, 8, AllCorners, 1);
  // Two and four units below the top the corner is 1.7 and 0.67 units in
  // (radius 5 across, 8 down); a radius of 5 both ways would put it 1 and 0.1
  // units in.
  EXPECT_NEAR(FirstPainted(*c, 25), 22, 1.5);
  EXPECT_NEAR(FirstPainted(*c, 45), 11.7, 1.5);
  // The straight side runs from 8 units down to 32.
  EXPECT_NEAR(FirstPainted(*c, 90), 5, 1);
  EXPECT_NEAR(FirstPainted(*c, 320), 5, 1);
  EXPECT_GT(FirstPainted(*c, 380), 10);
}

TEST_F(CanvasTest, RectSidesDrawOnlyTheChosenSides) {
  auto c = NewCanvas(40, 40);
  c->SetStrokeThickness(2);
  c->DrawRectSides({5, 5, 35, 35}, 0, 0, 0, 1, (1u << uxSideTop) | (1u << uxSideRight));
  EXPECT_TRUE(Painted(*c, 20, 5));   // top
  EXPECT_TRUE(Painted(*c, 35, 20));  // right
  EXPECT_FALSE(Painted(*c, 20, 35));
  EXPECT_FALSE(Painted(*c, 5, 20));

  c->Clear(0);
  // A chosen corner is drawn even between sides that are not.
  c->DrawRectSides({5, 5, 35, 35}, 10, 10, 1u << uxCornerBottomLeft, 1, 0);
  const TInk ink = InkBox(*c, 128);
  EXPECT_LE(ink.Right, 17);
  EXPECT_GE(ink.Top, 23);
}

TEST_F(CanvasTest, FillGradientStopsExtendToBothEnds) {
  auto c = NewCanvas(100, 4);
  HorizontalGradient(*c->Fill(), {{0xFFFF0000, 0.25f}, {0xFF0000FF, 0.75f}});
  c->FillRect({0, 0, 100, 4}, 0, 0, AllCorners, 1);
  for (int32_t x : {0, 10, 24}) EXPECT_EQ(Pixel(*c, x, 2), 0xFFFF0000u) << x;
  for (int32_t x : {76, 90, 99}) EXPECT_EQ(Pixel(*c, x, 2), 0xFF0000FFu) << x;
  const uint32_t mid = Pixel(*c, 50, 2);
  EXPECT_NEAR(int(RedOf(mid)), 128, 3);
  EXPECT_NEAR(int(BlueOf(mid)), 128, 3);

  c->Clear(0);
  c->FillRect({0, 0, 100, 4}, 0, 0, AllCorners, 0.5f);
  EXPECT_EQ(AlphaOf(Pixel(*c, 10, 2)), 127u) << "opacity scales every stop";
}

TEST_F(CanvasTest, LinearGradientSpansTheEllipseWhereverItIs) {
  auto c = NewCanvas(120, 20);
  HorizontalGradient(*c->Fill(), {{0xFFFF0000, 0}, {0xFF0000FF, 1}});
  c->FillEllipse({20, 0, 120, 20}, 1);
  const uint32_t left = Pixel(*c, 22, 10), right = Pixel(*c, 117, 10), middle = Pixel(*c, 70, 10);
  EXPECT_GT(RedOf(left), 240u);
  EXPECT_GT(BlueOf(right), 240u);
  EXPECT_NEAR(int(RedOf(middle)), 128, 4);
  EXPECT_NEAR(int(BlueOf(middle)), 128, 4);
}

TEST_F(CanvasTest, LinearGradientOfARectangleCountsFromRightAndBottom) {
  // Start and stop are Left + X * Right and Top + Y * Bottom: for (50, 0, 100,
  // 4) the gradient runs from x = 50 to x = 150, so the rectangle shows its
  // first half.
  auto c = NewCanvas(100, 4);
  HorizontalGradient(*c->Fill(), {{0xFFFF0000, 0}, {0xFF0000FF, 1}});
  c->FillRect({50, 0, 100, 4}, 0, 0, AllCorners, 1);
  EXPECT_NEAR(int(BlueOf(Pixel(*c, 99, 2))), 126, 4);
}

TEST_F(CanvasTest, RadialGradientRunsFromTheEdgeToTheCentre) {
  auto c = NewCanvas(40, 40);
  c->Fill()->SetStyle(uxBrushGradient);
  TuiGradient* g = c->Fill()->Gradient();
  g->SetStyle(uxRadialGradient);
  g->Points()->Clear();
  g->Points()->Add(0xFF0000FF, 0);  // the edge
  g->Points()->Add(0xFFFF0000, 1);  // the centre
  c->FillRect({0, 0, 40, 40}, 0, 0, AllCorners, 1);
  EXPECT_GT(RedOf(Pixel(*c, 20, 20)), 240u);
  EXPECT_GT(BlueOf(Pixel(*c, 20, 1)), 220u);
  EXPECT_EQ(AlphaOf(Pixel(*c, 1, 1)), 0u) << "nothing outside the inscribed ellipse";

  c->Clear(0);
  g->RadialTransform()->Scale()->SetPoint({0.5f, 0.5f});
  c->FillRect({0, 0, 40, 40}, 0, 0, AllCorners, 1);
  EXPECT_GT(RedOf(Pixel(*c, 10, 10)), 220u) << "the transform moves the ellipse";
  EXPECT_EQ(AlphaOf(Pixel(*c, 30, 30)), 0u);
}

TEST_F(CanvasTest, GradientShapesAwayFromTheOriginPaintAsAtTheOrigin) {
  // Each shape is painted at the origin and moved by (30, 2); the moved one
  // must show the same pixels, moved. A 14 x 14 radial-gradient ellipse is
  // the settings window's track-bar thumb.
  auto radial = [](TuiBrush& B) {
    B.SetStyle(uxBrushGradient);
    B.Gradient()->SetStyle(uxRadialGradient);
    B.Gradient()->Points()->Clear();
    B.Gradient()->Points()->Add(0xFF607080, 0);
    B.Gradient()->Points()->Add(0xFFE0E8F0, 1);
  };
  auto linear = [](TuiBrush& B) { HorizontalGradient(B, {{0xFFFF0000, 0}, {0xFF0000FF, 1}}); };
  struct TCase {
    const char* Name;
    void (*Brush)(TuiBrush&);
    bool Ellipse;
    int MinPixels;
  };
  const TCase cases[] = {
      {"radial ellipse", +radial, true, 150},
      {"radial rectangle", +radial, false, 150},
      {"linear ellipse", +linear, true, 150},
  };
  for (const TCase& t : cases) {
    auto paint = [&](float Dx, float Dy) {
      auto c = NewCanvas(48, 20);
      t.Brush(*c->Fill());
      const TuiRect r{Dx, Dy, Dx + 14, Dy + 14};
      if (t.Ellipse)
        c->FillEllipse(r, 1);
      else
        c->FillRect(r, 0, 0, AllCorners, 1);
      return c;
    };
    auto home = paint(0, 0), away = paint(30, 2);
    int painted = 0, differing = 0;
    for (int32_t y = 0; y < 14; ++y)
      for (int32_t x = 0; x < 14; ++x) {
        painted += AlphaOf(Pixel(*home, x, y)) > 0;
        differing += Pixel(*away, x + 30, y + 2) != Pixel(*home, x, y);
      }
    EXPECT_GE(painted, t.MinPixels) << t.Name;
    EXPECT_EQ(differing, 0) << t.Name;
    const TInk ink = InkBox(*away);
    EXPECT_EQ(ink.Left, 30) << t.Name;
    EXPECT_EQ(ink.Top, 2) << t.Name;
  }
}

TEST_F(CanvasTest, StretchedBitmapFillsTheEllipsesOwnSize) {
  // A stretched bitmap is anchored at the origin and covers the shape's size
  // (plus half the stroke) once: for the ellipse (4, 0, 20, 16) that is
  // x < 16.5, so its two pixels are 8.25 wide and the ellipse's right part
  // at x = 14 shows the blue one. Taking the size as Right - Left of (4, 0,
  // 16, 16) would end the picture at 12.5.
  auto b = std::make_unique<TuiBitmap>(2, 1);
  b->Scanline(0)[0] = 0xFFFF0000;
  b->Scanline(0)[1] = 0xFF0000FF;
  b->Changed();
  auto c = NewCanvas(24, 16);
  c->Fill()->SetStyle(uxBrushBitmap);
  c->Fill()->Bitmap()->SetBitmap(*b);
  c->Fill()->Bitmap()->SetWrapMode(uxWrapTileStretch);
  c->FillEllipse({4, 0, 20, 16}, 1);
  const uint32_t right = Pixel(*c, 14, 8), left = Pixel(*c, 5, 8);
  // Smooth sampling blurs the edges; the sides are still plain.
  EXPECT_GT(AlphaOf(right), 160u);
  EXPECT_GT(BlueOf(right), 4 * RedOf(right));
  EXPECT_GT(AlphaOf(left), 160u);
  EXPECT_GT(RedOf(left), 4 * BlueOf(left));
}

TEST_F(CanvasTest, GradientOutlineIsStretchedByTheRectangleAlongItsDirection) {
  // Red to blue from left to right on the outline of (0, 0, 4, 2): the pen's
  // gradient runs from 0 to 4 and is then scaled by the width, so at the
  // right edge it has gone a quarter of the way.
  auto c = NewCanvas(50, 30);
  c->SetMatrix(Scaled(10, 5, 5));
  c->SetStrokeThickness(0.4f);
  HorizontalGradient(*c->Stroke(), {{0xFFFF0000, 0}, {0xFF0000FF, 1}});
  c->DrawRect({0, 0, 4, 2}, 0, 0, AllCorners, 1);
  const uint32_t right = Pixel(*c, 45, 15);
  EXPECT_NEAR(int(BlueOf(right)), 64, 8);
  EXPECT_NEAR(int(RedOf(right)), 191, 8);
}

TEST_F(CanvasTest, CapsShapeLineAndDashEnds) {
  // A 10 wide horizontal line along y = 10 from x = 10 with dashes of 1 and
  // gaps of 3 widths: dashes [10, 20], [50, 60].
  for (TuiStrokeCap cap : {uxCapFlat, uxCapRound}) {
    auto c = NewCanvas(80, 20);
    c->SetStrokeThickness(10);
    c->SetStrokeCap(cap);
    c->SetStrokeDash(uxDashCustom);
    c->SetDashPattern({1, 3});
    c->DrawLine({10, 10}, {70, 10}, 1);
    EXPECT_TRUE(Painted(*c, 15, 10));
    EXPECT_TRUE(Painted(*c, 15, 6));
    EXPECT_FALSE(Painted(*c, 35, 10)) << "gap";
    if (cap == uxCapFlat) {
      EXPECT_FALSE(Painted(*c, 22, 10));
      EXPECT_FALSE(Painted(*c, 7, 10));
    } else {
      // Half discs beyond each dash end: full on the axis, gone at the edge.
      EXPECT_TRUE(Painted(*c, 23, 10));
      EXPECT_FALSE(Painted(*c, 23, 5));
      EXPECT_TRUE(Painted(*c, 6, 10));
      EXPECT_FALSE(Painted(*c, 6, 5));
      EXPECT_TRUE(Painted(*c, 46, 10)) << "every dash is capped";
    }
  }
}

TEST_F(CanvasTest, DashOffsetCountsInStrokeWidths) {
  auto c = NewCanvas(60, 10);
  c->SetStrokeThickness(4);
  c->SetStrokeDash(uxDashDot);  // 4 on, 4 off
  c->SetStrokeDash(uxDashCustom);
  c->SetDashOffset(0.5f);  // starts 2 into the first dash
  c->DrawLine({0, 5}, {60, 5}, 1);
  EXPECT_TRUE(Painted(*c, 1, 5));
  EXPECT_FALSE(Painted(*c, 3, 5));
  EXPECT_TRUE(Painted(*c, 7, 5));
}

TEST_F(CanvasTest, PathsFitTheirRectangleAndDashesRestartPerSegment) {
  TuiPathData path;
  path.MoveTo({0, 0});
  path.LineTo({1, 0});
  path.LineTo({2, 0});
  auto c = NewCanvas(60, 20);
  c->SetStrokeThickness(2);
  c->SetStrokeDash(uxDashCustom);
  c->SetDashPattern({5, 5});  // 10 on, 10 off
  c->DrawPath(path, {0, 10, 50, 30}, 1);
  // Along the rectangle's top edge, stretched to its width: segments [0, 25]
  // and [25, 50], each dashed from its own start.
  for (int32_t x : {5, 22, 30}) EXPECT_TRUE(Painted(*c, x, 10)) << x;
  for (int32_t x : {15, 37, 42}) EXPECT_FALSE(Painted(*c, x, 10)) << x;
  EXPECT_FALSE(Painted(*c, 55, 10));
  EXPECT_FALSE(InkBox(*c).Top < 9) << "nothing above the rectangle";
}

TEST_F(CanvasTest, FilledPathsAndHitTests) {
  TuiPathData triangle;
  triangle.SetData("M 0,0 L 10,0 L 0,10 Z");
  auto c = NewCanvas(40, 40);
  c->FillPath(triangle, {10, 10, 30, 30}, 1);
  EXPECT_TRUE(Painted(*c, 12, 12));
  EXPECT_FALSE(Painted(*c, 27, 27));
  EXPECT_FALSE(Painted(*c, 5, 5));

  EXPECT_TRUE(c->PtInPath({12, 12}, {10, 10, 30, 30}, triangle));
  EXPECT_FALSE(c->PtInPath({27, 27}, {10, 10, 30, 30}, triangle));
  EXPECT_FALSE(c->PtInPath({5, 5}, {0, 0, 100, 100}, TuiPathData())) << "an empty path holds nothing";
  TuiPathData square;
  square.SetData("M 0,0 L 10,0 L 10,10 L 0,10 Z");
  EXPECT_FALSE(c->PtInPath({31, 20}, {10, 10, 30, 30}, square)) << "outside the rectangle";
  EXPECT_TRUE(c->PtInPath({29, 20}, {10, 10, 30, 30}, square));
}

TEST_F(CanvasTest, PolygonMarkersSplitFigures) {
  const TuiPolygon polygon = {{0, 0},  {10, 0}, {10, 10}, {0, 10}, PolygonFigureEnd,
                              {20, 0}, {30, 0}, {30, 10}, {20, 10}};
  auto c = NewCanvas(40, 12);
  c->FillPolygon(polygon, 1);
  EXPECT_TRUE(Painted(*c, 5, 5));
  EXPECT_FALSE(Painted(*c, 15, 5)) << "no bridge between the figures";
  EXPECT_TRUE(Painted(*c, 25, 5)) << "the last figure is closed for a fill";

  c->Clear(0);
  c->SetStrokeThickness(2);
  c->DrawPolygon(polygon, 1);
  EXPECT_TRUE(Painted(*c, 0, 5)) << "the first figure's closing side";
  EXPECT_FALSE(Painted(*c, 20, 5)) << "the last figure stays open";
  EXPECT_FALSE(Painted(*c, 15, 5));
}

TEST_F(CanvasTest, ArcsArePaintedInTheirOwnBounds) {
  auto c = NewCanvas(40, 40);
  // The lower right quarter closed by its chord: a segment, not a pie.
  c->FillArc({20, 20}, {10, 10}, 0, 90, 1);
  EXPECT_TRUE(Painted(*c, 26, 26));
  EXPECT_FALSE(Painted(*c, 23, 23));
  c->Clear(0);
  c->SetStrokeThickness(2);
  c->DrawArc({20, 20}, {10, 10}, 180, 90, 1);  // from the left up to the top
  EXPECT_TRUE(Painted(*c, 13, 13));
  EXPECT_FALSE(Painted(*c, 27, 27));
}

TEST_F(CanvasTest, NoneBrushesAndZeroOpacityPaintNothing) {
  auto c = NewCanvas(10, 10);
  c->Fill()->SetStyle(uxBrushNone);
  c->Stroke()->SetStyle(uxBrushNone);
  c->FillRect({0, 0, 10, 10}, 0, 0, AllCorners, 1);
  c->FillEllipse({0, 0, 10, 10}, 1);
  c->DrawRect({1, 1, 9, 9}, 0, 0, AllCorners, 1);
  c->DrawLine({0, 5}, {10, 5}, 1);
  c->Fill()->SetStyle(uxBrushSolid);
  c->FillRect({0, 0, 10, 10}, 0, 0, AllCorners, 0);
  EXPECT_FALSE(InkBox(*c).Any);
}

TEST_F(CanvasTest, CollapsedTransformPaintsNothingAndRecovers) {
  auto c = NewCanvas(10, 10);
  c->SetMatrix(Scaled(0));
  c->FillRect({0, 0, 10, 10}, 0, 0, AllCorners, 1);
  c->SetStrokeThickness(NAN);
  c->DrawLine({0, 0}, {5, 5}, 1);
  EXPECT_FALSE(InkBox(*c).Any);
  c->SetMatrix(IdentityMatrix());
  c->SetStrokeThickness(1);
  c->SetStrokeDash(uxDashCustom);
  c->SetDashPattern({0, 0});  // no dash at all: drawn solid
  c->DrawLine({0, 5}, {10, 5}, 1);
  EXPECT_TRUE(Painted(*c, 5, 5) || AlphaOf(Pixel(*c, 5, 4)) > 0);
}

TEST_F(CanvasTest, PenWithoutWidthDrawsOneDevicePixel) {
  auto c = NewCanvas(40, 40);
  c->SetMatrix(Scaled(4));
  c->SetStrokeThickness(0);
  c->DrawLine({0, 5.125f}, {10, 5.125f}, 1);
  const TInk ink = InkBox(*c);
  EXPECT_EQ(ink.Bottom - ink.Top, 1);
  EXPECT_EQ(ink.Right, 40);
}
