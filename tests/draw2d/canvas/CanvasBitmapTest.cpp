// Bitmaps drawn and used as brushes, and brushes that stand for others.
#include <algorithm>
#include <cstdlib>

#include "draw2d/BrushObject.h"
#include "scene2d/Errors.h"
#include "scene2d/VisualObject.h"
#include "tests/draw2d/canvas/CanvasFixtures.h"

using namespace canvas_fixtures;

namespace {

// Left half red, right half blue, opaque.
std::unique_ptr<TuiBitmap> RedBlue(int32_t W, int32_t H) {
  auto b = std::make_unique<TuiBitmap>(W, H);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) b->Scanline(y)[x] = x < W / 2 ? 0xFFFF0000 : 0xFF0000FF;
  b->Changed();
  return b;
}

}  // namespace

TEST_F(CanvasTest, DrawBitmapScalesWithOpacity) {
  auto b = RedBlue(2, 1);
  b->Scanline(0)[1] = 0x80000080;  // half-transparent blue, premultiplied
  b->Changed();
  struct TCase {
    float Opacity;
    int RedAlpha, BlueAlpha;
  };
  for (const TCase& t : {TCase{1, 255, 128}, TCase{0.5f, 128, 64}, TCase{0, 0, 0}}) {
    auto c = NewCanvas(20, 10);
    c->DrawBitmap(*b, {0, 0, 2, 1}, {0, 0, 20, 10}, t.Opacity, true);
    EXPECT_NEAR(int(AlphaOf(Pixel(*c, 3, 5))), t.RedAlpha, 1) << t.Opacity;
    EXPECT_NEAR(int(AlphaOf(Pixel(*c, 16, 5))), t.BlueAlpha, 1) << t.Opacity;
  }
}

TEST_F(CanvasTest, HighSpeedSamplesTheNearestPixel) {
  auto b = RedBlue(2, 1);
  auto fast = NewCanvas(20, 4), smooth = NewCanvas(20, 4);
  fast->DrawBitmap(*b, {0, 0, 2, 1}, {0, 0, 20, 4}, 1, true);
  smooth->DrawBitmap(*b, {0, 0, 2, 1}, {0, 0, 20, 4}, 1, false);
  EXPECT_EQ(Pixel(*fast, 9, 2), 0xFFFF0000u);
  EXPECT_EQ(Pixel(*fast, 10, 2), 0xFF0000FFu);
  EXPECT_GT(BlueOf(Pixel(*smooth, 9, 2)), 20u) << "smooth sampling blends the two";
  EXPECT_GT(RedOf(Pixel(*smooth, 10, 2)), 20u);
}

TEST_F(CanvasTest, DrawBitmapTakesASourceRectangle) {
  auto b = RedBlue(4, 4);
  auto c = NewCanvas(10, 10);
  c->DrawBitmap(*b, {2, 0, 4, 4}, {0, 0, 10, 10}, 1, true);
  EXPECT_EQ(Pixel(*c, 1, 1), 0xFF0000FFu);
  EXPECT_EQ(Pixel(*c, 8, 8), 0xFF0000FFu);
  // Pixels changed afterwards are seen by the next draw.
  for (int32_t y = 0; y < 4; ++y) b->Scanline(y)[3] = 0xFF00FF00;
  b->Changed();
  c->DrawBitmap(*b, {2, 0, 4, 4}, {0, 0, 10, 10}, 1, true);
  EXPECT_EQ(Pixel(*c, 8, 8), 0xFF00FF00u);
}

TEST_F(CanvasTest, ThumbnailScalesTheWholeBitmapToTheWidth) {
  auto source = RedBlue(20, 20);
  TuiBitmap target(20, 20);
  TuiCanvas* c = target.Canvas();
  ASSERT_NE(c, nullptr);
  c->DrawThumbnail(*source, 10, 10);
  EXPECT_EQ(target.Scanline(5)[2], 0xFFFF0000u);
  EXPECT_EQ(target.Scanline(5)[7], 0xFF0000FFu);
  EXPECT_EQ(target.Scanline(15)[15], 0u) << "the rest stays";

  auto buffered = NewCanvas(20, 20);
  buffered->DrawThumbnail(*source, 10, 10);
  EXPECT_FALSE(InkBox(*buffered).Any) << "only a bitmap canvas draws thumbnails";
}

TEST_F(CanvasTest, BitmapBrushesTileMirrorAndStretch) {
  auto b = RedBlue(4, 2);
  struct TCase {
    TuiWrapMode Mode;
    std::vector<std::pair<int32_t, char>> Columns;  // red or blue in row 1 of a 16 x 4 fill
  };
  const TCase cases[] = {
      {uxWrapTile, {{1, 'R'}, {3, 'B'}, {5, 'R'}, {7, 'B'}}},
      // Every second copy mirrored left to right.
      {uxWrapTileOriginal, {{1, 'R'}, {3, 'B'}, {5, 'B'}, {7, 'R'}}},
      // One copy over the whole rectangle.
      {uxWrapTileStretch, {{3, 'R'}, {5, 'R'}, {11, 'B'}, {13, 'B'}}},
  };
  for (const TCase& t : cases) {
    auto c = NewCanvas(16, 4);
    c->SetStrokeThickness(0);
    c->Fill()->SetStyle(uxBrushBitmap);
    c->Fill()->Bitmap()->SetBitmap(*b);
    c->Fill()->Bitmap()->SetWrapMode(t.Mode);
    c->FillRect({0, 0, 16, 4}, 0, 0, AllCorners, 1);
    for (auto [x, colour] : t.Columns) {
      const uint32_t p = Pixel(*c, x, 1);
      EXPECT_GT(AlphaOf(p), 250u) << int(t.Mode) << " at " << x;
      EXPECT_EQ(RedOf(p) > BlueOf(p) ? 'R' : 'B', colour) << int(t.Mode) << " at " << x;
    }
  }
  auto c = NewCanvas(16, 4);
  c->Fill()->SetStyle(uxBrushBitmap);
  c->Fill()->Bitmap()->SetBitmap(*b);
  c->FillRect({0, 0, 16, 4}, 0, 0, AllCorners, 0.5f);
  EXPECT_NEAR(int(AlphaOf(Pixel(*c, 1, 1))), 128, 1) << "opacity scales the bitmap's alpha";
  EXPECT_NEAR(int(RedOf(Pixel(*c, 1, 1))), 128, 1);
}

TEST_F(CanvasTest, ResourceBrushPaintsWithTheBrushItNames) {
  auto resource = std::make_unique<TuiBrushObject>(nullptr);
  resource->SetName("canvasgreen");
  resource->Brush()->SetColorValue(0xFF00FF00);
  auto c = NewCanvas(4, 4);
  c->Fill()->SetStyle(uxBrushResource);
  c->Fill()->Resource()->SetResourceName("canvasgreen");
  c->FillRect({0, 0, 4, 4}, 0, 0, AllCorners, 1);
  EXPECT_EQ(Pixel(*c, 1, 1), 0xFF00FF00u);
  EXPECT_EQ(c->Fill()->Style(), uxBrushSolid) << "the canvas's fill took the resolved brush";

  c->Clear(0);
  c->Stroke()->SetStyle(uxBrushResource);
  c->Stroke()->Resource()->SetResourceName("nosuchbrush");
  c->DrawLine({0, 2}, {4, 2}, 1);
  EXPECT_FALSE(InkBox(*c).Any) << "an unresolved name paints nothing";
}

TEST_F(CanvasTest, VisualBrushPaintsItsObjectClippedToTheShape) {
  TuiVisualObject object(nullptr);
  object.SetOpacity(0.9f);
  float paintedAt = -1;
  TuiRect paintedIn;
  TuiCanvas::VisualPainter = [&](TuiVisualObject& O, TuiCanvas& C, const TuiRect& R) {
    paintedAt = O.Opacity();
    paintedIn = R;
    C.Fill()->SetStyle(uxBrushSolid);
    C.Fill()->SetColorValue(0xFFFF0000);
    C.SetStrokeThickness(9);
    C.FillRect({0, 0, 40, 40}, 0, 0, AllCorners, 1);
  };
  auto c = NewCanvas(40, 40);
  c->Fill()->SetStyle(uxBrushVisual);
  c->Fill()->Visual()->SetVisualObject(&object);
  c->FillEllipse({0, 0, 40, 40}, 0.5f);
  TuiCanvas::VisualPainter = nullptr;

  EXPECT_EQ(paintedAt, 0.5f) << "the object paints at the fill's opacity";
  EXPECT_EQ(object.Opacity(), 0.9f);
  EXPECT_EQ(paintedIn, (TuiRect{0, 0, 40, 40}));
  EXPECT_EQ(Pixel(*c, 20, 20), 0xFFFF0000u);
  EXPECT_EQ(AlphaOf(Pixel(*c, 1, 1)), 0u) << "clipped to the ellipse";
  EXPECT_EQ(c->Fill()->Style(), uxBrushVisual) << "the canvas state is restored";
  EXPECT_EQ(c->StrokeThickness(), 1);
}

TEST_F(CanvasTest, VisualBrushPaintsIntoTheShapesBoxAndSurvivesAThrowingPainter) {
  TuiVisualObject object(nullptr);
  object.SetOpacity(0.75f);
  TuiRect paintedIn;
  TuiCanvas::VisualPainter = [&](TuiVisualObject&, TuiCanvas& C, const TuiRect& R) {
    paintedIn = R;
    C.Fill()->SetStyle(uxBrushSolid);
    C.Fill()->SetColorValue(0xFF00FF00);
    C.FillRect(R, 0, 0, AllCorners, 1);
  };
  auto c = NewCanvas(48, 20);
  c->Fill()->SetStyle(uxBrushVisual);
  c->Fill()->Visual()->SetVisualObject(&object);
  c->FillEllipse({30, 2, 44, 16}, 1);
  EXPECT_EQ(paintedIn, (TuiRect{30, 2, 44, 16})) << "the ellipse's own box, wherever it is";
  EXPECT_EQ(Pixel(*c, 37, 9), 0xFF00FF00u);
  EXPECT_EQ(AlphaOf(Pixel(*c, 30, 2)), 0u) << "clipped to the ellipse";

  // A painter that fails leaves the object and the canvas as they were.
  TuiCanvas::VisualPainter = [](TuiVisualObject&, TuiCanvas& C, const TuiRect&) {
    C.SetStrokeThickness(7);
    C.IntersectClipRect({0, 0, 1, 1});
    throw EuxError("painter failed");
  };
  EXPECT_THROW(c->FillRect({0, 0, 48, 20}, 0, 0, AllCorners, 0.5f), EuxError);
  TuiCanvas::VisualPainter = nullptr;
  EXPECT_EQ(object.Opacity(), 0.75f);
  EXPECT_EQ(c->StrokeThickness(), 1);
  EXPECT_EQ(c->Fill()->Style(), uxBrushVisual);
  c->Clear(0);
  c->Fill()->SetStyle(uxBrushSolid);
  c->FillRect({0, 0, 48, 20}, 0, 0, AllCorners, 1);
  EXPECT_TRUE(Painted(*c, 40, 15)) << "the painter's clip went with the saved state";
}

namespace {

// Vertical stripes Stripe pixels wide, red and blue, opaque.
std::unique_ptr<TuiBitmap> Stripes(int32_t W, int32_t H, int32_t Stripe) {
  auto b = std::make_unique<TuiBitmap>(W, H);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) b->Scanline(y)[x] = (x / Stripe) % 2 ? 0xFF0000FF : 0xFFFF0000;
  b->Changed();
  return b;
}

int MaxChannelDifference(uint32_t A, uint32_t B) {
  int most = 0;
  for (int shift = 0; shift < 32; shift += 8)
    most = std::max(most, std::abs(int((A >> shift) & 0xFF) - int((B >> shift) & 0xFF)));
  return most;
}

}  // namespace

// A picture drawn much smaller averages its pixels, whichever way the scale
// comes about, and shows its changes; the averaging is done once per size, not
// once per draw.
TEST_F(CanvasTest, APictureDrawnMuchSmallerAveragesItsPixels) {
  auto b = Stripes(400, 400, 2);
  auto direct = NewCanvas(100, 100), scaled = NewCanvas(100, 100);
  direct->DrawBitmap(*b, {0, 0, 400, 400}, {0, 0, 100, 100}, 1, false);
  TuiMatrix half{};
  half.M[0][0] = half.M[1][1] = 0.5f;
  scaled->SetMatrix(half);
  scaled->DrawBitmap(*b, {0, 0, 400, 400}, {0, 0, 200, 200}, 1, false);
  for (const auto* c : {direct.get(), scaled.get()})
    for (auto [x, y] : {std::pair{10, 10}, {50, 50}, {90, 30}}) {
      const uint32_t p = Pixel(*c, x, y);
      EXPECT_EQ(AlphaOf(p), 255u);
      EXPECT_NEAR(int(RedOf(p)), 128, 8) << x << "," << y;
      EXPECT_NEAR(int(BlueOf(p)), 128, 8) << x << "," << y;
    }

  b->Clear(0xFF00FF00);
  direct->DrawBitmap(*b, {0, 0, 400, 400}, {0, 0, 100, 100}, 1, false);
  EXPECT_EQ(Pixel(*direct, 50, 50), 0xFF00FF00u);
  // Half of the picture into the whole canvas.
  auto greenRight = Stripes(400, 400, 2);
  for (int32_t y = 0; y < 400; ++y) std::fill_n(greenRight->Scanline(y) + 200, 200, 0xFF00FF00u);
  greenRight->Changed();
  direct->DrawBitmap(*greenRight, {200, 0, 400, 400}, {0, 0, 50, 100}, 1, false);
  EXPECT_EQ(Pixel(*direct, 25, 50), 0xFF00FF00u);
}

// A large streamed JPEG shown small is decoded at about the size shown, never
// at its own, and looks the same as when its full pixels are reduced.
TEST_F(CanvasTest, ALargeStreamedJpegShownSmallIsNeverDecodedWhole) {
  auto gradient = std::make_unique<TuiBitmap>(480, 360);
  for (int32_t y = 0; y < 360; ++y)
    for (int32_t x = 0; x < 480; ++x)
      gradient->Scanline(y)[x] = 0xFF000000u | uint32_t(x * 255 / 480) << 16 | uint32_t(y * 255 / 360) << 8;
  const TuiBinary jpeg{gradient->SaveToBytes()};
  TuiBitmap deferred, eager;
  deferred.SetPngData(jpeg);
  ASSERT_TRUE(deferred.IsDeferred());
  ASSERT_TRUE(eager.LoadFromBytes(jpeg.Bytes));

  auto fromDeferred = NewCanvas(120, 90), fromEager = NewCanvas(120, 90);
  fromDeferred->DrawBitmap(deferred, {0, 0, 480, 360}, {0, 0, 120, 90}, 1, false);
  fromEager->DrawBitmap(eager, {0, 0, 480, 360}, {0, 0, 120, 90}, 1, false);
  EXPECT_TRUE(deferred.IsDeferred());
  int most = 0;
  for (int32_t y = 2; y < 88; ++y)
    for (int32_t x = 2; x < 118; ++x)
      most = std::max(most, MaxChannelDifference(Pixel(*fromDeferred, x, y), Pixel(*fromEager, x, y)));
  EXPECT_LE(most, 6);
  EXPECT_EQ(AlphaOf(Pixel(*fromDeferred, 60, 45)), 255u);
}
