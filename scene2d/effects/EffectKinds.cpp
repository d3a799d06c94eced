#include "scene2d/effects/EffectKinds.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "draw2d/BitmapBlur.h"
#include "scene2d/Geometry.h"

UX_IMPLEMENT_CLASS(TuiShadowEffect)
UX_IMPLEMENT_CLASS(TuiGlowEffect)
UX_IMPLEMENT_CLASS(TuiInnerGlowEffect)
UX_IMPLEMENT_CLASS(TuiBlurEffect)
UX_IMPLEMENT_CLASS(TuiBevelEffect)
UX_IMPLEMENT_CLASS(TuiReflectionEffect)

namespace {

// Single-precision products, truncated: the room and radii follow the stored
// single values exactly (0.2 * 23 gives 4, 0.2 * 10 + 5 gives 7).
int32_t Trunc(float Value) {
  return int32_t(std::trunc(Value));
}

uint32_t AlphaOf(uint32_t Pixel) {
  return Pixel >> 24;
}

// Stores a changed value and reports it; the caller clamps.
template <class T, class F>
void Store(T& Field, T Value, F&& Changed) {
  if (Value == Field) return;
  Field = Value;
  Changed();
}

// The soft kinds blur the colourised silhouette by this radius.
int32_t HaloRadius(float Softness) {
  return Trunc(Softness * 10.0f + 5.0f);
}

// A coloured, blurred copy of the picture's silhouette, cut away where Mask
// (an alpha mask) is opaque at the pixel moved by (-OffsetX, -OffsetY).
void MakeHalo(TuiBitmap& Bitmap, const std::vector<uint8_t>& Mask, TuiColor Color, float Opacity,
              float Softness, int32_t OffsetX, int32_t OffsetY) {
  Bitmap.SetColorKeepAlpha(OpacityColor(Color, Opacity));
  StackBlur(Bitmap, HaloRadius(Softness));
  Bitmap.ApplyMask(Mask, OffsetX, OffsetY);
}

}  // namespace

// ---- shadow ----

void TuiShadowEffect::SetDistance(float Value) {
  Store(FDistance, Value, [this] { Changed(); });
}

void TuiShadowEffect::SetDirection(float Value) {
  Store(FDirection, Value, [this] { Changed(); });
}

void TuiShadowEffect::SetSoftness(float Value) {
  Store(FSoftness, std::clamp(Value, 0.0f, 3.0f), [this] { Changed(); });
}

void TuiShadowEffect::SetOpacity(float Value) {
  Store(FOpacity, std::clamp(Value, 0.0f, 1.0f), [this] { Changed(); });
}

void TuiShadowEffect::SetShadowColorValue(TuiColor Value) {
  Store(FShadowColor, Value, [this] { Changed(); });
}

int32_t TuiShadowEffect::Room() const {
  return Trunc(FSoftness * 20.0f);
}

TuiRect TuiShadowEffect::GetRect(const TuiRect& R) const {
  TuiRect r = R;
  InflateRect(r, float(Room()), float(Room()));
  const float angle = DegToRad(FDirection);
  OffsetRect(r, FDistance * std::cos(angle), FDistance * std::sin(angle));
  return r;
}

TuiPoint TuiShadowEffect::GetOffset() const {
  return {float(Room()), float(Room())};
}

TuiEffect::TReach TuiShadowEffect::Reach(float Scale) const {
  // The blur, and the silhouette the shadow is cut away under, moved by the
  // distance.
  const float angle = DegToRad(FDirection);
  const double dx = std::fabs(double(Scale) * FDistance * std::cos(angle));
  const double dy = std::fabs(double(Scale) * FDistance * std::sin(angle));
  const auto reach = [this](double D) {
    // Farther than any picture is wide: the whole picture, whatever shows.
    if (!(D < 1e8)) return -1;
    return HaloRadius(FSoftness) + int32_t(std::ceil(D)) + 1;
  };
  return {reach(dx), reach(dy)};
}

void TuiShadowEffect::ProcessEffect(TuiCanvas&, TuiBitmap& Bitmap, float Scale) {
  const std::vector<uint8_t> mask = Bitmap.CreateMask();
  // The shadow is drawn moved by the distance; where it then lies under the
  // object it is cut away.
  const float angle = DegToRad(FDirection);
  const auto dx = int32_t(RoundHalfEven(Scale * FDistance * std::cos(angle)));
  const auto dy = int32_t(RoundHalfEven(Scale * FDistance * std::sin(angle)));
  MakeHalo(Bitmap, mask, FShadowColor, FOpacity, FSoftness, -dx, -dy);
}

// ---- glow ----

void TuiGlowEffect::SetSoftness(float Value) {
  Store(FSoftness, std::clamp(Value, 0.0f, 9.0f), [this] { Changed(); });
}

void TuiGlowEffect::SetOpacity(float Value) {
  Store(FOpacity, std::clamp(Value, 0.0f, 1.0f), [this] { Changed(); });
}

void TuiGlowEffect::SetGlowColorValue(TuiColor Value) {
  Store(FGlowColor, Value, [this] { Changed(); });
}

int32_t TuiGlowEffect::Room() const {
  // The halo's blur reaches HaloRadius beyond the silhouette; a little more
  // keeps its faint end inside the picture.
  return Trunc(FSoftness * 23.0f) + 4;
}

TuiRect TuiGlowEffect::GetRect(const TuiRect& R) const {
  TuiRect r = R;
  InflateRect(r, float(Room()), float(Room()));
  return r;
}

TuiPoint TuiGlowEffect::GetOffset() const {
  return {float(Room()), float(Room())};
}

TuiEffect::TReach TuiGlowEffect::Reach(float) const {
  return {HaloRadius(FSoftness), HaloRadius(FSoftness)};
}

void TuiGlowEffect::ProcessEffect(TuiCanvas&, TuiBitmap& Bitmap, float) {
  MakeHalo(Bitmap, Bitmap.CreateMask(), FGlowColor, FOpacity, FSoftness, 0, 0);
}

// ---- inner glow ----

TuiInnerGlowEffect::TuiInnerGlowEffect(TuiComponent* Owner) : TuiGlowEffect(Owner) {
  FPaintsAfter = true;
}

int32_t TuiInnerGlowEffect::Room() const {
  return Trunc(FSoftness * 20.0f);
}

TuiEffect::TReach TuiInnerGlowEffect::Reach(float Scale) const {
  return TuiGlowEffect::Reach(Scale);
}

void TuiInnerGlowEffect::ProcessEffect(TuiCanvas&, TuiBitmap& Bitmap, float) {
  // The glow of the outside, cut away outside: what is left lies inside.
  Bitmap.InvertAlpha();
  MakeHalo(Bitmap, Bitmap.CreateMask(), FGlowColor, FOpacity, FSoftness, 0, 0);
}

// ---- blur ----

TuiBlurEffect::TuiBlurEffect(TuiComponent* Owner) : TuiEffect(Owner) {
  FReplacesPainting = true;
}

void TuiBlurEffect::SetSoftness(float Value) {
  Store(FSoftness, std::clamp(Value, 0.0f, 9.0f), [this] { Changed(); });
}

int32_t TuiBlurEffect::Room() const {
  return Trunc(FSoftness * 20.0f);
}

TuiRect TuiBlurEffect::GetRect(const TuiRect& R) const {
  TuiRect r = R;
  InflateRect(r, float(Room()), float(Room()));
  return r;
}

TuiPoint TuiBlurEffect::GetOffset() const {
  return {float(Room()), float(Room())};
}

TuiEffect::TReach TuiBlurEffect::Reach(float) const {
  const int32_t r = FSoftness > 0 ? Trunc(FSoftness * 15.0f) : 0;
  return {r, r};
}

void TuiBlurEffect::ProcessEffect(TuiCanvas&, TuiBitmap& Bitmap, float) {
  if (FSoftness > 0) StackBlur(Bitmap, Trunc(FSoftness * 15.0f));
}

// ---- bevel ----

TuiBevelEffect::TuiBevelEffect(TuiComponent* Owner) : TuiEffect(Owner) {
  FReplacesPainting = true;
}

void TuiBevelEffect::SetDirection(float Value) {
  Store(FDirection, Value, [this] { Changed(); });
}

void TuiBevelEffect::SetSize(int32_t Value) {
  Store(FSize, Value, [this] { Changed(); });
}

TuiRect TuiBevelEffect::GetRect(const TuiRect& R) const {
  TuiRect r = R;
  InflateRect(r, Room, Room);
  return r;
}

TuiEffect::TReach TuiBevelEffect::Reach(float) const {
  // The blurred height field, and its slope towards the next pixel.
  const int32_t r = std::clamp(FSize, 0, 1 << 24) + 1;
  return {r, r};
}

void TuiBevelEffect::ProcessEffect(TuiCanvas&, TuiBitmap& Bitmap, float) {
  if (FSize == 0 || Bitmap.IsEmpty()) return;
  // A height field: the blurred alpha rises from 0 outside to 1 well inside,
  // and its slope tilts each pixel's normal towards or away from the light.
  TuiBitmap height(Bitmap.Width(), Bitmap.Height());
  std::copy_n(Bitmap.Bits(), size_t(Bitmap.Width()) * size_t(Bitmap.Height()), height.Bits());
  StackBlur(height, FSize);
  const float angle = DegToRad(FDirection);
  const float lx = std::cos(angle), lz = std::sin(angle);
  const auto a = [&height](int32_t X, int32_t Y) { return float(AlphaOf(height.Scanline(Y)[X])) / 255.0f; };
  for (int32_t y = 0; y + 1 < Bitmap.Height(); ++y) {
    uint32_t* row = Bitmap.Scanline(y);
    for (int32_t x = 0; x + 1 < Bitmap.Width(); ++x) {
      const uint32_t c = AlphaOf(row[x]);
      if (c == 0) continue;
      const float u = a(x + 1, y) - a(x + 1, y + 1);
      const float v = a(x, y + 1) - a(x + 1, y + 1);
      // L = (lx, 0, lz), N = (-u, 1, -v); |L| is 1 and |N| at least 1.
      const float h = (-u * lx - v * lz) / std::sqrt(u * u + 1 + v * v);
      // The pixel's own colour, lit, at the pixel's coverage.
      const TuiColor straight = UnpremultiplyColor(row[x]) | 0xFF000000;
      row[x] =
          PremultiplyColor(OpacityColor(ChangeHSL(straight, 0, 0, 0.4f * h * float(FSize)), float(c) / 255));
    }
  }
  Bitmap.Changed();
}

// ---- reflection ----

void TuiReflectionEffect::SetOffset(int32_t Value) {
  Store(FOffset, Value, [this] { Changed(); });
}

void TuiReflectionEffect::SetOpacity(float Value) {
  Store(FOpacity, Value, [this] { Changed(); });
}

void TuiReflectionEffect::SetLength(float Value) {
  Store(FLength, std::clamp(Value, 0.1f, 1.0f), [this] { Changed(); });
}

TuiRect TuiReflectionEffect::GetRect(const TuiRect& R) const {
  TuiRect r = R;
  InflateRect(r, Room, Room);
  OffsetRect(r, 0, R.Height() + float(FOffset));
  return r;
}

TuiEffect::TReach TuiReflectionEffect::Reach(float) const {
  // Columns stay apart; every row depends on the whole height.
  return {0, -1};
}

void TuiReflectionEffect::ProcessEffect(TuiCanvas&, TuiBitmap& Bitmap, float) {
  Bitmap.FlipVertical();
  const int32_t rows = Bitmap.Height();
  const auto b = int32_t(RoundHalfEven(double(rows - 1) * FLength));
  // Row i counted from the bottom keeps (i + b - rows + 1) / b of the
  // opacity: the full Opacity next to the object, none b rows away.
  for (int32_t i = 0; i < rows; ++i) {
    uint32_t* row = Bitmap.Scanline(rows - 1 - i);
    const int32_t kept = i + b - rows + 1;
    if (kept <= 0 || b <= 0) {
      std::fill_n(row, Bitmap.Width(), 0u);
      continue;
    }
    const float fade = FOpacity * float(kept) / float(b);
    for (int32_t x = 0; x < Bitmap.Width(); ++x) {
      const TuiColor straight = UnpremultiplyColor(row[x]);
      const auto alpha = uint32_t(std::clamp(fade * float(AlphaOf(straight)), 0.0f, 255.0f));
      row[x] = PremultiplyColor(alpha << 24 | (straight & 0xFFFFFF));
    }
  }
  Bitmap.Changed();
}
