#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/TimerSource.h"

// The window-system layer: top-level per-pixel-translucent windows, their
// input, posted messages, timers, the clipboard and the message loop. Code
// above it sees only these interfaces; the X11 implementation serves the
// program, the headless one tests and tools.
//
// Everything runs on one thread. Events are delivered from inside Run or
// ProcessMessages, or (for the headless system's synthetic input) from inside
// the call that simulates the input, never from another thread.
namespace platform {

struct TPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TSize&) const = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TRect&) const = default;
  bool Empty() const { return Width <= 0 || Height <= 0; }
  bool Contains(TPoint P) const {
    return P.X >= Left && P.Y >= Top && P.X < Left + Width && P.Y < Top + Height;
  }
};

// The part of A that lies in B (empty when they do not meet).
TRect Intersect(const TRect& A, const TRect& B);

// Modifier keys and mouse buttons held during an input event, as bits; the same
// bits as the 2D tree's shift state, so a host passes the value on unchanged.
enum TShiftFlag : uint16_t {
  plShift = 1,
  plAlt = 2,
  plCtrl = 4,
  plLeftButton = 8,
  plRightButton = 16,
  plMiddleButton = 32,
  plDouble = 64,  // the press is the second of a double click
};
using TShiftState = uint16_t;

enum TMouseButton : uint8_t { plMouseLeft, plMouseRight, plMouseMiddle };

// Cursor numbers as stored in layouts; any other number shows the default.
enum TCursor : int32_t {
  plCursorDefault = 0,
  plCursorNone = -1,
  plCursorArrow = -2,
  plCursorCross = -3,
  plCursorIBeam = -4,
  plCursorSizeNESW = -6,
  plCursorSizeNS = -7,
  plCursorSizeNWSE = -8,
  plCursorSizeWE = -9,
  plCursorWait = -11,
  plCursorHand = -21,
  plCursorSizeAll = -22,
};

// Virtual-key codes: the numbers the controls compare key presses against.
// Letters and digits are their upper-case ASCII codes ('A' = 65, '0' = 48).
enum TVirtualKey : uint16_t {
  plKeyBack = 8,
  plKeyTab = 9,
  plKeyReturn = 13,
  plKeyShift = 16,
  plKeyControl = 17,
  plKeyMenu = 18,  // Alt
  plKeyPause = 19,
  plKeyCapital = 20,
  plKeyEscape = 27,
  plKeySpace = 32,
  plKeyPrior = 33,
  plKeyNext = 34,
  plKeyEnd = 35,
  plKeyHome = 36,
  plKeyLeft = 37,
  plKeyUp = 38,
  plKeyRight = 39,
  plKeyDown = 40,
  plKeyInsert = 45,
  plKeyDelete = 46,
  plKeyApps = 93,  // the context-menu key
  plKeyNumpad0 = 96,
  plKeyMultiply = 106,
  plKeyAdd = 107,
  plKeySubtract = 109,
  plKeyDecimal = 110,
  plKeyDivide = 111,
  plKeyF1 = 112,
  plKeyF12 = 123,
};

// One mouse event. X, Y are client pixels (negative or past the size while the
// pointer is captured); ScreenX, ScreenY the same point on the screen.
struct TMouseEvent {
  TMouseButton Button = plMouseLeft;  // MouseDown and MouseUp only
  TShiftState Shift = 0;              // held after the event: a press includes its button
  int X = 0, Y = 0;
  int ScreenX = 0, ScreenY = 0;
  int WheelDelta = 0;  // MouseWheel only: +120 per notch away from the user
};

// What a window tells its owner. Every method has an empty default.
class IWindowEvents {
 public:
  virtual ~IWindowEvents() = default;
  // A double click arrives as a second MouseDown with plDouble in Shift.
  virtual void MouseDown(const TMouseEvent& /*E*/) {}
  virtual void MouseUp(const TMouseEvent& /*E*/) {}
  virtual void MouseMove(const TMouseEvent& /*E*/) {}
  virtual void MouseWheel(const TMouseEvent& /*E*/) {}
  virtual void MouseLeave() {}
  // Key is a TVirtualKey code. A key that types something is followed by
  // KeyChar; Ctrl+letter types the control character (Ctrl+C is 3), Enter 13,
  // Tab 9, Backspace 8, Esc 27. Keys auto-repeat as further KeyDown/KeyChar.
  virtual void KeyDown(uint16_t /*Key*/, TShiftState /*Shift*/) {}
  virtual void KeyUp(uint16_t /*Key*/, TShiftState /*Shift*/) {}
  virtual void KeyChar(char32_t /*Char*/, TShiftState /*Shift*/) {}
  // The window became (true) or stopped being (false) the active window.
  virtual void Activated(bool /*Active*/) {}
  // The user or the window manager asks the window to close; nothing happens
  // unless the owner acts.
  virtual void CloseRequest() {}
  // The window moved or changed size, by the program or from outside; Outer is
  // the new outer rectangle.
  virtual void BoundsChanged(const TRect& /*Outer*/) {}
  // A message posted with IWindow::PostMessage.
  virtual void Message(uint32_t /*Msg*/, uint64_t /*WParam*/, int64_t /*LParam*/) {}
  // The pointer capture this window held went elsewhere or was released.
  virtual void CaptureLost() {}
  // Area (client pixels) of a window that has had a frame lost its pixels:
  // the window keeps no copy of its frames, so the owner pushes that part
  // again. Only a window system that loses pixels (X without a compositing
  // manager, when a window is uncovered) asks.
  virtual void Exposed(const TRect& /*Area*/) {}
};

// A frame of premultiplied ARGB words, rows top to bottom, Stride pixels apart.
struct TFrame {
  const uint32_t* Pixels = nullptr;
  int Width = 0;
  int Height = 0;
  int Stride = 0;  // 0 means Width
};

struct TWindowParams {
  TRect Bounds{0, 0, 100, 100};  // outer rectangle
  // Counted into the outer size but never drawn: the picture starts at the
  // outer top-left corner and the client area is the outer size less twice
  // this, so a frame of the client's size keeps the window's size.
  int BorderWidth = 1;
  std::string Title = "Stagora Layered";
  std::string ClassName = "kardo";  // WM_CLASS instance; the class is its capitalised form
  bool TopMost = true;
};

// A borderless top-level window whose content is only ever a pushed frame.
// Created hidden. The owner keeps the IWindowEvents alive as long as the window.
class IWindow {
 public:
  virtual ~IWindow() = default;

  // Outer rectangle in screen pixels: position of the top-left corner, and the
  // client size plus twice the border width.
  virtual TRect Bounds() const = 0;
  virtual void SetBounds(const TRect& Outer) = 0;
  virtual TSize ClientSize() const = 0;
  virtual int BorderWidth() const = 0;
  // The smallest outer size the window takes: SetBounds grows a smaller
  // rectangle to it, and a window manager stops a resize there. None at first.
  virtual void SetMinimumSize(TSize Outer) = 0;
  virtual TSize MinimumSize() const = 0;
  // A client point on the screen (the client area starts at the outer corner).
  virtual TPoint ClientToScreen(TPoint P) const = 0;

  // Shows the window in front and gives it the keyboard; without Activate it
  // appears just behind the active window (in front when none is), so that
  // it does not cover what the user works in.
  virtual void Show(bool Activate = true) = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  // Raises the window and gives it the keyboard.
  virtual void Activate() = 0;
  // Raises the window without activating or moving it.
  virtual void BringToFront() = 0;
  virtual bool IsActive() const = 0;

  virtual std::string Title() const = 0;
  virtual void SetTitle(const std::string& Value) = 0;
  virtual int32_t Cursor() const = 0;
  virtual void SetCursor(int32_t Value) = 0;  // a TCursor number

  // While captured, every mouse event goes to this window.
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool HasCapture() const = 0;

  // Queues Message(Msg, WParam, LParam) for this window; it is delivered by the
  // loop, after the events already waiting. Freed windows lose their messages.
  virtual void PostMessage(uint32_t Msg, uint64_t WParam = 0, int64_t LParam = 0) = 0;
  // Drops this window's messages Msg still waiting; returns how many.
  virtual int RemovePendingMessages(uint32_t Msg) = 0;

  // Replaces the window's content with Frame, putting the window's top-left
  // corner at Position and its client size to the frame's size. With Changed
  // (frame pixels), only that part of the frame is new: when position and size
  // stay, only it is sent. A frame without pixels or of no size is ignored.
  // The frame is read during the call only.
  virtual void UpdateLayered(const TFrame& Frame, TPoint Position, const TRect* Changed = nullptr) = 0;

  // The native window (an X window id), 0 when there is none.
  virtual uint64_t NativeHandle() const = 0;
};

class IWindowSystem : public ITimerSource {
 public:
  virtual std::unique_ptr<IWindow> CreateWindow(IWindowEvents& Events, const TWindowParams& Params) = 0;

  virtual TSize ScreenSize() const = 0;
  // The desktop less task bars and panels; the screen when nothing says.
  virtual TRect WorkArea() const = 0;
  virtual int PixelsPerInch() const = 0;
  virtual TPoint CursorPos() const = 0;  // screen pixels

  virtual IWindow* ActiveWindow() const = 0;
  virtual IWindow* CaptureWindow() const = 0;

  // Two presses of one button count as a double click when the second comes
  // within this many milliseconds and pixels (each axis) of the first.
  virtual uint32_t DoubleClickTime() const = 0;
  virtual int DoubleClickDistance() const = 0;

  // Clipboard text in UTF-8; empty when the clipboard holds no text.
  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(const std::string& Utf8) = 0;

  // Delivers events, posted messages and timer ticks until PostQuit; returns
  // its code. Sleeps while nothing is due.
  virtual int Run() = 0;
  // Delivers whatever is waiting or due now, without sleeping. False once quit
  // has been posted: a waiting caller should stop waiting.
  virtual bool ProcessMessages() = 0;
  virtual void PostQuit(int ExitCode = 0) = 0;
  virtual bool Terminated() const = 0;

  // Called when the loop has nothing else to do; returning true asks to be
  // called again without sleeping (continuous rendering), false lets it sleep.
  std::function<bool()> OnIdle;
};

}  // namespace platform
