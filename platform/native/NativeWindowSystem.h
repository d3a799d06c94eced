#pragma once

#include <memory>
#include <string>

#include "platform/WindowSystemBase.h"

// The window system of the machine a program runs on: X11 on Linux, Win32 on
// Windows. The one place where a program's default is chosen; a program that
// runs without a display makes a THeadlessWindowSystem itself.
namespace platform {

// DisplayName names the X display (null: the one DISPLAY names); Windows has
// one desktop and takes none. Null when it cannot be opened, with Error
// saying why in one line fit for the user.
std::unique_ptr<TWindowSystemBase> OpenNativeWindowSystem(const char* DisplayName, std::string& Error);

}  // namespace platform
