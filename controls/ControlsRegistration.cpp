#include "controls/ControlsRegistration.h"

#include "controls/Actions.h"
#include "controls/Control.h"
#include "controls/EmbeddedSheets.h"
#include "controls/Resources.h"
#include "controls/TextControls.h"
#include "draw2d/Draw2dRegistration.h"
#include "scene2d/ClassInfo.h"

void RegisterControlClasses() {
  static const bool done = [] {
    RegisterDraw2dClasses();
    TuiClassRegistry::Instance().Register(
        "Controls", {&TuiControl::StaticClass(), &TuiBackground::StaticClass(), &TuiResources::StaticClass(),
                     &TuiAction::StaticClass(), &TuiTextControl::StaticClass(), &TuiLabel::StaticClass(),
                     &TuiValueLabel::StaticClass(), &TuiHudLabel::StaticClass()});
    TuiStyleSheets::RegisterResource(TuiStyleSheets::DefaultResourceName, uxEmbeddedSheet_defaultuistyle());
    return true;
  }();
  (void)done;
}
