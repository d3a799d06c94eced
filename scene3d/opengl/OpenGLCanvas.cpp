#include "scene3d/opengl/OpenGLCanvas.h"

#include <cstddef>

#include "scene3d/opengl/GLDevice.h"

UX_IMPLEMENT_CLASS(TscOpenGLCanvas)

static_assert(offsetof(TscVertex, Color) == offsetof(TscGLVertex, Color) &&
              offsetof(TscVertex, U) == offsetof(TscGLVertex, U) && sizeof(TscVertex) == sizeof(TscGLVertex));

namespace {

class TGLTexture : public TscDeviceTexture {
 public:
  TGLTexture(TscGLDevice& Device, uint32_t Name) : FDevice(Device), FName(Name) {}
  ~TGLTexture() override { FDevice.DeleteTexture(FName); }
  uint32_t Name() const { return FName; }

 private:
  TscGLDevice& FDevice;
  uint32_t FName;
};

}  // namespace

TscOpenGLCanvas::TscOpenGLCanvas(uintptr_t Window, int Width, int Height, bool Transparency,
                                 TscQuality Quality)
    : TscCanvas(Window, Width, Height, Transparency, Quality) {
  CreateDevice();
}

TscOpenGLCanvas::TscOpenGLCanvas(TscBitmap& Bitmap) : TscCanvas(Bitmap) {
  CreateDevice();
}

TscOpenGLCanvas::~TscOpenGLCanvas() = default;

void TscOpenGLCanvas::CreateDevice() {
  FDevice = TscGLDevice::Create(Width(), Height(), 0, FDeviceError);
  if (!FDevice) return;
  if (WantedSamples()) FDevice->Resize(Width(), Height(), WantedSamples());
  for (int N = 0; N < scStateCount; ++N) RecordState(TscRenderState(N));
}

int TscOpenGLCanvas::WantedSamples() const {
  if (!FDevice || BoundBitmap()) return 0;
  const int Max = FDevice->MaxSamples();
  if (Quality() == scSuperHighQuality && Max >= 4) return 4;
  if (Quality() != scLowQuality && Max >= 2) return 2;
  return 0;
}

std::string TscOpenGLCanvas::Renderer() const {
  return FDevice ? FDevice->Renderer() : std::string();
}
int TscOpenGLCanvas::Samples() const {
  return FDevice ? FDevice->Samples() : 0;
}
uint32_t TscOpenGLCanvas::VertexPosition() const {
  return FDevice ? FDevice->VertexPosition() : 0;
}
uint32_t TscOpenGLCanvas::IndexPosition() const {
  return FDevice ? FDevice->IndexPosition() : 0;
}
bool TscOpenGLCanvas::HasDevice() const {
  return FDevice != nullptr;
}

void TscOpenGLCanvas::RecordState(TscRenderState State) {
  TscGLDevice* D = FDevice.get();
  std::function<void()>& F = FStates[State];
  switch (State) {
    case scStateScreenProjection:
    case scStateCameraProjection: {
      const TscMatrix Projection =
          State == scStateScreenProjection ? GetScreenMatrix() : GetProjectionMatrix();
      const bool Camera = State == scStateCameraProjection;
      F = [this, D, Projection, Camera] {
        const TscMatrix Identity;
        D->SetProjection(&Projection.M[0][0]);
        D->SetWorld(&Identity.M[0][0]);
        D->SetView(Camera ? &ViewMatrix().M[0][0] : &Identity.M[0][0]);
      };
      break;
    }
    case scStateLightingOn:
      F = [D] { D->SetLighting(true); };
      break;
    case scStateLightingOff:
      F = [D] { D->SetLighting(false); };
      break;
    case scStateDepthTestOn:
      F = [D] { D->SetDepthTest(true); };
      break;
    case scStateDepthTestOff:
      F = [D] { D->SetDepthTest(false); };
      break;
    case scStateDepthWriteOn:
      F = [D] { D->SetDepthWrite(true); };
      break;
    case scStateDepthWriteOff:
      F = [D] { D->SetDepthWrite(false); };
      break;
    case scStateCullCCW:
      F = [D] { D->SetCull(glCullCounterClockwise); };
      break;
    case scStateCullCW:
      F = [D] { D->SetCull(glCullClockwise); };
      break;
    case scStateCullNone:
      F = [D] { D->SetCull(glCullNone); };
      break;
    case scStateBlendAdditive:
      F = [D] { D->SetAdditiveBlend(true); };
      break;
    case scStateBlendAlpha:
      F = [D] { D->SetAdditiveBlend(false); };
      break;
    case scStateFilterNearest:
      F = [D] { D->SetLinearFilter(false); };
      break;
    case scStateFilterLinear:
      F = [D] { D->SetLinearFilter(true); };
      break;
    case scStateTextureOff:
      F = [D] { D->SetTexMode(glTexNone); };
      break;
    case scStateTextureReplace:
      F = [D] { D->SetTexMode(glTexReplace); };
      break;
    case scStateTextureModulate:
      F = [D] { D->SetTexMode(glTexModulate); };
      break;
    case scStateWireframe:
      F = [D] { D->SetWireframe(true); };
      break;
    case scStateSolid:
      F = [D] { D->SetWireframe(false); };
      break;
    case scStateShadeFlat:
      F = [D] { D->SetFlatShading(true); };
      break;
    case scStateShadeGouraud:
      F = [D] { D->SetFlatShading(false); };
      break;
    case scStateCount:
      break;
  }
}

void TscOpenGLCanvas::ApplyState(TscRenderState State) {
  if (State < scStateCount && FStates[State]) FStates[State]();
}

bool TscOpenGLCanvas::DeviceBeginScene() {
  // A bitmap canvas is transparent too: both keep alpha premultiplied.
  if (!FDevice->BeginFrame(Transparency() || BoundBitmap())) return false;
  FDevice->SetLighting(Lighting());
  FDevice->SetAmbient(Ambient());
  TscGLLight Lights[8];
  int Count = 0;
  if (Lighting()) {
    for (const TscLightInfo& Info : FrameLights()) {
      if (Count == 8) break;
      TscGLLight& L = Lights[Count++];
      L.Kind = Info.Type == scLightPoint  ? glLightPoint
               : Info.Type == scLightSpot ? glLightSpot
                                          : glLightDirectional;
      L.Position[0] = Info.Position.X, L.Position[1] = Info.Position.Y, L.Position[2] = Info.Position.Z;
      L.Direction[0] = Info.Direction.X, L.Direction[1] = Info.Direction.Y, L.Direction[2] = Info.Direction.Z;
    }
  }
  FDevice->SetLights(Lights, Count);
  return true;
}

void TscOpenGLCanvas::DeviceEndScene() {
  if (!FDevice) return;
  // A window canvas has no surface of its own: the scene shows the frame it
  // reads back, so only transparent and bitmap canvases read here.
  if (TscBitmap* Bitmap = BoundBitmap()) {
    if (Bitmap->Bits() && Bitmap->Width() == Width() && Bitmap->Height() == Height())
      FDevice->ReadPixels(Bitmap->Bits());
  } else if (HasMemoryFrame()) {
    FDevice->ReadPixels(MemoryBuffer());
  }
}

void TscOpenGLCanvas::DeviceClear(uint32_t Color) {
  FDevice->Clear(Color);
}

void TscOpenGLCanvas::DeviceCopyToBits(uint32_t* Pixels) {
  if (FDevice) FDevice->ReadPixels(Pixels);
}

void TscOpenGLCanvas::DeviceCopyFromBits(const uint32_t* Pixels) {
  if (FDevice) FDevice->LoadPixels(Pixels);
}

void TscOpenGLCanvas::DeviceResize() {
  if (!FDevice) return;
  FDevice->Resize(Width(), Height(), WantedSamples());
  RecordState(scStateScreenProjection);
  RecordState(scStateCameraProjection);
}

void TscOpenGLCanvas::DeviceMatrixChanged() {
  FDevice->SetWorld(&WorldMatrix().M[0][0]);
}

void TscOpenGLCanvas::DeviceMaterialChanged() {
  if (!FDevice) return;
  FDevice->SetMaterial(Material()->Diffuse(), Material()->Ambient());
  const auto* Texture = CurrentTexture() ? static_cast<TGLTexture*>(FindTexture(CurrentTexture())) : nullptr;
  FDevice->SetTexture(Texture ? Texture->Name() : 0);
  FDevice->SetTexturePremultiplied(Texture && CurrentTexture()->Premultiplied());
  const TscTextureTransform& T = TextureTransform();
  if (Texture && T.Enabled)
    FDevice->SetTexTransform(T.M11, T.M22, T.M31, T.M32);
  else
    FDevice->SetTexTransform(1, 1, 0, 0);
}

std::unique_ptr<TscDeviceTexture> TscOpenGLCanvas::MakeTexture(TscBitmap& Bitmap) {
  if (!FDevice) return nullptr;
  const uint32_t Name = FDevice->CreateTexture(Bitmap.Width(), Bitmap.Height());
  if (!Name) return nullptr;
  return std::make_unique<TGLTexture>(*FDevice, Name);
}

void TscOpenGLCanvas::UploadTexture(TscBitmap& Bitmap, TscDeviceTexture& Texture) {
  if (!FDevice || !Bitmap.Bits()) return;
  int32_t First = 0, Count = 0;
  Bitmap.ModifiedRows(First, Count);
  FDevice->UploadRows(static_cast<TGLTexture&>(Texture).Name(), Bitmap.Width(), First, Count, Bitmap.Bits());
}

void TscOpenGLCanvas::DrawPrimitives(TscPrimitive Kind, std::span<const TscVertex> Vertices,
                                     std::span<const uint16_t> Indices) {
  FDevice->Draw(Kind == scLineList ? glLines : glTriangles, Vertices.data(), uint32_t(Vertices.size()),
                Indices.data(), uint32_t(Indices.size()));
}

void TscOpenGLCanvas::FreeDevice() {
  for (auto& F : FStates) F = nullptr;
  FDevice.reset();
}

TscCanvas::TMaker TscOpenGLCanvas::CanvasClass() {
  TscCanvas::TMaker Maker;
  Maker.Name = "TscOpenGLCanvas";
  Maker.MakeWindowCanvas = [](uintptr_t Window, int Width, int Height, bool Transparency,
                              TscQuality Quality) {
    return std::unique_ptr<TscCanvas>(new TscOpenGLCanvas(Window, Width, Height, Transparency, Quality));
  };
  Maker.MakeBitmapCanvas = [](TscBitmap& Bitmap) {
    return std::unique_ptr<TscCanvas>(new TscOpenGLCanvas(Bitmap));
  };
  return Maker;
}

void RegisterOpenGLCanvas() {
  TscCanvas::DefaultCanvasClass = TscOpenGLCanvas::CanvasClass();
}

void scInstallDevice(const TscDeviceChoice& Choice) {
  if (Choice.Kind == scDeviceOpenGL) RegisterOpenGLCanvas();
}
