#pragma once

#include <cstdint>
#include <string>

#include "scene2d/Colors.h"
#include "scene2d/effects/Effect.h"

// The effect kinds. Each setter clamps where a range is stated, stores a
// changed value and marks the effect's output stale; colours are published as
// colour texts and parsed on the way in. The softness of the soft kinds sets
// both the room the effect takes around the object and its blur radius.

// A blurred, coloured copy of the object's silhouette, moved by Distance in
// Direction (degrees, clockwise from the x axis) and drawn beneath it, cut away
// where the object itself is opaque.
class TuiShadowEffect : public TuiEffect {
  UX_CLASS(TuiShadowEffect, TuiEffect)
 public:
  explicit TuiShadowEffect(TuiComponent* Owner) : TuiEffect(Owner) {}

  float Distance() const { return FDistance; }
  void SetDistance(float Value);
  float Direction() const { return FDirection; }
  void SetDirection(float Value);
  // [0, 3]
  float Softness() const { return FSoftness; }
  void SetSoftness(float Value);
  // [0, 1]
  float Opacity() const { return FOpacity; }
  void SetOpacity(float Value);
  std::string ShadowColor() const { return ColorToText(FShadowColor); }
  void SetShadowColor(const std::string& Value) { SetShadowColorValue(TextToColor(Value)); }
  TuiColor ShadowColorValue() const { return FShadowColor; }
  void SetShadowColorValue(TuiColor Value);

  TuiRect GetRect(const TuiRect& R) const override;
  TuiPoint GetOffset() const override;
  void ProcessEffect(TuiCanvas& Canvas, TuiBitmap& Bitmap, float Scale) override;
  TReach Reach(float Scale) const override;

  static void DefineProperties(TuiClassBuilder<TuiShadowEffect>& C) {
    using S = TuiShadowEffect;
    C.Property("Distance", &S::Distance, &S::SetDistance, 3.0f);
    C.Property("Direction", &S::Direction, &S::SetDirection, 45.0f);
    C.Property("Softness", &S::Softness, &S::SetSoftness, 0.3f);
    C.Property("Opacity", &S::Opacity, &S::SetOpacity, 0.6f);
    C.Property("ShadowColor", &S::ShadowColor, &S::SetShadowColor, std::string("#FF000000"));
    C.ColorSetter("ShadowColor", &S::SetShadowColorValue);
  }

 private:
  int32_t Room() const;
  float FDistance = 3;
  float FDirection = 45;
  float FSoftness = 0.3f;
  float FOpacity = 0.6f;
  TuiColor FShadowColor = 0xFF000000;
};

// A soft halo in GlowColor around the object's silhouette, drawn beneath it:
// it never covers the object's opaque pixels and shows at half strength under
// half-transparent ones.
class TuiGlowEffect : public TuiEffect {
  UX_CLASS(TuiGlowEffect, TuiEffect)
 public:
  explicit TuiGlowEffect(TuiComponent* Owner) : TuiEffect(Owner) {}

  // [0, 9]
  float Softness() const { return FSoftness; }
  void SetSoftness(float Value);
  // [0, 1]
  float Opacity() const { return FOpacity; }
  void SetOpacity(float Value);
  std::string GlowColor() const { return ColorToText(FGlowColor); }
  void SetGlowColor(const std::string& Value) { SetGlowColorValue(TextToColor(Value)); }
  TuiColor GlowColorValue() const { return FGlowColor; }
  void SetGlowColorValue(TuiColor Value);

  TuiRect GetRect(const TuiRect& R) const override;
  TuiPoint GetOffset() const override;
  void ProcessEffect(TuiCanvas& Canvas, TuiBitmap& Bitmap, float Scale) override;
  TReach Reach(float Scale) const override;

  static void DefineProperties(TuiClassBuilder<TuiGlowEffect>& C) {
    using G = TuiGlowEffect;
    C.Property("Softness", &G::Softness, &G::SetSoftness, 0.4f);
    C.Property("Opacity", &G::Opacity, &G::SetOpacity, 0.9f);
    C.Property("GlowColor", &G::GlowColor, &G::SetGlowColor, std::string("#FFFFD700"));
    C.ColorSetter("GlowColor", &G::SetGlowColorValue);
  }

 protected:
  // The room the effect takes on every side.
  virtual int32_t Room() const;
  // The blur radius of the halo.
  int32_t BlurRadius() const;
  float FSoftness = 0.4f;
  float FOpacity = 0.9f;
  TuiColor FGlowColor = 0xFFFFD700;
};

// The glow inside the silhouette, along its edges, drawn over the object.
class TuiInnerGlowEffect : public TuiGlowEffect {
  UX_CLASS(TuiInnerGlowEffect, TuiGlowEffect)
 public:
  explicit TuiInnerGlowEffect(TuiComponent* Owner);

  void ProcessEffect(TuiCanvas& Canvas, TuiBitmap& Bitmap, float Scale) override;
  TReach Reach(float Scale) const override;

 protected:
  int32_t Room() const override;
};

// The object blurred, drawn in its place.
class TuiBlurEffect : public TuiEffect {
  UX_CLASS(TuiBlurEffect, TuiEffect)
 public:
  explicit TuiBlurEffect(TuiComponent* Owner);

  // [0, 9]
  float Softness() const { return FSoftness; }
  void SetSoftness(float Value);

  TuiRect GetRect(const TuiRect& R) const override;
  TuiPoint GetOffset() const override;
  void ProcessEffect(TuiCanvas& Canvas, TuiBitmap& Bitmap, float Scale) override;
  TReach Reach(float Scale) const override;

  static void DefineProperties(TuiClassBuilder<TuiBlurEffect>& C) {
    C.Property("Softness", &TuiBlurEffect::Softness, &TuiBlurEffect::SetSoftness, 0.3f);
  }

 private:
  int32_t Room() const;
  float FSoftness = 0.3f;
};

// The object shaded as if raised, lit from Direction (degrees), its edges
// sloping over about Size pixels; drawn in its place.
class TuiBevelEffect : public TuiEffect {
  UX_CLASS(TuiBevelEffect, TuiEffect)
 public:
  explicit TuiBevelEffect(TuiComponent* Owner);

  float Direction() const { return FDirection; }
  void SetDirection(float Value);
  int32_t Size() const { return FSize; }
  void SetSize(int32_t Value);

  TuiRect GetRect(const TuiRect& R) const override;
  TuiPoint GetOffset() const override { return {Room, Room}; }
  void ProcessEffect(TuiCanvas& Canvas, TuiBitmap& Bitmap, float Scale) override;
  TReach Reach(float Scale) const override;

  static void DefineProperties(TuiClassBuilder<TuiBevelEffect>& C) {
    C.Property("Direction", &TuiBevelEffect::Direction, &TuiBevelEffect::SetDirection, 45.0f);
    C.Property("Size", &TuiBevelEffect::Size, &TuiBevelEffect::SetSize, 10);
  }

 private:
  static constexpr float Room = 5;
  float FDirection = 45;
  int32_t FSize = 10;
};

// The object mirrored below itself, Offset units down, fading out over
// Length (a fraction of its height) from Opacity.
class TuiReflectionEffect : public TuiEffect {
  UX_CLASS(TuiReflectionEffect, TuiEffect)
 public:
  explicit TuiReflectionEffect(TuiComponent* Owner) : TuiEffect(Owner) {}

  int32_t Offset() const { return FOffset; }
  void SetOffset(int32_t Value);
  float Opacity() const { return FOpacity; }
  void SetOpacity(float Value);
  // [0.1, 1]
  float Length() const { return FLength; }
  void SetLength(float Value);

  TuiRect GetRect(const TuiRect& R) const override;
  TuiPoint GetOffset() const override { return {Room, Room}; }
  void ProcessEffect(TuiCanvas& Canvas, TuiBitmap& Bitmap, float Scale) override;
  TReach Reach(float Scale) const override;

  static void DefineProperties(TuiClassBuilder<TuiReflectionEffect>& C) {
    using R = TuiReflectionEffect;
    C.Property("Offset", &R::Offset, &R::SetOffset, 0);
    C.Property("Opacity", &R::Opacity, &R::SetOpacity, 0.5f);
    C.Property("Length", &R::Length, &R::SetLength, 0.5f);
  }

 private:
  static constexpr float Room = 2;
  int32_t FOffset = 0;
  float FOpacity = 0.5f;
  float FLength = 0.5f;
};
