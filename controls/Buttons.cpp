#include "controls/Buttons.h"

#include "controls/Actions.h"
#include "controls/Form.h"
#include "scene2d/AnimationTimer.h"

UX_IMPLEMENT_CLASS(TuiCustomButton)
UX_IMPLEMENT_CLASS(TuiButton)
UX_IMPLEMENT_CLASS(TuiCircleButton)
UX_IMPLEMENT_CLASS(TuiHudButton)

namespace {

constexpr uint16_t KeyEnter = 13;
constexpr uint16_t KeyEscape = 27;
constexpr uint16_t KeySpace = 32;

bool InsideLocal(const TuiVisualObject& O, float X, float Y) {
  return X >= 0 && Y >= 0 && X <= O.Width() && Y <= O.Height();
}

}  // namespace

// ---- TuiCustomButton ----

void TuiCustomButton::DefineProperties(TuiClassBuilder<TuiCustomButton>& C) {
  using B = TuiCustomButton;
  C.Reference<TuiAction>("Action", &B::Action, &B::SetAction);
  C.Property<bool, bool>("AutoTranslate", &B::AutoTranslate, &B::SetAutoTranslate, true);
  // Both always written: a toggle button's state is part of its layout.
  C.Property("StaysPressed", &B::StaysPressed, &B::SetStaysPressed);
  C.Property("IsPressed", &B::IsPressed, &B::SetIsPressed);
  C.Property<bool, bool>("CanFocused", &B::CanFocused, &B::SetCanFocused, true);
  C.Property<bool, bool>("DisableFocusEffect", &B::DisableFocusEffect, &B::SetDisableFocusEffect, false);
  C.Property<int16_t, int16_t>("TabOrder", &B::TabOrder, &B::SetTabOrder, int16_t(-1));
  C.Object<TuiFont>("Font", &B::Font);
  C.Property("ModalResult", &B::ModalResult, &B::SetModalResult, 0);
  C.Property<TuiTextAlign, TuiTextAlign>("TextAlign", &B::TextAlign, &B::SetTextAlign);
  C.Property<const std::string&, const std::string&>("Text", &B::Text, &B::SetText);
  C.Property("RepeatClick", &B::RepeatClick, &B::SetRepeatClick, false);
  C.Property<bool, bool>("WordWrap", &B::WordWrap, &B::SetWordWrap, false);
  C.Property<const std::string&, const std::string&>("Resource", &B::Resource, &B::SetResource);
  C.Default("Width", 80.0f);
  C.Default("Height", 22.0f);
}

TuiCustomButton::TuiCustomButton(TuiComponent* Owner) : TuiTextControl(Owner) {
  SetAutoTranslate(true);
  FWordWrap = false;
  SetWidth(80);
  SetHeight(22);
  SetAutoCapture(true);
  SetCanFocused(true);
}

TuiCustomButton::~TuiCustomButton() = default;

void TuiCustomButton::SetIsPressed(bool Value) {
  if (!FStaysPressed || Value == FIsPressed) return;
  FIsPressed = Value;
  RaiseTrigger("IsPressed");
}

void TuiCustomButton::ApplyStyle() {
  Inherited::ApplyStyle();
  RaiseTrigger("IsPressed");
}

void TuiCustomButton::Click() {
  if (FModalResult != 0)
    if (IuxForm* form = IuxForm::Of(*this)) form->SetModalResult(FModalResult);
  Inherited::Click();
}

void TuiCustomButton::DblClick() {
  Inherited::DblClick();
  Click();
}

void TuiCustomButton::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseDown(Button, Shift, X, Y);
  if (Button != uxMouseLeft) return;
  FPressing = true;
  if (FStaysPressed) {
    FIsPressed = !FIsPressed;
  } else {
    FIsPressed = true;
    if (FRepeatClick) StartRepeat();
  }
  RaiseTrigger("IsPressed");
}

void TuiCustomButton::MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) {
  Inherited::MouseMove(Shift, X, Y, DeltaX, DeltaY);
  if (!(Shift & uxLeftButton) || !FPressing || FStaysPressed) return;
  const bool inside = InsideLocal(*this, X, Y);
  if (inside == FIsPressed) return;
  FIsPressed = inside;
  RaiseTrigger("IsPressed");
}

void TuiCustomButton::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  if (FPressing) {
    StopRepeat();
    FPressing = false;
    if (!FStaysPressed) {
      FIsPressed = false;
      RaiseTrigger("IsPressed");
    }
  }
  Inherited::MouseUp(Button, Shift, X, Y);
}

void TuiCustomButton::KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  Inherited::KeyDown(Key, KeyChar, Shift);
  if (Key == KeyEnter || Key == KeySpace) Click();
}

void TuiCustomButton::StartRepeat() {
  platform::ITimerSource* source = TuiAnimationTimer::Instance().Source();
  if (!source) return;  // nothing would ever tick
  if (!FRepeatDelay) {
    // The delay itself does not click: the first click comes one steady
    // period after it.
    FRepeatDelay = source->CreateTimer(500, [this] {
      FRepeatDelay->SetEnabled(false);
      FRepeatTimer->SetEnabled(true);
    });
    FRepeatTimer = source->CreateTimer(100, [this] { Click(); });
  }
  // Every press waits the full first delay again.
  FRepeatTimer->SetEnabled(false);
  FRepeatDelay->SetEnabled(false);
  FRepeatDelay->SetEnabled(true);
}

void TuiCustomButton::StopRepeat() {
  if (FRepeatDelay) FRepeatDelay->SetEnabled(false);
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

// ---- TuiButton ----

void TuiButton::DialogKey(uint16_t& Key, TuiShiftState Shift) {
  Inherited::DialogKey(Key, Shift);
  if ((FDefault && Key == KeyEnter) || (FCancel && Key == KeyEscape)) {
    Click();
    Key = 0;
  }
}

// ---- TuiCircleButton ----

TuiCircleButton::TuiCircleButton(TuiComponent* Owner) : TuiButton(Owner) {
  SetWidth(21);
  SetHeight(21);
}
