#include "tools/imagegen/GeneratedImages.h"

#include "draw2d/ImageFilterPngJpeg.h"
#include "tools/imagegen/ConsolePictogram.h"
#include "tools/imagegen/StyleImages.h"

std::span<const TuiGeneratedImage> uxGeneratedImages() {
  static constexpr TuiGeneratedImage images[] = {
      {"controls/styles/images/hudshadow.png", "png", "", &uxMakeHudShadow},
      {"controls/styles/images/hudsizegrip.png", "png", "", &uxMakeHudSizeGrip},
      // Line art keeps clean edges at a high quality; the encoder writes it
      // baseline with full-resolution colour.
      {"app/resources/console.jpg", "jpeg", "quality=92", &TuiConsolePictogram::Draw},
  };
  return images;
}

std::vector<uint8_t> uxEncodeGeneratedImage(const TuiGeneratedImage& Image) {
  TuiBitmap bitmap;
  Image.Make(bitmap);
  std::vector<uint8_t> data;
  TuiFilterPngJpeg filter;
  if (!filter.SaveToBytes(data, bitmap, Image.Format, Image.Params)) data.clear();
  return data;
}
