// The canvas keeps the pictures of shapes it draws again and again. Whatever
// it kept, a shape must look as the same shape rasterised anew: kept pictures
// are only reused for the same shape, pen and paint under the same scale and
// sub-pixel position, and put where the shape is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "draw2d/cairo/ShapeCacheCairo.h"
#include "tests/draw2d/canvas/CanvasFixtures.h"

using namespace canvas_fixtures;

namespace {

enum TKind { kFillRect, kDrawRect, kFillEllipse, kDrawEllipse };

struct TDraw {
  TKind Kind = kFillRect;
  float X = 0, Y = 0, Scale = 1;  // the matrix
  uint32_t Color = 0xFF3080C0;
  bool Gradient = false;  // else solid Color
  bool Radial = false;
  float Pen = 1;
  bool Clip = false;  // a clip through the middle of the shape
};

// A kept solid shape is its coverage times the colour where a shape drawn
// anew blends the colour by its coverage, and a gradient is worked out at
// other device coordinates: the two round a channel apart by at most one.
int ChannelDistance(uint32_t A, uint32_t B) {
  int most = 0;
  for (int shift = 0; shift < 32; shift += 8)
    most = std::max(most, std::abs(int((A >> shift) & 0xFF) - int((B >> shift) & 0xFF)));
  return most;
}

void Draw(TuiCanvas& C, const TDraw& D) {
  TuiMatrix m;
  m.M[0][0] = m.M[1][1] = D.Scale;
  m.M[2][0] = D.X;
  m.M[2][1] = D.Y;
  C.SetMatrix(m);
  const int32_t saved = C.SaveCanvas();
  if (D.Clip) C.IntersectClipRect({0, 0, 11, 9});
  TuiBrush& brush = (D.Kind == kFillRect || D.Kind == kFillEllipse) ? *C.Fill() : *C.Stroke();
  if (D.Gradient) {
    TuiGradient* g = HorizontalGradient(brush, {{D.Color, 0}, {0x80FFFFFF, 1}});
    g->SetStyle(D.Radial ? uxRadialGradient : uxLinearGradient);
  } else {
    brush.SetStyle(uxBrushSolid);
    brush.SetColorValue(D.Color);
  }
  C.SetStrokeThickness(D.Pen);
  const TuiRect r{1, 1.5f, 21, 15};
  switch (D.Kind) {
    case kFillRect:
      C.FillRect(r, 4, 3, AllCorners, 1);
      break;
    case kDrawRect:
      C.DrawRect(r, 4, 3, AllCorners, 1);
      break;
    case kFillEllipse:
      C.FillEllipse(r, 1);
      break;
    case kDrawEllipse:
      C.DrawEllipse(r, 1);
      break;
  }
  C.RestoreCanvas(saved);
}

struct TCase {
  const char* Name;
  TDraw Before;  // drawn twice, so that the canvas keeps it
  TDraw Then;    // drawn after, compared with Then drawn on a fresh canvas
};

const TCase Cases[] = {
    {"solid rounded rectangle moved by whole pixels", {kFillRect, 3.25f, 4.5f}, {kFillRect, 17.25f, 9.5f}},
    {"solid rectangle moved by a fraction", {kFillRect, 3, 4}, {kFillRect, 3.5f, 4.25f}},
    {"solid rectangle in a new colour", {kFillRect, 3, 4}, {kFillRect, 3, 4, 1, 0x80FF2000}},
    {"solid rectangle scaled", {kFillRect, 3, 4}, {kFillRect, 3, 4, 1.5f}},
    {"solid rectangle clipped", {kFillRect, 3, 4}, {kFillRect, 3, 4, 1, 0xFF3080C0, false, false, 1, true}},
    {"gradient rectangle moved by whole pixels",
     {kFillRect, 3.5f, 4, 1, 0xFF3080C0, true},
     {kFillRect, 20.5f, 11, 1, 0xFF3080C0, true}},
    {"gradient rectangle in new colours",
     {kFillRect, 3, 4, 1, 0xFF3080C0, true},
     {kFillRect, 3, 4, 1, 0xFFC08030, true}},
    {"gradient rectangle clipped",
     {kFillRect, 3, 4, 1, 0xFF3080C0, true},
     {kFillRect, 3, 4, 1, 0xFF3080C0, true, false, 1, true}},
    {"radial ellipse moved by whole pixels",
     {kFillEllipse, 2.75f, 4, 1, 0xFF3080C0, true, true},
     {kFillEllipse, 9.75f, 15, 1, 0xFF3080C0, true, true}},
    {"ellipse becoming a rectangle", {kFillEllipse, 3, 4}, {kFillRect, 3, 4}},
    {"outline with a wider pen", {kDrawEllipse, 3, 4}, {kDrawEllipse, 3, 4, 1, 0xFF3080C0, false, false, 3}},
    {"rounded outline moved by whole pixels", {kDrawRect, 3.5f, 4.5f}, {kDrawRect, 30.5f, 2.5f}},
    {"outline in a gradient", {kDrawRect, 3, 4}, {kDrawRect, 3, 4, 1, 0xFF3080C0, true}},
};

class ShapeCacheTest : public CanvasTest, public ::testing::WithParamInterface<TCase> {};

TEST_P(ShapeCacheTest, KeptShapesLookAsRasterisedAnew) {
  const TCase& c = GetParam();
  auto fresh = NewCanvas(64, 48);
  fresh->SetKeepShapes(false);
  Draw(*fresh, c.Then);
  auto used = NewCanvas(64, 48);
  for (int i = 0; i < 2; ++i) {
    used->Clear(0);
    Draw(*used, c.Before);
  }
  used->Clear(0);
  Draw(*used, c.Then);
  // A second time too: Then may now be kept as well.
  used->Clear(0);
  Draw(*used, c.Then);
  ASSERT_TRUE(InkBox(*fresh).Any);
  int differing = 0;
  for (int32_t y = 0; y < 48; ++y)
    for (int32_t x = 0; x < 64; ++x)
      if (ChannelDistance(Pixel(*used, x, y), Pixel(*fresh, x, y)) > 1) ++differing;
  EXPECT_EQ(differing, 0) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ShapeCacheTest, ::testing::ValuesIn(Cases), [](const auto& Info) {
  std::string name = Info.param.Name;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
});

}  // namespace

namespace {

TuiCairoShapeCache::TEntry Picture(int32_t Width, int32_t Height) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, Width, Height);
  TuiCairoShapeCache::TEntry e{cairo_pattern_create_for_surface(s), 0, 0, Width, Height};
  cairo_surface_destroy(s);
  return e;
}

TuiCairoShapeCache::TKey KeyAt(float X) {
  TuiCairoShapeCache::TKey k;
  k.Rect[0] = X;
  return k;
}

// A window drawing ever new shapes (an animation moving by fractions) must
// not grow its canvas's memory; the shapes drawn every frame stay.
TEST(ShapeCacheBudget, DropsTheLeastRecentlyUsedBeyondItsBudget) {
  TuiCairoShapeCache cache;
  cache.Add(KeyAt(-1), Picture(8, 8));
  for (int i = 0; i < 1000; ++i) {
    cache.Add(KeyAt(float(i)), Picture(64, 64));
    ASSERT_NE(cache.Find(KeyAt(-1)), nullptr) << "the shape used every frame went at " << i;
    ASSERT_LE(cache.Count(), TuiCairoShapeCache::MaxEntries);
  }
  for (int i = 0; i < 1000; ++i) {
    cache.Add(KeyAt(float(i)), Picture(512, 500));
    cache.Find(KeyAt(-1));
    ASSERT_LE(cache.Bytes(), TuiCairoShapeCache::MaxBytes);
  }
  EXPECT_NE(cache.Find(KeyAt(-1)), nullptr);
  EXPECT_NE(cache.Find(KeyAt(999)), nullptr);
  EXPECT_EQ(cache.Find(KeyAt(0)), nullptr);
}

}  // namespace
