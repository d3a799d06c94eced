#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <cstdio>
#include "scene3d/Canvas.h"

#include "scene3d/opengl/GLLibrary.h"
#include "scene3d/opengl/OpenGLCanvas.h"
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
  if (TscGLLibrary::Open()) {
    devices.push_back(
        {"OpenGL",
         [](int W, int H, bool T) -> std::unique_ptr<TscCanvas> {
           return std::make_unique<TscOpenGLCanvas>(0, W, H, T, scLowQuality);
         },
         [](TscBitmap& B) -> std::unique_ptr<TscCanvas> { return std::make_unique<TscOpenGLCanvas>(B); }});
  } else {
    static const bool Told =
        (std::fprintf(stderr, "OpenGL device left out: no OpenGL through EGL here (%s)\n",
                      TscGLLibrary::LoadError().c_str()),
         true);
    (void)Told;
  }
  return devices;
}

inline std::string DeviceName(const testing::TestParamInfo<TscTestDevice>& Info) {
  return Info.param.Name;
}
