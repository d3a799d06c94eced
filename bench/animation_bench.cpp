// One tick of the animation timer with 20 colour animations running on a
// loaded tree: the paths were resolved at start, so a tick is the easing, the
// colour interpolation, the brush's native colour setter and the repaint
// request of each driven shape.
#include <benchmark/benchmark.h>

#include <memory>

#include "draw2d/Draw2dRegistration.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "platform/VirtualClock.h"
#include "scene2d/AnimationTimer.h"
#include "scene2d/ValueAnimations.h"
#include "scene2d/paint/BufferedScene.h"

namespace {

constexpr int Animated = 20;

void BM_AnimationTick(benchmark::State& State) {
  RegisterCairoCanvas();
  RegisterDraw2dClasses();
  platform::TVirtualClock clock;
  TuiAnimationTimer::Instance().SetSource(&clock);
  {
    // 20 panels of 20 rectangles; every 20th rectangle fades for ever.
    TuiBufferedScene host(880, 880);
    auto root = std::make_unique<TuiVisualObject>(nullptr);
    root->SetBounds(0, 0, 880, 880);
    host.AddObject(root.get());
    for (int p = 0; p < 20; ++p) {
      auto* panel = new TuiVisualObject(root.get());
      panel->SetParent(root.get());
      panel->SetBounds(20, float(p * 42 + 20), 840, 40);
      for (int r = 0; r < 20; ++r) {
        auto* box = new TuiRectangle(panel);
        box->SetParent(panel);
        box->SetBounds(float(r * 42), 0, 40, 40);
        if (r != p) continue;
        auto* a = new TuiColorAnimation(box);
        a->SetParent(box);
        a->SetPropertyName("Fill.Color");
        a->SetStartValue("#00000000");
        a->SetStopValue("#80000000");
        a->SetDuration(0.4f);
        a->SetLoop(true);
        a->SetAutoReverse(true);
        a->Start();
      }
    }
    // The host's dirty list stays bounded (past 20 rectangles it keeps their
    // union), so the loop measures the ticks, not painting.
    for (auto _ : State) clock.Advance(TuiAnimationTimer::Interval);
    State.counters["per_animation"] = benchmark::Counter(
        double(State.iterations()) * Animated, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  }
  TuiAnimationTimer::Instance().SetSource(nullptr);
}
BENCHMARK(BM_AnimationTick);

}  // namespace
