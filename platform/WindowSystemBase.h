#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/DoubleClick.h"
#include "platform/MessageQueue.h"
#include "platform/VirtualClock.h"
#include "platform/Window.h"

// What the X11, Win32 and headless window systems share: the bookkeeping of
// windows, activation, capture, posted messages, double clicks, quitting and
// the timers, which run on a TVirtualClock in all (moved by the tests in the
// headless one, following the monotonic clock in the others).
namespace platform {

class TWindowSystemBase;

class TWindowBase : public IWindow {
 public:
  TWindowBase(TWindowSystemBase& System, IWindowEvents& Events, const TWindowParams& Params);
  // Forgets the window's messages, activation, capture and last press.
  ~TWindowBase() override;
  TWindowBase(const TWindowBase&) = delete;
  TWindowBase& operator=(const TWindowBase&) = delete;

  IWindowEvents& Events() const { return FEvents; }

  TRect Bounds() const override;
  TSize ClientSize() const override { return FClient; }
  int BorderWidth() const override { return FBorderWidth; }
  void SetMinimumSize(TSize Outer) override;
  TSize MinimumSize() const override { return FMinimum; }
  TPoint ClientToScreen(TPoint P) const override { return {FPos.X + P.X, FPos.Y + P.Y}; }
  bool IsActive() const override;
  bool HasCapture() const override;
  std::string Title() const override { return FTitle; }
  int32_t Cursor() const override { return FCursor; }
  void PostMessage(uint32_t Msg, uint64_t WParam = 0, int64_t LParam = 0) override;
  int RemovePendingMessages(uint32_t Msg) override;

 protected:
  // The client size an outer rectangle leaves, at least 1 x 1 and what the
  // minimum size leaves.
  TSize ClientFor(const TRect& Outer) const;

  TWindowSystemBase& FSystem;
  IWindowEvents& FEvents;
  const int FBorderWidth;
  TPoint FPos;  // outer top-left corner = client origin on the screen
  TSize FClient;
  std::string FTitle;
  int32_t FCursor = plCursorDefault;
  TSize FMinimum;
};

class TWindowSystemBase : public IWindowSystem {
 public:
  TWindowSystemBase() = default;
  explicit TWindowSystemBase(std::function<uint64_t()> TimeSource) : FClock(std::move(TimeSource)) {}

  uint64_t TickCount() const override { return FClock.Now(); }
  std::unique_ptr<ITimer> CreateTimer(uint32_t Interval, std::function<void()> Tick) override {
    return FClock.CreateTimer(Interval, std::move(Tick));
  }
  IWindow* ActiveWindow() const override { return FActive; }
  IWindow* CaptureWindow() const override { return FCapture; }
  uint32_t DoubleClickTime() const override { return 500; }
  int DoubleClickDistance() const override { return 2; }
  void PostQuit(int ExitCode = 0) override;
  bool Terminated() const override { return FTerminated; }
  int ExitCode() const { return FExitCode; }

  TVirtualClock& Clock() { return FClock; }
  // Times the loop went to sleep (waited for a timer or an event) so far.
  uint64_t Sleeps() const { return FSleeps; }

 protected:
  friend class TWindowBase;
  // Delivers the messages waiting now, not those their handlers post; returns
  // how many went out.
  int DeliverPosted();
  // Makes W (or none) the active window; the old one hears first.
  void SetActive(TWindowBase* W);
  // Makes W (or none) hold the capture; the one losing it hears CaptureLost.
  void SetCaptureHolder(TWindowBase* W);
  // Adds plDouble to E.Shift when this press of W completes a double click.
  void DetectDouble(const TWindowBase* W, TMouseEvent& E, uint64_t Time);
  // Native part of giving up the capture; the headless system has none.
  virtual void NativeReleaseCapture() {}

  TVirtualClock FClock;
  TMessageQueue FQueue;
  TDoubleClickDetector FDouble{500, 2};
  TWindowBase* FActive = nullptr;
  TWindowBase* FCapture = nullptr;
  bool FTerminated = false;
  int FExitCode = 0;
  uint64_t FSleeps = 0;
};

// The character a key types with the shift state held: Ctrl with a letter types
// its control character (Ctrl+C is 3), as the text controls expect; anything
// else types Plain unchanged.
char32_t TypedChar(char32_t Plain, TShiftState Shift);

}  // namespace platform
