#pragma once

#include <string>
#include <vector>

#include "scene2d/Object.h"
#include "scene2d/Scene.h"
#include "scene2d/VisualObject.h"

// A scene host with no window: it keeps its roots through TuiSceneHost and
// records the removal notifications it gets, with the class each leaving
// object still had at that moment.
class TTestHost : public TuiSceneHost {
 public:
  std::vector<std::string> Removed;  // class names, in order
  TuiComponent* Component = nullptr;

  bool BeginWindowMove() override { return false; }
  bool BeginWindowResize() override { return false; }
  void AddUpdateRect(const TuiRect&) override {}
  TuiControl* GetActiveControl() override { return nullptr; }
  bool GetDisableUpdate() override { return false; }
  void SetDisableUpdate(bool) override {}
  TuiCanvas* GetCanvas() override { return nullptr; }
  TuiComponent* GetOwner() override { return nullptr; }
  TuiComponent* GetComponent() override { return Component; }
  TuiResources* GetStyle() override { return nullptr; }
  void SetStyle(TuiResources*) override {}
  bool GetTransparency() override { return true; }
  void UpdateResource() override {}
  void Notification(TuiComponent* C, TuiOperation Operation) override {
    if (Operation == opRemove) Removed.push_back(C->ClassName());
  }
  int GetUpdateRectsCount() override { return 0; }
  TuiRect GetUpdateRect(int) override { return {}; }
  void SetCaptured(TuiVisualObject*) override {}
  TuiVisualObject* GetCaptured() override { return nullptr; }
  void SetFocused(TuiVisualObject*) override {}
  TuiVisualObject* GetFocused() override { return nullptr; }
  TuiPoint GetMousePos() override { return {}; }
  TuiPoint LocalToScreen(const TuiPoint& P) override { return P; }
  void BeginDragDrop(TuiObject*, TuiBitmap*) override {}
  bool AnimatedCaret = false;
  bool GetAnimatedCaret() override { return AnimatedCaret; }
  using TuiSceneHost::FreeRoots;
};
