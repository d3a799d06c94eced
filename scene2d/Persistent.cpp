#include "scene2d/Persistent.h"

#include <algorithm>

#include "scene2d/Errors.h"
#include "scene2d/PropertyHandle.h"

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
  ref.Property->Set(*ref.Object, uxConvertPropValue(*ref.Property, Value));
}

UX_IMPLEMENT_CLASS(TuiComponent)

TuiComponent::TuiComponent(TuiComponent* Owner) {
  if (Owner) Owner->InsertComponent(this);
}

TuiComponent::~TuiComponent() {
  if (!FTornDown) {
    BeginDestroy();
    TuiComponent::BeforeDestruction();
  }
}

void TuiComponent::operator delete(TuiComponent* P, std::destroying_delete_t) {
  // The memory starts at the most derived object, which need not be here.
  void* memory = dynamic_cast<void*>(P);
  if (!P->FTornDown && !P->IsDestroying()) {
    P->BeginDestroy();
    P->BeforeDestruction();
  }
  P->~TuiComponent();
  ::operator delete(memory);
}

void* TuiComponent::operator new(size_t Size) {
  return ::operator new(Size);
}

void TuiComponent::operator delete(void* Memory) noexcept {
  ::operator delete(Memory);
}

void TuiComponent::BeforeDestruction() {
  BeginDestroy();
  // Tell every holder of a reference to this component, one at a time, and
  // forget the link in both directions first, so that a holder freed by
  // another's reaction is never told.
  while (!FFreeNotifies.empty()) {
    TuiComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    std::erase(other->FFreeNotifies, this);
    other->Notification(this, opRemove);
  }
  // Owned components go first, last created first; each is off the list
  // before it is freed, so its own teardown finds nothing to remove.
  while (!FComponents.empty()) {
    TuiComponent* c = FComponents.back();
    FComponents.pop_back();
    if (!c) {
      --FComponentHoles;
      continue;
    }
    c->FOwner = nullptr;
    Notification(c, opRemove);
    delete c;
  }
  if (FOwner) FOwner->RemoveComponent(this);
  FTornDown = true;
}

void TuiComponent::InsertComponent(TuiComponent* C) {
  if (!C || C->FOwner) return;
  C->FOwner = this;
  C->FOwnerSlot = FComponents.size();
  FComponents.push_back(C);
}

void TuiComponent::RemoveComponent(TuiComponent* C) {
  if (C->FOwnerSlot < FComponents.size() && FComponents[C->FOwnerSlot] == C) {
    if (C->FOwnerSlot + 1 == FComponents.size()) {
      FComponents.pop_back();
    } else {
      FComponents[C->FOwnerSlot] = nullptr;
      if (++FComponentHoles * 2 > FComponents.size()) SweepComponents();
    }
  }
  C->FOwner = nullptr;
  Notification(C, opRemove);
}

void TuiComponent::SweepComponents() const {
  if (FComponentHoles == 0) return;
  std::erase(FComponents, nullptr);
  FComponentHoles = 0;
  for (size_t i = 0; i < FComponents.size(); ++i) FComponents[i]->FOwnerSlot = i;
}

TuiComponent* TuiComponent::FindComponent(std::string_view Name) const {
  if (Name.empty()) return nullptr;
  for (TuiComponent* c : FComponents)
    if (c && SameText(c->Name(), Name)) return c;
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

void TuiComponent::GetChildren(const std::function<void(TuiComponent*)>& Proc,
                               const TuiComponent* Root) const {
  if (Root != this) return;
  SweepComponents();
  for (TuiComponent* c : FComponents)
    if (!c->GetParentComponent() && c->Stored()) Proc(c);
}

const std::string& TuiComponent::EventHandlerName(std::string_view Event) const {
  static const std::string none;
  for (const auto& [event, handler] : FEventNames)
    if (event == Event) return handler;
  return none;
}

void TuiComponent::SetEventHandlerName(std::string_view Event, const std::string& Handler) {
  for (auto it = FEventNames.begin(); it != FEventNames.end(); ++it)
    if (it->first == Event) {
      if (Handler.empty())
        FEventNames.erase(it);
      else
        it->second = Handler;
      return;
    }
  if (!Handler.empty()) FEventNames.emplace_back(std::string(Event), Handler);
}
