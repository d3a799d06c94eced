#include "scene2d/Persistent.h"

#include <algorithm>

#include "scene2d/Errors.h"

bool SameText(std::string_view A, std::string_view B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

const TuiClassInfo& TuiPersistent::StaticClass() {
  static const TuiClassInfo info("TuiPersistent", nullptr);
  return info;
}

namespace {
TuiPropertyRef Resolve(TuiPersistent& Root, std::string_view Path) {
  TuiPropertyRef ref = FindPropertyPath(Root, Path);
  if (!ref) throw EuxError("Property " + std::string(Path) + " does not exist");
  return ref;
}
}  // namespace

TuiPropValue TuiPersistent::GetProperty(std::string_view Path) {
  TuiPropertyRef ref = Resolve(*this, Path);
  return ref.Property->Get(*ref.Object);
}

void TuiPersistent::SetProperty(std::string_view Path, const TuiPropValue& Value) {
  TuiPropertyRef ref = Resolve(*this, Path);
  if (ref.Property->ReadOnly()) throw EuxError("Property is read-only");
  ref.Property->Set(*ref.Object, Value);
}

UX_IMPLEMENT_CLASS(TuiComponent)

TuiComponent::TuiComponent(TuiComponent* Owner) {
  if (Owner) Owner->InsertComponent(this);
}

TuiComponent::~TuiComponent() {
  BeginDestroy();
  // Tell every holder of a reference to this component, then forget the links
  // in both directions so nobody tells us anything later.
  while (!FFreeNotifies.empty()) {
    TuiComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    std::erase(other->FFreeNotifies, this);
    other->Notification(this, opRemove);
  }
  // Owned components go first, last created first.
  while (!FComponents.empty()) delete FComponents.back();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TuiComponent::InsertComponent(TuiComponent* C) {
  C->FOwner = this;
  FComponents.push_back(C);
}

void TuiComponent::RemoveComponent(TuiComponent* C) {
  std::erase(FComponents, C);
  C->FOwner = nullptr;
  Notification(C, opRemove);
}

TuiComponent* TuiComponent::FindComponent(std::string_view Name) const {
  if (Name.empty()) return nullptr;
  for (TuiComponent* c : FComponents)
    if (SameText(c->Name(), Name)) return c;
  return nullptr;
}

void TuiComponent::FreeNotification(TuiComponent* Other) {
  if (!Other || Other == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), Other) == FFreeNotifies.end())
    FFreeNotifies.push_back(Other);
  if (std::find(Other->FFreeNotifies.begin(), Other->FFreeNotifies.end(), this) == Other->FFreeNotifies.end())
    Other->FFreeNotifies.push_back(this);
}

void TuiComponent::RemoveFreeNotification(TuiComponent* Other) {
  if (!Other) return;
  std::erase(FFreeNotifies, Other);
  std::erase(Other->FFreeNotifies, this);
}

void TuiComponent::Notification(TuiComponent*, TuiOperation) {}
