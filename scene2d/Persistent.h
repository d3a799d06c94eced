#pragma once

#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/ClassInfo.h"

// The root of everything that can be written to and read from a component
// stream. It knows its class table and nothing else.
class TuiPersistent {
 public:
  using Inherited = void;
  virtual ~TuiPersistent() = default;
  TuiPersistent() = default;
  TuiPersistent(const TuiPersistent&) = delete;
  TuiPersistent& operator=(const TuiPersistent&) = delete;

  static const TuiClassInfo& StaticClass();
  virtual const TuiClassInfo& ClassInfo() const { return StaticClass(); }
  const std::string& ClassName() const { return ClassInfo().Name(); }
  // True when the object is of class Info or a descendant of it.
  bool Is(const TuiClassInfo& Info) const { return ClassInfo().InheritsFrom(Info); }

  // Property access by name or dotted path; the value is converted from and to
  // the property's own type. Unknown names raise "Property %s does not exist".
  TuiPropValue GetProperty(std::string_view Path);
  void SetProperty(std::string_view Path, const TuiPropValue& Value);

  static void DefineProperties(TuiClassBuilder<TuiPersistent>&) {}

  // Loading is signalled down to sub-objects so their owners can defer work.
  virtual void Loaded() {}
};

enum TuiComponentState : uint8_t {
  csLoading = 1,
  csDestroying = 2,
  csDesigning = 4,
};

enum TuiOperation : uint8_t { opInsert, opRemove };

// A named persistent object with an owner. The owner frees the components it
// owns when it is destroyed; a component freed earlier leaves its owner's list
// first. Components that refer to one another without owning ask for a free
// notification and are told through Notification(..., opRemove).
//
// Destruction has one path. However a heap component is freed (its owner, its
// parent, a root holder, Free or a plain delete), BeforeDestruction runs first,
// while the object is still whole: each class tells the others it is leaving
// and frees what it owns there, then calls the inherited one. Only then do the
// destructors run. A component that lives on the stack or inside another
// object gets the same teardown from the base destructors.
class TuiComponent : public TuiPersistent {
  UX_CLASS(TuiComponent, TuiPersistent)
 public:
  explicit TuiComponent(TuiComponent* Owner);
  ~TuiComponent() override;

  // The one way to free a component; the same as delete.
  void Free() { delete this; }
  // Runs BeforeDestruction, then the destructors, then releases the memory.
  void operator delete(TuiComponent* P, std::destroying_delete_t);
  // The allocation that pairs with it, and the release of memory whose
  // constructor threw, where there is no object to destroy.
  static void* operator new(size_t Size);
  static void operator delete(void* Memory) noexcept;

  TuiComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  virtual void SetName(const std::string& Value) { FName = Value; }
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t Value) { FTag = Value; }

  uint8_t ComponentState() const { return FState; }
  bool IsLoading() const { return FState & csLoading; }
  bool IsDestroying() const { return FState & csDestroying; }
  bool IsDesigning() const { return FState & csDesigning; }
  void SetLoading(bool Value) { SetState(csLoading, Value); }
  void SetDesigning(bool Value) { SetState(csDesigning, Value); }

  int ComponentCount() const {
    SweepComponents();
    return int(FComponents.size());
  }
  TuiComponent* Components(int Index) const {
    SweepComponents();
    return FComponents[size_t(Index)];
  }
  // The owned component of that name (case-insensitive), or none.
  TuiComponent* FindComponent(std::string_view Name) const;
  // Takes over a component that has no owner.
  void InsertComponent(TuiComponent* C);

  // Ask to be told (Notification) when Other is freed; asked once per pair.
  void FreeNotification(TuiComponent* Other);
  void RemoveFreeNotification(TuiComponent* Other);
  virtual void Notification(TuiComponent* Component, TuiOperation Operation);

  // ---- the stream side ----
  // The components a stream writes under this one, in order. Root is the
  // stream's root: the root also writes the components it owns that have no
  // parent to be written under (timers and other non-visual helpers).
  virtual void GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const;
  // True for components that a stream writes under a parent rather than under
  // their owner.
  virtual bool HasParent() const { return false; }
  // The component a stream writes this one under.
  virtual TuiComponent* GetParentComponent() const { return nullptr; }
  // Used by the stream reader to attach a freshly read component.
  virtual void SetParentComponent(TuiComponent*) {}
  // False for components their parent leaves out of streams.
  virtual bool Stored() const { return true; }

  // The name of the root's method an event of this component is bound to, as
  // a stream keeps it; empty when the event was bound by code or not at all.
  const std::string& EventHandlerName(std::string_view Event) const;
  void SetEventHandlerName(std::string_view Event, const std::string& Handler);

  static void DefineProperties(TuiClassBuilder<TuiComponent>& C) {
    C.Property("Name", &TuiComponent::Name, &TuiComponent::SetName).Stored = false;
    C.Property("Tag", &TuiComponent::Tag, &TuiComponent::SetTag, 0);
  }

 protected:
  // Tells every holder of a free notification, frees the owned components
  // (last created first) and leaves the owner. Overrides do their own part
  // first and call this last.
  virtual void BeforeDestruction();
  // True once BeforeDestruction has run to its end; base destructors use it to
  // tear down components that were not freed through delete.
  bool TornDown() const { return FTornDown; }
  // Marks the object as being destroyed.
  void BeginDestroy() { FState |= csDestroying; }

 private:
  void SetState(uint8_t Flag, bool Value) { FState = Value ? (FState | Flag) : (FState & ~Flag); }
  void RemoveComponent(TuiComponent* C);
  // A component that leaves its owner leaves a hole, swept out once holes
  // make up half the list or the list is next read, so owners give up their
  // components in linear time in any order.
  void SweepComponents() const;

  TuiComponent* FOwner = nullptr;
  std::string FName;
  int32_t FTag = 0;
  uint8_t FState = 0;
  bool FTornDown = false;
  mutable std::vector<TuiComponent*> FComponents;  // owned; holes are none
  mutable size_t FComponentHoles = 0;
  mutable size_t FOwnerSlot = 0;                                 // this component's place in its owner's list
  std::vector<TuiComponent*> FFreeNotifies;                      // both directions, as links go
  std::vector<std::pair<std::string, std::string>> FEventNames;  // event, handler
};

// Case-insensitive comparison of ASCII names.
bool SameText(std::string_view A, std::string_view B);
