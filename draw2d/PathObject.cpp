#include "draw2d/PathObject.h"

UX_IMPLEMENT_CLASS(TuiPathObject)

TuiPathObject::TuiPathObject(TuiComponent* Owner) : TuiObject(Owner) {}

TuiPathObject::~TuiPathObject() = default;

void TuiPathObject::SetName(const std::string& Value) {
  TuiObject::SetName(Value);
  if (ResourceName().empty()) SetResourceName(Value);
}
