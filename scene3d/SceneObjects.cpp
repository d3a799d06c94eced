#include "scene3d/SceneObjects.h"

#include "scene2d/ClassInfo.h"
#include "scene3d/Animations.h"
#include "scene3d/Scene.h"

UX_IMPLEMENT_CLASS(TscCamera)
UX_IMPLEMENT_CLASS(TscLight)
UX_IMPLEMENT_CLASS(TscDummy)
UX_IMPLEMENT_CLASS(TscProxyObject)

// ---- camera ----

void TscCamera::DefineProperties(TuiClassBuilder<TscCamera>& C) {
  C.Default("HitTest", false);
  C.Reference("Target", &TscCamera::Target, &TscCamera::SetTarget);
}

TscCamera::TscCamera(TuiComponent* Owner) : TscVisualObject(Owner) {
  SetHitTest(false);
  Position()->SetPoint({0, -10, 0, 1});
}

void TscCamera::SetTarget(TscVisualObject* Value) {
  if (Value == FTarget) return;
  if (FTarget) FTarget->RemoveFreeNotification(this);
  FTarget = Value;
  if (FTarget) FTarget->FreeNotification(this);
}

void TscCamera::Notification(TuiComponent* Component, TuiOperation Operation) {
  TscVisualObject::Notification(Component, Operation);
  if (Operation == opRemove && Component == FTarget) FTarget = nullptr;
}

void TscCamera::BeforeDestruction() {
  SetTarget(nullptr);
  TscVisualObject::BeforeDestruction();
}

// ---- light ----

void TscLight::DefineProperties(TuiClassBuilder<TscLight>& C) {
  C.Default("HitTest", false);
  C.Property("Enabled", &TscLight::Enabled, &TscLight::SetEnabled, true);
  C.Property("LightType", &TscLight::LightType, &TscLight::SetLightType, scLightDirectional);
}

TscLight::TscLight(TuiComponent* Owner) : TscVisualObject(Owner) {
  SetHitTest(false);
}

void TscLight::ApplyLights(TscCanvas& Canvas) {
  if (FEnabled) Canvas.AddLight(this);
  TscVisualObject::ApplyLights(Canvas);
}

// ---- dummy ----

void TscDummy::DefineProperties(TuiClassBuilder<TscDummy>& C) {
  C.Default("HitTest", false);
}

TscDummy::TscDummy(TuiComponent* Owner) : TscVisualObject(Owner) {
  SetHitTest(false);
}

// ---- proxy ----

void TscProxyObject::DefineProperties(TuiClassBuilder<TscProxyObject>& C) {
  C.Reference("SourceObject", &TscProxyObject::SourceObject, &TscProxyObject::SetSourceObject);
}

TscProxyObject::TscProxyObject(TuiComponent* Owner) : TscVisualObject(Owner) {}

void TscProxyObject::SetSourceObject(TscVisualObject* Value) {
  if (Value == FSource || Value == this) return;
  if (FSource) FSource->RemoveFreeNotification(this);
  FSource = Value;
  if (FSource) FSource->FreeNotification(this);
}

void TscProxyObject::Notification(TuiComponent* Component, TuiOperation Operation) {
  TscVisualObject::Notification(Component, Operation);
  if (Operation == opRemove && Component == FSource) FSource = nullptr;
}

void TscProxyObject::BeforeDestruction() {
  SetSourceObject(nullptr);
  TscVisualObject::BeforeDestruction();
}

void TscProxyObject::Paint(TscCanvas& Canvas) {
  // A proxy that shows itself through a chain of proxies would never end.
  if (!FSource || FPainting) return;
  FPainting = true;
  FSource->Paint(Canvas);
  FSource->PaintChildren(Canvas);
  FPainting = false;
}

// ---- registration ----

void RegisterScene3dClasses() {
  static const bool registered = [] {
    TuiClassRegistry& registry = TuiClassRegistry::Instance();
    registry.Register("3D", {&TscObject::StaticClass(), &TscVisualObject::StaticClass(),
                             &TscCamera::StaticClass(), &TscLight::StaticClass(), &TscDummy::StaticClass(),
                             &TscProxyObject::StaticClass(), &TscScene::StaticClass()});
    registry.Register("3D animations", {&TscAnimation::StaticClass(), &TscFloatAnimation::StaticClass(),
                                        &TscColorAnimation::StaticClass()});
    registry.Register("3D values", {&TscBitmap::StaticClass(), &TscMaterial::StaticClass(),
                                    &TscMeshData::StaticClass(), &TscFont::StaticClass()});
    return true;
  }();
  (void)registered;
}
