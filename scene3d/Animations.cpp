#include "scene3d/Animations.h"

#include <cmath>
#include <variant>
#include <vector>

#include "scene2d/Animation.h"
#include "scene2d/Colors.h"
#include "scene2d/Errors.h"
#include "scene2d/Triggers.h"
#include "scene3d/Scene.h"
#include "scene3d/TextForms.h"

UX_IMPLEMENT_CLASS(TscAnimation)
UX_IMPLEMENT_CLASS(TscFloatAnimation)
UX_IMPLEMENT_CLASS(TscColorAnimation)

// Tells whether the animation survived a handler that may free it. The
// guards of all animations sit on one stack, innermost last; destruction
// marks those of the dying animation.
class TscAnimation::TLifeGuard {
 public:
  explicit TLifeGuard(const TscAnimation& A) : FAnimation(&A) { Stack().push_back(this); }
  ~TLifeGuard() { Stack().pop_back(); }
  TLifeGuard(const TLifeGuard&) = delete;
  TLifeGuard& operator=(const TLifeGuard&) = delete;
  bool Alive() const { return FAnimation != nullptr; }

  static void Dying(const TscAnimation& A) {
    for (TLifeGuard* g : Stack())
      if (g->FAnimation == &A) g->FAnimation = nullptr;
  }

 private:
  // Made once and never freed: animations freed by exit handlers still find it.
  static std::vector<TLifeGuard*>& Stack() {
    static auto* stack = new std::vector<TLifeGuard*>;
    return *stack;
  }
  const TscAnimation* FAnimation;
};

void TscAnimation::DefineProperties(TuiClassBuilder<TscAnimation>& C) {
  using A = TscAnimation;
  C.Property("AnimationType", &A::AnimationType, &A::SetAnimationType, uxAnimationIn);
  C.Property("AutoReverse", &A::AutoReverse, &A::SetAutoReverse, false);
  C.Property("Duration", &A::Duration, &A::SetDuration, 0.2f);
  C.Property("Delay", &A::Delay, &A::SetDelay, 0.0f);
  C.Property("Enabled", &A::Enabled, &A::SetEnabled, false);
  C.Property("Interpolation", &A::Interpolation, &A::SetInterpolation, uxInterpolationLinear);
  C.Property("Inverse", &A::Inverse, &A::SetInverse, false);
  C.Property("Loop", &A::Loop, &A::SetLoop, false);
  C.Property("Trigger", &A::Trigger, &A::SetTrigger, "");
  C.Event("OnFinish", &A::OnFinish);
}

TscAnimation::TscAnimation(TuiComponent* Owner) : TscObject(Owner) {}

TscAnimation::~TscAnimation() {
  // An animation that never went through delete still leaves the timer.
  if (!TornDown()) LeaveTimer();
}

void TscAnimation::BeforeDestruction() {
  BeginDestroy();
  TLifeGuard::Dying(*this);
  LeaveTimer();
  ForgetTarget();
  Inherited::BeforeDestruction();
}

void TscAnimation::LeaveTimer() {
  // Never makes the timer: a process without one has nothing to leave.
  if (TscAniThread::Exists()) TscAniThread::Instance().Remove(this);
}

bool TscAnimation::InDesigner() const {
  return IsDesigning() || (Scene() && Scene()->IsDesigning());
}

bool TscAnimation::ParentHidden() const {
  const TscVisualObject* p = Parent() ? Parent()->Visual() : nullptr;
  return p && !p->Visible();
}

bool TscAnimation::SteppedByScene() const {
  return Scene() && Scene()->RealTime();
}

float TscAnimation::NormalizedTime() const {
  if (FDuration <= 0 || FDelayRemaining > 0) return 0;
  return uxEase(FInterpolation, FAnimationType, FTime, FDuration);
}

void TscAnimation::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (InDesigner() || IsLoading()) return;
  if (Value)
    Start();
  else
    Stop();
}

void TscAnimation::Loaded() {
  Inherited::Loaded();
  if (FEnabled && !InDesigner()) Start();
}

void TscAnimation::Start() {
  if (ParentHidden()) return;
  if (std::fabs(FDuration) < 0.001f || InDesigner()) {
    LeaveTimer();
    FDelayRemaining = 0;
    FDuration = 1;
    FTime = FInverse ? 0 : 1;
    FRunning = true;
    ProcessAnimation();
    FRunning = false;
    FTime = 0;
    FDuration = 0;
    FEnabled = false;
    if (OnFinish) OnFinish(this);
    return;
  }
  FDelayRemaining = FDelay;
  FRunning = true;
  FTime = FInverse ? FDuration : 0;
  if (FDelay == 0) ProcessAnimation();
  if (!SteppedByScene()) TscAniThread::Instance().Add(this);
  FEnabled = true;
}

void TscAnimation::Stop() {
  if (!FRunning) return;
  LeaveTimer();
  FTime = FInverse ? 0 : FDuration;
  ProcessAnimation();
  FRunning = false;
  FEnabled = false;
  if (OnFinish) OnFinish(this);
}

void TscAnimation::StopAtCurrent() {
  if (!FRunning) return;
  LeaveTimer();
  FTime = FInverse ? 0 : FDuration;
  FRunning = false;
  FEnabled = false;
  if (OnFinish) OnFinish(this);
}

void TscAnimation::Step(float DeltaTime) {
  if (SteppedByScene()) {
    LeaveTimer();  // the scene went RealTime while this ran: its idle pass takes over
    return;
  }
  Advance(DeltaTime);
}

void TscAnimation::ProcessTick(float DeltaTime, float Time) {
  TLifeGuard guard(*this);
  if (SteppedByScene()) Advance(DeltaTime);
  if (guard.Alive()) Inherited::ProcessTick(DeltaTime, Time);
}

void TscAnimation::Advance(float Dt) {
  if (InDesigner() || IsDestroying()) return;
  if (ParentHidden()) {
    Stop();  // may free the animation
    return;
  }
  if (!FRunning) return;
  if (FDelay > 0 && FDelayRemaining > 0) {
    FDelayRemaining -= Dt;
    if (FDelayRemaining <= 0) {
      TLifeGuard guard(*this);
      Start();  // starts the time afresh
      if (guard.Alive()) FDelayRemaining = 0;
    }
    return;
  }
  FRunning = uxStepAnimationTime(FTime, FInverse, FDuration, Dt, FLoop, FAutoReverse);
  ProcessAnimation();
  if (FRunning) return;
  LeaveTimer();
  if (OnFinish) OnFinish(this);
}

void TscAnimation::StartTrigger(TscObject* Instance, std::string_view TriggerName) {
  if (FTrigger.empty() || !Instance || !TriggerMentions(FTrigger, TriggerName)) return;
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

namespace {
bool IsSceneObject(const TuiPersistent* P) {
  return dynamic_cast<const TscObject*>(P) != nullptr;
}
}  // namespace

void TscAnimation::SetPropertyPath(const std::string& Value) {
  if (Value == FPath) return;
  FPath = Value;
  ForgetTarget();
}

void TscAnimation::ForgetTarget() {
  FHandle.Reset();
  if (FWatched) RemoveFreeNotification(FWatched);
  FWatched = nullptr;
  FRoot = nullptr;
  FResolved = false;
}

TuiPropertyHandle& TscAnimation::ResolveTarget() {
  TscObject* root = Parent();
  if (FResolved && root == FRoot && (FHandle || !root || FPath.empty())) return FHandle;
  ForgetTarget();
  FResolved = true;
  FRoot = root;
  if (!root || FPath.empty() || !FHandle.Resolve(*root, FPath, uxPathSkipNonObjects)) return FHandle;
  // The parent's death frees this animation; any other 3D object on the path
  // may die first and must not leave the handle pointing into it.
  const TuiPropertyRef ref = FindPropertyPath(*root, FPath, uxPathSkipNonObjects, IsSceneObject);
  if (ref.Anchor && ref.Anchor != root) {
    FWatched = static_cast<TscObject*>(ref.Anchor);
    FreeNotification(FWatched);
  }
  return FHandle;
}

void TscAnimation::Notification(TuiComponent* Component, TuiOperation Operation) {
  Inherited::Notification(Component, Operation);
  if (Operation == opRemove && Component && Component == FWatched) {
    // Its list of holders is being emptied; only our side is dropped.
    FWatched = nullptr;
    FHandle.Reset();
  }
}

// ---- float ----

namespace {
bool TakesFloat(const TuiPropertyHandle& H) {
  return H && !H.Property()->ReadOnly() && H.Kind() == pkFloat;
}

bool TakesColor(const TuiPropertyHandle& H) {
  return H && !H.Property()->ReadOnly() &&
         (H.Kind() == pkString || H.Kind() == pkInteger || H.Kind() == pkInt64);
}
}  // namespace

void TscFloatAnimation::DefineProperties(TuiClassBuilder<TscFloatAnimation>& C) {
  using A = TscFloatAnimation;
  C.Property("StartValue", &A::StartValue, &A::SetStartValue, 0.0f);
  C.Property("StopValue", &A::StopValue, &A::SetStopValue, 0.0f);
  C.Property("StartFromCurrent", &A::StartFromCurrent, &A::SetStartFromCurrent, false);
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

void TscFloatAnimation::Start() {
  TuiPropertyHandle& h = ResolveTarget();
  FWritable = TakesFloat(h);
  if (FStartFromCurrent && FWritable) {
    const TuiPropValue v = h.Get();
    if (auto* d = std::get_if<double>(&v)) FStart = float(*d);
  }
  Inherited::Start();
}

void TscFloatAnimation::ProcessAnimation() {
  if (FWritable) Target().SetFloat(InterpolateSingle(FStart, FStop, NormalizedTime()));
}

// ---- colour ----

void TscColorAnimation::DefineProperties(TuiClassBuilder<TscColorAnimation>& C) {
  using A = TscColorAnimation;
  C.Property("StartValue", &A::StartValue, &A::SetStartValue, "#FFFFFFFF");
  C.Property("StopValue", &A::StopValue, &A::SetStopValue, "#FFFFFFFF");
  C.Property("StartFromCurrent", &A::StartFromCurrent, &A::SetStartFromCurrent, false);
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

std::string TscColorAnimation::StartValue() const {
  return scColorToText(FStart);
}
void TscColorAnimation::SetStartValue(const std::string& Value) {
  FStart = scTextToColor(Value);
}
std::string TscColorAnimation::StopValue() const {
  return scColorToText(FStop);
}
void TscColorAnimation::SetStopValue(const std::string& Value) {
  FStop = scTextToColor(Value);
}

void TscColorAnimation::Start() {
  TuiPropertyHandle& h = ResolveTarget();
  FWritable = TakesColor(h);
  if (FStartFromCurrent && FWritable) {
    const TuiPropValue v = h.Get();
    if (auto* i = std::get_if<int64_t>(&v)) {
      FStart = uint32_t(*i);
    } else if (auto* t = std::get_if<std::string>(&v)) {
      // A current text that is no colour leaves the stored start value.
      try {
        FStart = scTextToColor(*t);
      } catch (const EuxConvertError&) {
      }
    }
  }
  Inherited::Start();
}

void TscColorAnimation::ProcessAnimation() {
  if (FWritable) Target().SetColor(InterpolateColor(FStart, FStop, NormalizedTime()));
}
