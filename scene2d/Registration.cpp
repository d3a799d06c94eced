#include "scene2d/Registration.h"

#include "scene2d/ClassInfo.h"
#include "scene2d/Layouts.h"
#include "scene2d/ValueAnimations.h"
#include "scene2d/VisualObject.h"

void RegisterScene2dClasses() {
  static const bool registered = [] {
    TuiClassRegistry& registry = TuiClassRegistry::Instance();
    registry.Register("Layouts", {&TuiLayout::StaticClass(), &TuiScaledLayout::StaticClass()});
    registry.Register("Animations", {&TuiColorAnimation::StaticClass(), &TuiFloatAnimation::StaticClass(),
                                     &TuiRectAnimation::StaticClass(), &TuiColorKeyAnimation::StaticClass(),
                                     &TuiFloatKeyAnimation::StaticClass(), &TuiPathSwitcher::StaticClass()});
    // A text caret blinks by fading its opacity to nothing and back, forever,
    // from the moment it is shown.
    TuiVisualObject::CaretAnimationMaker = [](TuiVisualObject& Caret) {
      auto* blink = new TuiFloatAnimation(nullptr);
      blink->SetBindingName("caret");
      blink->SetPropertyName("Opacity");
      blink->SetStartValue(1);
      blink->SetStopValue(0);
      blink->SetDuration(0.1f);
      blink->SetAutoReverse(true);
      blink->SetLoop(true);
      blink->SetStored(false);
      Caret.AddObject(blink);
    };
    return true;
  }();
  (void)registered;
}
