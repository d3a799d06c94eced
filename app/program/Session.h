#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/Kardo.h"
#include "app/forms/KardoWindows.h"
#include "platform/Clipboard.h"
#include "platform/Window.h"

namespace kardo {

// The binary layout embedded for a form class ("TForm_3D_Kardo"); empty for
// another name.
std::string_view EmbeddedLayout(std::string_view FormClass);

// One run of the simulator on a window system: the three windows read from
// their embedded layouts, the logic over them, and the process-wide timer,
// clipboard and wait hooks pointed at the window system for as long as it
// lives. The window system must outlive the session.
class TKardoSession {
 public:
  // Raises EuxError (EuxReadError for a damaged layout) when a window cannot
  // be built.
  explicit TKardoSession(platform::IWindowSystem& System, TKardoWindows::TLayouts Layouts = EmbeddedLayout);
  ~TKardoSession();
  TKardoSession(const TKardoSession&) = delete;
  TKardoSession& operator=(const TKardoSession&) = delete;

  platform::IWindowSystem& System() const { return FSystem; }
  TKardoWindows& Windows() { return *FWindows; }
  TKardo& App() { return *FApp; }
  // A window by its short name: "console", "display" or "settings".
  TKardoForm* Form(std::string_view Window) const;
  // The short name of a form.
  static std::string_view WindowName(const TKardoForm& Form);

  // Shows the console (and with it the settings window) without running the
  // loop; Run does the same and then runs the loop until the console closes.
  void Start();
  int Run();

  // True once every window has pushed a frame.
  bool FirstFramesOut() const;
  // Called once, from the loop, when the last of the three first frames is
  // out.
  std::function<void()> OnFirstFrames;

  // Writes console.png, display.png and settings.png of the windows' current
  // content into Dir (made when missing); false with the reason in Error.
  bool WriteSnapshots(const std::string& Dir, std::string& Error) const;

 private:
  class TSystemClipboard;
  bool Idle();

  platform::IWindowSystem& FSystem;
  std::unique_ptr<TSystemClipboard> FClipboard;
  std::function<bool()> FPreviousIdle;
  std::unique_ptr<TKardoWindows> FWindows;
  std::unique_ptr<TKardo> FApp;
  bool FFirstFramesSeen = false;
};

}  // namespace kardo
