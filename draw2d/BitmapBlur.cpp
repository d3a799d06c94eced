#include "draw2d/BitmapBlur.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "draw2d/Bitmap.h"

namespace {

// Truncating division by a fixed divisor D by multiplying with a rounded-up
// reciprocal: exact while Sum * D < 2^Shift, which holds for every sum of
// 255 * D or less once D <= (MaxBlurRadius + 1)^2.
class TDivider {
 public:
  explicit TDivider(uint32_t D) : FFactor((uint64_t(1) << Shift) / D + 1) {}
  uint32_t operator()(uint32_t Sum) const { return uint32_t((uint64_t(Sum) * FFactor) >> Shift); }

 private:
  static constexpr int Shift = 48;
  uint64_t FFactor;
};

// The running state of one line for each channel, shifted by 8 bits per channel.
struct TSums {
  uint32_t Sum[4] = {}, In[4] = {}, Out[4] = {};
};

inline uint32_t Channel(uint32_t Pixel, int C) {
  return (Pixel >> (8 * C)) & 0xFF;
}

// Blurs Count pixels spaced Step apart from Src into Dst. With S the kernel
// sum at position x, Out the pixels from x - r to x and In those from x + 1 to
// x + r + 1: S(x + 1) = S(x) + In(x) - Out(x); then each window slides by one.
void BlurLine(const uint32_t* Src, uint32_t* Dst, int32_t Count, size_t Step, int32_t R,
              const TDivider& Div) {
  auto at = [&](int64_t i) { return Src[size_t(std::clamp<int64_t>(i, 0, Count - 1)) * Step]; };
  TSums s;
  for (int c = 0; c < 4; ++c) {
    const uint32_t first = Channel(Src[0], c);
    s.Out[c] = first * uint32_t(R + 1);
    s.Sum[c] = first * uint32_t(R + 1) * uint32_t(R + 2) / 2;
  }
  for (int32_t k = 1; k <= R + 1; ++k) {
    const uint32_t p = at(k);
    for (int c = 0; c < 4; ++c) {
      s.In[c] += Channel(p, c);
      if (k <= R) s.Sum[c] += Channel(p, c) * uint32_t(R + 1 - k);
    }
  }
  for (int32_t x = 0; x < Count; ++x) {
    Dst[size_t(x) * Step] = Div(s.Sum[0]) | Div(s.Sum[1]) << 8 | Div(s.Sum[2]) << 16 | Div(s.Sum[3]) << 24;
    const uint32_t entering = at(int64_t(x) + R + 2), crossing = at(int64_t(x) + 1),
                   leaving = at(int64_t(x) - R);
    for (int c = 0; c < 4; ++c) {
      s.Sum[c] += s.In[c] - s.Out[c];
      s.In[c] += Channel(entering, c) - Channel(crossing, c);
      s.Out[c] += Channel(crossing, c) - Channel(leaving, c);
    }
  }
}

}  // namespace

void StackBlur(TuiBitmap& Bitmap, int32_t Radius) {
  if (Radius <= 0 || Bitmap.IsEmpty()) return;
  const int32_t r = std::min(Radius, MaxBlurRadius);
  const int32_t w = Bitmap.Width(), h = Bitmap.Height();
  const TDivider div(uint32_t(r + 1) * uint32_t(r + 1));
  uint32_t* pixels = Bitmap.Bits();
  // Rows into a copy, then the copy's columns back into the bitmap: each pass
  // reads pixels its own output has not overwritten.
  std::vector<uint32_t> rows(size_t(w) * size_t(h));
  for (int32_t y = 0; y < h; ++y)
    BlurLine(pixels + size_t(y) * size_t(w), rows.data() + size_t(y) * size_t(w), w, 1, r, div);
  for (int32_t x = 0; x < w; ++x) BlurLine(rows.data() + x, pixels + x, h, size_t(w), r, div);
  Bitmap.Changed();
}
