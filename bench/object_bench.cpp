// The object tree's hot paths: property writes as animations make them many
// times a second, and a layout with a great many siblings read, written and
// freed (the teardown that once rescanned every sibling per removal).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "scene2d/Layouts.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/PropertyHandle.h"
#include "scene2d/Registration.h"
#include "scene2d/stream/StreamWriter.h"

namespace {

float Wave(int64_t I) {
  return float(I % 100) / 100.0f;
}

void BM_DirectSetter(benchmark::State& State) {
  TuiLayout o(nullptr);
  int64_t i = 0;
  for (auto _ : State) o.SetOpacity(Wave(++i));
  benchmark::DoNotOptimize(o.Opacity());
}
BENCHMARK(BM_DirectSetter);

void BM_ResolvedSetFloat(benchmark::State& State) {
  TuiLayout parent(nullptr);
  auto* child = new TuiLayout(nullptr);
  parent.AddObject(child);
  TuiPropertyHandle h(*child, "Parent.Opacity", uxPathSkipNonObjects);
  int64_t i = 0;
  for (auto _ : State) h.SetFloat(Wave(++i));
  benchmark::DoNotOptimize(parent.Opacity());
}
BENCHMARK(BM_ResolvedSetFloat);

void BM_ResolvedSetConverted(benchmark::State& State) {
  TuiLayout o(nullptr);
  TuiPropertyHandle h(o, "Opacity");
  int64_t i = 0;
  for (auto _ : State) h.Set(double(Wave(++i)));
  benchmark::DoNotOptimize(o.Opacity());
}
BENCHMARK(BM_ResolvedSetConverted);

void BM_SetPropertyByName(benchmark::State& State) {
  TuiLayout o(nullptr);
  int64_t i = 0;
  for (auto _ : State) o.SetProperty("Opacity", double(Wave(++i)));
  benchmark::DoNotOptimize(o.Opacity());
}
BENCHMARK(BM_SetPropertyByName);

// A root layout with N unnamed layout children, in the binary form.
std::string Siblings(int N) {
  TuiStreamWriter w;
  w.WriteSignature();
  auto object = [&](bool Close) {
    TuiObjectHeader h;
    h.ClassName = "TuiLayout";
    w.WriteObjectHeader(h);
    w.WriteEnd();             // properties
    if (Close) w.WriteEnd();  // children
  };
  object(false);
  for (int i = 0; i < N; ++i) object(true);
  w.WriteEnd();
  return w.TakeData();
}

void BM_SiblingsReadWriteFree(benchmark::State& State) {
  RegisterScene2dClasses();
  const std::string data = Siblings(int(State.range(0)));
  for (auto _ : State) {
    auto window = std::make_unique<TuiComponent>(nullptr);
    auto* root = new TuiLayout(window.get());
    ReadObjectData(data, *root, window.get());
    benchmark::DoNotOptimize(WriteObjectData(*root).size());
    window.reset();
  }
  State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_SiblingsReadWriteFree)->Arg(300000)->Unit(benchmark::kMillisecond);

}  // namespace
