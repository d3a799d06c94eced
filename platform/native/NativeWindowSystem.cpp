#include "platform/native/NativeWindowSystem.h"

#ifdef _WIN32
#include "platform/win32/Win32WindowSystem.h"
#else
#include "platform/x11/X11WindowSystem.h"
#endif

namespace platform {

std::unique_ptr<TWindowSystemBase> OpenNativeWindowSystem(const char* DisplayName, std::string& Error) {
#ifdef _WIN32
  if (DisplayName) {
    Error = std::string("cannot open display ") + DisplayName + "; Windows has no displays to choose from";
    return nullptr;
  }
  return TWin32WindowSystem::Open(Error);
#else
  return TX11WindowSystem::Open(DisplayName, Error);
#endif
}

}  // namespace platform
