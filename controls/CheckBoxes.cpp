#include "controls/CheckBoxes.h"

#include <algorithm>
#include <vector>

#include "scene2d/Scene.h"

UX_IMPLEMENT_CLASS(TuiCheckBox)
UX_IMPLEMENT_CLASS(TuiHudCheckBox)
UX_IMPLEMENT_CLASS(TuiRadioButton)
UX_IMPLEMENT_CLASS(TuiHudRadioButton)

// The mouse and key rules check boxes and radio buttons share; they differ
// only in what writing IsChecked does.
template <class T>
struct TuiToggleInput {
  static void Construct(T& Self) {
    Self.SetAutoTranslate(true);
    Self.SetAutoCapture(true);
    Self.SetCanFocused(true);
    Self.SetTextAlign(uxTextAlignNear);
    Self.SetWidth(120);
    Self.SetHeight(19);
  }

  template <class C>
  static void Publish(TuiClassBuilder<C>& B) {
    constexpr void (T::*noSetter)(bool) = nullptr;
    B.Property("IsPressed", &T::IsPressed, noSetter).Stored = false;
    B.Property("IsChecked", &T::IsChecked, &T::SetIsChecked);  // always written
    B.template Property<bool, bool>("AutoTranslate", &T::AutoTranslate, &T::SetAutoTranslate, true);
    B.template Reference<TuiControl>("BindingSource", &T::BindingSource, &T::SetBindingSource);
    B.template Property<bool, bool>("CanFocused", &T::CanFocused, &T::SetCanFocused, true);
    B.template Property<bool, bool>("DisableFocusEffect", &T::DisableFocusEffect, &T::SetDisableFocusEffect,
                                    false);
    B.template Property<int16_t, int16_t>("TabOrder", &T::TabOrder, &T::SetTabOrder, int16_t(-1));
    TuiTextControl::PublishText(B);
    B.template Property<const std::string&, const std::string&>("Resource", &T::Resource, &T::SetResource);
    B.Event("OnChange", &T::OnChange);
    B.Default("Width", 120.0f);
    B.Default("Height", 19.0f);
  }

  static void SetPressed(T& Self, bool Value) {
    Self.FIsPressed = Value;
    Self.StartTriggerAnimation(&Self, "IsPressed");
  }

  static void MouseDown(T& Self, TuiMouseButton Button) {
    if (Button != uxMouseLeft) return;
    Self.FPressing = true;
    SetPressed(Self, true);
  }

  static void MouseMove(T& Self, TuiShiftState Shift, float X, float Y) {
    if (!(Shift & uxLeftButton) || !Self.FPressing) return;
    const bool inside = X >= 0 && Y >= 0 && X <= Self.Width() && Y <= Self.Height();
    if (inside != Self.FIsPressed) SetPressed(Self, inside);
  }

  // After the base release, which has already fired OnClick.
  static void MouseUp(T& Self, float X, float Y) {
    if (!Self.FPressing) return;
    Self.FPressing = false;
    SetPressed(Self, false);
    if (X >= 0 && Y >= 0 && X <= Self.Width() && Y <= Self.Height()) Self.SetIsChecked(!Self.FIsChecked);
  }

  static void KeyDown(T& Self, uint16_t Key) {
    if (Key == 13 || Key == 32) Self.SetIsChecked(!Self.FIsChecked);
  }

  // Checked and reported: the end of every change.
  static void Store(T& Self, bool Value) {
    Self.FIsChecked = Value;
    Self.StartTriggerAnimation(&Self, "IsChecked");
    if (Self.OnChange) Self.OnChange(&Self);
  }

  static void SetData(T& Self, const TuiData& Value) {
    const bool* checked = std::get_if<bool>(&Value);
    Self.SetIsChecked(checked && *checked);
  }
};

namespace {

using TCheck = TuiToggleInput<TuiCheckBox>;
using TRadio = TuiToggleInput<TuiRadioButton>;

// The radio buttons of a group, collected before any of them is changed and
// held weakly: a handler may free one while the others are still to come.
class TRadioGroup : private IuxFreeNotify {
 public:
  TRadioGroup(TuiObject* Root, const TuiRadioButton* Self) {
    Collect(Root, Self);
    for (TuiRadioButton* r : FPeers) r->AddFreeNotify(this);
  }
  ~TRadioGroup() override {
    for (TuiRadioButton* r : FPeers)
      if (r) r->RemoveFreeNotify(this);
  }
  TRadioGroup(const TRadioGroup&) = delete;
  TRadioGroup& operator=(const TRadioGroup&) = delete;

  size_t Count() const { return FPeers.size(); }
  // None once it was freed.
  TuiRadioButton* Peer(size_t Index) const { return FPeers[Index]; }

 private:
  void Collect(TuiObject* O, const TuiRadioButton* Self) {
    if (auto* r = dynamic_cast<TuiRadioButton*>(O); r && r != Self && r->GroupName() == Self->GroupName())
      if (std::find(FPeers.begin(), FPeers.end(), r) == FPeers.end()) FPeers.push_back(r);
    for (TuiObject* child : O->ChildList()) Collect(child, Self);
  }
  void FreeNotify(TuiObject* Dying) override {
    for (TuiRadioButton*& r : FPeers)
      if (r == Dying) r = nullptr;
  }

  std::vector<TuiRadioButton*> FPeers;
};

}  // namespace

// ---- TuiCheckBox ----

void TuiCheckBox::DefineProperties(TuiClassBuilder<TuiCheckBox>& C) {
  TCheck::Publish(C);
}

TuiCheckBox::TuiCheckBox(TuiComponent* Owner) : TuiTextControl(Owner) {
  TCheck::Construct(*this);
}

void TuiCheckBox::SetIsChecked(bool Value) {
  if (Value != FIsChecked) TCheck::Store(*this, Value);
}

void TuiCheckBox::SetData(const TuiData& Value) {
  TCheck::SetData(*this, Value);
}

void TuiCheckBox::ApplyStyle() {
  Inherited::ApplyStyle();
  StartTriggerAnimation(this, "IsChecked");
}

void TuiCheckBox::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseDown(Button, Shift, X, Y);
  TCheck::MouseDown(*this, Button);
}

void TuiCheckBox::MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) {
  Inherited::MouseMove(Shift, X, Y, DeltaX, DeltaY);
  TCheck::MouseMove(*this, Shift, X, Y);
}

void TuiCheckBox::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseUp(Button, Shift, X, Y);
  TCheck::MouseUp(*this, X, Y);
}

void TuiCheckBox::KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  Inherited::KeyDown(Key, KeyChar, Shift);
  TCheck::KeyDown(*this, Key);
}

// ---- TuiRadioButton ----

void TuiRadioButton::DefineProperties(TuiClassBuilder<TuiRadioButton>& C) {
  TRadio::Publish(C);
  C.Property<const std::string&, const std::string&>("GroupName", &TuiRadioButton::GroupName,
                                                     &TuiRadioButton::SetGroupName);
}

TuiRadioButton::TuiRadioButton(TuiComponent* Owner) : TuiTextControl(Owner) {
  TRadio::Construct(*this);
}

void TuiRadioButton::SetIsChecked(bool Value) {
  if (Value == FIsChecked) return;
  // Checked before the peers are cleared, so that each of them, by this same
  // rule, sees a checked peer and lets go.
  if (Value) FIsChecked = true;
  bool peerChecked = false;
  if (TuiObject* root = Scene() ? Scene()->GetRoot() : nullptr) {
    TRadioGroup group(root, this);
    for (size_t i = 0; i < group.Count(); ++i) {
      TuiRadioButton* peer = group.Peer(i);
      if (!peer) continue;
      peerChecked = peerChecked || peer->FIsChecked;
      if (Value) peer->SetIsChecked(false);
    }
  }
  if (!Value && !peerChecked) return;
  TRadio::Store(*this, Value);
}

void TuiRadioButton::SetData(const TuiData& Value) {
  TRadio::SetData(*this, Value);
}

void TuiRadioButton::ApplyStyle() {
  Inherited::ApplyStyle();
  StartTriggerAnimation(this, "IsChecked");
}

void TuiRadioButton::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseDown(Button, Shift, X, Y);
  TRadio::MouseDown(*this, Button);
}

void TuiRadioButton::MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) {
  Inherited::MouseMove(Shift, X, Y, DeltaX, DeltaY);
  TRadio::MouseMove(*this, Shift, X, Y);
}

void TuiRadioButton::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseUp(Button, Shift, X, Y);
  TRadio::MouseUp(*this, X, Y);
}

void TuiRadioButton::KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  Inherited::KeyDown(Key, KeyChar, Shift);
  TRadio::KeyDown(*this, Key);
}
