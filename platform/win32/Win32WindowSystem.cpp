#include "platform/win32/Win32WindowSystem.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Window.h"

namespace platform {

namespace {

// The messages of the layer carry a 64-bit first and a signed 64-bit second
// parameter, which only 64-bit Windows passes through unchanged.
static_assert(sizeof(WPARAM) == 8 && sizeof(LPARAM) == 8, "the Win32 layer is built for 64-bit Windows");

uint64_t MonotonicMs() {
  return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count());
}

// Frames are pixels: a window the system scaled for a high-DPI screen would
// show them blurred and take presses at scaled points. Per-monitor awareness
// where the system has it, else awareness of the primary screen's DPI; a
// manifest that chose already wins.
void BecomeDpiAware() {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  using TSetContext = BOOL(WINAPI*)(HANDLE);
  if (auto set = reinterpret_cast<TSetContext>(
          reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")))) {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (set(reinterpret_cast<HANDLE>(intptr_t(-4)))) return;
  }
  SetProcessDPIAware();
}

// The posted-message codes the layer gives out beyond the private range.
constexpr unsigned FirstAppCode = WM_APP;
constexpr unsigned LastAppCode = 0xBFFF;

}  // namespace

std::unique_ptr<TWin32WindowSystem> TWin32WindowSystem::Open(std::string& Error) {
  BecomeDpiAware();
  try {
    return std::unique_ptr<TWin32WindowSystem>(new TWin32WindowSystem());
  } catch (const std::runtime_error&) {
    Error = "cannot create windows: this process has no desktop to show them on";
    return nullptr;
  }
}

TWin32WindowSystem::TWin32WindowSystem()
    : TWindowSystemBase([start = MonotonicMs()] { return MonotonicMs() - start + 1; }),
      FClipboard(std::make_unique<TWin32Clipboard>()) {
  FUpdateIndirect =
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindowIndirect"));
  FDouble = TDoubleClickDetector(DoubleClickTime(), DoubleClickDistance());
}

TWin32WindowSystem::~TWin32WindowSystem() = default;

std::unique_ptr<IWindow> TWin32WindowSystem::CreateWindow(IWindowEvents& Events,
                                                          const TWindowParams& Params) {
  return std::make_unique<TWin32Window>(*this, Events, Params);
}

std::wstring TWin32WindowSystem::ClassFor(const std::string& Name) {
  // The class is the capitalised name, as the X11 layer's WM_CLASS class.
  std::string capitalised = Name.empty() ? "Kardo" : Name;
  capitalised[0] = char(std::toupper(static_cast<unsigned char>(capitalised[0])));
  std::wstring wide = ToWindowsText(capitalised);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  // No CS_DBLCLKS: double clicks are told apart by the layer, the same way
  // on every system, and arrive as second presses.
  wc.lpfnWndProc = Win32WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = wide.c_str();
  // Registered for the process, once: every later registration fails with
  // ERROR_CLASS_ALREADY_EXISTS, which is fine, and the class stays until
  // the process ends, whichever window system made it.
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) wide.clear();
  return wide;
}

TSize TWin32WindowSystem::ScreenSize() const {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

TRect TWin32WindowSystem::WorkArea() const {
  RECT r{};
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0) && r.right > r.left && r.bottom > r.top)
    return {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
  const TSize screen = ScreenSize();
  return {0, 0, screen.Width, screen.Height};
}

int TWin32WindowSystem::PixelsPerInch() const {
  HDC screen = GetDC(nullptr);
  const int ppi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return ppi >= 48 && ppi <= 480 ? ppi : 96;
}

TPoint TWin32WindowSystem::CursorPos() const {
  POINT p{};
  GetCursorPos(&p);
  return {int(p.x), int(p.y)};
}

uint32_t TWin32WindowSystem::DoubleClickTime() const {
  return GetDoubleClickTime();
}

int TWin32WindowSystem::DoubleClickDistance() const {
  // The system's metrics are the whole rectangle around the first press.
  return std::max(GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK)) / 2;
}

std::string TWin32WindowSystem::ClipboardText() {
  return FClipboard->GetText();
}

void TWin32WindowSystem::SetClipboardText(const std::string& Utf8) {
  FClipboard->SetText(Utf8);
}

void* TWin32WindowSystem::CursorFor(int32_t Cursor) const {
  // The IDC_ names are resource numbers in the ANSI spelling.
  WORD shape = LOWORD(IDC_ARROW);
  switch (Cursor) {
    case plCursorNone:
      return nullptr;
    case plCursorCross:
      shape = LOWORD(IDC_CROSS);
      break;
    case plCursorIBeam:
      shape = LOWORD(IDC_IBEAM);
      break;
    case plCursorSizeNESW:
      shape = LOWORD(IDC_SIZENESW);
      break;
    case plCursorSizeNS:
      shape = LOWORD(IDC_SIZENS);
      break;
    case plCursorSizeNWSE:
      shape = LOWORD(IDC_SIZENWSE);
      break;
    case plCursorSizeWE:
      shape = LOWORD(IDC_SIZEWE);
      break;
    case plCursorWait:
      shape = LOWORD(IDC_WAIT);
      break;
    case plCursorHand:
      shape = LOWORD(IDC_HAND);
      break;
    case plCursorSizeAll:
      shape = LOWORD(IDC_SIZEALL);
      break;
    default:
      break;  // the arrow, also for plCursorArrow and numbers nobody knows
  }
  // The system's shared cursors: loaded once by the system, never freed.
  return LoadCursorW(nullptr, MAKEINTRESOURCEW(shape));
}

unsigned TWin32WindowSystem::NativeCode(uint32_t Msg) {
  if (const auto code = FindCode(Msg)) return *code;
  if (FirstAppCode + FCodes.size() > LastAppCode) return 0;
  const unsigned code = FirstAppCode + unsigned(FCodes.size());
  FCodes.emplace_back(Msg, code);
  return code;
}

std::optional<unsigned> TWin32WindowSystem::FindCode(uint32_t Msg) const {
  if (Msg >= WM_USER && Msg < WM_APP) return Msg;
  for (const auto& [msg, code] : FCodes)
    if (msg == Msg) return code;
  return std::nullopt;
}

std::optional<uint32_t> TWin32WindowSystem::MessageOf(unsigned Code) const {
  if (Code >= WM_USER && Code < WM_APP) return Code;
  if (Code >= FirstAppCode && Code - FirstAppCode < FCodes.size()) return FCodes[Code - FirstAppCode].first;
  return std::nullopt;
}

uint64_t TWin32WindowSystem::MessageTime() {
  // GetMessageTime wraps after 49 days; the steps between messages do not,
  // and a message a little older than the last one steps back.
  const uint32_t t = uint32_t(GetMessageTime());
  if (!FMessageTimeSeen) {
    FMessageTimeSeen = true;
    FMessageClock = uint64_t(1) << 32;
  } else {
    FMessageClock += uint64_t(int64_t(int32_t(t - FLastMessageTime)));
  }
  FLastMessageTime = t;
  return FMessageClock;
}

void TWin32WindowSystem::NativeReleaseCapture() {
  ::ReleaseCapture();
}

void TWin32WindowSystem::DispatchWaiting() {
  // Bounded, so that a handler that posts again on every message cannot keep
  // the timers from their turn.
  for (int n = 0; n < 256 && !FTerminated; ++n) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) break;
    if (m.message == WM_QUIT) {
      PostQuit(int(m.wParam));
      break;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

bool TWin32WindowSystem::AnythingWaiting() const {
  MSG m;
  return !FQueue.Empty() || PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
}

void TWin32WindowSystem::Step(bool Wait) {
  DispatchWaiting();
  if (!FTerminated) DeliverPosted();
  if (!FTerminated) FClock.FireDue();
  if (!Wait || FTerminated || AnythingWaiting()) return;
  if (OnIdle && OnIdle()) return;
  // The idle handler may have asked to quit; sleeping now would never return.
  if (FTerminated || AnythingWaiting()) return;
  DWORD timeout = INFINITE;
  if (const auto due = FClock.NextDue()) {
    const uint64_t now = FClock.Now();
    if (*due <= now) return;
    timeout = DWORD(std::min<uint64_t>(*due - now, INFINITE - 1));
  }
  ++FSleeps;
  // Input already seen by an earlier peek still wakes it.
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

int TWin32WindowSystem::Run() {
  while (!FTerminated) Step(true);
  return FExitCode;
}

bool TWin32WindowSystem::ProcessMessages() {
  Step(false);
  return !FTerminated;
}

}  // namespace platform
