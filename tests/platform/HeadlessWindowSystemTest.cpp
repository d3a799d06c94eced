#include "platform/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/platform/EventRecorder.h"

using namespace platform;

namespace {

using TLog = std::vector<std::string>;
constexpr uint32_t kRepaint = 0x400 + 501;

struct HeadlessFixture : ::testing::Test {
  THeadlessWindowSystem System;
  TEventRecorder EventsA, EventsB;
  std::unique_ptr<IWindow> A = System.CreateWindow(EventsA, {.Bounds = {100, 100, 301, 297}});
  std::unique_ptr<IWindow> B = System.CreateWindow(EventsB, {.Bounds = {500, 100, 52, 42}});
  THeadlessWindow& HA() { return static_cast<THeadlessWindow&>(*A); }
};

// --- the loop and its timers -----------------------------------------------

TEST_F(HeadlessFixture, TheLoopSleepsStraightToEachDueTimer) {
  std::vector<uint64_t> at;
  int slowTicks = 0;
  auto slow = System.CreateTimer(250, [&] {
    at.push_back(System.TickCount());
    if (++slowTicks == 3) System.PostQuit(7);
  });
  auto fast = System.CreateTimer(100, [&] { at.push_back(System.TickCount()); });
  slow->SetEnabled(true);
  fast->SetEnabled(true);
  EXPECT_EQ(System.Run(), 7);
  EXPECT_EQ(at, (std::vector<uint64_t>{100, 200, 250, 300, 400, 500, 500, 600, 700, 750}));
  // One sleep per distinct moment something fell due: none spent spinning.
  EXPECT_EQ(System.Sleeps(), 9u);
}

TEST_F(HeadlessFixture, WithNothingToWaitForTheLoopReturnsInsteadOfHanging) {
  auto t = System.CreateTimer(100, [] {});  // never enabled
  A->PostMessage(kRepaint);
  EXPECT_EQ(System.Run(), 0);
  EXPECT_EQ(EventsA.Log, TLog{"message 1525 0 0"});
  EXPECT_EQ(System.TickCount(), 0u);
}

TEST_F(HeadlessFixture, RunUntilStopsAtTheGivenTimeAndWaitingCodeSeesTheQuit) {
  int ticks = 0;
  auto t = System.CreateTimer(30, [&] { ++ticks; });
  t->SetEnabled(true);
  EXPECT_TRUE(System.RunUntil(100));
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(System.TickCount(), 100u);
  EXPECT_TRUE(System.ProcessMessages());
  System.PostQuit();
  EXPECT_FALSE(System.ProcessMessages());
  EXPECT_FALSE(System.RunUntil(1000));
  EXPECT_EQ(ticks, 3);
}

TEST(TimerRules, ALateLoopTicksOnceForMissedPeriodsAndKeepsThePhase) {
  uint64_t now = 0;
  TVirtualClock clock([&] { return now; });
  TVirtualTimer t(clock);
  std::vector<uint64_t> at;
  t.OnTimer = [&](TVirtualTimer*) { at.push_back(now); };
  t.SetInterval(100);
  t.SetEnabled(true);  // due at 100, 200, ...
  EXPECT_EQ(clock.NextDue(), 100u);
  now = 99;
  EXPECT_EQ(clock.FireDue(), 0);
  now = 450;  // the loop was busy for three and a half periods
  EXPECT_EQ(clock.FireDue(), 1);
  EXPECT_EQ(clock.NextDue(), 500u);
  now = 500;
  clock.FireDue();
  EXPECT_EQ(at, (std::vector<uint64_t>{450, 500}));
  t.SetEnabled(true);  // the value already set: the phase stays
  EXPECT_EQ(clock.NextDue(), 600u);
  now = 530;
  t.SetInterval(50);  // a new value restarts the period from now
  EXPECT_EQ(clock.NextDue(), 580u);
  t.SetInterval(0);
  EXPECT_FALSE(clock.NextDue().has_value());
}

TEST(TimerRules, AHandlerMayFreeATimerThatIsDueInTheSameRound) {
  uint64_t now = 0;
  TVirtualClock clock([&] { return now; });
  auto first = std::make_unique<TVirtualTimer>(clock);
  auto second = std::make_unique<TVirtualTimer>(clock);
  int secondTicks = 0;
  first->OnTimer = [&](TVirtualTimer*) { second.reset(); };
  second->OnTimer = [&](TVirtualTimer*) { ++secondTicks; };
  first->SetEnabled(true);
  second->SetEnabled(true);
  now = 1000;
  EXPECT_EQ(clock.FireDue(), 1);
  EXPECT_EQ(secondTicks, 0);
}

// --- posted messages ---------------------------------------------------------

TEST_F(HeadlessFixture, RepaintRequestsOfOneEventBecomeOneFrame) {
  int frames = 0;
  EventsA.OnMessage = [&](uint32_t Msg) {
    if (Msg != kRepaint) return;
    A->RemovePendingMessages(kRepaint);
    ++frames;
  };
  A->PostMessage(kRepaint);
  B->PostMessage(kRepaint, 1);
  A->PostMessage(kRepaint);
  A->PostMessage(42, 5, -6);
  A->PostMessage(kRepaint);
  System.ProcessMessages();
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(EventsA.Log, (TLog{"message 1525 0 0", "message 42 5 -6"}));
  EXPECT_EQ(EventsB.Log, TLog{"message 1525 1 0"});
}

TEST_F(HeadlessFixture, MessagesPostedByAHandlerWaitForTheNextRound) {
  EventsA.OnMessage = [&](uint32_t) { A->PostMessage(1); };
  A->PostMessage(1);
  System.ProcessMessages();
  EXPECT_EQ(EventsA.Log.size(), 1u);
  System.ProcessMessages();
  EXPECT_EQ(EventsA.Log.size(), 2u);
}

TEST_F(HeadlessFixture, AFreedWindowLosesItsMessages) {
  B->PostMessage(1);
  A->PostMessage(2);
  B.reset();
  System.ProcessMessages();
  EXPECT_EQ(EventsA.Log, TLog{"message 2 0 0"});
  EXPECT_TRUE(EventsB.Log.empty());
}

// --- input -------------------------------------------------------------------

TEST_F(HeadlessFixture, DoubleClicksFollowTheIntervalTheDistanceAndTheButton) {
  struct TCase {
    const char* Name;
    uint64_t Wait;
    int Dx, Dy;
    TMouseButton Second;
    bool SameWindow;
    bool Double;
  } cases[] = {
      {"quick and still", 100, 0, 0, plMouseLeft, true, true},
      {"at the interval", 500, 0, 0, plMouseLeft, true, true},
      {"too slow", 501, 0, 0, plMouseLeft, true, false},
      {"within the distance", 0, 2, -2, plMouseLeft, true, true},
      {"too far", 0, 3, 0, plMouseLeft, true, false},
      {"other button", 0, 0, 0, plMouseRight, true, false},
      {"other window", 0, 0, 0, plMouseLeft, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    System.Clock().Advance(10000);  // nothing carries over from the last case
    EventsA.Log.clear();
    EventsB.Log.clear();
    System.MouseDown(A.get(), plMouseLeft, 10, 10);
    System.MouseUp(A.get(), plMouseLeft, 10, 10);
    System.Clock().Advance(c.Wait);
    IWindow* second = c.SameWindow ? A.get() : B.get();
    System.MouseDown(second, c.Second, 10 + c.Dx, 10 + c.Dy);
    System.MouseUp(second, c.Second, 10 + c.Dx, 10 + c.Dy);
    const TEventRecorder& got = c.SameWindow ? EventsA : EventsB;
    EXPECT_EQ((got.LastDownShift & plDouble) != 0, c.Double);
  }
}

TEST_F(HeadlessFixture, ATripleClickIsADoubleClickAndASinglePress) {
  for (int i = 0; i < 3; ++i) {
    System.MouseDown(A.get(), plMouseLeft, 5, 6, plShift);
    System.MouseUp(A.get(), plMouseLeft, 5, 6, plShift);
  }
  EXPECT_EQ(EventsA.Only("down"), (TLog{"down L 5,6 shift=9", "down L 5,6 shift=73", "down L 5,6 shift=9"}));
  EXPECT_EQ(EventsA.Only("up").front(), "up L 5,6 shift=1");
}

TEST_F(HeadlessFixture, ACapturedWindowGetsTheMouseEverywhereInItsOwnPixels) {
  A->Show(false);
  B->Show(false);
  A->SetCapture();
  System.MouseMove(B.get(), 1, 2, plCtrl);  // B's (1, 2) is A's (401, 2)
  System.MouseWheel(B.get(), -120, 1, 2);
  EXPECT_TRUE(EventsB.Log.empty());
  EXPECT_EQ(EventsA.Only("move"), TLog{"move 401,2 shift=4"});
  EXPECT_EQ(EventsA.Only("wheel"), TLog{"wheel -120 401,2 shift=0"});
  EXPECT_EQ(System.CursorPos(), (TPoint{501, 102}));

  B->SetCapture();  // taking it over tells the old holder
  EXPECT_EQ(EventsA.Only("capture"), TLog{"capture lost"});
  EXPECT_TRUE(B->HasCapture());
  EXPECT_FALSE(A->HasCapture());
  B->Hide();  // a hidden window cannot keep it
  EXPECT_EQ(System.CaptureWindow(), nullptr);
  EXPECT_EQ(EventsB.Only("capture"), TLog{"capture lost"});
  System.MouseMove(A.get(), 3, 4);
  EXPECT_EQ(EventsA.Only("move").back(), "move 3,4 shift=0");
}

TEST_F(HeadlessFixture, AFreedCaptureHolderLeavesNoCapture) {
  B->SetCapture();
  B.reset();
  EXPECT_EQ(System.CaptureWindow(), nullptr);
  System.MouseMove(A.get(), 1, 1);
  EXPECT_EQ(EventsA.Only("move"), TLog{"move 1,1 shift=0"});
}

TEST_F(HeadlessFixture, KeysGoToTheActiveWindowAndCtrlLettersTypeControlCharacters) {
  System.KeyDown('C', plCtrl, U'c');  // nobody active: nowhere
  EXPECT_TRUE(EventsA.Log.empty());
  A->Show();
  B->Show();  // showing activates
  EXPECT_EQ(EventsA.Log, (TLog{"activated", "deactivated"}));
  EXPECT_TRUE(B->IsActive());
  A->Activate();
  EventsA.Log.clear();
  System.KeyDown('C', plCtrl, U'c');
  System.KeyUp('C', plCtrl);
  System.KeyDown('V', plCtrl | plShift, U'V');
  System.KeyDown(plKeyReturn, 0, 13);
  System.KeyDown(plKeyLeft, plShift);
  EXPECT_EQ(EventsA.Log,
            (TLog{"keydown 67 shift=4", "char 3 shift=4", "keyup 67 shift=4", "keydown 86 shift=5",
                  "char 22 shift=5", "keydown 13 shift=0", "char 13 shift=0", "keydown 37 shift=1"}));
  EXPECT_EQ(TypedChar(U'1', plCtrl), U'1');
  EXPECT_EQ(TypedChar(U'z', plCtrl | plAlt), char32_t(26));
}

// --- geometry and frames -------------------------------------------------------

TEST_F(HeadlessFixture, TheBorderCountsInTheOuterSizeAndFramesDoNotShrinkTheWindow) {
  EXPECT_EQ(A->Bounds(), (TRect{100, 100, 301, 297}));
  EXPECT_EQ(A->ClientSize(), (TSize{299, 295}));
  std::vector<uint32_t> frame(299 * 295, 0xFF102030);
  for (int i = 0; i < 3; ++i) {
    const TSize client = A->ClientSize();
    const TRect outer = A->Bounds();
    A->UpdateLayered({frame.data(), client.Width, client.Height}, {outer.Left, outer.Top});
  }
  EXPECT_EQ(A->Bounds(), (TRect{100, 100, 301, 297}));
  EXPECT_TRUE(EventsA.Only("bounds").empty());
  EXPECT_EQ(HA().FramesPushed(), 3);
  EXPECT_EQ(HA().Pixel(298, 294), 0xFF102030u);
  // A frame of another size and place gives the window that size and place.
  std::vector<uint32_t> small(40 * 30, 0x80800000);
  A->UpdateLayered({small.data(), 40, 30}, {7, 8});
  EXPECT_EQ(A->Bounds(), (TRect{7, 8, 42, 32}));
  EXPECT_EQ(HA().Pixel(39, 29), 0x80800000u);
}

TEST_F(HeadlessFixture, APartialUpdateReplacesOnlyItsRectangle) {
  std::vector<uint32_t> frame(299 * 295, 0xFF000000);
  A->UpdateLayered({frame.data(), 299, 295}, {100, 100});
  for (uint32_t& p : frame) p = 0xFFFFFFFF;  // the whole buffer changes, only part is announced
  const TRect changed{10, 20, 40, 40};
  A->UpdateLayered({frame.data(), 299, 295}, {100, 100}, &changed);
  EXPECT_EQ(HA().LastSent(), changed);
  EXPECT_EQ(HA().Pixel(10, 20), 0xFFFFFFFFu);
  EXPECT_EQ(HA().Pixel(49, 59), 0xFFFFFFFFu);
  EXPECT_EQ(HA().Pixel(50, 59), 0xFF000000u);
  EXPECT_EQ(HA().Pixel(9, 20), 0xFF000000u);
  // Announced parts outside the frame are cut; a moved window takes it all.
  const TRect wild{-5, 290, 1000, 1000};
  A->UpdateLayered({frame.data(), 299, 295}, {100, 100}, &wild);
  EXPECT_EQ(HA().LastSent(), (TRect{0, 290, 299, 5}));
  A->UpdateLayered({frame.data(), 299, 295}, {101, 100}, &changed);
  EXPECT_EQ(HA().LastSent(), (TRect{0, 0, 299, 295}));
  A->UpdateLayered({nullptr, 299, 295}, {100, 100});
  A->UpdateLayered({frame.data(), 0, 295}, {100, 100});
  EXPECT_EQ(HA().FramesPushed(), 4);
}

TEST_F(HeadlessFixture, BoundsChangesAreReportedOnlyWhenSomethingMoves) {
  struct TBoundsLog : TEventRecorder {
    std::vector<TRect> Seen;
    void BoundsChanged(const TRect& R) override { Seen.push_back(R); }
  } events;
  auto w = System.CreateWindow(events, {.Bounds = {0, 0, 10, 10}, .BorderWidth = 0});
  w->SetBounds({0, 0, 10, 10});
  w->SetBounds({5, 0, 10, 10});
  w->SetBounds({5, 0, 0, -4});  // at least one pixel stays
  EXPECT_EQ(events.Seen, (std::vector<TRect>{{5, 0, 10, 10}, {5, 0, 1, 1}}));
}

}  // namespace

namespace {

// --- presses through transparent pixels ----------------------------------------

// A over B on the screen; A's picture is transparent on its left half.
struct LayeredFixture : ::testing::Test {
  THeadlessWindowSystem System;
  TEventRecorder EventsA, EventsB;
  std::unique_ptr<IWindow> B = System.CreateWindow(EventsB, {.Bounds = {100, 100, 42, 22}, .BorderWidth = 1});
  std::unique_ptr<IWindow> A = System.CreateWindow(EventsA, {.Bounds = {120, 100, 42, 22}, .BorderWidth = 1});
  void SetUp() override {
    B->Show();
    A->Show();
    std::vector<uint32_t> frame(40 * 20, 0x80402010);
    A->UpdateLayered({frame.data(), 40, 20}, {120, 100});
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) frame[size_t(y) * 40 + x] = 0;
    A->UpdateLayered({frame.data(), 40, 20}, {120, 100});
    EventsA.Log.clear();
    EventsB.Log.clear();
  }
};

TEST_F(LayeredFixture, APressOnAFullyTransparentPixelReachesTheWindowBelowOrNothing) {
  System.MouseDown(A.get(), plMouseLeft, 5, 5);  // over B's right part
  System.MouseUp(A.get(), plMouseLeft, 5, 5);
  EXPECT_TRUE(EventsA.Log.empty());
  EXPECT_EQ(EventsB.Only("down"), TLog{"down L 25,5 shift=8"});
  System.MouseDown(A.get(), plMouseLeft, 25, 5);  // A's translucent half
  EXPECT_EQ(EventsA.Only("down").size(), 1u);
  System.MouseUp(A.get(), plMouseLeft, 25, 5);
  // Nothing below: the press belongs to no window of ours.
  B->Hide();
  EventsA.Log.clear();
  EventsB.Log.clear();
  System.MouseDown(A.get(), plMouseLeft, 5, 5);
  EXPECT_TRUE(EventsA.Log.empty());
  EXPECT_TRUE(EventsB.Log.empty());
}

TEST_F(LayeredFixture, ThePointerLeavesAWindowAtItsTransparentPixels) {
  System.MouseMove(A.get(), 30, 5);
  System.MouseMove(A.get(), 10, 5);
  EXPECT_EQ(EventsA.Log, (TLog{"move 30,5 shift=0", "leave"}));
  EXPECT_EQ(EventsB.Log, TLog{"move 30,5 shift=0"});
  // A captured window keeps the pointer wherever it goes.
  A->SetCapture();
  EventsA.Log.clear();
  System.MouseMove(A.get(), 10, 5);
  EXPECT_EQ(EventsA.Only("move"), TLog{"move 10,5 shift=0"});
}

TEST(HeadlessWindow, SetBoundsStopsAtTheMinimumSize) {
  THeadlessWindowSystem system;
  TEventRecorder events;
  auto w = system.CreateWindow(events, {.Bounds = {0, 0, 301, 297}});
  w->SetMinimumSize({95, 108});
  w->SetBounds({5, 6, 19, 15});
  EXPECT_EQ(w->Bounds(), (TRect{5, 6, 95, 108}));
  w->SetMinimumSize({200, 200});  // a window already smaller grows to it
  EXPECT_EQ(w->Bounds(), (TRect{5, 6, 200, 200}));
}

}  // namespace

namespace {

TEST_F(HeadlessFixture, AWindowShownWithoutTheKeyboardGoesBehindTheActiveOne) {
  TEventRecorder eventsC;
  auto c = System.CreateWindow(eventsC, {.Bounds = {0, 0, 50, 50}});
  c->Show();
  A->Show();
  B->Show(false);
  auto z = [](const std::unique_ptr<IWindow>& W) { return static_cast<THeadlessWindow&>(*W).ZOrder(); };
  EXPECT_TRUE(A->IsActive());
  EXPECT_LT(z(B), z(A));
  EXPECT_GT(z(B), z(c));
  B->Activate();
  EXPECT_GT(z(B), z(A));
}

}  // namespace
