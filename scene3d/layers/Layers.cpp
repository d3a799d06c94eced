#include "scene3d/layers/Layers.h"

#include <array>
#include <cmath>
#include <vector>

#include "scene3d/Canvas.h"
#include "scene3d/Scene.h"
#include "scene3d/TextForms.h"

// ---- arrangement ----

void scArrangeLayers(std::span<TscCustomLayer* const> Layers, TuiRect Area) {
  static constexpr std::array<TscLayerAlign, 11> Passes = {
      scLayerMostTop, scLayerMostBottom, scLayerMostLeft, scLayerMostRight, scLayerTop,     scLayerBottom,
      scLayerLeft,    scLayerRight,      scLayerClient,   scLayerCenter,    scLayerContents};
  const auto place = [](TscCustomLayer& L, float Left, float Top, float Width, float Height) {
    L.SetWidth(Width);
    L.SetHeight(Height);
    L.Position()->SetPoint({Left + Width / 2, Top + Height / 2, L.Position()->Z(), 1});
  };
  for (TscLayerAlign pass : Passes)
    for (TscCustomLayer* l : Layers) {
      if (!l || l->LayerAlign() != pass || !l->Visible() || !l->ScreenProjection()) continue;
      const float w = Area.Right - Area.Left, h = Area.Bottom - Area.Top;
      switch (pass) {
        case scLayerMostTop:
        case scLayerTop:
          place(*l, Area.Left, Area.Top, w, l->Height());
          Area.Top += l->Height();
          break;
        case scLayerMostBottom:
        case scLayerBottom:
          place(*l, Area.Left, Area.Bottom - l->Height(), w, l->Height());
          Area.Bottom -= l->Height();
          break;
        case scLayerMostLeft:
        case scLayerLeft:
          place(*l, Area.Left, Area.Top, l->Width(), h);
          Area.Left += l->Width();
          break;
        case scLayerMostRight:
        case scLayerRight:
          place(*l, Area.Right - l->Width(), Area.Top, l->Width(), h);
          Area.Right -= l->Width();
          break;
        case scLayerClient:
          place(*l, Area.Left, Area.Top, w, h);
          Area.Right = Area.Left;
          Area.Bottom = Area.Top;
          break;
        case scLayerCenter:
          place(*l, Area.Left + (w - l->Width()) / 2, Area.Top + (h - l->Height()) / 2, l->Width(),
                l->Height());
          break;
        case scLayerContents:
          place(*l, Area.Left, Area.Top, w, h);
          break;
        case scLayerNone:
          break;
      }
    }
}

namespace {
std::vector<TscCustomLayer*> ChildLayers(const TscObject& Parent) {
  std::vector<TscCustomLayer*> layers;
  for (TscObject* child : Parent.ChildList())
    if (auto* l = dynamic_cast<TscCustomLayer*>(child); l && l->LayerAlign() != scLayerNone)
      layers.push_back(l);
  return layers;
}
}  // namespace

void scAlignSceneRoot(TscVisualObject& Root, float ClientWidth, float ClientHeight) {
  const TuiRect client{0, 0, ClientWidth, ClientHeight};
  if (auto* layer = dynamic_cast<TscCustomLayer*>(&Root); layer && layer->LayerAlign() != scLayerNone) {
    TscCustomLayer* const one[] = {layer};
    scArrangeLayers(one, client);
    return;
  }
  scArrangeLayers(ChildLayers(Root), client);
}

// ---- TscCustomLayer ----

UX_IMPLEMENT_CLASS(TscCustomLayer)

void TscCustomLayer::DefineProperties(TuiClassBuilder<TscCustomLayer>& C) {
  C.Default("TwoSide", true);
  C.Default("Width", 4.0f);
  C.Default("Depth", 3.0f);
}

TscCustomLayer::TscCustomLayer(TuiComponent* Owner) : TscVisualObject(Owner) {
  // Scenes place layers only once a layer exists to be placed.
  if (!TscScene::LayerAligner) TscScene::LayerAligner = scAlignSceneRoot;
  SetTwoSide(true);
  SetWidth(4);
  SetDepth(3);
}

void TscCustomLayer::SetLayerAlign(TscLayerAlign Value) {
  if (Value == FLayerAlign) return;
  FLayerAlign = Value;
  RealignParent();
}

void TscCustomLayer::RealignParent() {
  if (IsLoading()) return;
  if (auto* parent = dynamic_cast<TscCustomLayer*>(Parent())) {
    parent->Realign();
  } else if (TscScene* scene = Scene()) {
    // Outside a layer the available area is the scene's client area.
    if (TscVisualObject* parent = Parent() ? Parent()->Visual() : this;
        parent && parent == scene->RootObject())
      scene->AlignRoot();
  }
}

void TscCustomLayer::Realign() {
  if (IsDestroying() || FRealigning || std::fabs(Width()) < 0.2f || std::fabs(Height()) < 0.2f) return;
  if (IsLoading()) return;
  FRealigning = true;
  struct TDone {
    bool& Flag;
    ~TDone() { Flag = false; }
  } done{FRealigning};
  scArrangeLayers(ChildLayers(*this), {-Width() / 2, -Height() / 2, Width() / 2, Height() / 2});
}

void TscCustomLayer::Repaint() {
  if (IsDestroying()) return;
  if (TscScene* scene = Scene()) scene->Invalidate();
}

void TscCustomLayer::SetVisible(bool Value) {
  const bool shows = Value && !Visible();
  TscVisualObject::SetVisible(Value);
  if (shows && FLayerAlign != scLayerNone) RealignParent();
}

void TscCustomLayer::Loaded() {
  TscVisualObject::Loaded();
  if (ChildrenCount() > 0) Realign();
  if (FLayerAlign != scLayerNone) RealignParent();
}

bool TscCustomLayer::HoldsSceneCapture() const {
  TscScene* scene = Scene();
  return scene && scene->Captured() == this;
}

bool TscCustomLayer::FaceHit(const TscVector& RayPos, const TscVector& RayDir, float Grow,
                             TscVector& Local) const {
  const float half[3] = {Width() / 2 * Grow, Height() / 2 * Grow, Depth() / 2 * Grow};
  const float limit[3] = {std::fabs(Width()) * 0.503f * Grow, std::fabs(Height()) * 0.503f * Grow,
                          std::fabs(Depth()) * 0.503f * Grow};
  const float pos[3] = {RayPos.X, RayPos.Y, RayPos.Z};
  const float dir[3] = {RayDir.X, RayDir.Y, RayDir.Z};
  // The negative faces first, then the positive ones, each only where the ray
  // runs into the box.
  for (int sign : {-1, 1})
    for (int axis = 0; axis < 3; ++axis) {
      if (dir[axis] == 0 || (sign < 0 ? dir[axis] < 0 : dir[axis] > 0)) continue;
      const float t = (sign * half[axis] - pos[axis]) / dir[axis];
      if (t < 0) continue;
      const float p[3] = {pos[0] + dir[0] * t, pos[1] + dir[1] * t, pos[2] + dir[2] * t};
      bool inside = true;
      for (int other = 0; other < 3; ++other)
        if (other != axis && std::fabs(p[other]) > limit[other]) inside = false;
      if (!inside) continue;
      Local = {p[0], p[1], p[2], 1};
      return true;
    }
  return false;
}

bool TscCustomLayer::LocalHit(const TscVector& RayPos, const TscVector& RayDir, TscVector& Local) {
  return FaceHit(RayPos, RayDir, 1, Local);
}

bool TscCustomLayer::RayCastIntersect(const TscVector& RayPos, const TscVector& RayDir,
                                      TscVector& Intersection) {
  TscVector local;
  // A captured layer keeps getting points beyond its edges.
  if (!LocalHit(RayPos, RayDir, local) && !(HoldsSceneCapture() && FaceHit(RayPos, RayDir, 10, local)))
    return false;
  Intersection = LocalToAbsolute(local);
  return true;
}

TuiPoint TscCustomLayer::PlanePoint(const TscVector& Local) const {
  const float x = (Width() / 2 + Local.X) / Width() * Width();
  if (ScreenProjection()) return {x, (Height() / 2 + Local.Y) / Height() * Height()};
  return {x, (Depth() / 2 - Local.Z) / Depth() * Depth()};
}

void TscCustomLayer::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float, float,
                               const TscVector& RayPos, const TscVector& RayDir) {
  TscVector hit;
  if (!RayCastIntersect(RayPos, RayDir, hit)) return;
  const TuiPoint p = PlanePoint(AbsoluteToLocal(hit));
  LayerMouseDown(Button, Shift, p.X, p.Y);
}

void TscCustomLayer::MouseMove(TuiShiftState Shift, float, float, const TscVector& RayPos,
                               const TscVector& RayDir) {
  TscVector hit;
  if (!RayCastIntersect(RayPos, RayDir, hit)) return;
  const TuiPoint p = PlanePoint(AbsoluteToLocal(hit));
  LayerMouseMove(Shift, p.X, p.Y);
}

void TscCustomLayer::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y,
                             const TscVector& RayPos, const TscVector& RayDir) {
  TscVector hit;
  TuiPoint p{X, Y};
  if (RayCastIntersect(RayPos, RayDir, hit)) p = PlanePoint(AbsoluteToLocal(hit));
  LayerMouseUp(Button, Shift, p.X, p.Y);
}

void TscCustomLayer::LayerMouseMove(TuiShiftState Shift, float X, float Y) {
  if (OnLayerMouseMove) OnLayerMouseMove(this, uxMouseLeft, Shift, int(X), int(Y));
}

void TscCustomLayer::LayerMouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  if (OnLayerMouseDown) OnLayerMouseDown(this, Button, Shift, int(X), int(Y));
}

void TscCustomLayer::LayerMouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  if (OnLayerMouseUp) OnLayerMouseUp(this, Button, Shift, int(X), int(Y));
}

// ---- TscCustomBufferLayer ----

UX_IMPLEMENT_CLASS(TscCustomBufferLayer)

void TscCustomBufferLayer::DefineProperties(TuiClassBuilder<TscCustomBufferLayer>& C) {
  C.Property("Resolution", &TscCustomBufferLayer::Resolution, &TscCustomBufferLayer::SetResolution, 60);
  C.Property("ModulationColor", &TscCustomBufferLayer::ModulationColorText,
             &TscCustomBufferLayer::SetModulationColorText)
      .StoredWhen = [](const TuiPersistent& O) {
    return static_cast<const TscCustomBufferLayer&>(O).ModulationColor() != 0xFFFFFFFF;
  };
  C.Event("OnUpdateBuffer", &TscCustomBufferLayer::OnUpdateBuffer);
}

namespace {
// Lies in X/Z, the texture's top at +Z.
const TscMeshData& CameraQuad() {
  static const TscMeshData* quad = [] {
    auto* m = new TscMeshData;
    m->Vertices = {{-0.5f, 0, 0.5f, 0, -1, 0, 0, 0},
                   {0.5f, 0, 0.5f, 0, -1, 0, 1, 0},
                   {0.5f, 0, -0.5f, 0, -1, 0, 1, 1},
                   {-0.5f, 0, -0.5f, 0, -1, 0, 0, 1}};
    m->Indices = {0, 1, 3, 3, 1, 2};
    return m;
  }();
  return *quad;
}
}  // namespace

TscCustomBufferLayer::TscCustomBufferLayer(TuiComponent* Owner)
    : TscCustomLayer(Owner), FBuffer(std::make_unique<TscBitmap>()) {
  // It holds 2D pictures, which are premultiplied.
  FBuffer->SetPremultiplied(true);
  IscBitmapHolder::Enter(this);
  UpdateBufferSize();
}

TscCustomBufferLayer::~TscCustomBufferLayer() = default;

void TscCustomBufferLayer::BeforeDestruction() {
  IscBitmapHolder::Leave(this);
  TscCustomLayer::BeforeDestruction();
}

void TscCustomBufferLayer::SetResolution(int32_t Value) {
  if (Value == FResolution) return;
  FResolution = Value;
  UpdateBufferSize();
}

void TscCustomBufferLayer::SetModulationColor(uint32_t Value) {
  if (Value == FModulationColor) return;
  FModulationColor = Value;
  Repaint();
}

std::string TscCustomBufferLayer::ModulationColorText() const {
  return scColorToText(FModulationColor);
}

void TscCustomBufferLayer::SetModulationColorText(const std::string& Value) {
  SetModulationColor(scTextToColor(Value));
}

void TscCustomBufferLayer::SetWidth(float Value) {
  TscCustomLayer::SetWidth(Value);
  UpdateBufferSize();
}

void TscCustomBufferLayer::SetHeight(float Value) {
  TscCustomLayer::SetHeight(Value);
  UpdateBufferSize();
}

void TscCustomBufferLayer::SetDepth(float Value) {
  TscCustomLayer::SetDepth(Value);
  UpdateBufferSize();
}

void TscCustomBufferLayer::UpdateBufferSize() {
  if (ScreenProjection()) {
    FBufferWidth = int32_t(std::lround(Width()));
    FBufferHeight = int32_t(std::lround(Height()));
  } else {
    FBufferWidth = int32_t(std::lround(Width() * float(FResolution)));
    FBufferHeight = int32_t(std::lround(Depth() * float(FResolution)));
  }
}

TuiPoint TscCustomBufferLayer::PixelOrigin() const {
  const TscMatrix m = AbsoluteMatrix();
  return {std::trunc(m.M[3][0]) - std::floor(float(FBufferWidth) / 2),
          std::trunc(m.M[3][1]) - std::floor(float(FBufferHeight) / 2)};
}

TuiPoint TscCustomBufferLayer::PlanePoint(const TscVector& Local) const {
  const float x = (Width() / 2 + Local.X) / Width() * float(FBufferWidth);
  if (ScreenProjection()) return {x, (Height() / 2 + Local.Y) / Height() * float(FBufferHeight)};
  return {x, (Depth() / 2 - Local.Z) / Depth() * float(FBufferHeight)};
}

bool TscCustomBufferLayer::LocalHit(const TscVector& RayPos, const TscVector& RayDir, TscVector& Local) {
  if (!FaceHit(RayPos, RayDir, 1, Local)) return false;
  const TscMeshData& quad = ScreenProjection() ? scScreenQuad() : CameraQuad();
  const TscVector size{Width(), Height(), Depth(), 1};
  const auto corner = [&](uint16_t i) {
    const TscMeshVertex& v = quad.Vertices[i];
    return TscVector{v.X * size.X, v.Y * size.Y, v.Z * size.Z, 1};
  };
  for (size_t t = 0; t + 2 < quad.Indices.size(); t += 3) {
    float distance = 0;
    if (scRayTriangle(RayPos, RayDir, corner(quad.Indices[t]), corner(quad.Indices[t + 1]),
                      corner(quad.Indices[t + 2]), distance) &&
        distance >= 0) {
      Local = scAdd(RayPos, scScale(RayDir, distance));
      Local.W = 1;
      return true;
    }
  }
  return false;
}

void TscCustomBufferLayer::PrepareBuffer() {
  if (FBuffer->Width() != FBufferWidth || FBuffer->Height() != FBufferHeight)
    FBuffer->SetSize(FBufferWidth, FBufferHeight);
}

void TscCustomBufferLayer::BeforePaint(TscCanvas& Canvas) {
  UpdateBufferSize();
  PrepareBuffer();
  TscCustomLayer::BeforePaint(Canvas);
}

void TscCustomBufferLayer::Paint(TscCanvas& Canvas) {
  UpdateBuffer();
  if (OnUpdateBuffer) OnUpdateBuffer(this);
  if (FBuffer->IsEmpty()) return;
  TscMaterial m;
  m.SetDiffuse(FModulationColor);
  m.SetLighting(false);
  m.SetBitmapMode(scTexModulate);
  m.SetShadeMode(scGouraud);
  m.SetFillMode(scSolid);
  m.SetTexture(FBuffer.get());
  Canvas.Material()->Assign(m);
  const float opacity = AbsoluteOpacity();
  if (ScreenProjection()) {
    // Whole-pixel translation with the half pixel of an odd size in the
    // centre: buffer pixels land on window pixels, nothing is resampled.
    TscMatrix world = AbsoluteMatrix();
    world.M[3][0] = std::trunc(world.M[3][0]);
    world.M[3][1] = std::trunc(world.M[3][1]);
    Canvas.SetMatrix(world);
    const float w = float(FBufferWidth), h = float(FBufferHeight);
    Canvas.FillMesh({std::fmod(w / 2, 1.0f), std::fmod(h / 2, 1.0f), 0, 1}, {w, h, 1, 1}, opacity,
                    scScreenQuad());
  } else {
    Canvas.FillMesh({0, 0, 0, 1}, {Width(), Height(), Depth(), 1}, opacity, CameraQuad());
  }
  Canvas.Material()->SetTexture(nullptr);
}
