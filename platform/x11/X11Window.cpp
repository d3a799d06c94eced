#include "platform/x11/X11Window.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/x11/X11Atoms.h"

namespace platform {

TX11Window::TX11Window(TX11WindowSystem& System, IWindowEvents& Events, const TWindowParams& Params)
    : TWindowBase(System, Events, Params), FX(System), FDisplay(System.FDisplay), FTopMost(Params.TopMost) {
  const TX11WindowSystem::TAtoms& a = *System.FAtoms;
  XSetWindowAttributes attrs{};
  attrs.colormap = System.FColormap;
  attrs.border_pixel = 0;
  attrs.background_pixmap = None;
  attrs.bit_gravity = NorthWestGravity;
  attrs.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                     PointerMotionMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;
  FWindow = XCreateWindow(FDisplay, DefaultRootWindow(FDisplay), FPos.X, FPos.Y, unsigned(FClient.Width),
                          unsigned(FClient.Height), 0, System.FDepth, InputOutput,
                          static_cast<Visual*>(System.FVisual),
                          CWColormap | CWBorderPixel | CWBackPixmap | CWBitGravity | CWEventMask, &attrs);
  FGC = XCreateGC(FDisplay, FWindow, 0, nullptr);

  SetTitle(Params.Title);
  std::string instance = Params.ClassName, klass = Params.ClassName;
  if (!klass.empty()) klass[0] = char(std::toupper(static_cast<unsigned char>(klass[0])));
  XClassHint hint{instance.data(), klass.data()};
  XSetClassHint(FDisplay, FWindow, &hint);

  WriteSizeHints();
  XWMHints wm{};
  wm.flags = InputHint | StateHint;
  wm.input = True;
  wm.initial_state = NormalState;
  XSetWMHints(FDisplay, FWindow, &wm);

  long pid = long(getpid());
  XChangeProperty(FDisplay, FWindow, a.NetWmPid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0)
    XChangeProperty(FDisplay, FWindow, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<unsigned char*>(host), int(std::strlen(host)));
  // Motif hints: flags = decorations given, decorations = none.
  long motif[5] = {2, 0, 0, 0, 0};
  XChangeProperty(FDisplay, FWindow, a.MotifWmHints, a.MotifWmHints, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(motif), 5);
  if (Params.TopMost) {
    Atom above = a.NetWmStateAbove;
    XChangeProperty(FDisplay, FWindow, a.NetWmState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&above), 1);
  }
  Atom protocols = a.WmDeleteWindow;
  XSetWMProtocols(FDisplay, FWindow, &protocols, 1);
  // Without a compositing manager nothing shows until the first frame says
  // what is solid; otherwise the whole window would flash black.
  ApplyBounding();
  FX.FWindows.push_back(this);
}

TX11Window::~TX11Window() {
  std::erase(FX.FWindows, this);
  if (HasCapture()) XUngrabPointer(FDisplay, CurrentTime);
  XFreeGC(FDisplay, FGC);
  XDestroyWindow(FDisplay, FWindow);
  XFlush(FDisplay);
}

void TX11Window::SetTitle(const std::string& Value) {
  FTitle = Value;
  const TX11WindowSystem::TAtoms& a = *FX.FAtoms;
  XChangeProperty(FDisplay, FWindow, a.NetWmName, a.Utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(Value.data()), int(Value.size()));
  XStoreName(FDisplay, FWindow, Value.c_str());
}

void TX11Window::WriteSizeHints() {
  // The position is the program's to choose, not the window manager's.
  XSizeHints size{};
  size.flags = USPosition | USSize | PPosition | PSize;
  size.x = FPos.X;
  size.y = FPos.Y;
  size.width = FClient.Width;
  size.height = FClient.Height;
  if (FMinimum.Width > 0 || FMinimum.Height > 0) {
    size.flags |= PMinSize;
    size.min_width = std::max(1, FMinimum.Width - 2 * FBorderWidth);
    size.min_height = std::max(1, FMinimum.Height - 2 * FBorderWidth);
  }
  XSetWMNormalHints(FDisplay, FWindow, &size);
}

void TX11Window::SetMinimumSize(TSize Outer) {
  TWindowBase::SetMinimumSize(Outer);
  WriteSizeHints();
  XFlush(FDisplay);
}

void TX11Window::Place(TPoint Pos, TSize Client) {
  if (Pos == FPos && Client == FClient) return;
  FPos = Pos;
  FClient = Client;
  FRequested.push_back({Pos.X, Pos.Y, Client.Width, Client.Height});
  FRequestSerial = NextRequest(FDisplay);
  XMoveResizeWindow(FDisplay, FWindow, Pos.X, Pos.Y, unsigned(Client.Width), unsigned(Client.Height));
  FEvents.BoundsChanged(Bounds());
}

void TX11Window::SetBounds(const TRect& Outer) {
  Place({Outer.Left, Outer.Top}, ClientFor(Outer));
}

void TX11Window::Configured(TPoint Pos, TSize Client, unsigned long Serial) {
  // Made before the server saw our latest request (a restack reports the
  // geometry of the moment): out of date, and taking it would move the window
  // back and forth in the program's eyes.
  if (Serial < FRequestSerial) return;
  // Another client may resize the window to anything the protocol allows,
  // 32767 pixels a side, and a frame that size would take gigabytes: the
  // window is held to the screen's size and told so.
  const TSize screen = FX.ScreenSize();
  const TSize bounded{std::min(Client.Width, std::max(screen.Width, 1)),
                      std::min(Client.Height, std::max(screen.Height, 1))};
  if (bounded != Client) {
    Client = bounded;
    XResizeWindow(FDisplay, FWindow, unsigned(Client.Width), unsigned(Client.Height));
    XFlush(FDisplay);
  }
  const TRect got{Pos.X, Pos.Y, Client.Width, Client.Height};
  auto it = std::find(FRequested.begin(), FRequested.end(), got);
  if (it != FRequested.end()) {
    FRequested.erase(FRequested.begin(), it + 1);
    // A later request is on its way; this report is already out of date.
    if (!FRequested.empty()) return;
  } else {
    FRequested.clear();  // moved from outside, or a request was overridden
  }
  if (Pos == FPos && Client == FClient) return;
  FPos = Pos;
  FClient = Client;
  FEvents.BoundsChanged(Bounds());
}

void TX11Window::Show(bool Activate) {
  if (!FVisible) {
    FVisible = true;
    const auto* active = static_cast<const TX11Window*>(FX.FActive);
    if (!Activate && active && active != this && active->FVisible) {
      if (FX.FHasWm) {
        XMapWindow(FDisplay, FWindow);
        // The manager stacks what it frames; it is asked, as a pager would.
        FX.SendToRoot(FWindow, FX.FAtoms->NetRestackWindow, {2, long(active->FWindow), Below, 0});
      } else {
        XWindowChanges below{};
        below.sibling = active->FWindow;
        below.stack_mode = Below;
        XConfigureWindow(FDisplay, FWindow, CWSibling | CWStackMode, &below);
        XMapWindow(FDisplay, FWindow);
      }
    } else {
      XMapRaised(FDisplay, FWindow);
    }
    // A window manager reads the state property only at mapping time in
    // theory; some want to be told again once the window is up.
    if (FTopMost && FX.FHasWm)
      FX.SendToRoot(FWindow, FX.FAtoms->NetWmState, {1, long(FX.FAtoms->NetWmStateAbove), 0, 1});
  }
  if (Activate) this->Activate();
  XFlush(FDisplay);
}

void TX11Window::Hide() {
  if (!FVisible) return;
  FVisible = false;
  if (HasCapture()) ReleaseCapture();
  XUnmapWindow(FDisplay, FWindow);
  XFlush(FDisplay);
  if (IsActive()) FX.SetActive(nullptr);
}

void TX11Window::Activate() {
  if (!FVisible) return;
  XRaiseWindow(FDisplay, FWindow);
  if (FX.FHasWm) {
    // Source 1: an ordinary application asks.
    FX.SendToRoot(FWindow, FX.FAtoms->NetActiveWindow, {1, CurrentTime, 0, 0});
  } else {
    // Without a manager nothing can refuse: the focus is ours at once.
    XSetInputFocus(FDisplay, FWindow, RevertToParent, CurrentTime);
    FX.SetActive(this);
  }
  XFlush(FDisplay);
}

void TX11Window::BringToFront() {
  if (!FVisible) return;
  XRaiseWindow(FDisplay, FWindow);
  XFlush(FDisplay);
}

void TX11Window::SetCursor(int32_t Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  const ::Cursor c = FX.CursorFor(Value);
  if (c == None)
    XUndefineCursor(FDisplay, FWindow);
  else
    XDefineCursor(FDisplay, FWindow, c);
  XFlush(FDisplay);
}

void TX11Window::SetCapture() {
  if (HasCapture()) return;
  // A refused grab (another client holds one) still leaves this window the
  // capture holder as far as the program is concerned: it gets the pointer
  // events that reach it, as without the grab.
  //
  // Events over our other windows are reported on those windows: the grab
  // is often released only after the server has already routed a press on
  // another of our windows (a click on the console right after one in the
  // settings' text box), and that press must still reach the window it was
  // made on once the release has been handled.
  XGrabPointer(FDisplay, FWindow, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
               GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  XFlush(FDisplay);
  FX.SetCaptureHolder(this);
}

void TX11Window::ReleaseCapture() {
  if (!HasCapture()) return;
  XUngrabPointer(FDisplay, CurrentTime);
  XFlush(FDisplay);
  FX.SetCaptureHolder(nullptr);
}

void TX11Window::Put(const TFrame& Frame, const TRect& Part) {
  if (Part.Empty()) return;
  // An image header over the caller's words: Xlib writes the part's rows
  // into the request straight from them, so the window keeps no copy. A
  // shared-memory segment would need one, and on a local server it saves
  // nothing measurable (bench_x11).
  XImage image{};
  image.width = Frame.Width;
  image.height = Frame.Height;
  image.format = ZPixmap;
  image.data = reinterpret_cast<char*>(const_cast<uint32_t*>(Frame.Pixels));
  // Our words are in the host's order; Xlib swaps them for a server of the
  // other order.
  const uint32_t probe = 1;
  image.byte_order = *reinterpret_cast<const char*>(&probe) ? LSBFirst : MSBFirst;
  image.bitmap_unit = 32;
  image.bitmap_bit_order = image.byte_order;
  image.bitmap_pad = 32;
  image.depth = FX.FDepth;
  image.bits_per_pixel = 32;
  image.bytes_per_line = (Frame.Stride > 0 ? Frame.Stride : Frame.Width) * 4;
  const Visual* visual = static_cast<const Visual*>(FX.FVisual);
  image.red_mask = visual->red_mask;
  image.green_mask = visual->green_mask;
  image.blue_mask = visual->blue_mask;
  if (!XInitImage(&image)) return;
  XPutImage(FDisplay, FWindow, FGC, &image, Part.Left, Part.Top, Part.Left, Part.Top, unsigned(Part.Width),
            unsigned(Part.Height));
}

void TX11Window::UpdateLayered(const TFrame& Frame, TPoint Position, const TRect* Changed) {
  if (!Frame.Pixels || Frame.Width <= 0 || Frame.Height <= 0) return;
  const TSize size{Frame.Width, Frame.Height};
  TRect part{0, 0, Frame.Width, Frame.Height};
  if (Changed && FHasFrame && Position == FPos && size == FClient) part = Intersect(*Changed, part);
  if (part.Empty()) return;
  Place(Position, size);
  FHasFrame = true;
  // The outline first: the server draws only inside the window's shape.
  const bool whole = FOutline.Size() != size;
  if (whole) {
    FOutline.Reset(size);
    part = {0, 0, size.Width, size.Height};
  }
  if (FOutline.Update(Frame, part) || whole) ApplyOutline(part, whole);
  Put(Frame, part);
}

namespace {

void Combine(Display* D, ::Window W, int Kind, int Op, const std::vector<TShapeRect>& Rects) {
  std::vector<XRectangle> xr;
  xr.reserve(Rects.size());
  for (const TShapeRect& r : Rects)
    xr.push_back({short(r.X), short(r.Y), static_cast<unsigned short>(r.Width),
                  static_cast<unsigned short>(r.Height)});
  XShapeCombineRectangles(D, W, Kind, 0, 0, xr.data(), int(xr.size()), Op, YXBanded);
}

}  // namespace

void TX11Window::ApplyOutline(const TRect& Part, bool Whole) {
  if (!FX.FShape) return;
  const TRect all{0, 0, FOutline.Size().Width, FOutline.Size().Height};
  auto apply = [&](int Kind, TAlphaOutline::TLevel Level) {
    if (Whole) return Combine(FDisplay, FWindow, Kind, ShapeSet, FOutline.Rectangles(all, Level));
    Combine(FDisplay, FWindow, Kind, ShapeSubtract, {{Part.Left, Part.Top, Part.Width, Part.Height}});
    const std::vector<TShapeRect> rects = FOutline.Rectangles(Part, Level);
    if (!rects.empty()) Combine(FDisplay, FWindow, Kind, ShapeUnion, rects);
  };
  // A layered window takes presses only where it is not fully transparent:
  // its shadow must not catch the presses meant for the window below.
  if (FX.FShapeInput) apply(ShapeInput, TAlphaOutline::olInput);
  if (!FX.FCompositing) apply(ShapeBounding, TAlphaOutline::olSolid);
}

void TX11Window::ApplyBounding() {
  if (!FX.FShape) return;
  if (FX.FCompositing) {
    XShapeCombineMask(FDisplay, FWindow, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
  const TRect all{0, 0, FOutline.Size().Width, FOutline.Size().Height};
  Combine(FDisplay, FWindow, ShapeBounding, ShapeSet, FOutline.Rectangles(all, TAlphaOutline::olSolid));
}

void TX11Window::Exposed(const TRect& Area) {
  if (!FHasFrame) return;
  const TRect part = Intersect(Area, {0, 0, FClient.Width, FClient.Height});
  if (!part.Empty()) FEvents.Exposed(part);
}

}  // namespace platform
