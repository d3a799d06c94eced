#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The view contract: everything the simulator's logic may do to its windows.
//
// The logic reads and writes only through these interfaces, so it runs the same
// against the real windows and against the recording fake the tests use. Every
// element is found once by its component name when a form is built; a name the
// layout does not have is an error at start-up, not a silent no-op later.
namespace kardo {

class IViewElement {
 public:
  virtual ~IViewElement() = default;
};

// Events are method references called with the sender first.
using TViewNotifyEvent = std::function<void(IViewElement* Sender)>;
using TViewKeyEvent = std::function<void(IViewElement* Sender, char& Key)>;
enum class TViewMouseButton { Left, Right, Middle };
using TViewMouseEvent = std::function<void(IViewElement* Sender, TViewMouseButton Button, float X, float Y)>;

// A top-level window. Sizes are the outer size as the window system reports it.
class IWindowView : public IViewElement {
 public:
  virtual int Left() const = 0;
  virtual void SetLeft(int Value) = 0;
  virtual int Top() const = 0;
  virtual void SetTop(int Value) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // On a hidden window: makes it visible and raises OnShow (also after an earlier
  // Close). On a visible one: only brings it to the front.
  virtual void Show() = 0;
  // Raises OnClose and hides the window. Closing the main window (the first form
  // created) ends the message loop.
  virtual void Close() = 0;
  virtual bool IsActive() const = 0;
  // The smallest outer size the operator can shrink the window to.
  virtual void SetMinimumSize(int Width, int Height) = 0;

  TViewNotifyEvent OnShow;
  TViewNotifyEvent OnClose;
  TViewNotifyEvent OnResize;           // the outer size changed
  TViewNotifyEvent OnPositionChanged;  // position or size changed (raised before OnResize)
  TViewKeyEvent OnKeyPress;
};

// The inner layout of a window, which the window scales to follow its size.
class ILayoutView : public IViewElement {
 public:
  virtual float Width() const = 0;
  virtual void SetWidth(float Value) = 0;
  virtual float Height() const = 0;
  virtual void SetHeight(float Value) = 0;
  virtual void SetPosition(float X, float Y) = 0;
  virtual void SetScale(float X, float Y) = 0;
};

class IScreenView {
 public:
  virtual ~IScreenView() = default;
  // The size of the desktop area not covered by task bars.
  virtual int WorkAreaWidth() const = 0;
  virtual int WorkAreaHeight() const = 0;
};

// A window timer: ticks every Interval ms while Enabled and Interval is not 0.
// Writing a different value restarts the period; writing the same one changes
// nothing. A timer without a stored interval has Interval 1000.
class ITimerView : public IViewElement {
 public:
  virtual uint32_t Interval() const = 0;
  virtual void SetInterval(uint32_t Value) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool Value) = 0;

  TViewNotifyEvent OnTimer;
};

// A shape whose fill the logic paints with colour texts ("#FF3E3E3E").
class IShapeView : public IViewElement {
 public:
  virtual void SetFillColor(std::string_view ColorText) = 0;
};

class ILabelView : public IViewElement {
 public:
  virtual void SetText(std::string_view Value) = 0;
};

// Every value change raises OnChange at once: by mouse, during a drag, and also
// when the value is set by program.
class ITrackBarView : public IViewElement {
 public:
  virtual float Value() const = 0;
  virtual void SetValue(float Value) = 0;

  TViewNotifyEvent OnChange;
};

// Every change of the checked state raises OnChange, also when set by program.
class ICheckBoxView : public IViewElement {
 public:
  virtual bool IsChecked() const = 0;
  virtual void SetIsChecked(bool Value) = 0;

  TViewNotifyEvent OnChange;
};

// OnChange is raised when the box commits its text (Enter, or leaving it after an edit).
//
// Text is the box's wide text as UTF-16, exactly as the operator typed it; the
// logic converts it to the 8-bit code page of its own texts (Windows-1252)
// itself. A character the code page lacks becomes '?', one character for each
// typed one, so "é5" reaches the display as two characters, never as
// the three bytes of its UTF-8 form.
class ITextBoxView : public IViewElement {
 public:
  virtual std::u16string Text() const = 0;

  TViewNotifyEvent OnChange;
};

// Buttons, radio buttons, pictures and labels: whatever the operator can press.
// A radio button moves its own mark; the logic never does.
class IPressableView : public IViewElement {
 public:
  TViewNotifyEvent OnClick;
  TViewNotifyEvent OnDblClick;
  TViewMouseEvent OnMouseDown;
};

// One window built from its stored layout, and the named elements in it.
class IFormView {
 public:
  virtual ~IFormView() = default;
  virtual IWindowView& Window() = 0;
  virtual ILayoutView& Layout(std::string_view Name) = 0;
  virtual ITimerView& Timer(std::string_view Name) = 0;
  virtual IShapeView& Shape(std::string_view Name) = 0;
  virtual ILabelView& Label(std::string_view Name) = 0;
  virtual ITrackBarView& TrackBar(std::string_view Name) = 0;
  virtual ICheckBoxView& CheckBox(std::string_view Name) = 0;
  virtual ITextBoxView& TextBox(std::string_view Name) = 0;
  virtual IPressableView& Pressable(std::string_view Name) = 0;
};

// The window system as the program sees it.
class IKardoView {
 public:
  virtual ~IKardoView() = default;
  virtual IScreenView& Screen() = 0;
  // Builds a window of the given form class ("TForm_3D_Kardo") from its stored
  // layout, hidden. The first form created is the main window.
  virtual IFormView& CreateForm(std::string_view FormClass) = 0;
  // The message loop: shows the main window and dispatches events until the main
  // window closes.
  virtual void Run() = 0;
};

}  // namespace kardo
