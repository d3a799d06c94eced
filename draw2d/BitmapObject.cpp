#include "draw2d/BitmapObject.h"

UX_IMPLEMENT_CLASS(TuiBitmapObject)

TuiBitmapObject::TuiBitmapObject(TuiComponent* Owner)
    : TuiObject(Owner), FBitmap(std::make_unique<TuiBitmap>(1, 1)) {}

TuiBitmapObject::~TuiBitmapObject() = default;

void TuiBitmapObject::SetName(const std::string& Value) {
  TuiObject::SetName(Value);
  if (ResourceName().empty()) SetResourceName(Value);
}
