#pragma once

#include <memory>
#include <string>

#include "draw2d/Bitmap.h"
#include "scene2d/Object.h"

// A named bitmap of a style sheet: bitmaps elsewhere name it by its
// ResourceName and paint its pixels instead of their own (TuiBitmap::ResolveBitmap).
class TuiBitmapObject : public TuiObject {
  UX_CLASS(TuiBitmapObject, TuiObject)
 public:
  // Holds a 1 x 1 bitmap until a stream or code fills it.
  explicit TuiBitmapObject(TuiComponent* Owner);
  ~TuiBitmapObject() override;

  TuiBitmap* Bitmap() const { return FBitmap.get(); }
  // Copies Value's picture (TuiBitmap::Assign).
  void SetBitmap(const TuiBitmap* Value) { FBitmap->Assign(Value); }

  // A resource found by its component name until it is given a resource name of
  // its own.
  void SetName(const std::string& Value) override;

  static void DefineProperties(TuiClassBuilder<TuiBitmapObject>& C) {
    C.Object("Bitmap", &TuiBitmapObject::Bitmap);
  }

 private:
  std::unique_ptr<TuiBitmap> FBitmap;
};
