#include <memory>
#include <string>

#include "ControlFixtures.h"
#include "controls/Actions.h"
#include "controls/TextControls.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/ShapeText.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/StreamConvert.h"

using namespace control_fixtures;

namespace {

using TextControlTest = ControlTest;

TEST_F(TextControlTest, HudLabelShowsItsTextInTheStyleColourAndItsOwnFont) {
  auto* label = Add(new TuiHudLabel(Root()));
  label->SetText("500");  // before the style: only kept
  label->Font()->SetSize(21);
  EXPECT_EQ(label->TextPart(), nullptr);

  Host.PaintTree();

  TuiText* part = label->TextPart();
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(label->StyleObject()->ResourceName(), "hudlabelstyle");
  EXPECT_EQ(part->Text(), "500");
  EXPECT_EQ(part->HorzTextAlign(), uxTextAlignCenter);
  EXPECT_EQ(part->Fill()->ColorValue(), 0xFFE0E0E0u);
  EXPECT_FLOAT_EQ(part->Font()->Size(), 21);
  EXPECT_TRUE(part->WordWrap());

  // Later changes go straight to the part.
  label->SetText("499");
  label->SetTextAlign(uxTextAlignFar);
  label->Font()->SetSize(9);
  label->SetWordWrap(false);
  EXPECT_EQ(part->Text(), "499");
  EXPECT_EQ(part->HorzTextAlign(), uxTextAlignFar);
  EXPECT_FLOAT_EQ(part->Font()->Size(), 9);
  EXPECT_FALSE(part->WordWrap());
}

TEST_F(TextControlTest, SubclassesFallBackToTheLabelStyleAndForegroundTintsTheText) {
  auto value = std::make_unique<TuiValueLabel>(nullptr);
  value->ApplyResource();
  ASSERT_NE(value->StyleObject(), nullptr);
  EXPECT_EQ(value->StyleObject()->ResourceName(), "labelstyle");

  auto tinted = std::make_unique<TuiLabel>(nullptr);
  tinted->SetResource("tintedstyle");
  ASSERT_NE(tinted->TextPart(), nullptr);
  EXPECT_EQ(tinted->Foreground()->ColorValue(), 0xFF00FF00u);
  EXPECT_EQ(tinted->TextPart()->Fill()->ColorValue(), 0xFF00FF00u);
  tinted->Foreground()->SetColorValue(0xFF123456);
  EXPECT_EQ(tinted->TextPart()->Fill()->ColorValue(), 0xFF123456u);
}

TEST_F(TextControlTest, AutoSizeTakesTheMeasuredTextAndStopsWrapping) {
  auto* label = Add(new TuiHudLabel(Root()));
  label->SetText("Level");
  Host.PaintTree();
  label->SetAutoSize(true);
  EXPECT_FALSE(label->WordWrap());
  const float width = label->Width();
  EXPECT_GT(width, 10);
  EXPECT_LT(width, 120);  // not the default any more
  EXPECT_GT(label->Height(), 5);

  label->SetText("Level Level Level");
  EXPECT_GT(label->Width(), width * 2);
  EXPECT_EQ(label->TextPart()->Align(), vaClient);  // put back
}

TEST_F(TextControlTest, TranslationHookRewritesTextsAndShownHints) {
  TuiControl::TranslateHook = [](const std::string& S) { return S == "Gas" ? std::string("Gaz") : S; };
  auto label = std::make_unique<TuiLabel>(nullptr);
  auto value = std::make_unique<TuiValueLabel>(nullptr);
  label->SetText("Gas");
  label->SetHint("Gas");
  label->SetShowHint(true);
  value->SetText("Gas");
  label->ApplyResource();
  value->ApplyResource();
  TuiControl::TranslateHook = nullptr;
  EXPECT_EQ(label->Text(), "Gaz");
  EXPECT_EQ(label->Hint(), "Gaz");
  EXPECT_EQ(value->Text(), "Gas");
}

TEST_F(TextControlTest, StreamsWriteOnlyWhatDiffersFromTheDefaults) {
  struct TCase {
    TuiPersistent* Object;
    const char* Expected;
  };
  TuiLabel label(nullptr);
  TuiValueLabel value(nullptr);
  TuiHudLabel changed(nullptr);
  changed.SetText("SEFA-1");
  changed.SetWordWrap(false);
  changed.SetAutoTranslate(false);
  changed.SetResource("dupstyle");
  changed.SetAutoSize(false);
  const TCase cases[] = {
      {&label, "object TuiLabel\n  TextAlign = uxTextAlignCenter\nend\n"},
      {&value, "object TuiValueLabel\n  TextAlign = uxTextAlignCenter\nend\n"},
      {&changed,
       "object TuiHudLabel\n  Resource = 'dupstyle'\n  AutoTranslate = False\n  TextAlign = "
       "uxTextAlignCenter\n"
       "  Text = 'SEFA-1'\n  WordWrap = False\nend\n"},
  };
  for (const TCase& k : cases) {
    auto* o = static_cast<TuiObject*>(k.Object);
    EXPECT_EQ(o->ObjectToText(), k.Expected);
  }
}

TEST_F(TextControlTest, BindingPushesOnBindAndBothSidesForgetTheDead) {
  auto source = std::make_unique<TuiLabel>(nullptr);
  auto a = std::make_unique<TuiLabel>(nullptr);
  auto* b = new TuiLabel(nullptr);
  source->SetText("Level 42");
  a->SetBindingSource(source.get());
  b->SetBindingSource(source.get());
  EXPECT_EQ(a->Text(), "Level 42");
  EXPECT_EQ(b->Text(), "Level 42");
  source->SetBindingSource(a.get());  // a ring would push forever
  EXPECT_EQ(source->BindingSource(), nullptr);

  b->Free();
  EXPECT_EQ(source->BoundCount(), 1);
  source.reset();
  EXPECT_EQ(a->BindingSource(), nullptr);

  struct TCase {
    TuiData Value;
    const char* Text;
  } cases[] = {
      {TuiData{}, ""}, {TuiData{int64_t(-7)}, "-7"}, {TuiData{0.25}, "0.25"}, {TuiData{true}, "True"}};
  for (const TCase& k : cases) {
    a->SetData(k.Value);
    EXPECT_EQ(a->Text(), k.Text);
  }
}

TEST_F(TextControlTest, TabOrderMovesWithinTheParentsListClamped) {
  TuiControl* items[5];
  for (auto*& item : items) item = Add(new TuiTestControl(Root()));
  EXPECT_EQ(items[2]->TabOrder(), 2);
  items[1]->SetTabOrder(99);
  EXPECT_EQ(items[1]->TabOrder(), 4);
  EXPECT_EQ(items[2]->TabOrder(), 1);
  items[1]->SetTabOrder(-3);
  EXPECT_EQ(items[1]->TabOrder(), 0);
  items[0]->Free();
  EXPECT_EQ(Root()->TabListCount(), 4);
  auto loose = std::make_unique<TuiLabel>(nullptr);
  loose->SetTabOrder(2);
  EXPECT_EQ(loose->TabOrder(), -1);

  // Loading: of two stored at 0 the later wins; out-of-range values stay put.
  auto read = std::unique_ptr<TuiObject>(
      TuiObject::CreateObjectFromText(nullptr,
                                      "object P: TuiLayout\n"
                                      "  object A: TuiLabel\n    TabOrder = 0\n  end\n"
                                      "  object B: TuiLabel\n    TabOrder = 0\n  end\n"
                                      "  object C: TuiLabel\n    TabOrder = 40\n  end\n"
                                      "end\n"));
  ASSERT_NE(read, nullptr);
  auto* p = read->Visual();
  EXPECT_EQ(p->TabListItem(0), read->Children(1));
  EXPECT_EQ(p->TabListItem(2), read->Children(2));
}

TEST_F(TextControlTest, FocusShowsInTheStyleUnlessDisabled) {
  auto* shown = Add(new TuiTestControl(Root()));
  auto* quiet = Add(new TuiTestControl(Root()));
  quiet->SetDisableFocusEffect(true);
  Host.PaintTree();
  auto* shownBack = shown->FindPart<TuiRectangle>("background");
  auto* quietBack = quiet->FindPart<TuiRectangle>("background");
  ASSERT_TRUE(shownBack && quietBack);

  Host.SetFocused(shown);
  Host.SetFocused(quiet);
  // Without a timer source an animation jumps to its end.
  EXPECT_FLOAT_EQ(shownBack->Opacity(), 0.5f);
  EXPECT_FLOAT_EQ(quietBack->Opacity(), 1.0f);

  // A style attached while focused shows the focus at once.
  quiet->SetDisableFocusEffect(false);
  quiet->SetResource("");
  EXPECT_FLOAT_EQ(quiet->FindPart<TuiRectangle>("background")->Opacity(), 0.5f);

  // A refusing OnCanFocused keeps the focus where it is.
  auto* refusing = Add(new TuiTestControl(Root()));
  refusing->Events().OnCanFocused = [](TuiObject*, bool& Can) { Can = false; };
  refusing->SetFocus();
  EXPECT_EQ(Host.GetFocused(), quiet);
}

TEST_F(TextControlTest, ActionsLendTheirStateWhileTheControlStillShowsIt) {
  auto action = std::make_unique<TuiAction>(nullptr);
  action->SetCaption("Connect");
  action->SetHint("Run the effect");
  int runs = 0;
  action->OnExecute = [&](TuiComponent*) { ++runs; };
  auto linked = std::make_unique<TuiLabel>(nullptr);
  auto own = std::make_unique<TuiLabel>(nullptr);
  linked->SetAction(action.get());
  own->SetAction(action.get());
  own->SetText("Mine");
  EXPECT_EQ(linked->Text(), "Connect");
  EXPECT_EQ(linked->Hint(), "Run the effect");
  linked->Click();
  EXPECT_EQ(runs, 1);

  action->SetCaption("Blink");
  action->SetEnabled(false);
  EXPECT_EQ(linked->Text(), "Blink");
  EXPECT_EQ(own->Text(), "Mine");
  EXPECT_FALSE(linked->Enabled());

  action.reset();
  EXPECT_EQ(linked->Action(), nullptr);
  linked->Click();  // the handler outlives the action harmlessly
  EXPECT_EQ(runs, 1);
}

}  // namespace
