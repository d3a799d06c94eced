#include "platform/Clipboard.h"

namespace platform {

namespace {

IClipboard*& Installed() {
  static IClipboard* installed = nullptr;
  return installed;
}

}  // namespace

IClipboard& Clipboard() {
  static TMemoryClipboard memory;
  IClipboard* installed = Installed();
  return installed ? *installed : memory;
}

void SetClipboard(IClipboard* Value) {
  Installed() = Value;
}

}  // namespace platform
