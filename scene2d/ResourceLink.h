#pragma once

#include <string>

#include "scene2d/Object.h"

// A named, weak link to a resource object of a style sheet (a brush, bitmap or
// path holder). The name is what streams keep; the object is found by it on
// demand and forgotten when it dies, so the next resolution finds whatever now
// carries the name.
class TuiResourceLinkBase : private IuxFreeNotify {
 public:
  TuiResourceLinkBase() = default;
  ~TuiResourceLinkBase() override;
  TuiResourceLinkBase(const TuiResourceLinkBase&) = delete;
  TuiResourceLinkBase& operator=(const TuiResourceLinkBase&) = delete;

  const std::string& Name() const { return FName; }
  // A link adopted under the old name would otherwise outlive the rename, so a
  // name the linked object does not carry drops it. False when unchanged.
  bool SetName(const std::string& Value);
  // Copies another link's object and name; false when both were the same.
  bool Assign(const TuiResourceLinkBase& Source);

 protected:
  TuiObject* LinkedObject() const { return FObject; }
  // Links Value, taking its resource name; false when it was linked already.
  bool SetLinkedObject(TuiObject* Value);
  // The most recent live, stored object of the name (any case) for which
  // IsKind holds is adopted when nothing is linked.
  TuiObject* ResolveLinked(bool (*IsKind)(TuiObject*));

 private:
  void Link(TuiObject* Value);
  void FreeNotify(TuiObject* Dying) override;

  TuiObject* FObject = nullptr;
  std::string FName;
};

// The typed face of the link; T is the resource object's class. Its members
// need T complete, so holders call them from their source files.
template <class T>
class TuiResourceLink final : public TuiResourceLinkBase {
 public:
  T* Object() const { return static_cast<T*>(LinkedObject()); }
  bool SetObject(T* Value) { return SetLinkedObject(Value); }
  T* Resolve() {
    return static_cast<T*>(ResolveLinked([](TuiObject* O) { return dynamic_cast<T*>(O) != nullptr; }));
  }
};
