#include <gtest/gtest.h>

#include <string>

#include "AnimationFixture.h"

namespace {

// A control-like object with the pressed state the controls publish.
class TPressable : public TuiVisualObject {
  UX_CLASS(TPressable, TuiVisualObject)
 public:
  explicit TPressable(TuiComponent* Owner) : TuiVisualObject(Owner) {}
  bool IsPressed() const { return FIsPressed; }
  void SetMouseOver(bool Value) { FIsMouseOver = Value; }
  bool FIsPressed = false;
  static void DefineProperties(TuiClassBuilder<TPressable>& C) {
    C.Property("IsPressed", &TPressable::IsPressed, static_cast<void (TPressable::*)(bool)>(nullptr)).Stored =
        false;
  }
};
UX_IMPLEMENT_CLASS(TPressable)

using Triggers = AnimationFixture;

TEST_F(Triggers, ConditionsMustAllMatchTheInstance) {
  struct TCase {
    const char* Trigger;
    const char* Raised;
    bool MouseOver, Pressed;
    bool Starts;
  };
  const TCase cases[] = {
      {"IsMouseOver=true;IsPressed=false", "IsMouseOver", true, false, true},
      {"IsMouseOver=true;IsPressed=false", "IsMouseOver", true, true, false},
      {"IsMouseOver=true;IsPressed=false", "IsMouseOver", false, false, false},
      // Any name the text mentions evaluates the whole text.
      {"IsMouseOver=true;IsPressed=false", "IsPressed", true, false, true},
      {"IsMouseOver=true;IsPressed=false", "IsFocused", true, false, false},
      {"IsMouseOver=TRUE", "ismouseover", true, false, true},
      {" IsMouseOver = true ; IsPressed = False ", "IsMouseOver", true, false, true},
      // Unknown names and non-enumeration properties are passed over...
      {"NoSuchThing=true;IsMouseOver=true", "IsMouseOver", true, false, true},
      {"Width=50;IsMouseOver=true", "IsMouseOver", true, false, true},
      // ...but something must have been checked.
      {"NoSuchThing=true", "NoSuchThing", true, false, false},
      {"", "", true, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Trigger) + " raised as " + c.Raised);
    auto* button = new TPressable(Root.get());
    button->SetParent(Root.get());
    button->SetMouseOver(c.MouseOver);
    button->FIsPressed = c.Pressed;
    TuiColorAnimation* a = Fade(button);
    a->SetTrigger(c.Trigger);
    button->StartTriggerAnimation(button, c.Raised);
    EXPECT_EQ(a->Running(), c.Starts);
    button->Free();
  }
  EXPECT_FALSE(Timer().Active());
}

TuiFloatAnimation* FadeOpacity(TuiObject* Parent) {
  auto* a = new TuiFloatAnimation(Parent);
  a->SetParent(Parent);
  a->SetPropertyName("Opacity");
  a->SetStopValue(1);
  return a;
}

TEST_F(Triggers, RaisingAgainEndsTheRunningAnimationAtItsEndValueFirst) {
  auto* button = new TPressable(Root.get());
  button->SetParent(Root.get());
  TuiFloatAnimation* a = FadeOpacity(button);
  a->SetTrigger("IsMouseOver=true");
  button->SetMouseOver(true);
  button->StartTriggerAnimation(button, "IsMouseOver");
  Tick();
  EXPECT_NEAR(button->Opacity(), 0.165f, 1e-4);
  button->SetMouseOver(false);
  button->StartTriggerAnimation(button, "IsMouseOver");
  EXPECT_FALSE(a->Running());
  EXPECT_EQ(button->Opacity(), 1.0f);
}

TEST_F(Triggers, ReachAnimationsOfLockedPartsOnly) {
  // A locked part that takes no hits is a piece of the control's style.
  auto* part = new TuiVisualObject(Shape);
  part->SetParent(Shape);
  part->SetLocked(true);
  part->SetHitTest(false);
  auto* plain = new TuiVisualObject(Shape);
  plain->SetParent(Shape);
  TuiFloatAnimation* inPart = FadeOpacity(part);
  TuiFloatAnimation* inPlain = FadeOpacity(plain);
  for (TuiAnimation* a : {static_cast<TuiAnimation*>(inPart), static_cast<TuiAnimation*>(inPlain)})
    a->SetTrigger("IsVisible=true");
  Shape->StartTriggerAnimation(Shape, "IsVisible");
  EXPECT_TRUE(inPart->Running());
  EXPECT_FALSE(inPlain->Running());
  Shape->StopTriggerAnimation(Shape);
  EXPECT_FALSE(inPart->Running());
}

TEST_F(Triggers, TheWaitingVariantKeepsMessagesRunningUntilTheAnimationEnds) {
  TuiFloatAnimation* a = FadeOpacity(Shape);
  a->SetTrigger("IsVisible=true");
  int rounds = 0;
  TuiObject::ProcessMessages = [&] {
    ++rounds;
    Tick();
    return true;
  };
  Shape->StartTriggerAnimationWait(Shape, "IsVisible");
  TuiObject::ProcessMessages = nullptr;
  EXPECT_FALSE(a->Running());
  EXPECT_EQ(Shape->Opacity(), 1.0f);
  EXPECT_EQ(rounds, 7);
}

}  // namespace
