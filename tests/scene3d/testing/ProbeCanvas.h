#pragma once

#include <vector>

#include "scene3d/Canvas.h"

// A canvas whose device only records what reaches it, for the rules the
// contract's base keeps on its own. Device-less when made with Device false.
class TProbeCanvas : public TscCanvas {
 public:
  TProbeCanvas(int Width, int Height, bool Device = true)
      : TscCanvas(0, Width, Height, true, scLowQuality), FDevice(Device) {}

  std::vector<TscRenderState> Applied;
  std::vector<TscVertex> LastVertices;
  int Draws = 0;

 protected:
  bool HasDevice() const override { return FDevice; }
  void ApplyState(TscRenderState State) override { Applied.push_back(State); }
  bool DeviceBeginScene() override { return true; }
  void DeviceEndScene() override {}
  void DeviceClear(uint32_t) override {}
  void DeviceCopyToBits(uint32_t*) override {}
  void DeviceCopyFromBits(const uint32_t*) override {}
  void DeviceResize() override {}
  void DeviceMatrixChanged() override {}
  void DeviceMaterialChanged() override {}
  std::unique_ptr<TscDeviceTexture> MakeTexture(TscBitmap&) override {
    return std::make_unique<TscDeviceTexture>();
  }
  void UploadTexture(TscBitmap&, TscDeviceTexture&) override {}
  void DrawPrimitives(TscPrimitive, std::span<const TscVertex> Vertices, std::span<const uint16_t>) override {
    LastVertices.assign(Vertices.begin(), Vertices.end());
    ++Draws;
  }
  void FreeDevice() override {}

 private:
  bool FDevice;
};
