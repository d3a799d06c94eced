#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AnimationFixture.h"
#include "scene2d/stream/StreamConvert.h"

namespace {

using AnimationLifeCycle = AnimationFixture;

TEST_F(AnimationLifeCycle, ColourFadeWritesAtEveryTickThenLeavesTheTimer) {
  TuiColorAnimation* a = Fade(Shape);
  int finished = 0;
  a->OnFinish = [&](TuiObject* Sender) {
    EXPECT_EQ(Sender, a);
    ++finished;
  };
  a->Start();
  EXPECT_EQ(Shape->Fill()->Color(), "#00000000");
  EXPECT_TRUE(Timer().Active());
  EXPECT_TRUE(a->Enabled());

  // 33 ms steps of 0.2 s: 0.165, 0.33, ... of 0x80, truncated; the seventh
  // tick passes the end and writes the stop value.
  std::vector<uint32_t> alphas;
  for (int i = 0; i < 7; ++i) {
    Tick();
    alphas.push_back(FillAlpha());
  }
  EXPECT_EQ(alphas, (std::vector<uint32_t>{21, 42, 63, 84, 105, 126, 128}));
  EXPECT_EQ(Shape->Fill()->Color(), "#80000000");
  EXPECT_FALSE(a->Running());
  EXPECT_EQ(finished, 1);
  EXPECT_FALSE(Timer().Contains(a));
  EXPECT_FALSE(Timer().Active());
  // Enabled stays as it was after a timed run.
  EXPECT_TRUE(a->Enabled());
}

TEST_F(AnimationLifeCycle, InverseRunsFromTheStopValueToTheStartValue) {
  TuiColorAnimation* a = Fade(Shape);
  a->SetInverse(true);
  a->Start();
  EXPECT_EQ(FillAlpha(), 0x80u);
  Tick(3);
  EXPECT_EQ(FillAlpha(), 64u);  // 0.101 s left of 0.2: 0.505 of 0x80
  Tick(4);
  EXPECT_FALSE(a->Running());
  EXPECT_EQ(Shape->Fill()->Color(), "#00000000");
}

TEST_F(AnimationLifeCycle, LoopWithAutoReverseFlipsAtEachEndForEver) {
  TuiColorAnimation* a = Fade(Shape, 0.1f);
  a->SetLoop(true);
  a->SetAutoReverse(true);
  a->Start();
  // Ticks of 33 ms over 0.1 s: the fourth passes the end (0.132) and flips;
  // down, the third leaves 0.001 and the fourth flips back.
  std::vector<bool> inverse;
  std::vector<uint32_t> alphas;
  for (int i = 0; i < 12; ++i) {
    Tick();
    inverse.push_back(a->Inverse());
    alphas.push_back(FillAlpha());
  }
  EXPECT_EQ(inverse, (std::vector<bool>{false, false, false, true, true, true, true, false, false, false,
                                        false, true}));
  EXPECT_EQ(alphas[3], 0x80u);  // reached the end
  EXPECT_EQ(alphas[6], 1u);
  EXPECT_EQ(alphas[7], 0u);  // back at the start
  EXPECT_TRUE(a->Running());
  EXPECT_TRUE(Timer().Active());
  a->Stop();
  EXPECT_FALSE(Timer().Active());
}

TEST_F(AnimationLifeCycle, LoopAloneRestartsAndAutoReverseAloneDoesNothing) {
  TuiColorAnimation* looping = Fade(Shape, 0.1f);
  looping->SetLoop(true);
  looping->Start();
  Tick(4);  // 0.132 s passes the end: back to 0
  EXPECT_FALSE(looping->Inverse());
  EXPECT_EQ(looping->CurrentTime(), 0.0f);
  EXPECT_TRUE(looping->Running());
  looping->StopAtCurrent();

  TuiColorAnimation* once = Fade(Shape, 0.1f);
  once->SetAutoReverse(true);
  once->Start();
  Tick(4);
  EXPECT_FALSE(once->Running());
  EXPECT_FALSE(once->Inverse());
  EXPECT_EQ(FillAlpha(), 0x80u);
}

TEST_F(AnimationLifeCycle, StopWritesTheEndValueStopAtCurrentKeepsTheValue) {
  TuiColorAnimation* a = Fade(Shape);
  int finished = 0;
  a->OnFinish = [&](TuiObject*) { ++finished; };
  a->Start();
  Tick(3);
  a->StopAtCurrent();
  EXPECT_EQ(FillAlpha(), 63u);
  EXPECT_FALSE(a->Enabled());
  a->Start();
  Tick();
  a->Stop();
  EXPECT_EQ(FillAlpha(), 0x80u);
  EXPECT_EQ(finished, 2);
  a->Stop();  // not running: nothing, no second OnFinish
  EXPECT_EQ(finished, 2);
  EXPECT_FALSE(Timer().Active());
}

TEST_F(AnimationLifeCycle, ShortOrUnhostedAnimationsWriteTheirEndValueAtOnce) {
  struct TCase {
    float Duration;
    bool Hosted;
  };
  for (const TCase c : {TCase{0.0001f, true}, TCase{0.2f, false}}) {
    SCOPED_TRACE(c.Duration);
    TuiVisualObject loose(nullptr);
    TuiObject* parent = c.Hosted ? static_cast<TuiObject*>(Shape) : &loose;
    auto* shape = c.Hosted ? Shape : new TuiRectangle(&loose);
    if (!c.Hosted) shape->SetParent(&loose);
    TuiColorAnimation* a = Fade(shape, c.Duration);
    int finished = 0;
    a->OnFinish = [&](TuiObject*) { ++finished; };
    a->SetEnabled(true);
    EXPECT_EQ(shape->Fill()->Color(), "#80000000");
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(a->Running());
    EXPECT_FALSE(a->Enabled());
    // Every later start is immediate as well.
    EXPECT_EQ(a->Duration(), 0.00001f);
    EXPECT_FALSE(Timer().Active());
    (void)parent;
    a->Free();
  }
}

TEST_F(AnimationLifeCycle, DelayPostponesTheStart) {
  TuiColorAnimation* a = Fade(Shape);
  Shape->Fill()->SetColor("#FFFFFFFF");
  a->SetDelay(0.05f);
  a->Start();
  EXPECT_EQ(Shape->Fill()->Color(), "#FFFFFFFF");  // nothing written yet
  Tick();
  EXPECT_EQ(Shape->Fill()->Color(), "#FFFFFFFF");
  Tick();  // the delay is over: the run starts afresh, still without a value
  EXPECT_EQ(Shape->Fill()->Color(), "#FFFFFFFF");
  Tick();
  EXPECT_EQ(FillAlpha(), 21u);
}

TEST_F(AnimationLifeCycle, AnInvisibleParentKeepsItFromStartingAndStopsItAtTheNextTick) {
  TuiColorAnimation* a = Fade(Shape);
  Shape->Fill()->SetColor("#FFFFFFFF");
  Shape->SetVisible(false);
  a->Start();
  EXPECT_FALSE(a->Running());
  EXPECT_EQ(Shape->Fill()->Color(), "#FFFFFFFF");

  Shape->SetVisible(true);
  a->Start();
  Tick();
  Shape->SetVisible(false);
  Tick();
  EXPECT_FALSE(a->Running());
  EXPECT_EQ(Shape->Fill()->Color(), "#80000000");
  EXPECT_FALSE(Timer().Active());
}

TEST_F(AnimationLifeCycle, NoTimerRunsWhileNothingAnimates) {
  TuiColorAnimation* a = Fade(Shape);
  EXPECT_FALSE(Timer().Active());
  a->Start();
  EXPECT_TRUE(Timer().Active());
  a->Free();  // a running animation that dies leaves the timer
  EXPECT_FALSE(Timer().Active());
  EXPECT_EQ(Timer().Count(), 0);

  // An idle spell is not animation time: the next run starts from 0.
  Clock.Advance(10000);
  TuiColorAnimation* b = Fade(Shape);
  b->Start();
  Tick();
  EXPECT_EQ(FillAlpha(), 21u);
}

TEST_F(AnimationLifeCycle, HandlersMayFreeAnimationsDuringATick) {
  TuiColorAnimation* first = Fade(Shape, 0.05f);
  TuiColorAnimation* second = Fade(Shape, 0.05f);
  TuiColorAnimation* third = Fade(Shape, 0.05f);
  // The timer walks from the last joined: third frees itself and first.
  third->OnFinish = [first](TuiObject* Sender) {
    first->Free();
    Sender->Free();
  };
  int finished = 0;
  second->OnFinish = [&](TuiObject*) { ++finished; };
  first->Start();
  second->Start();
  third->Start();
  Tick(2);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(Shape->ChildrenCount(), 1);
  EXPECT_FALSE(Timer().Active());
}

TEST_F(AnimationLifeCycle, LoadCompletionStartsAnEnabledAnimation) {
  TuiColorAnimation* a = Fade(Shape);
  a->SetName("Hover");
  a->SetTrigger("IsMouseOver=true");
  const std::string text = uxObjectBinaryToText(Shape->SaveToStream());
  // Defaults stay out; HideOnFinish is always written.
  EXPECT_NE(text.find("HideOnFinish = False"), std::string::npos) << text;
  EXPECT_EQ(text.find("Duration"), std::string::npos) << text;
  EXPECT_NE(text.find("StartValue = '#00000000'"), std::string::npos) << text;
  EXPECT_NE(text.find("PropertyName = 'Fill.Color'"), std::string::npos) << text;

  std::string enabled = text;
  enabled.insert(enabled.find("HideOnFinish"), "Enabled = True\n");
  auto* copy = new TuiRectangle(Root.get());
  copy->SetParent(Root.get());
  copy->LoadFromStream(uxObjectTextToBinary(enabled));
  ASSERT_EQ(copy->ChildrenCount(), 1);
  auto* loaded = dynamic_cast<TuiColorAnimation*>(copy->Children(0));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Trigger(), "IsMouseOver=true");
  EXPECT_TRUE(loaded->Running());
  EXPECT_EQ(copy->Fill()->Color(), "#00000000");
}

TEST_F(AnimationLifeCycle, StartAndStopByName) {
  TuiColorAnimation* a = Fade(Shape);
  a->SetName("FadeIn");
  Shape->StartAnimation("fadein");
  EXPECT_TRUE(a->Running());
  Shape->StopAnimation("FADEIN");
  EXPECT_FALSE(a->Running());
  EXPECT_EQ(FillAlpha(), 0x80u);
}

}  // namespace

namespace {

// The caret of a text control blinks when its host animates carets: shown,
// it fades out and back in on the shared timer until the control goes.
TEST_F(AnimationFixture, ACaretBlinksOnTheSharedTimerWhereTheHostAnimatesCarets) {
  Host.AnimatedCaret = true;
  Root->ShowTextCaret();
  TuiVisualObject* caret = Root->Caret();
  ASSERT_NE(caret, nullptr);
  ASSERT_EQ(caret->ChildrenCount(), 1);
  auto* blink = dynamic_cast<TuiFloatAnimation*>(caret->Children(0));
  ASSERT_NE(blink, nullptr);
  EXPECT_EQ(blink->BindingName(), "caret");
  EXPECT_FALSE(blink->Stored());
  EXPECT_TRUE(blink->Running());
  float lowest = 1;
  for (int i = 0; i < 30; ++i) {
    Tick();
    lowest = std::min(lowest, caret->Opacity());
  }
  EXPECT_LT(lowest, 0.5f) << "the caret fades";
  EXPECT_TRUE(blink->Running()) << "and goes on blinking";
  Root.reset();
  EXPECT_FALSE(Timer().Active()) << "nothing is left animating once the control is gone";
}

}  // namespace
