#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/WindowSystemBase.h"
#include "platform/win32/Win32Clipboard.h"

// The window system on Win32: layered top-level windows whose content is
// pushed with UpdateLayeredWindow from a premultiplied DIB section, so that
// the system blends every pixel with what lies below and lets presses through
// where a pixel is fully transparent; input, activation and capture from the
// window messages; posted messages in the thread's own queue; the timers on a
// TVirtualClock following the monotonic clock, and one loop that sleeps in
// MsgWaitForMultipleObjectsEx until input arrives or the next timer falls due.
namespace platform {

class TWin32Window;

class TWin32WindowSystem : public TWindowSystemBase {
 public:
  // Null when the thread cannot make windows (no desktop, as in a service),
  // with Error saying so in one line. Makes the process aware of the
  // screen's DPI: frames are pixels, and a scaled window would blur them.
  static std::unique_ptr<TWin32WindowSystem> Open(std::string& Error);
  ~TWin32WindowSystem() override;

  std::unique_ptr<IWindow> CreateWindow(IWindowEvents& Events, const TWindowParams& Params) override;
  TSize ScreenSize() const override;
  TRect WorkArea() const override;
  int PixelsPerInch() const override;
  TPoint CursorPos() const override;
  uint32_t DoubleClickTime() const override;
  int DoubleClickDistance() const override;
  std::string ClipboardText() override;
  void SetClipboardText(const std::string& Utf8) override;
  int Run() override;
  bool ProcessMessages() override;

  // How many pushes named only their changed rectangle to the system
  // (UpdateLayeredWindowIndirect, which Windows has since Vista); without
  // it every push sends the whole frame.
  uint64_t PartialPushes() const { return FPartialPushes; }

  // The native message code that carries the layer's message Msg: the same
  // number in the private range WM_USER to WM_APP - 1, else one of the
  // application range given out on first use; 0 when that range is spent.
  unsigned NativeCode(uint32_t Msg);

 private:
  friend class TWin32Window;
  TWin32WindowSystem();

  // One round of the loop: the messages waiting are dispatched, the due
  // timers tick, and with Wait, when nothing else is to do, it sleeps until
  // input arrives or the next timer falls due.
  void Step(bool Wait);
  void DispatchWaiting();
  bool AnythingWaiting() const;
  // The code already given to Msg, without giving one.
  std::optional<unsigned> FindCode(uint32_t Msg) const;
  // The layer's message a native code carries, if it carries one.
  std::optional<uint32_t> MessageOf(unsigned Code) const;
  // The window class for a class name, registered on first use; empty when
  // it cannot be.
  std::wstring ClassFor(const std::string& Name);
  void* CursorFor(int32_t Cursor) const;
  // The time of the message being handled, in milliseconds that do not wrap.
  uint64_t MessageTime();
  void NativeReleaseCapture() override;

  std::unique_ptr<TWin32Clipboard> FClipboard;
  void* FUpdateIndirect = nullptr;  // UpdateLayeredWindowIndirect, when user32 has it
  uint64_t FPartialPushes = 0;
  std::vector<std::pair<uint32_t, unsigned>> FCodes;  // messages outside the private range
  uint64_t FMessageClock = 0;
  uint32_t FLastMessageTime = 0;
  bool FMessageTimeSeen = false;
};

}  // namespace platform
