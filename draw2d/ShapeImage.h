#pragma once

#include <memory>

#include "draw2d/Bitmap.h"
#include "scene2d/ValueHolders.h"
#include "scene2d/VisualObject.h"

// How an image lays its bitmap into itself.
enum TuiImageWrap : uint8_t { uxImageOriginal, uxImageFit, uxImageStretch, uxImageTile };
UX_ENUM(TuiImageWrap, "uxImageOriginal", "uxImageFit", "uxImageStretch", "uxImageTile")

// A bitmap, its own or the bitmap resource it names. With BitmapMargins set
// it is cut into nine pieces whose corners keep their size while edges and
// centre stretch, so one small picture frames an object of any size.
class TuiImage : public TuiVisualObject {
  UX_CLASS(TuiImage, TuiVisualObject)
 public:
  explicit TuiImage(TuiComponent* Owner);
  ~TuiImage() override;

  TuiBitmap* Bitmap() const { return FBitmap.get(); }
  // Copies Value's picture (or its resource link) in.
  void SetBitmap(const TuiBitmap* Value);
  // In bitmap pixels from each edge.
  TuiBounds* BitmapMargins() const { return FBitmapMargins.get(); }
  TuiImageWrap WrapMode() const { return FWrapMode; }
  void SetWrapMode(TuiImageWrap Value);
  // Nearest-pixel sampling where the picture is scaled.
  bool DisableInterpolation() const { return FDisableInterpolation; }
  void SetDisableInterpolation(bool Value);
  // The bitmap painted: the resource's when Bitmap names one, else Bitmap.
  TuiBitmap& PaintedBitmap() const;

  // A text loads the file it names; an object reference ("uxobj...") copies
  // that object's bitmap (an image's or a bitmap resource's).
  void SetData(const TuiData& Value) override;

  // After the bitmap was loaded from a stream, bytes or a file.
  TuiNotifyEvent OnBitmapLoaded;

  static void DefineProperties(TuiClassBuilder<TuiImage>& C) {
    C.Object("Bitmap", &TuiImage::Bitmap);
    C.Object("BitmapMargins", &TuiImage::BitmapMargins);
    C.Property("WrapMode", &TuiImage::WrapMode, &TuiImage::SetWrapMode, uxImageFit);
    C.Property("DisableInterpolation", &TuiImage::DisableInterpolation, &TuiImage::SetDisableInterpolation,
               false);
    C.Event("OnBitmapLoaded", &TuiImage::OnBitmapLoaded);
  }

 protected:
  void Paint() override;

 private:
  void PaintNineSlice(TuiCanvas& Canvas, TuiBitmap& B, float Opacity);

  std::unique_ptr<TuiBitmap> FBitmap;
  std::unique_ptr<TuiBounds> FBitmapMargins;
  TuiImageWrap FWrapMode = uxImageFit;
  bool FDisableInterpolation = false;
};
