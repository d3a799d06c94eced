#include "draw2d/gdiplus/ImageFilterGdiPlus.h"

// clang-format off
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <optional>

#include "draw2d/Bitmap.h"
#include "draw2d/ImageHeader.h"
#include "draw2d/ImagePixels.h"
#include "scene2d/stream/ReadBudget.h"

namespace gp = Gdiplus::DllExports;

namespace {

using TImage = TuiDecodedImage;

// GDI+ is started once for the process and never shut down: pictures may be
// loaded and saved by exit handlers, and the library's own tables live on
// until the process ends.
bool GdiPlusStarted() {
  static const bool started = [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

// Some GDI+ implementations reach their codecs through COM, which needs the
// calling thread in an apartment; Windows' own needs none. A thread that
// already has one keeps it.
class TComScope {
 public:
  TComScope() : FInitialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~TComScope() {
    if (FInitialised) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

 private:
  bool FInitialised;
};

struct TStreamRelease {
  void operator()(IStream* S) const { S->Release(); }
};
using TStream = std::unique_ptr<IStream, TStreamRelease>;

struct TImageDispose {
  void operator()(Gdiplus::GpImage* I) const { gp::GdipDisposeImage(I); }
};
using TGpImage = std::unique_ptr<Gdiplus::GpImage, TImageDispose>;

// Checks the header first (limits, work, budget), then lets GDI+ decode.
bool Decode(std::span<const uint8_t> Data, TImage& Out) {
  TuiImageHeader header;
  if (!uxReadImageHeader(Data, header) || !uxImageWorthDecoding(Data, header, TuiFilterGdiPlus::MaxJpegScans,
                                                                TuiFilterGdiPlus::MaxJpegScanPixels))
    return false;
  TuiReadBudget::ChargePixels(header.Width * header.Height);
  if (!GdiPlusStarted()) return false;
  TComScope com;
  TStream stream(SHCreateMemStream(Data.data(), UINT(Data.size())));
  if (!stream) return false;
  Gdiplus::GpBitmap* raw = nullptr;
  if (gp::GdipCreateBitmapFromStream(stream.get(), &raw) != Gdiplus::Ok || !raw) return false;
  TGpImage image(raw);
  UINT width = 0, height = 0;
  if (gp::GdipGetImageWidth(image.get(), &width) != Gdiplus::Ok ||
      gp::GdipGetImageHeight(image.get(), &height) != Gdiplus::Ok)
    return false;
  // What was charged and checked is what the header said; a codec that sees
  // more than that is not trusted with it.
  if (width == 0 || height == 0 || width > header.Width || height > header.Height) return false;
  std::unique_ptr<uint32_t[]> pixels = uxAllocatePixels(width, height);
  if (!pixels) return false;
  // Locked as straight ARGB into our own memory and premultiplied here, so
  // that the words come out as the other filters make them.
  Gdiplus::BitmapData data{};
  data.Width = width;
  data.Height = height;
  data.Stride = INT(width * 4);
  data.PixelFormat = PixelFormat32bppARGB;
  data.Scan0 = pixels.get();
  Gdiplus::GpRect rect(0, 0, INT(width), INT(height));
  if (gp::GdipBitmapLockBits(raw, &rect, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                             PixelFormat32bppARGB, &data) != Gdiplus::Ok)
    return false;
  gp::GdipBitmapUnlockBits(raw, &data);
  const size_t count = size_t(width) * height;
  for (size_t i = 0; i < count; ++i) pixels[i] = uxPremultiplyPixel(pixels[i]);
  Out = {int32_t(width), int32_t(height), std::move(pixels)};
  return true;
}

const wchar_t* MimeType(TuiImageFormat Format) {
  switch (Format) {
    case ifJpeg:
      return L"image/jpeg";
    case ifBmp:
      return L"image/bmp";
    case ifTiff:
      return L"image/tiff";
    case ifGif:
      return L"image/gif";
    default:
      return L"image/png";
  }
}

std::optional<CLSID> FindEncoder(const wchar_t* Mime) {
  UINT count = 0, size = 0;
  if (gp::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || count == 0 || size == 0)
    return std::nullopt;
  std::vector<uint8_t> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (gp::GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok) return std::nullopt;
  for (UINT i = 0; i < count; ++i)
    if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, Mime) == 0) return codecs[i].Clsid;
  return std::nullopt;
}

// The standard quality parameter of GDI+'s encoders.
const GUID QualityParameter = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

bool Encode(const TuiBitmap& Bitmap, TuiImageFormat Format, std::string_view Params,
            std::vector<uint8_t>& Out) {
  if (Bitmap.IsEmpty() || !GdiPlusStarted()) return false;
  TComScope com;
  const std::optional<CLSID> encoder = FindEncoder(MimeType(Format));
  if (!encoder) return false;
  const int32_t width = Bitmap.Width(), height = Bitmap.Height();
  const size_t count = size_t(width) * size_t(height);
  std::unique_ptr<uint32_t[]> words(new (std::nothrow) uint32_t[count]);
  if (!words) return false;
  // A JPEG has no alpha and gets the premultiplied colours, the picture over
  // black, as libjpeg is given them on Linux; the other formats keep alpha and
  // get straight colours that premultiply back to the same words.
  const uint32_t* src = Bitmap.Bits();
  const bool opaqueFormat = Format == ifJpeg;
  for (size_t i = 0; i < count; ++i) words[i] = opaqueFormat ? src[i] : uxUnpremultiplyForSaving(src[i]);
  Gdiplus::GpBitmap* raw = nullptr;
  if (gp::GdipCreateBitmapFromScan0(width, height, width * 4,
                                    opaqueFormat ? PixelFormat32bppRGB : PixelFormat32bppARGB,
                                    reinterpret_cast<BYTE*>(words.get()), &raw) != Gdiplus::Ok ||
      !raw)
    return false;
  TGpImage image(raw);
  TStream stream(SHCreateMemStream(nullptr, 0));
  if (!stream) return false;
  Gdiplus::EncoderParameters params{};
  ULONG quality = 0;
  if (std::optional<int> q = QualityParam(Params)) {
    quality = ULONG(*q);
    params.Count = 1;
    params.Parameter[0].Guid = QualityParameter;
    params.Parameter[0].NumberOfValues = 1;
    params.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    params.Parameter[0].Value = &quality;
  }
  if (gp::GdipSaveImageToStream(image.get(), stream.get(), &*encoder, params.Count ? &params : nullptr) !=
      Gdiplus::Ok)
    return false;
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > TuiFilter::MaxInputBytes)
    return false;
  std::vector<uint8_t> data(size_t(stat.cbSize.QuadPart));
  LARGE_INTEGER start{};
  ULONG got = 0;
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
      FAILED(stream->Read(data.data(), ULONG(data.size()), &got)) || got != data.size())
    return false;
  Out = std::move(data);
  return true;
}

}  // namespace

std::string TuiFilterGdiPlus::GetFileTypes() const {
  return "*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.gif";
}

bool TuiFilterGdiPlus::GetImageSize(const std::string& FileName, int32_t& Width, int32_t& Height) {
  std::optional<std::vector<uint8_t>> data = uxReadImageFile(FileName);
  TuiImageHeader header;
  if (!data || !uxReadImageHeader(*data, header)) return false;
  Width = int32_t(std::min<int64_t>(header.Width, INT32_MAX));
  Height = int32_t(std::min<int64_t>(header.Height, INT32_MAX));
  return true;
}

bool TuiFilterGdiPlus::LoadFromBytes(std::span<const uint8_t> Data, TuiBitmap& Bitmap) {
  TImage image;
  if (!Decode(Data, image)) return false;
  uxInstallImage(image, Bitmap);
  return true;
}

bool TuiFilterGdiPlus::LoadFromFile(const std::string& FileName, TuiBitmap& Bitmap, float Angle) {
  std::optional<std::vector<uint8_t>> data = uxReadImageFile(FileName);
  TImage image;
  if (!data || !Decode(*data, image) || !uxTurnImage(image, Angle)) return false;
  uxInstallImage(image, Bitmap);
  return true;
}

bool TuiFilterGdiPlus::LoadThumbnailFromFile(const std::string& FileName, bool UseEmbedded, TuiBitmap& Bitmap,
                                             float MaxWidth, float MaxHeight) {
  std::optional<std::vector<uint8_t>> data = uxReadImageFile(FileName);
  TuiImageHeader header;
  if (!data || !uxReadImageHeader(*data, header) || !uxImageWithinLimits(header.Width, header.Height))
    return false;
  const TuiThumbnailSize target =
      uxThumbnailSize(int32_t(header.Width), int32_t(header.Height), UseEmbedded, MaxWidth, MaxHeight);
  TImage image;
  if (!Decode(*data, image) || !uxReduceImage(image, target.Width, target.Height)) return false;
  uxInstallImage(image, Bitmap);
  return true;
}

bool TuiFilterGdiPlus::SaveToBytes(std::vector<uint8_t>& Data, const TuiBitmap& Bitmap,
                                   std::string_view Format, std::string_view Params) {
  return Encode(Bitmap, FormatFromName(Format), Params, Data);
}

bool TuiFilterGdiPlus::SaveToFile(const std::string& FileName, const TuiBitmap& Bitmap,
                                  std::string_view Params) {
  std::vector<uint8_t> data;
  if (!Encode(Bitmap, FormatFromFileName(FileName), Params, data)) return false;
  return uxWriteImageFile(FileName, data);
}
