#include "draw2d/Draw2dRegistration.h"

#include "draw2d/BitmapObject.h"
#include "draw2d/BrushObject.h"
#include "draw2d/PathObject.h"
#include "scene2d/ClassInfo.h"
#include "scene2d/Registration.h"

void RegisterDraw2dClasses() {
  static const bool registered = [] {
    RegisterScene2dClasses();
    TuiClassRegistry::Instance().Register(
        "Resources", {&TuiBrushObject::StaticClass(), &TuiBitmapObject::StaticClass(), &TuiPathObject::StaticClass()});
    return true;
  }();
  (void)registered;
}
