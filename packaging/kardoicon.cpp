// kardoicon PICTOGRAM SIZE OUT.png: the program's icon, the console's
// pictogram reduced to SIZE x SIZE pixels. Run by the build for each icon size
// the desktop asks for; a pictogram that is not square is centred on a
// transparent square, since icon themes draw every icon into a square.
//
// The pictogram's lines are about a sixtieth of its side: reduced plainly to
// 48 pixels they come out under a pixel wide and dark grey. Small icons are
// therefore made at four times their size, the lines widened there, and the
// result averaged down, which keeps them light and nearly two pixels wide.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "draw2d/Bitmap.h"
#include "draw2d/ImageFilter.h"
#include "tools/common/ToolFiles.h"

namespace {

constexpr int Supersampling = 4;

// Each channel the largest over a (2 Radius + 1) square: light lines on a dark
// ground grow by Radius on each side.
void Widen(TuiBitmap& Bitmap, int Radius) {
  const int32_t w = Bitmap.Width(), h = Bitmap.Height();
  const auto max = [](uint32_t a, uint32_t b) {
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8)
      r |= std::max((a >> shift) & 0xFF, (b >> shift) & 0xFF) << shift;
    return r;
  };
  TuiBitmap across(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint32_t v = 0;
      for (int32_t i = std::max(0, x - Radius); i <= std::min(w - 1, x + Radius); ++i)
        v = max(v, Bitmap.Scanline(y)[i]);
      across.Scanline(y)[x] = v;
    }
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint32_t v = 0;
      for (int32_t j = std::max(0, y - Radius); j <= std::min(h - 1, y + Radius); ++j)
        v = max(v, across.Scanline(j)[x]);
      Bitmap.Scanline(y)[x] = v;
    }
}

// Each Factor x Factor block averaged into one pixel, channel by channel
// (the pixels are premultiplied, so averaging them is right at the edges).
void Reduce(const TuiBitmap& Bitmap, int Factor, TuiBitmap& Out) {
  Out.SetSize(Bitmap.Width() / Factor, Bitmap.Height() / Factor);
  for (int32_t y = 0; y < Out.Height(); ++y)
    for (int32_t x = 0; x < Out.Width(); ++x) {
      uint32_t sums[4] = {};
      for (int j = 0; j < Factor; ++j)
        for (int i = 0; i < Factor; ++i) {
          const uint32_t p = Bitmap.Scanline(y * Factor + j)[x * Factor + i];
          for (int c = 0; c < 4; ++c) sums[c] += (p >> (8 * c)) & 0xFF;
        }
      uint32_t p = 0;
      const uint32_t n = uint32_t(Factor * Factor);
      for (int c = 0; c < 4; ++c) p |= ((sums[c] + n / 2) / n) << (8 * c);
      Out.Scanline(y)[x] = p;
    }
}

int Fail(const std::string& Message) {
  std::fprintf(stderr, "kardoicon: %s\n", Message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: kardoicon PICTOGRAM SIZE OUT.png\n");
    return 2;
  }
  const std::string in = argv[1], out = argv[3];
  const std::string_view sizeText = argv[2];
  int size = 0;
  const auto [end, error] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
  if (error != std::errc() || end != sizeText.data() + sizeText.size() || size < 16 || size > 1024) {
    std::fprintf(stderr, "kardoicon: SIZE must be a number of pixels from 16 to 1024\n");
    return 2;
  }
  try {
    // The thumbnail loader lets libjpeg decode at a fraction of the size and
    // averages the rest, which keeps the thin lines as grey rather than
    // dropping them as point sampling would.
    const int32_t side = size * Supersampling;
    TuiBitmap picture;
    if (!picture.LoadThumbnailFromFile(in, float(side), float(side), false))
      return Fail(in + ": not a readable PNG or JPEG picture");
    TuiBitmap large(side, side);
    const int32_t left = (side - picture.Width()) / 2, top = (side - picture.Height()) / 2;
    for (int32_t y = 0; y < picture.Height(); ++y)
      std::copy_n(picture.Scanline(y), picture.Width(), large.Scanline(top + y) + left);
    // At 128 pixels and above the lines are two pixels wide or more already.
    if (size < 128) Widen(large, 128 / size);
    TuiBitmap icon;
    Reduce(large, Supersampling, icon);
    std::vector<uint8_t> png;
    const auto filter = TuiFilterRegistry::Instance().CreateDefault();
    if (!filter || !filter->SaveToBytes(png, icon, "png", {}) || png.empty())
      return Fail(out + ": the icon does not encode");
    uxWriteToolOutput(out, std::string(png.begin(), png.end()));
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  return 0;
}
