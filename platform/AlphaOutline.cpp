#include "platform/AlphaOutline.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

namespace {

inline uint8_t ClassOf(uint32_t Pixel) {
  return uint8_t(uint8_t(Pixel > 0x00FFFFFFu) | uint8_t(uint8_t(Pixel >= 0x80000000u) << 1));
}

// Classes Count pixels of Src into Dst; nonzero when any class changed. Every
// frame compares its changed rectangle, and a whole frame is 140,000 pixels,
// so sixteen go at a time where the processor allows.
uint8_t ClassifyRow(const uint32_t* Src, uint8_t* Dst, int Count) {
  uint8_t changed = 0;
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi32(1);
  auto classes = [&](const uint32_t* P) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
    const __m128i input = _mm_andnot_si128(_mm_cmpeq_epi32(_mm_srli_epi32(p, 24), zero), one);
    return _mm_or_si128(input, _mm_slli_epi32(_mm_srli_epi32(p, 31), 1));
  };
  __m128i diff = zero;
  for (; x + 16 <= Count; x += 16) {
    const __m128i lo = _mm_packs_epi32(classes(Src + x), classes(Src + x + 4));
    const __m128i hi = _mm_packs_epi32(classes(Src + x + 8), classes(Src + x + 12));
    const __m128i c = _mm_packus_epi16(lo, hi);
    __m128i* d = reinterpret_cast<__m128i*>(Dst + x);
    diff = _mm_or_si128(diff, _mm_xor_si128(c, _mm_loadu_si128(d)));
    _mm_storeu_si128(d, c);
  }
  changed = uint8_t(_mm_movemask_epi8(_mm_cmpeq_epi8(diff, zero)) != 0xFFFF);
#endif
  for (; x < Count; ++x) {
    const uint8_t c = ClassOf(Src[x]);
    changed |= uint8_t(c ^ Dst[x]);
    Dst[x] = c;
  }
  return changed;
}

}  // namespace

void TAlphaOutline::Reset(TSize Size) {
  FSize = Size;
  FClass.assign(size_t(std::max(Size.Width, 0)) * size_t(std::max(Size.Height, 0)), 0);
}

bool TAlphaOutline::Update(const TFrame& Frame, const TRect& Part) {
  const TRect part = Intersect(Part, {0, 0, FSize.Width, FSize.Height});
  if (part.Empty() || !Frame.Pixels) return false;
  const int stride = Frame.Stride > 0 ? Frame.Stride : Frame.Width;
  uint8_t changed = 0;
  for (int y = part.Top; y < part.Top + part.Height; ++y)
    changed |= ClassifyRow(Frame.Pixels + size_t(y) * size_t(stride) + size_t(part.Left),
                           FClass.data() + size_t(y) * size_t(FSize.Width) + size_t(part.Left), part.Width);
  return changed != 0;
}

bool TAlphaOutline::At(int X, int Y, TLevel Level) const {
  if (X < 0 || Y < 0 || X >= FSize.Width || Y >= FSize.Height) return false;
  return (FClass[size_t(Y) * size_t(FSize.Width) + size_t(X)] & Level) != 0;
}

std::vector<TShapeRect> TAlphaOutline::Rectangles(const TRect& Part, TLevel Level) const {
  const TRect part = Intersect(Part, {0, 0, FSize.Width, FSize.Height});
  std::vector<TShapeRect> out;
  if (part.Empty()) return out;
  // The runs of the band being grown: [first, end) of out, all with the
  // band's top; a row with the same runs makes them one row taller.
  std::vector<std::pair<int, int>> runs, previous;
  size_t bandStart = 0;
  for (int y = part.Top; y < part.Top + part.Height; ++y) {
    runs.clear();
    const uint8_t* row = FClass.data() + size_t(y) * size_t(FSize.Width);
    for (int x = part.Left, end = part.Left + part.Width; x < end;) {
      while (x < end && !(row[x] & Level)) ++x;
      if (x == end) break;
      const int start = x;
      while (x < end && (row[x] & Level)) ++x;
      runs.emplace_back(start, x - start);
    }
    if (y > part.Top && runs == previous) {
      for (size_t i = bandStart; i < out.size(); ++i) ++out[i].Height;
      continue;
    }
    bandStart = out.size();
    for (const auto& [x, width] : runs) out.push_back({x, y, width, 1});
    std::swap(runs, previous);
  }
  return out;
}

}  // namespace platform
