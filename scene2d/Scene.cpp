#include "scene2d/Scene.h"

#include <algorithm>

namespace {
std::vector<IuxScene*>& List() {
  static std::vector<IuxScene*> list;
  return list;
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
