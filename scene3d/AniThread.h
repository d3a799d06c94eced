#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/TimerSource.h"

// The one timer that steps every running 3D animation: 25 ms on the window
// layer's timer source, ticking only while something runs. Animations of a
// RealTime scene are stepped by its idle pass and never join.
class TscAniThread {
 public:
  static constexpr uint32_t Interval = 25;

  // What the timer steps: Step(delta seconds) is called on every tick.
  class IStepper {
   public:
    virtual ~IStepper() = default;
    virtual void Step(float DeltaTime) = 0;
  };

  // The instance, made on first use; none after Free.
  static TscAniThread& Instance();
  static bool Exists();
  // Frees the instance; the scene calls it when the last scene goes.
  static void Free();

  void SetSource(platform::ITimerSource* Value);
  platform::ITimerSource* Source() const { return FSource; }
  void Add(IStepper* Stepper);
  void Remove(IStepper* Stepper);
  int Count() const;
  bool Active() const { return FTimer && FTimer->Enabled(); }
  // One period: the elapsed time, then every stepper, last joined first.
  void Tick();

 private:
  TscAniThread() = default;
  void UpdateActive();

  platform::ITimerSource* FSource = nullptr;
  std::unique_ptr<platform::ITimer> FTimer;
  std::vector<IStepper*> FList;  // a stepper leaving during a tick leaves a hole
  int FWalking = 0;
  uint64_t FLast = 0;
};
