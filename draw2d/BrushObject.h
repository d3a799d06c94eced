#pragma once

#include <memory>
#include <string>

#include "draw2d/Brush.h"
#include "scene2d/Object.h"

// A named brush of a style sheet: resource brushes elsewhere name it and paint
// with it (TuiBrushResource::ResolveBrush); text controls take their text
// colour from one called "foreground".
class TuiBrushObject : public TuiObject {
  UX_CLASS(TuiBrushObject, TuiObject)
 public:
  // Holds a solid white brush until a stream or code changes it.
  explicit TuiBrushObject(TuiComponent* Owner);
  ~TuiBrushObject() override;

  TuiBrush* Brush() const { return FBrush.get(); }
  void SetBrush(const TuiBrush& Value) { FBrush->Assign(Value); }

  // A resource is found by its resource name; naming it gives it one unless it
  // already has its own.
  void SetName(const std::string& Value) override;

  static void DefineProperties(TuiClassBuilder<TuiBrushObject>& C) {
    C.Object("Brush", &TuiBrushObject::Brush);
  }

 private:
  std::unique_ptr<TuiBrush> FBrush = std::make_unique<TuiBrush>(uxBrushSolid, 0xFFFFFFFF);
};
