#include "scene3d/software/SoftwareCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "scene3d/software/SoftwareBlend.h"

UX_IMPLEMENT_CLASS(TscSoftwareCanvas)

namespace {

inline uint32_t Div255(uint32_t X) {
  return scDiv255(X);
}

inline uint32_t Channel(uint32_t C, int Shift) {
  return (C >> Shift) & 0xFF;
}

inline uint32_t Pack(uint32_t A, uint32_t R, uint32_t G, uint32_t B) {
  return A << 24 | R << 16 | G << 8 | B;
}

inline uint32_t Modulate(uint32_t T, uint32_t V) {
  return scModulate(T, V);
}

// The colour channels weighted by source alpha, unless the source is
// premultiplied and so weighted already; the alpha channel as the canvas kind
// wants it (a transparent or bitmap canvas keeps coverage:
// srcA + dstA * (1 - srcA)).
inline uint32_t Blend(uint32_t S, uint32_t D, bool Additive, bool KeepCoverage, bool Premultiplied) {
  const uint32_t sa = S >> 24, ia = 255 - sa;
  // The source factor: alpha, or one for a premultiplied source.
  const auto weigh = [&](uint32_t X) { return Premultiplied ? X : Div255(X * sa); };
  uint32_t out[4];
  for (int k = 0; k < 3; ++k) {
    const int shift = 16 - 8 * k;
    const uint32_t s = Channel(S, shift), d = Channel(D, shift);
    out[k] = Additive        ? std::min<uint32_t>(255, weigh(s) + d)
             : Premultiplied ? std::min<uint32_t>(255, s + Div255(d * ia))
                             : Div255(s * sa + d * ia);
  }
  const uint32_t da = D >> 24;
  if (KeepCoverage)
    out[3] = Div255(sa * 255 + da * ia);
  else
    out[3] = Additive        ? std::min<uint32_t>(255, weigh(sa) + da)
             : Premultiplied ? sa + Div255(da * ia)
                             : Div255(sa * sa + da * ia);
  return Pack(out[3], out[0], out[1], out[2]);
}

inline uint32_t ToByte(float V) {
  return uint32_t(std::clamp(V, 0.0f, 255.0f) + 0.5f);
}

// Sampling reads the bitmap's own words. What a texture tracks is for the
// layer quad covering a freshly cleared frame: the rows changed since its last
// such draw, so that a frame still holding that draw's result repaints just
// those. Only while frames keep being disturbed after the quad does it keep
// the bitmap blended over the clear colour on the side, so that an unchanged
// layer still costs one copy.
class TSoftwareTexture : public TscDeviceTexture {
 public:
  explicit TSoftwareTexture(uint64_t Serial) : Serial(Serial) {}

  // Tells this texture from one made later at the same address.
  const uint64_t Serial;
  // The colours of its last QuadOverClear, and how it blended.
  bool Drawn = false;
  uint32_t Vertex = 0, Clear = 0;
  bool Premultiplied = false;
  // QuadOverClears in a row, under the same colours, that found the frame
  // no longer holding the previous one.
  int Misses = 0;
  // The bitmap blended under Vertex and Clear, but for the dirty rows; empty
  // unless Kept.
  std::vector<uint32_t> Blended;
  bool Kept = false;
  // Rows changed since the last QuadOverClear.
  int DirtyFirst = 0, DirtyCount = 0;

  void DropBlended() {
    std::vector<uint32_t>().swap(Blended);
    Kept = false;
  }

  void MarkDirty(int First, int Count) {
    if (Count <= 0) return;
    if (DirtyCount <= 0) {
      DirtyFirst = First, DirtyCount = Count;
      return;
    }
    const int last = std::max(DirtyFirst + DirtyCount, First + Count);
    DirtyFirst = std::min(DirtyFirst, First);
    DirtyCount = last - DirtyFirst;
  }
};

}  // namespace

// A vertex after transform, in clip space and on the screen.
struct TscSoftwareCanvas::TScreenVertex {
  float CX, CY, CZ, CW;  // clip space
  float X, Y, Z, InvW;   // screen, depth, 1/w
  float A, R, G, B;      // 0 ... 255
  float U, V;
};

struct TscSoftwareCanvas::TSampler {
  const uint32_t* Bits = nullptr;
  int Width = 0, Height = 0;
  bool Linear = false;
  uint8_t Mode = 0;  // 0 off, 1 replace, 2 modulate
  // The texels are premultiplied: what they give blends as premultiplied.
  bool Premultiplied = false;

  uint32_t Texel(int X, int Y) const {
    X %= Width;
    Y %= Height;
    if (X < 0) X += Width;
    if (Y < 0) Y += Height;
    return Bits[size_t(Y) * size_t(Width) + size_t(X)];
  }
  uint32_t Sample(float U, float V) const {
    const float fx = U * float(Width), fy = V * float(Height);
    if (!Linear) return Texel(int(std::floor(fx)), int(std::floor(fy)));
    const float x = fx - 0.5f, y = fy - 0.5f;
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float tx = x - float(x0), ty = y - float(y0);
    const uint32_t c00 = Texel(x0, y0), c10 = Texel(x0 + 1, y0), c01 = Texel(x0, y0 + 1),
                   c11 = Texel(x0 + 1, y0 + 1);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const float top = float(Channel(c00, shift)) * (1 - tx) + float(Channel(c10, shift)) * tx;
      const float bottom = float(Channel(c01, shift)) * (1 - tx) + float(Channel(c11, shift)) * tx;
      out |= ToByte(top * (1 - ty) + bottom * ty) << shift;
    }
    return out;
  }
};

TscSoftwareCanvas::TscSoftwareCanvas(uintptr_t Window, int Width, int Height, bool Transparency,
                                     TscQuality Quality)
    : TscCanvas(Window, Width, Height, Transparency, Quality) {
  Allocate();
}

TscSoftwareCanvas::TscSoftwareCanvas(TscBitmap& Bitmap) : TscCanvas(Bitmap) {
  Allocate();
}

std::unique_ptr<TscCanvas> TscSoftwareCanvas::Create(uintptr_t Window, int Width, int Height,
                                                     bool Transparency, TscQuality Quality) {
  return std::make_unique<TscSoftwareCanvas>(Window, Width, Height, Transparency, Quality);
}

std::unique_ptr<TscCanvas> TscSoftwareCanvas::CreateFromBitmap(TscBitmap& Bitmap) {
  return std::make_unique<TscSoftwareCanvas>(Bitmap);
}

void TscSoftwareCanvas::Register() {
  DefaultCanvasClass = {"TscSoftwareCanvas", &TscSoftwareCanvas::Create,
                        &TscSoftwareCanvas::CreateFromBitmap};
}

void TscSoftwareCanvas::Allocate() {
  const size_t n = size_t(std::max(Width(), 1)) * size_t(std::max(Height(), 1));
  FDirect = HasMemoryFrame();
  FColor.assign(FDirect ? 0 : n, 0);
  FShownBitmap = nullptr;
  std::vector<float>().swap(FDepth);
  FDepthDeferred = scDepthFar;
  FClearPending = false;
  FQuadHeld = false;
  FAllocated = true;
}

void TscSoftwareCanvas::FreeDevice() {
  std::vector<uint32_t>().swap(FColor);
  std::vector<float>().swap(FDepth);
  FAllocated = false;
  FDirect = false;
  FShownBitmap = nullptr;
  FClearPending = false;
  FQuadHeld = false;
  FDepthDeferred = scDepthFar;
}

void TscSoftwareCanvas::DeviceResize() {
  Allocate();
}

void TscSoftwareCanvas::ApplyState(TscRenderState State) {
  switch (State) {
    case scStateLightingOn:
      FLit = true;
      break;
    case scStateLightingOff:
      FLit = false;
      break;
    case scStateDepthTestOn:
      FDepthTest = true;
      break;
    case scStateDepthTestOff:
      FDepthTest = false;
      break;
    case scStateDepthWriteOn:
      FDepthWrite = true;
      break;
    case scStateDepthWriteOff:
      FDepthWrite = false;
      break;
    case scStateCullCCW:
      FCull = 0;
      break;
    case scStateCullCW:
      FCull = 1;
      break;
    case scStateCullNone:
      FCull = 2;
      break;
    case scStateBlendAdditive:
      FAdditive = true;
      break;
    case scStateBlendAlpha:
      FAdditive = false;
      break;
    case scStateFilterNearest:
      FLinear = false;
      break;
    case scStateFilterLinear:
      FLinear = true;
      break;
    case scStateTextureOff:
      FTexMode = 0;
      break;
    case scStateTextureReplace:
      FTexMode = 1;
      break;
    case scStateTextureModulate:
      FTexMode = 2;
      break;
    case scStateWireframe:
      FWire = true;
      break;
    case scStateSolid:
      FWire = false;
      break;
    case scStateShadeFlat:
      FFlat = true;
      break;
    case scStateShadeGouraud:
      FFlat = false;
      break;
    default:
      break;  // projections are read from the flags at draw time
  }
}

bool TscSoftwareCanvas::DeviceBeginScene() {
  // The fixed settings a frame starts from.
  FDepthTest = true;
  FDepthWrite = true;
  FAdditive = false;
  FFlat = true;
  FWire = false;
  FCull = 0;
  FLit = Lighting();
  FFrameLights = Lighting() ? FrameLights() : std::vector<TscLightInfo>{};
  return true;
}

const uint32_t* TscSoftwareCanvas::Shown() const {
  if (!FShownBitmap) return nullptr;
  const auto* texture = static_cast<const TSoftwareTexture*>(FindTexture(FShownBitmap));
  return texture && texture->Serial == FShownSerial ? FShownBitmap->Bits() : nullptr;
}

const uint32_t* TscSoftwareCanvas::FrameWords() const {
  const uint32_t* shown = Shown();
  return shown ? shown : MemoryBuffer();
}

void TscSoftwareCanvas::StopShowing() {
  const uint32_t* shown = Shown();
  FShownBitmap = nullptr;
  // A pending clear replaces the frame anyway.
  if (shown && !FClearPending) std::memcpy(Target(), shown, size_t(Width()) * size_t(Height()) * 4);
}

void TscSoftwareCanvas::SettleFrame() {
  if (!FClearPending || !FAllocated) return;
  FShownBitmap = nullptr;
  FClearPending = false;
  FQuadHeld = false;
  // The depths the clear set are already deferred as far.
  std::fill_n(Target(), size_t(Width()) * size_t(Height()), FClearColor);
}

void TscSoftwareCanvas::EnsureDepth() {
  const size_t n = size_t(Width()) * size_t(Height());
  if (FDepth.empty()) {
    FDepth.assign(n, 1.0f);
    if (FDepthDeferred == scDepthFar) FDepthDeferred = scDepthNone;
  }
  if (FDepthDeferred == scDepthFar) {
    std::fill_n(FDepth.data(), n, 1.0f);
  } else if (FDepthDeferred == scDepthFromAlpha) {
    const uint32_t* frame = Frame();
    for (size_t i = 0; i < n; ++i) FDepth[i] = frame[i] >> 24 ? FDeferredZ : 1.0f;
  }
  FDepthDeferred = scDepthNone;
}

void TscSoftwareCanvas::Settle(bool NeedDepth) {
  if (!FAllocated) return;
  // The draw that follows writes into the frame.
  FQuadHeld = false;
  StopShowing();
  // Depths read off the frame's alpha must be taken before the draw changes
  // it, even by a draw that does not use them.
  if (NeedDepth || FDepthDeferred == scDepthFromAlpha) EnsureDepth();
  SettleFrame();
}

void TscSoftwareCanvas::DeviceEndScene() {
  SettleFrame();
  if (FDirect) return;
  if (TscBitmap* bitmap = BoundBitmap(); bitmap && bitmap->Bits())
    std::memcpy(bitmap->Bits(), FColor.data(), size_t(Width()) * size_t(Height()) * 4);
}

void TscSoftwareCanvas::DeviceClear(uint32_t Color) {
  // Filled when something first needs the pixels: a frame that one layer
  // covers whole never pays for it.
  FDepthDeferred = scDepthFar;
  FClearPending = true;
  FClearColor = Color;
}

void TscSoftwareCanvas::DeviceCopyToBits(uint32_t* Pixels) {
  SettleFrame();
  std::memcpy(Pixels, Frame(), size_t(Width()) * size_t(Height()) * 4);
}

void TscSoftwareCanvas::DeviceCopyFromBits(const uint32_t* Pixels) {
  if (!FAllocated) return;
  FClearPending = false;
  FQuadHeld = false;
  FShownBitmap = nullptr;
  FDepthDeferred = scDepthFar;
  std::memcpy(Target(), Pixels, size_t(Width()) * size_t(Height()) * 4);
}

std::unique_ptr<TscDeviceTexture> TscSoftwareCanvas::MakeTexture(TscBitmap&) {
  return std::make_unique<TSoftwareTexture>(++FTextureSerial);
}

void TscSoftwareCanvas::UploadTexture(TscBitmap& Bitmap, TscDeviceTexture& Texture) {
  int32_t first = 0, count = 0;
  Bitmap.ModifiedRows(first, count);
  static_cast<TSoftwareTexture&>(Texture).MarkDirty(first, count);
}

// ---- vertices ----

uint32_t TscSoftwareCanvas::LightVertex(const TscVertex& In) const {
  // Colours come from the material, as the fixed-function pipeline does with
  // material colour sources; the vertex colour plays no part.
  const uint32_t diffuse = Material()->Diffuse(), ambient = Material()->Ambient();
  auto channel = [](uint32_t C, int Shift) { return float(Channel(C, Shift)) / 255; };
  const TscMatrix& world = WorldMatrix();
  const TscVector p = scTransformPoint({In.X, In.Y, In.Z, 1}, world);
  const TscVector n = scNormalize(scTransformDirection({In.NX, In.NY, In.NZ, 0}, world));
  float sum[3] = {0, 0, 0};
  float amb[3];
  for (int k = 0; k < 3; ++k) amb[k] = channel(Ambient(), 16 - 8 * k);
  for (const TscLightInfo& light : FFrameLights) {
    for (int k = 0; k < 3; ++k) amb[k] += float(0x69) / 255;
    TscVector toLight;
    float attenuation = 1;
    if (light.Type == scLightDirectional) {
      toLight = scNormalize(scScale(light.Direction, -1));
    } else {
      const TscVector d = scSubtract(light.Position, p);
      const float distance = scLength(d);
      if (distance > 100) continue;
      toLight = scNormalize(d);
      if (light.Type == scLightPoint) {
        attenuation = distance > 0 ? 1 / (0.2f * distance) : 1;
      } else {
        const float rho = scDot(scNormalize(light.Direction), scScale(toLight, -1));
        const float inner = std::cos(0.25f), outer = std::cos(0.5f);
        attenuation = rho > inner ? 1 : rho <= outer ? 0 : (rho - outer) / (inner - outer);
      }
    }
    const float lambert = std::max(0.0f, scDot(n, toLight)) * std::min(attenuation, 1e6f);
    for (int k = 0; k < 3; ++k) sum[k] += lambert;
  }
  uint32_t out = diffuse & 0xFF000000;
  for (int k = 0; k < 3; ++k) {
    const int shift = 16 - 8 * k;
    const float c = channel(ambient, shift) * amb[k] + channel(diffuse, shift) * sum[k];
    out |= ToByte(c * 255) << shift;
  }
  return out;
}

void TscSoftwareCanvas::ShadeVertex(const TscVertex& In, const TscMatrix& Transform,
                                    TScreenVertex& Out) const {
  const TscVector c = scTransform({In.X, In.Y, In.Z, 1}, Transform);
  const uint32_t color = FLit ? LightVertex(In) : In.Color;
  const TscTextureTransform& t = TextureTransform();
  Out.CX = c.X;
  Out.CY = c.Y;
  Out.CZ = c.Z;
  Out.CW = c.W;
  Out.A = float(Channel(color, 24));
  Out.R = float(Channel(color, 16));
  Out.G = float(Channel(color, 8));
  Out.B = float(Channel(color, 0));
  Out.U = t.Enabled ? In.U * t.M11 + t.M31 : In.U;
  Out.V = t.Enabled ? In.V * t.M22 + t.M32 : In.V;
}

namespace {
template <class V>
V Lerp(const V& A, const V& B, float T) {
  auto mix = [T](float X, float Y) { return X + (Y - X) * T; };
  V r = A;
  r.CX = mix(A.CX, B.CX), r.CY = mix(A.CY, B.CY), r.CZ = mix(A.CZ, B.CZ), r.CW = mix(A.CW, B.CW);
  r.A = mix(A.A, B.A), r.R = mix(A.R, B.R), r.G = mix(A.G, B.G), r.B = mix(A.B, B.B);
  r.U = mix(A.U, B.U), r.V = mix(A.V, B.V);
  return r;
}
}  // namespace

void TscSoftwareCanvas::DrawPrimitives(TscPrimitive Kind, std::span<const TscVertex> Vertices,
                                       std::span<const uint16_t> Indices) {
  if (!FAllocated) return;
  const TscMatrix transform =
      scMatrixMultiply(scMatrixMultiply(WorldMatrix(), CurrentViewMatrix()), CurrentProjection());
  std::vector<TScreenVertex> v(Vertices.size());
  const float w = float(Width()), h = float(Height());
  for (size_t i = 0; i < Vertices.size(); ++i) ShadeVertex(Vertices[i], transform, v[i]);
  auto project = [&](TScreenVertex& p) {
    p.InvW = 1 / p.CW;
    p.X = (p.CX * p.InvW + 1) * 0.5f * w;
    p.Y = (1 - p.CY * p.InvW) * 0.5f * h;
    p.Z = p.CZ * p.InvW;
  };
  TSampler sampler;
  if (FTexMode != 0 && CurrentTexture() && CurrentTexture()->Bits()) {
    sampler = {CurrentTexture()->Bits(),
               CurrentTexture()->Width(),
               CurrentTexture()->Height(),
               FLinear,
               FTexMode,
               CurrentTexture()->Premultiplied()};
  }
  const bool allInFront =
      std::all_of(v.begin(), v.end(), [](const TScreenVertex& p) { return p.CZ >= 0 && p.CW > 0; });
  if (allInFront)
    for (TScreenVertex& p : v) project(p);

  const bool needDepth = FDepthTest || FDepthWrite;
  if (Kind == scLineList) {
    Settle(needDepth);
    for (size_t i = 0; i + 1 < Indices.size(); i += 2) {
      TScreenVertex a = v[Indices[i]], b = v[Indices[i + 1]];
      if (!allInFront) {
        // Cut the line at the near plane.
        const bool ina = a.CZ >= 0 && a.CW > 0, inb = b.CZ >= 0 && b.CW > 0;
        if (!ina && !inb) continue;
        if (ina != inb) {
          const float t = a.CZ / (a.CZ - b.CZ);
          (ina ? b : a) = Lerp(a, b, t);
        }
        project(a);
        project(b);
      }
      DrawLine(a, b, sampler);
    }
    return;
  }
  if (allInFront && FStraightBlend && TryStraightQuad(v, Indices, sampler)) return;
  Settle(needDepth);
  for (size_t i = 0; i + 2 < Indices.size(); i += 3) {
    TScreenVertex tri[3] = {v[Indices[i]], v[Indices[i + 1]], v[Indices[i + 2]]};
    if (allInFront) {
      DrawTriangle(tri[0], tri[1], tri[2], sampler);
      continue;
    }
    // Clip against the near plane (z >= 0 in clip space): at most a quad.
    TScreenVertex poly[4];
    int n = 0;
    for (int k = 0; k < 3; ++k) {
      const TScreenVertex& a = tri[k];
      const TScreenVertex& b = tri[(k + 1) % 3];
      const bool ina = a.CZ >= 0 && a.CW > 0, inb = b.CZ >= 0 && b.CW > 0;
      if (ina) poly[n++] = a;
      if (ina != inb && n < 4) poly[n++] = Lerp(a, b, a.CZ / (a.CZ - b.CZ));
    }
    if (n < 3) continue;
    for (int k = 0; k < n; ++k) project(poly[k]);
    for (int k = 1; k + 1 < n; ++k) DrawTriangle(poly[0], poly[k], poly[k + 1], sampler);
  }
}

// ---- pixels ----

void TscSoftwareCanvas::Plot(int X, int Y, float Depth, uint32_t Color, bool Premultiplied) {
  // Alpha test: a pixel of alpha 0 writes neither colour nor depth.
  if ((Color >> 24) == 0) return;
  const size_t p = size_t(Y) * size_t(Width()) + size_t(X);
  if (FDepthTest && !(Depth <= FDepth[p])) return;
  if (FDepthWrite) FDepth[p] = Depth;
  uint32_t* target = Target();
  target[p] = Blend(Color, target[p], FAdditive, Transparency(), Premultiplied);
}

namespace {
// The texel and the vertex colour as the texture stage combines them.
template <class S>
inline uint32_t Combine(const S& Sampler, uint32_t Vertex, float U, float V) {
  if (Sampler.Mode == 0 || !Sampler.Bits) return Vertex;
  const uint32_t t = Sampler.Sample(U, V);
  if (Sampler.Mode == 1) return t;
  return Modulate(t, Sampler.Premultiplied ? scPremultiply(Vertex) : Vertex);
}

inline float Edge(float AX, float AY, float BX, float BY, float PX, float PY) {
  // Always from the same end, so that two triangles sharing an edge get
  // exactly opposite values on it and exactly one of them owns a pixel lying
  // on it.
  if (AX > BX || (AX == BX && AY > BY)) return -((AX - BX) * (PY - BY) - (AY - BY) * (PX - BX));
  return (BX - AX) * (PY - AY) - (BY - AY) * (PX - AX);
}

// Of the two triangles sharing an edge, exactly one owns the pixels on it.
inline bool Owns(float AX, float AY, float BX, float BY) {
  return BY < AY || (BY == AY && BX > AX);
}
}  // namespace

void TscSoftwareCanvas::DrawTriangle(const TScreenVertex& A, const TScreenVertex& B, const TScreenVertex& C,
                                     const TSampler& Sampler) {
  const float area = Edge(A.X, A.Y, B.X, B.Y, C.X, C.Y);
  if (area == 0 || !std::isfinite(area)) return;
  // Seen on a y-down screen, a positive area runs clockwise.
  if ((FCull == 0 && area < 0) || (FCull == 1 && area > 0)) return;
  if (FWire) {
    DrawLine(A, B, Sampler);
    DrawLine(B, C, Sampler);
    DrawLine(C, A, Sampler);
    return;
  }
  const TScreenVertex* p[3] = {&A, &B, &C};
  if (area < 0) std::swap(p[1], p[2]);
  const TScreenVertex &a = *p[0], &b = *p[1], &c = *p[2];
  const float inv = 1 / std::fabs(area);
  const int x0 = std::max(0, int(std::ceil(std::min({a.X, b.X, c.X}))));
  const int x1 = std::min(Width() - 1, int(std::floor(std::max({a.X, b.X, c.X}))));
  const int y0 = std::max(0, int(std::ceil(std::min({a.Y, b.Y, c.Y}))));
  const int y1 = std::min(Height() - 1, int(std::floor(std::max({a.Y, b.Y, c.Y}))));
  const bool ownA = Owns(b.X, b.Y, c.X, c.Y), ownB = Owns(c.X, c.Y, a.X, a.Y),
             ownC = Owns(a.X, a.Y, b.X, b.Y);
  const uint32_t flat = Pack(ToByte(A.A), ToByte(A.R), ToByte(A.G), ToByte(A.B));
  for (int y = y0; y <= y1; ++y) {
    const float py = float(y);
    for (int x = x0; x <= x1; ++x) {
      const float px = float(x);
      const float w0 = Edge(b.X, b.Y, c.X, c.Y, px, py), w1 = Edge(c.X, c.Y, a.X, a.Y, px, py),
                  w2 = Edge(a.X, a.Y, b.X, b.Y, px, py);
      if (w0 < 0 || w1 < 0 || w2 < 0) continue;
      if ((w0 == 0 && !ownA) || (w1 == 0 && !ownB) || (w2 == 0 && !ownC)) continue;
      const float l0 = w0 * inv, l1 = w1 * inv, l2 = w2 * inv;
      const float z = l0 * a.Z + l1 * b.Z + l2 * c.Z;
      if (z < 0 || z > 1) continue;
      // Perspective-correct attributes.
      const float q0 = l0 * a.InvW, q1 = l1 * b.InvW, q2 = l2 * c.InvW, qs = 1 / (q0 + q1 + q2);
      auto attr = [&](float TScreenVertex::*M) { return (q0 * (a.*M) + q1 * (b.*M) + q2 * (c.*M)) * qs; };
      const uint32_t vertex = FFlat ? flat
                                    : Pack(ToByte(attr(&TScreenVertex::A)), ToByte(attr(&TScreenVertex::R)),
                                           ToByte(attr(&TScreenVertex::G)), ToByte(attr(&TScreenVertex::B)));
      Plot(x, y, z, Combine(Sampler, vertex, attr(&TScreenVertex::U), attr(&TScreenVertex::V)),
           Sampler.Premultiplied);
    }
  }
}

void TscSoftwareCanvas::DrawLine(const TScreenVertex& A, const TScreenVertex& B, const TSampler& Sampler) {
  const float dx = B.X - A.X, dy = B.Y - A.Y;
  const int steps = int(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
  if (!std::isfinite(dx) || !std::isfinite(dy) || steps > 1 << 16) return;
  for (int i = 0; i <= steps; ++i) {
    const float t = steps ? float(i) / float(steps) : 0;
    const TScreenVertex p = Lerp(A, B, t);
    const int x = int(std::lround(A.X + dx * t)), y = int(std::lround(A.Y + dy * t));
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) continue;
    const float z = A.Z + (B.Z - A.Z) * t;
    if (z < 0 || z > 1) continue;
    const uint32_t vertex = Pack(ToByte(p.A), ToByte(p.R), ToByte(p.G), ToByte(p.B));
    Plot(x, y, z, Combine(Sampler, vertex, p.U, p.V), Sampler.Premultiplied);
  }
}

// One row of the straight blend: texel x + OX of row y + OY onto pixel x.
// Vertex is premultiplied for premultiplied texels.
struct TscSoftwareCanvas::TStraightRun {
  const uint32_t* Texels;
  size_t TexStride;
  uint32_t* Target;
  float* Depth;
  size_t Stride;
  int X0, X1, OX, OY;
  float Z;
  uint32_t Vertex;
  bool Test, Write;

  template <bool Premul>
  static uint32_t Over(uint32_t S, uint32_t D) {
    return Premul ? scBlendPremultiplied(S, D) : scBlendKeepingCoverage(S, D);
  }

  // Without branches per pixel, so that the compiler can run several at once.
  // Without depths (UsesDepth false) Depth is none.
  template <bool Premul, bool Modulated, bool UsesDepth>
  void Row(int Y) const {
    const uint32_t* src = Texels + size_t(Y + OY) * TexStride + size_t(X0 + OX);
    uint32_t* __restrict dst = Target + size_t(Y) * Stride + X0;
    const int n = X1 - X0 + 1;
    if constexpr (!UsesDepth) {
      for (int i = 0; i < n; ++i) {
        const uint32_t s = Modulated ? Modulate(src[i], Vertex) : src[i];
        dst[i] = (s >> 24) != 0 ? Over<Premul>(s, dst[i]) : dst[i];
      }
      return;
    }
    float* __restrict depth = Depth + size_t(Y) * Stride + X0;
    const float z = Z;
    const bool test = Test, write = Write;
    for (int i = 0; i < n; ++i) {
      const uint32_t s = Modulated ? Modulate(src[i], Vertex) : src[i];
      const uint32_t d = dst[i];
      const float old = depth[i];
      const bool pass = (s >> 24) != 0 && (!test || z <= old);
      dst[i] = pass ? Over<Premul>(s, d) : d;
      depth[i] = pass && write ? z : old;
    }
  }

  void GeneralRow(int Y, bool Modulated, bool Additive, bool KeepCoverage, bool Premultiplied) const {
    const uint32_t* src = Texels + size_t(Y + OY) * TexStride + size_t(X0 + OX);
    uint32_t* dst = Target + size_t(Y) * Stride;
    // Test and Write never hold without a depth buffer.
    float* depth = Depth ? Depth + size_t(Y) * Stride : nullptr;
    for (int x = X0; x <= X1; ++x, ++src) {
      const uint32_t s = Modulated ? Modulate(*src, Vertex) : *src;
      if ((s >> 24) == 0) continue;
      if (Test && !(Z <= depth[x])) continue;
      if (Write) depth[x] = Z;
      dst[x] = Blend(s, dst[x], Additive, KeepCoverage, Premultiplied);
    }
  }
};

bool TscSoftwareCanvas::TryStraightQuad(std::span<const TScreenVertex> V, std::span<const uint16_t> Indices,
                                        const TSampler& Sampler) {
  // Only the screen-aligned, one-texel-per-pixel quad of a GUI layer.
  if (V.size() != 4 || Indices.size() != 6 || !Sampler.Bits || FWire || FLit || FCull != 2) return false;
  if (!StateSet(scStateScreenProjection)) return false;
  const TScreenVertex& v0 = V[0];
  float xmin = v0.X, xmax = v0.X, ymin = v0.Y, ymax = v0.Y;
  for (const TScreenVertex& p : V) {
    if (p.Z != v0.Z || p.InvW != v0.InvW || p.A != v0.A || p.R != v0.R || p.G != v0.G || p.B != v0.B)
      return false;
    xmin = std::min(xmin, p.X), xmax = std::max(xmax, p.X), ymin = std::min(ymin, p.Y),
    ymax = std::max(ymax, p.Y);
  }
  // The four corners, each once, with texture coordinates linear in x and y.
  int seen = 0;
  float uL = 0, uR = 0, vT = 0, vB = 0;
  for (const TScreenVertex& p : V) {
    const bool left = p.X == xmin, right = p.X == xmax, top = p.Y == ymin, bottom = p.Y == ymax;
    if ((left == right) || (top == bottom)) return false;
    seen |= 1 << (int(right) + 2 * int(bottom));
    (left ? uL : uR) = p.U;
    (top ? vT : vB) = p.V;
  }
  for (const TScreenVertex& p : V)
    if (p.U != (p.X == xmin ? uL : uR) || p.V != (p.Y == ymin ? vT : vB)) return false;
  if (seen != 15) return false;
  // Two triangles over the four corners, sharing a diagonal.
  for (int t = 0; t < 2; ++t) {
    const uint16_t* i = &Indices[size_t(3 * t)];
    if (i[0] > 3 || i[1] > 3 || i[2] > 3 || i[0] == i[1] || i[1] == i[2] || i[0] == i[2]) return false;
  }
  const auto missing = [&](int t) {
    return 6 - Indices[size_t(3 * t)] - Indices[size_t(3 * t + 1)] - Indices[size_t(3 * t + 2)];
  };
  if (missing(0) == missing(1)) return false;
  // Edges off pixel centres, one texel per pixel, texel centres on pixel centres.
  auto offCentre = [](float X) { return X != std::floor(X); };
  if (!offCentre(xmin) || !offCentre(xmax) || !offCentre(ymin) || !offCentre(ymax)) return false;
  const float tw = float(Sampler.Width), th = float(Sampler.Height);
  if (std::fabs((uR - uL) * tw - (xmax - xmin)) > 1e-3f || std::fabs((vB - vT) * th - (ymax - ymin)) > 1e-3f)
    return false;
  const float kx = uL * tw - xmin - 0.5f, ky = vT * th - ymin - 0.5f;
  if (std::fabs(kx - std::round(kx)) > 1e-3f || std::fabs(ky - std::round(ky)) > 1e-3f) return false;
  const int x0 = std::max(0, int(std::ceil(xmin))), x1 = std::min(Width() - 1, int(std::floor(xmax)));
  const int y0 = std::max(0, int(std::ceil(ymin))), y1 = std::min(Height() - 1, int(std::floor(ymax)));
  const int ox = int(std::round(kx)), oy = int(std::round(ky));
  if (x0 > x1 || y0 > y1) return true;
  if (x0 + ox < 0 || x1 + ox >= Sampler.Width || y0 + oy < 0 || y1 + oy >= Sampler.Height) return false;
  if (v0.Z < 0 || v0.Z > 1) return true;

  ++FFastDraws;
  // The colour the texels are multiplied by, none when they replace it.
  const bool premul = Sampler.Premultiplied;
  const uint32_t vertex =
      Sampler.Mode == 2 ? Pack(ToByte(v0.A), ToByte(v0.R), ToByte(v0.G), ToByte(v0.B)) : 0xFFFFFFFF;
  const bool simple = !FAdditive && Transparency();
  // A frame cleared a moment ago and covered whole needs neither the clear
  // nor a read of what it would have left.
  const bool whole = x0 == 0 && y0 == 0 && x1 == Width() - 1 && y1 == Height() - 1;
  if (simple && FClearPending && whole) {
    QuadOverClear(*CurrentTexture(), ox, oy, v0.Z, vertex, premul);
    return true;
  }
  const bool needDepth = FDepthTest || FDepthWrite;
  Settle(needDepth);
  TStraightRun run{Sampler.Bits,
                   size_t(Sampler.Width),
                   Target(),
                   needDepth ? FDepth.data() : nullptr,
                   size_t(Width()),
                   x0,
                   x1,
                   ox,
                   oy,
                   v0.Z,
                   premul ? scPremultiply(vertex) : vertex,
                   FDepthTest,
                   FDepthWrite};
  const bool modulate = vertex != 0xFFFFFFFF;
  using TRow = void (TStraightRun::*)(int) const;
  // By premultiplied, modulated and uses depths.
  static constexpr TRow rows[2][2][2] = {
      {{&TStraightRun::Row<false, false, false>, &TStraightRun::Row<false, false, true>},
       {&TStraightRun::Row<false, true, false>, &TStraightRun::Row<false, true, true>}},
      {{&TStraightRun::Row<true, false, false>, &TStraightRun::Row<true, false, true>},
       {&TStraightRun::Row<true, true, false>, &TStraightRun::Row<true, true, true>}}};
  const TRow row = rows[premul][modulate][needDepth];
  for (int y = y0; y <= y1; ++y) {
    if (simple)
      (run.*row)(y);
    else
      run.GeneralRow(y, modulate, FAdditive, Transparency(), premul);
  }
  return true;
}

void TscSoftwareCanvas::QuadOverClear(TscBitmap& Bitmap, int OX, int OY, float Z, uint32_t Vertex,
                                      bool Premultiplied) {
  FClearPending = false;
  const uint32_t clear = FClearColor;
  const int w = Width(), h = Height(), tw = Bitmap.Width(), th = Bitmap.Height();
  const uint32_t* texels = Bitmap.Bits();
  auto& tex = static_cast<TSoftwareTexture&>(*FindTexture(&Bitmap));
  if (FDirect && clear == 0 && Vertex == 0xFFFFFFFF && Premultiplied && OX == 0 && OY == 0 && tw == w &&
      th == h) {
    // Premultiplied texels over nothing are themselves: the texture is the
    // frame.
    FShownBitmap = &Bitmap;
    FShownSerial = tex.Serial;
    FQuadHeld = false;
    tex.DropBlended();
    tex.Drawn = false;
    tex.DirtyCount = 0;
    ReleaseMemoryBuffer();
    if (!FDepthWrite) {
      FDepthDeferred = scDepthFar;
    } else {
      FDepthDeferred = scDepthFromAlpha;
      FDeferredZ = Z;
    }
    return;
  }
  FShownBitmap = nullptr;
  uint32_t* target = Target();
  const TQuadKey key{tex.Serial, OX, OY, Vertex, clear, Premultiplied};
  const bool keyed =
      tex.Drawn && tex.Vertex == Vertex && tex.Clear == clear && tex.Premultiplied == Premultiplied;
  const auto blendRow = [&](const uint32_t* Src, uint32_t* Out, int Count) {
    scBlendRowOver(Src, clear, Out, Count, Vertex, Premultiplied);
  };
  const auto copyKept = [&] {
    const uint32_t* from = tex.Blended.data() + size_t(OY) * tw + OX;
    if (OX == 0 && tw == w)
      std::memcpy(target, from, size_t(w) * size_t(h) * 4);
    else
      for (int y = 0; y < h; ++y) std::memcpy(target + size_t(y) * w, from + size_t(y) * tw, size_t(w) * 4);
  };
  if (FQuadHeld && FQuadKey == key) {
    // The frame still holds the last one: only the rows the bitmap marked,
    // where the frame shows them. A picture kept on the side is no longer
    // needed.
    const int first = std::max(tex.DirtyFirst, OY), last = std::min(tex.DirtyFirst + tex.DirtyCount, OY + h);
    for (int y = first; y < last; ++y) blendRow(texels + size_t(y) * tw + OX, target + size_t(y - OY) * w, w);
    tex.Misses = 0;
    tex.DropBlended();
  } else if (tex.Kept && keyed) {
    for (int y = tex.DirtyFirst; y < tex.DirtyFirst + tex.DirtyCount; ++y)
      blendRow(texels + size_t(y) * tw, tex.Blended.data() + size_t(y) * tw, tw);
    copyKept();
  } else {
    // Something else changed the frame since the last quad. Once is an
    // exception (a resize, another draw for a frame); when it keeps
    // happening, the picture is kept blended on the side.
    tex.Misses = keyed ? tex.Misses + 1 : 0;
    if (tex.Misses >= 2) {
      tex.Blended.resize(size_t(tw) * size_t(th));
      tex.Kept = true;
      for (int y = 0; y < th; ++y) blendRow(texels + size_t(y) * tw, tex.Blended.data() + size_t(y) * tw, tw);
      copyKept();
    } else {
      tex.DropBlended();
      for (int y = 0; y < h; ++y) blendRow(texels + size_t(y + OY) * tw + OX, target + size_t(y) * w, w);
    }
  }
  tex.Drawn = true, tex.Vertex = Vertex, tex.Clear = clear, tex.Premultiplied = Premultiplied;
  FQuadHeld = true;
  FQuadKey = key;
  tex.DirtyCount = 0;
  // The depths the quad would have written: its depth where a texel showed,
  // the far plane elsewhere. Over a clear of alpha 0 a pixel showed exactly
  // when its alpha is no longer 0, so the frame itself records them and the
  // buffer is filled only if a later draw needs it.
  if (!FDepthWrite) {
    FDepthDeferred = scDepthFar;
  } else if ((clear >> 24) == 0) {
    FDepthDeferred = scDepthFromAlpha;
    FDeferredZ = Z;
  } else {
    EnsureDepth();
    for (int y = 0; y < h; ++y) {
      const uint32_t* src = texels + size_t(y + OY) * tw + OX;
      float* depth = FDepth.data() + size_t(y) * w;
      for (int x = 0; x < w; ++x) depth[x] = Modulate(src[x], Vertex) >> 24 ? Z : 1.0f;
    }
  }
}
