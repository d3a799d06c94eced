#include "scene2d/Object.h"

#include <algorithm>
#include <charconv>

namespace {

// Every TuiObject ever constructed, in order; a dead one leaves a hole so that
// positions never shift.
std::vector<TuiObject*>& ObjectList() {
  static std::vector<TuiObject*> list = [] {
    std::vector<TuiObject*> l;
    l.reserve(100);
    return l;
  }();
  return list;
}

}  // namespace

std::function<bool()> TuiObject::ProcessMessages;

UX_IMPLEMENT_CLASS(TuiObject)

void TuiObject::DefineProperties(TuiClassBuilder<TuiObject>& C) {
  C.Property("Index", &TuiObject::Index, &TuiObject::SetIndex).Stored = false;
  TuiPropertyInfo& parent = C.Object("Parent", &TuiObject::ParentAsPersistent);
  parent.Stored = false;
  parent.Set = [](TuiPersistent& O, const TuiPropValue& V) {
    static_cast<TuiObject&>(O).SetParentFromValue(std::get<TuiPersistent*>(V));
  };
  C.Property("BindingName", &TuiObject::BindingName, &TuiObject::SetBindingName);
  C.Property("ResourceName", &TuiObject::ResourceName, &TuiObject::SetResourceName);
}

TuiObject::TuiObject(TuiComponent* Owner) : TuiComponent(Owner) {
  FListIndex = ObjectList().size();
  ObjectList().push_back(this);
}

TuiObject::~TuiObject() {
  DestroyLinks();
}

void TuiObject::DestroyLinks() {
  if (FLinksDestroyed) return;
  FLinksDestroyed = true;
  BeginDestroy();
  if (FScene) FScene->Notification(this, opRemove);
  // Holders forget us in the order they registered.
  std::vector<IuxFreeNotify*> holders;
  holders.swap(FFreeNotifies);
  for (IuxFreeNotify* h : holders) h->FreeNotify(this);
  ObjectList()[FListIndex] = nullptr;
  if (FParent)
    FParent->RemoveObject(this);
  else if (FScene)
    FScene->RemoveObject(this);
  FScene = nullptr;
  DeleteChildren();
  FScene = nullptr;
}

// ---- tree ----

TuiObject* TuiObject::Children(int Index) const {
  return Index >= 0 && Index < int(FChildren.size()) ? FChildren[Index] : nullptr;
}

void TuiObject::SetParent(TuiObject* Value) {
  if (Value == FParent) return;
  if (FParent)
    FParent->RemoveObject(this);
  else if (FScene)
    FScene->RemoveObject(this);
  if (Value)
    Value->AddObject(this);
  else
    FParent = nullptr;
}

void TuiObject::SetParentFromValue(TuiPersistent* Value) {
  SetParent(dynamic_cast<TuiObject*>(Value));
}

void TuiObject::AddObject(TuiObject* Child) {
  if (!Child || Child == this) return;
  if (Child->FParent) Child->SetParent(nullptr);
  if (std::find(FChildren.begin(), FChildren.end(), Child) != FChildren.end()) return;
  if (FChildren.capacity() == 0) FChildren.reserve(10);
  FChildren.push_back(Child);
  Child->FParent = this;
  Child->FIndexCache = -1;
  // The child takes this object's scene; its descendants that have none too.
  Child->FScene = FScene;
  if (FScene) Child->AdoptScene(FScene);
  Child->ParentChanged();
  ChildAdded(Child);
}

void TuiObject::RemoveObject(TuiObject* Child) {
  auto it = std::find(FChildren.begin(), FChildren.end(), Child);
  if (it == FChildren.end()) return;
  ChildRemoving(Child);
  Child->FParent = nullptr;
  Child->SetScene(nullptr);
  Child->FIndexCache = -1;
  // Found again: the steps above run handlers that may have reordered the list.
  std::erase(FChildren, Child);
  for (TuiObject* c : FChildren) c->FIndexCache = -1;
  ChildRemoved(Child);
}

void TuiObject::DeleteChildren() {
  while (!FChildren.empty()) {
    TuiObject* child = FChildren.front();
    FChildren.erase(FChildren.begin());
    child->FParent = nullptr;
    child->SetScene(nullptr);
    delete child;
  }
  FChildren.shrink_to_fit();
}

int TuiObject::Index() const {
  if (!FParent) return -1;
  if (FIndexCache >= 0 && FIndexCache < int(FParent->FChildren.size()) &&
      FParent->FChildren[FIndexCache] == this)
    return FIndexCache;
  auto& siblings = FParent->FChildren;
  FIndexCache = int(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
  return FIndexCache;
}

void TuiObject::SetIndex(int Value) {
  if (!FParent) return;
  auto& siblings = FParent->FChildren;
  const int current = Index();
  Value = std::clamp(Value, 0, int(siblings.size()) - 1);
  if (Value == current) return;
  siblings.erase(siblings.begin() + current);
  siblings.insert(siblings.begin() + Value, this);
  for (TuiObject* c : siblings) c->FIndexCache = -1;
  FParent->ChildrenReordered(this);
}

void TuiObject::BringToFront() {
  if (FParent) SetIndex(int(FParent->FChildren.size()) - 1);
}

void TuiObject::SendToBack() {
  if (FParent) SetIndex(0);
}

void TuiObject::SortChildren(const std::function<bool(TuiObject*, TuiObject*)>& Less) {
  std::stable_sort(FChildren.begin(), FChildren.end(), Less);
  for (TuiObject* c : FChildren) c->FIndexCache = -1;
}

void TuiObject::SetScene(IuxScene* Value) {
  FScene = Value;
  for (TuiObject* c : FChildren) c->SetScene(Value);
}

void TuiObject::AdoptScene(IuxScene* Value) {
  for (TuiObject* c : FChildren) {
    if (!c->FScene) c->FScene = Value;
    c->AdoptScene(Value);
  }
}

void TuiObject::SetStored(bool Value) {
  FStored = Value;
  for (TuiObject* c : FChildren) c->SetStored(Value);
}

// ---- lookups ----

TuiObject* TuiObject::FindResource(std::string_view Name) {
  if (Name.empty()) return nullptr;
  for (TuiObject* c : FChildren) {
    if (SameText(c->FResourceName, Name)) return c;
    // A control's insides belong to its own style.
    if (c->IsControl()) continue;
    if (TuiObject* hit = c->FindResource(Name)) return hit;
  }
  return nullptr;
}

TuiObject* TuiObject::FindBinding(std::string_view Name) {
  if (SameText(FBindingName, Name)) return this;
  for (TuiObject* c : FChildren)
    if (TuiObject* hit = c->FindBinding(Name)) return hit;
  return nullptr;
}

TuiObject* TuiObject::FindStyleObject(std::string_view Name) {
  auto& list = ObjectList();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (*it && (*it)->FStored && SameText((*it)->FResourceName, Name)) return *it;
  return nullptr;
}

void TuiObject::UpdateResource() {
  if (IsLoading() || IsDestroying()) return;
  for (TuiObject* c : FChildren) c->UpdateResource();
}

// ---- weak references ----

void TuiObject::AddFreeNotify(IuxFreeNotify* Holder) {
  if (Holder && std::find(FFreeNotifies.begin(), FFreeNotifies.end(), Holder) == FFreeNotifies.end())
    FFreeNotifies.push_back(Holder);
}

void TuiObject::RemoveFreeNotify(IuxFreeNotify* Holder) {
  std::erase(FFreeNotifies, Holder);
}

void TuiObject::FreeNotify(TuiObject* Dying) {
  Notification(Dying, opRemove);
}

// ---- data ----

TuiData TuiObject::GetData() {
  return Name();
}

void TuiObject::SetData(const TuiData&) {}

TuiData TuiObject::GetBindingValue(std::string_view Name) {
  if (TuiObject* o = FindBinding(Name)) return o->GetData();
  return std::string();
}

void TuiObject::SetBindingValue(std::string_view Name, const TuiData& Value) {
  TuiObject* o = FindBinding(Name);
  if (!o) return;
  try {
    o->SetData(Value);
  } catch (const std::exception&) {
    // A binding target that rejects the value keeps its own.
  }
}

std::string TuiObject::ObjectToData(const TuiObject* Object) {
  return Object ? "uxobj" + std::to_string(Object->FListIndex) : std::string();
}

TuiObject* TuiObject::DataToObject(std::string_view Text) {
  if (!Text.starts_with("uxobj")) return nullptr;
  Text.remove_prefix(5);
  size_t index = 0;
  auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), index);
  if (ec != std::errc() || end != Text.data() + Text.size() || index >= ObjectList().size()) return nullptr;
  return ObjectList()[index];
}

// ---- animations ----

void TuiObject::StartAnimation(std::string_view Name) {
  for (TuiObject* c : FChildren)
    if (auto* a = dynamic_cast<IuxAnimation*>(c); a && SameText(c->Name(), Name)) a->Start();
}

void TuiObject::StopAnimation(std::string_view Name) {
  for (auto it = FChildren.rbegin(); it != FChildren.rend(); ++it)
    if (auto* a = dynamic_cast<IuxAnimation*>(*it); a && SameText((*it)->Name(), Name)) a->Stop();
}

void TuiObject::StopTriggerAnimation(TuiObject* Instance) {
  for (TuiObject* c : FChildren) {
    if (auto* a = dynamic_cast<IuxAnimation*>(c); a && a->HasTrigger()) a->Stop();
    if (c->PassesTriggers()) c->StopTriggerAnimation(Instance);
  }
}

void TuiObject::StartTriggerAnimation(TuiObject* Instance, std::string_view Trigger) {
  StopTriggerAnimation(Instance);
  for (TuiObject* c : FChildren) {
    if (auto* a = dynamic_cast<IuxAnimation*>(c))
      a->StartTrigger(Instance, Trigger);
    else if (c->PassesTriggers())
      c->StartTriggerAnimation(Instance, Trigger);
  }
}

void TuiObject::StartTriggerAnimationWait(TuiObject* Instance, std::string_view Trigger) {
  StopTriggerAnimation(Instance);
  for (TuiObject* c : FChildren) {
    if (auto* a = dynamic_cast<IuxAnimation*>(c)) {
      a->StartTrigger(Instance, Trigger);
      while (a->Running() && ProcessMessages && ProcessMessages()) {
      }
    } else if (c->PassesTriggers()) {
      c->StartTriggerAnimationWait(Instance, Trigger);
    }
  }
}

void TuiObject::ApplyTriggerEffect(TuiObject* Instance, std::string_view Trigger) {
  for (TuiObject* c : FChildren) {
    if (auto* e = dynamic_cast<IuxTriggerEffect*>(c))
      e->ApplyTrigger(Instance, Trigger);
    else if (c->PassesTriggers())
      c->ApplyTriggerEffect(Instance, Trigger);
  }
}

// ---- stream side ----

TuiComponent* TuiObject::GetParentComponent() const {
  if (FParent && FParent->IsContent()) return FParent->FParent;
  if (FParent) return FParent;
  return FScene ? FScene->GetComponent() : nullptr;
}

void TuiObject::SetParentComponent(TuiComponent* Parent) {
  if (FParent) SetParent(nullptr);
  if (auto* p = dynamic_cast<TuiObject*>(Parent))
    p->AddObject(this);
  else if (auto* host = dynamic_cast<IuxScene*>(Parent); host && FVisual)
    host->AddObject(FVisual);
}
