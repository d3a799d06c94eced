#include "app/program/Session.h"

#include <filesystem>
#include <system_error>

#include "draw2d/Bitmap.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "scene2d/AnimationTimer.h"
#include "scene2d/Object.h"
#include "scene3d/Scene.h"

std::string_view uxEmbeddedSheet_layout_console();
std::string_view uxEmbeddedSheet_layout_display();
std::string_view uxEmbeddedSheet_layout_settings();

namespace kardo {

std::string_view EmbeddedLayout(std::string_view FormClass) {
  if (FormClass == "TForm_3D_Kardo") return uxEmbeddedSheet_layout_console();
  if (FormClass == "TForm_3D_Set") return uxEmbeddedSheet_layout_settings();
  if (FormClass == "TForm_3D_SEFA1") return uxEmbeddedSheet_layout_display();
  return {};
}

// The text box's cut and paste go to the window system's clipboard.
class TKardoSession::TSystemClipboard : public platform::IClipboard {
 public:
  explicit TSystemClipboard(platform::IWindowSystem& System) : FSystem(System) {}
  std::string GetText() override { return FSystem.ClipboardText(); }
  void SetText(std::string_view Utf8) override { FSystem.SetClipboardText(std::string(Utf8)); }

 private:
  platform::IWindowSystem& FSystem;
};

TKardoSession::TKardoSession(platform::IWindowSystem& System, TKardoWindows::TLayouts Layouts)
    : FSystem(System), FClipboard(std::make_unique<TSystemClipboard>(System)) {
  TuiAnimationTimer::Instance().SetSource(&System);
  platform::SetClipboard(FClipboard.get());
  TuiObject::ProcessMessages = [&System] { return System.ProcessMessages(); };
  FPreviousIdle = std::move(System.OnIdle);
  System.OnIdle = [this] { return Idle(); };
  try {
    FWindows = std::make_unique<TKardoWindows>(System, std::move(Layouts));
    FApp = std::make_unique<TKardo>(*FWindows);
  } catch (...) {
    FApp.reset();
    FWindows.reset();
    System.OnIdle = std::move(FPreviousIdle);
    TuiObject::ProcessMessages = nullptr;
    platform::SetClipboard(nullptr);
    TuiAnimationTimer::Instance().SetSource(nullptr);
    throw;
  }
}

TKardoSession::~TKardoSession() {
  FApp.reset();
  FWindows.reset();
  FSystem.OnIdle = std::move(FPreviousIdle);
  TuiObject::ProcessMessages = nullptr;
  platform::SetClipboard(nullptr);
  TuiAnimationTimer::Instance().SetSource(nullptr);
}

TKardoForm* TKardoSession::Form(std::string_view Window) const {
  for (const auto& form : FWindows->Forms())
    if (WindowName(*form) == Window) return form.get();
  return nullptr;
}

std::string_view TKardoSession::WindowName(const TKardoForm& Form) {
  const std::string& c = Form.ClassName();
  return c == "TForm_3D_Kardo" ? "console" : c == "TForm_3D_Set" ? "settings" : "display";
}

void TKardoSession::Start() {
  if (!FWindows->Forms().empty()) FWindows->Forms().front()->ShowWindow();
}

int TKardoSession::Run() {
  FApp->Run();
  return FWindows->ExitCode();
}

bool TKardoSession::FirstFramesOut() const {
  for (const auto& form : FWindows->Forms())
    if (!form->Scene() || form->Scene()->FrameCount() == 0) return false;
  return !FWindows->Forms().empty();
}

// The loop has done everything that was waiting, so the frames any start-up
// change asked for are out by now.
bool TKardoSession::Idle() {
  const bool again = FPreviousIdle && FPreviousIdle();
  if (!FFirstFramesSeen && FirstFramesOut()) {
    FFirstFramesSeen = true;
    if (OnFirstFrames) OnFirstFrames();
  }
  return again;
}

bool TKardoSession::WriteSnapshots(const std::string& Dir, std::string& Error) const {
  std::error_code ec;
  std::filesystem::create_directories(Dir, ec);
  for (const auto& form : FWindows->Forms()) {
    const TscScene* scene = form->Scene();
    const auto* headless = dynamic_cast<const platform::THeadlessWindow*>(form->NativeWindow());
    const int w = scene->Width(), h = scene->Height();
    TuiBitmap bitmap(w, h);
    const uint32_t* pixels = headless ? headless->Picture().data() : scene->Canvas()->MemoryBits();
    if (pixels && (!headless || headless->Picture().size() >= size_t(w) * size_t(h)))
      std::copy(pixels, pixels + size_t(w) * size_t(h), bitmap.Bits());
    else
      std::fill(bitmap.Bits(), bitmap.Bits() + size_t(w) * size_t(h), 0u);
    const std::string file =
        (std::filesystem::path(Dir) / (std::string(WindowName(*form)) + ".png")).string();
    if (!bitmap.SaveToFile(file)) {
      Error = "cannot write " + file;
      return false;
    }
  }
  return true;
}

}  // namespace kardo
