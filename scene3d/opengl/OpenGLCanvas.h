#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "scene3d/Canvas.h"
#include "scene3d/opengl/DeviceChoice.h"

class TscGLDevice;

// The 3D canvas on OpenGL through EGL, offscreen: no window or surface is
// needed, every frame lives in framebuffer objects and is read back for the
// window (a transparent canvas into its memory bitmap, a bitmap canvas into
// its bitmap). OpenGL is loaded at run time; when it is missing or refuses a
// context, the canvas exists without a device: it accepts every call, draws
// nothing, BeginScene returns false, and DeviceError says why.
//
// High quality renders with 2 samples, super-high with 4 (2 when the driver
// offers no more), resolved before the read-back; a bitmap canvas never
// multisamples.
class TscOpenGLCanvas : public TscCanvas {
  UX_CLASS(TscOpenGLCanvas, TscCanvas)
 public:
  TscOpenGLCanvas(uintptr_t Window, int Width, int Height, bool Transparency, TscQuality Quality);
  explicit TscOpenGLCanvas(TscBitmap& Bitmap);
  // Releases memory only; the device went in BeforeDestruction (FreeDevice).
  ~TscOpenGLCanvas() override;

  // Why the canvas has no device; empty when it has one.
  const std::string& DeviceError() const { return FDeviceError; }
  // The GL renderer drawing for it ("llvmpipe (LLVM 15.0.6, 256 bits)").
  std::string Renderer() const;
  // Samples per pixel of the frame; 0 without multisampling.
  int Samples() const;
  // Write positions of the vertex and index rings.
  uint32_t VertexPosition() const;
  uint32_t IndexPosition() const;

  // The class that makes OpenGL canvases, for TscCanvas::DefaultCanvasClass.
  static TscCanvas::TMaker CanvasClass();

  static void DefineProperties(TuiClassBuilder<TscOpenGLCanvas>&) {}

 protected:
  bool HasDevice() const override;
  void ApplyState(TscRenderState State) override;
  bool DeviceBeginScene() override;
  void DeviceEndScene() override;
  void DeviceClear(uint32_t Color) override;
  void DeviceCopyToBits(uint32_t* Pixels) override;
  void DeviceCopyFromBits(const uint32_t* Pixels) override;
  void DeviceResize() override;
  void DeviceMatrixChanged() override;
  void DeviceMaterialChanged() override;
  std::unique_ptr<TscDeviceTexture> MakeTexture(TscBitmap& Bitmap) override;
  void UploadTexture(TscBitmap& Bitmap, TscDeviceTexture& Texture) override;
  void DrawPrimitives(TscPrimitive Kind, std::span<const TscVertex> Vertices,
                      std::span<const uint16_t> Indices) override;
  void FreeDevice() override;

 private:
  void CreateDevice();
  int WantedSamples() const;
  // Builds the function that puts state N into force; the projections are
  // taken at recording time, so a resize records 0 and 1 again.
  void RecordState(TscRenderState State);

  std::unique_ptr<TscGLDevice> FDevice;
  std::string FDeviceError;
  std::array<std::function<void()>, scStateCount> FStates;
};

// Installs the OpenGL canvas as the default 3D canvas class.
void RegisterOpenGLCanvas();
// Makes the chosen device the default 3D canvas class; the software device
// is the default already, so only an OpenGL choice changes anything.
void scInstallDevice(const TscDeviceChoice& Choice);
