#include "controls/Panels.h"

#include "controls/Form.h"

UX_IMPLEMENT_CLASS(TuiPanel)
UX_IMPLEMENT_CLASS(TuiHudPanel)
UX_IMPLEMENT_CLASS(TuiCloseButton)
UX_IMPLEMENT_CLASS(TuiHudCloseButton)
UX_IMPLEMENT_CLASS(TuiSizeGrip)
UX_IMPLEMENT_CLASS(TuiHudSizeGrip)

TuiPanel::TuiPanel(TuiComponent* Owner) : TuiControl(Owner) {
  SetWidth(120);
  SetHeight(100);
}

TuiCloseButton::TuiCloseButton(TuiComponent* Owner) : TuiControl(Owner) {
  SetWidth(20);
  SetHeight(20);
}

void TuiCloseButton::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseDown(Button, Shift, X, Y);
  if (Button == uxMouseLeft) FPressed = true;
}

void TuiCloseButton::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseUp(Button, Shift, X, Y);
  if (!FPressed) return;
  if (FCloseForm)
    if (IuxForm* form = IuxForm::Of(*this)) form->Close();
  FPressed = false;
  if (Handlers().OnClick) Handlers().OnClick(this);
}
