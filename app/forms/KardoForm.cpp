#include "app/forms/KardoForm.h"

#include <utility>
#include <vector>

#include "app/forms/ElementViews.h"
#include "app/forms/Timer.h"
#include "controls/CheckBoxes.h"
#include "controls/ControlsRegistration.h"
#include "controls/TextBox.h"
#include "controls/TextControls.h"
#include "controls/Track.h"
#include "draw2d/Shape.h"
#include "scene2d/Errors.h"
#include "scene2d/Layouts.h"
#include "scene2d/ObjectStreaming.h"
#include "scene3d/Scene.h"
#include "scene3d/SceneObjects.h"
#include "scene3d/layers/Layers.h"

namespace kardo {

// The window as the logic sees it: outer pixels on the screen.
class TFormWindowView : public IWindowView {
 public:
  explicit TFormWindowView(TKardoForm& Form) : FForm(Form) {}
  int Left() const override { return Bounds().Left; }
  void SetLeft(int Value) override { FForm.SetLeft(Value); }
  int Top() const override { return Bounds().Top; }
  void SetTop(int Value) override { FForm.SetTop(Value); }
  int Width() const override { return Bounds().Width; }
  int Height() const override { return Bounds().Height; }
  void Show() override { FForm.ShowWindow(); }
  void Close() override { FForm.CloseWindow(); }
  bool IsActive() const override {
    const platform::IWindow* w = FForm.NativeWindow();
    return w && w->IsActive();
  }
  void SetMinimumSize(int Width, int Height) override { FForm.SetMinimumSize({Width, Height}); }

 private:
  platform::TRect Bounds() const {
    if (const platform::IWindow* w = FForm.NativeWindow()) return w->Bounds();
    const int border = 2 * FForm.BorderWidth();
    return {FForm.Left(), FForm.Top(), FForm.ClientWidth() + border, FForm.ClientHeight() + border};
  }
  TKardoForm& FForm;
};

UX_IMPLEMENT_CLASS(TKardoForm)

TKardoForm::TKardoForm(TuiComponent* Owner)
    : TuiComponent(Owner), FWindowView(std::make_unique<TFormWindowView>(*this)) {}

TKardoForm::~TKardoForm() = default;

void TKardoForm::DefineProperties(TuiClassBuilder<TKardoForm>& C) {
  C.Property("Left", &TKardoForm::Left, &TKardoForm::SetLeft);
  C.Property("Top", &TKardoForm::Top, &TKardoForm::SetTop);
  C.Property("ClientWidth", &TKardoForm::ClientWidth, &TKardoForm::SetClientWidth);
  C.Property("ClientHeight", &TKardoForm::ClientHeight, &TKardoForm::SetClientHeight);
  C.Property("BorderStyle", &TKardoForm::BorderStyle, &TKardoForm::SetBorderStyle, bsSizeable);
  C.Property("BorderWidth", &TKardoForm::BorderWidth, &TKardoForm::SetBorderWidth, 0);
  C.Property("Caption", &TKardoForm::Caption, &TKardoForm::SetCaption);
  C.Property("FormStyle", &TKardoForm::FormStyle, &TKardoForm::SetFormStyle, fsNormal);
  C.Property("KeyPreview", &TKardoForm::KeyPreview, &TKardoForm::SetKeyPreview, false);
  C.Event("OnClose", &TKardoForm::OnClose);
  C.Event("OnCreate", &TKardoForm::OnCreate);
  C.Event("OnKeyPress", &TKardoForm::OnKeyPress);
  C.Event("OnResize", &TKardoForm::OnResize);
  C.Event("OnShow", &TKardoForm::OnShow);
  C.Method("FormCreate", &TKardoForm::FormCreate);
  C.Method("FormShow", &TKardoForm::FormShow);
  C.Method("FormClose", &TKardoForm::FormClose);
  C.Method("FormResize", &TKardoForm::FormResize);
  C.Method("FormKeyPress", &TKardoForm::FormKeyPress);
}

void TKardoForm::BeforeDestruction() {
  FElements.clear();
  if (FScene) {
    FScene->OnKeyPress = nullptr;
    FScene->OnWindowBoundsChanged = nullptr;
    FScene->OnCloseRequest = nullptr;
  }
  TuiComponent::BeforeDestruction();
}

void TKardoForm::SetLeft(int32_t Value) {
  if (platform::IWindow* w = NativeWindow()) {
    platform::TRect r = w->Bounds();
    if (r.Left != Value) w->SetBounds({Value, r.Top, r.Width, r.Height});
  }
  FLeft = Value;
}

void TKardoForm::SetTop(int32_t Value) {
  if (platform::IWindow* w = NativeWindow()) {
    platform::TRect r = w->Bounds();
    if (r.Top != Value) w->SetBounds({r.Left, Value, r.Width, r.Height});
  }
  FTop = Value;
}

void TKardoForm::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  if (platform::IWindow* w = NativeWindow()) w->SetTitle(Value);
}

TKardoForm* TKardoForm::Load(std::string_view Stream, TuiComponent* Owner) {
  RegisterKardoFormClasses();
  const std::string className = PeekObjectClassName(Stream);
  const TuiClassInfo* info = TuiClassRegistry::Instance().Find(className);
  if (!info || !info->InheritsFrom(TKardoForm::StaticClass()))
    throw EuxReadError("Class " + className + " is not a window");
  auto* form = static_cast<TKardoForm*>(info->Create(Owner));
  try {
    ReadObjectData(Stream, *form, form);
  } catch (...) {
    delete form;
    throw;
  }
  return form;
}

platform::IWindow* TKardoForm::NativeWindow() const {
  return FScene ? FScene->Window() : nullptr;
}

void TKardoForm::CreateWindow(platform::IWindowSystem& System) {
  FScene = dynamic_cast<TscScene*>(FindComponent("scScene1"));
  if (!FScene) throw EuxError(Name() + " has no scene");
  FSystem = &System;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* timer = dynamic_cast<TuiTimer*>(Components(i))) timer->SetSource(&System);
  platform::TWindowParams params;
  const int border = 2 * FBorderWidth;
  params.Bounds = {FLeft, FTop, FClientWidth + border, FClientHeight + border};
  params.BorderWidth = FBorderWidth;
  params.Title = FCaption;
  params.TopMost = FFormStyle == fsStayOnTop;
  FScene->CreateWindow(System, params);
  if (platform::IWindow* w = NativeWindow()) w->SetMinimumSize(FMinimumSize);
  FLastSize = {params.Bounds.Width, params.Bounds.Height};
  FScene->OnCloseRequest = [this](TscScene*) { CloseWindow(); };
  FScene->OnWindowBoundsChanged = [this](TscScene*) { SceneBoundsChanged(); };
  FScene->OnKeyPress = [this](TscScene*, char32_t& Char, TuiShiftState) { SceneKeyPress(Char); };
}

// A window with nothing to type into (the display) appears without taking the
// keyboard from the window the operator is using.
bool TKardoForm::TakesKeyboard() const {
  if (FMainWindow || FKeyPreview) return true;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* v = dynamic_cast<const TuiVisualObject*>(Components(i)); v && v->CanFocused()) return true;
  return false;
}

void TKardoForm::SetMinimumSize(platform::TSize Outer) {
  FMinimumSize = Outer;
  if (platform::IWindow* w = NativeWindow()) w->SetMinimumSize(Outer);
}

namespace {

// The windows shown by the show handler that runs now: they are shown after
// the window whose handler shows them, so they end up in front of it.
std::vector<platform::IWindow*>* GShownByHandler = nullptr;

}  // namespace

void TKardoForm::ShowWindow() {
  platform::IWindow* w = NativeWindow();
  if (!w) return;
  if (w->Visible()) {
    w->BringToFront();
    return;
  }
  if (GShownByHandler) GShownByHandler->push_back(w);
  std::vector<platform::IWindow*> shown;
  {
    struct TScope {
      std::vector<platform::IWindow*>* Outer;
      ~TScope() { GShownByHandler = Outer; }
    } scope{std::exchange(GShownByHandler, &shown)};
    if (OnShow) OnShow(this);
  }
  w->Show(TakesKeyboard());
  // Showing activates and raises this window over those its handler showed;
  // they go back in front without taking the keyboard from it.
  for (platform::IWindow* other : shown)
    if (other->Visible()) other->BringToFront();
  FScene->Invalidate();
}

void TKardoForm::CloseWindow() {
  if (OnClose) OnClose(this);
  if (platform::IWindow* w = NativeWindow()) w->Hide();
  if (FMainWindow && FSystem) FSystem->PostQuit(0);
}

void TKardoForm::SceneBoundsChanged() {
  const platform::TRect r = NativeWindow()->Bounds();
  FLeft = r.Left;
  FTop = r.Top;
  if (FWindowView->OnPositionChanged) FWindowView->OnPositionChanged(FWindowView.get());
  const platform::TSize size{r.Width, r.Height};
  if (size == FLastSize) return;
  FLastSize = size;
  if (OnResize) OnResize(this);
}

// The key preview sees plain characters only: the logic's handlers compare
// 8-bit character codes.
void TKardoForm::SceneKeyPress(char32_t& Char) {
  if (!FKeyPreview || !OnKeyPress || Char > 0xFF) return;
  char key = char(Char);
  OnKeyPress(this, key);
  Char = static_cast<unsigned char>(key);
}

// ---- the view contract ----

IWindowView& TKardoForm::Window() {
  return *FWindowView;
}

template <class TView, class TObject, class... TArgs>
TView& TKardoForm::Element(std::string_view Name, TKind Kind, TArgs&&... Args) {
  TuiComponent* component = FindComponent(Name);
  auto* object = dynamic_cast<TObject*>(component);
  if (!object)
    throw EuxError(this->Name() + ": " + std::string(Name) +
                   (component ? " is a " + component->ClassName() : std::string(" does not exist")));
  auto& slot = FElements[{component, Kind}];
  if (!slot) slot = std::make_unique<TView>(*object, std::forward<TArgs>(Args)...);
  return static_cast<TView&>(*slot);
}

IViewElement* TKardoForm::ElementOf(const TuiComponent* Object, TKind Kind) const {
  auto it = FElements.find({Object, Kind});
  return it == FElements.end() ? nullptr : it->second.get();
}

ILayoutView& TKardoForm::Layout(std::string_view Name) {
  return Element<TLayoutView, TuiLayout>(Name, kLayout);
}

ITimerView& TKardoForm::Timer(std::string_view Name) {
  return Element<TTimerView, TuiTimer>(Name, kTimer);
}

IShapeView& TKardoForm::Shape(std::string_view Name) {
  return Element<TShapeView, TuiShape>(Name, kShape,
                                       [this](const std::string& Object, const std::string& Fill) {
                                         if (OnFillChanged) OnFillChanged(*this, Object, Fill);
                                       });
}

ILabelView& TKardoForm::Label(std::string_view Name) {
  return Element<TLabelView, TuiTextControl>(Name, kLabel);
}

ITrackBarView& TKardoForm::TrackBar(std::string_view Name) {
  return Element<TTrackBarView, TuiCustomTrack>(Name, kTrackBar);
}

ICheckBoxView& TKardoForm::CheckBox(std::string_view Name) {
  return Element<TCheckBoxView, TuiCheckBox>(Name, kCheckBox);
}

ITextBoxView& TKardoForm::TextBox(std::string_view Name) {
  return Element<TTextBoxView, TuiCustomTextBox>(Name, kTextBox);
}

IPressableView& TKardoForm::Pressable(std::string_view Name) {
  return Element<TPressableView, TuiVisualObject>(Name, kPressable);
}

// ---- stored handlers ----

void TKardoForm::FormCreate(TuiComponent*) {}

void TKardoForm::FormShow(TuiComponent*) {
  if (FWindowView->OnShow) FWindowView->OnShow(FWindowView.get());
}

void TKardoForm::FormClose(TuiComponent*) {
  if (FWindowView->OnClose) FWindowView->OnClose(FWindowView.get());
}

void TKardoForm::FormResize(TuiComponent*) {
  if (FWindowView->OnResize) FWindowView->OnResize(FWindowView.get());
}

void TKardoForm::FormKeyPress(TuiComponent*, char& Key) {
  if (FWindowView->OnKeyPress) FWindowView->OnKeyPress(FWindowView.get(), Key);
}

void TKardoForm::ControlClick(TuiObject* Sender) {
  if (auto* e = static_cast<TPressableView*>(ElementOf(Sender, kPressable)); e && e->OnClick) e->OnClick(e);
}

void TKardoForm::ControlDblClick(TuiObject* Sender) {
  if (auto* e = static_cast<TPressableView*>(ElementOf(Sender, kPressable)); e && e->OnDblClick)
    e->OnDblClick(e);
}

void TKardoForm::ControlMouseDown(TuiObject* Sender, TuiMouseButton Button, TuiShiftState, float X, float Y) {
  auto* e = static_cast<TPressableView*>(ElementOf(Sender, kPressable));
  if (!e || !e->OnMouseDown) return;
  const TViewMouseButton button = Button == uxMouseRight    ? TViewMouseButton::Right
                                  : Button == uxMouseMiddle ? TViewMouseButton::Middle
                                                            : TViewMouseButton::Left;
  e->OnMouseDown(e, button, X, Y);
}

// A change comes from a track bar, a check box or a text box; the element the
// logic holds for the sender says which.
void TKardoForm::ControlChange(TuiObject* Sender) {
  if (auto* e = static_cast<TTrackBarView*>(ElementOf(Sender, kTrackBar)); e && e->OnChange) e->OnChange(e);
  if (auto* e = static_cast<TCheckBoxView*>(ElementOf(Sender, kCheckBox)); e && e->OnChange) e->OnChange(e);
  if (auto* e = static_cast<TTextBoxView*>(ElementOf(Sender, kTextBox)); e && e->OnChange) e->OnChange(e);
}

void TKardoForm::TimerTick(TuiComponent* Sender) {
  if (auto* e = static_cast<TTimerView*>(ElementOf(Sender, kTimer)); e && e->OnTimer) e->OnTimer(e);
}

// ---- the three window classes ----

namespace {

// Binds each handler name to the form's shared method of the event's type.
template <class C, class... A>
void Handlers(TuiClassBuilder<C>& Builder, void (TKardoForm::*Method)(A...),
              std::initializer_list<const char*> Names) {
  for (const char* name : Names) Builder.Method(name, static_cast<void (C::*)(A...)>(Method));
}

}  // namespace

const TuiClassInfo& TKardoConsoleForm::StaticClass() {
  return BuildClassInfo<TKardoConsoleForm>("TForm_3D_Kardo");
}

void TKardoConsoleForm::DefineProperties(TuiClassBuilder<TKardoConsoleForm>& C) {
  Handlers(C, &TKardoForm::TimerTick, {"Timer_3D_Resize_KardoTimer", "Timer_LG1Timer", "Timer_LedsTimer"});
  Handlers(C, &TKardoForm::ControlMouseDown, {"HudLabel1MouseDown", "Image_KardoMouseDown"});
  Handlers(C, &TKardoForm::ControlDblClick, {"Image_KardoDblClick"});
  Handlers(C, &TKardoForm::ControlClick, {"CircleButton1Click"});
}

const TuiClassInfo& TKardoSettingsForm::StaticClass() {
  return BuildClassInfo<TKardoSettingsForm>("TForm_3D_Set");
}

void TKardoSettingsForm::DefineProperties(TuiClassBuilder<TKardoSettingsForm>& C) {
  Handlers(C, &TKardoForm::TimerTick, {"Timer_3D_Resize_SetTimer"});
  Handlers(C, &TKardoForm::ControlClick,
           {"HudRadioButton_LG1_onClick", "HudRadioButton_LG1_OffClick", "HudRadioButton_LG1_BlinkClick",
            "HudRadioButton_GasClick", "HudRadioButton_PetrolClick", "HudRadioButton_AutomatClick",
            "HudRadioButton_Effects_ConnectClick", "HudRadioButton_Effects_BlinkClick",
            "HudRadioButton_Effects_Green_BlinkClick", "HudRadioButton_Effects_AttentionClick",
            "HudRadioButton_Effects_On_LineClick", "HudRadioButton_Effects_Run_LineClick",
            "HudRadioButton_SW_Wait_EtalonClick", "HudRadioButton_SW_Etalon_modeClick",
            "HudRadioButton_SW_Wait_WorkClick", "HudRadioButton_SW_Work_ModeClick",
            "HudButton_TMR_and_Leds_OffClick"});
  Handlers(C, &TKardoForm::ControlChange,
           {"HudTrackBar_LG1Change",
            "HudTrackBar_Effects_ConnectChange",
            "HudTrackBar_Effects_BlinkChange",
            "HudTrackBar_Effects_Green_BlinkChange",
            "HudTrackBar_Effects_AttentionChange",
            "HudTrackBar_Effects_On_LineChange",
            "HudTrackBar_Effects_Run_LineChange",
            "HudTextBox_Sefa1_HChange",
            "HudTrackBar_Sefa1_Blink_HChange",
            "HudTrackBar_Sefa1_Blink_LChange",
            "HudTrackBar_Sefa1_Level_SensorChange",
            "HudCheckBox_Sefa1_SoftWare_SensorChange",
            "HudCheckBox_Sefa1_Blink_HChange",
            "HudCheckBox_Sefa1_Blink_LChange",
            "HudCheckBox_LED_YChange",
            "HudCheckBox_LED_G1Change",
            "HudCheckBox_LED_G2Change",
            "HudCheckBox_LED_G3Change",
            "HudCheckBox_LED_G4Change",
            "HudCheckBox_LED_G5Change",
            "HudCheckBox_LED_RChange"});
}

const TuiClassInfo& TKardoDisplayForm::StaticClass() {
  return BuildClassInfo<TKardoDisplayForm>("TForm_3D_SEFA1");
}

void TKardoDisplayForm::DefineProperties(TuiClassBuilder<TKardoDisplayForm>& C) {
  Handlers(C, &TKardoForm::TimerTick,
           {"Timer_3D_Resize_SEFA1Timer", "Timer_Sefa1_LTimer", "Timer_Sefa1_HTimer", "Timer_Sefa1Timer"});
}

void RegisterKardoFormClasses() {
  static const bool done = [] {
    RegisterControlClasses();
    RegisterScene3dClasses();
    RegisterLayerClasses();
    TuiClassRegistry::Instance().Register(
        "Kardo", {&TuiTimer::StaticClass(), &TKardoForm::StaticClass(), &TKardoConsoleForm::StaticClass(),
                  &TKardoSettingsForm::StaticClass(), &TKardoDisplayForm::StaticClass()});
    return true;
  }();
  (void)done;
}

}  // namespace kardo
