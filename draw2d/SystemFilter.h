#pragma once

#include <string>

class TuiFilterRegistry;

// Registers the image filter of the system the library is built for and
// returns its class name, which becomes the default; an empty name when the
// system has none. Defined once per system (draw2d/os/posix: libpng and
// libjpeg; draw2d/os/win32: GDI+); CMake picks the folder.
std::string uxRegisterSystemFilter(TuiFilterRegistry& Registry);
