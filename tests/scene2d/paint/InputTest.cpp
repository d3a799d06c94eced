// Hit testing and the routing of mouse, keys and focus through a host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "tests/scene2d/paint/PaintFixtures.h"

using namespace paint_fixtures;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

namespace {

class Input : public TScene {};

// ---- hit testing ----

TEST_F(Input, PointInObjectIsStrictOnEveryEdge) {
  TBox* a = Add(Root.get(), "a", 10, 20, 30, 40);
  struct {
    float X, Y;
    bool Inside;
  } cases[] = {{10, 30, false}, {10.01f, 30, true}, {40, 30, false}, {39.99f, 30, true},
               {20, 20, false}, {20, 20.01f, true}, {20, 60, false}, {20, 59.99f, true}};
  for (const auto& c : cases) EXPECT_EQ(a->PointInObject(c.X, c.Y), c.Inside) << c.X << ", " << c.Y;
}

// A segment of 18 x 67 turned by 5 degrees about its centre: points just
// inside and just outside its slanted left edge.
TEST_F(Input, ARotatedSegmentIsHitInsideItsSlantedEdgeOnly) {
  TBox* seg = Add(Root.get(), "seg", 40, 10, 18, 67);
  seg->SetRotateAngle(5);
  // Walk along the left edge: local (0, y) in scene coordinates, with the
  // edge's outward normal (-cos 5, -sin 5) in the scene.
  const float nx = -std::cos(DegToRad(5)), ny = -std::sin(DegToRad(5));
  for (float y : {5.0f, 33.5f, 60.0f}) {
    const TuiPoint edge = seg->LocalToAbsolute({0, y});
    EXPECT_EQ(Host->ObjectAt(edge.X - 0.05f * nx, edge.Y - 0.05f * ny), seg) << y;
    EXPECT_EQ(Host->ObjectAt(edge.X + 0.05f * nx, edge.Y + 0.05f * ny), Root.get()) << y;
  }
  // The unturned edge at x = 40 no longer decides: at the bottom the segment
  // reaches left of it, at the top it starts right of it.
  const TuiPoint bottom = seg->LocalToAbsolute({0, 66});
  const TuiPoint top = seg->LocalToAbsolute({0, 1});
  EXPECT_LT(bottom.X, 40);
  EXPECT_EQ(Host->ObjectAt(bottom.X + 0.2f, bottom.Y), seg);
  EXPECT_GT(top.X, 40);
  EXPECT_EQ(Host->ObjectAt(40.5f, top.Y), Root.get());
}

TEST_F(Input, AScaledObjectIsHitOverItsScaledArea) {
  TBox* a = Add(Root.get(), "a", 10, 10, 10, 10);
  a->Scale()->SetPoint({3, 0.5f});
  EXPECT_EQ(Host->ObjectAt(38, 12), a);
  EXPECT_EQ(Host->ObjectAt(38, 16), Root.get());
}

TEST_F(Input, ObjectByPointSearchesFromTheLastChildAndSkipsWhatTakesNoHits) {
  TBox* panel = Add(Root.get(), "panel", 10, 10, 60, 60);
  TBox* under = Add(panel, "under", 5, 5, 20, 20);
  TBox* picture = Add(panel, "picture", 0, 0, 60, 60);
  TBox* pin = Add(picture, "pin", 40, 40, 10, 10);
  EXPECT_EQ(Host->ObjectAt(20, 20), picture);  // never the child under it
  EXPECT_EQ(Host->ObjectAt(55, 55), pin);
  picture->SetHitTest(false);
  EXPECT_EQ(Host->ObjectAt(20, 20), under);
  EXPECT_EQ(Host->ObjectAt(55, 55), pin);  // its children still are
  pin->SetVisible(false);
  EXPECT_EQ(Host->ObjectAt(55, 55), panel);
  panel->SetClipChildren(true);
  under->Position()->SetPoint({55, 5});  // reaches out of the panel
  EXPECT_EQ(Host->ObjectAt(72, 20), Root.get());
}

TEST_F(Input, FindDropTargetTakesOnlyAnAcceptingObject) {
  TBox* a = Add(Root.get(), "a", 10, 10, 40, 40);
  Add(a, "b", 10, 10, 10, 10);
  a->Events().OnDragOver = [](TuiObject*, const TuiDragObject& D, const TuiPoint&, bool& Accept) {
    Accept = D.Data == "text";
  };
  EXPECT_EQ(Root->FindDropTarget({25, 25}, {nullptr, "text"}), a);  // b does not accept
  EXPECT_EQ(Root->FindDropTarget({25, 25}, {nullptr, "file"}), nullptr);
}

// ---- mouse ----

TEST_F(Input, PressAndReleaseInsideClicksReleaseOutsideDoesNot) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 15, 15);
  Host->MouseUp(uxMouseLeft, 0, 20, 20);
  EXPECT_THAT(Log, ElementsAre("a.click"));
  // Released with the mouse captured, so that a gets the release wherever it is.
  a->SetAutoCapture(true);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 15, 15);
  Host->MouseUp(uxMouseLeft, 0, 30, 30);  // the bottom-right corner counts
  Host->MouseDown(uxMouseLeft, uxLeftButton, 15, 15);
  Host->MouseUp(uxMouseLeft, 0, 30.5f, 20);
  EXPECT_EQ(Host->GetCaptured(), nullptr);  // the release let it go
  Host->MouseDown(uxMouseRight, uxRightButton, 15, 15);
  Host->MouseUp(uxMouseRight, 0, 15, 15);
  Host->MouseDown(uxMouseMiddle, uxMiddleButton, 15, 15);
  Host->MouseUp(uxMouseMiddle, 0, 15, 15);
  EXPECT_THAT(Log, ElementsAre("a.click", "a.click"));
}

TEST_F(Input, APressOnNothingMovesTheWindowAndOnASizeGripResizesIt) {
  struct TGrip : TBox {
    using TBox::TBox;
    bool IsSizeGrip() const override { return true; }
  };
  auto* grip = new TGrip(Root.get(), "grip", &Log);
  grip->SetBounds(80, 80, 15, 15);
  grip->SetParent(Root.get());
  Root->SetHitTest(false);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 50, 50);
  Host->MouseUp(uxMouseLeft, 0, 50, 50);
  EXPECT_EQ(Host->WindowMoves(), 1);
  // The grip is not pressed: the host resizes the window instead, so no click.
  Host->MouseDown(uxMouseLeft, uxLeftButton, 90, 90);
  Host->MouseUp(uxMouseLeft, 0, 90, 90);
  EXPECT_EQ(Host->WindowResizes(), 1);
  EXPECT_EQ(Host->WindowMoves(), 1);
  EXPECT_THAT(Log, ElementsAre());
}

TEST_F(Input, ADoubleClickGivesDblClickAndNoSecondClick) {
  Add(Root.get(), "a", 10, 10, 20, 20);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 15, 15);
  Host->MouseUp(uxMouseLeft, 0, 15, 15);
  Host->MouseDown(uxMouseLeft, uxLeftButton | uxDouble, 15, 15);
  Host->MouseUp(uxMouseLeft, 0, 15, 15);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 15, 15);
  Host->MouseUp(uxMouseLeft, 0, 15, 15);
  EXPECT_THAT(Log, ElementsAre("a.click", "a.dblclick", "a.click"));
}

TEST_F(Input, ObjectsGetTheirLocalCoordinates) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  a->Scale()->SetPoint({2, 2});
  TuiPoint down, move;
  a->Events().OnMouseDown = [&](TuiObject*, TuiMouseButton, TuiShiftState, float X, float Y) {
    down = {X, Y};
  };
  a->Events().OnMouseMove = [&](TuiObject*, TuiShiftState, float X, float Y, float, float) { move = {X, Y}; };
  Host->MouseMove(0, 20, 30);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 30, 14);
  EXPECT_EQ(move, (TuiPoint{5, 10}));
  EXPECT_EQ(down, (TuiPoint{10, 2}));
}

TEST_F(Input, EnterAndLeaveFollowTheMouseAndRunTheMouseOverState) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  TBox* b = Add(Root.get(), "b", 50, 10, 20, 20);
  b->SetShowHint(true);
  b->SetHint("bee");
  b->SetCursor(-21);
  Host->MouseMove(0, 15, 15);
  EXPECT_TRUE(a->IsMouseOver());
  Host->MouseMove(0, 16, 15);
  Host->MouseMove(0, 55, 15);
  EXPECT_FALSE(a->IsMouseOver());
  EXPECT_TRUE(b->IsMouseOver());
  EXPECT_EQ(Host->HintText(), "bee");
  EXPECT_EQ(Host->CursorShape(), -21);
  Host->MouseMove(0, 150, 15);  // off every object
  EXPECT_FALSE(b->IsMouseOver());
  EXPECT_EQ(Host->Hovered(), nullptr);
  EXPECT_THAT(Log, ElementsAre("a.enter", "a.move", "a.move", "a.leave", "b.enter", "b.move", "b.leave"));
}

TEST_F(Input, CaptureRoutesMovesToTheCapturedObjectWithoutEnterOrLeave) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  Add(Root.get(), "b", 50, 10, 20, 20);
  a->SetAutoCapture(true);
  TuiPoint last;
  a->Events().OnMouseMove = [&](TuiObject*, TuiShiftState, float X, float Y, float, float) { last = {X, Y}; };
  Host->MouseMove(0, 15, 15);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 15, 15);
  ASSERT_EQ(Host->GetCaptured(), a);
  Log.clear();
  Host->MouseMove(0, 55, 15);   // over b
  Host->MouseMove(0, 150, 15);  // off everything
  EXPECT_THAT(Log, ElementsAre("a.move", "a.move"));
  EXPECT_EQ(last, (TuiPoint{140, 5}));
  EXPECT_TRUE(a->IsMouseOver());
  Host->MouseUp(uxMouseLeft, 0, 55, 15);  // to the captured object: no click outside it
  EXPECT_EQ(Host->GetCaptured(), nullptr);
  EXPECT_THAT(Log, ElementsAre("a.move", "a.move"));
  Host->MouseMove(0, 55, 15);
  EXPECT_THAT(Log, ElementsAre("a.move", "a.move", "a.leave", "b.enter", "b.move"));
}

TEST_F(Input, TheWheelBubblesUpUntilHandled) {
  TBox* a = Add(Root.get(), "a", 10, 10, 40, 40);
  TBox* b = Add(a, "b", 5, 5, 10, 10);
  std::vector<std::string> got;
  b->Events().OnMouseWheel = [&](TuiObject*, TuiShiftState, int D, const TuiPoint& P, bool&) {
    got.push_back("b " + std::to_string(D) + " " + std::to_string(int(P.X)));
  };
  a->Events().OnMouseWheel = [&](TuiObject*, TuiShiftState, int, const TuiPoint&, bool& Handled) {
    got.push_back("a");
    Handled = true;
  };
  Root->Events().OnMouseWheel = [&](TuiObject*, TuiShiftState, int, const TuiPoint&, bool&) {
    got.push_back("root");
  };
  Host->MouseMove(0, 17, 17);
  Host->MouseWheel(0, 120);
  EXPECT_THAT(got, ElementsAre("b 120 17", "a"));
}

TEST_F(Input, FreeingTheHoveredOrCapturedObjectLeavesNothingBehind) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  Host->MouseMove(0, 15, 15);
  a->Capture();
  delete a;
  EXPECT_EQ(Host->Hovered(), nullptr);
  EXPECT_EQ(Host->GetCaptured(), nullptr);
  Host->MouseMove(0, 16, 15);
  EXPECT_EQ(Host->Hovered(), Root.get());
}

// ---- focus and keys ----

TEST_F(Input, KillFocusOfTheOldObjectRunsBeforeEnterFocusOfTheNew) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  TBox* b = Add(Root.get(), "b", 50, 10, 20, 20);
  TBox* plain = Add(Root.get(), "plain", 10, 50, 20, 20);
  a->SetCanFocused(true);
  b->SetCanFocused(true);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 15, 15);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 55, 15);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 15, 55);  // cannot take the focus
  plain->SetFocus();
  EXPECT_THAT(Log, ElementsAre("a.enterfocus", "a.killfocus", "b.enterfocus"));
  EXPECT_EQ(Host->GetFocused(), b);
  EXPECT_TRUE(b->IsFocused());
  EXPECT_FALSE(a->IsFocused());
}

TEST_F(Input, OnCanFocusedCanRefuseTheFocus) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  a->SetCanFocused(true);
  bool allow = false;
  a->Events().OnCanFocused = [&](TuiObject*, bool& Can) { Can = allow; };
  a->SetFocus();
  EXPECT_EQ(Host->GetFocused(), nullptr);
  allow = true;
  a->SetFocus();
  EXPECT_EQ(Host->GetFocused(), a);
}

TEST_F(Input, HidingOrRemovingTheFocusedObjectTakesTheFocusAway) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  a->SetCanFocused(true);
  a->SetFocus();
  a->SetVisible(false);
  EXPECT_EQ(Host->GetFocused(), nullptr);
  EXPECT_FALSE(a->IsFocused());
  a->SetVisible(true);
  a->SetFocus();
  a->SetParent(nullptr);
  EXPECT_EQ(Host->GetFocused(), nullptr);
  EXPECT_FALSE(a->IsFocused());
  delete a;
}

TEST_F(Input, KeysGoToTheFocusedObjectAndDialogKeysToChildrenUntilConsumed) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  a->SetCanFocused(true);
  a->SetFocus();
  std::vector<std::string> got;
  a->Events().OnKeyDown = [&](TuiObject*, uint16_t& Key, char32_t&, TuiShiftState) {
    got.push_back("a " + std::to_string(Key));
  };
  uint16_t key = 65;
  char32_t ch = U'A';
  Host->KeyDown(key, ch, 0);
  EXPECT_THAT(got, ElementsAre("a 65"));

  struct TEater : TBox {
    using TBox::TBox;
    void DialogKey(uint16_t& Key, TuiShiftState) override {
      Note("dialogkey");
      if (Key == 27) Key = 0;
    }
  };
  auto* e1 = new TEater(Root.get(), "e1", &Log);
  auto* e2 = new TEater(Root.get(), "e2", &Log);
  auto* e3 = new TEater(Root.get(), "e3", &Log);
  e1->SetParent(Root.get());
  e2->SetParent(Root.get());
  e3->SetParent(Root.get());
  e1->SetEnabled(false);
  Log.clear();
  key = 27;
  Root->DialogKey(key, 0);
  EXPECT_EQ(key, 0);
  EXPECT_THAT(Log, ElementsAre("e2.dialogkey"));
}

class TMenu : public TuiComponent, public IuxPopupMenu {
 public:
  using TuiComponent::TuiComponent;
  TuiComponent* For = nullptr;
  int32_t X = -1, Y = -1;
  void SetPopupComponent(TuiComponent* C) override { For = C; }
  void Popup(int32_t AX, int32_t AY) override {
    X = AX;
    Y = AY;
  }
};

TEST_F(Input, ARightPressOrTheMenuKeyOpensTheContextMenuAtScreenPoints) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 20);
  TMenu menu(nullptr);
  a->SetPopupMenu(&menu);
  Host->ScreenOrigin = {100, 200};
  Host->MouseDown(uxMouseRight, uxRightButton, 15.7f, 16.2f);
  EXPECT_EQ(menu.For, a);
  EXPECT_EQ(menu.X, 115);
  EXPECT_EQ(menu.Y, 216);
  a->SetCanFocused(true);
  a->SetFocus();
  uint16_t key = uxKeyApps;
  char32_t ch = 0;
  Host->KeyDown(key, ch, 0);
  EXPECT_EQ(menu.X, 120);
  EXPECT_EQ(menu.Y, 220);
  a->SetPopupMenu(nullptr);
}

TEST_F(Input, AnAutomaticDragStartsWithAPictureOfTheObject) {
  TBox* a = Add(Root.get(), "a", 10, 10, 20, 30);
  a->SetDragMode(uxDragAutomatic);
  Host->MouseDown(uxMouseLeft, uxLeftButton, 15, 15);
  EXPECT_EQ(Host->DragSource(), a);
  EXPECT_EQ(Host->DragImageSize(), (TuiPoint{20, 30}));
  a->DragEnd();  // releases the press without a click
  Host->MouseUp(uxMouseLeft, 0, 15, 15);
  EXPECT_THAT(Log, Not(Contains("a.click")));
}

}  // namespace
