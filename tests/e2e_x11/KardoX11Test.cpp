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

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
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
constexpr TPt Led(int X, int Y) {
  return {kInnerX + 3 + X + 20, kInnerY - 12 + Y + 20};
}
constexpr TPt kLedYellow = Led(19, 197), kLedGreen1 = Led(19, 6), kLedRed = Led(206, 197);
// A spot of the picture away from every LED.
constexpr TPt kPicture{kInnerX + 3 + 132, kInnerY - 12 + 120};

// Segment centres of a digit panel, in the order A B C D E F G Dp (bit order).
constexpr TPt kSegment[8] = {{53 + 32, 26 + 9},  {109 + 9, 45 + 33}, {101 + 9, 127 + 33}, {37 + 32, 194 + 9},
                             {27 + 9, 127 + 33}, {32 + 9, 41 + 33},  {45 + 32, 108 + 9},  {123 + 8, 196 + 9}};
constexpr int kDigitH = kInnerX + 7, kDigitL = kInnerX + 153, kDigitTop = kInnerY - 12;

struct TRgb {
  int R, G, B;
};

bool Near(TRgb C, int R, int G, int B) {
  return std::abs(C.R - R) < 40 && std::abs(C.G - G) < 40 && std::abs(C.B - B) < 40;
}
bool LitYellow(TRgb C) {
  return Near(C, 255, 255, 0);
}
bool LitGreen(TRgb C) {
  return Near(C, 0, 255, 0);
}
bool LitRed(TRgb C) {
  return Near(C, 255, 0, 0);
}
bool Unlit(TRgb C) {
  return Near(C, 0x3E, 0x3E, 0x3E);
}

// Anything but the bare root window's black.
bool Drawn(TRgb C) {
  return C.R > 0 || C.G > 0 || C.B > 0;
}

std::string Text(TRgb C) {
  return "(" + std::to_string(C.R) + "," + std::to_string(C.G) + "," + std::to_string(C.B) + ")";
}

// kardo as a child process, ended by its process id.
class TKardo {
 public:
  // Extra: more options; ErrFile, when given, takes its standard error.
  explicit TKardo(const std::string& DisplayName, std::vector<std::string> Extra = {},
                  const std::string& ErrFile = "") {
    // The software device: what a machine without a GPU gets anyway, and the
    // same pixels everywhere.
    std::string device = "--device=software";
    std::vector<char*> argv{const_cast<char*>(KARDO_BINARY), device.data()};
    for (auto& e : Extra) argv.push_back(e.data());
    argv.push_back(nullptr);
    FPid = fork();
    if (FPid == 0) {
      setenv("DISPLAY", DisplayName.c_str(), 1);
      if (!ErrFile.empty() && !std::freopen(ErrFile.c_str(), "w", stderr)) _exit(126);
      execv(KARDO_BINARY, argv.data());
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
  bool Running() { return Reap() == -1; }
  // The exit status once the process has ended within Timeout; -1 while it
  // still runs, -2 when it ended through a signal (an aborting sanitizer).
  int WaitExit(milliseconds Timeout) {
    const auto end = Clock::now() + Timeout;
    for (;;) {
      const int s = Reap();
      if (s != -1 || Clock::now() > end) return s;
      std::this_thread::sleep_for(milliseconds(10));
    }
  }

 private:
  int Reap() {
    if (FReaped) return FStatus;
    int status = 0;
    if (waitpid(FPid, &status, WNOHANG) != FPid) return -1;
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
    // The first frames are pushed after mapping; the LEDs are drawn then. A
    // window takes presses only where its frame has put something.
    ASSERT_TRUE(WaitFor([&] { return Unlit(Pixel(Console, kLedYellow)); }));
    ASSERT_TRUE(WaitFor([&] { return Drawn(Pixel(Settings, {kSettingsW / 2, kSettingsH / 2})); }));
  }

  void TearDown() override {
    // A crash, or a sanitizer's abort, shows only as a process gone early.
    if (Kardo && !FEndsKardo && !Kardo->Running())
      ADD_FAILURE() << "kardo ended by itself, status " << Kardo->WaitExit(milliseconds(0));
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
      const bool ours = std::string(hint.res_name) == "kardo" &&
                        Cardinals(children[i], "_NET_WM_PID") == std::vector<long>{long(Kardo->Pid())};
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
    XImage* image =
        XGetImage(FDisplay, DefaultRootWindow(FDisplay), o.X + P.X, o.Y + P.Y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return {-1, -1, -1};
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
  }

  // The pixels of a 16 x 16 square around a point of a window, as the screen
  // shows them.
  std::vector<unsigned long> Patch(Window W, TPt P) {
    const TPt o = Origin(W);
    std::vector<unsigned long> out;
    XImage* image = XGetImage(FDisplay, DefaultRootWindow(FDisplay), o.X + P.X - 8, o.Y + P.Y - 8, 16, 16,
                              AllPlanes, ZPixmap);
    if (!image) return out;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) out.push_back(XGetPixel(image, x, y));
    XDestroyImage(image);
    return out;
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

  // Without a window manager the program takes the focus itself when it
  // handles a press; keys sent before that would go elsewhere.
  bool Focused(Window W) {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(FDisplay, &focus, &revert);
    return focus == W;
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
  bool FEndsKardo = false;
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
  // 301 x 297; the settings window lies right below it.
  EXPECT_EQ(Origin(Console).X, (1280 - 301) / 2);
  EXPECT_EQ(Origin(Console).Y, (1024 - 297) / 2);
  EXPECT_EQ(Origin(Settings).X, Origin(Console).X);
  EXPECT_EQ(Origin(Settings).Y, Origin(Console).Y + 297);
  // Nothing has been displayed yet.
  EXPECT_FALSE(Mapped(Shown));

  // The first display shows it at the console's right edge less 12 pixels.
  Click(Console, kPicture);
  ASSERT_TRUE(WaitFor([&] { return Mapped(Shown); }));
  EXPECT_EQ(Attributes(Shown).depth, 32);
  EXPECT_EQ(Origin(Shown).X, Origin(Console).X + 301 - 12);
  EXPECT_EQ(Origin(Shown).Y, Origin(Console).Y);
}

TEST_F(KardoX11, ConsolePressesStepThroughAutomaticNothingAndPetrol) {
  EXPECT_TRUE(Unlit(Pixel(Console, kLedGreen1))) << Text(Pixel(Console, kLedGreen1));
  EXPECT_TRUE(Unlit(Pixel(Console, kLedRed))) << Text(Pixel(Console, kLedRed));

  // Automatic: the yellow LED, green 1 blinking, A and a blinking G.
  Click(Console, kPicture);
  ASSERT_TRUE(WaitFor([&] { return LitYellow(Pixel(Console, kLedYellow)); }))
      << Text(Pixel(Console, kLedYellow));
  ASSERT_TRUE(WaitFor([&] { return Mapped(Shown) && Digit(kDigitH) == 0x77; })) << Digit(kDigitH);
  EXPECT_TRUE(WaitFor([&] { return LitGreen(Pixel(Console, kLedGreen1)); }))
      << Text(Pixel(Console, kLedGreen1));
  EXPECT_TRUE(WaitFor([&] { return Unlit(Pixel(Console, kLedGreen1)); })) << Text(Pixel(Console, kLedGreen1));
  EXPECT_TRUE(WaitFor([&] { return Digit(kDigitL) == 0x3D; }));
  EXPECT_TRUE(WaitFor([&] { return Digit(kDigitL) == 0; }));
  EXPECT_TRUE(Unlit(Pixel(Console, kLedRed))) << Text(Pixel(Console, kLedRed));

  // The second press does nothing, the third switches to petrol: P, and the
  // blinks stop.
  Click(Console, kPicture);
  Click(Console, kPicture);
  ASSERT_TRUE(WaitFor([&] { return Digit(kDigitH) == 0x73; })) << Digit(kDigitH);
  EXPECT_TRUE(LitYellow(Pixel(Console, kLedYellow))) << Text(Pixel(Console, kLedYellow));
  // A stopped blink is seen only by waiting longer than its period (1 s).
  const auto end = Clock::now() + milliseconds(1300);
  while (Clock::now() < end) {
    ASSERT_TRUE(Unlit(Pixel(Console, kLedGreen1))) << Text(Pixel(Console, kLedGreen1));
    ASSERT_EQ(Digit(kDigitL), 0);
    std::this_thread::sleep_for(milliseconds(50));
  }
}

TEST_F(KardoX11, TypingIntoTheSettingsTextBoxShowsTheDigitsWithTheirPoints) {
  // Click into the box, select its "00" and type over it.
  Click(Settings, {kInnerX + 10 + 18, kInnerY + 244 + 11});
  ASSERT_TRUE(WaitFor([&] { return Focused(Settings); }));
  Key(XK_a, true);
  for (KeySym k : {XK_1, XK_period, XK_2, XK_period}) Key(k);
  EXPECT_FALSE(Mapped(Shown));
  Key(XK_Return);
  ASSERT_TRUE(WaitFor([&] { return Mapped(Shown); }));
  EXPECT_TRUE(WaitFor([&] { return Digit(kDigitH) == 0x86 && Digit(kDigitL) == 0xDB; }))
      << Digit(kDigitH) << " " << Digit(kDigitL);
}

TEST_F(KardoX11, TheCloseButtonHidesTheSettingsAndADoubleClickOnThePictureBringsThemBack) {
  const TPt below = Origin(Settings);
  // Moved first: showing it again puts it back below the console.
  Drag(Settings, {13, 150}, {60, -200});
  ASSERT_TRUE(WaitFor([&] {
    return Origin(Settings).X == below.X + 60 && Origin(Settings).Y == below.Y - 200;
  })) << Origin(Settings).X
      << "," << Origin(Settings).Y;
  Click(Settings, {kSettingsW - 22, 23});
  ASSERT_TRUE(WaitFor([&] { return !Mapped(Settings); }));
  // A single press only steps the fuel mode (and brings up the display);
  // the second press within the double-click time brings the settings back.
  Click(Console, kPicture);
  ASSERT_TRUE(WaitFor([&] { return Mapped(Shown); }));
  EXPECT_FALSE(Mapped(Settings));
  Click(Console, kPicture);
  ASSERT_TRUE(WaitFor([&] { return Mapped(Settings); }));
  EXPECT_EQ(Origin(Settings).X, below.X);
  EXPECT_EQ(Origin(Settings).Y, below.Y);
}

TEST_F(KardoX11, DraggingAnEmptySpotMovesAWindowAndTheGripResizesIt) {
  const TPt start = Origin(Console);
  // The frame's left margin, outside the picture.
  Drag(Console, {13, 150}, {-100, -80});
  ASSERT_TRUE(WaitFor([&] {
    return Origin(Console).X == start.X - 100 && Origin(Console).Y == start.Y - 80;
  })) << Origin(Console).X
      << "," << Origin(Console).Y;
  EXPECT_TRUE(Unlit(Pixel(Console, kLedYellow))) << "the content moved with the window";

  Drag(Console, {kConsoleW - 21, kConsoleH - 22}, {52, 40});
  ASSERT_TRUE(WaitFor([&] {
    const XWindowAttributes a = Attributes(Console);
    return a.width == kConsoleW + 52 && a.height == kConsoleH + 40;
  })) << Attributes(Console).width
      << "x" << Attributes(Console).height;
  EXPECT_EQ(Origin(Console).X, start.X - 100);
  EXPECT_EQ(Origin(Console).Y, start.Y - 80);
  // The content is rescaled to the new size: (299 + 52 - 24) / (299 - 24)
  // wider, so the red LED's centre moves right with it.
  const double sx = double(kConsoleW + 52 - 24) / (kConsoleW - 24);
  const double sy = double(kConsoleH + 40 - 42) / (kConsoleH - 42);
  const TPt red{kInnerX + int((kLedRed.X - kInnerX) * sx), kInnerY + int((kLedRed.Y - kInnerY) * sy)};
  EXPECT_TRUE(WaitFor([&] { return Unlit(Pixel(Console, red)); })) << Text(Pixel(Console, red));
}

TEST_F(KardoX11, EscOnTheConsoleEndsTheProgramCleanly) {
  Click(Settings, {kInnerX + 10 + 18, kInnerY + 244 + 11});
  ASSERT_TRUE(WaitFor([&] { return Focused(Settings); }));
  Click(Console, {13, 150});
  ASSERT_TRUE(WaitFor([&] { return Focused(Console); }));
  FEndsKardo = true;
  Key(XK_Escape);
  EXPECT_EQ(Kardo->WaitExit(milliseconds(10000)), 0);
  EXPECT_TRUE(KardoWindows().empty());
}

// The press on the picture brings up the display, which has nothing to type
// into: the console keeps the keyboard.
TEST_F(KardoX11, EscAfterAPressOnThePictureEndsTheProgram) {
  Click(Console, kPicture);
  ASSERT_TRUE(WaitFor([&] { return Mapped(Shown) && Digit(kDigitH) == 0x77; }));
  EXPECT_TRUE(Focused(Console));
  FEndsKardo = true;
  Key(XK_Escape);
  EXPECT_EQ(Kardo->WaitExit(milliseconds(10000)), 0);
}

// The windows are translucent HUDs: their transparent margins are not theirs.
// Here no compositing manager runs, so what is less than half opaque is cut
// away and the desktop shows there.
TEST_F(KardoX11, TheMarginsAreTheDesktopsAndPressesThereReachTheWindowBelow) {
  const Window root = DefaultRootWindow(FDisplay);
  XSetWindowBackground(FDisplay, root, 0x3060C0);
  XClearWindow(FDisplay, root);
  XFlush(FDisplay);
  for (Window w : {Console, Settings}) {
    const TRgb c = Pixel(w, {4, 150});
    EXPECT_TRUE(c.R == 0x30 && c.G == 0x60 && c.B == 0xC0) << Text(c);
  }
  // Moved up over the console's lowest pixels, the settings window's
  // transparent top margin lets a drag through to the console's frame.
  Drag(Settings, {13, 150}, {0, -30});
  ASSERT_TRUE(WaitFor([&] { return Origin(Settings).Y == Origin(Console).Y + 297 - 30; }));
  const TPt console = Origin(Console), settings = Origin(Settings);
  Drag(Settings, {150, 2}, {30, 20});
  ASSERT_TRUE(WaitFor([&] {
    return Origin(Console).X == console.X + 30 && Origin(Console).Y == console.Y + 20;
  })) << Origin(Console).X
      << "," << Origin(Console).Y;
  EXPECT_EQ(Origin(Settings).X, settings.X);
  EXPECT_EQ(Origin(Settings).Y, settings.Y);
}

// Each kind of control in the settings window shows the pointer over it, and
// looks as before once it has gone.
TEST_F(KardoX11, SettingsControlsChangeUnderThePointer) {
  struct TControl {
    const char* Name;
    TPt At;
  };
  const TControl controls[] = {{"radio button Connect", {161, 45}},
                               {"check box Led Yellow", {314, 49}},
                               {"button Timers and Leds off", {86, 235}},
                               {"close button", {kSettingsW - 22, 23}}};
  const TPt away{kSettingsW / 2, kSettingsH - 30};
  for (const TControl& c : controls) {
    MoveTo(Settings, away);
    std::this_thread::sleep_for(milliseconds(400));
    const std::vector<unsigned long> before = Patch(Settings, c.At);
    MoveTo(Settings, c.At);
    EXPECT_TRUE(WaitFor([&] { return Patch(Settings, c.At) != before; }, milliseconds(2000))) << c.Name;
    MoveTo(Settings, away);
    EXPECT_TRUE(WaitFor([&] { return Patch(Settings, c.At) == before; }, milliseconds(2000))) << c.Name;
  }
}

// The display comes up over the settings caption; its margin does not keep
// the close button from the operator.
TEST_F(KardoX11, TheSettingsCloseButtonWorksWithTheDisplayUp) {
  Click(Console, kPicture);
  ASSERT_TRUE(WaitFor([&] { return Mapped(Shown) && Digit(kDigitH) == 0x77; }));
  Click(Settings, {kSettingsW - 22, 23});
  EXPECT_TRUE(WaitFor([&] { return !Mapped(Settings); }));
}

TEST_F(KardoX11, SigtermEndsTheProgramCleanly) {
  FEndsKardo = true;
  kill(Kardo->Pid(), SIGTERM);
  EXPECT_EQ(Kardo->WaitExit(milliseconds(10000)), 128 + SIGTERM);
  EXPECT_TRUE(KardoWindows().empty());
}

// The X server dies under a running scenario: kardo still closes its
// timeline and says what happened, instead of Xlib ending the process.
TEST(KardoX11ServerLoss, TheTimelineIsWrittenAndKardoSaysWhy) {
  std::string why;
  auto server = platform::TXvfbServer::Start(why);
  if (!server) GTEST_SKIP() << why;
  const auto dir = std::filesystem::temp_directory_path() / ("kardo_x11_loss_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto scenario = dir / "blink.txt", csv = dir / "timeline.csv", err = dir / "stderr.txt";
  std::ofstream(scenario) << "at 0.1 click console Image_Kardo\nat 60 end\n";
  TKardo kardo(server->DisplayName(), {"--scenario", scenario.string(), "--timeline", csv.string()},
               err.string());
  // Its windows are up, and the first press has lit the LEDs.
  Display* d = XOpenDisplay(server->DisplayName().c_str());
  ASSERT_NE(d, nullptr);
  const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
  auto mapped = [&] {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0, found = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return false;
    for (unsigned i = 0; i < count; ++i) {
      Atom type = 0;
      int format = 0;
      unsigned long n = 0, after = 0;
      unsigned char* data = nullptr;
      XWindowAttributes a{};
      if (XGetWindowProperty(d, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                             &data) == Success &&
          data) {
        if (n == 1 && *reinterpret_cast<long*>(data) == kardo.Pid() &&
            XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
          ++found;
        XFree(data);
      }
    }
    if (children) XFree(children);
    return found >= 3;
  };
  const auto end = Clock::now() + milliseconds(10000);
  while (!mapped() && Clock::now() < end && kardo.Running()) std::this_thread::sleep_for(milliseconds(10));
  ASSERT_TRUE(mapped());
  XCloseDisplay(d);
  std::this_thread::sleep_for(milliseconds(400));

  kill(server->Pid(), SIGKILL);
  EXPECT_EQ(kardo.WaitExit(milliseconds(10000)), 1);
  std::ifstream in(err);
  const std::string said{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // Its first line: a sanitizer's report may follow.
  EXPECT_EQ(said.substr(0, said.find('\n')),
            "kardo: lost the connection to the X server " + server->DisplayName());
  std::ifstream rows(csv);
  std::string line, last;
  int count = 0;
  while (std::getline(rows, line)) {
    last = line;
    ++count;
  }
  EXPECT_GT(count, 1) << "the rows of the first press are written";
  EXPECT_EQ(std::count(last.begin(), last.end(), ','), 3) << last;
  std::filesystem::remove_all(dir);
}

}  // namespace
