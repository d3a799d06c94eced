#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "scene2d/Persistent.h"

class TscBitmap;
class TuiFont;

enum TscTexMode : uint8_t { scTexModulate, scTexReplace };
UX_ENUM(TscTexMode, "scTexModulate", "scTexReplace")
enum TscShadeMode : uint8_t { scFlat, scGouraud };
UX_ENUM(TscShadeMode, "scFlat", "scGouraud")
enum TscFillMode : uint8_t { scSolid, scWireframe };
UX_ENUM(TscFillMode, "scSolid", "scWireframe")
enum TscFontStyle : uint8_t { scFontRegular, scFontBold, scFontItalic, scFontBoldItalic };
UX_ENUM(TscFontStyle, "scFontRegular", "scFontBold", "scFontItalic", "scFontBoldItalic")

// Anything that lends its bitmap to materials by name (a buffer layer, a
// bitmap object). Holders enter the process-wide name list while they live.
class IscBitmapHolder {
 public:
  virtual ~IscBitmapHolder() = default;
  virtual const std::string& BitmapHolderName() const = 0;
  virtual TscBitmap* HeldBitmap() = 0;

  static void Enter(IscBitmapHolder* Holder);
  static void Leave(IscBitmapHolder* Holder);
  // The first holder of that name (case-insensitive), or none.
  static IscBitmapHolder* Find(std::string_view Name);
};

// A sub-rectangle of a texture in pixels; empty when all four are 0.
class TscBitmapRect : public TuiPersistent {
  UX_CLASS(TscBitmapRect, TuiPersistent)
 public:
  float Left() const { return FLeft; }
  float Top() const { return FTop; }
  float Right() const { return FRight; }
  float Bottom() const { return FBottom; }
  void SetLeft(float Value) { Store(FLeft, Value); }
  void SetTop(float Value) { Store(FTop, Value); }
  void SetRight(float Value) { Store(FRight, Value); }
  void SetBottom(float Value) { Store(FBottom, Value); }
  void SetRect(float Left, float Top, float Right, float Bottom);
  bool IsEmpty() const { return FLeft == 0 && FTop == 0 && FRight == 0 && FBottom == 0; }
  void Assign(const TscBitmapRect& Source) {
    SetRect(Source.FLeft, Source.FTop, Source.FRight, Source.FBottom);
  }

  std::function<void()> OnChanged;

  static void DefineProperties(TuiClassBuilder<TscBitmapRect>& C);

 private:
  void Store(float& Field, float Value);
  float FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
};

// What the following draws are made of: colours, texture, texture mode,
// shading, fill and lighting.
class TscMaterial : public TuiPersistent {
  UX_CLASS(TscMaterial, TuiPersistent)
 public:
  static constexpr uint32_t DefaultDiffuse = 0xFF707070;
  static constexpr uint32_t DefaultAmbient = 0xFF303030;

  TscMaterial();
  ~TscMaterial() override;

  uint32_t Diffuse() const { return FDiffuse; }
  void SetDiffuse(uint32_t Value);
  uint32_t Ambient() const { return FAmbient; }
  void SetAmbient(uint32_t Value);
  // The colour texts of the stream ("#FF707070"); a text that does not read
  // as a 3D colour raises EuxConvertError.
  std::string DiffuseText() const;
  void SetDiffuseText(const std::string& Value);
  std::string AmbientText() const;
  void SetAmbientText(const std::string& Value);
  bool Lighting() const { return FLighting; }
  void SetLighting(bool Value);
  const std::string& Bitmap() const { return FBitmap; }
  void SetBitmap(const std::string& Value);
  TscTexMode BitmapMode() const { return FBitmapMode; }
  void SetBitmapMode(TscTexMode Value);
  // Clamped to 0.01 ... 10.
  float BitmapTileX() const { return FTileX; }
  void SetBitmapTileX(float Value);
  float BitmapTileY() const { return FTileY; }
  void SetBitmapTileY(float Value);
  TscBitmapRect* BitmapRect() const { return FBitmapRect.get(); }
  TscFillMode FillMode() const { return FFillMode; }
  void SetFillMode(TscFillMode Value);
  TscShadeMode ShadeMode() const { return FShadeMode; }
  void SetShadeMode(TscShadeMode Value);

  // A texture set by code (not owned); it wins over Bitmap. The bitmap must
  // outlive its use here or be taken out first.
  TscBitmap* Texture() const { return FTexture; }
  void SetTexture(TscBitmap* Value);
  // The bitmap the material draws with: Texture, else the holder named by
  // Bitmap, else none.
  TscBitmap* FindTexture() const;

  // Copies every published value and the texture reference, then raises
  // OnChanged once.
  void Assign(const TscMaterial& Source);
  // The frame reset's shortcut: colours 0 and no Bitmap, without OnChanged.
  void ResetQuietly();

  std::function<void()> OnChanged;

  static void DefineProperties(TuiClassBuilder<TscMaterial>& C);

 private:
  void Changed();

  uint32_t FDiffuse = DefaultDiffuse;
  uint32_t FAmbient = DefaultAmbient;
  bool FLighting = true;
  std::string FBitmap;
  TscTexMode FBitmapMode = scTexModulate;
  float FTileX = 1;
  float FTileY = 1;
  std::unique_ptr<TscBitmapRect> FBitmapRect;
  TscFillMode FFillMode = scSolid;
  TscShadeMode FShadeMode = scGouraud;
  TscBitmap* FTexture = nullptr;
  int FAssigning = 0;
};

class TscFont : public TuiPersistent {
  UX_CLASS(TscFont, TuiPersistent)
 public:
  const std::string& Family() const { return FFamily; }
  void SetFamily(const std::string& Value);
  float Size() const { return FSize; }
  void SetSize(float Value);
  TscFontStyle Style() const { return FStyle; }
  void SetStyle(TscFontStyle Value);
  void Assign(const TscFont& Source);
  void Assign(const TuiFont& Source);
  void AssignTo(TuiFont& Dest) const;

  std::function<void()> OnChanged;

  static void DefineProperties(TuiClassBuilder<TscFont>& C);

 private:
  void Changed() {
    if (OnChanged) OnChanged();
  }
  std::string FFamily = "Tahoma";
  float FSize = 12;
  TscFontStyle FStyle = scFontRegular;
};
