#include "scene2d/Object.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <unordered_map>

namespace {

// The process-wide registries. They are made once and never freed, so objects
// freed during process exit (a default style sheet held by a static) still
// find them whole.
struct TRegistry {
  uint64_t NextSerial = 1;
  std::unordered_map<uint64_t, TuiObject*> BySerial;
  // Live objects by lower-case resource name, in construction order.
  std::unordered_map<std::string, std::vector<TuiObject*>> ByStyleName;
};

TRegistry& Registry() {
  static TRegistry* registry = new TRegistry;
  return *registry;
}

std::string LowerName(std::string_view Name) {
  std::string key(Name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return key;
}

}  // namespace

std::function<bool()> TuiObject::ProcessMessages;

UX_IMPLEMENT_CLASS(TuiObject)

void TuiObject::DefineProperties(TuiClassBuilder<TuiObject>& C) {
  C.Property("Index", &TuiObject::IndexValue, &TuiObject::SetIndex).Stored = false;
  TuiPropertyInfo& parent = C.Object("Parent", &TuiObject::ParentAsPersistent);
  parent.Stored = false;
  parent.Set = [](TuiPersistent& O, const TuiPropValue& V) {
    auto* target = std::holds_alternative<TuiPersistent*>(V) ? std::get<TuiPersistent*>(V) : nullptr;
    static_cast<TuiObject&>(O).SetParentFromValue(target);
  };
  C.Property("BindingName", &TuiObject::BindingName, &TuiObject::SetBindingName);
  C.Property("ResourceName", &TuiObject::ResourceName, &TuiObject::SetResourceName);
}

TuiObject::TuiObject(TuiComponent* Owner) : TuiComponent(Owner) {
  TRegistry& r = Registry();
  FSerial = r.NextSerial++;
  r.BySerial.emplace(FSerial, this);
}

TuiObject::~TuiObject() {
  // Only objects that were not freed through delete (on the stack, inside
  // another object) get here with their links still up.
  if (!TornDown()) {
    BeginDestroy();
    TuiObject::BeforeDestruction();
  }
}

void TuiObject::BeforeDestruction() {
  BeginDestroy();
  if (FScene) FScene->Notification(this, opRemove);
  // Holders forget us in the order they registered, one at a time: a holder's
  // reaction may free another holder, which then leaves the list unasked.
  while (!FFreeNotifies.empty()) {
    IuxFreeNotify* holder = FFreeNotifies.front();
    FFreeNotifies.erase(FFreeNotifies.begin());
    holder->FreeNotify(this);
  }
  UnindexStyleName();
  Registry().BySerial.erase(FSerial);
  if (Parent())
    Parent()->RemoveObject(this);
  else if (FScene)
    FScene->RemoveObject(this);
  FScene = nullptr;
  DeleteChildren();
  FScene = nullptr;
  TuiComponent::BeforeDestruction();
}

// ---- tree ----

void TuiObject::SetParent(TuiObject* Value) {
  if (Value == Parent()) return;
  // Refused before this object leaves its place.
  if (Value) Value->RefuseCycle(this);
  if (Parent())
    Parent()->RemoveObject(this);
  else if (FScene)
    FScene->RemoveObject(this);
  if (Value) Value->AddObject(this);
}

void TuiObject::SetParentFromValue(TuiPersistent* Value) {
  SetParent(dynamic_cast<TuiObject*>(Value));
}

void TuiObject::AddObject(TuiObject* Child) {
  if (!Child) return;
  // Refused before anything moves: a cycle would never end.
  RefuseCycle(Child);
  if (Child->Parent())
    Child->SetParent(nullptr);
  else if (Child->FScene)
    Child->FScene->RemoveObject(Child);
  if (Child->Parent()) return;  // a handler above took it elsewhere
  LinkChild(Child);
  // The child takes this object's scene; its descendants that have none too.
  Child->FScene = FScene;
  if (FScene) Child->AdoptScene(FScene);
  Child->ParentChanged();
  ChildAdded(Child);
}

void TuiObject::RemoveObject(TuiObject* Child) {
  if (!Child || Child->Parent() != this) return;
  ChildRemoving(Child);
  // The steps above run handlers; the child may have gone already.
  if (Child->Parent() != this) return;
  UnlinkChild(Child);
  Child->SetScene(nullptr);
  ChildRemoved(Child);
}

void TuiObject::DeleteChildren() {
  // One pass: the children are off the list before any is freed, so none of
  // them looks for its siblings on the way out.
  for (TuiObject* child : TakeChildren()) {
    child->SetScene(nullptr);
    delete child;
  }
}

void TuiObject::SetIndex(int Value) {
  TuiObject* parent = Parent();
  if (!parent) return;
  const int current = Index();
  Value = std::clamp(Value, 0, parent->ChildrenCount() - 1);
  if (Value == current) return;
  parent->MoveChild(this, Value);
  parent->ChildrenReordered(this);
}

void TuiObject::BringToFront() {
  if (Parent()) SetIndex(Parent()->ChildrenCount() - 1);
}

void TuiObject::SendToBack() {
  if (Parent()) SetIndex(0);
}

void TuiObject::SortChildren(const std::function<bool(TuiObject*, TuiObject*)>& Less) {
  SortChildList(Less);
}

void TuiObject::SetScene(IuxScene* Value) {
  FScene = Value;
  for (TuiObject* c : ChildList()) c->SetScene(Value);
}

void TuiObject::AdoptScene(IuxScene* Value) {
  for (TuiObject* c : ChildList()) {
    if (!c->FScene) c->FScene = Value;
    c->AdoptScene(Value);
  }
}

void TuiObject::SetStored(bool Value) {
  FStored = Value;
  for (TuiObject* c : ChildList()) c->SetStored(Value);
}

void TuiObject::SetResourceName(const std::string& Value) {
  if (Value == FResourceName) return;
  UnindexStyleName();
  FResourceName = Value;
  IndexStyleName();
}

void TuiObject::IndexStyleName() {
  if (FResourceName.empty() || IsDestroying()) return;
  auto& list = Registry().ByStyleName[LowerName(FResourceName)];
  // Keep construction order, so that the newest object of a name wins.
  auto at = std::upper_bound(list.begin(), list.end(), this,
                             [](const TuiObject* A, const TuiObject* B) { return A->FSerial < B->FSerial; });
  list.insert(at, this);
  FStyleIndexed = true;
}

void TuiObject::UnindexStyleName() {
  if (!FStyleIndexed) return;
  FStyleIndexed = false;
  auto& byName = Registry().ByStyleName;
  auto it = byName.find(LowerName(FResourceName));
  if (it == byName.end()) return;
  std::erase(it->second, this);
  if (it->second.empty()) byName.erase(it);
}

// ---- lookups ----

TuiObject* TuiObject::FindResource(std::string_view Name) {
  if (Name.empty()) return nullptr;
  for (TuiObject* c : ChildList()) {
    if (SameText(c->FResourceName, Name)) return c;
    // A control's insides belong to its own style.
    if (c->IsControl()) continue;
    if (TuiObject* hit = c->FindResource(Name)) return hit;
  }
  return nullptr;
}

TuiObject* TuiObject::FindBinding(std::string_view Name) {
  if (SameText(FBindingName, Name)) return this;
  for (TuiObject* c : ChildList())
    if (TuiObject* hit = c->FindBinding(Name)) return hit;
  return nullptr;
}

TuiObject* TuiObject::FindStyleObject(std::string_view Name) {
  if (Name.empty()) return nullptr;
  auto& byName = Registry().ByStyleName;
  auto it = byName.find(LowerName(Name));
  if (it == byName.end()) return nullptr;
  for (auto o = it->second.rbegin(); o != it->second.rend(); ++o)
    if ((*o)->FStored) return *o;
  return nullptr;
}

void TuiObject::UpdateResource() {
  if (IsLoading() || IsDestroying()) return;
  ForEachChild([](TuiObject* c) { c->UpdateResource(); });
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
  return Object ? "uxobj" + std::to_string(Object->FSerial) : std::string();
}

TuiObject* TuiObject::DataToObject(std::string_view Text) {
  if (!Text.starts_with("uxobj")) return nullptr;
  Text.remove_prefix(5);
  uint64_t serial = 0;
  auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), serial);
  if (ec != std::errc() || end != Text.data() + Text.size()) return nullptr;
  auto& bySerial = Registry().BySerial;
  auto it = bySerial.find(serial);
  return it == bySerial.end() ? nullptr : it->second;
}

// ---- animations ----

// Animations and effects may free themselves or their siblings when they
// start or finish, so these walks survive children that leave inside them.

void TuiObject::StartAnimation(std::string_view Name) {
  ForEachChild([Name](TuiObject* c) {
    if (auto* a = dynamic_cast<IuxAnimation*>(c); a && SameText(c->Name(), Name)) a->Start();
  });
}

void TuiObject::StopAnimation(std::string_view Name) {
  ForEachChildReverse([Name](TuiObject* c) {
    if (auto* a = dynamic_cast<IuxAnimation*>(c); a && SameText(c->Name(), Name)) a->Stop();
  });
}

void TuiObject::StopTriggerAnimation(TuiObject* Instance) {
  ForEachChild([Instance](TuiObject* c) {
    if (auto* a = dynamic_cast<IuxAnimation*>(c); a && a->HasTrigger())
      a->Stop();
    else if (c->PassesTriggers())
      c->StopTriggerAnimation(Instance);
  });
}

void TuiObject::StartTriggerAnimation(TuiObject* Instance, std::string_view Trigger) {
  StopTriggerAnimation(Instance);
  ForEachChild([Instance, Trigger](TuiObject* c) {
    if (auto* a = dynamic_cast<IuxAnimation*>(c))
      a->StartTrigger(Instance, Trigger);
    else if (c->PassesTriggers())
      c->StartTriggerAnimation(Instance, Trigger);
  });
}

void TuiObject::StartTriggerAnimationWait(TuiObject* Instance, std::string_view Trigger) {
  StopTriggerAnimation(Instance);
  ForEachChild([Instance, Trigger](TuiObject* c) {
    if (auto* a = dynamic_cast<IuxAnimation*>(c)) {
      a->StartTrigger(Instance, Trigger);
      // The animation may free itself while the messages are processed.
      const uint64_t serial = c->FSerial;
      auto alive = [serial] { return Registry().BySerial.contains(serial); };
      while (alive() && a->Running() && ProcessMessages && ProcessMessages()) {
      }
    } else if (c->PassesTriggers()) {
      c->StartTriggerAnimationWait(Instance, Trigger);
    }
  });
}

void TuiObject::ApplyTriggerEffect(TuiObject* Instance, std::string_view Trigger) {
  ForEachChild([Instance, Trigger](TuiObject* c) {
    if (auto* e = dynamic_cast<IuxTriggerEffect*>(c))
      e->ApplyTrigger(Instance, Trigger);
    else if (c->PassesTriggers())
      c->ApplyTriggerEffect(Instance, Trigger);
  });
}

// ---- stream side ----

TuiComponent* TuiObject::GetParentComponent() const {
  TuiObject* parent = Parent();
  if (parent && parent->IsContent()) return parent->Parent();
  if (parent) return parent;
  return FScene ? FScene->GetComponent() : nullptr;
}

void TuiObject::SetParentComponent(TuiComponent* Value) {
  if (Parent()) SetParent(nullptr);
  if (auto* p = dynamic_cast<TuiObject*>(Value))
    p->AddObject(this);
  else if (auto* host = dynamic_cast<IuxScene*>(Value); host && FVisual)
    host->AddObject(FVisual);
}

void TuiObject::GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const {
  TuiComponent::GetChildren(Proc, Root);
  if (IsContent()) return;
  for (TuiObject* child : ChildList()) {
    // A content holder's children are written as children of its parent,
    // and the holder itself as a childless object.
    if (child->IsContent())
      for (TuiObject* grandchild : child->ChildList())
        if (grandchild->Stored()) Proc(grandchild);
    if (child->Stored()) Proc(child);
  }
}
