#include "scene3d/Object.h"

#include <algorithm>

#include "scene3d/Animations.h"
#include "scene3d/Scene.h"
#include "scene3d/TextForms.h"

// ---- TscPosition ----

UX_IMPLEMENT_CLASS(TscPosition)

void TscPosition::DefineProperties(TuiClassBuilder<TscPosition>& C) {
  C.Property("X", &TscPosition::X, &TscPosition::SetX).Stored = false;
  C.Property("Y", &TscPosition::Y, &TscPosition::SetY).Stored = false;
  C.Property("Z", &TscPosition::Z, &TscPosition::SetZ).Stored = false;
  C.Property("Point", &TscPosition::PointText, &TscPosition::SetPointText).StoredWhen =
      [](const TuiPersistent& O) {
        const auto& p = static_cast<const TscPosition&>(O);
        return !(p.X() == p.FDefault.X && p.Y() == p.FDefault.Y && p.Z() == p.FDefault.Z);
      };
}

TscPosition::TscPosition(const TscVector& Default) : FPoint(Default), FPrevious(Default), FDefault(Default) {
  FPoint.W = FPrevious.W = FDefault.W = 1;
}

namespace {
void SetAxis(float& Field, float& Previous, float Value, const std::function<void()>& Axis,
             const std::function<void()>& Whole) {
  if (Field == Value) return;
  Previous = Field;
  Field = Value;
  if (Axis)
    Axis();
  else if (Whole)
    Whole();
}
}  // namespace

void TscPosition::SetX(float Value) {
  SetAxis(FPoint.X, FPrevious.X, Value, OnChangedX, OnChanged);
}
void TscPosition::SetY(float Value) {
  SetAxis(FPoint.Y, FPrevious.Y, Value, OnChangedY, OnChanged);
}
void TscPosition::SetZ(float Value) {
  SetAxis(FPoint.Z, FPrevious.Z, Value, OnChangedZ, OnChanged);
}

void TscPosition::SetPoint(const TscVector& Value) {
  if (Value.X == FPoint.X && Value.Y == FPoint.Y && Value.Z == FPoint.Z) return;
  FPrevious = FPoint;
  FPoint = {Value.X, Value.Y, Value.Z, 1};
  if (OnChanged) OnChanged();
}

std::string TscPosition::PointText() const {
  return scPointToText(FPoint);
}
void TscPosition::SetPointText(const std::string& Value) {
  SetPoint(scTextToPoint(Value));
}

// ---- TscObject ----

UX_IMPLEMENT_CLASS(TscObject)

void TscObject::DefineProperties(TuiClassBuilder<TscObject>& C) {
  C.Property("Index", &TscObject::IndexValue, &TscObject::SetIndexValue).Stored = false;
  TuiPropertyInfo& parent = C.Object("Parent", &TscObject::ParentAsPersistent);
  parent.Stored = false;
  C.Property("ResourceName", &TscObject::ResourceName, &TscObject::SetResourceName);
  C.Event("OnTick", &TscObject::OnTick);
}

TscObject::TscObject(TuiComponent* Owner) : TuiComponent(Owner) {}

TscObject::~TscObject() {
  // Only objects not freed through delete get here with their links up.
  if (!TornDown()) {
    BeginDestroy();
    TscObject::BeforeDestruction();
  }
}

void TscObject::BeforeDestruction() {
  BeginDestroy();
  if (Parent())
    Parent()->RemoveObject(this);
  else if (FScene)
    FScene->RemoveObject(this);
  // Children go in one step: none of them finds a parent to leave.
  for (TscObject* child : TakeChildren()) delete child;
  TuiComponent::BeforeDestruction();
}

void TscObject::SetParent(TscObject* Value) {
  if (Value == Parent()) return;
  if (Value) Value->RefuseCycle(this);
  if (Parent()) Parent()->RemoveObject(this);
  if (Value) Value->AddObject(this);
}

void TscObject::AddObject(TscObject* Child) {
  if (!Child || Child->Parent() == this) return;
  RefuseCycle(Child);
  if (Child->Parent()) Child->Parent()->RemoveObject(Child);
  LinkChild(Child);
  Child->SetScene(FScene);
  ChildAdded(Child);
}

void TscObject::SetScene(TscScene* Value) {
  FScene = Value;
  for (TscObject* child : ChildList())
    if (child) child->SetScene(Value);
}

void TscObject::RemoveObject(TscObject* Child) {
  if (UnlinkChild(Child)) ChildRemoved(Child);
}

void TscObject::DeleteChildren() {
  for (TscObject* child : TakeChildren()) {
    delete child;
  }
  ChildRemoved(nullptr);
}

void TscObject::SetIndexValue(int Value) {
  if (Parent()) Parent()->MoveChild(this, std::clamp(Value, 0, Parent()->ChildrenCount() - 1));
}

void TscObject::BringToFront() {
  if (Parent()) Parent()->MoveChild(this, Parent()->ChildrenCount() - 1);
}

void TscObject::SendToBack() {
  if (Parent()) Parent()->MoveChild(this, 0);
}

void TscObject::CollectObjects(std::vector<TscObject*>& List) {
  List.push_back(this);
  for (TscObject* child : ChildList())
    if (child) child->CollectObjects(List);
}

void TscObject::ProcessTick(float DeltaTime, float Time) {
  ForEachChildReverse([&](TscObject* Child) { Child->ProcessTick(DeltaTime, Time); });
  if (OnTick) OnTick(this, Time, DeltaTime);
}

TuiComponent* TscObject::GetParentComponent() const {
  if (Parent()) return Parent();
  return FScene;
}

namespace {
bool PassesTriggers(const TscObject* O) {
  const TscVisualObject* v = O->Visual();
  return v && v->Locked() && !v->HitTest();
}
}  // namespace

void TscObject::StartAnimation(std::string_view Name) {
  ForEachChild([Name](TscObject* c) {
    auto* a = dynamic_cast<TscAnimation*>(c);
    if (a && (SameText(c->Name(), Name) || SameText(c->ResourceName(), Name))) a->Start();
  });
}

void TscObject::StopAnimation(std::string_view Name) {
  ForEachChildReverse([Name](TscObject* c) {
    auto* a = dynamic_cast<TscAnimation*>(c);
    if (a && (SameText(c->Name(), Name) || SameText(c->ResourceName(), Name))) a->Stop();
  });
}

void TscObject::StopTriggerAnimation(TscObject* Instance) {
  ForEachChild([Instance](TscObject* c) {
    if (auto* a = dynamic_cast<TscAnimation*>(c)) {
      if (!a->Trigger().empty()) a->Stop();
    } else if (PassesTriggers(c)) {
      c->StopTriggerAnimation(Instance);
    }
  });
}

void TscObject::StartTriggerAnimation(TscObject* Instance, std::string_view Trigger) {
  StopTriggerAnimation(Instance);
  ForEachChild([Instance, Trigger](TscObject* c) {
    if (auto* a = dynamic_cast<TscAnimation*>(c))
      a->StartTrigger(Instance, Trigger);
    else if (PassesTriggers(c))
      c->StartTriggerAnimation(Instance, Trigger);
  });
}

void TscObject::SetParentComponent(TuiComponent* Value) {
  if (auto* parent = dynamic_cast<TscObject*>(Value))
    SetParent(parent);
  else if (auto* scene = dynamic_cast<TscScene*>(Value))
    scene->AddObject(this);
}

void TscObject::GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const {
  TuiComponent::GetChildren(Proc, Root);
  for (TscObject* child : ChildList())
    if (child && child->Stored()) Proc(child);
}
