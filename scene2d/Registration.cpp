#include "scene2d/Registration.h"

#include "scene2d/ClassInfo.h"
#include "scene2d/Layouts.h"
#include "scene2d/ValueAnimations.h"

void RegisterScene2dClasses() {
  static const bool registered = [] {
    TuiClassRegistry& registry = TuiClassRegistry::Instance();
    registry.Register("Layouts", {&TuiLayout::StaticClass(), &TuiScaledLayout::StaticClass()});
    registry.Register("Animations", {&TuiColorAnimation::StaticClass(), &TuiFloatAnimation::StaticClass(),
                                     &TuiRectAnimation::StaticClass(), &TuiColorKeyAnimation::StaticClass(),
                                     &TuiFloatKeyAnimation::StaticClass(), &TuiPathSwitcher::StaticClass()});
    return true;
  }();
  (void)registered;
}
