#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "draw2d/Gradient.h"
#include "scene2d/Errors.h"

namespace {

constexpr TuiColor Red = 0xFFFF0000, Blue = 0xFF0000FF;

void SetStops(TuiGradient& G, std::initializer_list<std::pair<TuiColor, float>> Stops) {
  G.Points()->Clear();
  for (auto [color, offset] : Stops) G.Points()->Add(color, offset);
}

bool IsStored(TuiPersistent& Root, const char* Path) {
  TuiPropertyRef ref = FindPropertyPath(Root, Path);
  EXPECT_TRUE(ref) << Path;
  return ref && ref.Property->IsStored(*ref.Object);
}

TEST(Gradient, StartsBlackToWhiteTopToBottom) {
  TuiGradient g;
  ASSERT_EQ(g.Points()->Count(), 2);
  EXPECT_EQ(g.Points()->Points(0)->ColorValue(), 0xFF000000u);
  EXPECT_EQ(g.Points()->Points(0)->Offset(), 0);
  EXPECT_EQ(g.Points()->Points(1)->ColorValue(), 0xFFFFFFFFu);
  EXPECT_EQ(g.Points()->Points(1)->Offset(), 1);
  EXPECT_EQ(g.StartPosition()->Point(), (TuiPoint{0, 0}));
  EXPECT_EQ(g.StopPosition()->Point(), (TuiPoint{0, 1}));
  EXPECT_EQ(g.Style(), uxLinearGradient);
}

TEST(Gradient, StoredRulesFollowTheStyle) {
  TuiGradient g;
  // Points and style are written always; positions only when they moved, and
  // only for a linear gradient.
  EXPECT_TRUE(IsStored(g, "Points"));
  EXPECT_TRUE(IsStored(g, "Style"));
  EXPECT_FALSE(IsStored(g, "StartPosition.Point"));
  g.SetProperty("StartPosition.Point", std::string("(0,0.500)"));
  g.SetProperty("StopPosition.Point", std::string("(1,0.500)"));
  EXPECT_TRUE(IsStored(g, "StartPosition.Point"));
  EXPECT_TRUE(IsStored(g, "StartPosition"));
  g.SetStyle(uxRadialGradient);
  EXPECT_TRUE(IsStored(g, "Style"));
  EXPECT_FALSE(IsStored(g, "StartPosition"));
  EXPECT_FALSE(IsStored(g, "StopPosition"));
  // Items write their colour always and an offset of 0 never.
  const TuiClassInfo& item = TuiGradientPoint::StaticClass();
  TuiGradientPoint* first = g.Points()->Points(0);
  EXPECT_TRUE(item.FindProperty("Color")->IsStored(*first));
  EXPECT_FALSE(item.FindProperty("Offset")->IsStored(*first));
  EXPECT_TRUE(item.FindProperty("Offset")->IsStored(*g.Points()->Points(1)));
  first->SetProperty("Color", std::string("#FF606060"));
  EXPECT_EQ(first->ColorValue(), 0xFF606060u);
  EXPECT_EQ(std::get<std::string>(first->GetProperty("Color")), "#FF606060");
}

TEST(Gradient, ColorAtInterpolatesBetweenStops) {
  TuiGradient g;
  SetStops(g, {{Red, 0.2f}, {Blue, 0.8f}});
  const struct {
    float Offset;
    TuiColor Expected;
  } cases[] = {
      {-1, Red},    {0, Red},           {0.1f, Red},
      {0.2f, Red},  {0.5f, 0xFF80007F},  // truncated towards the first
      {0.8f, Blue}, {0.9f, Blue},       {1, Blue},
      {2, Blue},    {NAN, Red},
  };
  for (const auto& c : cases) EXPECT_EQ(g.ColorAt(c.Offset), c.Expected) << c.Offset;

  // Two stops on one offset: the first up to it, the last beyond.
  SetStops(g, {{Red, 0.5f}, {Blue, 0.5f}});
  EXPECT_EQ(g.ColorAt(0.5f), Red);
  EXPECT_EQ(g.ColorAt(0.4f), Red);
  EXPECT_EQ(g.ColorAt(0.6f), Blue);

  // Three stops: the segment holding the offset decides.
  SetStops(g, {{0xFF000000, 0}, {0xFF00FF00, 0.5f}, {0xFF0000FF, 1}});
  EXPECT_EQ(g.ColorAt(0.75f), 0xFF00807Fu);

  SetStops(g, {{Red, 0}});
  EXPECT_EQ(g.ColorAt(0), 0u);
}

TEST(Gradient, PaintStopsAndLinearEnds) {
  TuiGradient g;
  SetStops(g, {{0x80FF0000, 0.25f}, {0xFF0000FF, 0.75f}});
  using S = std::vector<TuiGradientStop>;
  EXPECT_EQ(g.PaintStops(1, false), (S{{0.25f, 0x80FF0000}, {0.75f, 0xFF0000FF}}));
  // A fill extends the end colours to both ends; opacity scales every alpha.
  EXPECT_EQ(g.PaintStops(0.5f, true),
            (S{{0, 0x40FF0000}, {0.25f, 0x40FF0000}, {0.75f, 0x7F0000FF}, {1, 0x7F0000FF}}));
  SetStops(g, {});
  EXPECT_TRUE(g.PaintStops(1, true).empty());

  g.StartPosition()->SetPoint({0, 0.5f});
  g.StopPosition()->SetPoint({1, 0.5f});
  // Right and Bottom, not the width and height, scale the positions.
  EXPECT_EQ(g.StartPoint({10, 20, 50, 40}), (TuiPoint{10, 40}));
  EXPECT_EQ(g.StopPoint({10, 20, 50, 40}), (TuiPoint{60, 40}));
}

TEST(Gradient, NotifiesOncePerRealChange) {
  TuiGradient g;
  int changes = 0;
  g.OnChanged = [&](TuiGradient* Sender) {
    EXPECT_EQ(Sender, &g);
    ++changes;
  };
  TuiGradient other;
  other.Points()->Points(0)->SetColorValue(Red);
  TuiPosition half{TuiPoint{0.5f, 0.5f}};
  const struct {
    const char* What;
    std::function<void()> Do;
    int Expected;
  } steps[] = {
      {"style", [&] { g.SetStyle(uxRadialGradient); }, 1},
      {"same style", [&] { g.SetProperty("Style", int64_t(uxRadialGradient)); }, 0},
      {"start point", [&] { g.SetProperty("StartPosition.Point", std::string("(0,0.500)")); }, 1},
      {"same start point", [&] { g.SetProperty("StartPosition.Point", std::string("(0,0.500)")); }, 0},
      {"stop x", [&] { g.StopPosition()->SetX(1); }, 1},
      {"same stop", [&] { g.SetStopPosition(*g.StopPosition()); }, 0},
      {"stop copied", [&] { g.SetStopPosition(half); }, 1},
      {"rotation", [&] { g.RadialTransform()->SetRotateAngle(30); }, 1},
      {"rotation centre", [&] { g.RadialTransform()->RotateCenter()->SetX(0); }, 1},
      {"same transform", [&] { g.SetRadialTransform(*g.RadialTransform()); }, 0},
      {"stop colour", [&] { g.Points()->Points(1)->SetColor("#FF00FF00"); }, 1},
      {"same stop colour", [&] { g.Points()->Points(1)->SetColorValue(0xFF00FF00); }, 0},
      {"stop offset", [&] { g.Points()->Points(1)->SetOffset(0.9f); }, 1},
      {"stop added", [&] { g.Points()->Add(Blue, 1); }, 1},
      {"assign", [&] { g.Assign(other); }, 1},
      {"assign again", [&] { g.Assign(other); }, 0},
  };
  for (const auto& s : steps) {
    changes = 0;
    s.Do();
    EXPECT_EQ(changes, s.Expected) << s.What;
  }
}

TEST(Gradient, AssignCopiesPointsAndTheGeometryTheStyleUses) {
  TuiGradient source;
  SetStops(source, {{Red, 0}, {0xFF00FF00, 0.3f}, {Blue, 1}});
  source.StartPosition()->SetPoint({0, 0.5f});
  source.RadialTransform()->SetRotateAngle(45);

  TuiGradient linear;
  linear.Assign(source);
  ASSERT_EQ(linear.Points()->Count(), 3);
  EXPECT_EQ(linear.Points()->Points(1)->ColorValue(), 0xFF00FF00u);
  EXPECT_EQ(linear.Points()->Points(1)->Offset(), 0.3f);
  EXPECT_EQ(linear.StartPosition()->Point(), (TuiPoint{0, 0.5f}));
  EXPECT_EQ(linear.RadialTransform()->RotateAngle(), 0) << "a linear copy leaves the transform";
  // The copy owns its points.
  source.Points()->Points(0)->SetColorValue(Blue);
  EXPECT_EQ(linear.Points()->Points(0)->ColorValue(), Red);

  source.SetStyle(uxRadialGradient);
  TuiGradient radial;
  radial.Assign(source);
  EXPECT_EQ(radial.RadialTransform()->RotateAngle(), 45);
  EXPECT_EQ(radial.StartPosition()->Point(), (TuiPoint{0, 0})) << "a radial copy leaves the positions";

  try {
    radial.Assign(static_cast<const TuiPersistent&>(*source.StartPosition()));
    ADD_FAILURE() << "no error";
  } catch (const EuxConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TuiPosition to a TuiGradient");
  }
  EXPECT_EQ(radial.Points()->Count(), 3);
}

}  // namespace

TEST(Gradient, RadialTransformStreamsOnlyForRadialGradients) {
  TuiGradient g;
  g.RadialTransform()->SetRotateAngle(30);
  g.RadialTransform()->Scale()->SetPoint({2, 1});
  const TuiPropertyInfo* p = g.ClassInfo().FindProperty("RadialTransform");
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->IsStored(g));
  g.SetStyle(uxRadialGradient);
  EXPECT_TRUE(p->IsStored(g));
  EXPECT_EQ(std::get<std::string>(g.GetProperty("RadialTransform.Scale.Point")), "(2,1)");
  EXPECT_EQ(std::get<double>(g.GetProperty("radialtransform.rotateangle")), 30.0);
}
