// The real kardo binary on a private X server, driven through XTest the way a
// person would drive it, and judged by the pixels its windows show.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/x11/testing/XvfbServer.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Client sizes of the three windows as they come up.
constexpr int kConsoleW = 299, kConsoleH = 295;
constexpr int kSettingsW = 419, kSettingsH = 336;
constexpr int kDisplayW = 332, kDisplayH = 295;

// Where the content of a window starts: the inner layout sits at (13, 32) and
// its panels 12 pixels above their stored top.
constexpr int kInnerX = 13, kInnerY = 32;

struct TPt {
  int X, Y;
};

// LED centres on the console: picture origin (inner + panel (3, -12)) plus the
// circle's place plus half its 40 pixels.
constexpr TPt Led(int X, int Y) { return {kInnerX + 3 + X + 20, kInnerY - 12 + Y + 20}; }
constexpr TPt kLedYellow = Led(19, 197), kLedGreen1 = Led(19, 6), kLedRed = Led(206, 197);
// A spot of the picture away from every LED.
constexpr TPt kPicture{kInnerX + 3 + 132, kInnerY - 12 + 120};

// Segment centres of a digit panel, in the order A B C D E F G Dp (bit order).
constexpr TPt kSegment[8] = {{53 + 32, 26 + 9}, {109 + 9, 45 + 33}, {101 + 9, 127 + 33}, {37 + 32, 194 + 9},
                             {27 + 9, 127 + 33}, {32 + 9, 41 + 33}, {45 + 32, 108 + 9}, {123 + 8, 196 + 9}};
constexpr int kDigitH = kInnerX + 7, kDigitL = kInnerX + 153, kDigitTop = kInnerY - 12;

struct TRgb {
  int R, G, B;
};

bool Near(TRgb C, int R, int G, int B) {
  return std::abs(C.R - R) < 40 && std::abs(C.G - G) < 40 && std::abs(C.B - B) < 40;
}
bool LitYellow(TRgb C) { return Near(C, 255, 255, 0); }
bool LitGreen(TRgb C) { return Near(C, 0, 255, 0); }
bool LitRed(TRgb C) { return Near(C, 255, 0, 0); }
bool Unlit(TRgb C) { return Near(C, 0x3E, 0x3E, 0x3E); }

std::string Text(TRgb C) {
  return "(" + std::to_string(C.R) + "," + std::to_string(C.G) + "," + std::to_string(C.B) + ")";
}

// kardo as a child process, ended by its process id.
class TKardo {
 public:
  TKardo(const std::string& DisplayName) {
    FPid = fork();
    if (FPid == 0) {
      setenv("DISPLAY", DisplayName.c_str(), 1);
      // The software device: what a machine without a GPU gets anyway, and
      // the same pixels everywhere.
      execl(KARDO_BINARY, KARDO_BINARY, "--device=software", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TKardo() {
    if (FPid <= 0 || FReaped) return;
    kill(FPid, SIGKILL);
    waitpid(FPid, nullptr, 0);
  }
  TKardo(const TKardo&) = delete;
  TKardo& operator=(const TKardo&) = delete;

  pid_t Pid() const { return FPid; }
  bool Running() { return Reap(false) < 0; }
  // The exit status once the process has ended within Timeout; -1 while it
  // still runs, -2 when it ended through a signal (an aborting sanitizer).
  int WaitExit(milliseconds Timeout) {
    const auto end = Clock::now() + Timeout;
    for (;;) {
      const int s = Reap(false);
      if (s != -1 || Clock::now() > end) return s;
      std::this_thread::sleep_for(milliseconds(10));
    }
  }

 private:
  int Reap(bool Block) {
    if (FReaped) return FStatus;
    int status = 0;
    if (waitpid(FPid, &status, Block ? 0 : WNOHANG) != FPid) return -1;
    FReaped = true;
    FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    return FStatus;
  }
  pid_t FPid = -1;
  bool FReaped = false;
  int FStatus = -1;
};

class KardoX11 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Server = platform::TXvfbServer::Start(Why); }
  static void TearDownTestSuite() { Server.reset(); }

  void SetUp() override {
    if (!Server) GTEST_SKIP() << Why;
    FDisplay = XOpenDisplay(Server->DisplayName().c_str());
    ASSERT_NE(FDisplay, nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    ASSERT_TRUE(XTestQueryExtension(FDisplay, &event, &error, &major, &minor));
    Kardo = std::make_unique<TKardo>(Server->DisplayName());
    ASSERT_GT(Kardo->Pid(), 0);
    ASSERT_TRUE(WaitFor([&] { return FindWindows() && Mapped(Console) && Mapped(Settings); }))
        << "kardo's windows did not come up";
    // The first frames are pushed after mapping; the LEDs are drawn then.
    ASSERT_TRUE(WaitFor([&] { return Unlit(Pixel(Console, kLedYellow)); }));
  }

  void TearDown() override {
    Kardo.reset();
    if (FDisplay) XCloseDisplay(FDisplay);
  }

  // Polls Condition until it holds or Timeout has passed.
  bool WaitFor(const std::function<bool()>& Condition, milliseconds Timeout = milliseconds(5000)) {
    const auto end = Clock::now() + Timeout;
    for (;;) {
      if (Condition()) return true;
      if (Clock::now() > end || !Kardo->Running()) return Condition();
      std::this_thread::sleep_for(milliseconds(10));
    }
  }

  // kardo's top-level windows: the ones of its process with the class "kardo".
  std::vector<Window> KardoWindows() {
    std::vector<Window> out;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(FDisplay, DefaultRootWindow(FDisplay), &root, &parent, &children, &count)) return out;
    for (unsigned i = 0; i < count; ++i) {
      XClassHint hint{};
      if (!XGetClassHint(FDisplay, children[i], &hint)) continue;
      const bool ours = std::string(hint.res_name) == "kardo" && Cardinals(children[i], "_NET_WM_PID") ==
                                                                    std::vector<long>{long(Kardo->Pid())};
      XFree(hint.res_name);
      XFree(hint.res_class);
      if (ours) out.push_back(children[i]);
    }
    if (children) XFree(children);
    return out;
  }

  // Tells the three windows apart by their sizes at start-up.
  bool FindWindows() {
    const std::vector<Window> all = KardoWindows();
    if (all.size() != 3) return false;
    for (Window w : all) {
      const XWindowAttributes a = Attributes(w);
      if (a.width == kConsoleW && a.height == kConsoleH) Console = w;
      if (a.width == kSettingsW && a.height == kSettingsH) Settings = w;
      if (a.width == kDisplayW && a.height == kDisplayH) Shown = w;
    }
    return Console && Settings && Shown;
  }

  XWindowAttributes Attributes(Window W) {
    XWindowAttributes a{};
    XGetWindowAttributes(FDisplay, W, &a);
    return a;
  }
  bool Mapped(Window W) { return Attributes(W).map_state == IsViewable; }
  TPt Origin(Window W) {
    Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(FDisplay, W, DefaultRootWindow(FDisplay), 0, 0, &x, &y, &child);
    return {x, y};
  }

  std::vector<long> Cardinals(Window W, const char* Property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> out;
    if (XGetWindowProperty(FDisplay, W, XInternAtom(FDisplay, Property, False), 0, 64, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success &&
        data) {
      if (format == 32) out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
      XFree(data);
    }
    return out;
  }

  // What the window shows at a point of its client area, as the screen has it.
  TRgb Pixel(Window W, TPt P) {
    const TPt o = Origin(W);
    XImage* image = XGetImage(FDisplay, DefaultRootWindow(FDisplay), o.X + P.X, o.Y + P.Y, 1, 1, AllPlanes,
                              ZPixmap);
    if (!image) return {-1, -1, -1};
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
  }

  // The lit segments of a digit as a pattern (bit 0 segment A ... bit 7 point);
  // -1 when a segment is neither lit nor unlit (not drawn yet, or covered).
  int Digit(int PanelX) {
    int pattern = 0;
    for (int bit = 0; bit < 8; ++bit) {
      const TRgb c = Pixel(Shown, {PanelX + kSegment[bit].X, kDigitTop + kSegment[bit].Y});
      if (LitRed(c))
        pattern |= 1 << bit;
      else if (!Unlit(c))
        return -1;
    }
    return pattern;
  }

  void MoveTo(Window W, TPt P) {
    const TPt o = Origin(W);
    XTestFakeMotionEvent(FDisplay, -1, o.X + P.X, o.Y + P.Y, CurrentTime);
    XFlush(FDisplay);
  }
  void Button(bool Down) {
    XTestFakeButtonEvent(FDisplay, 1, Down, CurrentTime);
    XFlush(FDisplay);
  }
  void Click(Window W, TPt P) {
    MoveTo(W, P);
    Button(true);
    Button(false);
  }
  // Presses at From and lets go Delta away, through a few steps as a hand would.
  void Drag(Window W, TPt From, TPt Delta) {
    const TPt o = Origin(W);
    MoveTo(W, From);
    Button(true);
    for (int i = 1; i <= 4; ++i) {
      XTestFakeMotionEvent(FDisplay, -1, o.X + From.X + Delta.X * i / 4, o.Y + From.Y + Delta.Y * i / 4,
                           CurrentTime);
      XFlush(FDisplay);
    }
    Button(false);
  }
  void Key(KeySym Sym, bool Ctrl = false) {
    const KeyCode control = XKeysymToKeycode(FDisplay, XK_Control_L);
    const KeyCode code = XKeysymToKeycode(FDisplay, Sym);
    if (Ctrl) XTestFakeKeyEvent(FDisplay, control, True, CurrentTime);
    XTestFakeKeyEvent(FDisplay, code, True, CurrentTime);
    XTestFakeKeyEvent(FDisplay, code, False, CurrentTime);
    if (Ctrl) XTestFakeKeyEvent(FDisplay, control, False, CurrentTime);
    XFlush(FDisplay);
  }

  static inline std::unique_ptr<platform::TXvfbServer> Server;
  static inline std::string Why;
  Display* FDisplay = nullptr;
  std::unique_ptr<TKardo> Kardo;
  Window Console = 0, Settings = 0, Shown = 0;  // Shown: the display window
};

TEST_F(KardoX11, TheThreeWindowsComeUpUndecoratedAboveAndInTheirPlaces) {
  const Atom above = XInternAtom(FDisplay, "_NET_WM_STATE_ABOVE", False);
  for (Window w : {Console, Settings, Shown}) {
    EXPECT_EQ(Attributes(w).depth, 32);
    const std::vector<long> motif = Cardinals(w, "_MOTIF_WM_HINTS");
    ASSERT_EQ(motif.size(), 5u);
    EXPECT_EQ(motif[0] & 2, 2);  // the decorations field is given ...
    EXPECT_EQ(motif[2], 0);      // ... and asks for none
    EXPECT_EQ(Cardinals(w, "_NET_WM_STATE"), std::vector<long>{long(above)});
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(FDisplay, w, &name));
    EXPECT_STREQ(name, "Stagora Layered");
    XFree(name);
  }
  // The console is centred on the 1280 x 1024 screen by its outer size
  // 301 x 297; the settings window overlaps its lowest 32 pixels.
  EXPECT_EQ(Origin(Console).X, (1280 - 301) / 2);
  EXPECT_EQ(Origin(Console).Y, (1024 - 297) / 2);
  EXPECT_EQ(Origin(Settings).X, Origin(Console).X);
  EXPECT_EQ(Origin(Settings).Y, Origin(Console).Y + 297 - 32);
  // Nothing has been displayed yet.
  EXPECT_FALSE(Mapped(Shown));

  // The first display shows it at the console's right edge less 12 pixels.
  Click(Console, kPicture);
  ASSERT_TRUE(WaitFor([&] { return Mapped(Shown); }));
  EXPECT_EQ(Attributes(Shown).depth, 32);
  EXPECT_EQ(Origin(Shown).X, Origin(Console).X + 301 - 12);
  EXPECT_EQ(Origin(Shown).Y, Origin(Console).Y);
}

}  // namespace
