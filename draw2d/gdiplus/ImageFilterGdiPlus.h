#pragma once

#include <cstdint>

#include "draw2d/ImageFilter.h"

// The image filter on Windows, through GDI+'s codecs: reads BMP, GIF (its
// first frame), JPEG, PNG and TIFF, chosen by the data's signature, and writes
// whatever encoders GDI+ has installed (PNG, JPEG, BMP, TIFF and GIF on every
// Windows).
//
// GDI+ decodes a whole picture once asked to, so the limits are kept before
// it sees the data: the size the file's own header declares is read here and
// must be within MaxSide a side and MaxPixels in all (TuiFilter), the data no
// more than MaxInputBytes; the picture is charged to an open read budget
// (scene2d/stream/ReadBudget.h); a header promising more pixels than its data
// can possibly hold, or a progressive JPEG with more scans than its size
// allows (the same rule as TuiFilterPngJpeg's), is refused unread. Turning and
// thumbnails go through the same pixel steps as on Linux (draw2d/ImagePixels.h).
class TuiFilterGdiPlus : public TuiFilter {
 public:
  static constexpr int MaxJpegScans = 500;
  static constexpr int64_t MaxJpegScanPixels = int64_t(1) << 30;

  std::string GetFileTypes() const override;
  bool GetImageSize(const std::string& FileName, int32_t& Width, int32_t& Height) override;
  bool LoadFromFile(const std::string& FileName, TuiBitmap& Bitmap, float Angle) override;
  bool LoadThumbnailFromFile(const std::string& FileName, bool UseEmbedded, TuiBitmap& Bitmap, float MaxWidth,
                             float MaxHeight) override;
  bool SaveToFile(const std::string& FileName, const TuiBitmap& Bitmap, std::string_view Params) override;
  bool LoadFromBytes(std::span<const uint8_t> Data, TuiBitmap& Bitmap) override;
  bool SaveToBytes(std::vector<uint8_t>& Data, const TuiBitmap& Bitmap, std::string_view Format,
                   std::string_view Params) override;
};
