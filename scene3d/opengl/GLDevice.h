#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TscGLLibrary;

// One vertex as every draw streams it: position, normal, ARGB colour word,
// texture coordinates; 36 bytes.
struct TscGLVertex {
  float X, Y, Z;
  float NX, NY, NZ;
  uint32_t Color;
  float U, V;
};
static_assert(sizeof(TscGLVertex) == 36);

enum TscGLPrimitive : uint8_t { glLines, glTriangles };
enum TscGLTexMode : uint8_t { glTexNone, glTexReplace, glTexModulate };
enum TscGLCull : uint8_t { glCullCounterClockwise, glCullClockwise, glCullNone };
enum TscGLLightKind : uint8_t { glLightDirectional, glLightPoint, glLightSpot };

struct TscGLLight {
  TscGLLightKind Kind = glLightDirectional;
  float Position[3] = {0, 0, 0};
  float Direction[3] = {0, 1, 0};
};

// An OpenGL 3.3 core context rendering into framebuffer objects of its own:
// no window, no surface. It keeps the fixed-function subset the 3D canvas
// needs (transforms, per-vertex lighting, one texture stage, alpha test) in
// one shader program, and streams all geometry through one vertex buffer
// and one index buffer used as rings. Matrices are 4 x 4 floats in rows for
// row vectors (v' = v M), with the depth range 0 ... 1 of the projections the
// canvas computes; pixel centres lie on whole coordinates. Frames are kept
// upside down in the framebuffer so that rows read back top-down as they are.
//
// Every operation makes the context current first; several devices can live
// side by side on one thread.
class TscGLDevice {
 public:
  static constexpr uint32_t MaxVertices = 65535;
  static constexpr uint32_t MaxIndices = 131070;

  // A device of the given frame size and sample count (0 or 1 for none); none
  // when the library is missing or the driver refuses (Error says why).
  static std::unique_ptr<TscGLDevice> Create(int32_t Width, int32_t Height, int32_t Samples,
                                             std::string& Error);
  ~TscGLDevice();

  const std::string& Renderer() const { return FRenderer; }
  // Largest sample count of a colour buffer; 0 without multisampling.
  int32_t MaxSamples() const { return FMaxSamples; }
  int32_t Samples() const { return FSamples; }
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // New framebuffers; false (and no frame until a resize succeeds) when the
  // driver refuses. Textures and buffers survive.
  bool Resize(int32_t Width, int32_t Height, int32_t Samples);

  // ---- frame ----
  // Binds the frame and puts the fixed settings in force; SeparateAlpha blends
  // alpha as ONE / INVSRCALPHA, which keeps a transparent frame premultiplied.
  bool BeginFrame(bool SeparateAlpha);
  void Clear(uint32_t Color);
  // Resolves a multisampled frame and reads it as Width x Height premultiplied
  // ARGB words, rows top-down; false leaves Pixels as they were.
  bool ReadPixels(uint32_t* Pixels);
  // Replaces the frame's colours with Width x Height words, rows top-down,
  // and its depths with the farthest.
  void LoadPixels(const uint32_t* Pixels);

  // ---- state ----
  void SetProjection(const float* M);
  void SetView(const float* M);
  void SetWorld(const float* M);
  void SetLighting(bool On);
  void SetAmbient(uint32_t Color);
  void SetLights(const TscGLLight* Lights, int32_t Count);
  void SetMaterial(uint32_t Diffuse, uint32_t Ambient);
  void SetDepthTest(bool On);
  void SetDepthWrite(bool On);
  void SetCull(TscGLCull Cull);
  void SetAdditiveBlend(bool Additive);
  // Whether the texture's words are premultiplied: a textured draw then takes
  // the vertex colour premultiplied and blends the source with factor ONE.
  void SetTexturePremultiplied(bool On);
  void SetLinearFilter(bool Linear);
  void SetTexMode(TscGLTexMode Mode);
  void SetWireframe(bool On);
  void SetFlatShading(bool On);
  // The texture of the following textured draws; 0 for none. The transform
  // scales and then offsets U and V.
  void SetTexture(uint32_t Texture);
  void SetTexTransform(float ScaleU, float ScaleV, float OffsetU, float OffsetV);

  // ---- geometry ----
  // Appends the vertices and indices to the rings and draws them; indices count
  // from the draw's first vertex. False when the arrays exceed the rings or a
  // buffer cannot be mapped.
  // Vertices are 36-byte records laid out as TscGLVertex.
  bool Draw(TscGLPrimitive Kind, const void* Vertices, uint32_t VertexCount, const uint16_t* Indices,
            uint32_t IndexCount);

  // ---- textures ----
  uint32_t CreateTexture(int32_t Width, int32_t Height);
  // Replaces Rows rows from FirstRow on with rows of Width words.
  void UploadRows(uint32_t Texture, int32_t Width, int32_t FirstRow, int32_t Rows, const uint32_t* Pixels);
  void DeleteTexture(uint32_t Texture);

  // Write positions of the rings, in vertices and indices.
  uint32_t VertexPosition() const { return FVertexPos; }
  uint32_t IndexPosition() const { return FIndexPos; }

 private:
  TscGLDevice() = default;
  bool Init(int32_t Width, int32_t Height, int32_t Samples, std::string& Error);
  bool BuildProgram(std::string& Error);
  bool BuildFramebuffers();
  void FreeFramebuffers();
  void MakeCurrent();
  void FlushUniforms();
  void UploadPixelShift();
  void ApplyBlend();

  TscGLLibrary* FLibrary = nullptr;
  void* FContext = nullptr;
  void* FSurface = nullptr;
  std::string FRenderer;
  int32_t FWidth = 0, FHeight = 0, FSamples = 0, FMaxSamples = 0;
  bool FFramebufferOK = false;
  uint32_t FFrame = 0, FFrameColor = 0, FFrameDepth = 0;  // the read target
  uint32_t FMultisample = 0, FMsColor = 0, FMsDepth = 0;  // drawn into when multisampled
  uint32_t FProgram = 0, FVertexArray = 0, FVertexBuffer = 0, FIndexBuffer = 0;
  uint32_t FNearest = 0, FLinear = 0;
  uint32_t FVertexPos = 0, FIndexPos = 0;
  bool FSeparateAlpha = false, FAdditive = false, FWireframe = false, FLineBias = false;
  bool FBlendPremultiplied = false;  // the blend in force takes the source as premultiplied

  struct TUniforms {
    float Projection[16], View[16], World[16], Normal[16];
    float Ambient[4] = {0, 0, 0, 0}, Diffuse[4] = {0, 0, 0, 0}, MatAmbient[4] = {0, 0, 0, 0};
    float TexTransform[4] = {1, 1, 0, 0};
    TscGLLight Lights[8];
    int32_t LightCount = 0;
    int32_t TexMode = 0;
    bool Lighting = false, Flat = false, Premultiplied = false;
  } FU;
  bool FDirty = true;
  struct TLocations {
    int32_t Projection, View, World, Normal, Pixel, Lighting, Ambient, Diffuse, MatAmbient, LightCount,
        LightKind, LightPos, LightDir, TexTransform, TexMode, Flat, Texture, Premultiplied;
  } FLoc{};
};
