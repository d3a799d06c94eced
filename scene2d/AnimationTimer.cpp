#include "scene2d/AnimationTimer.h"

#include <algorithm>

#include "scene2d/Animation.h"

TuiAnimationTimer& TuiAnimationTimer::Instance() {
  static TuiAnimationTimer* instance = new TuiAnimationTimer;
  return *instance;
}

double TuiAnimationTimer::Now() const {
  return FSource ? double(FSource->TickCount()) / 1000 : 0;
}

void TuiAnimationTimer::SetSource(platform::ITimerSource* Value) {
  if (Value == FSource) return;
  FTimer.reset();
  FSource = Value;
  if (FSource) FTimer = FSource->CreateTimer(Interval, [this] { Tick(); });
  FLast = Now();
  UpdateActive();
}

void TuiAnimationTimer::Add(TuiAnimation* Animation) {
  if (Contains(Animation)) return;
  if (Count() == 0) FLast = Now();  // an idle spell is no elapsed animation time
  FList.push_back(Animation);
  UpdateActive();
}

void TuiAnimationTimer::Remove(TuiAnimation* Animation) {
  auto it = std::find(FList.begin(), FList.end(), Animation);
  if (it == FList.end()) return;
  if (FWalking > 0) {
    *it = nullptr;
    FHoles = true;
  } else {
    FList.erase(it);
  }
  UpdateActive();
}

bool TuiAnimationTimer::Contains(const TuiAnimation* Animation) const {
  return Animation && std::find(FList.begin(), FList.end(), Animation) != FList.end();
}

int TuiAnimationTimer::Count() const {
  return int(std::count_if(FList.begin(), FList.end(), [](const TuiAnimation* a) { return a != nullptr; }));
}

void TuiAnimationTimer::Sweep() {
  if (!FHoles || FWalking > 0) return;
  std::erase(FList, nullptr);
  FHoles = false;
}

void TuiAnimationTimer::UpdateActive() {
  if (!FTimer) return;
  const bool any =
      std::any_of(FList.begin(), FList.end(), [](const TuiAnimation* a) { return a != nullptr; });
  FTimer->SetEnabled(any);
}

void TuiAnimationTimer::Tick() {
  const double now = Now();
  if (!(now > FLast)) return;
  const float dt = float(now - FLast);
  FLast = now;
  struct TWalk {
    TuiAnimationTimer& Timer;
    explicit TWalk(TuiAnimationTimer& T) : Timer(T) { ++Timer.FWalking; }
    ~TWalk() {
      --Timer.FWalking;
      Timer.Sweep();
    }
  } walk(*this);
  // Animations that join during the walk sit above Index and wait for the
  // next tick; those that leave become holes.
  for (size_t i = FList.size(); i-- > 0;) {
    TuiAnimation* a = FList[i];
    if (!a) continue;
    // The text caret blinks on every third tick only.
    if (a->BindingName() == "caret") {
      a->SetTag(a->Tag() + 1);
      if (a->Tag() % 3 != 0) continue;
    }
    a->Advance(dt);
  }
}
