#pragma once

// <windows.h> for the files that also meet the window layer's interface. Its
// macros CreateWindow and PostMessage would rename IWindowSystem::CreateWindow
// and IWindow::PostMessage in those files only; the layer calls the W
// functions by their own names instead. min and max stay std's.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CreateWindow
#undef PostMessage
