#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "draw2d/Draw2dRegistration.h"
#include "draw2d/ShapeRectangles.h"
#include "platform/VirtualClock.h"
#include "scene2d/AnimationTimer.h"
#include "scene2d/ValueAnimations.h"
#include "tests/scene2d/testing/TestHost.h"

// A hosted tree, Root > Shape (a rectangle with a solid fill), on a virtual
// clock that drives the animation timer. Members go in reverse: the tree
// before the host, the timer's source before the clock.
class AnimationFixture : public ::testing::Test {
 protected:
  struct TInstall {
    explicit TInstall(platform::ITimerSource& Source) { TuiAnimationTimer::Instance().SetSource(&Source); }
    ~TInstall() { TuiAnimationTimer::Instance().SetSource(nullptr); }
  };

  AnimationFixture() {
    RegisterDraw2dClasses();
    Host.AddObject(Root.get());
    Shape = new TuiRectangle(Root.get());
    Shape->SetParent(Root.get());
  }

  // One tick of the animation timer.
  void Tick(int Count = 1) { Clock.Advance(uint64_t(TuiAnimationTimer::Interval) * uint64_t(Count)); }
  uint32_t FillAlpha() const { return Shape->Fill()->ColorValue() >> 24; }
  static TuiAnimationTimer& Timer() { return TuiAnimationTimer::Instance(); }

  TuiColorAnimation* Fade(TuiObject* Parent, float Duration = 0.2f) {
    auto* a = new TuiColorAnimation(Parent);
    a->SetParent(Parent);
    a->SetPropertyName("Fill.Color");
    a->SetStartValue("#00000000");
    a->SetStopValue("#80000000");
    a->SetDuration(Duration);
    return a;
  }

  platform::TVirtualClock Clock;
  TInstall Install{Clock};
  TTestHost Host;
  std::unique_ptr<TuiVisualObject> Root = std::make_unique<TuiVisualObject>(nullptr);
  TuiRectangle* Shape = nullptr;
};
