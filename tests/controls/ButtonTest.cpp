#include <memory>
#include <string>
#include <vector>

#include "HudFixtures.h"
#include "controls/Buttons.h"
#include "controls/CheckBoxes.h"
#include "controls/Panels.h"
#include "platform/VirtualClock.h"
#include "scene2d/AnimationTimer.h"

using namespace control_fixtures;

namespace {

constexpr uint16_t KeyEnter = 13;
constexpr uint16_t KeyEscape = 27;
constexpr uint16_t KeySpace = 32;

class ButtonTest : public HudControlTest {
 protected:
  // A HUD button at (10, 10), 80 x 22, styled, counting its clicks.
  TuiHudButton* MakeButton() {
    auto* b = Add(new TuiHudButton(Root()));
    b->SetBounds(10, 10, 80, 22);
    b->Events().OnClick = [this](TuiObject*) { Log.push_back("click"); };
    b->Events().OnDblClick = [this](TuiObject*) { Log.push_back("dbl"); };
    Host.PaintTree();
    return b;
  }
  float BackOpacity(TuiControl* C) { return C->FindResource("background")->Visual()->Opacity(); }
};

TEST_F(ButtonTest, PressedLookFollowsThePointerAndOnlyAReleaseInsideClicks) {
  struct TStep {
    char Kind;  // Press, Drag, Release
    float X, Y;
  };
  struct TCase {
    const char* Name;
    std::vector<TStep> Steps;
    std::string Pressed;  // IsPressed after each step
    int Clicks;
  };
  const TCase cases[] = {
      {"inside", {{'P', 20, 20}, {'R', 25, 25}}, "10", 1},
      {"dragged out and released outside", {{'P', 20, 20}, {'D', 150, 150}, {'R', 150, 150}}, "100", 0},
      {"dragged out and back in", {{'P', 20, 20}, {'D', 150, 150}, {'D', 30, 20}, {'R', 30, 20}}, "1010", 1},
      {"released on the right edge", {{'P', 20, 20}, {'R', 90, 20}}, "10", 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TuiHudButton* b = MakeButton();
    Log.clear();
    std::string pressed;
    for (const TStep& s : c.Steps) {
      if (s.Kind == 'P') Press(s.X, s.Y);
      if (s.Kind == 'D') Drag(s.X, s.Y);
      if (s.Kind == 'R') Release(s.X, s.Y);
      pressed += b->IsPressed() ? '1' : '0';
    }
    EXPECT_EQ(pressed, c.Pressed);
    EXPECT_EQ(int(Log.size()), c.Clicks);
    EXPECT_FLOAT_EQ(BackOpacity(b), 1);  // the style saw the release
    b->Free();
  }
}

TEST_F(ButtonTest, StaysPressedTogglesPerPressAndIsTheOnlyWritableLook) {
  TuiHudButton* plain = MakeButton();
  plain->SetIsPressed(true);
  EXPECT_FALSE(plain->IsPressed());
  plain->Free();

  TuiHudButton* toggle = MakeButton();
  toggle->SetStaysPressed(true);
  Press(20, 20);
  Drag(150, 150);  // moves and releases leave the look alone
  Release(150, 150);
  EXPECT_TRUE(toggle->IsPressed());
  EXPECT_FLOAT_EQ(BackOpacity(toggle), 0.5f);
  Press(20, 20);
  Release(20, 20);
  EXPECT_FALSE(toggle->IsPressed());
  EXPECT_FLOAT_EQ(BackOpacity(toggle), 1);
  toggle->SetIsPressed(true);
  EXPECT_TRUE(toggle->IsPressed());
  EXPECT_FLOAT_EQ(BackOpacity(toggle), 0.5f);
}

TEST_F(ButtonTest, DoubleClickFiresDblClickThenClickAndItsReleaseNothing) {
  MakeButton();
  Press(20, 20);
  Release(20, 20);
  Press(20, 20, uxDouble);
  Release(20, 20);
  EXPECT_EQ(Log, (std::vector<std::string>{"click", "dbl", "click"}));
}

TEST_F(ButtonTest, EnterAndSpaceClickTheFocusedButtonAndDialogKeysNeedDefaultOrCancel) {
  TuiHudButton* b = MakeButton();
  b->SetFocus();
  for (uint16_t key : {KeySpace, KeyEnter, uint16_t('A')}) Key(key);
  EXPECT_EQ(Log, (std::vector<std::string>{"click", "click"}));

  struct TCase {
    bool Default, Cancel;
    uint16_t Key;
    bool Clicks;
  };
  for (const TCase& c : {TCase{true, false, KeyEnter, true}, TCase{false, true, KeyEscape, true},
                         TCase{false, false, KeyEnter, false}, TCase{true, false, KeyEscape, false}}) {
    Log.clear();
    b->SetDefault(c.Default);
    b->SetCancel(c.Cancel);
    uint16_t key = c.Key;
    b->DialogKey(key, 0);
    EXPECT_EQ(Log.size(), c.Clicks ? 1u : 0u) << c.Key;
    EXPECT_EQ(key, c.Clicks ? 0 : c.Key);  // consumed only when it clicked
  }
}

TEST_F(ButtonTest, ModalResultReachesTheFormBeforeOnClick) {
  TFormHost host;
  TTestForm form(Log);
  host.Form = &form;
  auto root = std::make_unique<TuiLayout>(&form);
  host.AddObject(root.get());
  auto* b = new TuiButton(root.get());
  b->SetParent(root.get());
  b->SetModalResult(2);
  b->Events().OnClick = [this](TuiObject*) { Log.push_back("click"); };
  b->Click();
  EXPECT_EQ(Log, (std::vector<std::string>{"modal 2", "click"}));

  // Outside any form the click still happens.
  Log.clear();
  TuiHudButton* lone = MakeButton();
  lone->SetModalResult(1);
  lone->Click();
  EXPECT_EQ(Log, std::vector<std::string>{"click"});
}

TEST_F(ButtonTest, RepeatClickWaits500MsThenClicksEvery100MsWhileHeld) {
  platform::TVirtualClock clock;
  TuiAnimationTimer::Instance().SetSource(&clock);
  TuiHudButton* b = MakeButton();
  b->SetRepeatClick(true);
  std::vector<uint64_t> at;
  uint64_t pressedAt = 0;
  b->Events().OnClick = [&](TuiObject*) { at.push_back(clock.Now() - pressedAt); };
  for (int hold = 0; hold < 2; ++hold) {
    at.clear();
    pressedAt = clock.Now();
    Press(20, 20);
    clock.Advance(1000);
    Release(20, 20);
    clock.Advance(1000);  // released: no more ticks
    EXPECT_EQ(at, (std::vector<uint64_t>{600, 700, 800, 900, 1000, 1000})) << "hold " << hold;
  }
  b->Free();  // its timers go before the clock
  TuiAnimationTimer::Instance().SetSource(nullptr);
}

// ---- check boxes and radio buttons ----

class CheckTest : public HudControlTest {
 protected:
  template <class T>
  T* Make(TuiVisualObject* Parent, const char* Name, float X, float Y) {
    auto* c = new T(Root());
    c->SetParent(Parent);
    c->SetName(Name);
    c->SetBounds(X, Y, 60, 19);
    c->Events().OnClick = [this](TuiObject* S) { Log.push_back(Entry("click", S)); };
    c->OnChange = [this](TuiObject* S) { Log.push_back(Entry("change", S)); };
    return c;
  }
  static std::string Entry(const char* What, TuiObject* S) {
    const TuiData checked = S->GetData();
    return std::string(What) + " " + S->Name() + (std::get<bool>(checked) ? " 1" : " 0");
  }
  void ClickAt(float X, float Y) {
    Press(X, Y);
    Release(X, Y);
  }
  using Strings = std::vector<std::string>;
};

TEST_F(CheckTest, CheckBoxClickSeesTheOldValueAndChangeTheNew) {
  auto* box = Make<TuiHudCheckBox>(Root(), "Box", 10, 10);
  Host.PaintTree();
  auto* mark = box->FindResource("checkmark")->Visual();

  ClickAt(20, 20);
  EXPECT_EQ(Log, (Strings{"click Box 0", "change Box 1"}));
  EXPECT_FLOAT_EQ(mark->Opacity(), 1);  // the style answered "IsChecked=true"
  EXPECT_FALSE(box->IsPressed());

  Log.clear();
  Key(KeySpace);  // focused by the press
  Key(KeyEnter);
  EXPECT_EQ(Log, (Strings{"change Box 0", "change Box 1"}));

  // A double click toggles twice and clicks once.
  Log.clear();
  ClickAt(20, 20);
  Press(20, 20, uxDouble);
  Release(20, 20);
  EXPECT_EQ(Log, (Strings{"click Box 1", "change Box 0", "change Box 1"}));
  EXPECT_FLOAT_EQ(mark->Opacity(), 1);

  // Dragged out and released outside: neither click nor change.
  Log.clear();
  Press(20, 20);
  EXPECT_TRUE(box->IsPressed());
  Drag(150, 150);
  EXPECT_FALSE(box->IsPressed());
  Release(150, 150);
  EXPECT_TRUE(Log.empty());

  // Data: a Boolean is the state, anything else unchecks.
  box->SetData(std::string("yes"));
  EXPECT_EQ(box->GetData(), TuiData(false));
  box->SetData(true);
  EXPECT_TRUE(box->IsChecked());
  EXPECT_FLOAT_EQ(mark->Opacity(), 1);
}

TEST_F(CheckTest, RadioGroupSpansPanelsAndKeepsOneChecked) {
  auto* left = Add(new TuiHudPanel(Root()));
  auto* right = Add(new TuiHudPanel(Root()));
  left->SetBounds(0, 0, 100, 100);
  right->SetBounds(100, 0, 100, 100);
  auto* automat = Make<TuiHudRadioButton>(left, "Automat", 10, 10);
  auto* gas = Make<TuiHudRadioButton>(right, "Gas", 10, 10);
  auto* petrol = Make<TuiHudRadioButton>(right, "Petrol", 10, 40);
  auto* other = Make<TuiHudRadioButton>(right, "Other", 10, 70);
  other->SetGroupName("other");
  other->SetIsChecked(true);
  automat->SetIsChecked(true);
  Host.PaintTree();
  EXPECT_EQ(left->StyleObject()->ResourceName(), "hudpanelstyle");
  Log.clear();

  ClickAt(120, 20);  // Gas
  EXPECT_EQ(Log, (Strings{"click Gas 0", "change Automat 0", "change Gas 1"}));
  EXPECT_FLOAT_EQ(automat->FindResource("checkmark")->Visual()->Opacity(), 0);
  EXPECT_FLOAT_EQ(gas->FindResource("checkmark")->Visual()->Opacity(), 1);

  // The checked one clicked again only clicks; unchecking it alone does nothing.
  Log.clear();
  ClickAt(120, 20);
  gas->SetIsChecked(false);
  EXPECT_EQ(Log, Strings{"click Gas 1"});
  EXPECT_TRUE(gas->IsChecked());

  // From the keyboard the mark moves without a click.
  Log.clear();
  petrol->SetFocus();
  Key(KeySpace);
  EXPECT_EQ(Log, (Strings{"change Gas 0", "change Petrol 1"}));
  EXPECT_FALSE(automat->IsChecked());
  EXPECT_TRUE(other->IsChecked());  // another group
}

TEST_F(CheckTest, RadioButtonWithoutAHostCanBeCheckedButNeverUnchecked) {
  auto lone = std::make_unique<TuiRadioButton>(nullptr);
  int changes = 0;
  lone->OnChange = [&](TuiObject*) { ++changes; };
  lone->SetIsChecked(true);
  lone->SetIsChecked(false);
  EXPECT_TRUE(lone->IsChecked());
  EXPECT_EQ(changes, 1);
}

TEST_F(CheckTest, AHandlerFreeingAPeerMidwayIsSafe) {
  auto* a = Make<TuiRadioButton>(Root(), "A", 0, 0);
  auto* b = Make<TuiRadioButton>(Root(), "B", 0, 20);
  auto* c = Make<TuiRadioButton>(Root(), "C", 0, 40);
  a->SetIsChecked(true);
  a->OnChange = [b](TuiObject*) { b->Free(); };
  c->SetIsChecked(true);
  EXPECT_FALSE(a->IsChecked());
  EXPECT_TRUE(c->IsChecked());
  EXPECT_EQ(Root()->ChildrenCount(), 2);
}

}  // namespace
