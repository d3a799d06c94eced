#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scene2d/Easing.h"
#include "scene2d/PropertyHandle.h"
#include "scene3d/AniThread.h"
#include "scene3d/Object.h"
#include "scene3d/VisualObject.h"

// A non-visual child of a 3D object that drives a property of it (or of
// something reached from it: "Position.X", "Material.Diffuse",
// "Parent.Opacity") over time. It runs in one of two ways:
//
// - at once, when its Duration is below a millisecond or in a designer: the
//   end value is written, OnFinish fires, and Duration is left at 0, so every
//   later start is immediate as well;
// - timed otherwise, also without a scene, after Delay, with the time running
//   up (down when Inverse) between 0 and Duration.
//
// A timed run is stepped by the shared 25 ms timer (TscAniThread), except in a
// RealTime scene, whose idle pass steps it through ProcessTick; such an
// animation never joins the timer, and one that joined before its scene went
// RealTime leaves it at the next tick.
//
// Kinds override ProcessAnimation, which writes the value for the current
// time; NormalizedTime gives the eased fraction.
class TscAnimation : public TscObject, public TscAniThread::IStepper {
  UX_CLASS(TscAnimation, TscObject)
 public:
  explicit TscAnimation(TuiComponent* Owner);
  ~TscAnimation() override;

  TuiAnimationType AnimationType() const { return FAnimationType; }
  void SetAnimationType(TuiAnimationType Value) { FAnimationType = Value; }
  // Without effect unless Loop is set.
  bool AutoReverse() const { return FAutoReverse; }
  void SetAutoReverse(bool Value) { FAutoReverse = Value; }
  float Duration() const { return FDuration; }
  void SetDuration(float Value) { FDuration = Value; }
  float Delay() const { return FDelay; }
  void SetDelay(float Value) { FDelay = Value; }
  // Setting it starts (true) or stops (false) the animation, except while
  // loading or in a designer; load completion starts an enabled one.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  TuiInterpolationType Interpolation() const { return FInterpolation; }
  void SetInterpolation(TuiInterpolationType Value) { FInterpolation = Value; }
  // Also the running direction: a looping, auto-reversing animation flips it.
  bool Inverse() const { return FInverse; }
  void SetInverse(bool Value) { FInverse = Value; }
  bool Loop() const { return FLoop; }
  void SetLoop(bool Value) { FLoop = Value; }
  const std::string& Trigger() const { return FTrigger; }
  void SetTrigger(const std::string& Value) { FTrigger = Value; }

  // Seconds, between 0 and Duration.
  float CurrentTime() const { return FTime; }
  bool Running() const { return FRunning; }
  // The eased fraction of the current time; 0 while a delay is pending.
  float NormalizedTime() const;

  // Nothing under an invisible visual parent; see the class comment.
  virtual void Start();
  // Jumps to the end value (the start value when Inverse), then OnFinish.
  virtual void Stop();
  // Ends where it is: the property keeps its current value; then OnFinish.
  virtual void StopAtCurrent();
  // Starts when Trigger mentions TriggerName (ignoring case) and its
  // conditions ("IsMouseOver=true;IsFocused=false") hold for Instance;
  // conditions about properties Instance lacks are passed over, and at least
  // one must have been checked.
  virtual void StartTrigger(TscObject* Instance, std::string_view TriggerName);

  // One period of the shared timer.
  void Step(float DeltaTime) override;
  // The idle pass of a RealTime scene: advances the animation, then its
  // children and OnTick.
  void ProcessTick(float DeltaTime, float Time) override;
  void Loaded() override;

  // The animation is the sender; the handler may free it.
  TscNotifyEvent OnFinish;

  static void DefineProperties(TuiClassBuilder<TscAnimation>& C);

 protected:
  // Writes the value for the current time; nothing in the base.
  virtual void ProcessAnimation() {}
  void BeforeDestruction() override;
  void Notification(TuiComponent* Component, TuiOperation Operation) override;

  // The property a kind drives, resolved from the animation's parent on the
  // first start and reused after that; again when the parent changed or an
  // object on the path died. A 3D object reached by reference ("Target.
  // Position.X") is watched through a free notification, 2D objects by the
  // handle itself.
  const std::string& PropertyPath() const { return FPath; }
  void SetPropertyPath(const std::string& Value);
  TuiPropertyHandle& ResolveTarget();
  TuiPropertyHandle& Target() { return FHandle; }

 private:
  class TLifeGuard;

  bool InDesigner() const;
  bool ParentHidden() const;
  // Animations of a RealTime scene are the idle pass's.
  bool SteppedByScene() const;
  void LeaveTimer();
  void Advance(float DeltaTime);
  void ForgetTarget();

  TuiAnimationType FAnimationType = uxAnimationIn;
  bool FAutoReverse = false;
  float FDuration = 0.2f;
  float FDelay = 0;
  float FDelayRemaining = 0;
  float FTime = 0;
  bool FEnabled = false;
  TuiInterpolationType FInterpolation = uxInterpolationLinear;
  bool FInverse = false;
  bool FLoop = false;
  bool FRunning = false;
  std::string FTrigger;

  std::string FPath;
  TuiPropertyHandle FHandle;
  const TscObject* FRoot = nullptr;  // compared, never followed
  TuiComponent* FWatched = nullptr;  // a 3D object on the path other than the parent
  bool FResolved = false;
};

// Interpolates a single-precision property.
class TscFloatAnimation : public TscAnimation {
  UX_CLASS(TscFloatAnimation, TscAnimation)
 public:
  explicit TscFloatAnimation(TuiComponent* Owner) : TscAnimation(Owner) {}

  float StartValue() const { return FStart; }
  void SetStartValue(float Value) { FStart = Value; }
  float StopValue() const { return FStop; }
  void SetStopValue(float Value) { FStop = Value; }
  // Takes the start value from the property at every start.
  bool StartFromCurrent() const { return FStartFromCurrent; }
  void SetStartFromCurrent(bool Value) { FStartFromCurrent = Value; }
  const std::string& PropertyName() const { return PropertyPath(); }
  void SetPropertyName(const std::string& Value) { SetPropertyPath(Value); }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TscFloatAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  float FStart = 0, FStop = 0;
  bool FStartFromCurrent = false;
  bool FWritable = false;
};

// Interpolates a colour: a colour text property gets "#AARRGGBB", an integer
// property the colour value, a class with a native colour setter that one.
class TscColorAnimation : public TscAnimation {
  UX_CLASS(TscColorAnimation, TscAnimation)
 public:
  explicit TscColorAnimation(TuiComponent* Owner) : TscAnimation(Owner) {}

  // 3D colour texts; one that does not convert raises EuxConvertError.
  std::string StartValue() const;
  void SetStartValue(const std::string& Value);
  std::string StopValue() const;
  void SetStopValue(const std::string& Value);
  uint32_t StartColor() const { return FStart; }
  void SetStartColor(uint32_t Value) { FStart = Value; }
  uint32_t StopColor() const { return FStop; }
  void SetStopColor(uint32_t Value) { FStop = Value; }
  bool StartFromCurrent() const { return FStartFromCurrent; }
  void SetStartFromCurrent(bool Value) { FStartFromCurrent = Value; }
  const std::string& PropertyName() const { return PropertyPath(); }
  void SetPropertyName(const std::string& Value) { SetPropertyPath(Value); }

  void Start() override;
  static void DefineProperties(TuiClassBuilder<TscColorAnimation>& C);

 protected:
  void ProcessAnimation() override;

 private:
  uint32_t FStart = 0xFFFFFFFF, FStop = 0xFFFFFFFF;
  bool FStartFromCurrent = false;
  bool FWritable = false;
};
