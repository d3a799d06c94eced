#include "draw2d/ShapeImage.h"

#include "draw2d/BitmapObject.h"
#include "draw2d/Canvas.h"
#include "draw2d/ShapePaths.h"

UX_IMPLEMENT_CLASS(TuiImage)

TuiImage::TuiImage(TuiComponent* Owner)
    : TuiVisualObject(Owner),
      FBitmap(std::make_unique<TuiBitmap>()),
      FBitmapMargins(std::make_unique<TuiBounds>()) {
  FBitmap->OnChange = [this](TuiBitmap*) {
    EffectsChanged();
    Repaint();
  };
  FBitmap->OnLoaded = [this](TuiBitmap*) {
    if (IsDestroying()) return;
    if (OnBitmapLoaded) OnBitmapLoaded(this);
    Repaint();
  };
  FBitmapMargins->OnChanged = [this](TuiBounds*) { Repaint(); };
}

TuiImage::~TuiImage() = default;

void TuiImage::SetBitmap(const TuiBitmap* Value) {
  FBitmap->Assign(Value);
  Repaint();
}

void TuiImage::SetWrapMode(TuiImageWrap Value) {
  if (Value == FWrapMode) return;
  FWrapMode = Value;
  Repaint();
}

void TuiImage::SetDisableInterpolation(bool Value) {
  if (Value == FDisableInterpolation) return;
  FDisableInterpolation = Value;
  Repaint();
}

TuiBitmap& TuiImage::PaintedBitmap() const {
  TuiBitmap* resource = FBitmap->ResolveBitmap();
  return resource ? *resource : *FBitmap;
}

void TuiImage::SetData(const TuiData& Value) {
  const std::string* text = std::get_if<std::string>(&Value);
  if (!text) return;
  if (TuiObject* object = DataToObject(*text)) {
    if (auto* image = dynamic_cast<TuiImage*>(object))
      SetBitmap(image->Bitmap());
    else if (auto* resource = dynamic_cast<TuiBitmapObject*>(object))
      SetBitmap(resource->Bitmap());
    else
      FBitmap->Assign(object);  // raises the conversion error naming the class
    return;
  }
  FBitmap->LoadFromFile(*text);
}

void TuiImage::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  TuiBitmap& b = PaintedBitmap();
  const TuiRect local = GetLocalRect();
  if (!b.IsEmpty()) {
    const float opacity = GetAbsoluteOpacity();
    const float bw = float(b.Width());
    const float bh = float(b.Height());
    const TuiRect source{0, 0, bw, bh};
    if (!FBitmapMargins->IsZero()) {
      PaintNineSlice(*canvas, b, opacity);
    } else if (FWrapMode == uxImageOriginal) {
      const int32_t saved = canvas->SaveCanvas();
      canvas->IntersectClipRect(local);
      canvas->DrawBitmap(b, source, source, opacity, true);
      canvas->RestoreCanvas(saved);
    } else if (FWrapMode == uxImageFit) {
      TuiRect dest = source;
      FitRect(dest, local);
      canvas->DrawBitmap(b, source, dest, opacity, FDisableInterpolation);
    } else if (FWrapMode == uxImageStretch) {
      canvas->DrawBitmap(b, source, local, opacity, FDisableInterpolation);
    } else {
      const int32_t saved = canvas->SaveCanvas();
      canvas->IntersectClipRect(local);
      const int columns = int(RoundHalfEven(Width() / bw));
      const int rows = int(RoundHalfEven(Height() / bh));
      for (int i = 0; i <= columns; ++i)
        for (int j = 0; j <= rows; ++j)
          canvas->DrawBitmap(b, source, {i * bw, j * bh, (i + 1) * bw, (j + 1) * bh}, opacity, true);
      canvas->RestoreCanvas(saved);
    }
  }
  if (IsDesigning() && !Locked()) uxDrawDesignFrame(*canvas, local);
}

void TuiImage::PaintNineSlice(TuiCanvas& Canvas, TuiBitmap& B, float Opacity) {
  const TuiRect m = FBitmapMargins->Rect();
  const float bw = float(B.Width());
  const float bh = float(B.Height());
  // Column and row edges, in the bitmap and in the object.
  const float sx[4] = {0, m.Left, bw - m.Right, bw};
  const float sy[4] = {0, m.Top, bh - m.Bottom, bh};
  const float dx[4] = {0, m.Left, Width() - m.Right, Width()};
  const float dy[4] = {0, m.Top, Height() - m.Bottom, Height()};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) {
      const TuiRect source{sx[column], sy[row], sx[column + 1], sy[row + 1]};
      const TuiRect dest{dx[column], dy[row], dx[column + 1], dy[row + 1]};
      // A zero margin leaves its corners and edge empty.
      if (IsEmptyRect(source) || IsEmptyRect(dest)) continue;
      Canvas.DrawBitmap(B, source, dest, Opacity, true);
    }
}
