// Styles are cloned by streaming them out and back in, so every brush colour and
// every point or rectangle of a style goes through these text forms each time a
// control takes its style. This keeps an eye on what one such text costs.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "scene2d/Colors.h"
#include "scene2d/TextForms.h"

static void BM_TextToColorHex(benchmark::State& state) {
  const std::vector<std::string> texts = {"#FF3E3E3E", "#FFFFFF00", "#FFFF0000", "#FF00FF00", "#80FFFFFF"};
  for (auto _ : state)
    for (const std::string& t : texts) benchmark::DoNotOptimize(TextToColor(t));
}
BENCHMARK(BM_TextToColorHex);

static void BM_TextToColorName(benchmark::State& state) {
  const std::vector<std::string> texts = {"aliceblue", "Red", "YELLOWGREEN", "darkslategrey",
                                          "Mediumvioletred"};
  for (auto _ : state)
    for (const std::string& t : texts) benchmark::DoNotOptimize(TextToColor(t));
}
BENCHMARK(BM_TextToColorName);

static void BM_ColorToText(benchmark::State& state) {
  TuiColor c = 0xFF3E3E3E;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ColorToText(c));
    c += 0x01010101;
  }
}
BENCHMARK(BM_ColorToText);

static void BM_RectTextRoundTrip(benchmark::State& state) {
  TuiRect r{2, 2.5f, -12.25f, 96};
  for (auto _ : state) benchmark::DoNotOptimize(TextToRect(RectToText(r)));
}
BENCHMARK(BM_RectTextRoundTrip);
