#include "scene2d/ResourceLink.h"

TuiResourceLinkBase::~TuiResourceLinkBase() {
  Link(nullptr);
}

bool TuiResourceLinkBase::SetName(const std::string& Value) {
  if (Value == FName) return false;
  FName = Value;
  if (FObject && !SameText(FObject->ResourceName(), Value)) Link(nullptr);
  return true;
}

bool TuiResourceLinkBase::Assign(const TuiResourceLinkBase& Source) {
  const bool changed = FObject != Source.FObject || FName != Source.FName;
  Link(Source.FObject);
  FName = Source.FName;
  return changed;
}

bool TuiResourceLinkBase::SetLinkedObject(TuiObject* Value) {
  if (Value == FObject) return false;
  Link(Value);
  return true;
}

TuiObject* TuiResourceLinkBase::ResolveLinked(bool (*IsKind)(TuiObject*)) {
  if (!FObject && !FName.empty())
    if (TuiObject* found = TuiObject::FindStyleObject(FName); found && IsKind(found)) Link(found);
  return FObject;
}

void TuiResourceLinkBase::Link(TuiObject* Value) {
  if (Value == FObject) return;
  if (FObject) FObject->RemoveFreeNotify(this);
  FObject = Value;
  if (FObject) {
    FObject->AddFreeNotify(this);
    FName = FObject->ResourceName();
  }
}

void TuiResourceLinkBase::FreeNotify(TuiObject* Dying) {
  if (Dying == FObject) FObject = nullptr;
}
