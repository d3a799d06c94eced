#include "app/forms/Timer.h"

UX_IMPLEMENT_CLASS(TuiTimer)

TuiTimer::TuiTimer(TuiComponent* Owner) : TuiComponent(Owner) {}

void TuiTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Restart();
}

void TuiTimer::SetInterval(int32_t Value) {
  const uint32_t interval = Value < 0 ? 0u : uint32_t(Value);
  if (interval == FInterval) return;
  FInterval = interval;
  Restart();
}

void TuiTimer::SetSource(platform::ITimerSource* Value) {
  if (Value == FSource) return;
  FTimer.reset();
  FSource = Value;
  Restart();
}

void TuiTimer::Restart() {
  if (!FTicking) FRetired.clear();
  if (FTimer && FTicking) {
    FTimer->SetEnabled(false);
    FRetired.push_back(std::move(FTimer));
  }
  FTimer.reset();
  if (!FSource || !FEnabled || FInterval == 0 || IsLoading()) return;
  FTimer = FSource->CreateTimer(FInterval, [this] { Tick(); });
  FTimer->SetEnabled(true);
}

void TuiTimer::Loaded() {
  TuiComponent::Loaded();
  Restart();
}

void TuiTimer::Tick() {
  FTicking = true;
  if (OnTimer) OnTimer(this);
  FTicking = false;
}

void TuiTimer::BeforeDestruction() {
  FTimer.reset();
  FRetired.clear();
  TuiComponent::BeforeDestruction();
}
