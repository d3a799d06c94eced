#include "scene3d/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "scene2d/Errors.h"
#include "scene3d/SceneObjects.h"

UX_IMPLEMENT_CLASS(TscCanvas)

TscCanvas::TMaker TscCanvas::DefaultCanvasClass;

uint32_t scStateExclusions(TscRenderState State) {
  auto bit = [](int n) { return uint32_t(1) << n; };
  switch (State) {
    case scStateCullCCW:
      return bit(scStateCullCW) | bit(scStateCullNone);
    case scStateCullCW:
      return bit(scStateCullCCW) | bit(scStateCullNone);
    case scStateCullNone:
      return bit(scStateCullCCW) | bit(scStateCullCW);
    case scStateTextureOff:
      return bit(scStateTextureReplace) | bit(scStateTextureModulate);
    case scStateTextureReplace:
      return bit(scStateTextureOff) | bit(scStateTextureModulate);
    case scStateTextureModulate:
      return bit(scStateTextureOff) | bit(scStateTextureReplace);
    case scStateCount:
      return 0;
    default:
      // The rest come in pairs: even and the odd one after it.
      return bit(State ^ 1);
  }
}

TscCanvas::TscCanvas(uintptr_t Window, int Width, int Height, bool Transparency, TscQuality Quality)
    : TuiComponent(nullptr),
      FWidth(Width),
      FHeight(Height),
      FWindow(Window),
      FTransparency(Transparency),
      FQuality(Quality),
      FMaterial(std::make_unique<TscMaterial>()),
      FFont(std::make_unique<TscFont>()) {
  FMaterial->OnChanged = [this] { MaterialChanged(); };
  if (FTransparency) MakeMemoryBitmap();
}

TscCanvas::TscCanvas(TscBitmap& Bitmap)
    : TuiComponent(nullptr),
      FWidth(Bitmap.Width()),
      FHeight(Bitmap.Height()),
      FBoundBitmap(&Bitmap),
      FTransparency(true),
      FQuality(scLowQuality),
      FMaterial(std::make_unique<TscMaterial>()),
      FFont(std::make_unique<TscFont>()) {
  FMaterial->OnChanged = [this] { MaterialChanged(); };
}

void TscCanvas::MakeMemoryBitmap() {
  FMemoryBits.reset();
  const int w = std::max(FWidth, 1), h = std::max(FHeight, 1);
  if (w > MaxSide || h > MaxSide) throw EuxError("Can't allocate the DIB handle");
  try {
    FMemoryBits = std::make_unique<uint32_t[]>(size_t(w) * size_t(h));
  } catch (const std::bad_alloc&) {
    throw EuxError("Can't allocate the DIB handle");
  }
}

void TscCanvas::BeforeDestruction() {
  while (!FTextureBitmaps.empty()) RemoveTexture(FTextureBitmaps.back());
  if (FCamera) FCamera->RemoveFreeNotification(this);
  for (TscLight* light : FLights) light->RemoveFreeNotification(this);
  FLights.clear();
  FCamera = nullptr;
  FreeDevice();
  FMemoryBits.reset();
  TuiComponent::BeforeDestruction();
}

void TscCanvas::Notification(TuiComponent* Component, TuiOperation Operation) {
  TuiComponent::Notification(Component, Operation);
  if (Operation != opRemove) return;
  if (Component == FCamera) FCamera = nullptr;
  std::erase(FLights, Component);
}

void TscCanvas::SetQuality(TscQuality Value) {
  FQuality = Value;
  if (HasDevice()) DeviceResize();
}

void TscCanvas::ResizeBuffer(int Width, int Height) {
  Width = std::max(Width, 1);
  Height = std::max(Height, 1);
  if (Width != FWidth || Height != FHeight) {
    if (Width > MaxSide || Height > MaxSide) throw EuxError("Can't allocate the DIB handle");
    FWidth = Width;
    FHeight = Height;
    if (FTransparency && !FBoundBitmap) MakeMemoryBitmap();
  }
  if (HasDevice()) DeviceResize();
}

// ---- one frame ----

void TscCanvas::ResetCanvas() {
  FStates = 0;
  FView = TscMatrix();
  FInverseView = TscMatrix();
  SetMatrix(TscMatrix());
  for (TscLight* light : FLights) light->RemoveFreeNotification(this);
  FLights.clear();
  FMaterial->ResetQuietly();
}

bool TscCanvas::BeginScene() {
  if (!HasDevice() || !DeviceBeginScene()) return false;
  SetState(scStateCameraProjection);
  return true;
}

void TscCanvas::EndScene() {
  if (HasDevice()) DeviceEndScene();
}

void TscCanvas::Clear(uint32_t Color) {
  if (HasDevice()) DeviceClear(Color);
}

void TscCanvas::SetState(TscRenderState State) {
  if (State >= scStateCount || StateSet(State)) return;
  FStates = (FStates | (uint32_t(1) << State)) & ~scStateExclusions(State);
  // A projection state puts the world transform back to the identity.
  if (State == scStateScreenProjection || State == scStateCameraProjection) FWorld = TscMatrix();
  if (HasDevice()) ApplyState(State);
}

void TscCanvas::SetMatrix(const TscMatrix& Matrix) {
  FWorld = Matrix;
  if (HasDevice()) DeviceMatrixChanged();
}

void TscCanvas::SetCamera(TscCamera* Camera) {
  if (FCamera != Camera) {
    if (FCamera) FCamera->RemoveFreeNotification(this);
    FCamera = Camera;
    if (FCamera) FCamera->FreeNotification(this);
  }
  if (!Camera) return;
  const TscMatrix m = Camera->AbsoluteMatrix();
  const TscVector eye{m.M[3][0], m.M[3][1], m.M[3][2], 1};
  const TscVector up{m.M[2][0], m.M[2][1], m.M[2][2], 0};
  TscVector dir{m.M[1][0], m.M[1][1], m.M[1][2], 0};
  if (TscVisualObject* target = Camera->Target()) {
    const TscMatrix t = target->AbsoluteMatrix();
    dir = scSubtract({t.M[3][0], t.M[3][1], t.M[3][2], 1}, eye);
  }
  const TscVector z = scNormalize(scScale(dir, -1));
  const TscVector x = scNormalize(scCross(up, z));
  const TscVector y = scCross(z, x);
  TscMatrix v;
  const TscVector axes[3] = {x, y, z};
  for (int c = 0; c < 3; ++c) {
    v.M[0][c] = axes[c].X;
    v.M[1][c] = axes[c].Y;
    v.M[2][c] = axes[c].Z;
    v.M[3][c] = -scDot(axes[c], eye);
    v.M[c][3] = 0;
  }
  v.M[3][3] = 1;
  FView = v;
  FInverseView = scInvertMatrix(v);
}

void TscCanvas::AddLight(TscLight* Light) {
  if (!Light) return;
  FLights.push_back(Light);
  Light->FreeNotification(this);
}

std::vector<TscLightInfo> TscCanvas::FrameLights() const {
  std::vector<TscLightInfo> out;
  for (TscLight* light : FLights) {
    const TscMatrix m = light->AbsoluteMatrix();
    out.push_back(
        {light->LightType(), {m.M[3][0], m.M[3][1], m.M[3][2], 1}, {m.M[1][0], m.M[1][1], m.M[1][2], 0}});
  }
  return out;
}

void TscCanvas::MaterialChanged() {
  if (!HasDevice()) return;
  TscBitmap* bitmap = FMaterial->FindTexture();
  UpdateTexture(bitmap);
  FCurrentTexture = bitmap && FindTexture(bitmap) ? bitmap : nullptr;
  FTextureTransform = {};
  if (FCurrentTexture) {
    const TscBitmapRect& r = *FMaterial->BitmapRect();
    if (!r.IsEmpty()) {
      const float w = float(FCurrentTexture->Width()), h = float(FCurrentTexture->Height());
      FTextureTransform = {true, (r.Right() - r.Left()) / w, (r.Bottom() - r.Top()) / h, r.Left() / w,
                           r.Top() / h};
    } else if (FMaterial->BitmapTileX() != 1 || FMaterial->BitmapTileY() != 1) {
      FTextureTransform = {true, FMaterial->BitmapTileX(), FMaterial->BitmapTileY(), 0, 0};
    }
    SetState(FMaterial->BitmapMode() == scTexReplace ? scStateTextureReplace : scStateTextureModulate);
  } else {
    SetState(scStateTextureOff);
  }
  SetState(FMaterial->ShadeMode() == scFlat ? scStateShadeFlat : scStateShadeGouraud);
  SetState(FMaterial->FillMode() == scWireframe ? scStateWireframe : scStateSolid);
  SetState(FMaterial->Lighting() ? scStateLightingOn : scStateLightingOff);
  DeviceMaterialChanged();
}

// ---- draws ----

uint32_t TscCanvas::VertexColor(float Opacity) const {
  const uint32_t c = FMaterial->Diffuse();
  if (!(Opacity < 1)) return c;
  const uint32_t a = uint32_t(std::max(0.0f, Opacity * float(c >> 24)));
  return (a << 24) | (c & 0xFFFFFF);
}

void TscCanvas::DrawLine(const TscVector& From, const TscVector& To, float Opacity) {
  if (!HasDevice()) return;
  const uint32_t color = VertexColor(Opacity);
  const TscVertex v[2] = {{From.X, From.Y, From.Z, 0, 0, 0, color, 0, 0},
                          {To.X, To.Y, To.Z, 0, 0, 0, color, 1, 1}};
  const uint16_t i[2] = {0, 1};
  DrawPrimitives(scLineList, v, i);
}

void TscCanvas::DrawCube(const TscVector& Center, const TscVector& Size, float Opacity) {
  const TscVector a = scSubtract(Center, scScale(Size, 0.5f)), b = scAdd(Center, scScale(Size, 0.5f));
  auto corner = [&](int k) { return TscVector{k & 1 ? b.X : a.X, k & 2 ? b.Y : a.Y, k & 4 ? b.Z : a.Z, 1}; };
  for (int k = 0; k < 8; ++k)
    for (int axis = 1; axis < 8; axis <<= 1)
      if (!(k & axis)) DrawLine(corner(k), corner(k | axis), Opacity);
}

void TscCanvas::FillCube(const TscVector& Center, const TscVector& Size, float Opacity) {
  if (!HasDevice()) return;
  const uint32_t color = VertexColor(Opacity);
  const float hx = Size.X / 2, hy = Size.Y / 2, hz = Size.Z / 2;
  // Per face: the normal and the four corners, counter-clockwise seen from
  // outside in a right-handed frame.
  struct TFace {
    float N[3];
    float P[4][3];
  };
  static const TFace faces[6] = {
      {{0, 0, 1}, {{-1, 1, 1}, {1, 1, 1}, {1, -1, 1}, {-1, -1, 1}}},
      {{0, 0, -1}, {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}}},
      {{0, 1, 0}, {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}}},
      {{0, -1, 0}, {{-1, -1, 1}, {1, -1, 1}, {1, -1, -1}, {-1, -1, -1}}},
      {{1, 0, 0}, {{1, 1, 1}, {1, 1, -1}, {1, -1, -1}, {1, -1, 1}}},
      {{-1, 0, 0}, {{-1, 1, -1}, {-1, 1, 1}, {-1, -1, 1}, {-1, -1, -1}}},
  };
  static const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  TscVertex v[24];
  uint16_t idx[36];
  for (int f = 0; f < 6; ++f) {
    for (int k = 0; k < 4; ++k) {
      const float* p = faces[f].P[k];
      v[4 * f + k] = {Center.X + p[0] * hx,
                      Center.Y + p[1] * hy,
                      Center.Z + p[2] * hz,
                      faces[f].N[0],
                      faces[f].N[1],
                      faces[f].N[2],
                      color,
                      uv[k][0],
                      uv[k][1]};
    }
    const uint16_t b = uint16_t(4 * f);
    const uint16_t quad[6] = {
        b, uint16_t(b + 1), uint16_t(b + 3), uint16_t(b + 3), uint16_t(b + 1), uint16_t(b + 2)};
    std::copy(quad, quad + 6, idx + 6 * f);
  }
  DrawPrimitives(scTriangleList, v, idx);
}

void TscCanvas::FillMesh(const TscVector& Center, const TscVector& Size, float Opacity,
                         const TscMeshData& Mesh) {
  if (!HasDevice() || Mesh.Vertices.empty() || Mesh.Indices.empty() ||
      Mesh.Vertices.size() > size_t(MaxVertices) || Mesh.Indices.size() > size_t(MaxIndices))
    return;
  const uint32_t color = VertexColor(Opacity);
  const bool snap = StateSet(scStateScreenProjection);
  std::vector<TscVertex> v(Mesh.Vertices.size());
  for (size_t i = 0; i < v.size(); ++i) {
    const TscMeshVertex& m = Mesh.Vertices[i];
    float x = m.X * Size.X + Center.X, y = m.Y * Size.Y + Center.Y;
    // Texel centres meet pixel centres.
    if (snap) {
      x = std::trunc(x) - 0.5f;
      y = std::trunc(y) - 0.5f;
    }
    v[i] = {x, y, m.Z * Size.Z + Center.Z, m.NX, m.NY, m.NZ, color, m.U, m.V};
  }
  FillVertices(v, Mesh.Indices);
}

void TscCanvas::FillVertices(std::span<const TscVertex> Vertices, std::span<const uint16_t> Indices) {
  if (!HasDevice() || Vertices.empty() || Indices.size() < 3 || Vertices.size() > size_t(MaxVertices) ||
      Indices.size() > size_t(MaxIndices))
    return;
  // An index past the vertices would send the device reading beyond them.
  const size_t n = Vertices.size();
  for (uint16_t i : Indices)
    if (i >= n) return;
  DrawPrimitives(scTriangleList, Vertices, Indices.first(Indices.size() / 3 * 3));
}

// ---- read-back ----

void TscCanvas::CopyToBits(uint32_t* Pixels) {
  if (!Pixels) return;
  if (FBoundBitmap && FBoundBitmap->Bits()) {
    std::memcpy(Pixels, FBoundBitmap->Bits(), size_t(FWidth) * size_t(FHeight) * 4);
    return;
  }
  if (HasDevice()) DeviceCopyToBits(Pixels);
}

void TscCanvas::CopyFromBits(const uint32_t* Pixels) {
  if (Pixels && HasDevice()) DeviceCopyFromBits(Pixels);
}

// ---- projections and picking ----

TscMatrix TscCanvas::GetProjectionMatrix() const {
  return scPerspectiveMatrix(std::numbers::pi_v<float> / 4, float(FWidth) / float(std::max(FHeight, 1)), 1,
                             1000);
}

TscMatrix TscCanvas::GetScreenMatrix() const {
  const float w = float(FWidth), h = float(FHeight);
  const TscMatrix p = scPerspectiveMatrix(std::numbers::pi_v<float> / 6, w / std::max(h, 1.0f), 1, 1000);
  const float b = (2 / w) / p.M[0][0];
  TscMatrix m = scTranslationMatrix(-w / 2, -h / 2, 0);
  m = scMatrixMultiply(m, scScalingMatrix(2 * b, -2 * b, -2 * b));
  m = scMatrixMultiply(m, scTranslationMatrix(0, 0, -2));
  return scMatrixMultiply(m, p);
}

TscMatrix TscCanvas::CurrentProjection() const {
  return StateSet(scStateScreenProjection) ? GetScreenMatrix() : GetProjectionMatrix();
}

TscMatrix TscCanvas::CurrentViewMatrix() const {
  return StateSet(scStateScreenProjection) ? TscMatrix() : FView;
}

void TscCanvas::GetPickRay(TscProjection Projection, float X, float Y, TscVector& RayPos,
                           TscVector& RayDir) const {
  if (Projection == scProjectionScreen) {
    // The eye: the origin carried back through the screen projection, without
    // the perspective division, its z doubled.
    const TscVector o = scTransform({0, 0, 0, 1}, scInvertMatrix(GetScreenMatrix()));
    RayPos = {o.X, o.Y, o.Z * 2, 1};
    RayDir = scNormalize(scSubtract({X, Y, 0, 1}, RayPos));
    RayDir.W = 0;
    return;
  }
  const TscMatrix p = GetProjectionMatrix();
  TscVector c{(1 - 2 * X / float(FWidth)) / p.M[0][0], (2 * Y / float(FHeight) - 1) / p.M[1][1], 1, 1};
  TscVector o{0, 0, 0, 1};
  if (FCamera) {
    o = scTransformPoint(o, FInverseView);
    c = scTransformPoint(c, FInverseView);
  }
  RayPos = o;
  RayDir = scNormalize(scSubtract(o, c));
  RayDir.W = 0;
}

// ---- texture cache ----

TscDeviceTexture* TscCanvas::FindTexture(const TscBitmap* Bitmap) const {
  for (size_t i = 0; i < FTextureBitmaps.size(); ++i)
    if (FTextureBitmaps[i] == Bitmap) return FTextures[i].get();
  return nullptr;
}

void TscCanvas::UpdateTexture(TscBitmap* Bitmap) {
  if (!Bitmap) return;
  if (Bitmap->IsEmpty()) {
    Bitmap->SetModified(false);
    return;
  }
  Bitmap->AddCanvas(this);
  if (!HasDevice()) return;
  TscDeviceTexture* texture = FindTexture(Bitmap);
  if (!texture) {
    std::unique_ptr<TscDeviceTexture> made = MakeTexture(*Bitmap);
    if (!made) return;
    texture = made.get();
    FTextureBitmaps.push_back(Bitmap);
    FTextures.push_back(std::move(made));
    Bitmap->SetModified(true);
  }
  if (Bitmap->Modified()) UploadTexture(*Bitmap, *texture);
  Bitmap->SetModified(false);
}

void TscCanvas::RemoveTexture(TscBitmap* Bitmap) {
  if (!Bitmap) return;
  Bitmap->RemoveCanvas(this);
  if (FCurrentTexture == Bitmap) FCurrentTexture = nullptr;
  for (size_t i = 0; i < FTextureBitmaps.size(); ++i)
    if (FTextureBitmaps[i] == Bitmap) {
      FTextureBitmaps.erase(FTextureBitmaps.begin() + ptrdiff_t(i));
      FTextures.erase(FTextures.begin() + ptrdiff_t(i));
      return;
    }
}

// ---- text ----
// Not drawn yet: the glyph atlas (Cairo/Pango into a TscBitmap) is still to
// come, and until then text measures (0, 0) and draws nothing.

TscVector TscCanvas::MeasureText(std::string_view) {
  return {0, 0, 0, 0};
}

void TscCanvas::FillText(std::string_view, float, float, float) {}
