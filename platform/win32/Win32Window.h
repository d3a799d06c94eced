#pragma once

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32WindowSystem.h"

// One layered top-level window of TWin32WindowSystem (internal to the layer).
// Its window is as large as its client area (a popup has no frame); the
// border width counts only in the outer size the layer reports. The last
// frame stays in a DIB section of the client's size, selected into a memory
// DC, from which every push goes out.
namespace platform {

// The procedure of the layer's window classes.
LRESULT CALLBACK Win32WindowProc(HWND Window, UINT Msg, WPARAM W, LPARAM L);

class TWin32Window : public TWindowBase {
 public:
  TWin32Window(TWin32WindowSystem& System, IWindowEvents& Events, const TWindowParams& Params);
  ~TWin32Window() override;

  void SetBounds(const TRect& Outer) override;
  void Show(bool Activate = true) override;
  void Hide() override;
  bool Visible() const override { return FVisible; }
  void Activate() override;
  void BringToFront() override;
  void SetTitle(const std::string& Value) override;
  void SetCursor(int32_t Value) override;
  void SetCapture() override;
  void ReleaseCapture() override;
  void PostMessage(uint32_t Msg, uint64_t WParam = 0, int64_t LParam = 0) override;
  int RemovePendingMessages(uint32_t Msg) override;
  void UpdateLayered(const TFrame& Frame, TPoint Position, const TRect* Changed = nullptr) override;
  uint64_t NativeHandle() const override { return uint64_t(reinterpret_cast<uintptr_t>(FHandle)); }

  // The window procedure's work for this window.
  LRESULT Dispatch(UINT Msg, WPARAM W, LPARAM L);

 private:
  // Takes the window's rectangle as the system has it; true when it moved
  // or changed size.
  bool TakeNativeBounds();
  // After a move of our own (FPlacing): the owner hears once of what came of
  // it, whatever the system reported meanwhile.
  void Placed(const TRect& Before);
  bool MakeDib(TSize Size);
  void FreeDib();
  void Mouse(UINT Msg, WPARAM W, LPARAM L);
  void Wheel(WPARAM W, LPARAM L);
  void Char(wchar_t C);
  void PositionChanging(WINDOWPOS& P) const;

  TWin32WindowSystem& FW;
  HWND FHandle = nullptr;
  HDC FMemory = nullptr;
  HBITMAP FDib = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  uint32_t* FBits = nullptr;
  TSize FDibSize;
  bool FHasFrame = false;
  bool FVisible = false;
  bool FPlacing = false;        // our own move: the system's report is not news
  bool FTrackingLeave = false;  // TrackMouseEvent asked for WM_MOUSELEAVE
  wchar_t FHighSurrogate = 0;   // the first half of a character outside the BMP
  const bool FTopMost;
};

}  // namespace platform
