// Pictures arrive inside layouts and files that anyone can hand the program:
// whatever the bytes, decoding must end without a crash, a hang, a process exit
// or a runaway allocation; a refused picture leaves the bitmap as it was, and an
// accepted one is a valid premultiplied picture within the limits that saves
// and reloads.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "draw2d/Bitmap.h"
#include "draw2d/ImageFilterPngJpeg.h"
#include "scene2d/Errors.h"
#include "scene2d/stream/ReadBudget.h"

namespace {

constexpr int64_t FuzzPixels = int64_t(1) << 20;

void Check(bool Condition) {
  if (!Condition) std::abort();
}

bool Premultiplied(const TuiBitmap& B) {
  const uint32_t* p = B.Bits();
  for (size_t i = 0, n = size_t(B.Width()) * size_t(B.Height()); i < n; ++i) {
    uint32_t a = p[i] >> 24;
    if ((p[i] >> 16 & 0xFF) > a || (p[i] >> 8 & 0xFF) > a || (p[i] & 0xFF) > a) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TuiBitmap b(2, 1);
  b.Bits()[0] = 0xFF102030;
  b.Bits()[1] = 0x40302010;
  int changes = 0;
  b.OnChange = [&changes](TuiBitmap*) { ++changes; };

  // Inside a budget, as pictures in streams are: a larger picture would cost
  // seconds a run without reaching any code a smaller one does not, and its
  // refusal must leave the bitmap as any other refusal does.
  bool loaded = false;
  try {
    TuiReadBudget budget(FuzzPixels);
    loaded = b.LoadFromBytes(std::span<const uint8_t>(Data, Size));
  } catch (const EuxReadError&) {
  }
  if (!loaded) {
    Check(changes == 0 && b.Width() == 2 && b.Height() == 1);
    Check(b.Bits()[0] == 0xFF102030 && b.Bits()[1] == 0x40302010);
    return 0;
  }
  Check(changes == 1);
  Check(!b.IsEmpty() && b.Width() <= TuiFilterPngJpeg::MaxSide && b.Height() <= TuiFilterPngJpeg::MaxSide);
  Check(int64_t(b.Width()) * b.Height() <= std::min(TuiFilterPngJpeg::MaxPixels, FuzzPixels));
  Check(Premultiplied(b));

  // Small pictures go round once more: a translucent one must come back word
  // for word, an opaque one (saved as JPEG) at least at its size.
  if (int64_t(b.Width()) * b.Height() <= 64 * 1024) {
    std::vector<uint8_t> saved = b.SaveToBytes();
    TuiBitmap again;
    Check(again.LoadFromBytes(saved));
    Check(again.Width() == b.Width() && again.Height() == b.Height());
    if (saved[0] == 0x89)
      for (size_t i = 0, n = size_t(b.Width()) * size_t(b.Height()); i < n; ++i)
        Check(again.Bits()[i] == b.Bits()[i]);
  }
  return 0;
}
