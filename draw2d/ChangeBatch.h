#pragma once

#include <functional>
#include <utility>

// Lets a compound change (Assign, a colour that also moves a gradient stop)
// reach the owner as one notification, and none when nothing changed: while the
// batch is open, Target's OnChanged only records that something changed.
template <class T>
class TuiChangeBatch {
 public:
  explicit TuiChangeBatch(T& Target)
      : FTarget(Target), FSaved(std::exchange(Target.OnChanged, [this](T*) { FChanged = true; })) {}
  TuiChangeBatch(const TuiChangeBatch&) = delete;
  TuiChangeBatch& operator=(const TuiChangeBatch&) = delete;
  // Restores the handler also when a step throws.
  ~TuiChangeBatch() { Finish(); }

  // Restores the handler; true when anything changed meanwhile.
  bool Finish() {
    if (!FFinished) {
      FFinished = true;
      FTarget.OnChanged = std::move(FSaved);
    }
    return FChanged;
  }

 private:
  T& FTarget;
  std::function<void(T*)> FSaved;
  bool FChanged = false;
  bool FFinished = false;
};
