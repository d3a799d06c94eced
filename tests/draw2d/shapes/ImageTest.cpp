#include "ShapeFixtures.h"
#include "draw2d/Shape.h"
#include "draw2d/ShapeImage.h"
#include "scene2d/Errors.h"

using namespace shape_fixtures;

namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;

void FillBitmap(TuiBitmap& B, uint32_t Color) {
  B.Clear(Color);
}

// A 30 x 30 picture cut at 10 on every side: red corners, green edges, a
// blue centre.
void NineSliceBitmap(TuiBitmap& B) {
  B.SetSize(30, 30);
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 30; ++x) {
      const bool edgeX = x < 10 || x >= 20;
      const bool edgeY = y < 10 || y >= 20;
      B.Scanline(y)[x] = edgeX && edgeY ? kRed : edgeX || edgeY ? kGreen : kBlue;
    }
  B.Changed();
}

}  // namespace

class ImageShapeTest : public ShapeTest {};

TEST_F(ImageShapeTest, WrapModesPlaceTheBitmap) {
  struct TCase {
    TuiImageWrap Wrap;
    int32_t BitmapW, BitmapH;
    float W, H;
    TInk Ink;
  };
  const TCase cases[] = {
      // Fit never enlarges: centred on whole units.
      {uxImageFit, 100, 100, 264, 247, {82, 74, 182, 174}},
      // A larger bitmap shrinks keeping its aspect: 200 x 100 to 50 x 25.
      {uxImageFit, 200, 100, 50, 50, {0, 12, 50, 37}},
      {uxImageStretch, 20, 10, 64, 48, {0, 0, 64, 48}},
      // At its own size, clipped to the object.
      {uxImageOriginal, 100, 100, 40, 30, {0, 0, 40, 30}},
      {uxImageOriginal, 10, 10, 40, 30, {0, 0, 10, 10}},
      // Copies side by side, clipped to the object.
      {uxImageTile, 10, 10, 35, 25, {0, 0, 35, 25}},
  };
  for (const TCase& c : cases) {
    TPainted<TuiImage> image;
    image.SetBounds(0, 0, c.W, c.H);
    image.SetWrapMode(c.Wrap);
    image.Bitmap()->SetSize(c.BitmapW, c.BitmapH);
    FillBitmap(*image.Bitmap(), kBlue);
    auto canvas = NewCanvas(300, 300);
    image.PaintInto(*canvas);
    EXPECT_EQ(InkBox(*canvas, 128), c.Ink) << int(c.Wrap) << " " << c.BitmapW << " in " << c.W;
  }
}

TEST_F(ImageShapeTest, TilesRepeatTheWholeBitmap) {
  TPainted<TuiImage> image;
  image.SetBounds(0, 0, 20, 10);
  image.SetWrapMode(uxImageTile);
  image.Bitmap()->SetSize(10, 10);
  image.Bitmap()->Clear(kBlue);
  image.Bitmap()->Scanline(0)[0] = kRed;
  image.Bitmap()->Changed();
  auto canvas = NewCanvas(20, 10);
  image.PaintInto(*canvas);
  EXPECT_EQ(Pixel(*canvas, 0, 0), kRed);
  EXPECT_EQ(Pixel(*canvas, 10, 0), kRed);
  EXPECT_EQ(Pixel(*canvas, 5, 5), kBlue);
}

TEST_F(ImageShapeTest, NineSliceKeepsCornersAndStretchesEdgesAndCentre) {
  TPainted<TuiImage> image;
  image.SetBounds(0, 0, 100, 60);
  NineSliceBitmap(*image.Bitmap());
  image.BitmapMargins()->SetRect({10, 10, 10, 10});
  auto canvas = NewCanvas(100, 60);
  image.PaintInto(*canvas);
  const auto is = [&](uint32_t Color) { return [&, Color](uint32_t P) { return P == Color; }; };
  EXPECT_EQ(InkBox(*canvas), (TInk{0, 0, 100, 60})) << "margins paint over the whole object";
  EXPECT_EQ(InkWhere(*canvas, is(kBlue)), (TInk{10, 10, 90, 50}));
  for (auto [x, y] : {std::pair{0, 0}, {9, 9}, {90, 0}, {99, 9}, {0, 50}, {9, 59}, {90, 50}, {99, 59}})
    EXPECT_EQ(Pixel(*canvas, x, y), kRed) << x << ", " << y;
  for (auto [x, y] : {std::pair{10, 0}, {89, 9}, {0, 10}, {9, 49}, {50, 55}, {95, 30}})
    EXPECT_EQ(Pixel(*canvas, x, y), kGreen) << x << ", " << y;
}

TEST_F(ImageShapeTest, NineSliceWithOneMarginStretchesTheRest) {
  // Only a left margin: a 10-wide column at its own width, the rest stretched.
  TPainted<TuiImage> image;
  image.SetBounds(0, 0, 50, 40);
  NineSliceBitmap(*image.Bitmap());
  image.BitmapMargins()->SetRect({10, 0, 0, 0});
  auto canvas = NewCanvas(50, 40);
  image.PaintInto(*canvas);
  EXPECT_EQ(InkBox(*canvas), (TInk{0, 0, 50, 40}));
  EXPECT_EQ(Pixel(*canvas, 9, 0), kRed);
  EXPECT_EQ(Pixel(*canvas, 9, 20), kGreen);
  EXPECT_EQ(Pixel(*canvas, 20, 20), kBlue) << "the rest of the picture stretched over the rest";
}

TEST_F(ImageShapeTest, EmptyBitmapPaintsNothingAndLoadsAreReported) {
  TPainted<TuiImage> image;
  auto canvas = NewCanvas(50, 50);
  image.PaintInto(*canvas);
  EXPECT_EQ(InkBox(*canvas), TInk{});

  TuiBitmap source(4, 3);
  source.Clear(kGreen);
  int loaded = 0;
  image.OnBitmapLoaded = [&](TuiObject* Sender) {
    EXPECT_EQ(Sender, &image);
    ++loaded;
  };
  ASSERT_TRUE(image.Bitmap()->LoadFromBytes(source.SaveToBytes()));
  EXPECT_EQ(loaded, 1);
  EXPECT_EQ(image.Bitmap()->Width(), 4);
}

TEST_F(ImageShapeTest, DataCopiesTheBitmapOfAnotherImage) {
  TPainted<TuiImage> image;
  TPainted<TuiImage> other;
  other.Bitmap()->SetSize(7, 5);
  image.SetData(TuiObject::ObjectToData(&other));
  EXPECT_EQ(image.Bitmap()->Width(), 7);
  EXPECT_EQ(image.Bitmap()->Height(), 5);
  TPainted<TuiPaintBox> notAnImage;
  EXPECT_THROW(image.SetData(TuiObject::ObjectToData(&notAnImage)), EuxConvertError);
}
