// The text caret: its look and flags when first made, placing, sizing and
// colouring it as it shows on the screen, its lifetime, and the blink seam.
#include <gtest/gtest.h>

#include <string>

#include "draw2d/Draw2dRegistration.h"
#include "draw2d/ShapeRectangles.h"
#include "tests/scene2d/paint/PaintFixtures.h"

using namespace paint_fixtures;

namespace {

constexpr TuiColor Black = 0xFF000000, Grey = 0xFF808080, Blue = 0xFF0000FF, Red = 0xFFFF0000;

class Caret : public TScene {
 protected:
  void SetUp() override {
    TScene::SetUp();
    RegisterDraw2dClasses();
    Edit = Add(Root.get(), "edit", 20, 10, 60, 40, Grey);
  }
  TBox* Edit = nullptr;
};

TEST_F(Caret, IsMadeOnFirstUseAsAHiddenUnstoredRectangleChild) {
  EXPECT_EQ(Edit->Caret(), nullptr);
  Edit->HideTextCaret();
  auto* caret = dynamic_cast<TuiRectangle*>(Edit->Caret());
  ASSERT_NE(caret, nullptr);
  EXPECT_EQ(caret->Parent(), Edit);
  EXPECT_EQ(caret->Owner(), Edit);
  EXPECT_FALSE(caret->Stored());
  EXPECT_FALSE(caret->HitTest());
  EXPECT_TRUE(caret->Locked());
  EXPECT_FALSE(caret->Visible());
  EXPECT_EQ(caret->Width(), 3);
  EXPECT_EQ(caret->Height(), 20);
  EXPECT_EQ(caret->Fill()->Style(), uxBrushSolid);
  EXPECT_EQ(caret->Fill()->ColorValue(), Blue);
  EXPECT_EQ(caret->Stroke()->Style(), uxBrushNone);
  // Every operation reuses it.
  Edit->ShowTextCaret();
  Edit->SetCaretPosition({1, 1});
  EXPECT_EQ(Edit->Caret(), caret);
  EXPECT_EQ(Edit->ChildrenCount(), 1);
  // Streams and clones leave it out.
  EXPECT_EQ(Edit->ObjectToText().find("TuiRectangle"), std::string::npos);
}

TEST_F(Caret, PositionIsRoundedToWholeUnitsHalvesToEven) {
  const struct {
    TuiPoint Given, Placed;
  } cases[] = {
      {{10.5f, 11.5f}, {10, 12}}, {{2.4f, 2.6f}, {2, 3}}, {{-0.5f, -1.5f}, {0, -2}}, {{7, 0}, {7, 0}}};
  for (const auto& c : cases) {
    Edit->SetCaretPosition(c.Given);
    const TuiPoint p = Edit->Caret()->Position()->Point();
    EXPECT_EQ(p.X, c.Placed.X) << c.Given.X;
    EXPECT_EQ(p.Y, c.Placed.Y) << c.Given.Y;
  }
}

TEST_F(Caret, ShowsWhereItIsPlacedInItsSizeAndColourAndGoesWhenHidden) {
  PaintAll();
  Edit->SetCaretPosition({10, 5});  // scene (30, 15) .. (33, 35)
  Host->PaintTree();
  EXPECT_EQ(Pixel(31, 20), Grey) << "hidden until shown";

  Edit->ShowTextCaret();
  Host->PaintTree();
  EXPECT_EQ(Pixel(30, 15), Blue);
  EXPECT_EQ(Pixel(32, 34), Blue);
  EXPECT_EQ(Pixel(33, 20), Grey);
  EXPECT_EQ(Pixel(31, 35), Grey);

  Edit->SetCaretSize({6, 10});
  Edit->SetCaretColor(Red);
  Host->PaintTree();
  EXPECT_EQ(Pixel(35, 24), Red);
  EXPECT_EQ(Pixel(31, 30), Grey) << "the old, longer bar is gone";
  EXPECT_EQ(Edit->Caret()->Width(), 6);
  EXPECT_EQ(Edit->Caret()->Height(), 10);

  Edit->SetCaretPosition({40.4f, 20.6f});  // scene (60, 31)
  Host->PaintTree();
  EXPECT_EQ(Pixel(60, 31), Red);
  EXPECT_EQ(Pixel(35, 24), Grey);

  Edit->HideTextCaret();
  Host->PaintTree();
  EXPECT_EQ(Pixel(60, 31), Grey);
  EXPECT_EQ(Pixel(5, 5), Black);
}

TEST_F(Caret, TakesNoHitsAndIsMadeAgainAfterBeingFreed) {
  Edit->SetCaretPosition({0, 0});
  Edit->ShowTextCaret();
  EXPECT_EQ(Host->ObjectAt(21, 11), Edit);

  Edit->DeleteChildren();
  EXPECT_EQ(Edit->Caret(), nullptr);
  Edit->ShowTextCaret();
  ASSERT_NE(Edit->Caret(), nullptr);
  EXPECT_TRUE(Edit->Caret()->Visible());
  EXPECT_EQ(Edit->Caret()->Position()->Point().X, 0);

  delete Edit->Caret();
  EXPECT_EQ(Edit->Caret(), nullptr);
  Edit->SetCaretColor(Red);  // made again, hidden, in the new colour
  EXPECT_FALSE(Edit->Caret()->Visible());
  EXPECT_EQ(dynamic_cast<TuiRectangle*>(Edit->Caret())->Fill()->ColorValue(), Red);
  // Freeing the object takes the caret with it (the sanitizer run checks).
  delete Edit;
}

TEST_F(Caret, WithoutAMakerTheOperationsDoNothing) {
  IuxCaretMaker* maker = TuiVisualObject::CaretMaker;
  TuiVisualObject::CaretMaker = nullptr;
  Edit->ShowTextCaret();
  Edit->SetCaretPosition({3, 3});
  Edit->SetCaretSize({2, 2});
  Edit->SetCaretColor(Red);
  Edit->HideTextCaret();
  TuiVisualObject::CaretMaker = maker;
  EXPECT_EQ(Edit->Caret(), nullptr);
  EXPECT_EQ(Edit->ChildrenCount(), 0);
}

// A stand-in for the blink animation, which the animation code will make.
class TBlink : public TuiObject, public IuxAnimation {
 public:
  using TuiObject::TuiObject;
  int Starts = 0;
  bool Runs = false;
  void Start() override {
    ++Starts;
    Runs = true;
  }
  void Stop() override { Runs = false; }
  bool Running() const override { return Runs; }
  bool HasTrigger() const override { return false; }
  void StartTrigger(TuiObject*, std::string_view) override {}
};

class TAnimatingHost : public TuiBufferedScene {
 public:
  using TuiBufferedScene::TuiBufferedScene;
  bool AnimatedCaret = true;
  bool GetAnimatedCaret() override { return AnimatedCaret; }
};

TEST_F(Caret, GetsItsBlinkOnlyUnderAnAnimatingHostAndShowStartsIt) {
  TAnimatingHost host(100, 100);
  TBox root(nullptr, "other", nullptr);
  host.AddObject(&root);
  int made = 0;
  TBlink* blink = nullptr;
  TuiVisualObject::CaretAnimationMaker = [&](TuiVisualObject& Caret) {
    ++made;
    blink = new TBlink(&Caret);
    blink->SetBindingName("Caret");
    blink->SetParent(&Caret);
  };
  struct TRestore {
    ~TRestore() { TuiVisualObject::CaretAnimationMaker = nullptr; }
  } restore;

  Edit->ShowTextCaret();  // the fixture's host does not animate carets
  EXPECT_EQ(made, 0);

  root.SetCaretPosition({1, 1});
  ASSERT_EQ(made, 1);
  EXPECT_EQ(blink->Parent(), root.Caret());
  EXPECT_EQ(blink->Starts, 0) << "made, not started";
  root.ShowTextCaret();
  root.ShowTextCaret();
  EXPECT_EQ(blink->Starts, 1) << "a running blink is not restarted";
  root.HideTextCaret();
  blink->Stop();
  root.ShowTextCaret();
  EXPECT_EQ(blink->Starts, 2);
  EXPECT_EQ(made, 1);
  host.RemoveObject(&root);
}

}  // namespace
