#include "scene3d/AniThread.h"

#include <algorithm>

namespace {
TscAniThread* GInstance = nullptr;
}

TscAniThread& TscAniThread::Instance() {
  if (!GInstance) GInstance = new TscAniThread;
  return *GInstance;
}

bool TscAniThread::Exists() {
  return GInstance != nullptr;
}

void TscAniThread::Free() {
  delete GInstance;
  GInstance = nullptr;
}

void TscAniThread::SetSource(platform::ITimerSource* Value) {
  if (Value == FSource) return;
  FTimer.reset();
  FSource = Value;
  if (FSource) {
    FTimer = FSource->CreateTimer(Interval, [this] { Tick(); });
    FLast = FSource->TickCount();
  }
  UpdateActive();
}

void TscAniThread::Add(IStepper* Stepper) {
  if (!Stepper || std::find(FList.begin(), FList.end(), Stepper) != FList.end()) return;
  // Time spent with nothing running is no animation time.
  if (Count() == 0 && FSource) FLast = FSource->TickCount();
  FList.push_back(Stepper);
  UpdateActive();
}

void TscAniThread::Remove(IStepper* Stepper) {
  auto it = std::find(FList.begin(), FList.end(), Stepper);
  if (it == FList.end()) return;
  if (FWalking > 0)
    *it = nullptr;
  else
    FList.erase(it);
  UpdateActive();
}

int TscAniThread::Count() const {
  return int(std::count_if(FList.begin(), FList.end(), [](const IStepper* s) { return s != nullptr; }));
}

void TscAniThread::UpdateActive() {
  if (FTimer) FTimer->SetEnabled(Count() > 0);
}

void TscAniThread::Tick() {
  if (!FSource) return;
  const uint64_t now = FSource->TickCount();
  const float dt = float(now - FLast) / 1000;
  FLast = now;
  struct TWalk {
    TscAniThread& T;
    explicit TWalk(TscAniThread& Timer) : T(Timer) { ++T.FWalking; }
    ~TWalk() {
      if (--T.FWalking == 0) std::erase(T.FList, nullptr);
    }
  } walk(*this);
  // Steppers that join during the walk wait for the next tick.
  for (size_t i = FList.size(); i-- > 0;)
    if (FList[i]) FList[i]->Step(dt);
}
