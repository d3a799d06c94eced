#include "scene2d/Scene.h"

#include <algorithm>

#include "scene2d/VisualObject.h"

namespace {
// Never freed: hosts destroyed during process exit still find it.
std::vector<IuxScene*>& List() {
  static auto* list = new std::vector<IuxScene*>;
  return *list;
}
}  // namespace

void TuiSceneList::Register(IuxScene* Scene) {
  if (Scene && std::find(List().begin(), List().end(), Scene) == List().end()) List().push_back(Scene);
}

void TuiSceneList::Unregister(IuxScene* Scene) {
  std::erase(List(), Scene);
}

const std::vector<IuxScene*>& TuiSceneList::Scenes() {
  return List();
}

TuiSceneHost::TuiSceneHost() {
  TuiSceneList::Register(this);
}

TuiSceneHost::~TuiSceneHost() {
  TuiSceneList::Unregister(this);
  std::vector<TuiObject*> roots;
  roots.swap(FRoots);
  for (TuiObject* r : roots) r->SetScene(nullptr);
}

void TuiSceneHost::AddObject(TuiVisualObject* Object) {
  if (!Object) return;
  if (Object->Parent())
    Object->SetParent(nullptr);
  else if (Object->Scene() && Object->Scene() != this)
    Object->Scene()->RemoveObject(Object);
  if (std::find(FRoots.begin(), FRoots.end(), Object) != FRoots.end()) return;
  FRoots.push_back(Object);
  Object->SetScene(this);
  Object->InvalidateUpdateRects();
  Object->Repaint();
}

void TuiSceneHost::RemoveObject(TuiObject* Object) {
  auto it = std::find(FRoots.begin(), FRoots.end(), Object);
  if (it == FRoots.end()) return;
  if (TuiVisualObject* v = Object->Visual()) v->Repaint();
  FRoots.erase(it);
  Object->SetScene(nullptr);
  Notification(Object, opRemove);
}

void TuiSceneHost::FreeRoots() {
  while (!FRoots.empty()) {
    TuiObject* r = FRoots.back();
    FRoots.pop_back();
    r->SetScene(nullptr);
    delete r;
  }
}
