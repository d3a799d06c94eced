#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "platform/x11/X11WindowSystem.h"

// The atoms the layer uses, interned once per connection (internal).
namespace platform {

struct TX11WindowSystem::TAtoms {
  explicit TAtoms(Display* D);
  Atom WmProtocols, WmDeleteWindow, MotifWmHints, NetWmState, NetWmStateAbove, NetWmName, NetWmPid,
      NetActiveWindow, NetWorkarea, NetCurrentDesktop, NetSupportingWmCheck, Utf8String, Clipboard, Targets,
      Text, Incr, Transfer, CompositorSelection, NetRestackWindow;
};

// X errors seen so far on any connection; the layer's handler counts them
// instead of ending the process, so a request can be checked after XSync.
uint64_t X11ErrorCount();

}  // namespace platform
