#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "scene2d/Easing.h"
#include "scene2d/Object.h"
#include "scene2d/PropertyHandle.h"
#include "scene2d/VisualObject.h"

// A non-visual child that drives a property of its parent (or of something
// reached from it) over time. It runs in one of two ways:
//
// - at once, when its Duration is below a millisecond, when it has no host or
//   the host is a designer: the end value is written, OnFinish fires, and
//   Duration becomes 0.00001 so that every later start is immediate as well
//   (style sheets hold such animations for state changes without a fade);
// - on the shared animation timer otherwise, after Delay, with the time
//   running up (down when Inverse) between 0 and Duration.
//
// Kinds override ProcessAnimation, which writes the value for the current
// time; NormalizedTime gives the eased fraction.
// One step of an animation's clock, shared by the 2D and 3D animations: Time
// moves by Dt (backwards while Inverse), then the ends apply: held without
// Loop, turned round with AutoReverse, wrapped otherwise. False when the run
// has ended.
bool uxStepAnimationTime(float& Time, bool& Inverse, float Duration, float Dt, bool Loop, bool AutoReverse);

class TuiAnimation : public TuiObject, public IuxAnimation {
  UX_CLASS(TuiAnimation, TuiObject)
 public:
  explicit TuiAnimation(TuiComponent* Owner);
  ~TuiAnimation() override;

  float Duration() const { return FDuration; }
  void SetDuration(float Value) { FDuration = Value; }
  float Delay() const { return FDelay; }
  void SetDelay(float Value) { FDelay = Value; }
  // Also the running direction: a looping, auto-reversing animation flips it.
  bool Inverse() const { return FInverse; }
  void SetInverse(bool Value) { FInverse = Value; }
  const std::string& Trigger() const { return FTrigger; }
  void SetTrigger(const std::string& Value) { FTrigger = Value; }
  bool Loop() const { return FLoop; }
  void SetLoop(bool Value) { FLoop = Value; }
  // Kept for the stored layouts that carry it; it has no effect.
  bool HideOnFinish() const { return FHideOnFinish; }
  void SetHideOnFinish(bool Value) { FHideOnFinish = Value; }
  TuiInterpolationType Interpolation() const { return FInterpolation; }
  void SetInterpolation(TuiInterpolationType Value) { FInterpolation = Value; }
  TuiAnimationType AnimationType() const { return FAnimationType; }
  void SetAnimationType(TuiAnimationType Value) { FAnimationType = Value; }
  // Setting it starts (true) or stops (false) the animation, except while
  // loading or in a designer; load completion starts an enabled one.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Without effect unless Loop is set.
  bool AutoReverse() const { return FAutoReverse; }
  void SetAutoReverse(bool Value) { FAutoReverse = Value; }

  // Seconds, between 0 and Duration.
  float CurrentTime() const { return FTime; }
  bool Running() const override { return FRunning; }
  bool HasTrigger() const override { return !FTrigger.empty(); }
  // The eased fraction of the current time; 0 while a delay is pending.
  float NormalizedTime() const;

  // Nothing under an invisible visual parent; see the class comment.
  void Start() override;
  // Jumps to the end value (the start value when Inverse), then OnFinish.
  void Stop() override;
  // Ends where it is: the property keeps its current value; then OnFinish.
  virtual void StopAtCurrent();
  // Starts when Trigger mentions TriggerName (ignoring case) and its
  // conditions ("IsMouseOver=true;IsPressed=false") match Instance: each names
  // a Boolean or enumeration property and the name of its value. Conditions
  // naming anything else are passed over; at least one must have been checked.
  void StartTrigger(TuiObject* Instance, std::string_view TriggerName) override;

  // One timer period of Dt seconds; called by the animation timer.
  void Advance(float Dt);
  void Loaded() override;

  // The animation is the sender. OnFinish may free the animation.
  TuiNotifyEvent OnProcess;
  TuiNotifyEvent OnFinish;

  static void DefineProperties(TuiClassBuilder<TuiAnimation>& C);

 protected:
  // Writes the value for the current time; nothing in the base.
  virtual void ProcessAnimation() {}
  void BeforeDestruction() override;

  // The property a kind drives, resolved from the animation's parent on the
  // first start and reused after that; again only when the parent changed or
  // the object holding the property died.
  class TTarget {
   public:
    const std::string& Path() const { return FPath; }
    void SetPath(const std::string& Value);
    TuiPropertyHandle& Resolve(TuiObject& Animation);
    TuiPropertyHandle& Handle() { return FHandle; }

   private:
    std::string FPath;
    TuiPropertyHandle FHandle;
    const TuiObject* FRoot = nullptr;  // compared, never followed
    bool FResolved = false;
  };

 private:
  bool InDesigner() const;
  bool ParentHidden() const;
  // Fires OnFinish last: the handler may free the animation.
  void Finish();

  float FDuration = 0.2f;
  float FDelay = 0;
  float FDelayRemaining = 0;
  float FTime = 0;
  bool FInverse = false;
  std::string FTrigger;
  bool FLoop = false;
  bool FRunning = false;
  bool FHideOnFinish = false;
  TuiInterpolationType FInterpolation = uxInterpolationLinear;
  TuiAnimationType FAnimationType = uxAnimationIn;
  bool FEnabled = false;
  bool FAutoReverse = false;
};
