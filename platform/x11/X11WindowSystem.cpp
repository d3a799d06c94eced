#include "platform/x11/X11WindowSystem.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <iterator>
#include <utility>

#include "platform/x11/X11Atoms.h"
#include "platform/x11/X11Keys.h"
#include "platform/x11/X11Window.h"

namespace platform {

namespace {

uint64_t GErrors = 0;
int CountError(Display*, XErrorEvent*) {
  ++GErrors;
  return 0;
}

// Xlib ends the process when the connection breaks: its default I/O error
// handler calls exit() itself, before the exit handler is even asked. Both are
// replaced, so Xlib only marks the display dead (every later call on it does
// nothing) and the loop notices the loss and quits, letting the program close
// what it has open.
std::vector<Display*> GLost;
int IgnoreIOError(Display*) {
  return 0;
}
void NoteLoss(Display* D, void*) {
  if (!std::count(GLost.begin(), GLost.end(), D)) GLost.push_back(D);
}
bool Lost(Display* D) {
  return std::find(GLost.begin(), GLost.end(), D) != GLost.end();
}

uint64_t MonotonicMs() {
  return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count());
}

TShiftState ShiftOf(unsigned State) {
  TShiftState s = 0;
  if (State & ShiftMask) s |= plShift;
  if (State & ControlMask) s |= plCtrl;
  if (State & Mod1Mask) s |= plAlt;
  if (State & Button1Mask) s |= plLeftButton;
  if (State & Button2Mask) s |= plMiddleButton;
  if (State & Button3Mask) s |= plRightButton;
  return s;
}

TShiftState FlagOf(TMouseButton B) {
  return B == plMouseLeft ? plLeftButton : B == plMouseRight ? plRightButton : plMiddleButton;
}

std::string Latin1ToUtf8(const std::string& S) {
  std::string out;
  for (unsigned char c : S) {
    if (c < 0x80) {
      out += char(c);
    } else {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

uint64_t X11ErrorCount() {
  return GErrors;
}

TX11WindowSystem::TAtoms::TAtoms(Display* D) {
  // A compositing manager owns this selection for the screen it composites.
  const std::string compositor = "_NET_WM_CM_S" + std::to_string(DefaultScreen(D));
  // One request for all of them: asked one by one, each name costs a round
  // trip to the server, and start-up waits for every one.
  const std::pair<Atom*, const char*> names[] = {
      {&WmProtocols, "WM_PROTOCOLS"},
      {&WmDeleteWindow, "WM_DELETE_WINDOW"},
      {&MotifWmHints, "_MOTIF_WM_HINTS"},
      {&NetWmState, "_NET_WM_STATE"},
      {&NetWmStateAbove, "_NET_WM_STATE_ABOVE"},
      {&NetWmName, "_NET_WM_NAME"},
      {&NetWmPid, "_NET_WM_PID"},
      {&NetActiveWindow, "_NET_ACTIVE_WINDOW"},
      {&NetWorkarea, "_NET_WORKAREA"},
      {&NetCurrentDesktop, "_NET_CURRENT_DESKTOP"},
      {&NetSupportingWmCheck, "_NET_SUPPORTING_WM_CHECK"},
      {&Utf8String, "UTF8_STRING"},
      {&Clipboard, "CLIPBOARD"},
      {&Targets, "TARGETS"},
      {&Text, "TEXT"},
      {&Incr, "INCR"},
      {&Transfer, "_KARDO_TRANSFER"},
      {&CompositorSelection, compositor.c_str()},
      {&NetRestackWindow, "_NET_RESTACK_WINDOW"},
  };
  constexpr int count = int(std::size(names));
  char* text[count];
  Atom atoms[count] = {};
  for (int i = 0; i < count; ++i) text[i] = const_cast<char*>(names[i].second);
  XInternAtoms(D, text, count, False, atoms);
  for (int i = 0; i < count; ++i) *names[i].first = atoms[i];
}

std::unique_ptr<TX11WindowSystem> TX11WindowSystem::Open(const char* DisplayName, std::string& Error) {
  Display* d = XOpenDisplay(DisplayName);
  if (!d) {
    const char* name = XDisplayName(DisplayName);
    Error = std::string("cannot open display ") + (name && *name ? name : "(DISPLAY is not set)") +
            "; set DISPLAY or use --headless";
    return nullptr;
  }
  XSetErrorHandler(CountError);
  XSetIOErrorHandler(IgnoreIOError);
  XSetIOErrorExitHandler(d, NoteLoss, nullptr);
  return std::unique_ptr<TX11WindowSystem>(new TX11WindowSystem(d));
}

TX11WindowSystem::TX11WindowSystem(Display* D)
    : TWindowSystemBase([start = MonotonicMs()] { return MonotonicMs() - start + 1; }),
      FDisplay(D),
      FAtoms(std::make_unique<TAtoms>(D)) {
  const int screen = DefaultScreen(D);
  const Window root = RootWindow(D, screen);
  XVisualInfo info{};
  if (XMatchVisualInfo(D, screen, 32, TrueColor, &info)) {
    FVisual = info.visual;
    FDepth = 32;
  } else {
    // No alpha: the frames still show, opaque.
    FVisual = DefaultVisual(D, screen);
    FDepth = DefaultDepth(D, screen);
  }
  FColormap = XCreateColormap(D, root, static_cast<Visual*>(FVisual), AllocNone);
  FHelper = XCreateSimpleWindow(D, root, -10, -10, 1, 1, 0, 0, 0);
  XSelectInput(D, FHelper, PropertyChangeMask);
  XSelectInput(D, root, PropertyChangeMask);

  // A manager names a window of its own that names itself; a property left
  // behind by one that has gone names nothing, and nobody would answer.
  const std::vector<long> check = ReadCardinals(root, FAtoms->NetSupportingWmCheck);
  FHasWm = !check.empty() && check[0] != 0 &&
           ReadCardinals(Window(check[0]), FAtoms->NetSupportingWmCheck) == std::vector<long>{check[0]};
  int shapeEvent = 0, shapeError = 0, major = 0, minor = 0;
  FShape = XShapeQueryExtension(D, &shapeEvent, &shapeError) && XShapeQueryVersion(D, &major, &minor);
  FShapeInput = FShape && (major > 1 || (major == 1 && minor >= 1));
  WatchCompositor();
  Bool supported = False;
  XkbSetDetectableAutoRepeat(D, True, &supported);
}

TX11WindowSystem::~TX11WindowSystem() {
  for (auto& [number, cursor] : FCursors) XFreeCursor(FDisplay, cursor);
  XDestroyWindow(FDisplay, FHelper);
  XFreeColormap(FDisplay, FColormap);
  XCloseDisplay(FDisplay);
  std::erase(GLost, FDisplay);
}

std::unique_ptr<IWindow> TX11WindowSystem::CreateWindow(IWindowEvents& Events, const TWindowParams& Params) {
  return std::make_unique<TX11Window>(*this, Events, Params);
}

int TX11WindowSystem::Depth() const {
  return FDepth;
}

TSize TX11WindowSystem::ScreenSize() const {
  return {DisplayWidth(FDisplay, DefaultScreen(FDisplay)), DisplayHeight(FDisplay, DefaultScreen(FDisplay))};
}

std::vector<long> TX11WindowSystem::ReadCardinals(unsigned long Window, unsigned long Property) const {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> out;
  if (XGetWindowProperty(FDisplay, Window, Property, 0, 1024, False, AnyPropertyType, &type, &format, &count,
                         &after, &data) == Success &&
      data) {
    if (format == 32) out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    XFree(data);
  }
  return out;
}

TRect TX11WindowSystem::WorkArea() const {
  if (FWorkArea) return *FWorkArea;
  FWorkArea = ReadWorkArea();
  return *FWorkArea;
}

TRect TX11WindowSystem::ReadWorkArea() const {
  const Window root = DefaultRootWindow(FDisplay);
  const std::vector<long> desktop = ReadCardinals(root, FAtoms->NetCurrentDesktop);
  const size_t index = desktop.empty() || desktop[0] < 0 ? 0 : size_t(desktop[0]);
  const std::vector<long> area = ReadCardinals(root, FAtoms->NetWorkarea);
  if (area.size() >= 4 * (index + 1) && area[4 * index + 2] > 0 && area[4 * index + 3] > 0)
    return {int(area[4 * index]), int(area[4 * index + 1]), int(area[4 * index + 2]),
            int(area[4 * index + 3])};
  const TSize screen = ScreenSize();
  return {0, 0, screen.Width, screen.Height};
}

int TX11WindowSystem::PixelsPerInch() const {
  const int screen = DefaultScreen(FDisplay);
  const int mm = DisplayWidthMM(FDisplay, screen);
  const int ppi = mm > 0 ? int(DisplayWidth(FDisplay, screen) * 25.4 / mm + 0.5) : 96;
  return ppi >= 48 && ppi <= 480 ? ppi : 96;
}

TPoint TX11WindowSystem::CursorPos() const {
  Window root = 0, child = 0;
  int x = 0, y = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  XQueryPointer(FDisplay, DefaultRootWindow(FDisplay), &root, &child, &x, &y, &wx, &wy, &mask);
  return {x, y};
}

unsigned long TX11WindowSystem::CursorFor(int32_t Number) {
  for (auto& [number, cursor] : FCursors)
    if (number == Number) return cursor;
  unsigned shape = 0;
  switch (Number) {
    case plCursorArrow:
      shape = XC_left_ptr;
      break;
    case plCursorCross:
      shape = XC_crosshair;
      break;
    case plCursorIBeam:
      shape = XC_xterm;
      break;
    case plCursorSizeNESW:
      shape = XC_bottom_left_corner;
      break;
    case plCursorSizeNS:
      shape = XC_sb_v_double_arrow;
      break;
    case plCursorSizeNWSE:
      shape = XC_bottom_right_corner;
      break;
    case plCursorSizeWE:
      shape = XC_sb_h_double_arrow;
      break;
    case plCursorWait:
      shape = XC_watch;
      break;
    case plCursorHand:
      shape = XC_hand2;
      break;
    case plCursorSizeAll:
      shape = XC_fleur;
      break;
    case plCursorNone:
      break;
    default:
      return None;  // the default cursor: the root's
  }
  Cursor c = None;
  if (Number == plCursorNone) {
    const char bits = 0;
    Pixmap blank = XCreateBitmapFromData(FDisplay, FHelper, &bits, 1, 1);
    XColor black{};
    c = XCreatePixmapCursor(FDisplay, blank, blank, &black, &black, 0, 0);
    XFreePixmap(FDisplay, blank);
  } else {
    c = XCreateFontCursor(FDisplay, shape);
  }
  FCursors.emplace_back(Number, c);
  return c;
}

void TX11WindowSystem::SendToRoot(unsigned long Window, unsigned long Type, const std::array<long, 4>& Data) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = Window;
  e.xclient.message_type = Type;
  e.xclient.format = 32;
  for (size_t i = 0; i < Data.size(); ++i) e.xclient.data.l[i] = Data[i];
  XSendEvent(FDisplay, DefaultRootWindow(FDisplay), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &e);
}

TX11Window* TX11WindowSystem::Find(unsigned long Window) const {
  for (TX11Window* w : FWindows)
    if (w->XWindow() == Window) return w;
  return nullptr;
}

void TX11WindowSystem::Dispatch(XEvent& E) {
  if (E.type == SelectionRequest) return ServeSelectionRequest(E);
  if (E.type == SelectionClear) {
    if (E.xselectionclear.selection == FAtoms->Clipboard) {
      FOwnsClipboard = false;
      FClipboard.clear();
    }
    return;
  }
  if (FFixesEventBase >= 0 && E.type == FFixesEventBase + XFixesSelectionNotify) {
    if (reinterpret_cast<const XFixesSelectionNotifyEvent&>(E).selection == FAtoms->CompositorSelection)
      CompositorChanged();
    return;
  }
  if (E.type == PropertyNotify && E.xproperty.window == DefaultRootWindow(FDisplay)) {
    if (E.xproperty.atom == FAtoms->NetWorkarea || E.xproperty.atom == FAtoms->NetCurrentDesktop)
      FWorkArea.reset();
    return;
  }
  TX11Window* w = Find(E.xany.window);
  if (!w) return;
  const Window xw = w->XWindow();
  switch (E.type) {
    case Expose:
      w->Exposed({E.xexpose.x, E.xexpose.y, E.xexpose.width, E.xexpose.height});
      break;
    case ReparentNotify:
      w->SetReparented(E.xreparent.parent != DefaultRootWindow(FDisplay));
      break;
    case ConfigureNotify: {
      // A window manager's frame makes real reports relative to the frame; it
      // then also sends synthetic ones in root coordinates (ICCCM 4.1.5).
      // Any client can send one, so a synthetic report moves the window but
      // never sizes it: the server's own report of a real resize does that.
      TPoint pos{E.xconfigure.x, E.xconfigure.y};
      if (!E.xconfigure.send_event && w->Reparented()) pos = w->ClientToScreen({0, 0});
      const TSize size =
          E.xconfigure.send_event ? w->ClientSize() : TSize{E.xconfigure.width, E.xconfigure.height};
      w->Configured(pos, size, E.xconfigure.serial);
      break;
    }
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify: {
      TMouseEvent m;
      const XButtonEvent& b = E.xbutton;  // motion events share the layout up to the state
      TX11Window* target = FCapture ? static_cast<TX11Window*>(FCapture) : w;
      if (target == w) {
        m.X = E.type == MotionNotify ? E.xmotion.x : b.x;
        m.Y = E.type == MotionNotify ? E.xmotion.y : b.y;
      }
      m.ScreenX = E.type == MotionNotify ? E.xmotion.x_root : b.x_root;
      m.ScreenY = E.type == MotionNotify ? E.xmotion.y_root : b.y_root;
      if (target != w) {
        const TPoint origin = target->ClientToScreen({0, 0});
        m.X = m.ScreenX - origin.X;
        m.Y = m.ScreenY - origin.Y;
      }
      if (E.type == MotionNotify) {
        // Only the latest position of a burst matters.
        XEvent next;
        while (XEventsQueued(FDisplay, QueuedAlready) > 0 && XPeekEvent(FDisplay, &next) &&
               next.type == MotionNotify && next.xmotion.window == xw) {
          XNextEvent(FDisplay, &next);
          m.X += next.xmotion.x - E.xmotion.x;
          m.Y += next.xmotion.y - E.xmotion.y;
          m.ScreenX = next.xmotion.x_root;
          m.ScreenY = next.xmotion.y_root;
          E = next;
        }
        m.Shift = ShiftOf(E.xmotion.state);
        target->Events().MouseMove(m);
        break;
      }
      m.Shift = ShiftOf(b.state);
      if (b.button == Button4 || b.button == Button5) {
        if (E.type == ButtonPress) {
          m.WheelDelta = b.button == Button4 ? 120 : -120;
          target->Events().MouseWheel(m);
        }
        break;
      }
      if (b.button > Button3) break;
      m.Button = b.button == Button1 ? plMouseLeft : b.button == Button2 ? plMouseMiddle : plMouseRight;
      if (E.type == ButtonPress) {
        // Without a manager nobody else gives a pressed window the keyboard.
        if (!FHasWm && !target->IsActive()) target->Activate();
        m.Shift |= FlagOf(m.Button);
        DetectDouble(target, m, b.time);
        target->Events().MouseDown(m);
      } else {
        m.Shift &= TShiftState(~FlagOf(m.Button));
        target->Events().MouseUp(m);
      }
      break;
    }
    case LeaveNotify:
      if (E.xcrossing.mode == NotifyNormal && !FCapture) w->Events().MouseLeave();
      break;
    case KeyPress:
    case KeyRelease: {
      char buffer[32];
      KeySym sym = NoSymbol;
      XLookupString(&E.xkey, buffer, sizeof buffer, &sym, nullptr);
      uint16_t key = VirtualKeyOf(XLookupKeysym(&E.xkey, 0));
      if (!key) key = VirtualKeyOf(sym);
      const TShiftState shift = ShiftOf(E.xkey.state) & (plShift | plCtrl | plAlt);
      if (E.type == KeyRelease) {
        if (key) w->Events().KeyUp(key, shift);
        break;
      }
      if (key) w->Events().KeyDown(key, shift);
      const char32_t c = CharOf(sym);
      // Alt combinations are commands, not typing; the handler may have freed
      // the window meanwhile.
      if (c && !(shift & plAlt) && Find(xw) == w) w->Events().KeyChar(TypedChar(c, shift), shift);
      break;
    }
    case FocusIn:
      if ((E.xfocus.mode == NotifyNormal || E.xfocus.mode == NotifyWhileGrabbed) &&
          E.xfocus.detail != NotifyPointer)
        SetActive(w);
      break;
    case FocusOut:
      if ((E.xfocus.mode == NotifyNormal || E.xfocus.mode == NotifyWhileGrabbed) &&
          E.xfocus.detail != NotifyPointer && E.xfocus.detail != NotifyInferior && FActive == w)
        SetActive(nullptr);
      break;
    case ClientMessage:
      if (E.xclient.message_type == FAtoms->WmProtocols &&
          Atom(E.xclient.data.l[0]) == FAtoms->WmDeleteWindow)
        w->Events().CloseRequest();
      break;
    default:
      break;
  }
}

void TX11WindowSystem::WatchCompositor() {
  int fixesError = 0, major = 0, minor = 0;
  if (XFixesQueryExtension(FDisplay, &FFixesEventBase, &fixesError) &&
      XFixesQueryVersion(FDisplay, &major, &minor) && major >= 1) {
    XFixesSelectSelectionInput(FDisplay, DefaultRootWindow(FDisplay), FAtoms->CompositorSelection,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
  } else {
    // Without XFixes the answer at start-up stands.
    FFixesEventBase = -1;
  }
  FCompositing = XGetSelectionOwner(FDisplay, FAtoms->CompositorSelection) != None;
}

void TX11WindowSystem::CompositorChanged() {
  // Asked again rather than read from the event: a manager that replaces
  // another sends a loss and a gain, and only the last state matters.
  const bool running = XGetSelectionOwner(FDisplay, FAtoms->CompositorSelection) != None;
  if (running == FCompositing) return;
  FCompositing = running;
  for (TX11Window* w : FWindows) w->ApplyBounding();
  XFlush(FDisplay);
  if (OnCompositingChanged) OnCompositingChanged(running);
}

void TX11WindowSystem::NativeReleaseCapture() {
  XUngrabPointer(FDisplay, CurrentTime);
}

void TX11WindowSystem::ReadIfReadable() {
  pollfd p{ConnectionNumber(FDisplay), POLLIN, 0};
  if (poll(&p, 1, 0) > 0) XEventsQueued(FDisplay, QueuedAfterReading);
  FRoundsUnread = 0;
}

void TX11WindowSystem::DispatchQueued() {
  for (int n = XEventsQueued(FDisplay, QueuedAlready); n > 0 && !FTerminated; --n) {
    XEvent e;
    XNextEvent(FDisplay, &e);
    Dispatch(e);
  }
}

void TX11WindowSystem::Flush() {
  if (NextRequest(FDisplay) == FFlushedRequest) return;
  XFlush(FDisplay);
  FFlushedRequest = NextRequest(FDisplay);
}

void TX11WindowSystem::Step(bool Wait) {
  if (Lost(FDisplay)) {
    if (!FTerminated) PostQuit(1);
    return;
  }
  // Rounds that do not sleep (a posted message, a due timer) still look at
  // the connection every few rounds, so that input is never starved; a wait
  // for something else looks every time.
  if (!Wait || FRoundsUnread >= 2) ReadIfReadable();
  ++FRoundsUnread;
  DispatchQueued();
  if (!FTerminated) DeliverPosted();
  if (!FTerminated) FClock.FireDue();
  Flush();
  // The flush read what had come (a frame's completion, usually).
  if (XEventsQueued(FDisplay, QueuedAlready) > 0) FRoundsUnread = 0;
  if (!Wait || FTerminated || Lost(FDisplay)) return;
  auto busy = [this] { return !FQueue.Empty() || XEventsQueued(FDisplay, QueuedAlready) > 0; };
  if (busy()) return;
  if (OnIdle && OnIdle()) return;
  // The idle handler may have asked to quit; sleeping now would never return.
  if (FTerminated || busy()) return;
  int timeout = -1;
  if (const auto due = FClock.NextDue()) {
    const uint64_t now = FClock.Now();
    if (*due <= now) return;
    timeout = int(std::min<uint64_t>(*due - now, INT_MAX));
  }
  Flush();
  pollfd p[2] = {{ConnectionNumber(FDisplay), POLLIN, 0}, {FWatched, POLLIN, 0}};
  ++FSleeps;
  const int ready = poll(p, FWatched >= 0 ? 2 : 1, timeout);
  FRoundsUnread = 0;
  if (ready <= 0) return;
  // A broken connection reads as readable too; the read marks it lost.
  if (p[0].revents) XEventsQueued(FDisplay, QueuedAfterReading);
  if (FWatched >= 0 && (p[1].revents & POLLIN) && FWatchedReadable) FWatchedReadable();
}

bool TX11WindowSystem::ConnectionLost() const {
  return Lost(FDisplay);
}

void TX11WindowSystem::WatchDescriptor(int Fd, std::function<void()> Readable) {
  FWatched = Fd;
  FWatchedReadable = Fd >= 0 ? std::move(Readable) : nullptr;
}

int TX11WindowSystem::Run() {
  while (!FTerminated) Step(true);
  return FExitCode;
}

bool TX11WindowSystem::ProcessMessages() {
  Step(false);
  return !FTerminated;
}

void TX11WindowSystem::SetClipboardText(const std::string& Utf8) {
  FClipboard = Utf8;
  XSetSelectionOwner(FDisplay, FAtoms->Clipboard, FHelper, CurrentTime);
  FOwnsClipboard = XGetSelectionOwner(FDisplay, FAtoms->Clipboard) == FHelper;
}

void TX11WindowSystem::ServeSelectionRequest(XEvent& E) {
  const XSelectionRequestEvent& r = E.xselectionrequest;
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = r.requestor;
  reply.xselection.selection = r.selection;
  reply.xselection.target = r.target;
  reply.xselection.time = r.time;
  reply.xselection.property = None;
  const Atom property = r.property != None ? r.property : r.target;  // obsolete clients name none
  // Texts too long for one request would need the incremental protocol.
  const size_t limit = size_t(XMaxRequestSize(FDisplay)) * 4 - 256;
  if (FOwnsClipboard && r.selection == FAtoms->Clipboard) {
    if (r.target == FAtoms->Targets) {
      Atom targets[] = {FAtoms->Targets, FAtoms->Utf8String, FAtoms->Text, XA_STRING};
      XChangeProperty(FDisplay, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(targets), 4);
      reply.xselection.property = property;
    } else if ((r.target == FAtoms->Utf8String || r.target == FAtoms->Text || r.target == XA_STRING) &&
               FClipboard.size() <= limit) {
      std::string data = FClipboard;
      if (r.target == XA_STRING)  // Latin-1: what does not fit becomes '?'
        for (size_t i = 0, o = 0; i <= FClipboard.size(); ++i) {
          if (i == FClipboard.size()) {
            data.resize(o);
            break;
          }
          const unsigned char c = FClipboard[i];
          if (c < 0x80) {
            data[o++] = char(c);
          } else if ((c == 0xC2 || c == 0xC3) && i + 1 < FClipboard.size()) {
            data[o++] = char(((c & 0x03) << 6) | (FClipboard[++i] & 0x3F));
          } else if (c >= 0xC0) {
            data[o++] = '?';
          }
        }
      const Atom type = r.target == XA_STRING ? XA_STRING : FAtoms->Utf8String;
      XChangeProperty(FDisplay, r.requestor, property, type, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
      reply.xselection.property = property;
    }
  }
  XSendEvent(FDisplay, r.requestor, False, NoEventMask, &reply);
  XFlush(FDisplay);
}

std::string TX11WindowSystem::ConvertClipboard(unsigned long Target) {
  XDeleteProperty(FDisplay, FHelper, FAtoms->Transfer);
  XConvertSelection(FDisplay, FAtoms->Clipboard, Target, FAtoms->Transfer, FHelper, CurrentTime);
  XFlush(FDisplay);
  // The owner answers through the server; an owner that never does costs a
  // second at most. Other events wait in Xlib's queue meanwhile.
  const uint64_t deadline = FClock.Now() + 1000;
  XEvent e;
  for (;;) {
    if (XCheckTypedWindowEvent(FDisplay, FHelper, SelectionNotify, &e)) break;
    const uint64_t now = FClock.Now();
    if (now >= deadline || Lost(FDisplay)) return {};
    pollfd p{ConnectionNumber(FDisplay), POLLIN, 0};
    poll(&p, 1, int(deadline - now));
    XEventsQueued(FDisplay, QueuedAfterReading);
  }
  if (e.xselection.property == None) return {};
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(FDisplay, FHelper, FAtoms->Transfer, 0, LONG_MAX / 4, True, AnyPropertyType, &type,
                         &format, &count, &after, &data) == Success &&
      data) {
    if (format == 8 && type != FAtoms->Incr) text.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  return type == XA_STRING ? Latin1ToUtf8(text) : text;
}

std::string TX11WindowSystem::ClipboardText() {
  if (FOwnsClipboard) return FClipboard;
  if (XGetSelectionOwner(FDisplay, FAtoms->Clipboard) == None) return {};
  std::string text = ConvertClipboard(FAtoms->Utf8String);
  if (text.empty()) text = ConvertClipboard(XA_STRING);
  return text;
}

}  // namespace platform
