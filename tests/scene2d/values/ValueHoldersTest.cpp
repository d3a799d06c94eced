#include "scene2d/Layouts.h"
#include "scene2d/ValueHolders.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Bounds, NotifiesOncePerRealChange) {
  TuiBounds b({1, 2, 3, 4});
  int changes = 0;
  b.OnChanged = [&](TuiBounds* Sender) {
    EXPECT_EQ(Sender, &b);
    ++changes;
  };
  EXPECT_EQ(b.Rect(), (TuiRect{1, 2, 3, 4}));
  b.SetLeft(1);
  b.SetTop(2);
  b.SetRight(3);
  b.SetBottom(4);
  b.SetRect({1, 2, 3, 4});
  EXPECT_EQ(changes, 0);

  b.SetLeft(10);
  b.SetTop(20);
  b.SetRight(30);
  b.SetBottom(40);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(b.Rect(), (TuiRect{10, 20, 30, 40}));

  b.SetRect({10, 20, 30, 41});  // one side differs: one call for the whole set
  EXPECT_EQ(changes, 5);
  b.SetRect({0, 0, 0, 0});
  EXPECT_EQ(changes, 6);
  EXPECT_TRUE(b.IsZero());

  TuiBounds source({5, 5, 5, 5});
  b.Assign(source);
  b.Assign(source);
  EXPECT_EQ(changes, 7);
  EXPECT_EQ(b.Rect(), source.Rect());
}

TEST(Bounds, RemembersItsDefault) {
  TuiBounds b({2, 2, 2, 2});
  EXPECT_TRUE(b.IsDefault());
  b.SetTop(3);
  EXPECT_FALSE(b.IsDefault());
  EXPECT_EQ(b.DefaultRect(), (TuiRect{2, 2, 2, 2}));
  b.SetTop(2);
  EXPECT_TRUE(b.IsDefault());
  EXPECT_FALSE(b.IsZero());
  EXPECT_TRUE(TuiBounds().IsZero());
}

TEST(Bounds, InnerRectShrinksByTheDistances) {
  TuiBounds b({1, 2, 3, 4});
  EXPECT_EQ(b.InnerRect({0, 0, 100, 50}), (TuiRect{1, 2, 97, 46}));
}

TEST(Position, SingleCoordinatesNotifyOnlyOnChange) {
  TuiPosition p({0.5f, 0.5f});
  int changes = 0;
  p.OnChanged = [&](TuiPosition* Sender) {
    EXPECT_EQ(Sender, &p);
    ++changes;
  };
  p.SetX(0.5f);
  p.SetY(0.5f);
  EXPECT_EQ(changes, 0);
  p.SetX(1);
  p.SetY(2);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(p.Point(), (TuiPoint{1, 2}));
}

TEST(Position, WholePointSetAlwaysNotifies) {
  TuiPosition p({0.5f, 0.5f});
  int changes = 0;
  p.OnChanged = [&](TuiPosition*) { ++changes; };
  p.SetPoint({0.5f, 0.5f});
  EXPECT_EQ(changes, 1);
  p.SetPoint({0.5f, 0.6f});
  EXPECT_EQ(changes, 2);
  TuiPosition source({0.5f, 0.6f});
  p.Assign(source);
  EXPECT_EQ(changes, 3);
}

TEST(Position, RemembersItsDefault) {
  TuiPosition p({0.5f, 0.5f});
  EXPECT_TRUE(p.IsDefault());
  p.SetY(0.6f);
  EXPECT_FALSE(p.IsDefault());
  EXPECT_EQ(p.DefaultPoint(), (TuiPoint{0.5f, 0.5f}));
  p.SetPoint({0.5f, 0.5f});
  EXPECT_TRUE(p.IsDefault());
}

TEST(Transform, DefaultsAndPositionsRebuildTheMatrix) {
  TuiTransform t;
  EXPECT_EQ(t.Matrix(), IdentityMatrix());
  EXPECT_EQ(t.Position()->DefaultPoint(), (TuiPoint{0, 0}));
  EXPECT_EQ(t.Scale()->DefaultPoint(), (TuiPoint{1, 1}));
  EXPECT_EQ(t.RotateCenter()->DefaultPoint(), (TuiPoint{0.5f, 0.5f}));
  EXPECT_EQ(t.ProjectivePoint()->DefaultPoint(), (TuiPoint{0, 0}));

  int changes = 0;
  t.OnChanged = [&](TuiTransform* Sender) {
    EXPECT_EQ(Sender, &t);
    ++changes;
  };
  t.Position()->SetX(0);  // unchanged: nothing
  t.SetRotateAngle(0);
  EXPECT_EQ(changes, 0);

  t.Position()->SetPoint({10, 20});
  t.Scale()->SetX(2);
  t.Scale()->SetY(3);
  t.ProjectivePoint()->SetPoint({0.25f, 0.5f});
  EXPECT_EQ(changes, 4);
  TuiMatrix expected;
  expected.M[0][0] = 2;
  expected.M[1][1] = 3;
  expected.M[2][0] = 10;
  expected.M[2][1] = 20;
  expected.M[0][2] = 0.25f;
  expected.M[1][2] = 0.5f;
  EXPECT_EQ(t.Matrix(), expected);

  // The pivot is kept for the brush and leaves the matrix alone, but still tells.
  t.RotateCenter()->SetX(0);
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(t.Matrix(), expected);
}

TEST(Transform, RotatesBeforeScalingAndMoving) {
  TuiTransform t;
  int changes = 0;
  t.OnChanged = [&](TuiTransform*) { ++changes; };
  t.Scale()->SetPoint({2, 3});
  t.Position()->SetPoint({10, 20});
  t.SetRotateAngle(90);
  t.SetRotateAngle(90);
  EXPECT_EQ(changes, 3);
  TuiPoint p = TransformPoint({1, 0}, t.Matrix());  // (0, 1), then (0, 3), then moved
  EXPECT_NEAR(p.X, 10, 1e-5);
  EXPECT_NEAR(p.Y, 23, 1e-5);
}

TEST(Transform, AssignCopiesEverythingAndNotifiesOnce) {
  TuiTransform source;
  source.Position()->SetPoint({5, 6});
  source.Scale()->SetPoint({2, 2});
  source.RotateCenter()->SetPoint({0, 1});
  source.ProjectivePoint()->SetPoint({0.1f, 0.2f});
  source.SetRotateAngle(30);

  TuiTransform t;
  std::vector<TuiTransform*> calls;
  t.OnChanged = [&](TuiTransform* Sender) { calls.push_back(Sender); };
  t.Assign(source);
  EXPECT_EQ(calls, std::vector<TuiTransform*>{&t});
  EXPECT_EQ(t.Position()->Point(), (TuiPoint{5, 6}));
  EXPECT_EQ(t.Scale()->Point(), (TuiPoint{2, 2}));
  EXPECT_EQ(t.RotateCenter()->Point(), (TuiPoint{0, 1}));
  EXPECT_EQ(t.ProjectivePoint()->Point(), (TuiPoint{0.1f, 0.2f}));
  EXPECT_EQ(t.RotateAngle(), 30);
  EXPECT_EQ(t.Matrix(), source.Matrix());
  // The copied positions still drive the target's own matrix.
  t.Position()->SetX(7);
  EXPECT_EQ(calls.size(), 2u);
  EXPECT_EQ(t.Matrix().M[2][0], 7);
  EXPECT_EQ(source.Matrix().M[2][0], 5);
}

TEST(Visual, NotifiesWhenTheReferenceChanges) {
  TuiLayout a(nullptr), b(nullptr);
  TuiVisualObject* first = &a;
  TuiVisualObject* second = &b;
  TuiVisual v;
  int changes = 0;
  v.OnChanged = [&](TuiVisual* Sender) {
    EXPECT_EQ(Sender, &v);
    ++changes;
  };
  EXPECT_EQ(v.VisualObject(), nullptr);
  v.SetVisualObject(nullptr);
  EXPECT_EQ(changes, 0);
  v.SetVisualObject(first);
  v.SetVisualObject(first);
  EXPECT_EQ(changes, 1);
  TuiVisual other;
  other.SetVisualObject(second);
  v.Assign(other);
  EXPECT_EQ(v.VisualObject(), second);
  EXPECT_EQ(changes, 2);
  v.SetVisualObject(nullptr);
  EXPECT_EQ(changes, 3);
}

}  // namespace
