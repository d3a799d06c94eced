#pragma once

#include <algorithm>
#include <ostream>
#include <vector>

#include "scene2d/Scene.h"
#include "scene2d/VisualObject.h"

// A host that keeps roots, focus and the repaint requests it receives, and
// answers everything else with nothing.
class TFakeScene : public IuxScene {
 public:
  std::vector<TuiVisualObject*> Roots;
  std::vector<TuiRect> UpdateRects;
  std::vector<TuiComponent*> Removed;  // removal notifications, in order
  TuiVisualObject* Focused = nullptr;
  bool DisableUpdate = false;

  TFakeScene() { TuiSceneList::Register(this); }
  ~TFakeScene() override { TuiSceneList::Unregister(this); }

  void AddObject(TuiVisualObject* Object) override {
    Object->SetParent(nullptr);
    if (std::find(Roots.begin(), Roots.end(), Object) == Roots.end()) Roots.push_back(Object);
    Object->SetScene(this);
    Object->Repaint();
  }
  void RemoveObject(TuiObject* Object) override {
    std::erase(Roots, Object->Visual());
    Object->SetScene(nullptr);
  }
  void AddUpdateRect(const TuiRect& Rect) override { UpdateRects.push_back(Rect); }
  bool GetDisableUpdate() override { return DisableUpdate; }
  void SetDisableUpdate(bool Value) override { DisableUpdate = Value; }
  TuiObject* GetRoot() override { return Roots.empty() ? nullptr : Roots.front(); }
  void Notification(TuiComponent* Component, TuiOperation) override {
    Removed.push_back(Component);
    if (Component == Focused) Focused = nullptr;
  }
  void SetFocused(TuiVisualObject* Object) override { Focused = Object; }
  TuiVisualObject* GetFocused() override { return Focused; }

  bool BeginWindowMove() override { return false; }
  bool BeginWindowResize() override { return false; }
  void InsertObject(const char*) override {}
  TuiControl* GetActiveControl() override { return nullptr; }
  bool GetDesignTime() override { return false; }
  TuiCanvas* GetCanvas() override { return nullptr; }
  TuiComponent* GetOwner() override { return nullptr; }
  TuiComponent* GetComponent() override { return nullptr; }
  TuiResources* GetStyle() override { return nullptr; }
  void SetStyle(TuiResources*) override {}
  bool GetTransparency() override { return true; }
  void UpdateResource() override {}
  TuiObject* GetSelected() override { return nullptr; }
  TuiObject* GetDesignDropTarget() override { return nullptr; }
  int GetUpdateRectsCount() override { return int(UpdateRects.size()); }
  TuiRect GetUpdateRect(int Index) override { return UpdateRects.at(Index); }
  void SetCaptured(TuiVisualObject*) override {}
  TuiVisualObject* GetCaptured() override { return nullptr; }
  void SetDesignDblClick(TuiObject*) override {}
  TuiPoint GetMousePos() override { return {}; }
  TuiPoint LocalToScreen(const TuiPoint& Point) override { return Point; }
  void BeginDragDrop(TuiObject*, TuiBitmap*) override {}
  void SetSelected(TuiVisualObject*) override {}
  bool GetAnimatedCaret() override { return false; }
  bool BeginTextInput(TuiControl*) override { return false; }
  bool EndTextInput(TuiControl*) override { return false; }
};

// Place and size of a visual object in its parent, for table rows.
struct TBox {
  float X = 0, Y = 0, W = 0, H = 0;
  friend bool operator==(const TBox&, const TBox&) = default;
  friend std::ostream& operator<<(std::ostream& S, const TBox& B) {
    return S << "(" << B.X << ", " << B.Y << ", " << B.W << " x " << B.H << ")";
  }
};

inline TBox BoxOf(const TuiVisualObject& O) {
  return {O.Position()->X(), O.Position()->Y(), O.Width(), O.Height()};
}

inline void SetBox(TuiVisualObject& O, const TBox& B) {
  O.SetBounds(B.X, B.Y, B.W, B.H);
}
