#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "scene2d/Node.h"
#include "scene2d/Persistent.h"
#include "scene3d/Vectors.h"

class TscVisualObject;
class TscScene;

// A point of three coordinates that tells its owner of every real change:
// per axis through its handler when one is set, else through OnChanged.
// Streamed as "Point" = "(x,y,z)" when it differs from its default.
class TscPosition : public TuiPersistent {
  UX_CLASS(TscPosition, TuiPersistent)
 public:
  explicit TscPosition(const TscVector& Default = {0, 0, 0, 1});
  float X() const { return FPoint.X; }
  float Y() const { return FPoint.Y; }
  float Z() const { return FPoint.Z; }
  void SetX(float Value);
  void SetY(float Value);
  void SetZ(float Value);
  const TscVector& Point() const { return FPoint; }
  void SetPoint(const TscVector& Value);
  // The point before the last change.
  const TscVector& Previous() const { return FPrevious; }
  const TscVector& DefaultPoint() const { return FDefault; }
  std::string PointText() const;
  void SetPointText(const std::string& Value);

  std::function<void()> OnChanged, OnChangedX, OnChangedY, OnChangedZ;

  static void DefineProperties(TuiClassBuilder<TscPosition>& C);

 private:
  TscVector FPoint, FPrevious, FDefault;
};

// The root of every object of a 3D scene: a component and a node of the same
// parent/child machinery as the 2D tree.
class TscObject : public TuiComponent, public TuiNode<TscObject> {
  UX_CLASS(TscObject, TuiComponent)
  friend class TuiNode<TscObject>;

 public:
  explicit TscObject(TuiComponent* Owner);
  ~TscObject() override;

  virtual void SetParent(TscObject* Value);
  // Raises for this object or one of its ancestors.
  virtual void AddObject(TscObject* Child);
  virtual void RemoveObject(TscObject* Child);
  virtual void DeleteChildren();
  void BringToFront();
  void SendToBack();
  // Appends the object and all its descendants, depth first.
  void CollectObjects(std::vector<TscObject*>& List);

  // The scene showing the object: set for the whole subtree when it joins a
  // scene's roots or a parent in a scene. A plain reference: the scene
  // outlives its objects or detaches them first.
  TscScene* Scene() const { return FScene; }
  void SetScene(TscScene* Value);

  bool IsVisual() const { return FVisual != nullptr; }
  TscVisualObject* Visual() const { return FVisual; }

  bool Stored() const override { return FStored; }
  void SetStored(bool Value) { FStored = Value; }
  const std::string& ResourceName() const { return FResourceName; }
  virtual void SetResourceName(const std::string& Value) { FResourceName = Value; }

  // Children from the last to the first, then OnTick(time, delta).
  virtual void ProcessTick(float DeltaTime, float Time);

  // ---- animations among the children ----
  // Those whose Name or ResourceName is Name (ignoring case).
  virtual void StartAnimation(std::string_view Name);
  virtual void StopAnimation(std::string_view Name);
  // Stops the triggered animations (at their end values), then lets every
  // animation evaluate its trigger against Instance, the object whose state
  // changed. Both reach into locked visual children that take no hits: the
  // parts an object is built from answer its triggers.
  virtual void StartTriggerAnimation(TscObject* Instance, std::string_view Trigger);
  virtual void StopTriggerAnimation(TscObject* Instance);
  std::function<void(TscObject* Sender, float Time, float DeltaTime)> OnTick;

  // ---- the stream side ----
  bool HasParent() const override { return true; }
  // A root is written under its scene.
  TuiComponent* GetParentComponent() const override;
  void SetParentComponent(TuiComponent* Value) override;
  void GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const override;

  static void DefineProperties(TuiClassBuilder<TscObject>& C);

 protected:
  void BeforeDestruction() override;
  virtual void ChildAdded(TscObject*) {}
  virtual void ChildRemoved(TscObject*) {}
  void SetVisualSelf(TscVisualObject* Self) { FVisual = Self; }

 private:
  TuiPersistent* ParentAsPersistent() const { return Parent(); }
  // Published through a member of this class: a pointer to the node's member
  // would need a base adjustment at every call.
  int IndexValue() const { return Index(); }
  void SetIndexValue(int Value);

  bool FStored = true;
  std::string FResourceName;
  TscVisualObject* FVisual = nullptr;
  TscScene* FScene = nullptr;
};
