// One textured cube turning in a translucent, undecorated window: the scene
// host, the software canvas and the X11 layer together. Drag the window by
// any empty spot; Esc or the window manager's close ends it.
//
//   spinning_cube [--display NAME] [--for MILLISECONDS]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "scene3d/Material.h"
#include "scene3d/Scene.h"
#include "scene3d/SceneObjects.h"
#include "scene3d/software/SoftwareCanvas.h"
// Xlib's macros after the scene's headers.
#include "platform/x11/X11WindowSystem.h"

namespace {

// A cube drawn with a checker texture; it turns a little on every tick.
class TCube : public TscVisualObject {
 public:
  explicit TCube(TuiComponent* Owner) : TscVisualObject(Owner), FTexture(64, 64) {
    uint32_t* p = FTexture.Bits();
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const bool dark = ((x / 16) + (y / 16)) % 2 != 0;
        p[y * 64 + x] = dark ? 0xFF1E5A96u : 0xFFF0B43Cu;
      }
    FTexture.SetModified(true);
    FMaterial.SetDiffuse(0xE6FFFFFF);  // slightly see-through
    FMaterial.SetTexture(&FTexture);
    OnTick = [](TscObject* Sender, float, float Delta) {
      auto* cube = static_cast<TCube*>(Sender);
      cube->RotateAngle()->SetZ(cube->RotateAngle()->Z() + 60 * Delta);
      cube->RotateAngle()->SetX(cube->RotateAngle()->X() + 25 * Delta);
    };
  }
  void Paint(TscCanvas& Canvas) override {
    Canvas.Material()->Assign(FMaterial);
    Canvas.SetState(scStateTextureModulate);
    Canvas.FillCube({0, 0, 0, 1}, {Width(), Height(), Depth(), 1}, AbsoluteOpacity());
    Canvas.Material()->SetTexture(nullptr);
  }

 private:
  TscBitmap FTexture;
  TscMaterial FMaterial;
};

}  // namespace

int main(int argc, char** argv) {
  const char* display = nullptr;
  long runFor = -1;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--display") && i + 1 < argc)
      display = argv[++i];
    else if (!std::strcmp(argv[i], "--for") && i + 1 < argc)
      runFor = std::strtol(argv[++i], nullptr, 10);
  }
  std::string error;
  auto system = platform::TX11WindowSystem::Open(display, error);
  if (!system) {
    std::fprintf(stderr, "cannot open display %s; set DISPLAY\n", display ? display : "");
    return 2;
  }
  RegisterScene3dClasses();
  TscSoftwareCanvas::Register();

  auto scene = std::make_unique<TscScene>(nullptr);
  scene->SetTransparency(true);
  scene->SetFillColor("#00000000");
  scene->SetAllowDrag(true);
  scene->SetUsingDesignCamera(false);
  scene->SetRealTime(true);
  scene->SetRealTimeSleep(15);

  auto* camera = new TscCamera(nullptr);
  camera->Position()->SetPoint({0, -5, 0, 1});
  scene->AddObject(camera);
  scene->SetCamera(camera);
  auto* light = new TscLight(nullptr);
  light->RotateAngle()->SetX(-30);
  scene->AddObject(light);
  auto* cube = new TCube(nullptr);
  cube->SetHitTest(false);  // every press drags the window
  cube->SetWidth(1.6f);
  cube->SetHeight(1.6f);
  cube->SetDepth(1.6f);
  scene->AddObject(cube);

  platform::TWindowParams params;
  params.Bounds = {200, 200, 322, 322};
  params.Title = "Spinning cube";
  params.ClassName = "spinning_cube";
  params.TopMost = false;
  scene->CreateWindow(*system, params);
  scene->OnCloseRequest = [&](TscScene*) { system->PostQuit(0); };
  scene->Window()->Show();

  struct TQuitOnEscape : TscVisualObject {
    platform::IWindowSystem& System;
    TQuitOnEscape(platform::IWindowSystem& S) : TscVisualObject(nullptr), System(S) {}
    void KeyDown(uint16_t& Key, char32_t&, TuiShiftState) override {
      if (Key == platform::plKeyEscape) System.PostQuit(0);
    }
  };
  auto* keys = new TQuitOnEscape(*system);
  keys->SetHitTest(false);
  keys->SetVisible(false);
  scene->AddObject(keys);
  scene->SetFocused(keys);

  std::unique_ptr<platform::ITimer> stop;
  if (runFor >= 0) {
    stop = system->CreateTimer(uint32_t(runFor), [&] { system->PostQuit(0); });
    stop->SetEnabled(true);
  }
  const int code = system->Run();
  long covered = 0;
  if (const uint32_t* bits = scene->Canvas()->MemoryBits())
    for (int i = 0; i < scene->Width() * scene->Height(); ++i) covered += (bits[i] >> 24) != 0;
  std::printf("%llu frames, %.1f fps, %ld pixels drawn\n",
              static_cast<unsigned long long>(scene->FrameCount()), scene->Fps(), covered);
  stop.reset();
  scene.reset();
  return code;
}
