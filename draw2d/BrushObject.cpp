#include "draw2d/BrushObject.h"

UX_IMPLEMENT_CLASS(TuiBrushObject)

TuiBrushObject::TuiBrushObject(TuiComponent* Owner) : TuiObject(Owner) {}

TuiBrushObject::~TuiBrushObject() = default;

void TuiBrushObject::SetName(const std::string& Value) {
  TuiObject::SetName(Value);
  if (ResourceName().empty()) SetResourceName(Value);
}
