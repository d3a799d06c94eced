#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TuiBitmap;

// An image filter decodes image files into bitmaps and encodes bitmaps into
// image files. Bitmaps never talk to a codec library themselves: they create
// the default filter for every load and save, so that another platform or a
// test can put another filter in its place.
//
// Decoding results in premultiplied pixels over transparent black. Anything
// that does not decode (unknown signature, damaged or truncated data, zero
// area, a size beyond the filter's limits) leaves the bitmap untouched and
// returns false; no filter raises an error for bad image data. The one error
// is the read budget's (scene2d/stream/ReadBudget.h): a picture that would take
// more pixels than the open budgets have left raises EuxReadError, again with
// the bitmap untouched.
class TuiFilter {
 public:
  // Streams and files holding more encoded data than this are refused unread;
  // no picture within the decoders' limits needs that much.
  static constexpr size_t MaxInputBytes = size_t(512) << 20;
  // The largest picture any filter decodes: 16384 pixels a side, 256 MiB of
  // pixels in all. Filters check the size a file declares before they decode.
  static constexpr int32_t MaxSide = 16384;
  static constexpr int64_t MaxPixels = int64_t(8192) * 8192;

  virtual ~TuiFilter() = default;

  // File masks separated by ";" ("*.png;*.jpg"); empty when the filter reads none.
  virtual std::string GetFileTypes() const { return {}; }
  // The size an image file declares, from its header alone; false when the file
  // holds no image this filter knows.
  virtual bool GetImageSize(const std::string& FileName, int32_t& Width, int32_t& Height);
  // Angle in degrees, clockwise (see TuiBitmap::LoadFromFile).
  virtual bool LoadFromFile(const std::string& FileName, TuiBitmap& Bitmap, float Angle) = 0;
  // Scales the image down (never up) to fit MaxWidth x MaxHeight, keeping its
  // aspect; a box without area keeps the full size.
  virtual bool LoadThumbnailFromFile(const std::string& FileName, bool UseEmbedded, TuiBitmap& Bitmap,
                                     float MaxWidth, float MaxHeight) = 0;
  // The format follows the file name's extension (see FormatFromFileName).
  // Nothing is written, not even an empty file, when that format has no encoder.
  virtual bool SaveToFile(const std::string& FileName, const TuiBitmap& Bitmap, std::string_view Params) = 0;

  virtual bool LoadFromBytes(std::span<const uint8_t> Data, TuiBitmap& Bitmap) = 0;
  // Format by name (see FormatFromName); Params as "quality=90".
  virtual bool SaveToBytes(std::vector<uint8_t>& Data, const TuiBitmap& Bitmap, std::string_view Format,
                           std::string_view Params) = 0;
  // Decode the rest of the stream, from where it stands.
  virtual bool LoadFromStream(std::istream& Stream, TuiBitmap& Bitmap);

  // For data the decoder can shrink while decoding (a JPEG by 1/2, 1/4 or
  // 1/8) and of at least MinPixels: whether it decodes, and its full size,
  // with no full-size pixels kept, so that the full decode can wait until
  // someone needs those pixels. Ok is charged to an open read budget as the
  // full picture; Damaged data need not be decoded again to know it fails.
  // Quarter, when given and the check is Ok, receives the picture as
  // LoadFromBytesAtLeast decodes it at a quarter of its size.
  enum class TShrinkCheck : uint8_t { NotShrinkable, Damaged, Ok };
  virtual TShrinkCheck CheckShrinkable(std::span<const uint8_t> Data, int64_t MinPixels, int32_t& Width,
                                       int32_t& Height, TuiBitmap* Quarter = nullptr);
  // Decoded at the smallest size the decoder reaches cheaply that still covers
  // MinWidth x MinHeight; at full size when it cannot shrink the data.
  virtual bool LoadFromBytesAtLeast(std::span<const uint8_t> Data, TuiBitmap& Bitmap, int32_t MinWidth,
                                    int32_t MinHeight);
  virtual bool SaveToStream(std::ostream& Stream, const TuiBitmap& Bitmap, std::string_view Format,
                            std::string_view Params);
};

// The encoders a format name or file extension chooses.
enum TuiImageFormat : uint8_t { ifPng, ifJpeg, ifBmp, ifTiff, ifGif };
// Case-insensitive: "jpeg" and "jpg" JPEG, "png" PNG, "bmp", "tif" and "tiff",
// "gif"; any other name PNG.
TuiImageFormat FormatFromName(std::string_view Name);
// The extension after the last "." of the file name, by the same table.
TuiImageFormat FormatFromFileName(std::string_view FileName);
// The "quality" of a parameter text of name=value pairs separated by blanks
// (names case-insensitive), within 0..100; none when absent or not a number.
std::optional<int> QualityParam(std::string_view Params);

// Reads the rest of a stream, or none when it holds more than MaxBytes.
std::optional<std::vector<uint8_t>> ReadStreamBytes(std::istream& Stream, size_t MaxBytes);

// The filters the program knows by class name. The system's own filter is
// always there and is the default until another default is chosen: which one
// that is the build decides (draw2d/SystemFilter.h).
class TuiFilterRegistry {
 public:
  using TFactory = std::function<std::unique_ptr<TuiFilter>()>;

  static TuiFilterRegistry& Instance();
  // Registering a name again replaces its factory.
  void Register(std::string_view ClassName, TFactory Factory);
  std::vector<std::string> ClassNames() const;
  // A new filter of that class (case-insensitive), or none.
  std::unique_ptr<TuiFilter> Create(std::string_view ClassName) const;
  // False, default unchanged, for a name that is not registered.
  bool SetDefaultClass(std::string_view ClassName);
  const std::string& DefaultClass() const { return FDefault; }
  // A new filter of the default class; raises EuxError ("No image filter is
  // registered") when that class has no factory, as on a system built
  // without one.
  std::unique_ptr<TuiFilter> CreateDefault() const;

 private:
  TuiFilterRegistry();
  struct TEntry {
    std::string Name;
    TFactory Factory;
  };
  std::vector<TEntry> FEntries;
  std::string FDefault;
};
