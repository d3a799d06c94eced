#include "draw2d/Brush.h"

#include <cstring>

#include "draw2d/BrushObject.h"
#include "draw2d/ChangeBatch.h"
#include "scene2d/Errors.h"

UX_IMPLEMENT_CLASS(TuiBrushBitmap)
UX_IMPLEMENT_CLASS(TuiBrushResource)
UX_IMPLEMENT_CLASS(TuiBrush)

namespace {

[[noreturn]] void CannotAssign(const TuiPersistent& Source, const TuiPersistent& Dest) {
  throw EuxConvertError("Cannot assign a " + Source.ClassName() + " to a " + Dest.ClassName());
}

// Resource chains come from style sheets and may loop; a chain this long is
// never meant.
constexpr int MaxResourceChain = 32;

}  // namespace

// ---- bitmap holder ----

void TuiBrushBitmap::DefineProperties(TuiClassBuilder<TuiBrushBitmap>& C) {
  C.Object("Bitmap", &TuiBrushBitmap::Bitmap);
  C.Property("WrapMode", &TuiBrushBitmap::WrapMode, &TuiBrushBitmap::SetWrapMode, uxWrapTile);
}

TuiBrushBitmap::TuiBrushBitmap() {
  FBitmap->OnChange = [this](TuiBitmap*) { Changed(); };
}

void TuiBrushBitmap::Changed() {
  if (OnChanged) OnChanged(this);
}

void TuiBrushBitmap::SetWrapMode(TuiWrapMode Value) {
  if (Value == FWrapMode) return;
  FWrapMode = Value;
  Changed();
}

void TuiBrushBitmap::Assign(const TuiBrushBitmap& Source) {
  if (&Source == this) return;
  TuiChangeBatch batch(*this);
  SetWrapMode(Source.FWrapMode);
  // Copying a picture always reports a change, so an equal one is left alone.
  const TuiBitmap& from = *Source.FBitmap;
  const TuiBitmap& to = *FBitmap;
  const bool samePicture =
      from.Width() == to.Width() && from.Height() == to.Height() && from.Resource() == to.Resource() &&
      from.ResourceName() == to.ResourceName() &&
      (from.IsEmpty() || std::memcmp(from.Bits(), to.Bits(), size_t(from.Width()) * from.Height() * 4) == 0);
  if (!samePicture) FBitmap->Assign(&from);
  if (batch.Finish()) Changed();
}

void TuiBrushBitmap::Assign(const TuiPersistent& Source) {
  if (auto* b = dynamic_cast<const TuiBrushBitmap*>(&Source)) return Assign(*b);
  CannotAssign(Source, *this);
}

// ---- resource holder ----

TuiBrushResource::~TuiBrushResource() = default;

TuiBrushObject* TuiBrushResource::Resource() const {
  return FLink.Object();
}

void TuiBrushResource::Changed() {
  if (OnChanged) OnChanged(this);
}

void TuiBrushResource::SetResource(TuiBrushObject* Value) {
  if (FLink.SetObject(Value)) Changed();
}

void TuiBrushResource::SetResourceName(const std::string& Value) {
  if (FLink.SetName(Value)) Changed();
}

TuiBrush* TuiBrushResource::ResolveBrush() {
  TuiBrushObject* object = FLink.Resolve();
  return object ? object->Brush() : nullptr;
}

void TuiBrushResource::Assign(const TuiBrushResource& Source) {
  if (&Source == this) return;
  if (FLink.Assign(Source.FLink)) Changed();
}

void TuiBrushResource::Assign(const TuiPersistent& Source) {
  if (auto* r = dynamic_cast<const TuiBrushResource*>(&Source)) return Assign(*r);
  CannotAssign(Source, *this);
}

// ---- brush ----

void TuiBrush::DefineProperties(TuiClassBuilder<TuiBrush>& C) {
  auto brush = [](const TuiPersistent& O) -> const TuiBrush& { return static_cast<const TuiBrush&>(O); };
  C.Property("Style", &TuiBrush::Style, &TuiBrush::SetStyle).StoredWhen = [brush](const TuiPersistent& O) {
    return brush(O).FStyle != brush(O).FDefaultStyle;
  };
  C.Property("Color", &TuiBrush::Color, &TuiBrush::SetColor).StoredWhen = [brush](const TuiPersistent& O) {
    return brush(O).FStyle == uxBrushSolid && brush(O).FColor != brush(O).FDefaultColor;
  };
  // Animations write the colour many times a second; spare them the text.
  C.ColorSetter("Color", &TuiBrush::SetColorAndFirstStop);
  auto styleIs = [brush](TuiBrushStyle Style) {
    return [brush, Style](const TuiPersistent& O) { return brush(O).FStyle == Style; };
  };
  C.Object("Gradient", &TuiBrush::Gradient).StoredWhen = styleIs(uxBrushGradient);
  C.Object("Bitmap", &TuiBrush::Bitmap).StoredWhen = styleIs(uxBrushBitmap);
  C.Object("Resource", &TuiBrush::Resource).StoredWhen = styleIs(uxBrushResource);
  C.Object("Visual", &TuiBrush::Visual).StoredWhen = styleIs(uxBrushVisual);
}

TuiBrush::TuiBrush(TuiBrushStyle DefaultStyle, TuiColor DefaultColor)
    : FStyle(DefaultStyle), FColor(DefaultColor), FDefaultStyle(DefaultStyle), FDefaultColor(DefaultColor) {}

TuiBrush::~TuiBrush() = default;

void TuiBrush::Changed() {
  if (OnChanged) OnChanged(this);
}

void TuiBrush::SetStyle(TuiBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

TuiColor TuiBrush::ColorValue() const {
  const TuiBrush* b = this;
  for (int depth = 0; depth < MaxResourceChain && b->FStyle == uxBrushResource; ++depth) {
    const TuiBrush* next = b->Resource()->ResolveBrush();
    if (!next || next == b) break;
    b = next;
  }
  return b->FColor;
}

void TuiBrush::SetColorValue(TuiColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TuiBrush::SetColorAndFirstStop(TuiColor Value) {
  if (FStyle != uxBrushGradient) {
    SetColorValue(Value);
    return;
  }
  TuiChangeBatch batch(*this);
  SetColorValue(Value);
  if (Gradient()->Points()->Count() > 0) Gradient()->Points()->Points(0)->SetColorValue(Value);
  if (batch.Finish()) Changed();
}

void TuiBrush::Assign(const TuiBrush& Source) {
  if (&Source == this) return;
  TuiChangeBatch batch(*this);
  FDefaultStyle = Source.FDefaultStyle;
  FDefaultColor = Source.FDefaultColor;
  SetColorValue(Source.ColorValue());
  SetStyle(Source.FStyle);
  switch (FStyle) {
    case uxBrushGradient:
      Gradient()->Assign(*Source.Gradient());
      break;
    case uxBrushBitmap:
      Bitmap()->Assign(*Source.Bitmap());
      break;
    case uxBrushResource:
      Resource()->Assign(*Source.Resource());
      break;
    case uxBrushVisual:
      Visual()->Assign(*Source.Visual());
      break;
    default:
      break;
  }
  if (batch.Finish()) Changed();
}

void TuiBrush::Assign(const TuiPersistent& Source) {
  if (auto* b = dynamic_cast<const TuiBrush*>(&Source)) return Assign(*b);
  CannotAssign(Source, *this);
}
