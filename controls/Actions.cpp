#include "controls/Actions.h"

#include <algorithm>

#include "controls/Control.h"

UX_IMPLEMENT_CLASS(TuiAction)

namespace {

// What a linked control's OnClick holds: recognisable by its type, so the
// link can tell whether the control's handler is still the action's.
struct TActionClick {
  TuiControlActionLink* Link;
  void operator()(TuiObject*) const { Link->Execute(); }
};

}  // namespace

void TuiAction::DefineProperties(TuiClassBuilder<TuiAction>& C) {
  C.Property("Caption", &TuiAction::Caption, &TuiAction::SetCaption);
  C.Property("Enabled", &TuiAction::Enabled, &TuiAction::SetEnabled, true);
  C.Property("Hint", &TuiAction::Hint, &TuiAction::SetHint);
  C.Property("Visible", &TuiAction::Visible, &TuiAction::SetVisible, true);
  C.Event("OnExecute", &TuiAction::OnExecute);
}

TuiAction::TuiAction(TuiComponent* Owner) : TuiComponent(Owner) {}

TuiAction::~TuiAction() {
  if (!TornDown()) TuiAction::BeforeDestruction();
}

void TuiAction::BeforeDestruction() {
  // The controls forget the action through their free notification; the
  // links only need to stop pointing here.
  for (TuiControlActionLink* l : FClients) l->FAction = nullptr;
  FClients.clear();
  Inherited::BeforeDestruction();
}

// Each setter carries the new value to the clients that still show the old
// one, before storing it, so "still shows" compares with the old value.
void TuiAction::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  for (TuiControlActionLink* l : std::vector(FClients))
    if (l->IsCaptionLinked()) l->FClient.SetActionText(Value);
  FCaption = Value;
}

void TuiAction::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  for (TuiControlActionLink* l : std::vector(FClients))
    if (l->IsEnabledLinked()) l->FClient.SetEnabled(Value);
  FEnabled = Value;
}

void TuiAction::SetHint(const std::string& Value) {
  if (Value == FHint) return;
  for (TuiControlActionLink* l : std::vector(FClients))
    if (l->IsHintLinked()) l->FClient.SetHint(Value);
  FHint = Value;
}

void TuiAction::SetVisible(bool Value) {
  if (Value == FVisible) return;
  for (TuiControlActionLink* l : std::vector(FClients))
    if (l->IsVisibleLinked()) l->FClient.SetVisible(Value);
  FVisible = Value;
}

bool TuiAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

// ---- the link ----

TuiControlActionLink::~TuiControlActionLink() {
  SetAction(nullptr);
}

void TuiControlActionLink::SetAction(TuiAction* Value) {
  if (Value == FAction) return;
  if (FAction) {
    std::erase(FAction->FClients, this);
    if (IsOnExecuteLinked()) FClient.Events().OnClick = nullptr;
  }
  FAction = Value;
  if (FAction) FAction->FClients.push_back(this);
}

bool TuiControlActionLink::IsCaptionLinked() const {
  return FAction && FClient.ActionText() == FAction->Caption();
}

bool TuiControlActionLink::IsEnabledLinked() const {
  return FAction && FClient.Enabled() == FAction->Enabled();
}

bool TuiControlActionLink::IsHintLinked() const {
  return FAction && FClient.Hint() == FAction->Hint();
}

bool TuiControlActionLink::IsVisibleLinked() const {
  return FAction && FClient.Visible() == FAction->Visible();
}

bool TuiControlActionLink::IsOnExecuteLinked() const {
  const TActionClick* click = FClient.Handlers().OnClick.target<TActionClick>();
  return click && click->Link == this;
}

void TuiControlActionLink::Execute() {
  if (FAction) FAction->Execute();
}

void TuiControlActionLink::InstallClick() {
  FClient.Events().OnClick = TActionClick{this};
}
