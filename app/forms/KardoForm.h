#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "app/KardoView.h"
#include "controls/Form.h"
#include "platform/Window.h"
#include "scene2d/Persistent.h"
#include "scene2d/VisualObject.h"

class TscScene;
class TuiTimer;

namespace kardo {

enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
UX_ENUM(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin")

enum TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
UX_ENUM(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")

class TFormWindowView;

// One of the simulator's top-level windows as its layout stores it: the root
// of the stream, owning the scene that fills its client area, the 2D tree in
// the scene's GUI layer and its timers. It is also the view contract's form:
// the logic finds the loaded objects by name through it.
//
// The handlers a layout names are methods of the window's class (the three
// classes below), bound when the stream is read; each raises the matching
// event of the element the logic holds, so nothing runs for an element the
// logic never asked for.
class TKardoForm : public TuiComponent, public IuxForm, public IFormView {
  UX_CLASS(TKardoForm, TuiComponent)
 public:
  using TFormEvent = std::function<void(TuiComponent* Sender)>;
  using TKeyPressEvent = std::function<void(TuiComponent* Sender, char& Key)>;

  explicit TKardoForm(TuiComponent* Owner);
  ~TKardoForm() override;

  // ---- published ----
  int32_t Left() const { return FLeft; }
  void SetLeft(int32_t Value);
  int32_t Top() const { return FTop; }
  void SetTop(int32_t Value);
  int32_t ClientWidth() const { return FClientWidth; }
  void SetClientWidth(int32_t Value) { FClientWidth = Value; }
  int32_t ClientHeight() const { return FClientHeight; }
  void SetClientHeight(int32_t Value) { FClientHeight = Value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value) { FBorderStyle = Value; }
  int32_t BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int32_t Value) { FBorderWidth = Value; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value) { FFormStyle = Value; }
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }

  TFormEvent OnCreate;
  TFormEvent OnShow;
  TFormEvent OnClose;
  TFormEvent OnResize;
  TKeyPressEvent OnKeyPress;

  // ---- the window ----
  // Reads a binary layout into a fresh form of the stream's class, owned by
  // Owner. Raises EuxReadError for a damaged stream or a class that is not a
  // form.
  static TKardoForm* Load(std::string_view Stream, TuiComponent* Owner);
  // Gives the form its top-level window (hidden) on System, and the timers
  // their ticks.
  void CreateWindow(platform::IWindowSystem& System);
  TscScene* Scene() const { return FScene; }
  platform::IWindow* NativeWindow() const;
  // Kept for the window until it exists.
  void SetMinimumSize(platform::TSize Outer);
  // Closing the main window ends the message loop.
  void SetMainWindow(bool Value) { FMainWindow = Value; }
  // A hidden window is placed by its show handler and then shown; a visible
  // one is only brought to the front.
  void ShowWindow();
  // The close handler, then hidden.
  void CloseWindow();
  // Fill colours that change on the form's shapes, for a timeline.
  std::function<void(TKardoForm& Form, const std::string& Object, const std::string& Fill)> OnFillChanged;

  // ---- IuxForm ----
  void SetModalResult(int Value) override { FModalResult = Value; }
  void Close() override { CloseWindow(); }
  int ModalResult() const { return FModalResult; }

  // ---- IFormView ----
  IWindowView& Window() override;
  ILayoutView& Layout(std::string_view Name) override;
  ITimerView& Timer(std::string_view Name) override;
  IShapeView& Shape(std::string_view Name) override;
  ILabelView& Label(std::string_view Name) override;
  ITrackBarView& TrackBar(std::string_view Name) override;
  ICheckBoxView& CheckBox(std::string_view Name) override;
  ITextBoxView& TextBox(std::string_view Name) override;
  IPressableView& Pressable(std::string_view Name) override;

  // ---- stored handlers ----
  // Creation is run by the logic right after the form is built; the stored
  // name only has to bind.
  void FormCreate(TuiComponent* Sender);
  void FormShow(TuiComponent* Sender);
  void FormClose(TuiComponent* Sender);
  void FormResize(TuiComponent* Sender);
  void FormKeyPress(TuiComponent* Sender, char& Key);
  // The shared targets of the per-window handler names.
  void ControlClick(TuiObject* Sender);
  void ControlDblClick(TuiObject* Sender);
  void ControlChange(TuiObject* Sender);
  void ControlMouseDown(TuiObject* Sender, TuiMouseButton Button, TuiShiftState Shift, float X, float Y);
  void TimerTick(TuiComponent* Sender);

  static void DefineProperties(TuiClassBuilder<TKardoForm>& C);

 protected:
  void BeforeDestruction() override;

 private:
  enum TKind : uint8_t { kLayout, kTimer, kShape, kLabel, kTrackBar, kCheckBox, kTextBox, kPressable };
  // The element of that name and kind, made on first use; a name the layout
  // lacks, or an object of another class, is an EuxError.
  template <class TView, class TObject, class... TArgs>
  TView& Element(std::string_view Name, TKind Kind, TArgs&&... Args);
  // The element made for Object, none when the logic never asked for it.
  IViewElement* ElementOf(const TuiComponent* Object, TKind Kind) const;
  bool TakesKeyboard() const;
  void SceneBoundsChanged();
  void SceneKeyPress(char32_t& Char);

  int32_t FLeft = 0, FTop = 0, FClientWidth = 0, FClientHeight = 0, FBorderWidth = 0;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TFormStyle FFormStyle = fsNormal;
  std::string FCaption;
  bool FKeyPreview = false;
  bool FMainWindow = false;
  int FModalResult = 0;

  TscScene* FScene = nullptr;
  platform::IWindowSystem* FSystem = nullptr;
  platform::TSize FLastSize;
  platform::TSize FMinimumSize;
  std::unique_ptr<TFormWindowView> FWindowView;
  std::map<std::pair<const TuiComponent*, TKind>, std::unique_ptr<IViewElement>> FElements;
};

// The console, the settings and the display window: their classes differ only
// in the handler names their layouts use.
class TKardoConsoleForm : public TKardoForm {
  UX_CLASS(TKardoConsoleForm, TKardoForm)
 public:
  using TKardoForm::TKardoForm;
  static void DefineProperties(TuiClassBuilder<TKardoConsoleForm>& C);
};

class TKardoSettingsForm : public TKardoForm {
  UX_CLASS(TKardoSettingsForm, TKardoForm)
 public:
  using TKardoForm::TKardoForm;
  static void DefineProperties(TuiClassBuilder<TKardoSettingsForm>& C);
};

class TKardoDisplayForm : public TKardoForm {
  UX_CLASS(TKardoDisplayForm, TKardoForm)
 public:
  using TKardoForm::TKardoForm;
  static void DefineProperties(TuiClassBuilder<TKardoDisplayForm>& C);
};

// Registers the window and timer classes with the libraries' classes, so a
// layout reads; calling it again does nothing.
void RegisterKardoFormClasses();

}  // namespace kardo
