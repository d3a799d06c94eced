#pragma once

#include <memory>
#include <string>

#include "scene2d/Animation.h"
#include "scene2d/Collection.h"
#include "scene2d/Colors.h"
#include "scene2d/ValueHolders.h"

// The animation kinds that interpolate plain values: colours, floats,
// rectangles, and colours or floats between keys. Each names the property it
// drives by a dotted path from its parent ("Fill.Color", "Parent.Opacity",
// "Padding"); a path that names nothing, or a property of a type the kind
// cannot write, leaves the animation running without writing anything.
// StartFromCurrent takes the start value from the property at every start.

// Writes a colour text property as "#AARRGGBB", an integer property as the
// colour value.
class TuiColorAnimation : public TuiAnimation {
  UX_CLASS(TuiColorAnimation, TuiAnimation)
 public:
  explicit TuiColorAnimation(TuiComponent* Owner) : TuiAnimation(Owner) {}

  const std::string& PropertyName() const { return FTarget.Path(); }
  void SetPropertyName(const std::string& Value) { FTarget.SetPath(Value); }
  // Colour texts; one that does not convert is colour 0.
  std::string StartValue() const { return ColorToText(FStart); }
  void SetStartValue(const std::string& Value) { FStart = TextToColor(Value); }
  std::string StopValue() const { return ColorToText(FStop); }
  void SetStopValue(const std::string& Value) { FStop = TextToColor(Value); }
  bool StartFromCurrent() const { return FStartFromCurrent; }
  void SetStartFromCurrent(bool Value) { FStartFromCurrent = Value; }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TuiColorAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  TTarget FTarget;
  bool FWritable = false;
  TuiColor FStart = 0xFFFFFFFF;
  TuiColor FStop = 0xFFFFFFFF;
  bool FStartFromCurrent = false;
};

class TuiFloatAnimation : public TuiAnimation {
  UX_CLASS(TuiFloatAnimation, TuiAnimation)
 public:
  explicit TuiFloatAnimation(TuiComponent* Owner) : TuiAnimation(Owner) {}

  const std::string& PropertyName() const { return FTarget.Path(); }
  void SetPropertyName(const std::string& Value) { FTarget.SetPath(Value); }
  float StartValue() const { return FStart; }
  void SetStartValue(float Value) { FStart = Value; }
  float StopValue() const { return FStop; }
  void SetStopValue(float Value) { FStop = Value; }
  bool StartFromCurrent() const { return FStartFromCurrent; }
  void SetStartFromCurrent(bool Value) { FStartFromCurrent = Value; }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TuiFloatAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  TTarget FTarget;
  bool FWritable = false;
  float FStart = 0;
  float FStop = 0;
  bool FStartFromCurrent = false;
};

// Assigns a rectangle to a TuiBounds property (Padding, Margins), each side
// interpolated.
class TuiRectAnimation : public TuiAnimation {
  UX_CLASS(TuiRectAnimation, TuiAnimation)
 public:
  explicit TuiRectAnimation(TuiComponent* Owner) : TuiAnimation(Owner) {}

  const std::string& PropertyName() const { return FTarget.Path(); }
  void SetPropertyName(const std::string& Value) { FTarget.SetPath(Value); }
  TuiBounds* StartValue() const { return FStart.get(); }
  TuiBounds* StopValue() const { return FStop.get(); }
  bool StartFromCurrent() const { return FStartFromCurrent; }
  void SetStartFromCurrent(bool Value) { FStartFromCurrent = Value; }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TuiRectAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  TuiBounds* TargetBounds();

  TTarget FTarget;
  std::unique_ptr<TuiBounds> FStart = std::make_unique<TuiBounds>();
  std::unique_ptr<TuiBounds> FStop = std::make_unique<TuiBounds>();
  bool FStartFromCurrent = false;
};

// ---- keys ----

// Key is the normalised time of the key, kept within [0, 1].
class TuiColorKey : public TuiCollectionItem {
  UX_CLASS(TuiColorKey, TuiCollectionItem)
 public:
  explicit TuiColorKey(TuiCollection* Collection) : TuiCollectionItem(Collection) {}
  float Key() const { return FKey; }
  void SetKey(float Value);
  std::string Value() const { return ColorToText(FValue); }
  void SetValue(const std::string& Value) { FValue = TextToColor(Value); }
  TuiColor ColorValue() const { return FValue; }
  void SetColorValue(TuiColor Value) { FValue = Value; }
  static void DefineProperties(TuiClassBuilder<TuiColorKey>& C);

 private:
  float FKey = 0;
  TuiColor FValue = 0;
};

class TuiFloatKey : public TuiCollectionItem {
  UX_CLASS(TuiFloatKey, TuiCollectionItem)
 public:
  explicit TuiFloatKey(TuiCollection* Collection) : TuiCollectionItem(Collection) {}
  float Key() const { return FKey; }
  void SetKey(float Value);
  float Value() const { return FValue; }
  void SetValue(float Value) { FValue = Value; }
  static void DefineProperties(TuiClassBuilder<TuiFloatKey>& C);

 private:
  float FKey = 0;
  float FValue = 0;
};

// The keys in collection order; nothing sorts them.
template <class TKey>
class TuiKeys : public TuiCollection {
 public:
  TuiKeys() : TuiCollection([](TuiCollection* C) { return std::make_unique<TKey>(C); }) {}
  TKey* Keys(int Index) const { return static_cast<TKey*>(Items(Index)); }
  TKey* Add() { return static_cast<TKey*>(TuiCollection::Add()); }
};
using TuiColorKeys = TuiKeys<TuiColorKey>;
using TuiFloatKeys = TuiKeys<TuiFloatKey>;

class TuiColorKeyAnimation : public TuiAnimation {
  UX_CLASS(TuiColorKeyAnimation, TuiAnimation)
 public:
  explicit TuiColorKeyAnimation(TuiComponent* Owner) : TuiAnimation(Owner) {}

  const std::string& PropertyName() const { return FTarget.Path(); }
  void SetPropertyName(const std::string& Value) { FTarget.SetPath(Value); }
  TuiColorKeys* Keys() const { return FKeys.get(); }
  bool StartFromCurrent() const { return FStartFromCurrent; }
  void SetStartFromCurrent(bool Value) { FStartFromCurrent = Value; }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TuiColorKeyAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  TTarget FTarget;
  bool FWritable = false;
  std::unique_ptr<TuiColorKeys> FKeys = std::make_unique<TuiColorKeys>();
  bool FStartFromCurrent = false;
};

class TuiFloatKeyAnimation : public TuiAnimation {
  UX_CLASS(TuiFloatKeyAnimation, TuiAnimation)
 public:
  explicit TuiFloatKeyAnimation(TuiComponent* Owner) : TuiAnimation(Owner) {}

  const std::string& PropertyName() const { return FTarget.Path(); }
  void SetPropertyName(const std::string& Value) { FTarget.SetPath(Value); }
  TuiFloatKeys* Keys() const { return FKeys.get(); }
  bool StartFromCurrent() const { return FStartFromCurrent; }
  void SetStartFromCurrent(bool Value) { FStartFromCurrent = Value; }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TuiFloatKeyAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  TTarget FTarget;
  bool FWritable = false;
  std::unique_ptr<TuiFloatKeys> FKeys = std::make_unique<TuiFloatKeys>();
  bool FStartFromCurrent = false;
};

// Holds the two path texts a style switches between; the control that owns
// the style reads them. It writes nothing itself.
class TuiPathSwitcher : public TuiAnimation {
  UX_CLASS(TuiPathSwitcher, TuiAnimation)
 public:
  explicit TuiPathSwitcher(TuiComponent* Owner);

  const std::string& PathTrue() const { return FPathTrue; }
  void SetPathTrue(const std::string& Value) { FPathTrue = Value; }
  const std::string& PathFalse() const { return FPathFalse; }
  void SetPathFalse(const std::string& Value) { FPathFalse = Value; }
  const std::string& PropertyName() const { return FPropertyName; }
  void SetPropertyName(const std::string& Value) { FPropertyName = Value; }

  static void DefineProperties(TuiClassBuilder<TuiPathSwitcher>& C);

 private:
  std::string FPathTrue;
  std::string FPathFalse;
  std::string FPropertyName;
};
