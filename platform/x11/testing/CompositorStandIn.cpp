#include "platform/x11/testing/CompositorStandIn.h"

#include <X11/Xlib.h>

namespace platform {

std::unique_ptr<TCompositorStandIn> TCompositorStandIn::Start(const std::string& DisplayName) {
  Display* d = XOpenDisplay(DisplayName.c_str());
  if (!d) return nullptr;
  const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(d));
  const Atom selection = XInternAtom(d, name.c_str(), False);
  if (XGetSelectionOwner(d, selection) != None) {
    XCloseDisplay(d);
    return nullptr;
  }
  const Window owner = XCreateSimpleWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, 0, 0);
  XSetSelectionOwner(d, selection, owner, CurrentTime);
  XSync(d, False);
  return std::unique_ptr<TCompositorStandIn>(new TCompositorStandIn(d, owner));
}

TCompositorStandIn::~TCompositorStandIn() {
  // The ownership goes with the owner window, as when a real manager exits.
  XDestroyWindow(FDisplay, FOwner);
  XCloseDisplay(FDisplay);
}

}  // namespace platform
