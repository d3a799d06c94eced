#include "scene3d/opengl/GLLibrary.h"

#include <dlfcn.h>

#include <map>
#include <memory>

namespace {

struct TLibraryTable {
  std::string Name = "libEGL.so.1";
  std::map<std::string, std::unique_ptr<TscGLLibrary>> Loaded;  // none for a failed name
  std::map<std::string, std::string> Errors;
  int LoadCount = 0;
};

// Made once and never freed, like the other process-wide tables: devices
// freed by exit handlers still find their library.
TLibraryTable& Table() {
  static auto* Instance = new TLibraryTable;
  return *Instance;
}

}  // namespace

const std::string& TscGLLibrary::LibraryName() {
  return Table().Name;
}
void TscGLLibrary::SetLibraryName(std::string Name) {
  Table().Name = std::move(Name);
}
int TscGLLibrary::LoadCount() {
  return Table().LoadCount;
}

std::string TscGLLibrary::LoadError() {
  auto& T = Table();
  auto It = T.Errors.find(T.Name);
  return It == T.Errors.end() ? std::string() : It->second;
}

TscGLLibrary* TscGLLibrary::Open() {
  auto& T = Table();
  auto It = T.Loaded.find(T.Name);
  if (It != T.Loaded.end()) return It->second.get();
  std::unique_ptr<TscGLLibrary> Library(new TscGLLibrary);
  std::string Error;
  if (!Library->Load(T.Name, Error)) {
    Library.reset();
    T.Errors[T.Name] = Error;
  }
  return (T.Loaded[T.Name] = std::move(Library)).get();
}

bool TscGLLibrary::Load(const std::string& Name, std::string& Error) {
  ++Table().LoadCount;
  FHandle = dlopen(Name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!FHandle) {
    const char* Why = dlerror();
    Error = Why ? Why : ("cannot load " + Name);
    return false;
  }
  auto GetProc = reinterpret_cast<PFNEGLGETPROCADDRESSPROC>(dlsym(FHandle, "eglGetProcAddress"));
  if (!GetProc) {
    Error = Name + " has no eglGetProcAddress";
    return false;
  }
  bool Missing = false;
  auto Take = [&](auto& Slot, const char* Symbol) {
    Slot = reinterpret_cast<std::remove_reference_t<decltype(Slot)>>(GetProc(Symbol));
    if (!Slot && !Missing) {
      Missing = true;
      Error = std::string("missing entry point ") + Symbol;
    }
  };
#define UX_TAKE_EGL(N) Take(FEGL.N, "egl" #N);
  UX_EGL_FUNCTIONS(UX_TAKE_EGL)
#undef UX_TAKE_EGL
#define UX_TAKE_GL(N) Take(FGL.N, "gl" #N);
  UX_GL_FUNCTIONS(UX_TAKE_GL)
#undef UX_TAKE_GL
  if (Missing) return false;

  // Mesa's surfaceless platform renders offscreen on a render node, or in
  // software without one, and needs neither a window system nor a config.
  const char* ClientExtensions = FEGL.QueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  std::string_view Extensions = ClientExtensions ? ClientExtensions : "";
  FEGL.GetPlatformDisplayEXT =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(GetProc("eglGetPlatformDisplayEXT"));
  EGLint Major = 0, Minor = 0;
  if (FEGL.GetPlatformDisplayEXT &&
      Extensions.find("EGL_MESA_platform_surfaceless") != std::string_view::npos) {
    FDisplay = FEGL.GetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (FDisplay != EGL_NO_DISPLAY && FEGL.Initialize(FDisplay, &Major, &Minor)) {
      FSurfaceless = true;
      FDisplayKind = "surfaceless";
    } else {
      FDisplay = EGL_NO_DISPLAY;
    }
  }
  if (FDisplay == EGL_NO_DISPLAY) {
    FDisplay = FEGL.GetDisplay(EGL_DEFAULT_DISPLAY);
    if (FDisplay == EGL_NO_DISPLAY || !FEGL.Initialize(FDisplay, &Major, &Minor)) {
      Error = "no EGL display";
      return false;
    }
    FDisplayKind = "default display";
  }
  if (!FEGL.BindAPI(EGL_OPENGL_API)) {
    Error = "EGL offers no desktop OpenGL";
    return false;
  }
  const EGLint Attributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                               EGL_NONE};
  EGLint Count = 0;
  if (!FEGL.ChooseConfig(FDisplay, Attributes, &FConfig, 1, &Count) || Count < 1) FConfig = nullptr;
  if (!FSurfaceless && !FConfig) {
    Error = "no EGL config with pbuffers";
    return false;
  }
  return true;
}
