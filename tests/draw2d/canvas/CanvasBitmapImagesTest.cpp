// Two canvas backends in one process, each keeping its own image of the same
// bitmaps: the Cairo canvas, whose image wraps the pixels, and a small
// texture backend like the 3D layer's, whose image is a copy it uploads to.
#include <gmock/gmock.h>

#include "tests/draw2d/canvas/CanvasFixtures.h"

using namespace canvas_fixtures;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// A copy of a bitmap's pixels, brought up to date one changed rectangle at a
// time, as a texture upload is.
struct TTexture : TuiBitmapImage {
  explicit TTexture(int& Alive) : Alive(Alive) { ++Alive; }
  ~TTexture() override { --Alive; }
  std::vector<uint32_t> Texels;
  int32_t Width = 0;
  int& Alive;
};

// Draws nothing; DrawBitmap only brings its texture of the bitmap up to date
// and records what it uploaded.
class TTextureCanvas : public TuiCanvas {
  UX_CLASS(TTextureCanvas, TuiCanvas)
 public:
  TTextureCanvas() : TuiCanvas(true) {}

  std::vector<TuiPixelRect> Uploads;
  static inline int Alive = 0;

  const TTexture* TextureOf(TuiBitmap& Bitmap) const {
    return dynamic_cast<const TTexture*>(Bitmap.Image(StaticClass()));
  }

  void DrawBitmap(TuiBitmap& Bitmap, const TuiRect&, const TuiRect&, float, bool) override {
    auto* texture = static_cast<TTexture*>(Bitmap.Image(StaticClass()));
    TuiPixelRect upload;
    if (!texture) {
      auto made = std::make_unique<TTexture>(Alive);
      made->Texels.resize(size_t(Bitmap.Width()) * size_t(Bitmap.Height()));
      made->Width = Bitmap.Width();
      texture = static_cast<TTexture*>(Bitmap.SetImage(StaticClass(), std::move(made)));
      upload = Bitmap.Bounds();
    } else if (!texture->IsCurrent(Bitmap)) {
      upload = texture->TakePending(Bitmap);
    }
    if (upload.IsEmpty()) return;
    Uploads.push_back(upload);
    for (int32_t y = upload.Top; y < upload.Bottom; ++y)
      for (int32_t x = upload.Left; x < upload.Right; ++x)
        texture->Texels[size_t(y) * size_t(texture->Width) + size_t(x)] = Bitmap.Scanline(y)[x];
  }

  void ResizeBuffer(int32_t, int32_t) override {}
  void MultiplyMatrix(const TuiMatrix&) override {}
  void SetClipRects(std::span<const TuiRect>) override {}
  void IntersectClipRect(const TuiRect&) override {}
  void ExcludeClipRect(const TuiRect&) override {}
  void ResetClipRect() override {}
  void DrawLine(const TuiPoint&, const TuiPoint&, float) override {}
  void FillRect(const TuiRect&, float, float, TuiCorners, float, TuiCornerType) override {}
  void DrawRect(const TuiRect&, float, float, TuiCorners, float, TuiCornerType) override {}
  void FillEllipse(const TuiRect&, float) override {}
  void DrawEllipse(const TuiRect&, float) override {}
  bool PtInPath(const TuiPoint&, const TuiRect&, const TuiPathData&) override { return false; }
  void FillPath(const TuiPathData&, const TuiRect&, float) override {}
  void DrawPath(const TuiPathData&, const TuiRect&, float) override {}
  void DrawThumbnail(TuiBitmap&, float, float) override {}
  bool LoadFontFromStream(std::istream&) override { return false; }
  void FillText(const TuiRect&, std::string_view, bool, float, TuiTextAlign, TuiTextAlign) override {}
  void MeasureText(TuiRect&, std::string_view, bool, TuiTextAlign, TuiTextAlign) override {}
  bool TextToPath(TuiPathData&, const TuiRect&, std::string_view, bool, TuiTextAlign, TuiTextAlign) override {
    return false;
  }

 protected:
  bool HasSurface() const override { return true; }
  int32_t SaveBackendState() override { return 0; }
  void RestoreBackendState(int32_t) override {}
};

UX_IMPLEMENT_CLASS(TTextureCanvas)

// Both backends take the bitmap; the Cairo canvas shows it 1:1 at the origin.
void DrawWithBoth(TuiBitmap& B, TuiCanvas& Cairo, TTextureCanvas& Texture) {
  const TuiRect all{0, 0, float(B.Width()), float(B.Height())};
  Cairo.Clear(0);
  Cairo.DrawBitmap(B, all, all, 1, true);
  Texture.DrawBitmap(B, all, all, 1, true);
}

uint32_t Texel(const TTexture& T, int32_t X, int32_t Y) {
  return T.Texels[size_t(Y) * size_t(T.Width) + size_t(X)];
}

}  // namespace

TEST_F(CanvasTest, TwoBackendsKeepTheirOwnImagesOfOneBitmap) {
  auto cairo = NewCanvas(8, 8);
  TTextureCanvas texture;
  TTextureCanvas::Alive = 0;
  {
    TuiBitmap b(8, 8);
    b.Clear(0xFFFF0000);
    DrawWithBoth(b, *cairo, texture);
    EXPECT_EQ(Pixel(*cairo, 5, 5), 0xFFFF0000u);
    ASSERT_NE(texture.TextureOf(b), nullptr);
    EXPECT_EQ(Texel(*texture.TextureOf(b), 5, 5), 0xFFFF0000u);
    EXPECT_THAT(texture.Uploads, ElementsAre(TuiPixelRect{0, 0, 8, 8}));
    EXPECT_NE(b.Image(TuiCanvasCairo::StaticClass()), nullptr);
    EXPECT_EQ(dynamic_cast<TTexture*>(b.Image(TuiCanvasCairo::StaticClass())), nullptr)
        << "the Cairo image is Cairo's own";

    // A change of a few pixels: the texture uploads just those, and Cairo sees
    // them too, whichever backend looks first.
    texture.Uploads.clear();
    b.ClearRect({2, 3, 4, 5}, 0xFF00FF00);
    DrawWithBoth(b, *cairo, texture);
    EXPECT_EQ(Pixel(*cairo, 3, 4), 0xFF00FF00u);
    EXPECT_EQ(Pixel(*cairo, 5, 5), 0xFFFF0000u);
    EXPECT_THAT(texture.Uploads, ElementsAre(TuiPixelRect{2, 3, 4, 5}));
    EXPECT_EQ(Texel(*texture.TextureOf(b), 3, 4), 0xFF00FF00u);

    texture.Uploads.clear();
    b.ClearRect({6, 0, 8, 1}, 0xFF0000FF);
    texture.DrawBitmap(b, {0, 0, 8, 8}, {0, 0, 8, 8}, 1, true);
    cairo->Clear(0);
    cairo->DrawBitmap(b, {0, 0, 8, 8}, {0, 0, 8, 8}, 1, true);
    EXPECT_EQ(Pixel(*cairo, 7, 0), 0xFF0000FFu) << "the texture catching up first hides nothing from Cairo";
    EXPECT_THAT(texture.Uploads, ElementsAre(TuiPixelRect{6, 0, 8, 1}));

    // Nothing changed: nothing to upload.
    texture.Uploads.clear();
    DrawWithBoth(b, *cairo, texture);
    EXPECT_THAT(texture.Uploads, IsEmpty());

    // The bitmap's own (Cairo) canvas draws into the pixels: the texture is
    // out of date, the Cairo image, which is those pixels, is not.
    TuiCanvas* own = b.Canvas();
    ASSERT_NE(own, nullptr);
    own->Fill()->SetColorValue(0xFFFFFFFF);
    own->FillRect({0, 0, 1, 1}, 0, 0, AllCorners, 1);
    EXPECT_TRUE(b.Image(TuiCanvasCairo::StaticClass())->IsCurrent(b));
    texture.DrawBitmap(b, {0, 0, 8, 8}, {0, 0, 8, 8}, 1, true);
    EXPECT_THAT(texture.Uploads, ElementsAre(b.Bounds()));
    EXPECT_EQ(Texel(*texture.TextureOf(b), 0, 0), 0xFFFFFFFFu);

    // New pixel memory frees both images; each backend makes a new one.
    b.SetSize(4, 4);
    EXPECT_EQ(TTextureCanvas::Alive, 0);
    EXPECT_EQ(b.Image(TuiCanvasCairo::StaticClass()), nullptr);
    b.Clear(0xFF00FFFF);
    texture.Uploads.clear();
    DrawWithBoth(b, *cairo, texture);
    EXPECT_EQ(Pixel(*cairo, 3, 3), 0xFF00FFFFu);
    EXPECT_EQ(Pixel(*cairo, 5, 5), 0u);
    EXPECT_THAT(texture.Uploads, ElementsAre(TuiPixelRect{0, 0, 4, 4}));
    EXPECT_EQ(TTextureCanvas::Alive, 1);
  }
  EXPECT_EQ(TTextureCanvas::Alive, 0) << "the bitmap frees every backend's image";
}
