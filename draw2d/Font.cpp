#include "draw2d/Font.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "draw2d/ChangeBatch.h"
#include "scene2d/Errors.h"
#include "scene2d/Geometry.h"

UX_IMPLEMENT_CLASS(TuiFont)

void TuiFont::DefineProperties(TuiClassBuilder<TuiFont>& C) {
  C.Property("Family", &TuiFont::Family, &TuiFont::SetFamily, std::string("Tahoma"));
  C.Property("Size", &TuiFont::Size, &TuiFont::SetSize, 11.0f);
  C.Property("Style", &TuiFont::Style, &TuiFont::SetStyle, uxFontRegular);
  C.Property("ClearType", &TuiFont::ClearType, &TuiFont::SetClearType, true);
}

void TuiFont::Changed() {
  if (OnChanged) OnChanged(this);
}

void TuiFont::SetFamily(const std::string& Value) {
  if (Value == FFamily) return;
  FFamily = Value;
  Changed();
}

void TuiFont::SetSize(float Value) {
  if (Value == FSize) return;
  FSize = Value;
  Changed();
}

void TuiFont::SetStyle(TuiFontStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TuiFont::SetClearType(bool Value) {
  if (Value == FClearType) return;
  FClearType = Value;
  Changed();
}

void TuiFont::Assign(const TuiFont& Source) {
  if (&Source == this) return;
  TuiChangeBatch batch(*this);
  SetFamily(Source.FFamily);
  SetSize(Source.FSize);
  SetStyle(Source.FStyle);
  SetClearType(Source.FClearType);
  if (batch.Finish()) Changed();
}

void TuiFont::Assign(const TuiFontDescription& Source) {
  TuiChangeBatch batch(*this);
  SetFamily(Source.FaceName);
  SetSize(std::abs(float(Source.Height)));
  switch (Source.Flags) {
    case 0:
      SetStyle(uxFontRegular);
      break;
    case fdBold:
      SetStyle(uxFontBold);
      break;
    case fdItalic:
      SetStyle(uxFontItalic);
      break;
    case fdBold | fdItalic:
      SetStyle(uxFontBoldItalic);
      break;
    default:
      break;
  }
  if (batch.Finish()) Changed();
}

void TuiFont::Assign(const TuiPersistent& Source) {
  if (auto* f = dynamic_cast<const TuiFont*>(&Source)) return Assign(*f);
  throw EuxConvertError("Cannot assign a " + Source.ClassName() + " to a " + ClassName());
}

void TuiFont::AssignTo(TuiFontDescription& Dest) const {
  Dest.FaceName = FFamily;
  // Sizes no platform font can have still give a defined height.
  const double rounded = std::isfinite(FSize) ? RoundHalfEven(FSize) : 0;
  Dest.Height = -int32_t(std::clamp(rounded, -2147483647.0, 2147483647.0));
  static const uint8_t flags[] = {0, fdBold, fdItalic, fdBold | fdItalic};
  if (FStyle <= uxFontBoldItalic) Dest.Flags = flags[FStyle];
}
