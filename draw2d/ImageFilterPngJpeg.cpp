#include "draw2d/ImageFilterPngJpeg.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
#include <jerror.h>
// clang-format on
#include <png.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>

#include "draw2d/Bitmap.h"
#include "draw2d/ImagePixels.h"
#include "scene2d/Errors.h"
#include "scene2d/Geometry.h"
#include "scene2d/stream/ReadBudget.h"

namespace {

constexpr bool LittleEndian = std::endian::native == std::endian::little;

using TImage = TuiDecodedImage;

bool IsPng(std::span<const uint8_t> Data) {
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return Data.size() >= 8 && std::memcmp(Data.data(), signature, 8) == 0;
}

bool IsJpeg(std::span<const uint8_t> Data) {
  return Data.size() >= 3 && Data[0] == 0xFF && Data[1] == 0xD8 && Data[2] == 0xFF;
}

// ---- PNG ----
//
// Reading goes through libpng's full interface, which alone lets us set its
// limits and leave out the chunks that cost without adding a pixel: a file of
// a thousand compressed text chunks otherwise inflates every one of them into
// memory. Only the chunks that shape the pixels are read (the critical ones,
// transparency, and gamma, so that a file stating its gamma still shows as
// sRGB); everything else is skipped unread. libpng reports errors by a longjmp
// back to png_jmpbuf; as for JPEG below, every setjmp sits in a function that
// only touches plain C data, and the C++ holder tears the library state down.
// Writing keeps the simplified interface, which holds its own longjmp inside
// the library.

constexpr uint32_t PngPixelFormat = LittleEndian ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;

// Chunks still declare their length; a kept chunk longer than this is
// refused before libpng allocates it, whatever the library was built with.
constexpr png_alloc_size_t MaxPngChunkBytes = png_alloc_size_t(8) << 20;
// Ancillary chunks libpng may keep; none that this reader keeps ever reaches it.
constexpr png_uint_32 MaxPngCachedChunks = 32;

struct TPngSource {
  const uint8_t* Data;
  size_t Size;
  size_t At;
};

void PngRead(png_structp Png, png_bytep Out, size_t Count) {
  auto* source = static_cast<TPngSource*>(png_get_io_ptr(Png));
  if (Count > source->Size - source->At) png_error(Png, "data ends early");
  std::memcpy(Out, source->Data + source->At, Count);
  source->At += Count;
}

[[noreturn]] void PngFail(png_structp Png, png_const_charp) {
  png_longjmp(Png, 1);
}

// The library writes no log.
void PngWarning(png_structp, png_const_charp) {}

struct TPngDecoder {
  png_structp Png;
  png_infop Info;
  TPngSource Source;
  png_uint_32 Width, Height;
};

// Pure C data only from here to PngPixels.
bool PngHeader(TPngDecoder& D, const uint8_t* Data, size_t Size) {
  D.Source = {Data, Size, 0};
  D.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarning);
  if (!D.Png) return false;
  D.Info = png_create_info_struct(D.Png);
  if (!D.Info) return false;
  if (setjmp(png_jmpbuf(D.Png))) return false;
  png_set_read_fn(D.Png, &D.Source, PngRead);
  png_set_user_limits(D.Png, TuiFilterPngJpeg::MaxSide, TuiFilterPngJpeg::MaxSide);
  png_set_chunk_malloc_max(D.Png, MaxPngChunkBytes);
  png_set_chunk_cache_max(D.Png, MaxPngCachedChunks);
  // Every chunk but the critical ones and tRNS is skipped, then gamma is let
  // back in.
  png_set_keep_unknown_chunks(D.Png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  static const png_byte gammaChunks[] = "gAMA\0sRGB";
  png_set_keep_unknown_chunks(D.Png, PNG_HANDLE_CHUNK_AS_DEFAULT, gammaChunks, 2);
  png_read_info(D.Png, D.Info);
  D.Width = png_get_image_width(D.Png, D.Info);
  D.Height = png_get_image_height(D.Png, D.Info);
  return true;
}

// Rows receive four bytes a pixel in the order of PngPixelFormat, alpha not
// premultiplied.
bool PngPixels(TPngDecoder& D, png_bytepp Rows) {
  if (setjmp(png_jmpbuf(D.Png))) return false;
  const png_byte colorType = png_get_color_type(D.Png, D.Info);
  png_set_expand(D.Png);  // palettes, grey below 8 bits, tRNS into alpha
  png_set_scale_16(D.Png);
  if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(D.Png);
  png_fixed_point fileGamma = 0;
  if (png_get_gAMA_fixed(D.Png, D.Info, &fileGamma)) png_set_gamma_fixed(D.Png, PNG_GAMMA_sRGB, fileGamma);
  if (LittleEndian) {
    png_set_bgr(D.Png);
    png_set_add_alpha(D.Png, 0xFF, PNG_FILLER_AFTER);
  } else {
    png_set_swap_alpha(D.Png);
    png_set_add_alpha(D.Png, 0xFF, PNG_FILLER_BEFORE);
  }
  png_set_interlace_handling(D.Png);
  png_read_update_info(D.Png, D.Info);
  // Any other layout would overrun the rows.
  if (png_get_rowbytes(D.Png, D.Info) != size_t(D.Width) * 4) return false;
  png_read_image(D.Png, Rows);
  png_read_end(D.Png, nullptr);
  return true;
}

// Owns the library state on the C++ side.
struct TPngDecoderHolder {
  TPngDecoder D{};
  ~TPngDecoderHolder() {
    if (D.Png) png_destroy_read_struct(&D.Png, D.Info ? &D.Info : nullptr, nullptr);
  }
};

bool PngSize(std::span<const uint8_t> Data, int32_t& Width, int32_t& Height) {
  TPngDecoderHolder holder;
  if (!PngHeader(holder.D, Data.data(), Data.size())) return false;
  Width = int32_t(std::min<png_uint_32>(holder.D.Width, INT32_MAX));
  Height = int32_t(std::min<png_uint_32>(holder.D.Height, INT32_MAX));
  return true;
}

bool DecodePng(std::span<const uint8_t> Data, TImage& Out) {
  TPngDecoderHolder holder;
  TPngDecoder& d = holder.D;
  if (!PngHeader(d, Data.data(), Data.size())) return false;
  int64_t width = d.Width;
  int64_t height = d.Height;
  if (!uxImageWithinLimits(width, height)) return false;
  // Deflate expands at most about 1032 : 1, and every row holds at least a
  // filter byte and one bit per pixel; a header promising more than the data
  // can hold is a truncated or forged file, refused before its pixels are taken.
  int64_t leastRaw = height * (1 + (width + 7) / 8);
  if (leastRaw > int64_t(Data.size()) * 1032 + 4096) return false;
  TuiReadBudget::ChargePixels(width * height);
  std::unique_ptr<uint32_t[]> pixels = uxAllocatePixels(width, height);
  if (!pixels) return false;
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int64_t y = 0; y < height; ++y)
    rows[size_t(y)] = reinterpret_cast<png_bytep>(pixels.get() + y * width);
  if (!PngPixels(d, rows.data())) return false;
  for (size_t i = 0, n = size_t(width * height); i < n; ++i) pixels[i] = uxPremultiplyPixel(pixels[i]);
  Out = {int32_t(width), int32_t(height), std::move(pixels)};
  return true;
}

bool EncodePng(const TuiBitmap& Bitmap, std::vector<uint8_t>& Out) {
  size_t count = size_t(Bitmap.Width()) * size_t(Bitmap.Height());
  std::unique_ptr<uint32_t[]> straight(new (std::nothrow) uint32_t[count]);
  if (!straight) return false;
  const uint32_t* src = Bitmap.Bits();
  for (size_t i = 0; i < count; ++i) straight[i] = uxUnpremultiplyForSaving(src[i]);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = uint32_t(Bitmap.Width());
  image.height = uint32_t(Bitmap.Height());
  image.format = PngPixelFormat;
  // A first guess that fits most pictures; libpng names the size it needs when
  // the guess is short.
  std::vector<uint8_t> data(count + 1024);
  for (int attempt = 0; attempt < 2; ++attempt) {
    png_alloc_size_t size = data.size();
    if (png_image_write_to_memory(&image, data.data(), &size, 0, straight.get(), 0, nullptr)) {
      data.resize(size);
      Out = std::move(data);
      return true;
    }
    if (size <= data.size()) return false;
    data.resize(size);
    image.warning_or_error = 0;
  }
  return false;
}

// ---- JPEG ----
//
// libjpeg reports fatal errors by calling error_exit, whose default ends the
// process; ours longjmps back instead. Every setjmp sits in a function that
// only touches plain C data (the decoder state and caller-owned buffers), so the
// jump never skips a C++ destructor; the C++ callers own those buffers and tear
// the library state down afterwards.

struct TJpegError {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
};

[[noreturn]] void JpegFail(j_common_ptr Info) {
  std::longjmp(reinterpret_cast<TJpegError*>(Info->err)->Jump, 1);
}

// Warnings that leave the decoded picture whole. Every other warning means the
// library guessed at damaged or missing data.
bool HarmlessWarning(int Code) {
  return Code == JWRN_ADOBE_XFORM || Code == JWRN_JFIF_MAJOR || Code == JWRN_BOGUS_ICC ||
         Code == JWRN_EXTRANEOUS_DATA;
}

void JpegMessage(j_common_ptr Info, int Level) {
  if (Level < 0 && !HarmlessWarning(Info->err->msg_code)) JpegFail(Info);
}

// The library writes no log.
void JpegOutput(j_common_ptr) {}

// A progressive file can repeat scans without end, each one a pass over the
// whole picture, so what is bounded is the work: pixels times scans. A small
// picture may have the most scans any encoder writes; the largest ones still
// get more than the ten of a usual progressive file.
void JpegProgress(j_common_ptr Info) {
  if (!Info->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(Info);
  const int64_t pixels = std::max<int64_t>(1, int64_t(d->image_width) * int64_t(d->image_height));
  const int64_t scans =
      std::clamp<int64_t>(TuiFilterPngJpeg::MaxJpegScanPixels / pixels, 1, TuiFilterPngJpeg::MaxJpegScans);
  if (d->input_scan_number > scans) JpegFail(Info);
}

void InitJpegError(TJpegError& Error) {
  jpeg_std_error(&Error.Base);
  Error.Base.error_exit = JpegFail;
  Error.Base.emit_message = JpegMessage;
  Error.Base.output_message = JpegOutput;
}

struct TJpegDecoder {
  jpeg_decompress_struct Info;
  TJpegError Error;
  jpeg_progress_mgr Progress;
  bool Created;
};

// Pure C data only from here to JpegPixels.
bool JpegHeader(TJpegDecoder& D, const uint8_t* Data, size_t Size, unsigned ScaleDenom) {
  if (setjmp(D.Error.Jump)) return false;
  jpeg_create_decompress(&D.Info);
  D.Created = true;
  D.Info.mem->max_memory_to_use = TuiFilterPngJpeg::MaxJpegMemory;
  D.Progress.progress_monitor = JpegProgress;
  D.Info.progress = &D.Progress;
  jpeg_mem_src(&D.Info, Data, static_cast<unsigned long>(Size));
  jpeg_read_header(&D.Info, TRUE);
  if (D.Info.jpeg_color_space == JCS_CMYK || D.Info.jpeg_color_space == JCS_YCCK)
    D.Info.out_color_space = JCS_CMYK;
  else
    D.Info.out_color_space = LittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;
  D.Info.scale_num = 1;
  D.Info.scale_denom = ScaleDenom;
  jpeg_calc_output_dimensions(&D.Info);
  return true;
}

bool JpegPixels(TJpegDecoder& D, uint32_t* Pixels) {
  if (setjmp(D.Error.Jump)) return false;
  jpeg_start_decompress(&D.Info);
  // Every row is written as four bytes a pixel straight into Pixels; any other
  // layout would overrun it.
  if (D.Info.output_components != 4) return false;
  while (D.Info.output_scanline < D.Info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(Pixels + size_t(D.Info.output_scanline) * D.Info.output_width);
    jpeg_read_scanlines(&D.Info, &row, 1);
  }
  jpeg_finish_decompress(&D.Info);
  return true;
}

// Owns the library state on the C++ side.
struct TJpegDecoderHolder {
  TJpegDecoder D{};
  TJpegDecoderHolder() { InitJpegError(D.Error), D.Info.err = &D.Error.Base; }
  ~TJpegDecoderHolder() {
    if (D.Created) jpeg_destroy_decompress(&D.Info);
  }
};

// Ink to light: Adobe's files store the four inks inverted (255 = no ink).
void CmykToRgb(uint32_t* Pixels, size_t Count, bool Inverted) {
  auto* bytes = reinterpret_cast<uint8_t*>(Pixels);
  for (size_t i = 0; i < Count; ++i) {
    uint8_t* p = bytes + i * 4;
    uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
    if (!Inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    Pixels[i] = 0xFF000000u | (c * k / 255) << 16 | (m * k / 255) << 8 | (y * k / 255);
  }
}

bool DecodeJpeg(std::span<const uint8_t> Data, TImage& Out, unsigned ScaleDenom = 1, bool Charge = true) {
  TJpegDecoderHolder holder;
  TJpegDecoder& d = holder.D;
  if (!JpegHeader(d, Data.data(), Data.size(), ScaleDenom)) return false;
  int64_t width = d.Info.output_width;
  int64_t height = d.Info.output_height;
  if (!uxImageWithinLimits(width, height)) return false;
  if (Charge) TuiReadBudget::ChargePixels(width * height);
  std::unique_ptr<uint32_t[]> pixels = uxAllocatePixels(width, height);
  if (!pixels || !JpegPixels(d, pixels.get())) return false;
  if (d.Info.out_color_space == JCS_CMYK)
    CmykToRgb(pixels.get(), size_t(width * height), d.Info.saw_Adobe_marker);
  Out = {int32_t(width), int32_t(height), std::move(pixels)};
  return true;
}

bool JpegSize(std::span<const uint8_t> Data, int32_t& Width, int32_t& Height) {
  TJpegDecoderHolder holder;
  if (!JpegHeader(holder.D, Data.data(), Data.size(), 1)) return false;
  Width = int32_t(holder.D.Info.image_width);
  Height = int32_t(holder.D.Info.image_height);
  return true;
}

struct TJpegEncoder {
  jpeg_compress_struct Info;
  TJpegError Error;
  unsigned char* Buffer;
  unsigned long Size;
  bool Created;
};

bool JpegEncode(TJpegEncoder& E, const uint32_t* Pixels, uint32_t Width, uint32_t Height, int Quality) {
  if (setjmp(E.Error.Jump)) return false;
  jpeg_create_compress(&E.Info);
  E.Created = true;
  jpeg_mem_dest(&E.Info, &E.Buffer, &E.Size);
  E.Info.image_width = Width;
  E.Info.image_height = Height;
  E.Info.input_components = 4;
  E.Info.in_color_space = LittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;
  jpeg_set_defaults(&E.Info);
  jpeg_set_quality(&E.Info, Quality, TRUE);
  // Full-resolution colour at high quality: halving the chroma would cost far
  // more than what the quantiser keeps.
  if (Quality >= 90)
    for (int i = 0; i < E.Info.num_components; ++i)
      E.Info.comp_info[i].h_samp_factor = E.Info.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&E.Info, TRUE);
  while (E.Info.next_scanline < Height) {
    auto row =
        reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(Pixels + size_t(E.Info.next_scanline) * Width));
    jpeg_write_scanlines(&E.Info, &row, 1);
  }
  jpeg_finish_compress(&E.Info);
  return true;
}

struct TJpegEncoderHolder {
  TJpegEncoder E{};
  TJpegEncoderHolder() { InitJpegError(E.Error), E.Info.err = &E.Error.Base; }
  ~TJpegEncoderHolder() {
    if (E.Created) jpeg_destroy_compress(&E.Info);
    std::free(E.Buffer);
  }
};

bool EncodeJpeg(const TuiBitmap& Bitmap, int Quality, std::vector<uint8_t>& Out) {
  TJpegEncoderHolder holder;
  if (!JpegEncode(holder.E, Bitmap.Bits(), uint32_t(Bitmap.Width()), uint32_t(Bitmap.Height()), Quality))
    return false;
  Out.assign(holder.E.Buffer, holder.E.Buffer + holder.E.Size);
  return true;
}

// ---- shared steps ----

bool Decode(std::span<const uint8_t> Data, TImage& Out, unsigned JpegScaleDenom = 1) {
  if (IsPng(Data)) return DecodePng(Data, Out);
  if (IsJpeg(Data)) return DecodeJpeg(Data, Out, JpegScaleDenom);
  return false;
}

}  // namespace

std::string TuiFilterPngJpeg::GetFileTypes() const {
  return "*.jpg;*.jpeg;*.png";
}

bool TuiFilterPngJpeg::GetImageSize(const std::string& FileName, int32_t& Width, int32_t& Height) {
  std::optional<std::vector<uint8_t>> data = uxReadImageFile(FileName);
  if (!data) return false;
  if (IsJpeg(*data)) return JpegSize(*data, Width, Height);
  return IsPng(*data) && PngSize(*data, Width, Height);
}

bool TuiFilterPngJpeg::LoadFromBytes(std::span<const uint8_t> Data, TuiBitmap& Bitmap) {
  TImage image;
  if (!Decode(Data, image)) return false;
  uxInstallImage(image, Bitmap);
  return true;
}

TuiFilter::TShrinkCheck TuiFilterPngJpeg::CheckShrinkable(std::span<const uint8_t> Data, int64_t MinPixels,
                                                          int32_t& Width, int32_t& Height,
                                                          TuiBitmap* Quarter) {
  int32_t width = 0, height = 0;
  if (!IsJpeg(Data) || !JpegSize(Data, width, height)) return TShrinkCheck::NotShrinkable;
  if (!uxImageWithinLimits(width, height)) return TShrinkCheck::Damaged;
  if (int64_t(width) * height < MinPixels) return TShrinkCheck::NotShrinkable;
  // Charged first, as a full decode would be, so that a stream of pictures
  // that fail late still runs out of budget.
  TuiReadBudget::ChargePixels(int64_t(width) * height);
  // Decoding shrunk still reads every coefficient, so it fails where the full
  // decode would. Reading the coefficients is most of a decode's cost, so a
  // caller that will likely draw the picture reduced takes the quarter-size
  // pixels as well, a sixteenth of the full size, rather than decode again.
  TImage probe;
  if (!DecodeJpeg(Data, probe, Quarter ? 4 : 8, false)) return TShrinkCheck::Damaged;
  if (Quarter) uxInstallImage(probe, *Quarter);
  Width = width, Height = height;
  return TShrinkCheck::Ok;
}

bool TuiFilterPngJpeg::LoadFromBytesAtLeast(std::span<const uint8_t> Data, TuiBitmap& Bitmap,
                                            int32_t MinWidth, int32_t MinHeight) {
  int32_t width = 0, height = 0;
  if (!IsJpeg(Data) || !JpegSize(Data, width, height)) return LoadFromBytes(Data, Bitmap);
  // The decoder rounds a shrunk side up.
  auto covers = [&](unsigned Denom) {
    return (int64_t(width) + Denom - 1) / Denom >= MinWidth &&
           (int64_t(height) + Denom - 1) / Denom >= MinHeight;
  };
  unsigned denom = 1;
  while (denom < 8 && covers(denom * 2)) denom *= 2;
  TImage image;
  if (!DecodeJpeg(Data, image, denom)) return false;
  uxInstallImage(image, Bitmap);
  return true;
}

bool TuiFilterPngJpeg::LoadFromFile(const std::string& FileName, TuiBitmap& Bitmap, float Angle) {
  std::optional<std::vector<uint8_t>> data = uxReadImageFile(FileName);
  TImage image;
  if (!data || !Decode(*data, image) || !uxTurnImage(image, Angle)) return false;
  uxInstallImage(image, Bitmap);
  return true;
}

bool TuiFilterPngJpeg::LoadThumbnailFromFile(const std::string& FileName, bool UseEmbedded, TuiBitmap& Bitmap,
                                             float MaxWidth, float MaxHeight) {
  std::optional<std::vector<uint8_t>> data = uxReadImageFile(FileName);
  if (!data) return false;
  int32_t width = 0, height = 0;
  if (IsJpeg(*data)) {
    if (!JpegSize(*data, width, height)) return false;
  } else if (!IsPng(*data) || !PngSize(*data, width, height)) {
    return false;
  }
  const TuiThumbnailSize target = uxThumbnailSize(width, height, UseEmbedded, MaxWidth, MaxHeight);
  // libjpeg can decode at 1/2, 1/4 or 1/8 size for the cost of that size; the
  // rest of the reduction is averaging.
  unsigned denom = 1;
  while (denom < 8 && denom * 2 <= target.Scale) denom *= 2;
  TImage image;
  if (!Decode(*data, image, denom) || !uxReduceImage(image, target.Width, target.Height)) return false;
  uxInstallImage(image, Bitmap);
  return true;
}

bool TuiFilterPngJpeg::SaveToBytes(std::vector<uint8_t>& Data, const TuiBitmap& Bitmap,
                                   std::string_view Format, std::string_view Params) {
  if (Bitmap.IsEmpty()) return false;
  switch (FormatFromName(Format)) {
    case ifPng:
      return EncodePng(Bitmap, Data);
    case ifJpeg:
      return EncodeJpeg(Bitmap, QualityParam(Params).value_or(DefaultJpegQuality), Data);
    default:
      return false;
  }
}

bool TuiFilterPngJpeg::SaveToFile(const std::string& FileName, const TuiBitmap& Bitmap,
                                  std::string_view Params) {
  TuiImageFormat format = FormatFromFileName(FileName);
  if (format != ifPng && format != ifJpeg) return false;
  std::vector<uint8_t> data;
  if (!SaveToBytes(data, Bitmap, format == ifJpeg ? "jpeg" : "png", Params)) return false;
  return uxWriteImageFile(FileName, data);
}
