#pragma once

#include <cstddef>
#include <cstdint>

#include "draw2d/ImageFilter.h"

// The image filter on libpng and libjpeg-turbo: reads PNG and JPEG (chosen by
// the data's signature, whatever the file is called) and writes PNG and JPEG.
// BMP, TIFF and GIF have no encoder here, so saving in them writes nothing.
//
// Image files come from anyone, so decoding is bounded before any pixel memory
// is taken: at most MaxSide pixels per side and MaxPixels in all, at most
// MaxInputBytes of encoded data (TuiFilter's limits), MaxJpegMemory of
// libjpeg's working memory, and for a progressive JPEG at most MaxJpegScans
// scans and MaxJpegScanPixels of pixels times scans. Inside an open read
// budget (scene2d/stream/ReadBudget.h) every decoded picture is charged to it
// first. A PNG whose declared size its compressed data cannot possibly fill is
// refused before its pixels are allocated, and its text, profile and other
// metadata chunks are skipped unread. A JPEG that the library can only patch
// up (data ends early, entropy codes broken) counts as unreadable rather than
// half-grey.
class TuiFilterPngJpeg : public TuiFilter {
 public:
  static constexpr int MaxJpegScans = 500;
  // 16 passes over the largest picture: about a second of decoding.
  static constexpr int64_t MaxJpegScanPixels = int64_t(1) << 30;
  static constexpr long MaxJpegMemory = long(512) << 20;
  // The quality of a JPEG saved without a "quality" parameter.
  static constexpr int DefaultJpegQuality = 75;

  std::string GetFileTypes() const override;
  bool GetImageSize(const std::string& FileName, int32_t& Width, int32_t& Height) override;
  bool LoadFromFile(const std::string& FileName, TuiBitmap& Bitmap, float Angle) override;
  bool LoadThumbnailFromFile(const std::string& FileName, bool UseEmbedded, TuiBitmap& Bitmap, float MaxWidth,
                             float MaxHeight) override;
  bool SaveToFile(const std::string& FileName, const TuiBitmap& Bitmap, std::string_view Params) override;
  bool LoadFromBytes(std::span<const uint8_t> Data, TuiBitmap& Bitmap) override;
  TShrinkCheck CheckShrinkable(std::span<const uint8_t> Data, int64_t MinPixels, int32_t& Width,
                               int32_t& Height, TuiBitmap* Quarter = nullptr) override;
  bool LoadFromBytesAtLeast(std::span<const uint8_t> Data, TuiBitmap& Bitmap, int32_t MinWidth,
                            int32_t MinHeight) override;
  bool SaveToBytes(std::vector<uint8_t>& Data, const TuiBitmap& Bitmap, std::string_view Format,
                   std::string_view Params) override;
};
