#include <gtest/gtest.h>

#include <string>

#include "AnimationFixture.h"
#include "draw2d/DrawAnimations.h"

namespace {

using AnimationKinds = AnimationFixture;

TEST_F(AnimationKinds, PathsResolveLikePublishedPropertiesAndMisfitsWriteNothing) {
  struct TCase {
    const char* Path;
    bool Colour;           // a colour animation, else a float one
    const char* Expected;  // the fill colour afterwards, or the root's opacity
  };
  const TCase cases[] = {
      {"fill.COLOR", true, "#80000000"},
      {"Fill.Nothing", true, "#FFE0E0E0"},
      {"Opacity", true, "#FFE0E0E0"},      // a float is no colour
      {"Fill.Color", false, "#FFE0E0E0"},  // nor a colour text a float
      {"Parent.Opacity", false, "0.25"},
      {"Stray.Parent.Opacity", false, "0.25"},  // a name holding no object is passed over
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Path);
    Shape->Fill()->SetColor("#FFE0E0E0");
    Root->SetOpacity(1);
    TuiAnimation* a;
    if (c.Colour) {
      auto* colour = Fade(Shape);
      colour->SetPropertyName(c.Path);
      a = colour;
    } else {
      auto* number = new TuiFloatAnimation(Shape);
      number->SetParent(Shape);
      number->SetPropertyName(c.Path);
      number->SetStartValue(1);
      number->SetStopValue(0.25f);
      a = number;
    }
    a->Start();
    Tick(7);
    EXPECT_FALSE(a->Running());
    EXPECT_EQ(c.Colour || std::string(c.Path).starts_with("Fill")
                  ? Shape->Fill()->Color()
                  : std::to_string(Root->Opacity()).substr(0, 4),
              c.Expected);
    a->Free();
  }
}

TEST_F(AnimationKinds, KeysInterpolateBetweenTheirNeighbours) {
  auto* a = new TuiFloatKeyAnimation(Shape);
  a->SetParent(Shape);
  a->SetPropertyName("Opacity");
  a->SetDuration(0.33f);  // ten ticks
  const float keys[][2] = {{0, 0}, {0.5f, 1}, {1, 0.5f}};
  for (auto& k : keys) {
    TuiFloatKey* key = a->Keys()->Add();
    key->SetKey(k[0]);
    key->SetValue(k[1]);
  }
  a->Start();
  EXPECT_EQ(Shape->Opacity(), 0.0f);
  Tick(3);  // t = 0.3: 0.6 of the way to the middle key
  EXPECT_NEAR(Shape->Opacity(), 0.6f, 1e-4);
  Tick(5);  // t = 0.8: 0.6 of the way from the middle key to the last
  EXPECT_NEAR(Shape->Opacity(), 0.7f, 1e-4);

  // Keys are clamped to [0, 1]; one key alone writes nothing.
  a->Keys()->Keys(0)->SetKey(-3);
  EXPECT_EQ(a->Keys()->Keys(0)->Key(), 0.0f);
  a->Stop();
  a->Keys()->Delete(2);
  a->Keys()->Delete(1);
  Shape->SetOpacity(0.125f);
  a->Start();
  Tick(11);
  EXPECT_EQ(Shape->Opacity(), 0.125f);
}

TEST_F(AnimationKinds, StartFromCurrentAndRectangles) {
  auto* a = new TuiRectAnimation(Shape);
  a->SetParent(Shape);
  a->SetPropertyName("Padding");
  a->SetStartFromCurrent(true);
  a->StopValue()->SetRect({10, 20, 30, 40});
  Shape->Padding()->SetRect({2, 2, 2, 2});
  a->SetDuration(0.066f);
  a->Start();
  Tick();
  EXPECT_EQ(Shape->Padding()->Rect(), (TuiRect{6, 11, 16, 21}));
  Tick(2);
  EXPECT_EQ(Shape->Padding()->Rect(), (TuiRect{10, 20, 30, 40}));
}

TEST_F(AnimationKinds, GradientPointsFadeTogether) {
  Shape->Fill()->SetStyle(uxBrushGradient);
  auto* a = new TuiGradientAnimation(Shape);
  a->SetParent(Shape);
  a->SetPropertyName("Fill.Gradient");
  a->StartValue()->Points()->Points(0)->SetColor("#00000000");
  a->StartValue()->Points()->Points(1)->SetColor("#00FF0000");
  a->StopValue()->Points()->Points(0)->SetColor("#FF000000");
  a->StopValue()->Points()->Points(1)->SetColor("#FFFF0000");
  int changes = 0;
  Shape->Fill()->Gradient()->OnChanged = [&](TuiGradient*) { ++changes; };
  a->SetDuration(0.066f);
  a->Start();
  changes = 0;
  Tick();
  EXPECT_EQ(changes, 1);  // one report for both points
  EXPECT_EQ(Shape->Fill()->Gradient()->Points()->Points(0)->Color(), "#7F000000");
  EXPECT_EQ(Shape->Fill()->Gradient()->Points()->Points(1)->Color(), "#7FFF0000");
}

TEST_F(AnimationKinds, BitmapsCrossFade) {
  Shape->Fill()->SetStyle(uxBrushBitmap);
  auto* a = new TuiBitmapAnimation(Shape);
  a->SetParent(Shape);
  a->SetPropertyName("Fill.Bitmap.Bitmap");
  a->StartValue()->SetSize(2, 2);
  a->StartValue()->Clear(0xFF000000);
  a->StopValue()->SetSize(1, 1);  // stretched over the start picture
  a->StopValue()->Clear(0xFFFFFFFF);
  a->SetDuration(0.066f);
  a->Start();
  Tick();
  const TuiBitmap* target = Shape->Fill()->Bitmap()->Bitmap();
  ASSERT_EQ(target->Width(), 2);
  EXPECT_EQ(target->Bits()[3], 0xFF808080u);
  Tick(2);
  EXPECT_EQ(target->Bits()[0], 0xFFFFFFFFu);
}

TEST_F(AnimationKinds, PathMovesAndTurnsTheParent) {
  auto* a = new TuiPathAnimation(Shape);
  a->SetParent(Shape);
  a->Path()->SetData("M 0,0 L 0,100");
  a->SetRotate(true);
  Shape->Position()->SetPoint({10, 10});
  a->SetDuration(0.33f);
  a->Start();
  Tick(5);
  EXPECT_EQ(Shape->Position()->X(), 10.0f);
  EXPECT_GT(Shape->Position()->Y(), 10.0f);
  EXPECT_LT(Shape->Position()->Y(), 110.0f);
  EXPECT_EQ(Shape->RotateAngle(), 90.0f);  // downwards
  Tick(6);
  EXPECT_EQ(Shape->Position()->Point(), (TuiPoint{10, 110}));
}

TEST_F(AnimationKinds, FloatShortcutsFreeTheirAnimation) {
  Shape->SetOpacity(0);
  Shape->AnimateFloat("Opacity", 1);
  EXPECT_EQ(Shape->ChildrenCount(), 1);
  Tick(7);
  EXPECT_EQ(Shape->Opacity(), 1.0f);
  EXPECT_EQ(Shape->ChildrenCount(), 0);

  TuiObject::ProcessMessages = [&] {
    Tick();
    return true;
  };
  Shape->AnimateFloatWait("Width", 80, 0.1f, uxAnimationOut, uxInterpolationQuadratic);
  TuiObject::ProcessMessages = nullptr;
  EXPECT_EQ(Shape->Width(), 80.0f);
  EXPECT_EQ(Shape->ChildrenCount(), 0);
  EXPECT_FALSE(Timer().Active());
}

}  // namespace
