#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "scene3d/Canvas.h"

// The canvas on a rasteriser of our own, for the fixed-function subset the
// scene host uses: transform, per-vertex lighting, a depth buffer, culling,
// alpha test, the two blends, point and linear sampling, wireframe. It always
// has a device. A transparent window canvas renders straight into the memory
// bitmap, so its frame needs no read-back.
//
// A screen-aligned textured quad whose texels fall one to one on pixels (the
// GUI layer's frame) is blended row by row without per-pixel interpolation;
// it gives the same pixels as the general path. When that quad is a
// premultiplied texture over a clear of 0 and covers the frame exactly, the
// texture's words are the frame and are shown as they are.
class TscSoftwareCanvas : public TscCanvas {
  UX_CLASS(TscSoftwareCanvas, TscCanvas)
 public:
  TscSoftwareCanvas(uintptr_t Window, int Width, int Height, bool Transparency, TscQuality Quality);
  explicit TscSoftwareCanvas(TscBitmap& Bitmap);

  static std::unique_ptr<TscCanvas> Create(uintptr_t Window, int Width, int Height, bool Transparency,
                                           TscQuality Quality);
  static std::unique_ptr<TscCanvas> CreateFromBitmap(TscBitmap& Bitmap);
  // Makes the software canvas the default canvas class.
  static void Register();

  // How many draws took the straight-blend path, and a switch to keep every
  // draw on the general path, so that tests and benchmarks can compare both.
  int FastDraws() const { return FFastDraws; }
  void SetStraightBlendEnabled(bool Value) { FStraightBlend = Value; }

 protected:
  bool HasDevice() const override { return true; }
  void ApplyState(TscRenderState State) override;
  bool DeviceBeginScene() override;
  void DeviceEndScene() override;
  void DeviceClear(uint32_t Color) override;
  void DeviceCopyToBits(uint32_t* Pixels) override;
  void DeviceCopyFromBits(const uint32_t* Pixels) override;
  void DeviceResize() override;
  void DeviceMatrixChanged() override {}
  void DeviceMaterialChanged() override {}
  std::unique_ptr<TscDeviceTexture> MakeTexture(TscBitmap& Bitmap) override;
  void UploadTexture(TscBitmap& Bitmap, TscDeviceTexture& Texture) override;
  void DrawPrimitives(TscPrimitive Kind, std::span<const TscVertex> Vertices,
                      std::span<const uint16_t> Indices) override;
  void FreeDevice() override;

 private:
  struct TScreenVertex;
  struct TSampler;
  struct TStraightRun;
  // Before every draw that writes into the frame other than QuadOverClear:
  // carries out a clear that is still pending, and when the draw tests or
  // writes depths (NeedDepth) makes the depth buffer and fills in deferred
  // depths.
  void Settle(bool NeedDepth);
  // Only the pending clear: before the frame's words are read.
  void SettleFrame();
  // The depth buffer, made on first need: the usual frame (one layer quad
  // over a clear) never reads it.
  void EnsureDepth();
  void Allocate();
  // The frame, for writing: a frame that was a texture shown as it is must
  // have been copied in first (Settle does).
  uint32_t* Target() { return FDirect ? MemoryBuffer() : FColor.data(); }
  // The frame, for reading.
  const uint32_t* Frame() {
    const uint32_t* shown = Shown();
    return shown ? shown : Target();
  }
  const uint32_t* FrameWords() const override;
  // The words of the texture shown as the frame; none when no texture is,
  // or when it has gone since.
  const uint32_t* Shown() const;
  // Makes the frame shown from a texture a frame of its own, before a draw
  // writes into it.
  void StopShowing();
  void ShadeVertex(const TscVertex& In, const TscMatrix& Transform, TScreenVertex& Out) const;
  uint32_t LightVertex(const TscVertex& In) const;
  void DrawTriangle(const TScreenVertex& A, const TScreenVertex& B, const TScreenVertex& C,
                    const TSampler& Sampler);
  void DrawLine(const TScreenVertex& A, const TScreenVertex& B, const TSampler& Sampler);
  // Premultiplied: Color is, and blends as such.
  void Plot(int X, int Y, float Depth, uint32_t Color, bool Premultiplied);
  bool TryStraightQuad(std::span<const TScreenVertex> V, std::span<const uint16_t> Indices,
                       const TSampler& Sampler);
  // The whole frame as Bitmap (texel x + OX, y + OY on pixel x, y), its
  // texels multiplied by Vertex, blended over the pending clear.
  void QuadOverClear(TscBitmap& Bitmap, int OX, int OY, float Z, uint32_t Vertex, bool Premultiplied);

  // What the frame holds after a frame that was one QuadOverClear and nothing
  // else: the texture (by serial), where it lay and the colours it was
  // blended with, and how.
  struct TQuadKey {
    uint64_t Texture = 0;
    int OX = 0, OY = 0;
    uint32_t Vertex = 0, Clear = 0;
    bool Premultiplied = false;
    bool operator==(const TQuadKey&) const = default;
  };

  std::vector<uint32_t> FColor;  // the frame when it does not live in the memory bitmap
  // A transparent window canvas whose frame is one premultiplied texture
  // laid one to one over a clear of 0 shows the texture's own words: they
  // are the frame exactly, and neither a copy nor the memory buffer is
  // needed. The bitmap is only compared until its texture, known by its
  // serial, is found still in the cache: a texture goes before its bitmap.
  const TscBitmap* FShownBitmap = nullptr;
  uint64_t FShownSerial = 0;
  std::vector<float> FDepth;  // empty until a draw needs depths; see FDepthDeferred
  bool FAllocated = false;    // the frame exists (from Allocate until FreeDevice)
  bool FDirect = false;
  // While true the frame holds exactly what QuadOverClear with FQuadKey left,
  // so the next one need only blend the rows its texture marked. Anything
  // else that writes into the frame clears it.
  bool FQuadHeld = false;
  TQuadKey FQuadKey;
  uint64_t FTextureSerial = 0;
  std::vector<TscLightInfo> FFrameLights;
  int FFastDraws = 0;
  bool FStraightBlend = true;
  bool FClearPending = false;
  uint32_t FClearColor = 0;
  // Depths a draw left to be filled in when something reads them. Without a
  // depth buffer this is never scDepthNone.
  enum TDepthDeferred : uint8_t { scDepthNone, scDepthFar, scDepthFromAlpha } FDepthDeferred = scDepthFar;
  float FDeferredZ = 1;
  // States in force.
  bool FLit = false, FDepthTest = true, FDepthWrite = true, FAdditive = false, FLinear = true;
  bool FWire = false, FFlat = false;
  uint8_t FCull = 0;     // 0 CCW, 1 CW, 2 none
  uint8_t FTexMode = 0;  // 0 off, 1 replace, 2 modulate
};
