#include "ShapeFixtures.h"
#include "draw2d/ShapePaths.h"
#include "draw2d/ShapeText.h"

using namespace shape_fixtures;

namespace {
constexpr uint32_t kBlue = 0xFF0000FF;
}

class TextShapeTest : public ShapeTest {};

TEST_F(TextShapeTest, GlyphsTakeTheFillAndStayInsideTheObject) {
  TPainted<TuiText> text;
  text.SetBounds(10, 10, 80, 30);
  text.SetText("Wg");
  text.Fill()->SetColorValue(kBlue);
  auto canvas = NewCanvas(100, 50);
  text.PaintInto(*canvas);
  const TInk ink = InkBox(*canvas);
  EXPECT_GT(ink.Right, ink.Left);
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Right, 90);
  EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 50, 2) << "centred";
  EXPECT_EQ(InkWhere(*canvas, [](uint32_t P) { return AlphaOf(P) > 0 && (P & 0x00FFFF00) != 0; }), TInk{})
      << "only blue ink, no outline";
}

TEST_F(TextShapeTest, StretchScalesTheTextOverTheObject) {
  auto canvas = NewCanvas(200, 200);
  TuiRect measured{0, 0, 1000, 1000};
  canvas->MeasureText(measured, "ab", false, uxTextAlignCenter, uxTextAlignCenter);
  // Ten times the text's size, the same scale both ways.
  TPainted<TuiText> text;
  text.SetBounds(0, 0, 10 * measured.Width(), 10 * measured.Height());
  text.SetText("ab");
  text.SetAutoSize(true);
  text.SetStretch(true);
  EXPECT_FALSE(text.AutoSize()) << "stretch switches auto size off";
  text.PaintInto(*canvas);
  const TInk ink = InkBox(*canvas, 128);
  EXPECT_GT(ink.Right - ink.Left, 0.7 * text.Width());
  EXPECT_GT(ink.Bottom - ink.Top, 0.5 * text.Height());
  EXPECT_NEAR((ink.Left + ink.Right) / 2.0, text.Width() / 2, 0.05 * text.Width());
  // The scale ends with the text's painting: a unit square stays one pixel.
  canvas->Fill()->SetColorValue(0xFFFF0000);
  canvas->FillRect({190, 190, 191, 191}, 0, 0, AllCorners, 1);
  EXPECT_EQ(InkWhere(*canvas, [](uint32_t P) { return P == 0xFFFF0000; }), (TInk{190, 190, 191, 191}));
}

TEST_F(TextShapeTest, AutoSizeWithoutWrapAddsHalfTheFontSize) {
  TPainted<TuiText> text;
  auto canvas = NewCanvas(10, 10);
  text.UseCanvas(canvas.get());
  text.SetWordWrap(false);
  text.SetVertTextAlign(uxTextAlignNear);
  text.SetText("Hello shapes");
  TuiRect measured{0, 0, 1000, 1000};
  canvas->Font()->Assign(*text.Font());
  canvas->MeasureText(measured, text.Text(), false, uxTextAlignNear, uxTextAlignNear);
  ASSERT_GT(measured.Right, 20);

  text.SetAutoSize(true);
  EXPECT_FLOAT_EQ(text.Width(), measured.Right + 5.5f);
  EXPECT_FLOAT_EQ(text.Height(), measured.Bottom);
  text.SetText("Hello shapes, longer");
  EXPECT_GT(text.Width(), measured.Right + 5.5f) << "a new text sizes again";
}

TEST_F(TextShapeTest, AutoSizeWaitsForACanvasAndAText) {
  TPainted<TuiText> text;
  text.SetWordWrap(false);
  text.SetAutoSize(true);
  text.SetText("no canvas");
  EXPECT_EQ(text.Width(), 50);
  auto canvas = NewCanvas(10, 10);
  text.UseCanvas(canvas.get());
  text.SetText("");
  EXPECT_EQ(text.Width(), 50);
}

TEST_F(TextShapeTest, DataIsTheText) {
  TPainted<TuiText> text;
  text.SetData(std::string("bound"));
  EXPECT_EQ(text.Text(), "bound");
  EXPECT_EQ(text.GetData(), TuiData(std::string("bound")));
}

class PathShapeTest : public ShapeTest {};

TEST_F(PathShapeTest, WrapModesLayTheOutlineIntoTheShape) {
  // A 4 x 4 square in the corner of 10 x 10 bounds, unstroked in 100 x 50.
  struct TCase {
    TuiPathWrap Wrap;
    TInk Ink;
  };
  const TCase cases[] = {
      {uxPathOriginal, {0, 0, 4, 4}},
      {uxPathFit, {45, 20, 49, 24}},
      {uxPathStretch, {0, 0, 40, 20}},
      // Copies every 10 units, the last ones clipped.
      {uxPathTile, {0, 0, 94, 44}},
  };
  for (const TCase& c : cases) {
    TPainted<TuiPath> path;
    path.SetBounds(0, 0, 100, 50);
    path.Stroke()->SetStyle(uxBrushNone);
    path.Fill()->SetColorValue(kBlue);
    path.Data()->SetData("M 0,0 L 4,0 L 4,4 L 0,4 Z M 10,10");
    path.SetWrapMode(c.Wrap);
    auto canvas = NewCanvas(120, 60);
    path.PaintInto(*canvas);
    EXPECT_EQ(InkBox(*canvas, 128), c.Ink) << int(c.Wrap);
    if (c.Wrap == uxPathTile) {
      EXPECT_EQ(Pixel(*canvas, 12, 2), kBlue);
      EXPECT_EQ(AlphaOf(Pixel(*canvas, 6, 2)), 0u);
    }
  }
}
