// The Win32 window layer against the system itself: what the screen shows,
// where input goes, what the thread's queue holds. Input comes through
// SendInput where the path from the device matters (translation of keys,
// hit testing, capture), else as window messages.

#include "platform/win32/Win32WindowSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32Api.h"
#include "tests/platform/EventRecorder.h"

using namespace platform;

namespace {

using TLog = std::vector<std::string>;

HWND H(const IWindow& W) {
  return reinterpret_cast<HWND>(uintptr_t(W.NativeHandle()));
}

std::vector<uint32_t> Plain(int W, int H, uint32_t Pixel) {
  return std::vector<uint32_t>(size_t(W) * H, Pixel);
}

// The visible window right behind Window.
HWND NextVisible(HWND Window) {
  HWND next = GetWindow(Window, GW_HWNDNEXT);
  while (next && !IsWindowVisible(next)) next = GetWindow(next, GW_HWNDNEXT);
  return next;
}

class Win32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    System = TWin32WindowSystem::Open(error);
    ASSERT_TRUE(System) << error;
  }

  // Lets the system deliver what input and window changes caused: some of it
  // (the display's answers) comes a little later than the call.
  void Pump(int Milliseconds = 60) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
    do {
      System->ProcessMessages();
      Sleep(5);
    } while (std::chrono::steady_clock::now() < end);
  }

  // The screen's colours (0xRRGGBB) over a rectangle, as another program
  // would capture them.
  std::vector<uint32_t> Screen(int X, int Y, int W, int H) {
    Pump();
    std::vector<uint32_t> out(size_t(W) * H, 0);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    if (BitBlt(memory, 0, 0, W, H, screen, X, Y, SRCCOPY)) {
      GdiFlush();
      for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<const uint32_t*>(bits)[i] & 0xFFFFFF;
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out;
  }

  // The pointer moved to a screen point, as the mouse would.
  void MoveTo(int X, int Y) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    const TSize screen = System->ScreenSize();
    in.mi.dx = (X * 65536 + screen.Width - 1) / screen.Width;
    in.mi.dy = (Y * 65536 + screen.Height - 1) / screen.Height;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(in));
  }
  void Buttons(std::initializer_list<DWORD> Flags, DWORD Data = 0) {
    for (DWORD f : Flags) {
      INPUT in{};
      in.type = INPUT_MOUSE;
      in.mi.dwFlags = f;
      in.mi.mouseData = Data;
      SendInput(1, &in, sizeof(in));
    }
  }
  void Click(int X, int Y) {
    MoveTo(X, Y);
    Buttons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
    Pump();
  }
  void Keys(std::initializer_list<std::pair<WORD, bool>> Strokes) {
    for (auto [key, up] : Strokes) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = key;
      in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      SendInput(1, &in, sizeof(in));
    }
    Pump();
  }

  std::unique_ptr<TWin32WindowSystem> System;
  TEventRecorder Events;
};

TEST_F(Win32Test, TheWindowIsALayeredToolPopupOfItsClientSize) {
  auto w = System->CreateWindow(Events, {.Bounds = {40, 50, 301, 297}, .Title = "Konsole \xC3\xA4"});
  TEventRecorder plainEvents;
  auto plain = System->CreateWindow(plainEvents, {.Bounds = {400, 50, 100, 100}, .TopMost = false});
  const LONG_PTR style = GetWindowLongPtrW(H(*w), GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
  const LONG_PTR layered = WS_EX_LAYERED | WS_EX_TOOLWINDOW;
  EXPECT_EQ(GetWindowLongPtrW(H(*w), GWL_EXSTYLE) & (layered | WS_EX_TOPMOST), layered | WS_EX_TOPMOST);
  EXPECT_EQ(GetWindowLongPtrW(H(*plain), GWL_EXSTYLE) & (layered | WS_EX_TOPMOST), layered);
  wchar_t text[64] = {};
  GetWindowTextW(H(*w), text, 64);
  EXPECT_EQ(std::wstring(text), L"Konsole \u00E4");
  GetClassNameW(H(*w), text, 64);
  EXPECT_EQ(std::wstring(text), L"Kardo");

  EXPECT_FALSE(IsWindowVisible(H(*w)));
  w->Show();
  Pump();
  EXPECT_TRUE(IsWindowVisible(H(*w)));
  RECT r{};
  GetWindowRect(H(*w), &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right - r.left, 299);  // the border counts in the outer size only
  EXPECT_EQ(r.bottom - r.top, 295);
  EXPECT_EQ(w->Bounds(), (TRect{40, 50, 301, 297}));
  EXPECT_EQ(GetForegroundWindow(), H(*w));
  EXPECT_EQ(System->ActiveWindow(), w.get());
  EXPECT_EQ(Events.Only("activated"), TLog{"activated"});
}

// The screen is read back the way another program captures it. Only opaque
// and fully transparent pixels are compared: how translucent ones blend is
// the system's business (Wine without a compositor does not blend).
TEST_F(Win32Test, TheScreenShowsThePushedFrameAndAPartialPushSendsOnlyItsRectangle) {
  TEventRecorder belowEvents;
  auto below = System->CreateWindow(belowEvents, {.Bounds = {100, 100, 66, 34}, .TopMost = false});
  std::vector<uint32_t> blue = Plain(64, 32, 0xFF0000FF);
  below->UpdateLayered({blue.data(), 64, 32}, {100, 100});
  below->Show();
  auto w = System->CreateWindow(Events, {.Bounds = {100, 100, 66, 34}});
  std::vector<uint32_t> frame(64 * 32, 0);  // the left 16 columns stay transparent
  for (int y = 0; y < 32; ++y)
    for (int x = 16; x < 64; ++x)
      frame[size_t(y) * 64 + x] = 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 8);
  w->UpdateLayered({frame.data(), 64, 32}, {100, 100});
  w->Show();
  auto expected = [&](const std::vector<uint32_t>& F) {
    std::vector<uint32_t> e(F.size());
    for (size_t i = 0; i < F.size(); ++i) e[i] = (F[i] >> 24 ? F[i] : blue[i]) & 0xFFFFFF;
    return e;
  };
  EXPECT_EQ(Screen(100, 100, 64, 32), expected(frame));

  // Only the announced rectangle travels, even though the whole buffer changed.
  std::vector<uint32_t> next = Plain(64, 32, 0xFFFFFFFF);
  const TRect changed{20, 5, 20, 8};
  const uint64_t partial = System->PartialPushes();
  w->UpdateLayered({next.data(), 64, 32}, {100, 100}, &changed);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x)
      if (changed.Contains({x, y})) frame[size_t(y) * 64 + x] = 0xFFFFFFFF;
  EXPECT_EQ(Screen(100, 100, 64, 32), expected(frame));
  EXPECT_EQ(System->PartialPushes(), partial + 1);
}

// Whether the tests run under Wine rather than Windows.
bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The opaque part first: a press on the window below activates it, which
// would bring it in front of a window of its own band.
TEST_F(Win32Test, APressThroughAFullyTransparentPixelReachesTheWindowBelow) {
  TEventRecorder belowEvents;
  auto below = System->CreateWindow(belowEvents, {.Bounds = {100, 100, 66, 34}, .TopMost = false});
  std::vector<uint32_t> grey = Plain(64, 32, 0xFF808080);
  below->UpdateLayered({grey.data(), 64, 32}, {100, 100});
  below->Show();
  auto above = System->CreateWindow(Events, {.Bounds = {100, 100, 66, 34}});
  // Transparent on the left, and a faint right half, which still takes presses.
  std::vector<uint32_t> frame = Plain(64, 32, 0);
  for (int y = 0; y < 32; ++y)
    for (int x = 32; x < 64; ++x) frame[size_t(y) * 64 + x] = 0x01000000;
  above->UpdateLayered({frame.data(), 64, 32}, {100, 100});
  above->Show();
  Pump();
  Click(150, 120);
  EXPECT_EQ(Events.Only("down"), TLog{"down L 50,20 shift=8"});
  if (UnderWine())
    GTEST_SKIP() << "Wine routes a press to the layered window whatever the alpha of the pixel under it";
  Click(110, 120);
  EXPECT_EQ(Events.Only("down"), TLog{"down L 50,20 shift=8"});
  EXPECT_EQ(belowEvents.Only("down"), TLog{"down L 10,20 shift=8"});
}

TEST_F(Win32Test, PostedMessagesArriveInOrderAndRemovedOnesDoNot) {
  auto w = System->CreateWindow(Events, {});
  TEventRecorder goneEvents;
  auto gone = System->CreateWindow(goneEvents, {});
  w->PostMessage(0x5F5, 1, 2);
  gone->PostMessage(0x5F5, 1, 2);
  // Outside the private range, with parameters that need all their bits.
  w->PostMessage(7, 0xFFFFFFFFFFFFFFFFu, -5);
  w->PostMessage(0x5F5, 3, 4);
  w->PostMessage(0x12345678, 0, INT64_MIN);
  EXPECT_EQ(w->RemovePendingMessages(0x5F5), 2);
  EXPECT_EQ(w->RemovePendingMessages(0x5F5), 0);
  EXPECT_EQ(w->RemovePendingMessages(0x9999), 0);
  gone.reset();  // freed windows lose their messages
  Events.OnMessage = [&](uint32_t Msg) {
    if (Msg == 0x12345678) System->PostQuit(3);
  };
  EXPECT_EQ(System->Run(), 3);
  EXPECT_EQ(Events.Only("message"),
            (TLog{"message 7 18446744073709551615 -5", "message 305419896 0 -9223372036854775808"}));
  EXPECT_TRUE(goneEvents.Log.empty());
}

// The system hands out a waiting quit whatever a removal's filter says; it
// must not be lost with the messages removed.
TEST_F(Win32Test, AQuitMetWhileRemovingMessagesStillEndsTheLoop) {
  auto w = System->CreateWindow(Events, {});
  PostQuitMessage(9);
  w->PostMessage(0x5F5);
  w->RemovePendingMessages(0x5F5);
  EXPECT_EQ(System->Run(), 9);
}

TEST_F(Win32Test, TheLoopSleepsUntilTheNextTimer) {
  auto w = System->CreateWindow(Events, {});
  int ticks = 0;
  auto timer = System->CreateTimer(20, [&] {
    if (++ticks == 5) w->PostMessage(0x5F5, 1, 2);
  });
  Events.OnMessage = [&](uint32_t) { System->PostQuit(3); };
  timer->SetEnabled(true);
  const uint64_t start = System->TickCount();
  EXPECT_EQ(System->Run(), 3);
  const uint64_t elapsed = System->TickCount() - start;
  EXPECT_EQ(ticks, 5);
  EXPECT_GE(elapsed, 100u);
  EXPECT_LT(elapsed, 1000u);
  // About one wake-up per tick: the loop never spins while it waits.
  EXPECT_LE(System->Sleeps(), 8u);
}

// With no timer running the loop sleeps until a message comes, here from
// another thread a while later, and wakes for nothing else.
TEST_F(Win32Test, AnIdleLoopSleepsUntilAMessageComes) {
  auto w = System->CreateWindow(Events, {});
  Events.OnMessage = [&](uint32_t) { System->PostQuit(3); };
  const HWND target = H(*w);
  std::thread poster([target] {
    Sleep(200);
    PostMessageW(target, 0x5F5, 5, 6);
  });
  const uint64_t start = System->TickCount();
  EXPECT_EQ(System->Run(), 3);
  poster.join();
  EXPECT_GE(System->TickCount() - start, 150u);
  EXPECT_EQ(Events.Only("message"), TLog{"message 1525 5 6"});
  EXPECT_EQ(System->Sleeps(), 1u);
}

// The timers keep the window-timer rules on the real loop: enabling a running
// timer keeps its phase, switching it off and on restarts the period. The
// order of the ticks shows it, however late the loop gets round to them.
TEST_F(Win32Test, TimersKeepTheWindowTimerRules) {
  const struct {
    bool OffFirst;
    TLog Order;
  } cases[] = {{false, {"B", "A", "C"}}, {true, {"B", "C", "A"}}};
  for (const auto& c : cases) {
    // A loop of its own per case: one that was quit stays quit.
    std::string error;
    auto system = TWin32WindowSystem::Open(error);
    ASSERT_TRUE(system) << error;
    TLog order;
    // The run ends once all three have ticked.
    auto note = [&](const char* Name, ITimer& Timer) {
      order.push_back(Name);
      Timer.SetEnabled(false);
      if (order.size() == 3) system->PostQuit(0);
    };
    std::unique_ptr<ITimer> a, b, last;
    a = system->CreateTimer(61, [&] { note("A", *a); });
    b = system->CreateTimer(30, [&] {
      note("B", *b);
      if (c.OffFirst) a->SetEnabled(false);
      a->SetEnabled(true);
    });
    last = system->CreateTimer(90, [&] { note("C", *last); });
    a->SetEnabled(true);
    b->SetEnabled(true);
    last->SetEnabled(true);
    system->Run();
    // A is due at 61 when its phase was kept, at 30 + 61 or later when it
    // restarted.
    EXPECT_EQ(order, c.Order) << (c.OffFirst ? "off and on" : "enabled again");
  }
}

TEST_F(Win32Test, KeysComeWithTheirCharactersAndSurrogatePairsJoin) {
  auto w = System->CreateWindow(Events, {.Bounds = {10, 10, 100, 100}});
  std::vector<uint32_t> frame = Plain(98, 98, 0xFF202020);
  w->UpdateLayered({frame.data(), 98, 98}, {10, 10});
  w->Show();
  Pump();
  Events.Log.clear();
  // From the keyboard: the system translates Ctrl+C into its control character.
  Keys({{VK_CONTROL, false},
        {'C', false},
        {'C', true},
        {VK_CONTROL, true},
        {VK_RETURN, false},
        {VK_RETURN, true}});
  EXPECT_EQ(Events.Log,
            (TLog{"keydown 17 shift=4", "keydown 67 shift=4", "char 3 shift=4", "keyup 67 shift=4",
                  "keyup 17 shift=0", "keydown 13 shift=0", "char 13 shift=0", "keyup 13 shift=0"}));

  Events.Log.clear();
  const HWND h = H(*w);
  SendMessageW(h, WM_CHAR, 0xD83D, 1);  // U+1F697, in two halves
  SendMessageW(h, WM_CHAR, 0xDE97, 1);
  SendMessageW(h, WM_CHAR, 0xDE97, 1);  // a second half without a first
  SendMessageW(h, WM_CHAR, 0xD83D, 1);  // a first half followed by no second
  SendMessageW(h, WM_CHAR, L'x', 1);
  SendMessageW(h, WM_SYSCHAR, L'f', 1 | KF_ALTDOWN << 16);  // Alt+F: a command
  EXPECT_EQ(Events.Log,
            (TLog{"char 128663 shift=0", "char 65533 shift=0", "char 65533 shift=0", "char 120 shift=0"}));

  // Alt+F4 is still the system's close request.
  Events.Log.clear();
  SendMessageW(h, WM_SYSKEYDOWN, VK_F4, 1 | KF_ALTDOWN << 16);
  Pump();
  EXPECT_EQ(Events.Only("close"), TLog{"close"});
  EXPECT_TRUE(IsWindow(h)) << "a close request alone closes nothing";
}

TEST_F(Win32Test, PressesBecomeDoubleClicksAndTheWheelAndLeavingAreTold) {
  auto w = System->CreateWindow(Events, {.Bounds = {100, 100, 102, 102}});
  std::vector<uint32_t> frame = Plain(100, 100, 0xFF202020);
  w->UpdateLayered({frame.data(), 100, 100}, {100, 100});
  w->Show();
  MoveTo(110, 110);
  Pump();
  Events.Log.clear();
  Buttons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
  Pump();
  MoveTo(150, 110);  // too far for a third press to pair with anything
  Buttons({MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
  Buttons({MOUSEEVENTF_WHEEL}, DWORD(-WHEEL_DELTA));
  Pump();
  MoveTo(400, 400);
  Pump(600);  // Wine looks for the pointer leaving on a timer of its own
  EXPECT_EQ(Events.Log, (TLog{"down L 10,10 shift=8", "up L 10,10 shift=0", "down L 10,10 shift=72",
                              "up L 10,10 shift=0", "move 50,10 shift=0", "down R 50,10 shift=16",
                              "up R 50,10 shift=0", "wheel -120 50,10 shift=0", "leave"}));
  EXPECT_EQ(System->DoubleClickTime(), GetDoubleClickTime());
}

TEST_F(Win32Test, TheCapturedWindowGetsThePressesMeantForAnother) {
  auto a = System->CreateWindow(Events, {.Bounds = {0, 0, 102, 102}});
  TEventRecorder otherEvents;
  auto b = System->CreateWindow(otherEvents, {.Bounds = {200, 0, 102, 102}});
  std::vector<uint32_t> frame = Plain(100, 100, 0xFF202020);
  a->UpdateLayered({frame.data(), 100, 100}, {0, 0});
  b->UpdateLayered({frame.data(), 100, 100}, {200, 0});
  a->Show();
  b->Show();
  Pump();
  a->SetCapture();
  EXPECT_EQ(System->CaptureWindow(), a.get());
  Events.Log.clear();
  Click(250, 20);
  EXPECT_EQ(Events.Only("down"), TLog{"down L 250,20 shift=8"});
  EXPECT_TRUE(otherEvents.Only("down").empty());
  b->SetCapture();
  EXPECT_EQ(Events.Only("capture"), TLog{"capture lost"});
  EXPECT_EQ(System->CaptureWindow(), b.get());
  EXPECT_EQ(GetCapture(), H(*b));
  b->ReleaseCapture();
  EXPECT_EQ(otherEvents.Only("capture"), TLog{"capture lost"});
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(System->CaptureWindow(), nullptr);
}

TEST_F(Win32Test, AWindowShownWithoutTheKeyboardGoesBehindTheActiveOne) {
  auto a = System->CreateWindow(Events, {.Bounds = {0, 0, 100, 100}});
  std::vector<uint32_t> frame = Plain(98, 98, 0xFF808080);
  a->UpdateLayered({frame.data(), 98, 98}, {0, 0});
  a->Show();
  // Made afterwards, so in front of everything until it is shown.
  TEventRecorder otherEvents;
  auto b = System->CreateWindow(otherEvents, {.Bounds = {50, 50, 100, 100}});
  b->UpdateLayered({frame.data(), 98, 98}, {50, 50});
  b->Show(false);
  // Read before the loop runs: Wine without a window manager later takes
  // the X server's stacking back, in which a window mapped last is on top.
  EXPECT_EQ(NextVisible(H(*a)), H(*b));
  Pump();
  EXPECT_TRUE(a->IsActive());
  EXPECT_FALSE(b->IsActive());

  b->Activate();
  Pump();
  EXPECT_EQ(Events.Log.back(), "deactivated");
  EXPECT_EQ(otherEvents.Log.back(), "activated");
  EXPECT_EQ(GetForegroundWindow(), H(*b));
  a->BringToFront();
  EXPECT_EQ(NextVisible(H(*a)), H(*b));
  EXPECT_TRUE(b->IsActive()) << "raising does not activate";
}

TEST_F(Win32Test, MovesAndSizesAreToldOnceAndSizesFromOutsideStayInBounds) {
  auto w = System->CreateWindow(Events, {.Bounds = {0, 0, 301, 297}});
  w->Show();
  std::vector<uint32_t> frame = Plain(299, 295, 0xFF202020);
  for (int i = 0; i < 3; ++i) {
    const TRect outer = w->Bounds();
    w->UpdateLayered({frame.data(), 299, 295}, {outer.Left + 5, outer.Top});
  }
  w->SetBounds({20, 30, 201, 101});
  Pump();
  EXPECT_EQ(Events.Only("bounds"), (TLog{"bounds 5,0 301x297", "bounds 10,0 301x297", "bounds 15,0 301x297",
                                         "bounds 20,30 201x101"}));
  RECT r{};
  GetWindowRect(H(*w), &r);
  EXPECT_EQ(r.right - r.left, 199);

  // Another program sizes the window: it is held between its minimum and
  // the desktop, and the owner hears of it.
  w->SetMinimumSize({96, 108});
  EXPECT_EQ(w->Bounds(), (TRect{20, 30, 201, 108}));
  Events.Log.clear();
  SetWindowPos(H(*w), nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(w->ClientSize(), (TSize{94, 106}));
  SetWindowPos(H(*w), nullptr, 0, 0, 30000, 30000, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(w->ClientSize(),
            (TSize{GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)}));
  EXPECT_EQ(Events.Only("bounds").size(), 2u);
  MINMAXINFO limits{};
  SendMessageW(H(*w), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 94);
  EXPECT_EQ(limits.ptMinTrackSize.y, 106);
}

TEST_F(Win32Test, CursorNumbersShowTheSystemsCursors) {
  auto w = System->CreateWindow(Events, {});
  const struct {
    int32_t Number;
    LPCWSTR Shape;  // none: no cursor
  } cases[] = {{plCursorHand, MAKEINTRESOURCEW(32649)},    {plCursorIBeam, MAKEINTRESOURCEW(32513)},
               {plCursorSizeNS, MAKEINTRESOURCEW(32645)},  {plCursorNone, nullptr},
               {plCursorDefault, MAKEINTRESOURCEW(32512)}, {12345, MAKEINTRESOURCEW(32512)}};
  for (const auto& c : cases) {
    w->SetCursor(c.Number);
    SendMessageW(H(*w), WM_SETCURSOR, WPARAM(H(*w)), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), c.Shape ? LoadCursorW(nullptr, c.Shape) : nullptr) << c.Number;
  }
}

TEST_F(Win32Test, TheClipboardIsTheSystemsInWindowsForm) {
  System->SetClipboardText("LPG\n12 \xE2\x82\xAC");
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(data))), L"LPG\r\n12 \u20AC");
  GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(System->ClipboardText(), "LPG\n12 \xE2\x82\xAC");
}

}  // namespace
