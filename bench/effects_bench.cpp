// The blur of the soft effects on a 300 x 300 picture: its cost per pixel
// must not grow with the radius (compare the items_per_second of the radii).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "draw2d/Bitmap.h"
#include "draw2d/BitmapBlur.h"

static void BM_StackBlur300(benchmark::State& State) {
  const auto radius = int32_t(State.range(0));
  TuiBitmap bitmap(300, 300);
  // A picture with edges, as a silhouette gives: an opaque disc.
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x = 0; x < 300; ++x)
      if ((x - 150) * (x - 150) + (y - 150) * (y - 150) < 100 * 100) bitmap.Scanline(y)[x] = 0xFF8040C0;
  for (auto _ : State) {
    StackBlur(bitmap, radius);
    benchmark::DoNotOptimize(bitmap.Bits());
  }
  State.SetItemsProcessed(State.iterations() * 300 * 300);
}
BENCHMARK(BM_StackBlur300)->Arg(2)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);
