#include "scene3d/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/Prefault.h"
#include "scene2d/Errors.h"
#include "scene3d/GlyphAtlas.h"
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
  if (FTransparency && (std::max(FWidth, 1) > MaxSide || std::max(FHeight, 1) > MaxSide))
    throw EuxError("Can't allocate the DIB handle");
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

TscCanvas::~TscCanvas() {
  if (TornDown()) return;
  for (TscBitmap* bitmap : FTextureBitmaps) bitmap->RemoveCanvas(this);
}

uint32_t* TscCanvas::MemoryBuffer() const {
  if (FMemoryBits || !HasMemoryFrame()) return FMemoryBits.get();
  const int w = std::max(FWidth, 1), h = std::max(FHeight, 1);
  if (w > MaxSide || h > MaxSide) throw EuxError("Can't allocate the DIB handle");
  try {
    // Written whole by the first frame; zeroed here as a frame never drawn.
    const size_t count = size_t(w) * size_t(h);
    FMemoryBits.reset(new uint32_t[count]);
    platform::PrefaultForWriting(FMemoryBits.get(), count * 4);
    std::fill_n(FMemoryBits.get(), count, 0u);
  } catch (const std::bad_alloc&) {
    throw EuxError("Can't allocate the DIB handle");
  }
  return FMemoryBits.get();
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
    FMemoryBits.reset();
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
  if (!HasDevice()) return;
  TscDeviceTexture* texture = FindTexture(Bitmap);
  if (!texture) {
    std::unique_ptr<TscDeviceTexture> made = MakeTexture(*Bitmap);
    if (!made) return;
    texture = made.get();
    // Listed with the bitmap only while a texture is cached here, so that
    // every listing has an entry to drop.
    Bitmap->AddCanvas(this);
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

TscGlyphAtlas* TscCanvas::FindFont(std::string_view Text) {
  for (const auto& font : FFonts)
    if (font->Matches(*FFont)) return font->Prepare(Text) ? font.get() : nullptr;
  FFonts.push_back(std::make_unique<TscGlyphAtlas>(*FFont));
  return FFonts.back()->Prepare(Text) ? FFonts.back().get() : nullptr;
}

TscVector TscCanvas::MeasureText(std::string_view Text) {
  TscGlyphAtlas* font = Text.empty() ? nullptr : FindFont(Text);
  if (!font) return {0, 0, 0, 0};
  TscBitmap& atlas = font->Bitmap();
  const TscGlyphAtlas::TGlyph* first = font->Glyph(TscGlyphAtlas::FirstCode);
  const float height = (first->V2 - first->V1) * float(atlas.Height());
  float x = 0, widest = 0;
  for (const char ch : Text) {
    const TscGlyphAtlas::TGlyph* g = font->Glyph(static_cast<unsigned char>(ch));
    if (!g) continue;
    x += float(g->A) + (g->U2 - g->U1) * float(atlas.Width()) + float(g->C);
    widest = std::max(widest, x);
  }
  return {widest, height, 0, 0};
}

void TscCanvas::FillText(std::string_view Text, float Opacity, float Y, float X) {
  if (Text.empty() || !HasDevice()) return;
  TscGlyphAtlas* font = FindFont(Text);
  if (!font) return;
  TscBitmap& atlas = font->Bitmap();
  const bool screen = StateSet(scStateScreenProjection);
  if (screen) {
    // Whole pixels after the world translation, so that texels meet pixels.
    const float tx = FWorld.M[3][0], ty = FWorld.M[3][1];
    X = std::nearbyint(tx + X) - tx;
    Y = std::nearbyint(ty + Y) - ty;
  }
  const uint32_t color = VertexColor(Opacity);
  std::vector<TscVertex> vertices;
  std::vector<uint16_t> indices;
  for (const char ch : Text) {
    const TscGlyphAtlas::TGlyph* g = font->Glyph(static_cast<unsigned char>(ch));
    if (!g) continue;
    const float w = (g->U2 - g->U1) * float(atlas.Width()), h = (g->V2 - g->V1) * float(atlas.Height());
    if (ch == ' ') {
      X += w;
      continue;
    }
    X += float(g->A);
    if (vertices.size() + 4 > size_t(MaxVertices)) break;
    const auto k = uint16_t(vertices.size());
    if (screen) {
      vertices.push_back({X - 0.5f, Y - 0.5f, 0, 0, 0, 0, color, g->U1, g->V1});
      vertices.push_back({X + w - 0.5f, Y - 0.5f, 0, 0, 0, 0, color, g->U2, g->V1});
      vertices.push_back({X + w - 0.5f, Y + h - 0.5f, 0, 0, 0, 0, color, g->U2, g->V2});
      vertices.push_back({X - 0.5f, Y + h - 0.5f, 0, 0, 0, 0, color, g->U1, g->V2});
    } else {
      constexpr float unit = 0.02f;  // scene units per pixel
      vertices.push_back({unit * X, 0, unit * (Y + h), 0, 0, 0, color, g->U1, g->V1});
      vertices.push_back({unit * (X + w), 0, unit * (Y + h), 0, 0, 0, color, g->U2, g->V1});
      vertices.push_back({unit * (X + w), 0, unit * Y, 0, 0, 0, color, g->U2, g->V2});
      vertices.push_back({unit * X, 0, unit * Y, 0, 0, 0, color, g->U1, g->V2});
    }
    for (const int i : {0, 1, 3, 3, 1, 2}) indices.push_back(uint16_t(k + i));
    X += float(g->C) + w;
  }
  if (indices.empty()) return;
  // The atlas replaces the material's texture for this one draw.
  TscBitmap* const previous = FCurrentTexture;
  const TscTextureTransform previousTransform = FTextureTransform;
  UpdateTexture(&atlas);
  if (!FindTexture(&atlas)) return;
  FCurrentTexture = &atlas;
  FTextureTransform = {};
  SetState(scStateTextureModulate);
  DeviceMaterialChanged();
  DrawPrimitives(scTriangleList, vertices, indices);
  FCurrentTexture = previous;
  FTextureTransform = previousTransform;
  DeviceMaterialChanged();
}
