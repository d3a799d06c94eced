#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WindowSystemBase.h"

// The window system without a display: windows are records, their content is
// kept as a picture in memory, time is a virtual clock that moves only while
// the loop sleeps (Run, RunUntil) or when a test calls Clock().Advance, and
// input is simulated. Tests, the snapshot tool and the scenario runner use it.
namespace platform {

class THeadlessWindowSystem;

class THeadlessWindow : public TWindowBase {
 public:
  THeadlessWindow(THeadlessWindowSystem& System, IWindowEvents& Events, const TWindowParams& Params);
  ~THeadlessWindow() override;

  void SetBounds(const TRect& Outer) override;
  void Show(bool Activate = true) override;
  void Hide() override;
  bool Visible() const override { return FVisible; }
  void Activate() override;
  void BringToFront() override;
  void SetTitle(const std::string& Value) override { FTitle = Value; }
  void SetCursor(int32_t Value) override { FCursor = Value; }
  void SetCapture() override;
  void ReleaseCapture() override;
  void UpdateLayered(const TFrame& Frame, TPoint Position, const TRect* Changed = nullptr) override;
  uint64_t NativeHandle() const override { return 0; }

  // The window's content: every frame pushed so far, composed, ClientSize()
  // pixels (premultiplied ARGB), transparent where nothing was pushed yet.
  const std::vector<uint32_t>& Picture() const { return FPicture; }
  uint32_t Pixel(int X, int Y) const;
  int FramesPushed() const { return FFrames; }
  // The part of the picture the last push replaced.
  TRect LastSent() const { return FLastSent; }
  // Stacking position: higher is in front.
  uint64_t ZOrder() const { return FZOrder; }
  // Whether a press at client (X, Y) is this window's: as a layered window,
  // it takes none where its picture is fully transparent, once it has one.
  bool TakesInputAt(int X, int Y) const;

 private:
  void Place(TPoint Pos, TSize Client);

  THeadlessWindowSystem& FHeadless;
  bool FVisible = false;
  std::vector<uint32_t> FPicture;
  int FFrames = 0;
  TRect FLastSent;
  uint64_t FZOrder = 0;
};

class THeadlessWindowSystem : public TWindowSystemBase {
 public:
  THeadlessWindowSystem() = default;

  std::unique_ptr<IWindow> CreateWindow(IWindowEvents& Events, const TWindowParams& Params) override;
  TSize ScreenSize() const override { return FScreen; }
  TRect WorkArea() const override { return FWorkArea; }
  int PixelsPerInch() const override { return 96; }
  TPoint CursorPos() const override { return FCursorPos; }
  std::string ClipboardText() override { return FClipboard; }
  void SetClipboardText(const std::string& Utf8) override { FClipboard = Utf8; }

  // Runs until PostQuit, moving the clock straight to each next due timer; when
  // no timer runs and nothing is waiting nothing can happen any more, and it
  // returns as well (with the exit code as it stands).
  int Run() override;
  // Like Run, but stops with the clock at Time when nothing falls due before.
  // False when it stopped for PostQuit.
  bool RunUntil(uint64_t Time);
  bool ProcessMessages() override;

  void SetScreen(TSize Screen, TRect WorkArea) {
    FScreen = Screen;
    FWorkArea = WorkArea;
  }

  // Simulated input. Mouse positions are client pixels of Window; the event
  // goes to the window holding the capture instead when one does, in its own
  // client pixels. Where Window's picture is fully transparent the event goes
  // through to the frontmost visible window that takes it there, or nowhere.
  // A move that reaches another window than the last one tells the last one
  // the pointer left. Mods carries the modifier keys; the buttons held are
  // tracked here. Keys go to the active window (nowhere when none is active).
  void MouseDown(IWindow* Window, TMouseButton Button, int X, int Y, TShiftState Mods = 0);
  void MouseUp(IWindow* Window, TMouseButton Button, int X, int Y, TShiftState Mods = 0);
  void MouseMove(IWindow* Window, int X, int Y, TShiftState Mods = 0);
  void MouseWheel(IWindow* Window, int Delta, int X, int Y, TShiftState Mods = 0);
  // KeyDown, then KeyChar when Plain is not 0 (the character the key types
  // without Ctrl; Ctrl turns letters into control characters).
  void KeyDown(uint16_t Key, TShiftState Mods = 0, char32_t Plain = 0);
  void KeyUp(uint16_t Key, TShiftState Mods = 0);
  // The user asks Window to close (the close button of a decorated window).
  void RequestClose(IWindow* Window);

 private:
  friend class THeadlessWindow;
  // Where a mouse event at client (X, Y) of Window goes, with E filled in;
  // none when it falls through every window.
  THeadlessWindow* MouseTarget(IWindow* Window, int X, int Y, TShiftState Mods, TMouseEvent& E);
  THeadlessWindow* WindowAt(THeadlessWindow* Named, TPoint Screen) const;

  TSize FScreen{1920, 1080};
  TRect FWorkArea{0, 0, 1920, 1080};
  TPoint FCursorPos;
  std::string FClipboard;
  TShiftState FButtons = 0;
  uint64_t FNextZ = 0;
  std::vector<THeadlessWindow*> FWindows;
  THeadlessWindow* FPointerIn = nullptr;  // the window the last move reached
};

}  // namespace platform
