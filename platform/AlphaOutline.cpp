#include "platform/AlphaOutline.h"

#include <algorithm>

namespace platform {

namespace {

// Branch-free so that the compiler can take several pixels at a time: an LED
// tick compares its whole rectangle on every frame.
inline uint8_t ClassOf(uint32_t Pixel) {
  return uint8_t(uint8_t(Pixel > 0x00FFFFFFu) | uint8_t(uint8_t(Pixel >= 0x80000000u) << 1));
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
  for (int y = part.Top; y < part.Top + part.Height; ++y) {
    const uint32_t* src = Frame.Pixels + size_t(y) * size_t(stride) + size_t(part.Left);
    uint8_t* dst = FClass.data() + size_t(y) * size_t(FSize.Width) + size_t(part.Left);
    for (int x = 0; x < part.Width; ++x) {
      const uint8_t c = ClassOf(src[x]);
      changed |= uint8_t(c ^ dst[x]);
      dst[x] = c;
    }
  }
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
