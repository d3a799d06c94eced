// What the brushes paint, as any backend receives it: worked out without a
// rasteriser.
#include "draw2d/Paint.h"

#include <gtest/gtest.h>

#include <memory>

#include "draw2d/BrushObject.h"
#include "scene2d/VisualObject.h"

namespace {

TuiPoint Apply(const TuiMatrix& M, TuiPoint P) {
  return {P.X * M.M[0][0] + P.Y * M.M[1][0] + M.M[2][0], P.X * M.M[0][1] + P.Y * M.M[1][1] + M.M[2][1]};
}

void TwoPoints(TuiBrush& B, TuiGradientStyle Style, TuiColor Edge, TuiColor Centre) {
  B.SetStyle(uxBrushGradient);
  TuiGradient* g = B.Gradient();
  g->SetStyle(Style);
  g->Points()->Clear();
  g->Points()->Add(Edge, 0);
  g->Points()->Add(Centre, 1);
  g->StartPosition()->SetPoint({0, 0});
  g->StopPosition()->SetPoint({1, 0});
}

constexpr TuiRect Thumb{30, 2, 44, 16};  // a 14 x 14 track-bar thumb away from the origin

TEST(Paint, BrushBoxesPlaceLinearGradientsByTheirConvention) {
  TuiBrush b(uxBrushSolid, 0xFFFFFFFF);
  TwoPoints(b, uxLinearGradient, 0xFFFF0000, 0xFF0000FF);
  struct TCase {
    const char* What;
    TuiBrushBox Box;
    float StartX, StopX;
  };
  const TCase cases[] = {
      // An ellipse: the gradient spans it wherever it is.
      {"ellipse", TuiBrushBox::Ellipse(Thumb), 30, 44},
      // Rectangles, paths and text: Left + X * Right, as the stored looks
      // were drawn.
      {"shape", TuiBrushBox::Shape({50, 0, 100, 4}), 50, 150},
  };
  for (const TCase& t : cases) {
    const TuiPaint p = TuiPaint::ForFill(b, t.Box, 1, 0);
    EXPECT_EQ(p.Kind, uxPaintLinear) << t.What;
    EXPECT_EQ(p.Start.X, t.StartX) << t.What;
    EXPECT_EQ(p.Stop.X, t.StopX) << t.What;
    EXPECT_EQ(p.Extend, uxExtendReflect) << t.What;
  }
}

TEST(Paint, RadialGradientIsTheEllipseOfTheShapesOwnBox) {
  TuiBrush b(uxBrushSolid, 0xFFFFFFFF);
  TwoPoints(b, uxRadialGradient, 0xFF0000FF, 0xFFFF0000);
  for (const TuiBrushBox& box : {TuiBrushBox::Ellipse(Thumb), TuiBrushBox::Shape(Thumb)}) {
    const TuiPaint p = TuiPaint::ForFill(b, box, 1, 0);
    ASSERT_EQ(p.Kind, uxPaintRadial);
    EXPECT_EQ(Apply(p.BrushToUser, {0, 0}), (TuiPoint{37, 9}));
    EXPECT_EQ(Apply(p.BrushToUser, {1, 0}), (TuiPoint{44, 9}));
    EXPECT_EQ(Apply(p.BrushToUser, {0, -1}), (TuiPoint{37, 2}));
    EXPECT_EQ(p.Extend, uxExtendNone);
    // The points run from the edge to the centre, the stops outwards.
    ASSERT_EQ(p.Stops.size(), 2u);
    EXPECT_EQ(p.Stops.front(), (TuiGradientStop{0, 0xFFFF0000}));
    EXPECT_EQ(p.Stops.back(), (TuiGradientStop{1, 0xFF0000FF}));
  }
  // The gradient's own transform comes after the ellipse.
  b.Gradient()->RadialTransform()->Scale()->SetPoint({0.5f, 0.5f});
  const TuiPaint p = TuiPaint::ForFill(b, TuiBrushBox::Ellipse(Thumb), 1, 0);
  EXPECT_EQ(Apply(p.BrushToUser, {1, 0}), (TuiPoint{22, 4.5f}));
}

TEST(Paint, GradientStopsAreCappedAndFillsCarryTheEndColoursOut) {
  TuiBrush b(uxBrushSolid, 0xFFFFFFFF);
  b.SetStyle(uxBrushGradient);
  b.Gradient()->Points()->Clear();
  for (int i = 0; i < 150; ++i) b.Gradient()->Points()->Add(0xFF000000 | uint32_t(i), 0.2f + i * 0.004f);
  const TuiPaint fill = TuiPaint::ForFill(b, TuiBrushBox::Shape({0, 0, 10, 10}), 1, 0);
  ASSERT_EQ(fill.Stops.size(), TuiPaint::MaxStops);
  EXPECT_EQ(fill.Stops.front(), (TuiGradientStop{0, 0xFF000000}));
  EXPECT_EQ(fill.Stops[1].Offset, 0.2f);
  EXPECT_EQ(fill.Stops.back(), (TuiGradientStop{1, 0xFF000062})) << "the 99th point carried out to 1";
  const TuiPaint pen = TuiPaint::ForStroke(b, {0, 0, 10, 10}, 1);
  ASSERT_EQ(pen.Stops.size(), TuiPaint::MaxStops);
  EXPECT_EQ(pen.Stops.front().Offset, 0.2f) << "an outline uses the points as they are";
  EXPECT_EQ(pen.Stops.back().Color, 0xFF000064u);
}

TEST(Paint, OutlineGradientsStretchAlongTheirDirection) {
  TuiBrush b(uxBrushSolid, 0xFF000000);
  TwoPoints(b, uxRadialGradient, 0xFFFF0000, 0xFF0000FF);
  const TuiPaint p = TuiPaint::ForStroke(b, {0, 0, 4, 2}, 1);
  EXPECT_EQ(p.Kind, uxPaintLinear) << "whatever the gradient's style";
  EXPECT_EQ(p.Extend, uxExtendRepeat);
  EXPECT_EQ(Apply(p.BrushToUser, {1, 1}), (TuiPoint{4, 2}));
  b.Gradient()->StopPosition()->SetPoint({0, 1});
  EXPECT_EQ(Apply(TuiPaint::ForStroke(b, {0, 0, 4, 2}, 1).BrushToUser, {1, 1}), (TuiPoint{2, 4}));
  // A vertical line has no width to stretch by: the gradient stays as it is.
  b.Gradient()->StopPosition()->SetPoint({1, 0});
  EXPECT_EQ(TuiPaint::ForStroke(b, {5, 0, 5, 10}, 1).BrushToUser, IdentityMatrix());
}

TEST(Paint, SolidColoursTakeTheOpacityAndTextStaysJustShortOfOpaque) {
  TuiBrush b(uxBrushSolid, 0xFFFFFFFF);
  struct TCase {
    float Opacity;
    uint32_t FillAlpha, TextAlpha;
  };
  for (const TCase& t : {TCase{1, 255, 252}, TCase{0.5f, 127, 127}, TCase{0, 0, 0}}) {
    const TuiPaint fill = TuiPaint::ForFill(b, TuiBrushBox::Shape({0, 0, 1, 1}), t.Opacity, 0);
    const TuiPaint text = TuiPaint::ForText(b, {0, 0, 1, 1}, t.Opacity, 0);
    EXPECT_EQ(fill.Color >> 24, t.FillAlpha) << t.Opacity;
    EXPECT_EQ(text.Color >> 24, t.TextAlpha) << t.Opacity;
    EXPECT_EQ(fill.Paints(), t.FillAlpha > 0) << "a transparent colour paints nothing";
  }
  b.SetStyle(uxBrushNone);
  EXPECT_FALSE(TuiPaint::ForFill(b, TuiBrushBox::Shape({0, 0, 1, 1}), 1, 0).Paints());
}

TEST(Paint, ResourceBrushTakesOverTheBrushItNames) {
  auto resource = std::make_unique<TuiBrushObject>(nullptr);
  resource->SetName("paintteal");
  TwoPoints(*resource->Brush(), uxLinearGradient, 0xFF008080, 0xFF00FFFF);
  TuiBrush b(uxBrushSolid, 0xFFFFFFFF);
  b.SetStyle(uxBrushResource);
  b.Resource()->SetResourceName("paintteal");
  const TuiPaint p = TuiPaint::ForStroke(b, {0, 0, 10, 10}, 1);
  EXPECT_EQ(p.Kind, uxPaintLinear);
  EXPECT_EQ(b.Style(), uxBrushGradient) << "the brush is now the one it named";
  EXPECT_EQ(b.Gradient()->Points()->Points(1)->ColorValue(), 0xFF00FFFFu);

  TuiBrush missing(uxBrushSolid, 0xFFFFFFFF);
  missing.SetStyle(uxBrushResource);
  missing.Resource()->SetResourceName("nosuchpaint");
  EXPECT_FALSE(TuiPaint::ForFill(missing, TuiBrushBox::Shape({0, 0, 1, 1}), 1, 0).Paints());
  EXPECT_EQ(missing.Style(), uxBrushResource);
}

TEST(Paint, BitmapsStretchOverTheShapesOwnSize) {
  TuiBitmap picture(2, 1);
  picture.Clear(0xFFFF0000);
  TuiBrush b(uxBrushSolid, 0xFFFFFFFF);
  b.SetStyle(uxBrushBitmap);
  b.Bitmap()->SetBitmap(picture);
  b.Bitmap()->SetWrapMode(uxWrapTileStretch);
  const TuiPaint p = TuiPaint::ForFill(b, TuiBrushBox::Ellipse({4, 0, 20, 16}), 0.5f, 2);
  ASSERT_EQ(p.Kind, uxPaintBitmap);
  EXPECT_EQ(p.Bitmap, b.Bitmap()->Bitmap());
  EXPECT_EQ(p.Alpha, 0.5f);
  // 16 wide and high plus half the stroke, anchored at the origin.
  EXPECT_EQ(Apply(p.BrushToUser, {2, 1}), (TuiPoint{17, 17}));
  EXPECT_EQ(TuiPaint::ForStroke(b, {4, 0, 20, 16}, 1).BrushToUser.M[0][0], 8) << "an outline adds no stroke";

  b.Bitmap()->SetWrapMode(uxWrapTileOriginal);
  EXPECT_EQ(TuiPaint::ForFill(b, TuiBrushBox::Shape({0, 0, 1, 1}), 1, 0).Extend, uxExtendMirrorX);
  b.Bitmap()->SetBitmap(TuiBitmap());
  EXPECT_FALSE(TuiPaint::ForFill(b, TuiBrushBox::Shape({0, 0, 1, 1}), 1, 0).Paints()) << "an empty picture";
}

TEST(Paint, VisualBrushesPaintTheirObjectIntoTheShapesBox) {
  TuiVisualObject object(nullptr);
  TuiBrush b(uxBrushSolid, 0xFFFFFFFF);
  b.SetStyle(uxBrushVisual);
  EXPECT_FALSE(TuiPaint::ForFill(b, TuiBrushBox::Ellipse(Thumb), 1, 0).Paints()) << "no object, nothing";
  b.Visual()->SetVisualObject(&object);
  const TuiPaint p = TuiPaint::ForFill(b, TuiBrushBox::Ellipse(Thumb), 0.4f, 0);
  EXPECT_EQ(p.Kind, uxPaintVisual);
  EXPECT_EQ(p.Visual, &object);
  EXPECT_EQ(p.VisualRect, Thumb);
  EXPECT_EQ(p.Opacity, 0.4f);
  EXPECT_FALSE(TuiPaint::ForText(b, Thumb, 1, 0).Paints()) << "glyphs clip no picture";
  EXPECT_FALSE(TuiPaint::ForStroke(b, Thumb, 1).Paints());
}

}  // namespace
