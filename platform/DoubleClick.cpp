#include "platform/DoubleClick.h"

#include <cstdlib>

namespace platform {

bool TDoubleClickDetector::Press(const IWindow* Window, TMouseButton Button, TPoint Screen, uint64_t Time) {
  const bool isDouble = FWindow && FWindow == Window && FButton == Button && Time >= FWhen &&
                        Time - FWhen <= FTime && std::abs(Screen.X - FAt.X) <= FDistance &&
                        std::abs(Screen.Y - FAt.Y) <= FDistance;
  if (isDouble) {
    FWindow = nullptr;
  } else {
    FWindow = Window;
    FButton = Button;
    FAt = Screen;
    FWhen = Time;
  }
  return isDouble;
}

void TDoubleClickDetector::Forget(const IWindow* Window) {
  if (!Window || Window == FWindow) FWindow = nullptr;
}

}  // namespace platform
