#pragma once

// The 3D canvas contract.
//
// TscCanvas keeps everything that needs no device: the 22 render-state flags
// (SetState forwards only changes), the world, view and projection matrices,
// the frame's lights and ambient light, the current material and font, the
// texture cache, the two projections, pick rays, the memory bitmap a
// transparent canvas reads each frame back into, and the geometry of every
// draw (vertex colours with the opacity applied, cubes, meshes with the
// screen projection's pixel snapping, the size limits). A device sees only
// finished vertex and index arrays.
//
// A device implementation derives from TscCanvas and overrides:
//   HasDevice          true once the device exists; without one every call is
//                      accepted and does nothing, BeginScene returns false.
//   ApplyState         put one render state into force (its exclusions are
//                      already cleared from the flags). States 0 and 1 also
//                      mean "the world matrix is the identity again".
//   DeviceBeginScene   start a frame: lights from FrameLights() when
//                      Lighting(), ambient Ambient(), the fixed settings (alpha
//                      test >= 1 so alpha-0 pixels write neither colour nor
//                      depth; alpha blending on, and for a transparent or
//                      bitmap canvas the alpha channel blended ONE,
//                      INV_SRC_ALPHA). Returns false when no frame can be
//                      drawn now. The base then sets state 1.
//   DeviceEndScene     finish the frame: a window canvas shows it; a
//                      transparent canvas leaves it in MemoryBuffer() (or says
//                      through FrameWords where else it lies); a bitmap
//                      canvas in BoundBitmap()->Bits() (modified flag untouched).
//   DeviceClear        every pixel to the colour word, every depth to farthest.
//   DeviceCopyToBits   the frame as Width() x Height() words, rows top down.
//   DeviceCopyFromBits load Width() x Height() words into the frame.
//   DeviceResize       the size, quality or memory bitmap changed (also called
//                      at an unchanged size): rebuild what depends on them.
//   DeviceMatrixChanged  WorldMatrix() changed.
//   DeviceMaterialChanged  Material() changed; the base has already brought
//                      the texture up to date and set states 15-21 and 2/3;
//                      CurrentTexture() and TextureTransform() say what to bind.
//   MakeTexture / UploadTexture  a device texture of a bitmap and its refresh;
//                      the base keeps one per bitmap, uploads only while the
//                      bitmap is modified and drops it when the bitmap
//                      changes size or dies. Bitmap.ModifiedRows() names the
//                      rows that changed; refreshing those alone is enough.
//   DrawPrimitives     triangles or lines from the vertices given, with the
//                      states in force; the transform is
//                      WorldMatrix() * CurrentViewMatrix() * CurrentProjection().
//                      Texels of a Premultiplied() bitmap are weighted by their
//                      alpha already: such a texture is modulated by the vertex
//                      colour premultiplied, and its draws blend with source
//                      factor ONE where states 11 and 12 say source alpha.
//   FreeDevice         release every device object (called once, from
//                      BeforeDestruction, before the memory bitmap goes).
// A device may assume: calls come from one thread; ApplyState, DrawPrimitives,
// DeviceClear and DeviceMatrixChanged come only while HasDevice(); the
// projections give depth in [0, 1] (0.5005 for z = 0 under the screen
// projection), smaller is nearer, and the depth test is LESS-OR-EQUAL; colour
// words are ARGB with alpha in the top byte, used as they are. Pixel centres
// lie on whole screen coordinates: window pixel (x, y) is sampled at (x, y),
// so a quad from -0.5 to W - 0.5 covers pixels 0 ... W - 1 with texel centres
// on pixel centres (FillMesh snaps to that). A device whose rasteriser samples
// at (x + 0.5, y + 0.5) shifts its viewport by half a pixel.
//
// Canvases are components made on the heap (std::unique_ptr or an owner):
// teardown runs in BeforeDestruction. A device overriding it frees its own
// objects through FreeDevice and leaves the rest to the base.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/Persistent.h"
#include "scene3d/Bitmap.h"
#include "scene3d/Material.h"
#include "scene3d/MeshData.h"
#include "scene3d/Vectors.h"

class TscCamera;
class TscGlyphAtlas;
class TscLight;

enum TscQuality : uint8_t { scLowQuality, scHighQuality, scSuperHighQuality };
UX_ENUM(TscQuality, "scLowQuality", "scHighQuality", "scSuperHighQuality")

enum TscLightType : uint8_t { scLightDirectional, scLightPoint, scLightSpot };
UX_ENUM(TscLightType, "scLightDirectional", "scLightPoint", "scLightSpot")

enum TscProjection : uint8_t { scProjectionCamera, scProjectionScreen };

// The render-state list; the value is the state's number.
enum TscRenderState : uint8_t {
  scStateScreenProjection,  // 0: excludes 1
  scStateCameraProjection,  // 1: excludes 0
  scStateLightingOn,        // 2
  scStateLightingOff,       // 3
  scStateDepthTestOn,       // 4: LESS-OR-EQUAL
  scStateDepthTestOff,      // 5
  scStateDepthWriteOn,      // 6
  scStateDepthWriteOff,     // 7
  scStateCullCCW,           // 8: counter-clockwise faces (as seen) are not drawn
  scStateCullCW,            // 9
  scStateCullNone,          // 10
  scStateBlendAdditive,     // 11: src * srcA + dst
  scStateBlendAlpha,        // 12: src * srcA + dst * (1 - srcA)
  scStateFilterNearest,     // 13
  scStateFilterLinear,      // 14
  scStateTextureOff,        // 15: colour and alpha = vertex colour
  scStateTextureReplace,    // 16: colour and alpha = texel
  scStateTextureModulate,   // 17: texel * vertex colour
  scStateWireframe,         // 18
  scStateSolid,             // 19
  scStateShadeFlat,         // 20: the first vertex's colour for the triangle
  scStateShadeGouraud,      // 21
  scStateCount
};

// The states a state turns off when it goes into force.
uint32_t scStateExclusions(TscRenderState State);

// What every draw hands the device (36 bytes).
struct TscVertex {
  float X = 0, Y = 0, Z = 0;
  float NX = 0, NY = 0, NZ = 0;
  uint32_t Color = 0;
  float U = 0, V = 0;
};
static_assert(sizeof(TscVertex) == 36);

enum TscPrimitive : uint8_t { scTriangleList, scLineList };

// A light as the device needs it, taken from the light's absolute matrix.
struct TscLightInfo {
  TscLightType Type = scLightDirectional;
  TscVector Position;               // the matrix's fourth row
  TscVector Direction{0, 1, 0, 0};  // its second row: the way the light shines
};

// The texture matrix of a material: identity unless tiled or cut out.
struct TscTextureTransform {
  bool Enabled = false;
  float M11 = 1, M22 = 1, M31 = 0, M32 = 0;  // (u, v) -> (u*M11 + M31, v*M22 + M32)
};

// What a device keeps of a bitmap; destroying it releases the device side.
class TscDeviceTexture {
 public:
  virtual ~TscDeviceTexture() = default;
};

class TscCanvas : public TuiComponent {
  UX_CLASS(TscCanvas, TuiComponent)
 public:
  static constexpr int MaxVertices = 65535;
  static constexpr int MaxIndices = 131070;
  // Frames beyond this side are refused with "Can't allocate the DIB handle".
  static constexpr int MaxSide = 16384;

  // A window canvas: Window is the platform window it presents to (an X11
  // window id; 0 for none). With Transparency a memory bitmap of the frame
  // size receives every finished frame.
  TscCanvas(uintptr_t Window, int Width, int Height, bool Transparency, TscQuality Quality);
  // A canvas drawing into Bitmap, which keeps its size while the canvas lives.
  explicit TscCanvas(TscBitmap& Bitmap);
  // A canvas that never went through delete (on the stack) still leaves the
  // lists of the bitmaps it holds textures of; its device objects are the
  // device destructor's.
  ~TscCanvas() override;

  // ---- frame settings ----
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  uintptr_t Window() const { return FWindow; }
  TscBitmap* BoundBitmap() const { return FBoundBitmap; }
  bool Transparency() const { return FTransparency; }
  TscQuality Quality() const { return FQuality; }
  void SetQuality(TscQuality Value);
  bool Lighting() const { return FLighting; }
  void SetLighting(bool Value) { FLighting = Value; }
  uint32_t Ambient() const { return FAmbient; }
  void SetAmbient(uint32_t Value) { FAmbient = Value; }
  // Assigning to it (Material()->Assign(...)) ends in MaterialChanged.
  TscMaterial* Material() const { return FMaterial.get(); }
  TscFont* Font() const { return FFont.get(); }
  // Sizes below 1 become 1; a transparent canvas re-makes its memory bitmap.
  // The device is told even at an unchanged size.
  void ResizeBuffer(int Width, int Height);

  // ---- one frame ----
  // Clears the state flags, view and world matrices, lights, and the
  // material's colours and Bitmap (quietly). The camera stays.
  void ResetCanvas();
  bool BeginScene();
  void EndScene();
  void Clear(uint32_t Color);
  void SetState(TscRenderState State);
  bool StateSet(TscRenderState State) const { return (FStates >> State) & 1u; }
  void SetMatrix(const TscMatrix& Matrix);
  const TscMatrix& WorldMatrix() const { return FWorld; }
  // Builds the view matrix from the camera's absolute matrix and target.
  void SetCamera(TscCamera* Camera);
  TscCamera* Camera() const { return FCamera; }
  void AddLight(TscLight* Light);
  const std::vector<TscLight*>& Lights() const { return FLights; }
  // Applies Material() to the following draws; the material's OnChanged
  // calls it.
  void MaterialChanged();

  // ---- draws; each colours its vertices with the diffuse colour, alpha
  // scaled by Opacity (trunc) when below 1 ----
  void DrawLine(const TscVector& From, const TscVector& To, float Opacity);
  void DrawCube(const TscVector& Center, const TscVector& Size, float Opacity);
  void FillCube(const TscVector& Center, const TscVector& Size, float Opacity);
  // Nothing for an empty mesh or one beyond MaxVertices / MaxIndices. Under
  // the screen projection X and Y land on trunc(value) - 0.5.
  void FillMesh(const TscVector& Center, const TscVector& Size, float Opacity, const TscMeshData& Mesh);
  void FillVertices(std::span<const TscVertex> Vertices, std::span<const uint16_t> Indices);
  // One line of text in Font(), from the top left (X, Y).
  void FillText(std::string_view Text, float Opacity, float Y, float X);
  // Width and height of a line of text; (0, 0) for an empty text.
  TscVector MeasureText(std::string_view Text);

  // ---- read-back ----
  // Width() x Height() words of the current frame, rows top down.
  void CopyToBits(uint32_t* Pixels);
  void CopyFromBits(const uint32_t* Pixels);
  // The frame a transparent window canvas finished last (all 0 before the
  // first); none otherwise. Valid until the next frame, resize or texture
  // change: a device may show a texture's own words as the frame rather than
  // a copy of them.
  const uint32_t* MemoryBits() const { return FrameWords(); }
  // The part of the last finished frame that differs from the frame before,
  // when the device keeps track of it; false means "assume all of it". The
  // scene then pushes only that part to the window.
  virtual bool FrameChangedRect(int& /*Left*/, int& /*Top*/, int& /*Width*/, int& /*Height*/) const {
    return false;
  }

  // ---- projections and picking ----
  // Perspective, field of view pi/4, aspect Width/Height, near 1, far 1000.
  TscMatrix GetProjectionMatrix() const;
  // Pixel-exact: (x, y, 0) lands on window pixel (x, y), y downwards.
  TscMatrix GetScreenMatrix() const;
  // The projection, view and world of the state in force.
  TscMatrix CurrentProjection() const;
  TscMatrix CurrentViewMatrix() const;
  const TscMatrix& ViewMatrix() const { return FView; }
  const TscMatrix& InverseViewMatrix() const { return FInverseView; }
  void GetPickRay(TscProjection Projection, float X, float Y, TscVector& RayPos, TscVector& RayDir) const;

  // ---- texture cache ----
  // Makes or refreshes Bitmap's texture; an empty bitmap only loses its
  // modified flag.
  void UpdateTexture(TscBitmap* Bitmap);
  // Drops Bitmap's texture and leaves its canvas list.
  void RemoveTexture(TscBitmap* Bitmap);
  TscDeviceTexture* FindTexture(const TscBitmap* Bitmap) const;
  int TextureCount() const { return int(FTextures.size()); }

  // The texture and texture matrix of the material last applied.
  TscBitmap* CurrentTexture() const { return FCurrentTexture; }
  const TscTextureTransform& TextureTransform() const { return FTextureTransform; }
  // The registered lights, read at the start of a frame.
  std::vector<TscLightInfo> FrameLights() const;

  void Notification(TuiComponent* Component, TuiOperation Operation) override;

  // The process-wide default canvas class, chosen at start-up.
  struct TMaker {
    std::string Name;
    std::function<std::unique_ptr<TscCanvas>(uintptr_t Window, int Width, int Height, bool Transparency,
                                             TscQuality Quality)>
        MakeWindowCanvas;
    std::function<std::unique_ptr<TscCanvas>(TscBitmap& Bitmap)> MakeBitmapCanvas;
  };
  static TMaker DefaultCanvasClass;

  static void DefineProperties(TuiClassBuilder<TscCanvas>&) {}

 protected:
  virtual bool HasDevice() const = 0;
  virtual void ApplyState(TscRenderState State) = 0;
  virtual bool DeviceBeginScene() = 0;
  virtual void DeviceEndScene() = 0;
  virtual void DeviceClear(uint32_t Color) = 0;
  virtual void DeviceCopyToBits(uint32_t* Pixels) = 0;
  virtual void DeviceCopyFromBits(const uint32_t* Pixels) = 0;
  virtual void DeviceResize() = 0;
  virtual void DeviceMatrixChanged() = 0;
  virtual void DeviceMaterialChanged() = 0;
  // None when the device cannot make one: the material is then drawn
  // untextured.
  virtual std::unique_ptr<TscDeviceTexture> MakeTexture(TscBitmap& Bitmap) = 0;
  virtual void UploadTexture(TscBitmap& Bitmap, TscDeviceTexture& Texture) = 0;
  virtual void DrawPrimitives(TscPrimitive Kind, std::span<const TscVertex> Vertices,
                              std::span<const uint16_t> Indices) = 0;
  virtual void FreeDevice() = 0;

  // Drops every texture, frees the device and the memory bitmap; then the
  // component's part.
  void BeforeDestruction() override;

  // The diffuse colour with its alpha scaled by Opacity.
  uint32_t VertexColor(float Opacity) const;

  // Whether this is a transparent window canvas, whose frame the device
  // leaves in memory for the scene to push.
  bool HasMemoryFrame() const { return FTransparency && !FBoundBitmap; }
  // The memory a transparent window canvas's frame is read back or drawn
  // into: made (all 0) on first use, so that a device which shows a texture
  // as the frame never pays for it. Only the device writes it; it keeps
  // what was written until ReleaseMemoryBuffer or a resize. None for other
  // canvases. Raises EuxError with "Can't allocate the DIB handle" when the
  // memory cannot be had.
  uint32_t* MemoryBuffer() const;
  void ReleaseMemoryBuffer() { FMemoryBits.reset(); }
  // What MemoryBits() returns: the memory buffer unless the device says
  // otherwise.
  virtual const uint32_t* FrameWords() const { return MemoryBuffer(); }

 private:
  void ResetMatrices();

  int FWidth = 0;
  int FHeight = 0;
  uintptr_t FWindow = 0;
  TscBitmap* FBoundBitmap = nullptr;
  bool FTransparency = false;
  TscQuality FQuality = scLowQuality;
  bool FLighting = false;
  uint32_t FAmbient = 0;
  std::unique_ptr<TscMaterial> FMaterial;
  std::unique_ptr<TscFont> FFont;
  mutable std::unique_ptr<uint32_t[]> FMemoryBits;
  uint32_t FStates = 0;
  TscCamera* FCamera = nullptr;
  TscMatrix FView, FInverseView, FWorld;
  std::vector<TscLight*> FLights;
  std::vector<TscBitmap*> FTextureBitmaps;  // parallel to FTextures
  std::vector<std::unique_ptr<TscDeviceTexture>> FTextures;
  TscBitmap* FCurrentTexture = nullptr;
  TscTextureTransform FTextureTransform;
  // One glyph atlas per font used, for the canvas's life.
  std::vector<std::unique_ptr<TscGlyphAtlas>> FFonts;
  TscGlyphAtlas* FindFont(std::string_view Text);
};
