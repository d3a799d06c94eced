#include "platform/x11/X11WindowSystem.h"

// Before Xlib, whose macros (Bool, None) would break it.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/x11/testing/CompositorStandIn.h"
#include "platform/x11/testing/XvfbServer.h"
#include "tests/platform/EventRecorder.h"

using namespace platform;

namespace {
// The reads of one descriptor that found nothing to read.
std::atomic<int> GCountedFd{-1};
std::atomic<int> GEmptyReads{0};
}  // namespace

// Defined in the program, it takes the place of the C library's function for
// Xlib as well, and counts before handing on.
extern "C" ssize_t recvmsg(int Fd, struct msghdr* Message, int Flags) {
  using TRecvmsg = ssize_t (*)(int, struct msghdr*, int);
  static const auto next = reinterpret_cast<TRecvmsg>(dlsym(RTLD_NEXT, "recvmsg"));
  const ssize_t n = next(Fd, Message, Flags);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && Fd == GCountedFd) ++GEmptyReads;
  return n;
}

namespace {

using TLog = std::vector<std::string>;

// One server for the whole program; every test opens its own connection.
class X11Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Server = TXvfbServer::Start(Why); }
  static void TearDownTestSuite() { Server.reset(); }

  void SetUp() override {
    if (!Server) GTEST_SKIP() << Why;
    std::string error;
    System = TX11WindowSystem::Open(Server->DisplayName().c_str(), error);
    ASSERT_TRUE(System) << error;
  }

  Display* D() const { return System->NativeDisplay(); }
  Window XW(const IWindow& W) const { return Window(W.NativeHandle()); }

  // Lets the server finish and the window system see what it answered.
  void Settle() {
    XSync(D(), False);
    System->ProcessMessages();
  }

  std::vector<uint32_t> ReadBack(const IWindow& W) {
    XSync(D(), False);
    const TSize size = W.ClientSize();
    XImage* image =
        XGetImage(D(), XW(W), 0, 0, unsigned(size.Width), unsigned(size.Height), AllPlanes, ZPixmap);
    std::vector<uint32_t> out;
    if (!image) return out;
    for (int y = 0; y < size.Height; ++y)
      for (int x = 0; x < size.Width; ++x) out.push_back(uint32_t(XGetPixel(image, x, y)));
    XDestroyImage(image);
    return out;
  }

  // Waits until the window system has heard whether a compositing manager runs.
  bool CompositingBecomes(bool Running) {
    for (int i = 0; i < 200 && System->CompositingManagerRunning() != Running; ++i) {
      Settle();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return System->CompositingManagerRunning() == Running;
  }

  // The top-level window the server finds under a screen point: the one
  // that would get a press there.
  Window WindowUnder(int X, int Y) {
    const Window root = DefaultRootWindow(D());
    XWarpPointer(D(), None, root, 0, 0, 0, 0, X, Y);
    Window r = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(D(), root, &r, &child, &rx, &ry, &wx, &wy, &mask);
    return child;
  }

  // What the screen shows at a point.
  uint32_t ScreenPixel(int X, int Y) {
    XSync(D(), False);
    XImage* image = XGetImage(D(), DefaultRootWindow(D()), X, Y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const uint32_t p = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
    XDestroyImage(image);
    return p;
  }

  std::vector<long> Cardinals(Window W, const char* Property) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::vector<long> out;
    if (XGetWindowProperty(D(), W, XInternAtom(D(), Property, False), 0, 64, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
      out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
      XFree(data);
    }
    return out;
  }

  void Send(Window W, int Type, unsigned Detail, unsigned State, unsigned long Time, int X = 10, int Y = 10) {
    XEvent e{};
    e.type = Type;
    e.xbutton.window = W;
    e.xbutton.root = DefaultRootWindow(D());
    e.xbutton.button = Detail;  // the key code for key events: the layouts match
    e.xbutton.state = State;
    e.xbutton.time = Time;
    e.xbutton.x = X;
    e.xbutton.y = Y;
    e.xbutton.same_screen = True;
    const long mask = Type == ButtonPress     ? ButtonPressMask
                      : Type == ButtonRelease ? ButtonReleaseMask
                      : Type == KeyPress      ? KeyPressMask
                                              : KeyReleaseMask;
    XSendEvent(D(), W, False, mask, &e);
  }

  static inline std::unique_ptr<TXvfbServer> Server;
  static inline std::string Why;
  std::unique_ptr<TX11WindowSystem> System;
  TEventRecorder Events;
};

TEST(X11Open, AMissingDisplayIsOneClearLine) {
  std::string error;
  EXPECT_EQ(TX11WindowSystem::Open(":4093", error), nullptr);
  EXPECT_EQ(error, "cannot open display :4093; set DISPLAY or use --headless");
}

TEST_F(X11Test, TheWindowIsMappedWithA32BitVisualWithoutDecorationsAndAbove) {
  auto w = System->CreateWindow(Events, {.Bounds = {40, 50, 301, 297}});
  w->Show();
  Settle();
  XWindowAttributes attrs{};
  ASSERT_TRUE(XGetWindowAttributes(D(), XW(*w), &attrs));
  EXPECT_EQ(attrs.depth, 32);
  EXPECT_EQ(attrs.map_state, IsViewable);
  EXPECT_EQ(attrs.width, 299);
  EXPECT_EQ(attrs.height, 295);
  Window child;
  int x = 0, y = 0;
  XTranslateCoordinates(D(), XW(*w), DefaultRootWindow(D()), 0, 0, &x, &y, &child);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 50);

  const std::vector<long> motif = Cardinals(XW(*w), "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[0] & 2, 2);  // the decorations field is given ...
  EXPECT_EQ(motif[2], 0);      // ... and asks for none
  EXPECT_EQ(Cardinals(XW(*w), "_NET_WM_STATE"),
            std::vector<long>{long(XInternAtom(D(), "_NET_WM_STATE_ABOVE", False))});
  EXPECT_EQ(Cardinals(XW(*w), "_NET_WM_PID"), std::vector<long>{long(getpid())});
  XClassHint hint{};
  ASSERT_TRUE(XGetClassHint(D(), XW(*w), &hint));
  EXPECT_STREQ(hint.res_name, "kardo");
  EXPECT_STREQ(hint.res_class, "Kardo");
  XFree(hint.res_name);
  XFree(hint.res_class);
  char* name = nullptr;
  ASSERT_TRUE(XFetchName(D(), XW(*w), &name));
  EXPECT_STREQ(name, "Stagora Layered");
  XFree(name);

  EXPECT_EQ(System->ActiveWindow(), w.get());  // no window manager: the focus is ours at once
  EXPECT_EQ(System->WorkArea(), (TRect{0, 0, 1280, 1024}));
}

// The work area is read once, and again after a panel or a desktop switch
// changes it.
TEST_F(X11Test, TheWorkAreaFollowsTheRootWindowsProperty) {
  EXPECT_EQ(System->WorkArea(), (TRect{0, 0, 1280, 1024}));
  const Window root = DefaultRootWindow(D());
  const Atom workarea = XInternAtom(D(), "_NET_WORKAREA", False);
  const long area[4] = {0, 30, 1280, 994};
  XChangeProperty(D(), root, workarea, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(area), 4);
  Settle();
  EXPECT_EQ(System->WorkArea(), (TRect{0, 30, 1280, 994}));
  XDeleteProperty(D(), root, workarea);
  Settle();
  EXPECT_EQ(System->WorkArea(), (TRect{0, 0, 1280, 1024}));
}

TEST_F(X11Test, APushedFrameIsWhatTheServerHolds) {
  // Without a compositing manager the faint pixels would be cut away.
  auto compositor = TCompositorStandIn::Start(Server->DisplayName());
  ASSERT_TRUE(compositor);
  ASSERT_TRUE(CompositingBecomes(true));
  auto w = System->CreateWindow(Events, {.Bounds = {0, 0, 66, 34}});
  w->Show();
  std::vector<uint32_t> frame(64 * 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      const uint32_t a = uint32_t(x * 4), c = a * uint32_t(y * 8) / 255;  // premultiplied: colour <= alpha
      frame[size_t(y) * 64 + x] = a << 24 | c << 16 | (c / 2) << 8 | (a - c);
    }
  w->UpdateLayered({frame.data(), 64, 32}, {0, 0});
  EXPECT_EQ(ReadBack(*w), frame);
  EXPECT_EQ(w->Bounds(), (TRect{0, 0, 66, 34}));

  // Only the announced rectangle travels, even though the whole buffer changed.
  std::vector<uint32_t> next(frame.size(), 0xFFFFFFFF);
  const TRect changed{10, 5, 20, 8};
  w->UpdateLayered({next.data(), 64, 32}, {0, 0}, &changed);
  const std::vector<uint32_t> got = ReadBack(*w);
  ASSERT_EQ(got.size(), frame.size());
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      const size_t i = size_t(y) * 64 + x;
      ASSERT_EQ(got[i], changed.Contains({x, y}) ? 0xFFFFFFFFu : frame[i]) << x << "," << y;
    }
}

// Parts of any size, from a frame whose rows lie further apart than its
// width, arrive as they are, also one after the other over the same window.
TEST_F(X11Test, PartsOfAnySizeArriveIntact) {
  auto w = System->CreateWindow(Events, {.Bounds = {0, 0, 302, 202}});
  w->Show();
  constexpr int Stride = 310;
  std::vector<uint32_t> frame(size_t(Stride) * 200, 0xFFFF00FFu);
  auto at = [&](int X, int Y) -> uint32_t& { return frame[size_t(Y) * Stride + size_t(X)]; };
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) at(x, y) = 0xFF000000u | uint32_t((y * 300 + x) * 2654435761u >> 8);
  const TFrame pushed{frame.data(), 300, 200, Stride};
  w->UpdateLayered(pushed, {0, 0});
  const TRect parts[] = {{0, 0, 8, 8}, {40, 30, 200, 150}, {299, 199, 1, 1}, {0, 0, 300, 60}};
  uint32_t salt = 1;
  for (const TRect& p : parts) {
    for (int y = p.Top; y < p.Top + p.Height; ++y)
      for (int x = p.Left; x < p.Left + p.Width; ++x)
        at(x, y) = 0xFF000000u | (uint32_t(x * 7 + y * 13) * salt & 0xFFFFFF);
    ++salt;
    Settle();
    w->UpdateLayered(pushed, {0, 0}, &p);
    std::vector<uint32_t> want;
    for (int y = 0; y < 200; ++y) want.insert(want.end(), &at(0, y), &at(0, y) + 300);
    EXPECT_EQ(ReadBack(*w), want) << p.Width << "x" << p.Height;
  }
}

// The window keeps no copy of its frames: what the server lost (a window
// shown again after it was hidden) is asked of the owner, and nothing before
// a frame was ever pushed.
TEST_F(X11Test, LostPixelsAreAskedOfTheOwner) {
  auto w = System->CreateWindow(Events, {.Bounds = {100, 100, 82, 62}});
  w->Show();
  Settle();
  EXPECT_TRUE(Events.Only("exposed").empty());
  std::vector<uint32_t> frame(80 * 60, 0xFF204060u);
  w->UpdateLayered({frame.data(), 80, 60}, {100, 100});
  w->Hide();
  Settle();
  Events.Log.clear();
  w->Show();
  Settle();
  EXPECT_EQ(Events.Only("exposed"), std::vector<std::string>{"exposed 0,0 80x60"});
}

TEST_F(X11Test, ALayeredUpdateMovesTheWindowAndKeepsTheOuterSizeRule) {
  auto w = System->CreateWindow(Events, {.Bounds = {0, 0, 301, 297}});
  w->Show();
  std::vector<uint32_t> frame(299 * 295, 0xFF202020);
  for (int i = 0; i < 3; ++i) {
    const TRect outer = w->Bounds();
    const TSize client = w->ClientSize();
    w->UpdateLayered({frame.data(), client.Width, client.Height}, {outer.Left + 5, outer.Top});
  }
  Settle();
  EXPECT_EQ(w->Bounds(), (TRect{15, 0, 301, 297}));
  XWindowAttributes attrs{};
  XGetWindowAttributes(D(), XW(*w), &attrs);
  EXPECT_EQ(attrs.x, 15);
  EXPECT_EQ(attrs.width, 299);
}

TEST_F(X11Test, TheLoopSleepsUntilTheNextTimerAndDeliversPostedMessages) {
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
  EXPECT_EQ(Events.Only("message"), TLog{"message 1525 1 2"});
  // About one wake-up per tick: the loop never spins while it waits.
  EXPECT_LE(System->Sleeps(), 8u);
}

// A timer pushing a frame on each tick, as a running LED effect does: the
// loop reads the connection when poll says the server answered, not on every
// round and flush. Xlib itself looks once in the flush that sends the frame
// and once more after taking in the answer; nothing else may.
TEST_F(X11Test, PushingAFramePerTickReadsTheConnectionOnlyWhenSomethingCame) {
  auto w = System->CreateWindow(Events, {.Bounds = {0, 0, 64, 32}});
  w->Show();
  std::vector<uint32_t> frame(64 * 32, 0xFF204060);
  w->UpdateLayered({frame.data(), 64, 32}, {0, 0});
  Settle();
  int ticks = 0;
  auto timer = System->CreateTimer(10, [&] {
    frame[size_t(ticks)] ^= 0x00FFFFFF;
    const TRect changed{ticks, 0, 1, 1};
    w->UpdateLayered({frame.data(), 64, 32}, {0, 0}, &changed);
    if (++ticks == 20) System->PostQuit(0);
  });
  timer->SetEnabled(true);
  GEmptyReads = 0;
  GCountedFd = ConnectionNumber(D());
  EXPECT_EQ(System->Run(), 0);
  GCountedFd = -1;
  EXPECT_EQ(ReadBack(*w), frame);
  EXPECT_LE(GEmptyReads.load(), 2 * ticks);
}

// A program that quits once its start-up work is done asks from the idle
// handler, with nothing else due: the loop must end instead of sleeping.
TEST_F(X11Test, AQuitAskedWhileIdleEndsTheLoop) {
  int idles = 0;
  System->OnIdle = [&] {
    if (++idles == 1) System->PostQuit(4);
    return false;
  };
  EXPECT_EQ(System->Run(), 4);
  EXPECT_EQ(idles, 1);
  System->OnIdle = nullptr;
}

TEST_F(X11Test, PressesBecomeDoubleClicksAndCtrlLettersTypeControlCharacters) {
  auto w = System->CreateWindow(Events, {.Bounds = {0, 0, 100, 100}});
  w->Show();
  Settle();
  Events.Log.clear();
  Send(XW(*w), ButtonPress, Button1, ShiftMask, 1000);
  Send(XW(*w), ButtonRelease, Button1, ShiftMask | Button1Mask, 1050);
  Send(XW(*w), ButtonPress, Button1, ShiftMask, 1200);
  Send(XW(*w), ButtonRelease, Button1, ShiftMask | Button1Mask, 1250);
  Send(XW(*w), ButtonPress, Button1, 0, 2000, 40, 10);
  Send(XW(*w), ButtonPress, Button5, 0, 2100);
  const unsigned c = XKeysymToKeycode(D(), XK_c);
  Send(XW(*w), KeyPress, c, ControlMask, 3000);
  Send(XW(*w), KeyRelease, c, ControlMask, 3001);
  Send(XW(*w), KeyPress, XKeysymToKeycode(D(), XK_Return), 0, 3002);
  Settle();
  EXPECT_EQ(Events.Log,
            (TLog{"down L 10,10 shift=9", "up L 10,10 shift=1", "down L 10,10 shift=73", "up L 10,10 shift=1",
                  "down L 40,10 shift=8", "wheel -120 10,10 shift=0", "keydown 67 shift=4", "char 3 shift=4",
                  "keyup 67 shift=4", "keydown 13 shift=0", "char 13 shift=0"}));
}

TEST_F(X11Test, TheCapturedWindowGetsPressesMeantForAnother) {
  auto a = System->CreateWindow(Events, {.Bounds = {0, 0, 100, 100}});
  TEventRecorder otherEvents;
  auto b = System->CreateWindow(otherEvents, {.Bounds = {200, 0, 100, 100}});
  a->Show();
  b->Show();
  a->SetCapture();
  Settle();
  Events.Log.clear();
  Send(XW(*b), ButtonPress, Button1, 0, 5000);
  Settle();
  EXPECT_TRUE(otherEvents.Only("down").empty());
  ASSERT_EQ(Events.Only("down").size(), 1u);
  a->ReleaseCapture();
  EXPECT_EQ(Events.Only("capture"), TLog{"capture lost"});
}

TEST_F(X11Test, TheClipboardCarriesUtf8TextBetweenConnections) {
  std::string error;
  auto other = TX11WindowSystem::Open(Server->DisplayName().c_str(), error);
  ASSERT_TRUE(other) << error;
  EXPECT_EQ(System->ClipboardText(), "");
  other->SetClipboardText("gr\xC3\xBCn 42");
  EXPECT_EQ(other->ClipboardText(), "gr\xC3\xBCn 42");
  // The owner has to answer while this side waits.
  std::atomic<bool> done{false};
  std::thread owner([&] {
    while (!done) {
      other->ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const std::string got = System->ClipboardText();
  done = true;
  owner.join();
  EXPECT_EQ(got, "gr\xC3\xBCn 42");
}

}  // namespace

namespace {

// A frame of W x H that is Value everywhere.
std::vector<uint32_t> Plain(int W, int H, uint32_t Value) {
  return std::vector<uint32_t>(size_t(W) * size_t(H), Value);
}

}  // namespace

// A layered window takes presses only where it is not fully transparent; the
// rest of it belongs to whatever lies below, here another of our windows.
TEST_F(X11Test, PressesGoThroughFullyTransparentPixelsAndTheOutlineFollowsChanges) {
  // A compositing manager keeps faint pixels drawn: only the input outline
  // decides where presses go.
  auto compositor = TCompositorStandIn::Start(Server->DisplayName());
  ASSERT_TRUE(compositor);
  ASSERT_TRUE(CompositingBecomes(true));
  TEventRecorder belowEvents;
  auto below = System->CreateWindow(belowEvents, {.Bounds = {100, 100, 66, 34}});
  auto above = System->CreateWindow(Events, {.Bounds = {100, 100, 66, 34}});
  below->Show();
  above->Show();
  std::vector<uint32_t> under = Plain(64, 32, 0xFF102030);
  below->UpdateLayered({under.data(), 64, 32}, {100, 100});
  // Left half transparent, right half faint: only alpha 0 lets presses through.
  std::vector<uint32_t> frame = Plain(64, 32, 0);
  for (int y = 0; y < 32; ++y)
    for (int x = 32; x < 64; ++x) frame[size_t(y) * 64 + x] = 0x01000000;
  above->UpdateLayered({frame.data(), 64, 32}, {100, 100});
  Settle();
  EXPECT_EQ(WindowUnder(110, 110), XW(*below));
  EXPECT_EQ(WindowUnder(150, 110), XW(*above));

  // A changed rectangle updates only its part of the outline; a colour that
  // keeps the alpha class changes nothing.
  const TRect changed{4, 4, 40, 8};
  for (int y = changed.Top; y < changed.Top + changed.Height; ++y)
    for (int x = changed.Left; x < changed.Left + changed.Width; ++x)
      frame[size_t(y) * 64 + x] = x < 32 ? 0xFF00FF00 : 0;
  above->UpdateLayered({frame.data(), 64, 32}, {100, 100}, &changed);
  Settle();
  EXPECT_EQ(WindowUnder(110, 106), XW(*above));  // made opaque
  EXPECT_EQ(WindowUnder(140, 106), XW(*below));  // made transparent
  EXPECT_EQ(WindowUnder(110, 120), XW(*below));  // outside the change, as it was
  EXPECT_EQ(WindowUnder(150, 120), XW(*above));

  // The press itself reaches the window below.
  XTestFakeMotionEvent(D(), -1, 110, 120, CurrentTime);
  XTestFakeButtonEvent(D(), 1, True, CurrentTime);
  XTestFakeButtonEvent(D(), 1, False, CurrentTime);
  Settle();
  EXPECT_EQ(belowEvents.Only("down"), TLog{"down L 10,20 shift=8"});
  EXPECT_TRUE(Events.Only("down").empty());
}

// Without a compositing manager translucent pixels would show opaque: the
// window is cut to what is at least half opaque, and uncut while one runs.
TEST_F(X11Test, WithoutACompositorTheWindowIsCutToItsSolidPartAndFollowsTheManager) {
  ASSERT_FALSE(System->CompositingManagerRunning());
  std::vector<bool> heard;
  System->OnCompositingChanged = [&](bool Running) { heard.push_back(Running); };
  const Window root = DefaultRootWindow(D());
  XSetWindowBackground(D(), root, 0x00C0FFEE);
  XClearWindow(D(), root);
  auto w = System->CreateWindow(Events, {.Bounds = {50, 60, 34, 34}});
  w->Show();
  // A solid square in a faint margin, as a HUD panel in its shadow.
  std::vector<uint32_t> frame = Plain(32, 32, 0x30000000);
  for (int y = 8; y < 24; ++y)
    for (int x = 8; x < 24; ++x) frame[size_t(y) * 32 + x] = 0xFF204060;
  w->UpdateLayered({frame.data(), 32, 32}, {50, 60});
  Settle();
  EXPECT_EQ(ScreenPixel(50 + 16, 60 + 16), 0x204060u);
  EXPECT_EQ(ScreenPixel(50 + 2, 60 + 2), 0xC0FFEEu) << "the faint margin shows the desktop";

  {
    auto compositor = TCompositorStandIn::Start(Server->DisplayName());
    ASSERT_TRUE(compositor);
    ASSERT_TRUE(CompositingBecomes(true));
    int count = 0, order = 0;
    XRectangle* rects = XShapeGetRectangles(D(), XW(*w), ShapeBounding, &count, &order);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(rects[0].width, 32);
    EXPECT_EQ(rects[0].height, 32);
    XFree(rects);
  }
  ASSERT_TRUE(CompositingBecomes(false));
  Settle();
  EXPECT_EQ(ScreenPixel(50 + 2, 60 + 2), 0xC0FFEEu);
  EXPECT_EQ(heard, (std::vector<bool>{true, false}));
  System->OnCompositingChanged = nullptr;
}

TEST_F(X11Test, APressGivesTheWindowTheKeyboardWhenNoManagerDoes) {
  ASSERT_FALSE(System->WindowManagerRunning());
  auto a = System->CreateWindow(Events, {.Bounds = {0, 0, 100, 100}});
  TEventRecorder otherEvents;
  auto b = System->CreateWindow(otherEvents, {.Bounds = {200, 0, 100, 100}});
  a->Show();
  b->Show();
  a->Activate();
  Settle();
  Send(XW(*b), ButtonPress, Button1, 0, 6000);
  Settle();
  EXPECT_TRUE(b->IsActive());
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(D(), &focus, &revert);
  EXPECT_EQ(focus, XW(*b));
}

TEST_F(X11Test, AWindowShownWithoutTheKeyboardGoesBehindTheActiveOne) {
  auto a = System->CreateWindow(Events, {.Bounds = {0, 0, 100, 100}});
  TEventRecorder otherEvents;
  auto b = System->CreateWindow(otherEvents, {.Bounds = {50, 50, 100, 100}});
  std::vector<uint32_t> frame = Plain(98, 98, 0xFF808080);
  a->UpdateLayered({frame.data(), 98, 98}, {0, 0});
  b->UpdateLayered({frame.data(), 98, 98}, {50, 50});
  a->Show();
  b->Show(false);
  Settle();
  EXPECT_TRUE(a->IsActive());
  EXPECT_EQ(WindowUnder(75, 75), XW(*a));
  EXPECT_EQ(WindowUnder(125, 125), XW(*b));
}

// A manager that has gone leaves its check property behind; nobody would
// answer activation requests sent to it.
TEST_F(X11Test, AStaleWindowManagerCheckIsNoManager) {
  const Window root = DefaultRootWindow(D());
  const Atom check = XInternAtom(D(), "_NET_SUPPORTING_WM_CHECK", False);
  const Window gone = XCreateSimpleWindow(D(), root, 0, 0, 1, 1, 0, 0, 0);
  XChangeProperty(D(), gone, check, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&gone), 1);
  XChangeProperty(D(), root, check, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&gone), 1);
  XSync(D(), False);
  std::string error;
  EXPECT_TRUE(TX11WindowSystem::Open(Server->DisplayName().c_str(), error)->WindowManagerRunning());
  XDestroyWindow(D(), gone);
  XSync(D(), False);
  EXPECT_FALSE(TX11WindowSystem::Open(Server->DisplayName().c_str(), error)->WindowManagerRunning());
  XDeleteProperty(D(), root, check);
  XSync(D(), False);
}

TEST_F(X11Test, TheMinimumSizeHoldsAndIsToldToTheWindowManager) {
  auto w = System->CreateWindow(Events, {.Bounds = {0, 0, 301, 297}});
  w->SetMinimumSize({96, 108});
  w->SetBounds({0, 0, 19, 15});
  EXPECT_EQ(w->Bounds(), (TRect{0, 0, 96, 108}));
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(D(), XW(*w), &hints, &supplied));
  EXPECT_TRUE(hints.flags & PMinSize);
  EXPECT_EQ(hints.min_width, 94);  // the client size: the outer one less the border
  EXPECT_EQ(hints.min_height, 106);
}

// Any client can send a window a ConfigureNotify or resize it; the program
// makes a frame of the size it is told, so a size past the screen is never
// passed on.
TEST_F(X11Test, ASizeFromAnotherClientStaysWithinTheScreen) {
  auto w = System->CreateWindow(Events, {.Bounds = {40, 50, 301, 297}});
  w->Show();
  Settle();
  Display* other = XOpenDisplay(Server->DisplayName().c_str());
  ASSERT_NE(other, nullptr);
  XEvent e{};
  e.xconfigure.type = ConfigureNotify;
  e.xconfigure.event = e.xconfigure.window = XW(*w);
  e.xconfigure.x = 100;
  e.xconfigure.y = 120;
  e.xconfigure.width = e.xconfigure.height = 30000;
  XSendEvent(other, XW(*w), False, StructureNotifyMask, &e);
  XSync(other, False);
  Settle();
  EXPECT_EQ(w->Bounds(), (TRect{100, 120, 301, 297})) << "a synthetic report moves, never sizes";

  XResizeWindow(other, XW(*w), 5000, 4000);
  XSync(other, False);
  Settle();
  EXPECT_EQ(w->ClientSize(), (TSize{1280, 1024}));
  Settle();
  XWindowAttributes attrs{};
  XGetWindowAttributes(D(), XW(*w), &attrs);
  EXPECT_EQ(attrs.width, 1280) << "the window is put back within the screen";
  EXPECT_EQ(attrs.height, 1024);
  XCloseDisplay(other);
}

// A descriptor handed to the loop wakes it from its sleep: the way a signal
// reaches a loop with no timer running.
TEST_F(X11Test, AWatchedDescriptorWakesTheSleepingLoop) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  System->WatchDescriptor(fds[0], [&] {
    char c;
    EXPECT_EQ(read(fds[0], &c, 1), 1);
    System->PostQuit(5);
  });
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(write(fds[1], "x", 1), 1);
  });
  EXPECT_EQ(System->Run(), 5);
  writer.join();
  System->WatchDescriptor(-1, nullptr);
  close(fds[0]);
  close(fds[1]);
}

// Xlib's own handler ends the process when the server goes away; the layer
// must instead end the loop and let the program close what it has open.
TEST(X11ServerLoss, TheLoopEndsWithCode1AndTheProcessLivesOn) {
  std::string why;
  auto server = TXvfbServer::Start(why);
  if (!server) GTEST_SKIP() << why;
  auto system = TX11WindowSystem::Open(server->DisplayName().c_str(), why);
  ASSERT_TRUE(system) << why;
  TEventRecorder events;
  auto w = system->CreateWindow(events, {.Bounds = {0, 0, 64, 64}});
  w->Show();
  std::vector<uint32_t> frame(62 * 62, 0xFF204060);
  w->UpdateLayered({frame.data(), 62, 62}, {0, 0});
  int ticks = 0;
  auto timer = system->CreateTimer(10, [&] {
    if (++ticks == 3) kill(server->Pid(), SIGKILL);
    w->UpdateLayered({frame.data(), 62, 62}, {0, 0});
  });
  timer->SetEnabled(true);
  EXPECT_EQ(system->Run(), 1);
  EXPECT_TRUE(system->ConnectionLost());
  timer.reset();
  w.reset();
  system.reset();
}

// A raise makes the server report the geometry of the moment; read after a
// move was asked for, that report would put the window back for a while.
TEST_F(X11Test, AReportOlderThanAMoveDoesNotMoveTheWindowBack) {
  auto w = System->CreateWindow(Events, {.Bounds = {100, 100, 52, 42}});
  TEventRecorder otherEvents;
  auto other = System->CreateWindow(otherEvents, {.Bounds = {300, 100, 52, 42}});
  w->Show();
  other->Show();
  Settle();
  Events.Log.clear();
  w->BringToFront();
  w->SetBounds({10, 20, 52, 42});
  Settle();
  EXPECT_EQ(Events.Only("bounds"), TLog{"bounds 10,20 52x42"});
  EXPECT_EQ(w->Bounds(), (TRect{10, 20, 52, 42}));
}
