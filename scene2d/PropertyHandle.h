#pragma once

#include <cstdint>
#include <string_view>

#include "scene2d/ClassInfo.h"
#include "scene2d/Object.h"

// A value converted to what a property takes: numbers between their kinds,
// Booleans and enumeration values from their names, texts from numbers and
// back. Raises EuxConvertError when the value does not fit.
TuiPropValue uxConvertPropValue(const TuiPropertyInfo& Property, const TuiPropValue& Value);

// A property path resolved once and written many times (animations, styles,
// triggers). It holds the object that carries the property, the property, and
// the nearest tree object on the path, whose death it watches: a handle whose
// object died reads as unresolved instead of pointing into freed memory.
class TuiPropertyHandle final : private IuxFreeNotify {
 public:
  TuiPropertyHandle() = default;
  TuiPropertyHandle(TuiPersistent& Root, std::string_view Path, TuiPathRule Rule = uxPathStrict);
  ~TuiPropertyHandle() override;
  TuiPropertyHandle(const TuiPropertyHandle&) = delete;
  TuiPropertyHandle& operator=(const TuiPropertyHandle&) = delete;

  // Resolves Path from Root; false when it names nothing.
  bool Resolve(TuiPersistent& Root, std::string_view Path, TuiPathRule Rule = uxPathStrict);
  void Reset();

  explicit operator bool() const { return FProperty != nullptr; }
  TuiPersistent* Target() const { return FTarget; }
  const TuiPropertyInfo* Property() const { return FProperty; }
  TuiPropertyKind Kind() const { return FProperty ? FProperty->Kind : pkObject; }

  TuiPropValue Get() const;
  // Converts Value to the property's type (uxConvertPropValue) and sets it.
  // Raises "Property is read-only" for a property without a setter.
  void Set(const TuiPropValue& Value);
  // Straight to a float property's setter, past the variant; other kinds
  // convert. Nothing happens when unresolved.
  void SetFloat(float Value);
  // A colour: to the native colour setter when the class has one, else as its
  // colour text. Nothing happens when unresolved.
  void SetColor(uint32_t Value);

 private:
  void FreeNotify(TuiObject* Dying) override;

  TuiPersistent* FTarget = nullptr;
  const TuiPropertyInfo* FProperty = nullptr;
  TuiObject* FWatched = nullptr;
};
