// 3D animations in a scene window: the shared timer of the window system, or
// the idle pass of a RealTime scene.
#include <gtest/gtest.h>

#include "scene3d/AniThread.h"
#include "scene3d/Animations.h"
#include "tests/scene3d/host/SceneHostFixture.h"

namespace {

TscFloatAnimation* Slide(TscObject* Parent, const char* Path) {
  auto* a = new TscFloatAnimation(nullptr);
  a->SetPropertyName(Path);
  a->SetDuration(0.2f);
  a->SetStopValue(200);
  Parent->AddObject(a);
  return a;
}

TEST_F(SceneHostTest, AnimationsRunOnTheWindowTimerOrOnTheIdlePass) {
  TscVisualObject* root = AddRoot();
  TscFloatAnimation* timed = Slide(root, "Position.X");
  timed->Start();
  EXPECT_TRUE(TscAniThread::Instance().Active());
  System.RunUntil(System.Clock().Now() + 100);
  EXPECT_NEAR(root->Position()->X(), 100, 1e-3);
  System.RunUntil(System.Clock().Now() + 100);
  EXPECT_EQ(root->Position()->X(), 200);
  EXPECT_FALSE(TscAniThread::Instance().Active());

  // Idle passes at 0, 40 and 80 ms step by the time between them (the first
  // by a millisecond), and the animation never joins the timer.
  Scene->SetRealTimeSleep(40);
  Scene->SetRealTime(true);
  TscFloatAnimation* idle = Slide(root, "Position.Y");
  idle->Start();
  EXPECT_EQ(TscAniThread::Instance().Count(), 0);
  System.RunUntil(System.Clock().Now() + 100);
  EXPECT_NEAR(root->Position()->Y(), 1000 * (0.001f + 0.040f + 0.040f), 1e-2);
  EXPECT_TRUE(idle->Running());
  EXPECT_FALSE(TscAniThread::Instance().Active());
  Scene->SetRealTime(false);
}

}  // namespace
