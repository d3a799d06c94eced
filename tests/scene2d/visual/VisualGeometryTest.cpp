#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "FakeScene.h"
#include "scene2d/Layouts.h"

namespace {

void ExpectNear(const TuiPoint& Actual, const TuiPoint& Expected) {
  EXPECT_NEAR(Actual.X, Expected.X, 1e-4) << "x";
  EXPECT_NEAR(Actual.Y, Expected.Y, 1e-4) << "y";
}

TEST(VisualGeometry, LocalMatrixRotatesAboutThePivotThenScalesThenMoves) {
  struct TRow {
    const char* Name;
    TuiPoint Pos, Scale, Center;
    float Angle;
    TuiPoint Local, Expected;
  } rows[] = {
      {"moved", {10, 20}, {1, 1}, {0.5f, 0.5f}, 0, {1, 1}, {11, 21}},
      {"scaled", {10, 20}, {2, 3}, {0.5f, 0.5f}, 0, {1, 1}, {12, 23}},
      {"clockwise about the corner", {10, 20}, {1, 1}, {0, 0}, 90, {40, 0}, {10, 60}},
      {"rotated before scaled", {10, 20}, {1, 2}, {0, 0}, 90, {40, 0}, {10, 100}},
      {"about the centre", {0, 0}, {1, 1}, {0.5f, 0.5f}, 90, {40, 10}, {20, 30}},
      {"pivot in unscaled units", {0, 0}, {2, 2}, {0.5f, 0.5f}, 180, {0, 0}, {80, 40}},
  };
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.Name);
    TuiVisualObject o(nullptr);
    o.SetWidth(40);
    o.SetHeight(20);
    o.Position()->SetPoint(r.Pos);
    o.Scale()->SetPoint(r.Scale);
    o.RotateCenter()->SetPoint(r.Center);
    o.SetRotateAngle(r.Angle);
    ExpectNear(o.LocalToAbsolute(r.Local), r.Expected);
    ExpectNear(o.AbsoluteToLocal(r.Expected), r.Local);
  }
}

TEST(VisualGeometry, FiveDegreesAboutTheCentreKeepsTheCentre) {
  TuiVisualObject segment(nullptr);
  segment.SetBounds(10, 20, 40, 8);
  const TuiRect flat = segment.GetAbsoluteRect();
  EXPECT_EQ(flat, (TuiRect{10, 20, 50, 28}));
  segment.SetRotateAngle(5);
  const TuiRect turned = segment.GetAbsoluteRect();
  EXPECT_NEAR((turned.Left + turned.Right) / 2, 30, 1e-4);
  EXPECT_NEAR((turned.Top + turned.Bottom) / 2, 24, 1e-4);
  // Half-diagonal of a 40 x 8 box turned by 5 degrees.
  const float s = std::sin(5 * 3.14159265f / 180), c = std::cos(5 * 3.14159265f / 180);
  EXPECT_NEAR(turned.Width(), 40 * c + 8 * s, 1e-3);
  EXPECT_NEAR(turned.Height(), 40 * s + 8 * c, 1e-3);

  // Resizing a rotated object keeps the pivot at the new centre.
  segment.SetWidth(20);
  const TuiRect resized = segment.GetAbsoluteRect();
  EXPECT_NEAR((resized.Left + resized.Right) / 2, 20, 1e-4);
}

TEST(VisualGeometry, AbsoluteMatricesChainAndFollowEveryAncestorChange) {
  auto root = std::make_unique<TuiLayout>(nullptr);
  auto* middle = new TuiVisualObject(nullptr);
  auto* leaf = new TuiVisualObject(nullptr);
  root->AddObject(middle);
  middle->AddObject(leaf);
  root->Position()->SetPoint({100, 0});
  middle->Scale()->SetPoint({2, 2});
  leaf->Position()->SetPoint({5, 5});
  ExpectNear(leaf->LocalToAbsolute({0, 0}), {110, 10});
  EXPECT_EQ(leaf->LocalToAbsoluteVector({1, 0, 1}), (TuiVector{2, 0, 0})) << "a vector does not move";
  EXPECT_EQ(leaf->AbsoluteToLocalVector({2, 0, 1}), (TuiVector{1, 0, 0}));
  EXPECT_EQ(leaf->GetAbsoluteScale(), (TuiPoint{2, 2}));

  // Cached values are refreshed after each ancestor change.
  root->Position()->SetX(0);
  ExpectNear(leaf->LocalToAbsolute({0, 0}), {10, 10});
  middle->SetRotateAngle(90);
  middle->RotateCenter()->SetPoint({0, 0});
  ExpectNear(leaf->LocalToAbsolute({0, 0}), {-10, 10});
  // A child that changes parents takes the new chain.
  middle->RemoveObject(leaf);
  ExpectNear(leaf->LocalToAbsolute({0, 0}), {5, 5});
  root->AddObject(leaf);
  root->Position()->SetY(7);
  ExpectNear(leaf->LocalToAbsolute({0, 0}), {5, 12});
  EXPECT_EQ(leaf->GetAbsoluteRect(), (TuiRect{5, 12, 55, 62}));
}

TEST(VisualGeometry, SingularMatrixLeavesPointsUnchanged) {
  TuiVisualObject flat(nullptr);
  flat.Position()->SetPoint({10, 10});
  flat.Scale()->SetPoint({0, 0});
  EXPECT_EQ(flat.AbsoluteToLocal({3, 4}), (TuiPoint{3, 4}));
}

TEST(VisualGeometry, AnglesAreNormalisedAndOpacityClamped) {
  struct TAngle {
    float Set, Stored;
  } angles[] = {{450, 90}, {-270, 90}, {270, 270}, {-180, -180}, {360, 0}};
  for (const TAngle& a : angles) {
    TuiVisualObject o(nullptr);
    o.SetRotateAngle(a.Set);
    EXPECT_EQ(o.RotateAngle(), a.Stored) << a.Set;
  }
  struct TOpacity {
    float Set, Stored;
  } opacities[] = {{1.5f, 1}, {-1, 0}, {0.25f, 0.25f}};
  for (const TOpacity& o : opacities) {
    TuiVisualObject v(nullptr);
    v.SetOpacity(o.Set);
    EXPECT_EQ(v.Opacity(), o.Stored) << o.Set;
  }
}

TEST(VisualGeometry, DisabledContentFadesBelowTheWindowFrame) {
  TFakeScene host;
  auto* root = new TuiLayout(nullptr);
  host.AddObject(root);
  auto* frame = new TuiVisualObject(nullptr);
  auto* control = new TuiVisualObject(nullptr);
  auto* part = new TuiVisualObject(nullptr);
  auto* detail = new TuiVisualObject(nullptr);
  root->AddObject(frame);
  frame->AddObject(control);
  control->AddObject(part);
  part->AddObject(detail);

  control->SetEnabled(false);
  EXPECT_FLOAT_EQ(control->GetAbsoluteOpacity(), 0.8f);
  EXPECT_FLOAT_EQ(part->GetAbsoluteOpacity(), 0.64f);
  EXPECT_FLOAT_EQ(detail->GetAbsoluteOpacity(), 0.512f);
  EXPECT_FALSE(detail->GetAbsoluteEnabled());

  // The frame itself does not fade, its content does.
  control->SetEnabled(true);
  frame->SetEnabled(false);
  EXPECT_FLOAT_EQ(frame->GetAbsoluteOpacity(), 1);
  EXPECT_FLOAT_EQ(control->GetAbsoluteOpacity(), 0.8f);
  frame->SetEnabled(true);
  EXPECT_FLOAT_EQ(part->GetAbsoluteOpacity(), 1);
  EXPECT_TRUE(part->GetAbsoluteEnabled());

  root->SetOpacity(0.5f);
  part->SetOpacity(0.5f);
  EXPECT_FLOAT_EQ(detail->GetAbsoluteOpacity(), 0.25f);
  delete root;
  EXPECT_TRUE(host.Roots.empty());
}

TEST(VisualGeometry, DisabledOrHiddenObjectsLoseTheFocus) {
  TFakeScene host;
  auto* root = new TuiLayout(nullptr);
  host.AddObject(root);
  auto* panel = new TuiVisualObject(nullptr);
  auto* edit = new TuiVisualObject(nullptr);
  root->AddObject(panel);
  panel->AddObject(edit);

  host.Focused = edit;
  panel->SetEnabled(false);
  EXPECT_FALSE(edit->GetAbsoluteEnabled());
  EXPECT_EQ(host.Focused, nullptr);

  panel->SetEnabled(true);
  host.Focused = edit;
  EXPECT_TRUE(edit->GetAbsoluteEnabled());
  edit->SetVisible(false);
  EXPECT_EQ(host.Focused, nullptr);
  EXPECT_FALSE(edit->GetAbsoluteVisible());
  edit->SetVisible(true);
  panel->SetVisible(false);
  EXPECT_FALSE(edit->GetAbsoluteVisible());
  delete root;
}

TEST(VisualGeometry, RepaintsOnlyRealChangesOfALiveObject) {
  TFakeScene host;
  auto* root = new TuiLayout(nullptr);
  host.AddObject(root);
  auto* o = new TuiVisualObject(nullptr);
  root->AddObject(o);
  o->SetBounds(10, 20, 30, 40);
  o->SetOpacity(0.5f);
  o->SetRotateAngle(30);
  o->Scale()->SetPoint({2, 2});

  // Every setter given the value it already holds.
  host.UpdateRects.clear();
  o->SetWidth(30);
  o->SetHeight(40);
  o->SetOpacity(0.5f);
  o->SetRotateAngle(390);
  o->SetEnabled(true);
  o->SetVisible(true);
  o->SetAlign(vaNone);
  o->SetClipChildren(false);
  o->Position()->SetX(10);
  o->Margins()->SetRect({});
  o->Padding()->SetRect({});
  EXPECT_TRUE(host.UpdateRects.empty());

  host.UpdateRects.clear();
  o->SetRotateAngle(0);
  o->Scale()->SetPoint({1, 1});
  o->SetOpacity(0.25f);
  ASSERT_FALSE(host.UpdateRects.empty());
  EXPECT_EQ(host.UpdateRects.back(), (TuiRect{10, 20, 40, 60}));

  host.UpdateRects.clear();
  host.DisableUpdate = true;
  o->SetOpacity(1);
  o->SetLoading(true);
  host.DisableUpdate = false;
  o->SetWidth(70);
  o->SetOpacity(0.5f);
  EXPECT_TRUE(host.UpdateRects.empty()) << "no repaint while the host is suspended or the object loads";
  delete root;
}

TEST(VisualGeometry, ScaledLayoutScalesItsChildrenToItsSize) {
  auto layout = std::make_unique<TuiScaledLayout>(nullptr);
  auto* child = new TuiVisualObject(nullptr);
  layout->AddObject(child);
  child->SetBounds(10, 10, 10, 10);
  EXPECT_EQ(child->GetAbsoluteRect(), (TuiRect{10, 10, 20, 20}));
  layout->SetBounds(0, 0, 100, 150);
  EXPECT_EQ(child->GetAbsoluteRect(), (TuiRect{20, 30, 40, 60}));
  layout->SetOriginalHeight(75);
  EXPECT_EQ(child->GetAbsoluteRect(), (TuiRect{20, 20, 40, 40}));

  // A designer edits at the shown size: the content is not scaled there.
  layout->SetDesigning(true);
  layout->SetWidth(120);
  EXPECT_EQ(layout->OriginalWidth(), 120);
  EXPECT_EQ(layout->OriginalHeight(), 75);
  EXPECT_EQ(child->GetAbsoluteRect(), (TuiRect{10, 20, 20, 40}));
}

TEST(VisualGeometry, DesignerTurnsNegativeSizesIntoMirroring) {
  TuiVisualObject o(nullptr);
  o.SetDesigning(true);
  o.SetWidth(-30);
  EXPECT_EQ(o.Width(), 30);
  EXPECT_EQ(o.Scale()->X(), -1);
  o.SetDesigning(false);
  o.SetHeight(-20);
  EXPECT_EQ(o.Height(), -20) << "only a designer mirrors";
  EXPECT_EQ(o.Scale()->Y(), 1);
}

}  // namespace
