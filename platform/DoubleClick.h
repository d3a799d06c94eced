#pragma once

#include <cstdint>

#include "platform/Window.h"

// Turns presses into double clicks: the second press of the same button in the
// same window, soon enough and near enough to the first, is a double click; the
// press after a double click starts over, so a triple click is a double click
// and a single press.
namespace platform {

class TDoubleClickDetector {
 public:
  TDoubleClickDetector(uint32_t Time, int Distance) : FTime(Time), FDistance(Distance) {}

  // Time in milliseconds, Screen the pointer on the screen; true when this
  // press completes a double click.
  bool Press(const IWindow* Window, TMouseButton Button, TPoint Screen, uint64_t Time);
  // Forgets the last press when it went to Window (being freed), or any.
  void Forget(const IWindow* Window = nullptr);

 private:
  uint32_t FTime;
  int FDistance;
  const IWindow* FWindow = nullptr;  // of the press that may start a double click
  TMouseButton FButton = plMouseLeft;
  TPoint FAt;
  uint64_t FWhen = 0;
};

}  // namespace platform
