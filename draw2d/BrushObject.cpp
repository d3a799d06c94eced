#include "draw2d/BrushObject.h"

UX_IMPLEMENT_CLASS(TuiBrushObject)

TuiBrushObject::TuiBrushObject(TuiComponent* Owner) : TuiObject(Owner) {}

TuiBrushObject::~TuiBrushObject() {
  // Holders of the link are told while the brush they point at still exists.
  DestroyLinks();
}

void TuiBrushObject::SetName(const std::string& Value) {
  TuiObject::SetName(Value);
  if (ResourceName().empty()) SetResourceName(Value);
}
