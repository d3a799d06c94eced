#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene3d/Canvas.h"
#include "scene3d/software/SoftwareCanvas.h"

// Every device the contract tests run on. The software device is always
// there; a device that cannot start on this machine (no display, no GL)
// leaves itself out of the list rather than failing.
struct TscTestDevice {
  std::string Name;
  std::function<std::unique_ptr<TscCanvas>(int Width, int Height, bool Transparency)> MakeWindowCanvas;
  std::function<std::unique_ptr<TscCanvas>(TscBitmap& Bitmap)> MakeBitmapCanvas;
};

inline std::vector<TscTestDevice> TestDevices() {
  std::vector<TscTestDevice> devices;
  devices.push_back({"Software",
                     [](int W, int H, bool T) { return TscSoftwareCanvas::Create(0, W, H, T, scLowQuality); },
                     [](TscBitmap& B) { return TscSoftwareCanvas::CreateFromBitmap(B); }});
  // The OpenGL device adds its factory here.
  return devices;
}

inline std::string DeviceName(const testing::TestParamInfo<TscTestDevice>& Info) {
  return Info.param.Name;
}
