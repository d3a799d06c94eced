#include "draw2d/BitmapObject.h"

UX_IMPLEMENT_CLASS(TuiBitmapObject)

TuiBitmapObject::TuiBitmapObject(TuiComponent* Owner)
    : TuiObject(Owner), FBitmap(std::make_unique<TuiBitmap>(1, 1)) {}

TuiBitmapObject::~TuiBitmapObject() {
  // Bitmaps holding this resource must forget it while the whole object, its
  // bitmap included, is still there.
  DestroyLinks();
}

void TuiBitmapObject::SetName(const std::string& Value) {
  TuiObject::SetName(Value);
  if (ResourceName().empty()) SetResourceName(Value);
}
