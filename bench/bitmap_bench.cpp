// The console's picture is a 1094 x 1094 JPEG decoded at every start; style
// sheets carry translucent PNG images; a saved layout encodes them again.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "draw2d/Bitmap.h"

namespace {

constexpr int32_t Side = 1094;

// Dark line art on a light ground, as the console picture is drawn.
std::unique_ptr<TuiBitmap> LineArt(bool Translucent) {
  auto b = std::make_unique<TuiBitmap>(Side, Side);
  for (int32_t y = 0; y < Side; ++y)
    for (int32_t x = 0; x < Side; ++x) {
      double d = std::hypot(x - Side / 2.0, y - Side / 2.0);
      bool line = std::fmod(d, 40) < 3 || x % 97 < 2 || y % 131 < 2;
      uint32_t grey = line ? 0x30 : 0xE8 - uint32_t(d / 8) % 32;
      uint32_t alpha = Translucent ? (line ? 0xFF : 0x80) : 0xFF;
      uint32_t c = grey * alpha / 255;
      b->Scanline(y)[x] = alpha << 24 | c << 16 | c << 8 | c;
    }
  return b;
}

void BM_DecodeConsoleJpeg(benchmark::State& state) {
  std::vector<uint8_t> jpeg = LineArt(false)->SaveToBytes();
  for (auto _ : state) {
    TuiBitmap b;
    benchmark::DoNotOptimize(b.LoadFromBytes(jpeg));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(jpeg.size()));
}
BENCHMARK(BM_DecodeConsoleJpeg)->Unit(benchmark::kMillisecond);

void BM_DecodeTranslucentPng(benchmark::State& state) {
  std::vector<uint8_t> png = LineArt(true)->SaveToBytes();
  for (auto _ : state) {
    TuiBitmap b;
    benchmark::DoNotOptimize(b.LoadFromBytes(png));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(png.size()));
}
BENCHMARK(BM_DecodeTranslucentPng)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
  auto b = LineArt(state.range(0) != 0);
  for (auto _ : state) benchmark::DoNotOptimize(b->SaveToBytes());
}
BENCHMARK(BM_Save)->Arg(0)->Arg(1)->ArgName("translucent")->Unit(benchmark::kMillisecond);

}  // namespace
