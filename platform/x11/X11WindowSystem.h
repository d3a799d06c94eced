#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowSystemBase.h"

struct _XDisplay;
union _XEvent;

// The window system on an X server through Xlib: 32-bit ARGB windows without
// decorations, kept above others, whose content is pushed frames (through
// MIT-SHM when the server shares memory with us, else XPutImage); input,
// activation, capture as a pointer grab, the clipboard as the CLIPBOARD
// selection, and one loop that sleeps in poll on the connection until an
// event arrives or the next timer falls due.
namespace platform {

class TX11Window;

class TX11WindowSystem : public TWindowSystemBase {
 public:
  // Connects to DisplayName (DISPLAY when null). Without a server it returns
  // null and Error says so in one line fit for the user.
  static std::unique_ptr<TX11WindowSystem> Open(const char* DisplayName, std::string& Error);
  ~TX11WindowSystem() override;

  std::unique_ptr<IWindow> CreateWindow(IWindowEvents& Events, const TWindowParams& Params) override;
  TSize ScreenSize() const override;
  TRect WorkArea() const override;
  int PixelsPerInch() const override;
  TPoint CursorPos() const override;
  std::string ClipboardText() override;
  void SetClipboardText(const std::string& Utf8) override;
  int Run() override;
  bool ProcessMessages() override;

  _XDisplay* NativeDisplay() const { return FDisplay; }
  // The depth of the windows' visual: 32 when the server has an ARGB visual.
  int Depth() const;
  // Whether a window manager runs (activation then goes through it).
  bool WindowManagerRunning() const { return FHasWm; }
  // Whether a compositing manager blends the windows' translucent pixels with
  // what lies below. Without one they would show opaque, so every window is
  // cut to the part of its frame at least half opaque; the layer follows a
  // manager that comes or goes and then calls OnCompositingChanged.
  bool CompositingManagerRunning() const { return FCompositing; }
  std::function<void(bool Running)> OnCompositingChanged;
  // Whether windows take presses only where their frame is not fully
  // transparent (the server has input shapes).
  bool InputShapes() const { return FShapeInput; }
  // Whether the connection to the server broke. The loop then ends with code
  // 1 and says nothing itself: what the loss means is the program's to tell.
  bool ConnectionLost() const;
  // Fd wakes the sleeping loop when it becomes readable, and Readable is
  // called from the loop (it must drain Fd); -1 stops watching. For what
  // arrives outside Xlib, such as signals through a self-pipe.
  void WatchDescriptor(int Fd, std::function<void()> Readable);

 private:
  friend class TX11Window;
  struct TAtoms;
  explicit TX11WindowSystem(_XDisplay* Display);

  // One round of the loop: everything waiting is delivered, then, when Wait
  // and nothing else is to do, it sleeps until an event or the next timer.
  void Step(bool Wait);
  // Xlib reads the connection in XPending and in every XFlush, nearly always
  // to find nothing. The loop reads it only when poll says it is readable
  // and otherwise takes what other calls left in Xlib's queue.
  void ReadIfReadable();
  void DispatchQueued();
  // Sends what Xlib holds, when requests were made since the last time.
  void Flush();
  void Dispatch(_XEvent& E);
  TX11Window* Find(unsigned long Window) const;
  void ServeSelectionRequest(_XEvent& E);
  std::string ConvertClipboard(unsigned long Target);
  unsigned long CursorFor(int32_t Cursor);
  // A client message about Window to the window manager.
  void SendToRoot(unsigned long Window, unsigned long Type, const std::array<long, 4>& Data);
  std::vector<long> ReadCardinals(unsigned long Window, unsigned long Property) const;
  TRect ReadWorkArea() const;
  void NativeReleaseCapture() override;
  void WatchCompositor();
  void CompositorChanged();

  _XDisplay* FDisplay;
  std::unique_ptr<TAtoms> FAtoms;
  void* FVisual = nullptr;  // Visual*
  int FDepth = 24;
  unsigned long FColormap = 0;
  unsigned long FHelper = 0;  // unmapped window owning the selection
  bool FHasWm = false;
  bool FShape = false;                     // SHAPE: windows cut to their outline
  bool FShapeInput = false;                // SHAPE 1.1: input regions of their own
  bool FCompositing = true;                // assumed until the owner of the selection is known
  unsigned long FCompositorSelection = 0;  // _NET_WM_CM_S<screen>
  int FFixesEventBase = -1;                // XFixes selection events, when the server has them
  // Read once per change of the root window's properties: every window placed
  // at start-up asks for it, and each read is two round trips.
  mutable std::optional<TRect> FWorkArea;
  std::vector<TX11Window*> FWindows;
  std::vector<std::pair<int32_t, unsigned long>> FCursors;
  std::string FClipboard;
  bool FOwnsClipboard = false;
  int FWatched = -1;
  std::function<void()> FWatchedReadable;
  unsigned long FFlushedRequest = 0;  // NextRequest at the last flush
  int FRoundsUnread = 0;              // rounds since the connection was last read
};

}  // namespace platform
