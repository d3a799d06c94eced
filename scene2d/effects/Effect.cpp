#include "scene2d/effects/Effect.h"

#include "scene2d/Triggers.h"
#include "scene2d/VisualObject.h"

UX_IMPLEMENT_CLASS(TuiEffect)

TuiEffect::TuiEffect(TuiComponent* Owner) : TuiObject(Owner) {}

TuiEffect::~TuiEffect() = default;

void TuiEffect::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Changed();
}

void TuiEffect::ProcessEffect(TuiCanvas&, TuiBitmap&, float) {}

void TuiEffect::Changed() {
  if (IsLoading() || IsDestroying()) return;
  if (TuiVisualObject* p = Parent() ? Parent()->Visual() : nullptr) p->EffectChildChanged(this);
}

void TuiEffect::ApplyTrigger(TuiObject* Instance, std::string_view TriggerName) {
  if (FTrigger.empty() || !Instance || !TriggerMentions(FTrigger, TriggerName)) return;
  bool result = false;
  for (const TuiTriggerCondition& c : ParseTrigger(FTrigger))
    if (std::optional<bool> holds = TriggerConditionHolds(*Instance, c)) result = *holds;
  SetEnabled(result);
}

TuiEffect::TReach TuiEffect::Reach(float) const {
  return {};
}
