#include "scene2d/Registration.h"

#include "scene2d/ClassInfo.h"
#include "scene2d/Layouts.h"

void RegisterScene2dClasses() {
  static const bool registered = [] {
    TuiClassRegistry& registry = TuiClassRegistry::Instance();
    registry.Register("Layouts", {&TuiLayout::StaticClass(), &TuiScaledLayout::StaticClass()});
    return true;
  }();
  (void)registered;
}
