#include "draw2d/ImagePixels.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <new>

#include "draw2d/Bitmap.h"
#include "draw2d/ImageFilter.h"
#include "scene2d/Errors.h"
#include "scene2d/Geometry.h"

bool uxImageWithinLimits(int64_t Width, int64_t Height) {
  return Width > 0 && Height > 0 && Width <= TuiFilter::MaxSide && Height <= TuiFilter::MaxSide &&
         Width * Height <= TuiFilter::MaxPixels;
}

// Uninitialised on purpose: the decoder fills every word, and a refused
// picture should cost no more than the allocation.
std::unique_ptr<uint32_t[]> uxAllocatePixels(int64_t Width, int64_t Height) {
  return std::unique_ptr<uint32_t[]>(new (std::nothrow) uint32_t[size_t(Width) * size_t(Height)]);
}

uint32_t uxPremultiplyPixel(uint32_t P) {
  uint32_t a = P >> 24;
  if (a == 255) return P;
  if (a == 0) return 0;
  uint32_t r = (P >> 16 & 0xFF) * a / 255;
  uint32_t g = (P >> 8 & 0xFF) * a / 255;
  uint32_t b = (P & 0xFF) * a / 255;
  return a << 24 | r << 16 | g << 8 | b;
}

// For any channel c <= a the straight value s = ceil(c * 255 / a)
// premultiplies back to exactly c, so a saved PNG reloads into the very same
// words.
uint32_t uxUnpremultiplyForSaving(uint32_t P) {
  uint32_t a = P >> 24;
  if (a == 255) return P;
  if (a == 0) return 0;
  auto up = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a - 1) / a); };
  return a << 24 | up(P >> 16 & 0xFF) << 16 | up(P >> 8 & 0xFF) << 8 | up(P & 0xFF);
}

// A file that exists but does not open is the caller's error, as with any file
// stream.
std::optional<std::vector<uint8_t>> uxReadImageFile(const std::string& FileName) {
  std::ifstream file(FileName, std::ios::binary);
  if (!file) throw EuxError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
  return ReadStreamBytes(file, TuiFilter::MaxInputBytes);
}

bool uxWriteImageFile(const std::string& FileName, const std::vector<uint8_t>& Data) {
  std::ofstream file(FileName, std::ios::binary | std::ios::trunc);
  if (!file) throw EuxError("Cannot create file \"" + FileName + "\". " + std::strerror(errno));
  file.write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
  return bool(file);
}

namespace {

using TImage = TuiDecodedImage;

// Turns by a multiple of 90 degrees, clockwise on the y-down screen.
TImage RotateQuarter(const TImage& Src, int Quarters) {
  int64_t w = Src.Width, h = Src.Height;
  bool swap = Quarters % 2 == 1;
  TImage out{int32_t(swap ? h : w), int32_t(swap ? w : h), uxAllocatePixels(w, h)};
  if (!out.Pixels) return out;
  for (int64_t y = 0; y < h; ++y)
    for (int64_t x = 0; x < w; ++x) {
      int64_t dx = x, dy = y;
      if (Quarters == 1) dx = h - 1 - y, dy = x;
      if (Quarters == 2) dx = w - 1 - x, dy = h - 1 - y;
      if (Quarters == 3) dx = y, dy = w - 1 - x;
      out.Pixels[size_t(dy * out.Width + dx)] = Src.Pixels[size_t(y * w + x)];
    }
  return out;
}

// Bilinear sample at a pixel-centre coordinate; outside the picture is
// transparent, so the edges fade out as they do under any smooth rasteriser.
uint32_t Sample(const TImage& Src, double X, double Y) {
  X -= 0.5, Y -= 0.5;
  double fx = std::floor(X), fy = std::floor(Y);
  int64_t x0 = int64_t(fx), y0 = int64_t(fy);
  double tx = X - fx, ty = Y - fy;
  double acc[4] = {0, 0, 0, 0};
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      int64_t x = x0 + i, y = y0 + j;
      if (x < 0 || y < 0 || x >= Src.Width || y >= Src.Height) continue;
      double weight = (i ? tx : 1 - tx) * (j ? ty : 1 - ty);
      uint32_t p = Src.Pixels[size_t(y * Src.Width + x)];
      for (int c = 0; c < 4; ++c) acc[c] += weight * double(p >> (c * 8) & 0xFF);
    }
  uint32_t result = 0;
  for (int c = 0; c < 4; ++c) result |= uint32_t(std::min(255.0, std::floor(acc[c] + 0.5))) << (c * 8);
  return result;
}

// The picture turned clockwise by Degrees about its centre, in the rounded
// bounding box of its turned corners.
bool RotateFree(const TImage& Src, double Degrees, TImage& Out) {
  double rad = Degrees * 3.14159265358979323846 / 180;
  double c = std::cos(rad), s = std::sin(rad);
  double w = RoundHalfEven(std::abs(Src.Width * c) + std::abs(Src.Height * s));
  double h = RoundHalfEven(std::abs(Src.Width * s) + std::abs(Src.Height * c));
  if (!uxImageWithinLimits(int64_t(w), int64_t(h))) return false;
  TImage out{int32_t(w), int32_t(h), uxAllocatePixels(int64_t(w), int64_t(h))};
  if (!out.Pixels) return false;
  for (int32_t y = 0; y < out.Height; ++y)
    for (int32_t x = 0; x < out.Width; ++x) {
      double dx = x + 0.5 - w / 2, dy = y + 0.5 - h / 2;
      out.Pixels[size_t(y) * size_t(out.Width) + size_t(x)] =
          Sample(Src, dx * c + dy * s + Src.Width / 2.0, -dx * s + dy * c + Src.Height / 2.0);
    }
  Out = std::move(out);
  return true;
}

// Averages whole source pixels into each target pixel; Width and Height are at
// most the source's.
TImage Reduce(const TImage& Src, int32_t Width, int32_t Height) {
  TImage out{Width, Height, uxAllocatePixels(Width, Height)};
  if (!out.Pixels) return out;
  for (int64_t y = 0; y < Height; ++y) {
    int64_t y0 = y * Src.Height / Height, y1 = std::max(y0 + 1, (y + 1) * Src.Height / Height);
    for (int64_t x = 0; x < Width; ++x) {
      int64_t x0 = x * Src.Width / Width, x1 = std::max(x0 + 1, (x + 1) * Src.Width / Width);
      uint64_t acc[4] = {0, 0, 0, 0};
      for (int64_t sy = y0; sy < y1; ++sy)
        for (int64_t sx = x0; sx < x1; ++sx) {
          uint32_t p = Src.Pixels[size_t(sy * Src.Width + sx)];
          for (int c = 0; c < 4; ++c) acc[c] += p >> (c * 8) & 0xFF;
        }
      uint64_t n = uint64_t((y1 - y0) * (x1 - x0));
      uint32_t result = 0;
      for (int c = 0; c < 4; ++c) result |= uint32_t((acc[c] + n / 2) / n) << (c * 8);
      out.Pixels[size_t(y * Width + x)] = result;
    }
  }
  return out;
}

}  // namespace

bool uxTurnImage(TuiDecodedImage& Image, float Angle) {
  double angle = std::isfinite(Angle) ? std::fmod(double(Angle), 360.0) : 0;
  if (angle < 0) angle += 360;
  if (angle == 0) return true;
  if (std::fmod(angle, 90) == 0) {
    Image = RotateQuarter(Image, int(angle / 90));
    return bool(Image.Pixels);
  }
  TImage turned;
  if (!RotateFree(Image, angle, turned)) return false;
  Image = std::move(turned);
  return true;
}

TuiThumbnailSize uxThumbnailSize(int32_t Width, int32_t Height, bool UseEmbedded, float MaxWidth,
                                 float MaxHeight) {
  TuiRect fitted{0, 0, float(Width), float(Height)};
  double scale = FitRect(fitted, TuiRect{0, 0, MaxWidth, MaxHeight});
  if (scale == 0) scale = 0.001;
  scale = std::max(scale, 1.0);
  int32_t targetWidth, targetHeight;
  if (UseEmbedded) {
    targetWidth = int32_t(RoundHalfEven(Width / scale));
    targetHeight = int32_t(RoundHalfEven(Height / scale));
  } else {
    targetWidth = int32_t(fitted.Width());
    targetHeight = int32_t(fitted.Height());
  }
  // A very thin picture must not round a side away to nothing.
  return {std::max(targetWidth, 1), std::max(targetHeight, 1), scale};
}

bool uxReduceImage(TuiDecodedImage& Image, int32_t Width, int32_t Height) {
  if (Width >= Image.Width && Height >= Image.Height) return true;
  Image = Reduce(Image, std::min(Width, Image.Width), std::min(Height, Image.Height));
  return bool(Image.Pixels);
}

void uxInstallImage(TuiDecodedImage& Image, TuiBitmap& Bitmap) {
  Bitmap.AdoptPixels(Image.Width, Image.Height, std::move(Image.Pixels));
}
