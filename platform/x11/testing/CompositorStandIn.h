#pragma once

#include <memory>
#include <string>

struct _XDisplay;

// Stands in for a compositing manager in tests: on a connection of its own it
// owns the screen's compositing selection (_NET_WM_CM_S0) while it lives, which
// is all a client can see of a real one.
namespace platform {

class TCompositorStandIn {
 public:
  // Null when the display cannot be opened or another client owns the
  // selection already.
  static std::unique_ptr<TCompositorStandIn> Start(const std::string& DisplayName);
  ~TCompositorStandIn();
  TCompositorStandIn(const TCompositorStandIn&) = delete;
  TCompositorStandIn& operator=(const TCompositorStandIn&) = delete;

 private:
  TCompositorStandIn(_XDisplay* Display, unsigned long Owner) : FDisplay(Display), FOwner(Owner) {}
  _XDisplay* FDisplay;
  unsigned long FOwner;
};

}  // namespace platform
