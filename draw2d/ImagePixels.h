#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TuiBitmap;

// The steps every image filter shares once a codec has done its part: limits,
// alpha conversions, turning, shrinking and the file side. Each filter decodes
// into a TuiDecodedImage and hands it on, so that all filters turn and shrink
// pictures to the very same pixels.

// A decoded picture on its way into a bitmap: premultiplied words, rows top down.
struct TuiDecodedImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::unique_ptr<uint32_t[]> Pixels;
};

// Within TuiFilter::MaxSide a side and TuiFilter::MaxPixels in all, and not empty.
bool uxImageWithinLimits(int64_t Width, int64_t Height);
// Uninitialised words, or none when the memory is not there.
std::unique_ptr<uint32_t[]> uxAllocatePixels(int64_t Width, int64_t Height);

uint32_t uxPremultiplyPixel(uint32_t Pixel);
// Rounds up, so that the saved straight pixel premultiplies back to the same word.
uint32_t uxUnpremultiplyForSaving(uint32_t Pixel);

// A file's bytes; none when it holds more than TuiFilter::MaxInputBytes. A file
// that does not open raises EuxError ("Cannot open file ...").
std::optional<std::vector<uint8_t>> uxReadImageFile(const std::string& FileName);
// Replaces the file with Data; a file that cannot be made raises EuxError.
bool uxWriteImageFile(const std::string& FileName, const std::vector<uint8_t>& Data);

// Turns the picture clockwise by Angle degrees (see TuiFilter::LoadFromFile);
// false when the turned picture would be beyond the limits.
bool uxTurnImage(TuiDecodedImage& Image, float Angle);

// The size LoadThumbnailFromFile makes of a Width x Height picture, and the
// factor (at least 1) it shrinks by.
struct TuiThumbnailSize {
  int32_t Width;
  int32_t Height;
  double Scale;
};
TuiThumbnailSize uxThumbnailSize(int32_t Width, int32_t Height, bool UseEmbedded, float MaxWidth,
                                 float MaxHeight);
// Averages the picture down to at most Width x Height; false when out of memory.
bool uxReduceImage(TuiDecodedImage& Image, int32_t Width, int32_t Height);

void uxInstallImage(TuiDecodedImage& Image, TuiBitmap& Bitmap);
