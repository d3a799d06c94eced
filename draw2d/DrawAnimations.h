#pragma once

#include <memory>
#include <vector>

#include "draw2d/Bitmap.h"
#include "draw2d/Gradient.h"
#include "draw2d/PathData.h"
#include "scene2d/Animation.h"

// The animation kinds whose values are drawing types: gradients, bitmaps and
// motion along a path.

// Drives a gradient property ("Fill.Gradient"): point i of the target gets the
// colour between point i of StartValue and of StopValue, for every point the
// three have in common; the target then reports one change.
class TuiGradientAnimation : public TuiAnimation {
  UX_CLASS(TuiGradientAnimation, TuiAnimation)
 public:
  explicit TuiGradientAnimation(TuiComponent* Owner) : TuiAnimation(Owner) {}

  const std::string& PropertyName() const { return FTarget.Path(); }
  void SetPropertyName(const std::string& Value) { FTarget.SetPath(Value); }
  TuiGradient* StartValue() const { return FStart.get(); }
  TuiGradient* StopValue() const { return FStop.get(); }
  bool StartFromCurrent() const { return FStartFromCurrent; }
  void SetStartFromCurrent(bool Value) { FStartFromCurrent = Value; }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TuiGradientAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  TuiGradient* TargetGradient();

  TTarget FTarget;
  std::unique_ptr<TuiGradient> FStart = std::make_unique<TuiGradient>();
  std::unique_ptr<TuiGradient> FStop = std::make_unique<TuiGradient>();
  bool FStartFromCurrent = false;
};

// Cross-fades a bitmap property: the start picture with the stop picture drawn
// over it at opacity t (stretched to the start picture's size).
class TuiBitmapAnimation : public TuiAnimation {
  UX_CLASS(TuiBitmapAnimation, TuiAnimation)
 public:
  explicit TuiBitmapAnimation(TuiComponent* Owner) : TuiAnimation(Owner) {}

  const std::string& PropertyName() const { return FTarget.Path(); }
  void SetPropertyName(const std::string& Value) { FTarget.SetPath(Value); }
  TuiBitmap* StartValue() const { return FStart.get(); }
  TuiBitmap* StopValue() const { return FStop.get(); }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TuiBitmapAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  TuiBitmap* TargetBitmap();

  TTarget FTarget;
  std::unique_ptr<TuiBitmap> FStart = std::make_unique<TuiBitmap>();
  std::unique_ptr<TuiBitmap> FStop = std::make_unique<TuiBitmap>();
  TuiBitmap FWork;
};

// Moves the parent visual object along Path, relative to where it stood at the
// start; with Rotate it also turns the parent to face the direction of motion.
class TuiPathAnimation : public TuiAnimation {
  UX_CLASS(TuiPathAnimation, TuiAnimation)
 public:
  explicit TuiPathAnimation(TuiComponent* Owner) : TuiAnimation(Owner) {}

  TuiPathData* Path() const { return FPath.get(); }
  bool Rotate() const { return FRotate; }
  void SetRotate(bool Value) { FRotate = Value; }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TuiPathAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  // The point at parameter S of a curve through the flattened points, which
  // sit at S = 0, 1, ... n - 1; S outside that range gives the nearest end.
  TuiPoint SplinePoint(float S) const;

  std::unique_ptr<TuiPathData> FPath = std::make_unique<TuiPathData>();
  bool FRotate = false;
  std::vector<TuiPoint> FPoints;
  TuiPoint FStartPosition;
  TuiPoint FLastPosition;
};
