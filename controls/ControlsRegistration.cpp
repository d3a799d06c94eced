#include "controls/ControlsRegistration.h"

#include "controls/Actions.h"
#include "controls/Buttons.h"
#include "controls/CheckBoxes.h"
#include "controls/Content.h"
#include "controls/Control.h"
#include "controls/EmbeddedSheets.h"
#include "controls/Panels.h"
#include "controls/Resources.h"
#include "controls/TextBox.h"
#include "controls/TextControls.h"
#include "controls/Track.h"
#include "controls/Windows.h"
#include "draw2d/Draw2dRegistration.h"
#include "scene2d/ClassInfo.h"
#include "scene2d/effects/EffectPainter.h"

void RegisterControlClasses() {
  static const bool done = [] {
    RegisterDraw2dClasses();
    // The built-in sheet holds glow effects; a class it names that is not
    // registered makes the whole sheet unreadable.
    RegisterEffectClasses();
    TuiClassRegistry::Instance().Register("Controls",
                                          {&TuiControl::StaticClass(),      &TuiBackground::StaticClass(),
                                           &TuiResources::StaticClass(),    &TuiAction::StaticClass(),
                                           &TuiTextControl::StaticClass(),  &TuiLabel::StaticClass(),
                                           &TuiValueLabel::StaticClass(),   &TuiHudLabel::StaticClass(),
                                           &TuiCustomButton::StaticClass(), &TuiButton::StaticClass(),
                                           &TuiCircleButton::StaticClass(), &TuiHudButton::StaticClass(),
                                           &TuiCheckBox::StaticClass(),     &TuiHudCheckBox::StaticClass(),
                                           &TuiRadioButton::StaticClass(),  &TuiHudRadioButton::StaticClass(),
                                           &TuiPanel::StaticClass(),        &TuiHudPanel::StaticClass(),
                                           &TuiCloseButton::StaticClass(),  &TuiHudCloseButton::StaticClass(),
                                           &TuiSizeGrip::StaticClass(),     &TuiHudSizeGrip::StaticClass(),
                                           &TuiWindow::StaticClass(),       &TuiHudWindow::StaticClass()});
    TuiClassRegistry::Instance().Register(
        "Controls", {&TuiContent::StaticClass(), &TuiThumb::StaticClass(), &TuiTrack::StaticClass(),
                     &TuiTrackBar::StaticClass(), &TuiHudTrack::StaticClass(), &TuiHudTrackBar::StaticClass(),
                     &TuiTextBox::StaticClass(), &TuiHudTextBox::StaticClass()});
    TuiStyleSheets::RegisterResource(TuiStyleSheets::DefaultResourceName, uxEmbeddedSheet_defaultuistyle());
    return true;
  }();
  (void)done;
}
