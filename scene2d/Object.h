#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "scene2d/Node.h"
#include "scene2d/Persistent.h"
#include "scene2d/Scene.h"

class TuiObject;

// Holders of a weak reference to a TuiObject: told once, when the object dies.
class IuxFreeNotify {
 public:
  virtual ~IuxFreeNotify() = default;
  virtual void FreeNotify(TuiObject* Dying) = 0;
};

// What the tree asks of an animation child and of an effect child; their
// classes implement these.
class IuxAnimation {
 public:
  virtual ~IuxAnimation() = default;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
  // True for animations that answer triggers.
  virtual bool HasTrigger() const = 0;
  virtual void StartTrigger(TuiObject* Instance, std::string_view Trigger) = 0;
};

class IuxTriggerEffect {
 public:
  virtual ~IuxTriggerEffect() = default;
  virtual void ApplyTrigger(TuiObject* Instance, std::string_view Trigger) = 0;
  virtual bool EffectEnabled() const = 0;
  // The object is not painted itself; the effect's picture stands in for it.
  virtual bool ReplacesPainting() const = 0;
  // The effect is drawn over the object rather than beneath it.
  virtual bool PaintsAfter() const = 0;
  // The local area the effect paints for an object of local rectangle R.
  virtual TuiRect EffectRect(const TuiRect& R) const = 0;
};

// A data value of the binding mechanism.
using TuiData = std::variant<std::monostate, bool, int64_t, double, std::string>;

// The root of every object in a 2D scene: a component (owner, name, stream
// form) and a node of a parent/child tree that is independent of ownership.
// The owner frees the object; freeing a parent frees its children; whichever
// comes first unlinks the object from the other.
class TuiObject : public TuiComponent, public TuiNode<TuiObject>, public IuxFreeNotify {
  UX_CLASS(TuiObject, TuiComponent)
  friend class TuiNode<TuiObject>;

 public:
  explicit TuiObject(TuiComponent* Owner);
  ~TuiObject() override;

  // ---- the tree ----
  virtual void SetParent(TuiObject* Value);
  // Raises for this object or one of its ancestors.
  virtual void AddObject(TuiObject* Child);
  virtual void RemoveObject(TuiObject* Child);
  virtual void DeleteChildren();
  void SetIndex(int Value);
  void BringToFront();
  void SendToBack();
  void SortChildren(const std::function<bool(TuiObject*, TuiObject*)>& Less);

  IuxScene* Scene() const { return FScene; }
  virtual void SetScene(IuxScene* Value);

  // True for TuiVisualObject and its descendants; fixed at construction.
  bool IsVisual() const { return FVisual != nullptr; }
  TuiVisualObject* Visual() const { return FVisual; }

  bool Stored() const override { return FStored; }
  // Recursive: a clone's whole subtree stays out of streams.
  void SetStored(bool Value);
  const std::string& ResourceName() const { return FResourceName; }
  virtual void SetResourceName(const std::string& Value);
  const std::string& BindingName() const { return FBindingName; }
  void SetBindingName(const std::string& Value) { FBindingName = Value; }

  // ---- lookups ----
  virtual TuiObject* FindResource(std::string_view Name);
  TuiObject* FindBinding(std::string_view Name);
  // The most recently constructed live, stored object with that resource name,
  // from an index by name, so a name that finds nothing costs little.
  static TuiObject* FindStyleObject(std::string_view Name);
  virtual void UpdateResource();

  // ---- weak references ----
  void AddFreeNotify(IuxFreeNotify* Holder);
  void RemoveFreeNotify(IuxFreeNotify* Holder);
  void FreeNotify(TuiObject* Dying) override;

  // ---- data binding ----
  virtual TuiData GetData();
  virtual void SetData(const TuiData& Value);
  TuiData GetBindingValue(std::string_view Name);
  void SetBindingValue(std::string_view Name, const TuiData& Value);
  // An object travels through a data value as "uxobj" and its serial number,
  // which is never reused, so a text that outlives its object decodes to none
  // instead of a dangling pointer.
  static std::string ObjectToData(const TuiObject* Object);
  static TuiObject* DataToObject(std::string_view Text);

  // ---- animations and trigger effects ----
  void StartAnimation(std::string_view Name);
  void StopAnimation(std::string_view Name);
  virtual void StartTriggerAnimation(TuiObject* Instance, std::string_view Trigger);
  virtual void StartTriggerAnimationWait(TuiObject* Instance, std::string_view Trigger);
  virtual void StopTriggerAnimation(TuiObject* Instance);
  virtual void ApplyTriggerEffect(TuiObject* Instance, std::string_view Trigger);
  // Keeps the message loop running while an operation waits for an animation;
  // installed by the window layer. Returns false when nothing can move any more.
  static std::function<bool()> ProcessMessages;

  virtual std::string GetDesignChildClass() const { return {}; }

  // ---- the stream side ----
  // Reads binary stream data into this object as root: stored names are
  // dropped and a property that cannot be read is skipped, as style loading
  // wants. Errors outside properties (signature, classes) are raised.
  void LoadFromStream(std::string_view Data);
  // Binary stream data of this object and its stored descendants, written
  // without this object's own name.
  std::string SaveToStream() const;
  // The same in the text form.
  std::string ObjectToText() const;
  // A deep copy with Owner: every stored property and stored descendant, an
  // empty name, no parent and no scene. The caller owns it when Owner is none.
  TuiObject* CloneObject(TuiComponent* Owner) const;
  // Makes this fresh object what LoadFromStream(Source.SaveToStream()) would.
  void CopyFrom(const TuiObject& Source);
  // A new object of the class named in binary stream data, or in its text form,
  // loaded as LoadFromStream does; none on any error.
  static TuiObject* CreateObjectFromStream(TuiComponent* Owner, std::string_view Data);
  static TuiObject* CreateObjectFromText(TuiComponent* Owner, std::string_view Text);

  // The object a stream writes this one under: the parent, or the parent's
  // parent when the parent is a content holder; a root's host component.
  TuiComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }
  // Used by the stream reader to attach a freshly read object: to a parent
  // object, or as a root to a scene host.
  void SetParentComponent(TuiComponent* Parent) override;
  void GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const override;
  // Objects whose children a stream writes as the children of their parent.
  virtual bool IsContent() const { return false; }

  static void DefineProperties(TuiClassBuilder<TuiObject>& C);

 protected:
  // Hooks for the visual side.
  virtual void ParentChanged() {}
  // Steps of AddObject/RemoveObject that only visual objects take.
  virtual void ChildAdded(TuiObject*) {}
  virtual void ChildRemoving(TuiObject*) {}
  virtual void ChildRemoved(TuiObject*) {}
  // Whether trigger propagation descends into this object (locked style parts).
  virtual bool PassesTriggers() const { return false; }
  // Set once by TuiVisualObject's constructor.
  void SetVisualSelf(TuiVisualObject* Self) { FVisual = Self; }
  // Tells the host and the weak holders, leaves the parent or the host, and
  // frees the children, all while the object is whole; then the component's
  // part.
  void BeforeDestruction() override;
  // A child moved among its siblings (Index, BringToFront, SendToBack).
  virtual void ChildrenReordered(TuiObject*) {}
  virtual bool IsControl() const { return false; }

  std::string FData;

 private:
  TuiPersistent* ParentAsPersistent() const { return Parent(); }
  // The published Index, as a member of this class: a pointer to the node's
  // member would need a base adjustment at every call.
  int IndexValue() const { return Index(); }
  void SetParentFromValue(TuiPersistent* Value);
  // Gives Value to every descendant that has no scene yet.
  void AdoptScene(IuxScene* Value);
  void IndexStyleName();
  void UnindexStyleName();

  bool FStored = true;
  bool FStyleIndexed = false;
  std::string FResourceName;
  std::vector<IuxFreeNotify*> FFreeNotifies;
  std::string FBindingName;
  TuiVisualObject* FVisual = nullptr;
  IuxScene* FScene = nullptr;
  uint64_t FSerial = 0;  // the number data values carry
};
