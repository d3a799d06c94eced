#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <deque>

#include "platform/AlphaOutline.h"
#include "platform/x11/X11WindowSystem.h"

// One top-level X window of TX11WindowSystem (internal to the layer). It keeps
// no copy of its frames: what the server loses is asked of the owner again
// (IWindowEvents::Exposed).
namespace platform {

class TX11Window : public TWindowBase {
 public:
  TX11Window(TX11WindowSystem& System, IWindowEvents& Events, const TWindowParams& Params);
  ~TX11Window() override;

  void SetBounds(const TRect& Outer) override;
  void SetMinimumSize(TSize Outer) override;
  void Show(bool Activate = true) override;
  void Hide() override;
  bool Visible() const override { return FVisible; }
  void Activate() override;
  void BringToFront() override;
  void SetTitle(const std::string& Value) override;
  void SetCursor(int32_t Value) override;
  void SetCapture() override;
  void ReleaseCapture() override;
  void UpdateLayered(const TFrame& Frame, TPoint Position, const TRect* Changed = nullptr) override;
  uint64_t NativeHandle() const override { return FWindow; }

  ::Window XWindow() const { return FWindow; }
  // The server reports a geometry (root coordinates of the client area).
  // Serial: the last request of ours the server had processed when it made
  // the report.
  void Configured(TPoint Pos, TSize Client, unsigned long Serial);
  void Exposed(const TRect& Area);
  // Whether a window manager put the window into a frame of its own, which
  // makes the server's geometry reports relative to that frame.
  bool Reparented() const { return FReparented; }
  void SetReparented(bool Value) { FReparented = Value; }
  // Cuts the window to its outline, or stops cutting it, as the system's
  // compositing manager now asks.
  void ApplyBounding();

 private:
  void Place(TPoint Pos, TSize Client);
  void WriteSizeHints();
  void Put(const TFrame& Frame, const TRect& Part);
  // Tells the server the outline of Part (the whole frame when Whole).
  void ApplyOutline(const TRect& Part, bool Whole);

  TX11WindowSystem& FX;
  Display* FDisplay;
  ::Window FWindow = 0;
  GC FGC = nullptr;
  bool FHasFrame = false;
  bool FVisible = false;
  bool FReparented = false;
  const bool FTopMost;
  // Geometries asked of the server and not yet reported back: a report of an
  // older one is stale and ignored.
  std::deque<TRect> FRequested;
  unsigned long FRequestSerial = 0;  // of the latest geometry request
  TAlphaOutline FOutline;
};

}  // namespace platform
