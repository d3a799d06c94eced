#include "scene3d/Material.h"

#include <algorithm>
#include <vector>

#include "draw2d/Font.h"
#include "scene3d/Bitmap.h"
#include "scene3d/TextForms.h"

// ---- bitmap holders ----

namespace {
// Made once and never freed: holders leaving during exit still find it.
std::vector<IscBitmapHolder*>& Holders() {
  static auto* holders = new std::vector<IscBitmapHolder*>;
  return *holders;
}
}  // namespace

void IscBitmapHolder::Enter(IscBitmapHolder* Holder) {
  if (std::find(Holders().begin(), Holders().end(), Holder) == Holders().end()) Holders().push_back(Holder);
}

void IscBitmapHolder::Leave(IscBitmapHolder* Holder) {
  std::erase(Holders(), Holder);
}

IscBitmapHolder* IscBitmapHolder::Find(std::string_view Name) {
  for (IscBitmapHolder* h : Holders())
    if (SameText(h->BitmapHolderName(), Name)) return h;
  return nullptr;
}

// ---- TscBitmapRect ----

UX_IMPLEMENT_CLASS(TscBitmapRect)

void TscBitmapRect::DefineProperties(TuiClassBuilder<TscBitmapRect>& C) {
  C.Property("left", &TscBitmapRect::Left, &TscBitmapRect::SetLeft, 0.0f);
  C.Property("top", &TscBitmapRect::Top, &TscBitmapRect::SetTop, 0.0f);
  C.Property("right", &TscBitmapRect::Right, &TscBitmapRect::SetRight, 0.0f);
  C.Property("bottom", &TscBitmapRect::Bottom, &TscBitmapRect::SetBottom, 0.0f);
}

void TscBitmapRect::Store(float& Field, float Value) {
  if (Field == Value) return;
  Field = Value;
  if (OnChanged) OnChanged();
}

void TscBitmapRect::SetRect(float Left, float Top, float Right, float Bottom) {
  if (FLeft == Left && FTop == Top && FRight == Right && FBottom == Bottom) return;
  FLeft = Left;
  FTop = Top;
  FRight = Right;
  FBottom = Bottom;
  if (OnChanged) OnChanged();
}

// ---- TscMaterial ----

UX_IMPLEMENT_CLASS(TscMaterial)

void TscMaterial::DefineProperties(TuiClassBuilder<TscMaterial>& C) {
  C.Property("Diffuse", &TscMaterial::DiffuseText, &TscMaterial::SetDiffuseText, std::string("#FF707070"));
  C.ColorSetter("Diffuse", &TscMaterial::SetDiffuse);
  C.Property("Ambient", &TscMaterial::AmbientText, &TscMaterial::SetAmbientText, std::string("#FF303030"));
  C.ColorSetter("Ambient", &TscMaterial::SetAmbient);
  C.Property("Lighting", &TscMaterial::Lighting, &TscMaterial::SetLighting, true);
  C.Property("Bitmap", &TscMaterial::Bitmap, &TscMaterial::SetBitmap);
  C.Property("BitmapMode", &TscMaterial::BitmapMode, &TscMaterial::SetBitmapMode, scTexModulate);
  C.Property("BitmapTileX", &TscMaterial::BitmapTileX, &TscMaterial::SetBitmapTileX, 1.0f);
  C.Property("BitmapTileY", &TscMaterial::BitmapTileY, &TscMaterial::SetBitmapTileY, 1.0f);
  C.Object("BitmapRect", &TscMaterial::BitmapRect);
  C.Property("FillMode", &TscMaterial::FillMode, &TscMaterial::SetFillMode, scSolid);
  C.Property("ShadeMode", &TscMaterial::ShadeMode, &TscMaterial::SetShadeMode, scGouraud);
}

TscMaterial::TscMaterial() : FBitmapRect(std::make_unique<TscBitmapRect>()) {
  FBitmapRect->OnChanged = [this] { Changed(); };
}

TscMaterial::~TscMaterial() = default;

void TscMaterial::Changed() {
  if (FAssigning == 0 && OnChanged) OnChanged();
}

#define UX_STORE(Field, Value) \
  if (Field == Value) return;  \
  Field = Value;               \
  Changed()

void TscMaterial::SetDiffuse(uint32_t Value) {
  UX_STORE(FDiffuse, Value);
}
void TscMaterial::SetAmbient(uint32_t Value) {
  UX_STORE(FAmbient, Value);
}
std::string TscMaterial::DiffuseText() const {
  return scColorToText(FDiffuse);
}
void TscMaterial::SetDiffuseText(const std::string& Value) {
  SetDiffuse(scTextToColor(Value));
}
std::string TscMaterial::AmbientText() const {
  return scColorToText(FAmbient);
}
void TscMaterial::SetAmbientText(const std::string& Value) {
  SetAmbient(scTextToColor(Value));
}
void TscMaterial::SetLighting(bool Value) {
  UX_STORE(FLighting, Value);
}
void TscMaterial::SetBitmap(const std::string& Value) {
  UX_STORE(FBitmap, Value);
}
void TscMaterial::SetBitmapMode(TscTexMode Value) {
  UX_STORE(FBitmapMode, Value);
}
void TscMaterial::SetBitmapTileX(float Value) {
  Value = std::clamp(Value, 0.01f, 10.0f);
  UX_STORE(FTileX, Value);
}
void TscMaterial::SetBitmapTileY(float Value) {
  Value = std::clamp(Value, 0.01f, 10.0f);
  UX_STORE(FTileY, Value);
}
void TscMaterial::SetFillMode(TscFillMode Value) {
  UX_STORE(FFillMode, Value);
}
void TscMaterial::SetShadeMode(TscShadeMode Value) {
  UX_STORE(FShadeMode, Value);
}
void TscMaterial::SetTexture(TscBitmap* Value) {
  UX_STORE(FTexture, Value);
}

#undef UX_STORE

TscBitmap* TscMaterial::FindTexture() const {
  if (FTexture) return FTexture;
  if (FBitmap.empty()) return nullptr;
  IscBitmapHolder* holder = IscBitmapHolder::Find(FBitmap);
  return holder ? holder->HeldBitmap() : nullptr;
}

void TscMaterial::Assign(const TscMaterial& Source) {
  if (&Source == this) return;
  ++FAssigning;
  SetDiffuse(Source.FDiffuse);
  SetAmbient(Source.FAmbient);
  SetBitmap(Source.FBitmap);
  SetBitmapTileX(Source.FTileX);
  SetBitmapTileY(Source.FTileY);
  FBitmapRect->Assign(*Source.FBitmapRect);
  SetLighting(Source.FLighting);
  SetBitmapMode(Source.FBitmapMode);
  SetShadeMode(Source.FShadeMode);
  SetFillMode(Source.FFillMode);
  SetTexture(Source.FTexture);
  --FAssigning;
  Changed();
}

void TscMaterial::ResetQuietly() {
  FDiffuse = 0;
  FAmbient = 0;
  FBitmap.clear();
}

// ---- TscFont ----

UX_IMPLEMENT_CLASS(TscFont)

void TscFont::DefineProperties(TuiClassBuilder<TscFont>& C) {
  C.Property("Family", &TscFont::Family, &TscFont::SetFamily, std::string("Tahoma"));
  C.Property("Size", &TscFont::Size, &TscFont::SetSize, 12.0f);
  C.Property("Style", &TscFont::Style, &TscFont::SetStyle, scFontRegular);
}

void TscFont::SetFamily(const std::string& Value) {
  if (Value == FFamily) return;
  FFamily = Value;
  Changed();
}
void TscFont::SetSize(float Value) {
  if (Value == FSize) return;
  FSize = Value;
  Changed();
}
void TscFont::SetStyle(TscFontStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TscFont::Assign(const TscFont& Source) {
  SetFamily(Source.FFamily);
  SetSize(Source.FSize);
  SetStyle(Source.FStyle);
}

void TscFont::Assign(const TuiFont& Source) {
  SetFamily(Source.Family());
  SetSize(Source.Size());
  // The 2D styles start with the same four; underline and strike-out have no
  // 3D form and read as regular.
  SetStyle(Source.Style() <= uxFontBoldItalic ? TscFontStyle(Source.Style()) : scFontRegular);
}

void TscFont::AssignTo(TuiFont& Dest) const {
  Dest.SetFamily(FFamily);
  Dest.SetSize(FSize);
  Dest.SetStyle(TuiFontStyle(FStyle));
}
