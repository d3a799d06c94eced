#pragma once

#include <cstdint>
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
class TuiComponent : public TuiPersistent {
  UX_CLASS(TuiComponent, TuiPersistent)
 public:
  explicit TuiComponent(TuiComponent* Owner);
  ~TuiComponent() override;

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

  int ComponentCount() const { return int(FComponents.size()); }
  TuiComponent* Components(int Index) const { return FComponents[Index]; }
  // The owned component of that name (case-insensitive), or none.
  TuiComponent* FindComponent(std::string_view Name) const;

  // Ask to be told (Notification) when Other is freed; asked once per pair.
  void FreeNotification(TuiComponent* Other);
  void RemoveFreeNotification(TuiComponent* Other);
  virtual void Notification(TuiComponent* Component, TuiOperation Operation);

  static void DefineProperties(TuiClassBuilder<TuiComponent>& C) {
    C.Property("Name", &TuiComponent::Name, &TuiComponent::SetName).Stored = false;
    C.Property("Tag", &TuiComponent::Tag, &TuiComponent::SetTag, 0);
  }

 protected:
  // Marks the object as being destroyed; the most derived destructor calls it
  // first so every base destructor sees the flag.
  void BeginDestroy() { FState |= csDestroying; }

 private:
  void SetState(uint8_t Flag, bool Value) { FState = Value ? (FState | Flag) : (FState & ~Flag); }
  void InsertComponent(TuiComponent* C);
  void RemoveComponent(TuiComponent* C);

  TuiComponent* FOwner = nullptr;
  std::string FName;
  int32_t FTag = 0;
  uint8_t FState = 0;
  std::vector<TuiComponent*> FComponents;    // owned
  std::vector<TuiComponent*> FFreeNotifies;  // both directions, as links go
};

// Case-insensitive comparison of ASCII names.
bool SameText(std::string_view A, std::string_view B);
