#include "scene2d/Animation.h"

#include "scene2d/Triggers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "scene2d/AnimationTimer.h"
#include "scene2d/TextForms.h"
#include "scene2d/Triggers.h"
#include "scene2d/VisualObject.h"

UX_IMPLEMENT_CLASS(TuiAnimation)

namespace {

// Tells whether an object survived a handler that may free it.
class TAliveGuard final : private IuxFreeNotify {
 public:
  explicit TAliveGuard(TuiObject& Object) : FObject(&Object) { FObject->AddFreeNotify(this); }
  ~TAliveGuard() override {
    if (FObject) FObject->RemoveFreeNotify(this);
  }
  TAliveGuard(const TAliveGuard&) = delete;
  TAliveGuard& operator=(const TAliveGuard&) = delete;
  bool Alive() const { return FObject != nullptr; }

 private:
  void FreeNotify(TuiObject*) override { FObject = nullptr; }
  TuiObject* FObject;
};

}  // namespace

void TuiAnimation::DefineProperties(TuiClassBuilder<TuiAnimation>& C) {
  using A = TuiAnimation;
  C.Property("Duration", &A::Duration, &A::SetDuration, 0.2f);
  C.Property("Delay", &A::Delay, &A::SetDelay, 0.0f);
  C.Property("Inverse", &A::Inverse, &A::SetInverse, false);
  C.Property("Trigger", &A::Trigger, &A::SetTrigger, "");
  C.Property("Loop", &A::Loop, &A::SetLoop, false);
  C.Event("OnFinish", &A::OnFinish);
  C.Event("OnProcess", &A::OnProcess);
  // No default: always written, as the stored layouts have it.
  C.Property("HideOnFinish", &A::HideOnFinish, &A::SetHideOnFinish);
  C.Property("Interpolation", &A::Interpolation, &A::SetInterpolation, uxInterpolationLinear);
  C.Property("AnimationType", &A::AnimationType, &A::SetAnimationType, uxAnimationIn);
  C.Property("Enabled", &A::Enabled, &A::SetEnabled, false);
  C.Property("AutoReverse", &A::AutoReverse, &A::SetAutoReverse, false);
}

TuiAnimation::TuiAnimation(TuiComponent* Owner) : TuiObject(Owner) {}

TuiAnimation::~TuiAnimation() {
  // An animation that never went through delete still leaves the timer.
  if (!TornDown()) TuiAnimationTimer::Instance().Remove(this);
}

void TuiAnimation::BeforeDestruction() {
  BeginDestroy();
  TuiAnimationTimer::Instance().Remove(this);
  Inherited::BeforeDestruction();
}

bool TuiAnimation::InDesigner() const {
  return IsDesigning() || (Scene() && Scene()->GetDesignTime());
}

bool TuiAnimation::ParentHidden() const {
  const TuiVisualObject* p = Parent() ? Parent()->Visual() : nullptr;
  return p && !p->Visible();
}

float TuiAnimation::NormalizedTime() const {
  if (FDuration <= 0 || FDelayRemaining > 0) return 0;
  return uxEase(FInterpolation, FAnimationType, FTime, FDuration);
}

void TuiAnimation::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (InDesigner() || IsLoading()) return;
  if (Value)
    Start();
  else
    Stop();
}

void TuiAnimation::Loaded() {
  Inherited::Loaded();
  if (FEnabled && !InDesigner()) Start();
}

void TuiAnimation::Finish() {
  if (OnFinish) OnFinish(this);
}

void TuiAnimation::Start() {
  if (ParentHidden()) return;
  TuiAnimationTimer& timer = TuiAnimationTimer::Instance();
  if (std::fabs(FDuration) < 0.001f || !Scene() || InDesigner() || !timer.Source()) {
    FDelayRemaining = 0;
    FDuration = 1;
    FTime = FInverse ? 0 : 1;
    FRunning = true;
    ProcessAnimation();
    FRunning = false;
    FTime = 0;
    FDuration = 0.00001f;
    FEnabled = false;
    Finish();
    return;
  }
  if (timer.Settling()) {
    // The end value at once, as Stop gives it; the duration stays for the
    // next start.
    timer.Remove(this);
    FDelayRemaining = 0;
    FRunning = true;
    FTime = FInverse ? 0 : FDuration;
    ProcessAnimation();
    FRunning = false;
    FEnabled = false;
    Finish();
    return;
  }
  FDelayRemaining = FDelay;
  FRunning = true;
  FTime = FInverse ? FDuration : 0;
  if (FDelay == 0) ProcessAnimation();
  timer.Add(this);
  FEnabled = true;
}

void TuiAnimation::Stop() {
  if (!FRunning) return;
  TuiAnimationTimer::Instance().Remove(this);
  FTime = FInverse ? 0 : FDuration;
  ProcessAnimation();
  FRunning = false;
  FEnabled = false;
  Finish();
}

void TuiAnimation::StopAtCurrent() {
  if (!FRunning) return;
  TuiAnimationTimer::Instance().Remove(this);
  FTime = FInverse ? 0 : FDuration;
  FRunning = false;
  FEnabled = false;
  Finish();
}

bool uxStepAnimationTime(float& Time, bool& Inverse, float Duration, float Dt, bool Loop, bool AutoReverse) {
  Time += Inverse ? -Dt : Dt;
  if (Time >= Duration) {
    Time = Duration;
    if (!Loop) return false;
    if (AutoReverse)
      Inverse = true;
    else
      Time = 0;
  } else if (Time <= 0) {
    Time = 0;
    if (!Loop) return false;
    if (AutoReverse)
      Inverse = false;
    else
      Time = Duration;
  }
  return true;
}

void TuiAnimation::Advance(float Dt) {
  if (InDesigner() || IsDestroying()) return;
  if (ParentHidden()) {
    Stop();  // may free the animation
    return;
  }
  if (!FRunning) return;
  if (FDelay > 0 && FDelayRemaining > 0) {
    FDelayRemaining -= Dt;
    if (FDelayRemaining <= 0) {
      TAliveGuard guard(*this);
      Start();  // starts the time afresh
      if (guard.Alive()) FDelayRemaining = 0;
    }
    return;
  }
  FRunning = uxStepAnimationTime(FTime, FInverse, FDuration, Dt, FLoop, FAutoReverse);
  ProcessAnimation();
  if (OnProcess) {
    TAliveGuard guard(*this);
    OnProcess(this);
    if (!guard.Alive()) return;
  }
  if (FRunning) return;
  // A finished animation leaves the timer even without a host, so that a
  // timer with nothing to animate stops.
  TuiAnimationTimer::Instance().Remove(this);
  if (Scene()) Finish();
}

void TuiAnimation::StartTrigger(TuiObject* Instance, std::string_view TriggerName) {
  if (FTrigger.empty() || !Instance || !TriggerMentions(FTrigger, TriggerName)) return;
  // Every condition the instance can answer must hold; one it cannot (an
  // unknown property) is passed over, and with none answered nothing starts.
  bool checked = false;
  for (const TuiTriggerCondition& c : ParseTrigger(FTrigger)) {
    const std::optional<bool> holds = TriggerConditionHolds(*Instance, c);
    if (!holds) continue;
    if (!*holds) return;
    checked = true;
  }
  if (checked) Start();
}

// ---- the driven property ----

void TuiAnimation::TTarget::SetPath(const std::string& Value) {
  if (Value == FPath) return;
  FPath = Value;
  FHandle.Reset();
  FResolved = false;
}

TuiPropertyHandle& TuiAnimation::TTarget::Resolve(TuiObject& Animation) {
  TuiObject* root = Animation.Parent();
  const bool lost = FResolved && FRoot && !FHandle && !FPath.empty();
  if (!FResolved || root != FRoot || lost) {
    FHandle.Reset();
    FRoot = root;
    FResolved = true;
    if (root && !FPath.empty()) FHandle.Resolve(*root, FPath, uxPathSkipNonObjects);
  }
  return FHandle;
}
