// Trees of many shapes: N rectangles either all in one parent ("flat") or in
// parents of 100 ("grouped"), on a 640 x 640 scene. Full paint, the repaint
// after one rectangle changes its fill, reading the tree from its binary
// stream, freeing it, and finding the object under a point. The repaint and
// the hit test should cost about the same at every N.
//
// Heap per shape: BM_ShapeHeap reads the allocator's bytes in use (mallinfo2,
// so block overheads count too) before and after making rectangles owned by
// a component and put in a parent, and reports the object's own size.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "draw2d/Draw2dRegistration.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/paint/BufferedScene.h"

namespace {

constexpr int SceneSize = 640;
constexpr int GroupSize = 100;

// Lays Count cells out in a square grid over Side units; returns the cell.
TuiRect Cell(int Index, int Count, float Side) {
  const int perRow = int(std::ceil(std::sqrt(double(Count))));
  const float step = Side / float(perRow);
  const float x = float(Index % perRow) * step, y = float(Index / perRow) * step;
  return {x, y, x + step, y + step};
}

TuiRectangle* AddRect(TuiComponent* Owner, TuiObject* Parent, const TuiRect& R, bool Inset) {
  auto* s = new TuiRectangle(Owner);
  // Inset by a fifth: shapes do not touch, so a repaint of one is its own.
  const float in = Inset ? R.Width() / 5 : 0;
  s->SetBounds(R.Left + in, R.Top + in, R.Width() - 2 * in, R.Height() - 2 * in);
  s->SetParent(Parent);
  return s;
}

// N rectangles under Root, flat or in groups of GroupSize; the one in the
// middle is returned.
TuiRectangle* Populate(TuiComponent* Owner, TuiObject* Root, int N, bool Grouped) {
  TuiRectangle* middle = nullptr;
  if (!Grouped) {
    for (int i = 0; i < N; ++i) {
      TuiRectangle* s = AddRect(Owner, Root, Cell(i, N, SceneSize), true);
      if (i == N / 2) middle = s;
    }
    return middle;
  }
  const int groups = N / GroupSize;
  for (int g = 0; g < groups; ++g) {
    const TuiRect gr = Cell(g, groups, SceneSize);
    TuiRectangle* group = AddRect(Owner, Root, gr, false);
    group->Fill()->SetStyle(uxBrushNone);
    group->Stroke()->SetStyle(uxBrushNone);
    for (int i = 0; i < GroupSize; ++i) {
      TuiRectangle* s = AddRect(Owner, group, Cell(i, GroupSize, gr.Width()), true);
      if (g == groups / 2 && i == GroupSize / 2) middle = s;
    }
  }
  return middle;
}

struct TTree {
  TuiBufferedScene Host{SceneSize, SceneSize};
  std::unique_ptr<TuiComponent> Window = std::make_unique<TuiComponent>(nullptr);
  TuiRectangle* Root = new TuiRectangle(Window.get());
  TuiRectangle* Middle = nullptr;

  TTree(int N, bool Grouped) {
    Root->SetBounds(0, 0, SceneSize, SceneSize);
    Middle = Populate(Window.get(), Root, N, Grouped);
    Host.AddObject(Root);
  }
  ~TTree() { Host.RemoveObject(Root); }
};

void Setup() {
  RegisterCairoCanvas();
  RegisterDraw2dClasses();
}

void BM_FullPaint(benchmark::State& State) {
  Setup();
  TTree tree(int(State.range(0)), State.range(1) != 0);
  for (auto _ : State) {
    tree.Host.InvalidateAll();
    tree.Host.PaintTree();
  }
}

void BM_RepaintOne(benchmark::State& State) {
  Setup();
  TTree tree(int(State.range(0)), State.range(1) != 0);
  tree.Host.InvalidateAll();
  tree.Host.PaintTree();
  bool flip = false;
  for (auto _ : State) {
    flip = !flip;
    tree.Middle->Fill()->SetColorValue(flip ? 0xFFFF0000 : 0xFF00FF00);
    tree.Host.PaintTree();
  }
}

std::string Stored(int N, bool Grouped) {
  auto window = std::make_unique<TuiComponent>(nullptr);
  auto* root = new TuiRectangle(window.get());
  root->SetBounds(0, 0, SceneSize, SceneSize);
  Populate(window.get(), root, N, Grouped);
  return WriteObjectData(*root);
}

void BM_Load(benchmark::State& State) {
  Setup();
  const std::string data = Stored(int(State.range(0)), State.range(1) != 0);
  for (auto _ : State) {
    auto window = std::make_unique<TuiComponent>(nullptr);
    auto* root = new TuiRectangle(window.get());
    ReadObjectData(data, *root, window.get());
    State.PauseTiming();
    window.reset();
    State.ResumeTiming();
  }
  State.SetItemsProcessed(State.iterations() * State.range(0));
}

void BM_Free(benchmark::State& State) {
  Setup();
  for (auto _ : State) {
    State.PauseTiming();
    auto window = std::make_unique<TuiComponent>(nullptr);
    auto* root = new TuiRectangle(window.get());
    Populate(window.get(), root, int(State.range(0)), State.range(1) != 0);
    State.ResumeTiming();
    window.reset();
  }
  State.SetItemsProcessed(State.iterations() * State.range(0));
}

void Sizes(benchmark::internal::Benchmark* B) {
  B->ArgNames({"N", "grouped"});
  for (int grouped : {0, 1})
    for (int n : {100, 1000, 10000, 100000}) B->Args({n, grouped});
  B->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_FullPaint)->Apply(Sizes);
BENCHMARK(BM_RepaintOne)->Apply(Sizes);
BENCHMARK(BM_Load)->Apply(Sizes);
BENCHMARK(BM_Free)->Apply(Sizes);

// Finding the object under a point, at points spread over the scene, after
// the tree was painted once (a parent of many children keeps its index of
// where they paint from then on).
void BM_HitTest(benchmark::State& State) {
  Setup();
  TTree tree(int(State.range(0)), State.range(1) != 0);
  tree.Host.InvalidateAll();
  tree.Host.PaintTree();
  std::vector<TuiPoint> points;
  uint32_t seed = 12345;
  for (int i = 0; i < 1024; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const float x = float(seed >> 8) / float(1 << 24) * SceneSize;
    seed = seed * 1664525u + 1013904223u;
    const float y = float(seed >> 8) / float(1 << 24) * SceneSize;
    points.push_back({x, y});
  }
  size_t i = 0, hits = 0;
  for (auto _ : State) {
    const TuiPoint& p = points[i++ % points.size()];
    TuiVisualObject* hit = tree.Host.ObjectAt(p.X, p.Y);
    hits += hit != tree.Root;
    benchmark::DoNotOptimize(hit);
  }
  State.counters["shape_hits"] = double(hits) / double(std::max<size_t>(i, 1));
}

BENCHMARK(BM_HitTest)->Apply(Sizes);

// Bytes of heap one ordinary rectangle takes, made by its owner and put in a
// parent, averaged over 1000.
void BM_ShapeHeap(benchmark::State& State) {
  Setup();
  constexpr int Count = 1000;
  double perShape = 0;
  for (auto _ : State) {
    auto window = std::make_unique<TuiComponent>(nullptr);
    auto* root = new TuiRectangle(window.get());
    // The lists of owner and parent grow to hold all of them first.
    for (int i = 0; i < 3 * Count / 2; ++i) AddRect(window.get(), root, Cell(i, Count, SceneSize), true);
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < Count; ++i) AddRect(window.get(), root, Cell(i, Count, SceneSize), true);
    perShape = double(mallinfo2().uordblks - before) / Count;
  }
  State.counters["heap_bytes"] = perShape;
  State.counters["object_bytes"] = double(sizeof(TuiRectangle));
}
BENCHMARK(BM_ShapeHeap)->Iterations(1);

}  // namespace
