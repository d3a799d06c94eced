#pragma once

#include "scene3d/Canvas.h"
#include "scene3d/VisualObject.h"

// The camera: looks along its local Y axis, or at its Target, with its local
// Z axis up.
class TscCamera : public TscVisualObject {
  UX_CLASS(TscCamera, TscVisualObject)
 public:
  explicit TscCamera(TuiComponent* Owner);
  TscVisualObject* Target() const { return FTarget; }
  // Weak: cleared when the target is freed.
  void SetTarget(TscVisualObject* Value);
  void Notification(TuiComponent* Component, TuiOperation Operation) override;
  static void DefineProperties(TuiClassBuilder<TscCamera>& C);

 protected:
  void BeforeDestruction() override;

 private:
  TscVisualObject* FTarget = nullptr;
};

class TscLight : public TscVisualObject {
  UX_CLASS(TscLight, TscVisualObject)
 public:
  explicit TscLight(TuiComponent* Owner);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  TscLightType LightType() const { return FLightType; }
  void SetLightType(TscLightType Value) { FLightType = Value; }
  // An enabled light registers itself, then its children do.
  void ApplyLights(TscCanvas& Canvas) override;
  static void DefineProperties(TuiClassBuilder<TscLight>& C);

 private:
  bool FEnabled = true;
  TscLightType FLightType = scLightDirectional;
};

// An invisible handle that groups and places its children.
class TscDummy : public TscVisualObject {
  UX_CLASS(TscDummy, TscVisualObject)
 public:
  explicit TscDummy(TuiComponent* Owner);
  static void DefineProperties(TuiClassBuilder<TscDummy>& C);
};

// Draws its SourceObject (weak) in its own place.
class TscProxyObject : public TscVisualObject {
  UX_CLASS(TscProxyObject, TscVisualObject)
 public:
  explicit TscProxyObject(TuiComponent* Owner);
  TscVisualObject* SourceObject() const { return FSource; }
  void SetSourceObject(TscVisualObject* Value);
  void Paint(TscCanvas& Canvas) override;
  void Notification(TuiComponent* Component, TuiOperation Operation) override;
  static void DefineProperties(TuiClassBuilder<TscProxyObject>& C);

 protected:
  void BeforeDestruction() override;

 private:
  TscVisualObject* FSource = nullptr;
  bool FPainting = false;
};

// Registers the 3D classes for streaming. Calling it again does nothing.
void RegisterScene3dClasses();
