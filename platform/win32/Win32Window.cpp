#include "platform/win32/Win32Window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace platform {

namespace {

// The layer's posted messages live in WM_USER to 0xBFFF (the private range and
// the codes TWin32WindowSystem gives out above it).
constexpr UINT LastPostedCode = 0xBFFF;

TShiftState KeyShift() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= plShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= plCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= plAlt;
  return s;
}

TShiftState MouseShift(WPARAM Keys) {
  TShiftState s = 0;
  if (Keys & MK_SHIFT) s |= plShift;
  if (Keys & MK_CONTROL) s |= plCtrl;
  if (Keys & MK_LBUTTON) s |= plLeftButton;
  if (Keys & MK_RBUTTON) s |= plRightButton;
  if (Keys & MK_MBUTTON) s |= plMiddleButton;
  // The mouse messages do not carry Alt.
  if (GetKeyState(VK_MENU) < 0) s |= plAlt;
  return s;
}

// Takes Window's posted messages First to Last out of the queue; returns how
// many. The system hands out a waiting quit whatever the filter says: it is
// posted again, and the removal stops there.
int RemovePosted(HWND Window, UINT First, UINT Last) {
  int removed = 0;
  MSG m;
  while (PeekMessageW(&m, Window, First, Last, PM_REMOVE | PM_NOYIELD)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      break;
    }
    ++removed;
  }
  return removed;
}

}  // namespace

LRESULT CALLBACK Win32WindowProc(HWND Window, UINT Msg, WPARAM W, LPARAM L) {
  if (auto* w = reinterpret_cast<TWin32Window*>(GetWindowLongPtrW(Window, GWLP_USERDATA)))
    return w->Dispatch(Msg, W, L);
  return DefWindowProcW(Window, Msg, W, L);
}

TWin32Window::TWin32Window(TWin32WindowSystem& System, IWindowEvents& Events, const TWindowParams& Params)
    : TWindowBase(System, Events, Params), FW(System), FTopMost(Params.TopMost) {
  const std::wstring windowClass = System.ClassFor(Params.ClassName);
  // A tool window stays out of the task bar and the Alt+Tab list; the window
  // is as large as the client area, since a popup has no frame.
  const DWORD exStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | (Params.TopMost ? WS_EX_TOPMOST : 0);
  if (!windowClass.empty())
    FHandle = CreateWindowExW(exStyle, windowClass.c_str(), ToWindowsText(Params.Title).c_str(), WS_POPUP,
                              FPos.X, FPos.Y, FClient.Width, FClient.Height, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!FHandle) throw std::runtime_error("Cannot create a window");
  // From here on the window's messages reach this object; those of its
  // creation went to the default procedure.
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, LONG_PTR(this));
}

TWin32Window::~TWin32Window() {
  // Nothing the system says while the window goes reaches its owner, who is
  // freeing it; the activation and capture it held go silently, as in the
  // base class.
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
  if (FW.FActive == this) FW.FActive = nullptr;
  if (FW.FCapture == this) FW.FCapture = nullptr;  // DestroyWindow releases the native capture
  RemovePosted(FHandle, WM_USER, LastPostedCode);
  DestroyWindow(FHandle);
  FreeDib();
  if (FMemory) DeleteDC(FMemory);
}

bool TWin32Window::TakeNativeBounds() {
  RECT r{};
  if (!GetWindowRect(FHandle, &r)) return false;
  const TPoint pos{int(r.left), int(r.top)};
  const TSize client{std::max(1, int(r.right - r.left)), std::max(1, int(r.bottom - r.top))};
  if (pos == FPos && client == FClient) return false;
  FPos = pos;
  FClient = client;
  return true;
}

void TWin32Window::Placed(const TRect& Before) {
  TakeNativeBounds();
  if (Bounds() != Before) FEvents.BoundsChanged(Bounds());
}

void TWin32Window::SetBounds(const TRect& Outer) {
  const TSize client = ClientFor(Outer);
  const TRect before = Bounds();
  FPlacing = true;
  SetWindowPos(FHandle, nullptr, Outer.Left, Outer.Top, client.Width, client.Height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  FPlacing = false;
  Placed(before);
}

void TWin32Window::PositionChanging(WINDOWPOS& P) const {
  if (FPlacing || (P.flags & SWP_NOSIZE)) return;
  // Another program may size the window to anything, and a frame that size
  // could take gigabytes: it is held between its minimum and the desktop.
  const int minWidth = std::max(1, FMinimum.Width - 2 * FBorderWidth);
  const int minHeight = std::max(1, FMinimum.Height - 2 * FBorderWidth);
  const int maxWidth = std::max(minWidth, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  const int maxHeight = std::max(minHeight, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  P.cx = std::clamp(int(P.cx), minWidth, maxWidth);
  P.cy = std::clamp(int(P.cy), minHeight, maxHeight);
}

void TWin32Window::Show(bool Activate) {
  if (!FVisible) {
    FVisible = true;
    const auto* active = static_cast<const TWin32Window*>(FW.FActive);
    // Behind the active window; a window of the other topmost band cannot
    // go there without changing bands, and goes to the front of its own.
    if (!Activate && active && active != this && active->FVisible && active->FTopMost == FTopMost)
      SetWindowPos(FHandle, active->FHandle, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    else
      ShowWindow(FHandle, SW_SHOWNOACTIVATE);
  }
  if (Activate) this->Activate();
}

void TWin32Window::Hide() {
  if (!FVisible) return;
  FVisible = false;
  if (HasCapture()) ReleaseCapture();
  ShowWindow(FHandle, SW_HIDE);
  // The system usually says so itself, while hiding.
  if (IsActive()) FW.SetActive(nullptr);
}

void TWin32Window::Activate() {
  if (!FVisible) return;
  BringToFront();
  // Raises it as well; WM_ACTIVATE makes it the active window meanwhile.
  if (!SetForegroundWindow(FHandle)) SetActiveWindow(FHandle);
}

void TWin32Window::BringToFront() {
  if (!FVisible) return;
  SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void TWin32Window::SetTitle(const std::string& Value) {
  FTitle = Value;
  SetWindowTextW(FHandle, ToWindowsText(Value).c_str());
}

void TWin32Window::SetCursor(int32_t Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  // The system asks again (WM_SETCURSOR) only when the pointer moves.
  POINT p{};
  if (GetCapture() == FHandle || (GetCursorPos(&p) && WindowFromPoint(p) == FHandle))
    ::SetCursor(static_cast<HCURSOR>(FW.CursorFor(Value)));
}

void TWin32Window::SetCapture() {
  if (HasCapture()) return;
  // The window holding it before hears of the loss through WM_CAPTURECHANGED.
  ::SetCapture(FHandle);
  FW.SetCaptureHolder(this);
}

void TWin32Window::ReleaseCapture() {
  if (!HasCapture()) return;
  if (GetCapture() == FHandle) ::ReleaseCapture();
  FW.SetCaptureHolder(nullptr);
}

void TWin32Window::PostMessage(uint32_t Msg, uint64_t WParam, int64_t LParam) {
  const unsigned code = FW.NativeCode(Msg);
  if (code && PostMessageW(FHandle, code, WPARAM(WParam), LPARAM(LParam))) return;
  // The thread's queue is full (ten thousand messages) or the codes are
  // spent: the layer's own queue keeps the message, so that none is lost.
  TWindowBase::PostMessage(Msg, WParam, LParam);
}

int TWin32Window::RemovePendingMessages(uint32_t Msg) {
  int removed = TWindowBase::RemovePendingMessages(Msg);
  if (const auto code = FW.FindCode(Msg)) removed += RemovePosted(FHandle, *code, *code);
  return removed;
}

void TWin32Window::FreeDib() {
  if (!FDib) return;
  SelectObject(FMemory, FOldBitmap);
  DeleteObject(FDib);
  FDib = nullptr;
  FBits = nullptr;
  FDibSize = {};
}

bool TWin32Window::MakeDib(TSize Size) {
  FreeDib();
  if (!FMemory) FMemory = CreateCompatibleDC(nullptr);
  if (!FMemory) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = Size.Width;
  info.bmiHeader.biHeight = -Size.Height;  // top-down, as the frames are
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  FDib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!FDib) return false;
  FOldBitmap = SelectObject(FMemory, FDib);
  FBits = static_cast<uint32_t*>(bits);
  FDibSize = Size;
  return true;
}

void TWin32Window::UpdateLayered(const TFrame& Frame, TPoint Position, const TRect* Changed) {
  if (!Frame.Pixels || Frame.Width <= 0 || Frame.Height <= 0) return;
  const int stride = Frame.Stride > 0 ? Frame.Stride : Frame.Width;
  const TSize size{Frame.Width, Frame.Height};
  const TRect whole{0, 0, size.Width, size.Height};
  const bool inPlace = FHasFrame && Position == FPos && size == FClient && size == FDibSize;
  const TRect part = Changed && inPlace ? Intersect(*Changed, whole) : whole;
  if (part.Empty()) return;
  if (size != FDibSize && !MakeDib(size)) return;
  // The DIB's words are the frame's: premultiplied BGRA in memory, ARGB read
  // as 32-bit words, rows top to bottom without gaps.
  for (int y = part.Top; y < part.Top + part.Height; ++y)
    std::memcpy(FBits + size_t(y) * size.Width + part.Left, Frame.Pixels + size_t(y) * stride + part.Left,
                size_t(part.Width) * 4);

  POINT destination{Position.X, Position.Y}, source{0, 0};
  SIZE extent{size.Width, size.Height};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const bool partial = part != whole && FW.FUpdateIndirect;
  const TRect before = Bounds();
  FPlacing = true;
  BOOL pushed = FALSE;
  if (partial) {
    using TIndirect = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);
    RECT dirty{part.Left, part.Top, part.Left + part.Width, part.Top + part.Height};
    UPDATELAYEREDWINDOWINFO info{};
    info.cbSize = sizeof(info);
    info.pptDst = &destination;
    info.psize = &extent;
    info.hdcSrc = FMemory;
    info.pptSrc = &source;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    info.prcDirty = &dirty;
    pushed = reinterpret_cast<TIndirect>(FW.FUpdateIndirect)(FHandle, &info);
  } else {
    pushed =
        UpdateLayeredWindow(FHandle, nullptr, &destination, &extent, FMemory, &source, 0, &blend, ULW_ALPHA);
  }
  FPlacing = false;
  if (pushed) {
    FHasFrame = true;
    if (partial) ++FW.FPartialPushes;
  }
  Placed(before);
}

void TWin32Window::Mouse(UINT Msg, WPARAM W, LPARAM L) {
  TMouseEvent m;
  // Client pixels, negative or past the size while the window holds the
  // capture and the pointer is elsewhere.
  m.X = GET_X_LPARAM(L);
  m.Y = GET_Y_LPARAM(L);
  POINT screen{m.X, m.Y};
  ::ClientToScreen(FHandle, &screen);
  m.ScreenX = int(screen.x);
  m.ScreenY = int(screen.y);
  m.Shift = MouseShift(W);
  switch (Msg) {
    case WM_MOUSEMOVE:
      if (!FTrackingLeave) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, FHandle, 0};
        FTrackingLeave = TrackMouseEvent(&track);
      }
      FEvents.MouseMove(m);
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      m.Button = Msg == WM_LBUTTONDOWN ? plMouseLeft : Msg == WM_RBUTTONDOWN ? plMouseRight : plMouseMiddle;
      FW.DetectDouble(this, m, FW.MessageTime());
      FEvents.MouseDown(m);
      return;
    default:
      m.Button = Msg == WM_LBUTTONUP ? plMouseLeft : Msg == WM_RBUTTONUP ? plMouseRight : plMouseMiddle;
      FEvents.MouseUp(m);
      return;
  }
}

void TWin32Window::Wheel(WPARAM W, LPARAM L) {
  // The system sends the wheel to the focused window, at a screen point; the
  // window holding the capture takes it, as every other mouse event.
  auto* target = FW.FCapture ? static_cast<TWin32Window*>(FW.FCapture) : this;
  TMouseEvent m;
  m.ScreenX = GET_X_LPARAM(L);
  m.ScreenY = GET_Y_LPARAM(L);
  POINT client{m.ScreenX, m.ScreenY};
  ::ScreenToClient(target->FHandle, &client);
  m.X = int(client.x);
  m.Y = int(client.y);
  m.Shift = MouseShift(GET_KEYSTATE_WPARAM(W));
  m.WheelDelta = GET_WHEEL_DELTA_WPARAM(W);
  target->FEvents.MouseWheel(m);
}

void TWin32Window::Char(wchar_t C) {
  // Characters outside the BMP come as two WM_CHARs, one per UTF-16 half; a
  // half without its partner types the replacement character.
  char32_t c = C;
  if (IS_HIGH_SURROGATE(C)) {
    const bool orphan = FHighSurrogate != 0;
    FHighSurrogate = C;
    if (orphan) FEvents.KeyChar(U'\uFFFD', KeyShift());
    return;
  }
  if (IS_LOW_SURROGATE(C)) {
    c = FHighSurrogate ? 0x10000 + ((char32_t(FHighSurrogate) - 0xD800) << 10) + (char32_t(C) - 0xDC00)
                       : U'\uFFFD';
    FHighSurrogate = 0;
  } else if (FHighSurrogate) {
    FHighSurrogate = 0;
    const HWND window = FHandle;
    FEvents.KeyChar(U'\uFFFD', KeyShift());
    // The handler may have freed the window.
    if (GetWindowLongPtrW(window, GWLP_USERDATA) != LONG_PTR(this)) return;
  }
  FEvents.KeyChar(c, KeyShift());
}

LRESULT TWin32Window::Dispatch(UINT Msg, WPARAM W, LPARAM L) {
  // After a call to the owner this object may be gone: what follows uses
  // only the handle, kept aside.
  const HWND window = FHandle;
  if (const auto message = FW.MessageOf(Msg)) {
    FEvents.Message(*message, uint64_t(W), int64_t(L));
    return 0;
  }
  switch (Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      Mouse(Msg, W, L);
      return 0;
    case WM_MOUSEWHEEL:
      Wheel(W, L);
      return 0;
    case WM_MOUSELEAVE:
      FTrackingLeave = false;
      if (!FW.FCapture) FEvents.MouseLeave();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      FEvents.KeyDown(uint16_t(W), KeyShift());
      // Alt+F4 and the other system keys still do what the system makes of
      // them: Alt+F4 comes back as WM_CLOSE.
      return Msg == WM_SYSKEYDOWN ? DefWindowProcW(window, Msg, W, L) : 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      FEvents.KeyUp(uint16_t(W), KeyShift());
      return Msg == WM_SYSKEYUP ? DefWindowProcW(window, Msg, W, L) : 0;
    case WM_CHAR:
      Char(wchar_t(W));
      return 0;
    case WM_SYSCHAR:
      // Alt combinations are commands, not typing; and there is no menu the
      // default handling would beep for.
      return 0;
    case WM_SYSCOMMAND:
      // Alt or F10 alone would enter a menu loop, for a window without a menu.
      if ((W & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_ACTIVATE:
      if (LOWORD(W) == WA_INACTIVE) {
        if (FW.FActive == this) FW.SetActive(nullptr);
      } else {
        FW.SetActive(this);
      }
      // The default handling gives the window the keyboard focus.
      return DefWindowProcW(window, Msg, W, L);
    case WM_CLOSE:
      FEvents.CloseRequest();
      return 0;
    case WM_CAPTURECHANGED:
      if (FW.FCapture == this && reinterpret_cast<HWND>(L) != window) FW.SetCaptureHolder(nullptr);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(L) == HTCLIENT) {
        ::SetCursor(static_cast<HCURSOR>(FW.CursorFor(FCursor)));
        return TRUE;
      }
      break;
    case WM_WINDOWPOSCHANGING:
      PositionChanging(*reinterpret_cast<WINDOWPOS*>(L));
      break;
    case WM_WINDOWPOSCHANGED:
      // A move of our own is told once it is over (Placed).
      if (!FPlacing && TakeNativeBounds()) FEvents.BoundsChanged(Bounds());
      return 0;
    case WM_GETMINMAXINFO: {
      auto& limits = *reinterpret_cast<MINMAXINFO*>(L);
      if (FMinimum.Width > 0) limits.ptMinTrackSize.x = std::max(1, FMinimum.Width - 2 * FBorderWidth);
      if (FMinimum.Height > 0) limits.ptMinTrackSize.y = std::max(1, FMinimum.Height - 2 * FBorderWidth);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the content is only ever a pushed frame
    default:
      break;
  }
  return DefWindowProcW(window, Msg, W, L);
}

}  // namespace platform
