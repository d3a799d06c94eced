#pragma once

#include <memory>
#include <string>

#include "draw2d/PathData.h"
#include "scene2d/Object.h"

// A named path of a style sheet that path data elsewhere can stand for by
// resource name.
class TuiPathObject : public TuiObject {
  UX_CLASS(TuiPathObject, TuiObject)
 public:
  explicit TuiPathObject(TuiComponent* Owner);
  ~TuiPathObject() override;

  TuiPathData* Path() const { return FPath.get(); }
  void SetPath(const TuiPathData& Value) { FPath->Assign(Value); }

  // A resource is found by its resource name; naming it gives it one unless it
  // already has its own.
  void SetName(const std::string& Value) override;

  static void DefineProperties(TuiClassBuilder<TuiPathObject>& C) { C.Object("Path", &TuiPathObject::Path); }

 private:
  std::unique_ptr<TuiPathData> FPath = std::make_unique<TuiPathData>();
};
