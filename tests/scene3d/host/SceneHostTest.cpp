#include <gtest/gtest.h>

#include "scene2d/Object.h"
#include "scene3d/AniThread.h"
#include "tests/scene3d/host/SceneHostFixture.h"

using namespace platform;

namespace {

TEST_F(SceneHostTest, RepaintRequestsDuringOneEventGiveOneFrame) {
  Scene->OnMouseDown = [](TscScene* S, TuiMouseButton, TuiShiftState, int, int) {
    for (int i = 0; i < 3; ++i) S->Invalidate();
  };
  const int pushed = Window().FramesPushed();
  const uint64_t rendered = Scene->FrameCount();
  System.MouseDown(Scene->Window(), plMouseLeft, 5, 5);
  System.ProcessMessages();
  System.ProcessMessages();
  EXPECT_EQ(Window().FramesPushed(), pushed + 1);
  EXPECT_EQ(Scene->FrameCount(), rendered + 1);
}

TEST_F(SceneHostTest, TheWindowShowsTheFrameOpaqueOrWithItsAlpha) {
  // An opaque scene's frame reaches the window with full alpha; a transparent
  // one keeps it, so a clear fill lets the desktop through.
  EXPECT_EQ(Window().Pixel(50, 40), 0xFF303030u);
  Scene->SetTransparency(true);
  Scene->SetFillColor("#00000000");
  System.ProcessMessages();
  EXPECT_EQ(Window().Pixel(50, 40), 0u);
  EXPECT_EQ(Window().ClientSize(), (TSize{100, 80}));
}

TEST_F(SceneHostTest, DraggingAnEmptyAreaMovesTheWindowUnderThePointer) {
  Scene->SetAllowDrag(true);
  System.MouseDown(Scene->Window(), plMouseLeft, 10, 10);
  EXPECT_TRUE(Scene->MovingWindow());
  const TPoint grabbed = System.CursorPos();
  for (TPoint to : {TPoint{25, 17}, TPoint{3, -20}, TPoint{40, 40}}) {
    System.MouseMove(Scene->Window(), to.X, to.Y);
    EXPECT_EQ(Scene->Window()->ClientToScreen({10, 10}), System.CursorPos());
  }
  const TRect moved = Scene->Window()->Bounds();
  EXPECT_NE(System.CursorPos(), grabbed);
  System.MouseUp(Scene->Window(), plMouseLeft, 10, 10);
  EXPECT_FALSE(Scene->MovingWindow());
  EXPECT_FALSE(Scene->Window()->HasCapture());
  System.MouseMove(Scene->Window(), 30, 30);
  EXPECT_EQ(Scene->Window()->Bounds(), moved);

  // The right button, or a press on an object, leaves the window where it is.
  auto* probe = new TProbe(60, 0, 40, 40);
  AddRoot()->AddObject(probe);
  System.MouseDown(Scene->Window(), plMouseRight, 10, 10);
  System.MouseMove(Scene->Window(), 20, 20);
  System.MouseUp(Scene->Window(), plMouseRight, 20, 20);
  System.MouseDown(Scene->Window(), plMouseLeft, 70, 10);
  System.MouseMove(Scene->Window(), 80, 20);
  System.MouseUp(Scene->Window(), plMouseLeft, 80, 20);
  EXPECT_EQ(Scene->Window()->Bounds(), moved);
  EXPECT_EQ(probe->Log, (std::vector<std::string>{"down", "enter", "click"}));
}

TEST_F(SceneHostTest, ASizeGripDragGrowsTheWindowByThePointersTravel) {
  auto* grip = new TProbe(88, 68, 12, 12);
  grip->OnPress = [this] { EXPECT_TRUE(Scene->BeginWindowResize()); };
  AddRoot()->AddObject(grip);
  const TRect before = Scene->Window()->Bounds();
  System.MouseDown(Scene->Window(), plMouseLeft, 94, 74);
  System.MouseMove(Scene->Window(), 98, 76);
  EXPECT_EQ(Scene->Window()->Bounds(), (TRect{before.Left, before.Top, before.Width + 4, before.Height + 2}));
  System.MouseMove(Scene->Window(), 104, 79);
  System.MouseUp(Scene->Window(), plMouseLeft, 104, 79);
  EXPECT_EQ(Scene->Window()->Bounds(),
            (TRect{before.Left, before.Top, before.Width + 10, before.Height + 5}));
  EXPECT_EQ(Scene->Width(), 110);
  EXPECT_EQ(Scene->Height(), 85);
  System.ProcessMessages();
  EXPECT_EQ(Scene->Canvas()->Width(), 110);
  EXPECT_EQ(Window().Pixel(105, 82), 0xFF303030u);  // the new area is drawn
}

TEST_F(SceneHostTest, PressAndReleaseClickAndThePointerTakesTheObjectsCursor) {
  auto* probe = new TProbe(10, 10, 30, 30);
  probe->SetCursor(plCursorHand);
  AddRoot()->AddObject(probe);
  System.MouseMove(Scene->Window(), 20, 20);
  EXPECT_EQ(Scene->Window()->Cursor(), plCursorHand);
  System.MouseDown(Scene->Window(), plMouseLeft, 20, 20);
  System.MouseUp(Scene->Window(), plMouseLeft, 20, 20);
  System.MouseMove(Scene->Window(), 70, 70);
  EXPECT_EQ(probe->Log, (std::vector<std::string>{"enter", "down", "click", "leave"}));
  EXPECT_EQ(Scene->Window()->Cursor(), plCursorDefault);
  EXPECT_EQ(Scene->Hovered(), nullptr);
}

TEST_F(SceneHostTest, ACapturedObjectGetsMovesEverywhereUntilItLetsGo) {
  auto* probe = new TProbe(10, 10, 20, 20);
  int moves = 0;
  probe->OnMouseMove = [&](TscObject*, TuiShiftState, float, float, const TscVector&, const TscVector&) {
    ++moves;
  };
  probe->OnPress = [&] { Scene->SetCaptured(probe); };
  AddRoot()->AddObject(probe);
  System.MouseDown(Scene->Window(), plMouseLeft, 15, 15);
  EXPECT_TRUE(Scene->Window()->HasCapture());
  System.MouseMove(Scene->Window(), 90, 70);
  System.MouseMove(Scene->Window(), -30, 200);
  EXPECT_EQ(moves, 2);
  System.MouseUp(Scene->Window(), plMouseLeft, -30, 200);
  EXPECT_EQ(Scene->Captured(), nullptr);
  EXPECT_FALSE(Scene->Window()->HasCapture());
}

// A GUI layer stand-in: in its own place it lists two 2D controls.
class TFakeLayer : public TProbe {
 public:
  TFakeLayer() : TProbe(0, 0, 10, 10), A(nullptr), B(nullptr) {}
  void CollectTabEntries(std::vector<TscTabEntry>& List) override {
    List.push_back({this, &A});
    List.push_back({this, &B});
  }
  bool CanFocusEntry(const TscTabEntry& E) const override { return E.Control != nullptr; }
  void FocusEntry(const TscTabEntry& E) override { Current = E.Control; }
  TscTabEntry FocusedEntry() override { return {this, Current}; }
  TuiObject A, B;
  TuiObject* Current = nullptr;
};

TEST_F(SceneHostTest, TabWalksObjectsAndLayerControlsAndWraps) {
  TscVisualObject* root = AddRoot();
  auto* first = new TProbe(0, 0, 5, 5);
  auto* skipped = new TProbe(0, 0, 5, 5);  // cannot take the focus
  auto* hidden = new TProbe(0, 0, 5, 5);
  auto* layer = new TFakeLayer;
  for (TProbe* p : {first, skipped, hidden, static_cast<TProbe*>(layer)}) root->AddObject(p);
  first->SetCanFocused(true);
  hidden->SetCanFocused(true);
  hidden->SetVisible(false);
  Window().Activate();

  auto stop = [&]() -> TscTabEntry {
    return Scene->Focused() ? Scene->Focused()->FocusedEntry() : TscTabEntry{};
  };
  const std::vector<TscTabEntry> forward = {
      {first, nullptr}, {layer, &layer->A}, {layer, &layer->B}, {first, nullptr}, {layer, &layer->A}};
  for (const TscTabEntry& want : forward) {
    System.KeyDown(plKeyTab, 0, '\t');
    EXPECT_EQ(stop(), want);
  }
  EXPECT_TRUE(layer->IsFocused());
  System.KeyDown(plKeyTab, plShift, '\t');
  EXPECT_EQ(stop(), (TscTabEntry{first, nullptr}));
  EXPECT_TRUE(first->IsFocused());
  EXPECT_FALSE(layer->IsFocused());
  System.KeyDown(plKeyTab, plShift, '\t');
  EXPECT_EQ(stop(), (TscTabEntry{layer, &layer->B}));
}

TEST_F(SceneHostTest, KeysReachTheFocusedObjectWithTheControlCharacterRule) {
  auto* probe = new TProbe(0, 0, 5, 5);
  AddRoot()->AddObject(probe);
  Scene->SetFocused(probe);
  Window().Activate();
  using K = TProbe::TKey;
  const struct {
    uint16_t Key;
    TShiftState Mods;
    char32_t Plain;
    std::vector<K> Want;
  } cases[] = {
      {'A', 0, 'a', {{'A', 0, 0}, {0, 'a', 0}}},
      {'A', plCtrl, 'a', {{'A', 0, plCtrl}, {0, 'a', plCtrl}}},
      {'C', plCtrl, 'c', {{'C', 0, plCtrl}, {0, 'c', plCtrl}}},
      {'V', plCtrl, 'v', {{'V', 0, plCtrl}, {0, 'v', plCtrl}}},
      {'X', plCtrl, 'x', {{'X', 0, plCtrl}, {0, 'x', plCtrl}}},
      {'Z', plCtrl, 'z', {{'Z', 0, plCtrl}, {0, 'z', plCtrl}}},
      {'B', plCtrl, 'b', {{'B', 0, plCtrl}, {0, 2, plCtrl}}},
      {plKeyReturn, 0, 13, {{plKeyReturn, 0, 0}}},
  };
  for (const auto& c : cases) {
    probe->Keys.clear();
    System.KeyDown(c.Key, c.Mods, c.Plain);
    EXPECT_EQ(probe->Keys, c.Want) << "key " << c.Key;
  }
}

TEST_F(SceneHostTest, FreedObjectsLeaveNoReferenceBehind) {
  TscVisualObject* root = AddRoot();
  auto* probe = new TProbe(10, 10, 30, 30);
  root->AddObject(probe);
  probe->OnPress = [&] { Scene->SetCaptured(probe); };
  probe->SetCanFocused(true);
  System.MouseMove(Scene->Window(), 20, 20);
  System.MouseDown(Scene->Window(), plMouseLeft, 20, 20);
  ASSERT_EQ(Scene->Focused(), probe);
  ASSERT_EQ(Scene->Hovered(), probe);
  delete probe;
  EXPECT_EQ(Scene->Focused(), nullptr);
  EXPECT_EQ(Scene->Captured(), nullptr);
  EXPECT_EQ(Scene->Hovered(), nullptr);
  System.MouseMove(Scene->Window(), 25, 25);
  System.MouseUp(Scene->Window(), plMouseLeft, 25, 25);
  delete root;
  EXPECT_EQ(Scene->RootObject(), nullptr);
  // The scene frees what is left; ASan watches the rest.
  Scene->AddObject(new TProbe(0, 0, 1, 1));
}

TEST_F(SceneHostTest, HintsComeFromTheObjectUnderThePoint) {
  auto* probe = new TProbe(10, 10, 30, 30);
  probe->SetHint("fuel");
  AddRoot()->AddObject(probe);
  std::string text;
  TuiRect area;
  EXPECT_FALSE(Scene->HintAt(20, 20, text, area));  // ShowHint is off
  probe->SetShowHint(true);
  ASSERT_TRUE(Scene->HintAt(20, 25, text, area));
  EXPECT_EQ(text, "fuel");
  EXPECT_EQ(area, (TuiRect{10, 15, 30, 35}));
  EXPECT_FALSE(Scene->HintAt(70, 70, text, area));
}

TEST_F(SceneHostTest, RealTimeRendersWhenIdleAndSleepsBetweenFrames) {
  float ticked = 0;
  AddRoot()->OnTick = [&](TscObject*, float, float Delta) { ticked += Delta; };
  System.ProcessMessages();
  Scene->SetRealTimeSleep(40);
  Scene->SetRealTime(true);
  const uint64_t start = System.Clock().Now();
  const uint64_t frames = Scene->FrameCount(), sleeps = System.Sleeps();
  System.RunUntil(start + 100);
  // Frames at 0, 40 and 80 ms; the loop slept until each next one was due.
  EXPECT_EQ(Scene->FrameCount() - frames, 3u);
  EXPECT_EQ(System.Sleeps() - sleeps, 2u);
  EXPECT_NEAR(ticked, 0.001f + 0.040f + 0.040f, 1e-4f);
  Scene->SetRealTime(false);
  System.RunUntil(start + 300);
  EXPECT_EQ(Scene->FrameCount() - frames, 3u);
  EXPECT_FALSE(System.OnIdle);
}

TEST_F(SceneHostTest, TheSharedAnimationTimerTicksEvery25MsOnlyWhileSomethingRuns) {
  struct TStepper : TscAniThread::IStepper {
    std::vector<float> Steps;
    void Step(float Delta) override { Steps.push_back(Delta); }
  } stepper;
  TscAniThread& timer = TscAniThread::Instance();
  EXPECT_EQ(timer.Source(), &System);
  EXPECT_FALSE(timer.Active());
  timer.Add(&stepper);
  const uint64_t start = System.Clock().Now();
  System.RunUntil(start + 100);
  EXPECT_EQ(stepper.Steps, (std::vector<float>(4, 0.025f)));
  timer.Remove(&stepper);
  EXPECT_FALSE(timer.Active());
  const uint64_t sleeps = System.Sleeps();
  System.Run();  // nothing is due any more: the loop returns instead of waking
  EXPECT_EQ(System.Sleeps(), sleeps);
}

TEST(SceneHost, TheSharedTimerGoesWithTheLastSceneWindow) {
  THeadlessWindowSystem system;
  TscSoftwareCanvas::Register();
  {
    TscScene a(nullptr), b(nullptr);
    a.CreateWindow(system, {});
    b.CreateWindow(system, {});
    EXPECT_EQ(TscScene::SceneCount(), 2);
    a.DestroyWindow();
    EXPECT_TRUE(TscAniThread::Exists());
  }
  EXPECT_FALSE(TscAniThread::Exists());
  EXPECT_EQ(TscScene::SceneCount(), 0);
}

}  // namespace
