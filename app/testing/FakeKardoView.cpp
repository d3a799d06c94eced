#include "app/testing/FakeKardoView.h"

#include <algorithm>
#include <stdexcept>

namespace kardo::testing {

// ---- window ----

TFakeWindow::TFakeWindow(TFakeKardoView& View, int Left, int Top, int Width, int Height)
    : FView(View), FLeft(Left), FTop(Top), FWidth(Width), FHeight(Height) {}

void TFakeWindow::SetLeft(int Value) {
  SetBounds(Value, FTop, FWidth, FHeight);
}
void TFakeWindow::SetTop(int Value) {
  SetBounds(FLeft, Value, FWidth, FHeight);
}

void TFakeWindow::SetBounds(int Left, int Top, int Width, int Height) {
  Width = std::max(Width, FMinWidth);
  Height = std::max(Height, FMinHeight);
  const bool moved = Left != FLeft || Top != FTop;
  const bool resized = Width != FWidth || Height != FHeight;
  FLeft = Left, FTop = Top, FWidth = Width, FHeight = Height;
  if ((moved || resized) && OnPositionChanged) OnPositionChanged(this);
  if (resized && OnResize) OnResize(this);
}

void TFakeWindow::Show() {
  if (!FVisible) {
    // The show handler runs before the window appears and takes the activation,
    // so placing itself there does not count as moving an active window.
    ++FShowCount;
    if (OnShow) OnShow(this);
    FVisible = true;
    FView.FActive = this;
  } else {
    FView.FActive = this;
  }
}

void TFakeWindow::Close() {
  if (OnClose) OnClose(this);
  FVisible = false;
  if (FView.FActive == this) FView.FActive = nullptr;
  if (!FView.FForms.empty() && &FView.FForms.front().second->FakeWindow() == this) FView.Terminated = true;
}

bool TFakeWindow::IsActive() const {
  return FView.FActive == this;
}

void TFakeWindow::Activate() {
  FView.FActive = this;
}

void TFakeWindow::PressKey(char Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

// ---- elements ----

TFakeTimer::TFakeTimer(TFakeKardoView& View, std::string Name)
    : FView(View), FName(std::move(Name)), FTimer(View.Clock) {
  FTimer.OnTimer = [this](platform::TVirtualTimer*) {
    if (OnTimer) OnTimer(this);
  };
}

void TFakeTimer::SetInterval(uint32_t Value) {
  FView.WriteLog.push_back(FName + ".Interval=" + std::to_string(Value));
  FTimer.SetInterval(Value);
}

void TFakeTimer::SetEnabled(bool Value) {
  FView.WriteLog.push_back(FName + (Value ? ".Enabled=true" : ".Enabled=false"));
  FTimer.SetEnabled(Value);
}

void TFakeShape::SetFillColor(std::string_view ColorText) {
  FColor = ColorText;
  FView.WriteLog.push_back(FName + "=" + FColor);
}

void TFakeTrackBar::SetValue(float Value) {
  Value = std::clamp(Value, 0.0f, FMax);
  if (Value == FValue) return;
  FValue = Value;
  if (OnChange) OnChange(this);
}

void TFakeCheckBox::SetIsChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (OnChange) OnChange(this);
}

void TFakeTextBox::Commit(std::u16string_view Text) {
  FText = Text;
  if (OnChange) OnChange(this);
}

void TFakePressable::Click() {
  if (OnClick) OnClick(this);
  if (FIsRadio) FForm.CheckRadio(*this);
}

void TFakePressable::MouseDown(TViewMouseButton Button) {
  if (OnMouseDown) OnMouseDown(this, Button, 0, 0);
}

void TFakePressable::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

// ---- the stored layouts' components ----

namespace {

struct TTrackBarInit {
  const char* Name;
  float Max;
  float Value;
};

struct TLabelInit {
  const char* Name;
  const char* Text;
};

struct TFormInit {
  const char* Class;
  int Left, Top, Width, Height;  // outer size: the client area and a 1-pixel border
  const char* Layout;
  std::vector<const char*> Timers;
  std::vector<const char*> Shapes;
  std::vector<TLabelInit> Labels;
  std::vector<TTrackBarInit> TrackBars;
  std::vector<const char*> CheckBoxes;
  std::vector<const char*> TextBoxes;  // all hold "00"
  std::vector<const char*> Pressables;
  std::vector<const char*> Radios;
  const char* CheckedRadio;
};

std::vector<const char*> Segments() {
  std::vector<const char*> names;
  for (const char* n :
       {"RoundRect_Sefa1H_A", "RoundRect_Sefa1H_B", "RoundRect_Sefa1H_C", "RoundRect_Sefa1H_D",
        "RoundRect_Sefa1H_E", "RoundRect_Sefa1H_F", "RoundRect_Sefa1H_G", "RoundRect_Sefa1H_Dp",
        "RoundRect_Sefa1L_A", "RoundRect_Sefa1L_B", "RoundRect_Sefa1L_C", "RoundRect_Sefa1L_D",
        "RoundRect_Sefa1L_E", "RoundRect_Sefa1L_F", "RoundRect_Sefa1L_G", "RoundRect_Sefa1L_Dp"})
    names.push_back(n);
  return names;
}

const std::vector<TFormInit>& Forms() {
  static const std::vector<TFormInit> forms = {
      {"TForm_3D_Kardo",
       402,
       303,
       301,
       297,
       "Layout_3D_Kardo",
       {"Timer_3D_Resize_Kardo", "Timer_LG1", "Timer_Leds"},
       {"Circle_LR", "Circle_LY", "Circle_LG1", "Circle_LG2", "Circle_LG3", "Circle_LG4", "Circle_LG5"},
       {},
       {},
       {},
       {},
       {"HudLabel1", "Image_Kardo", "CircleButton1"},
       {},
       nullptr},
      {"TForm_3D_Set",
       528,
       358,
       421,
       338,
       "Layout_3D_Set",
       {"Timer_3D_Resize_Set"},
       {},
       {{"HudLabel1", "LED green 1"},
        {"HudLabel_LG1_Timer", "500"},
        {"HudLabel_Effects_Connect", "80"},
        {"HudLabel_Effects_Blink", "200"},
        {"HudLabel_Effects_Attention", "200"},
        {"HudLabel_Effects_On_Line", "200"},
        {"HudLabel_Effects_Run_Line", "200"},
        {"HudLabel2", "SEFA-1"},
        {"HudLabel_Sefa1_Blink_H", "500"},
        {"HudLabel_Sefa1_Blink_L", "250"},
        {"HudLabel3", "Level"},
        {"HudLabel_Effects_Green_Blink", "100"}},
       {{"HudTrackBar_LG1", 1000, 500},
        {"HudTrackBar_Effects_Connect", 1000, 80},
        {"HudTrackBar_Effects_Blink", 1000, 200},
        {"HudTrackBar_Effects_Attention", 1000, 200},
        {"HudTrackBar_Effects_On_Line", 1000, 200},
        {"HudTrackBar_Effects_Run_Line", 1000, 200},
        {"HudTrackBar_Sefa1_Blink_H", 1000, 500},
        {"HudTrackBar_Sefa1_Blink_L", 1000, 250},
        {"HudTrackBar_Sefa1_Level_Sensor", 99, 99},
        {"HudTrackBar_Effects_Green_Blink", 1000, 100}},
       {"HudCheckBox_Sefa1_SoftWare_Sensor", "HudCheckBox_Sefa1_Blink_H", "HudCheckBox_Sefa1_Blink_L",
        "HudCheckBox_LED_Y", "HudCheckBox_LED_G1", "HudCheckBox_LED_G2", "HudCheckBox_LED_G3",
        "HudCheckBox_LED_G4", "HudCheckBox_LED_G5", "HudCheckBox_LED_R"},
       {"HudTextBox_Sefa1_H"},
       {"HudButton_TMR_and_Leds_Off"},
       {"HudRadioButton_LG1_on", "HudRadioButton_LG1_Off", "HudRadioButton_LG1_Blink", "HudRadioButton_Gas",
        "HudRadioButton_Petrol", "HudRadioButton_Automat", "HudRadioButton_Effects_Connect",
        "HudRadioButton_Effects_Blink", "HudRadioButton_Effects_Attention", "HudRadioButton_Effects_On_Line",
        "HudRadioButton_Effects_Run_Line", "HudRadioButton_SW_Wait_Etalon", "HudRadioButton_SW_Etalon_mode",
        "HudRadioButton_SW_Wait_Work", "HudRadioButton_SW_Work_Mode", "HudRadioButton_Effects_Green_Blink"},
       "HudRadioButton_Automat"},
      {"TForm_3D_SEFA1",
       402,
       303,
       334,
       297,
       "Layout_3D_SEFA1",
       {"Timer_3D_Resize_SEFA1", "Timer_Sefa1_L", "Timer_Sefa1_H", "Timer_Sefa1"},
       Segments(),
       {},
       {},
       {},
       {},
       {},
       {},
       nullptr},
  };
  return forms;
}

}  // namespace

TFakeForm::TFakeForm(TFakeKardoView& View, std::string_view FormClass)
    : FClass(FormClass), FWindow(View, 0, 0, 0, 0) {
  const auto& forms = Forms();
  auto init =
      std::find_if(forms.begin(), forms.end(), [&](const TFormInit& f) { return f.Class == FormClass; });
  if (init == forms.end()) throw std::runtime_error("no stored layout for " + std::string(FormClass));
  FWindow.SetBounds(init->Left, init->Top, init->Width, init->Height);
  FLayouts.emplace(init->Layout, std::make_unique<TFakeLayout>());
  for (const char* n : init->Timers) FTimers.emplace(n, std::make_unique<TFakeTimer>(View, n));
  for (const char* n : init->Shapes) FShapes.emplace(n, std::make_unique<TFakeShape>(View, n));
  for (const TLabelInit& l : init->Labels) {
    auto label = std::make_unique<TFakeLabel>();
    label->Text = l.Text;
    FLabels.emplace(l.Name, std::move(label));
  }
  for (const TTrackBarInit& t : init->TrackBars)
    FTrackBars.emplace(t.Name, std::make_unique<TFakeTrackBar>(t.Max, t.Value));
  for (const char* n : init->CheckBoxes) FCheckBoxes.emplace(n, std::make_unique<TFakeCheckBox>());
  for (const char* n : init->TextBoxes) FTextBoxes.emplace(n, std::make_unique<TFakeTextBox>(u"00"));
  for (const char* n : init->Pressables)
    FPressables.emplace(n, std::make_unique<TFakePressable>(*this, false));
  for (const char* n : init->Radios) FPressables.emplace(n, std::make_unique<TFakePressable>(*this, true));
  if (init->CheckedRadio) FPressables.at(init->CheckedRadio)->SetChecked(true);
}

void TFakeForm::Unknown(std::string_view Name) const {
  throw std::out_of_range(FClass + " has no component " + std::string(Name) + " of that kind");
}

void TFakeForm::CheckRadio(TFakePressable& Checked) {
  for (auto& [name, p] : FPressables)
    if (p->IsRadio()) p->SetChecked(p.get() == &Checked);
}

std::string TFakeForm::CheckedRadio() const {
  for (auto& [name, p] : FPressables)
    if (p->IsRadio() && p->IsChecked()) return name;
  return {};
}

// ---- view ----

IFormView& TFakeKardoView::CreateForm(std::string_view FormClass) {
  FForms.emplace_back(std::string(FormClass), std::make_unique<TFakeForm>(*this, FormClass));
  return *FForms.back().second;
}

void TFakeKardoView::Run() {
  if (FForms.empty()) throw std::logic_error("no main window");
  FForms.front().second->Window().Show();
}

TFakeForm& TFakeKardoView::Form(std::string_view FormClass) {
  for (auto& [cls, form] : FForms)
    if (cls == FormClass) return *form;
  throw std::out_of_range("no form " + std::string(FormClass));
}

}  // namespace kardo::testing
