// Trigger texts, the effects' trigger rule, their parameters' ranges and
// their stream form.
#include <gtest/gtest.h>

#include <memory>

#include "draw2d/ShapeRectangles.h"
#include "scene2d/Triggers.h"
#include "scene2d/VisualObject.h"
#include "scene2d/effects/EffectKinds.h"
#include "scene2d/effects/EffectPainter.h"

namespace {

TEST(Triggers, ParseSplitsConditionsAtTheFirstEqualsSignAndTrims) {
  using C = TuiTriggerCondition;
  EXPECT_EQ(ParseTrigger("IsMouseOver=true;IsPressed=false"),
            (std::vector<C>{{"IsMouseOver", "true"}, {"IsPressed", "false"}}));
  EXPECT_EQ(ParseTrigger(" IsFocused = True ;; Text=a=b;Odd; "),
            (std::vector<C>{{"IsFocused", "True"}, {"Text", "a=b"}, {"Odd", ""}}));
  EXPECT_TRUE(ParseTrigger("").empty());
  EXPECT_TRUE(TriggerMentions("IsMouseOver=true", "ismouseover"));
  EXPECT_FALSE(TriggerMentions("IsMouseOver=true", "IsFocused"));
}

TEST(Triggers, AnEffectTakesTheLastConditionItCanRead) {
  TuiVisualObject instance(nullptr);  // visible, enabled, aligned vaClient
  instance.SetAlign(vaClient);
  struct {
    const char* Trigger;
    const char* Raised;
    bool Before, After;
  } cases[] = {
      {"Visible=true", "Visible", false, true},
      {"visible=TRUE", "VISIBLE", false, true},
      {"Visible=false", "Visible", true, false},
      {"Align=VACLIENT", "Align", false, true},
      {"Align=vaTop", "Align", true, false},
      {"Visible=true;Enabled=false", "Visible", false, false},               // the last one decides
      {"Visible=false;NoSuchThing=1;Enabled=true", "Enabled", false, true},  // unknown ignored
      {"NoSuchThing=true", "NoSuchThing", true, false},                      // none recognised
      {"Width=50", "Width", true, false},                                    // not a Boolean or enumeration
      {"Visible=false", "IsFocused", true, true},                            // not mentioned: untouched
      {"", "", true, true},
  };
  for (const auto& c : cases) {
    TuiGlowEffect glow(nullptr);
    glow.SetEnabled(c.Before);
    glow.SetTrigger(c.Trigger);
    glow.ApplyTrigger(&instance, c.Raised);
    EXPECT_EQ(glow.Enabled(), c.After) << c.Trigger << " raised as " << c.Raised;
  }
}

TEST(EffectParameters, SettersKeepTheirRanges) {
  TuiShadowEffect shadow(nullptr);
  TuiGlowEffect glow(nullptr);
  TuiBlurEffect blur(nullptr);
  TuiReflectionEffect reflection(nullptr);
  shadow.SetSoftness(5);
  shadow.SetOpacity(-1);
  glow.SetSoftness(12);
  glow.SetOpacity(2);
  blur.SetSoftness(12);
  reflection.SetLength(0);
  EXPECT_EQ(shadow.Softness(), 3);
  EXPECT_EQ(shadow.Opacity(), 0);
  EXPECT_EQ(glow.Softness(), 9);
  EXPECT_EQ(glow.Opacity(), 1);
  EXPECT_EQ(blur.Softness(), 9);
  EXPECT_EQ(reflection.Length(), 0.1f);
  // A colour text that names the same colour changes nothing.
  glow.SetGlowColor("Gold");
  EXPECT_EQ(glow.GlowColor(), "#FFFFD700");
}

TEST(EffectStreams, EffectsTravelWithTheirObjectAndKeepWhatDiffersFromTheDefaults) {
  RegisterEffectClasses();
  auto shape = std::make_unique<TuiRectangle>(nullptr);
  auto* glow = new TuiGlowEffect(shape.get());
  glow->SetParent(shape.get());
  glow->SetEnabled(false);
  glow->SetTrigger("IsFocused=true");
  glow->SetSoftness(0.2f);
  glow->SetGlowColor("#FFE0E0E0");
  auto* reflection = new TuiReflectionEffect(shape.get());
  reflection->SetParent(shape.get());
  reflection->SetOffset(4);

  const std::string text = shape->ObjectToText();
  EXPECT_NE(text.find("object TuiGlowEffect"), std::string::npos) << text;
  EXPECT_NE(text.find("Enabled = False"), std::string::npos) << text;
  EXPECT_EQ(text.find("Opacity"), std::string::npos) << text;  // both at their defaults

  std::unique_ptr<TuiObject> copy(shape->CloneObject(nullptr));
  ASSERT_EQ(copy->ChildrenCount(), 2);
  auto* g = dynamic_cast<TuiGlowEffect*>(copy->Children(0));
  auto* r = dynamic_cast<TuiReflectionEffect*>(copy->Children(1));
  ASSERT_TRUE(g && r);
  EXPECT_FALSE(g->Enabled());
  EXPECT_EQ(g->Trigger(), "IsFocused=true");
  EXPECT_EQ(g->Softness(), 0.2f);
  EXPECT_EQ(g->GlowColor(), "#FFE0E0E0");
  EXPECT_EQ(r->Offset(), 4);
  EXPECT_EQ(r->Length(), 0.5f);
  // The glow is read in off, as the style sheets store it, and takes no room
  // until its trigger switches it on; the reflection's room of 2 stays.
  EXPECT_EQ(copy->Visual()->GetEffectRect().Left, -2);
}

}  // namespace
