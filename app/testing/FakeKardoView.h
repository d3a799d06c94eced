#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/KardoView.h"
#include "platform/VirtualClock.h"

// A view that records what the logic writes and lets a test act as the operator.
//
// Each form knows the component names its stored layout has, with their stored
// values (sizes, track bar values and ranges, texts, the radio mark), so a name
// the logic gets wrong fails at creation, as it would with the real windows. All
// timers run on one virtual clock: a test says "advance 490 ms" and reads colours.
namespace kardo::testing {

class TFakeKardoView;
class TFakeForm;

class TFakeWindow : public IWindowView {
 public:
  TFakeWindow(TFakeKardoView& View, int Left, int Top, int Width, int Height);
  int Left() const override { return FLeft; }
  void SetLeft(int Value) override;
  int Top() const override { return FTop; }
  void SetTop(int Value) override;
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void Show() override;
  void Close() override;
  bool IsActive() const override;
  void SetMinimumSize(int Width, int Height) override { FMinWidth = Width, FMinHeight = Height; }
  int MinWidth() const { return FMinWidth; }
  int MinHeight() const { return FMinHeight; }

  bool Visible() const { return FVisible; }
  int ShowCount() const { return FShowCount; }
  // The operator or the window system moving or resizing the window; the
  // size stops at the minimum, as a real window's does.
  void SetBounds(int Left, int Top, int Width, int Height);
  void Activate();
  void PressKey(char Key);

 private:
  TFakeKardoView& FView;
  int FLeft, FTop, FWidth, FHeight;
  int FMinWidth = 0, FMinHeight = 0;
  bool FVisible = false;
  int FShowCount = 0;
};

class TFakeLayout : public ILayoutView {
 public:
  float Width() const override { return FWidth; }
  void SetWidth(float Value) override { FWidth = Value; }
  float Height() const override { return FHeight; }
  void SetHeight(float Value) override { FHeight = Value; }
  void SetPosition(float X, float Y) override { PositionX = X, PositionY = Y; }
  void SetScale(float X, float Y) override { ScaleX = X, ScaleY = Y; }

  float FWidth = 0, FHeight = 0;
  float PositionX = 0, PositionY = 0;
  float ScaleX = 1, ScaleY = 1;
};

class TFakeTimer : public ITimerView {
 public:
  TFakeTimer(TFakeKardoView& View, std::string Name);
  uint32_t Interval() const override { return FTimer.Interval(); }
  void SetInterval(uint32_t Value) override;
  bool Enabled() const override { return FTimer.Enabled(); }
  void SetEnabled(bool Value) override;

 private:
  TFakeKardoView& FView;
  std::string FName;
  platform::TVirtualTimer FTimer;
};

class TFakeShape : public IShapeView {
 public:
  TFakeShape(TFakeKardoView& View, std::string Name) : FView(View), FName(std::move(Name)) {}
  void SetFillColor(std::string_view ColorText) override;
  // The last colour text written; empty when none was.
  const std::string& FillColor() const { return FColor; }

 private:
  TFakeKardoView& FView;
  std::string FName;
  std::string FColor;
};

class TFakeLabel : public ILabelView {
 public:
  void SetText(std::string_view Value) override { Text = Value; }
  std::string Text;
};

class TFakeTrackBar : public ITrackBarView {
 public:
  TFakeTrackBar(float Max, float Value) : FMax(Max), FValue(Value) {}
  float Value() const override { return FValue; }
  // Clamped to the bar's range; a change raises OnChange at once.
  void SetValue(float Value) override;
  float Max() const { return FMax; }

 private:
  float FMax;
  float FValue;
};

class TFakeCheckBox : public ICheckBoxView {
 public:
  bool IsChecked() const override { return FChecked; }
  void SetIsChecked(bool Value) override;
  void Click() { SetIsChecked(!FChecked); }

 private:
  bool FChecked = false;
};

class TFakeTextBox : public ITextBoxView {
 public:
  explicit TFakeTextBox(std::u16string Text) : FText(std::move(Text)) {}
  std::u16string Text() const override { return FText; }
  // The operator types Text and presses Enter.
  void Commit(std::u16string_view Text);

 private:
  std::u16string FText;
};

class TFakePressable : public IPressableView {
 public:
  TFakePressable(TFakeForm& Form, bool IsRadio) : FForm(Form), FIsRadio(IsRadio) {}
  // A click raises OnClick and then, for a radio button, moves the group's mark here.
  void Click();
  void MouseDown(TViewMouseButton Button = TViewMouseButton::Left);
  void DblClick();
  bool IsRadio() const { return FIsRadio; }
  bool IsChecked() const { return FChecked; }
  void SetChecked(bool Value) { FChecked = Value; }

 private:
  TFakeForm& FForm;
  bool FIsRadio;
  bool FChecked = false;
};

class TFakeForm : public IFormView {
 public:
  TFakeForm(TFakeKardoView& View, std::string_view FormClass);

  IWindowView& Window() override { return FWindow; }
  ILayoutView& Layout(std::string_view Name) override { return Find(FLayouts, Name); }
  ITimerView& Timer(std::string_view Name) override { return Find(FTimers, Name); }
  IShapeView& Shape(std::string_view Name) override { return Find(FShapes, Name); }
  ILabelView& Label(std::string_view Name) override { return Find(FLabels, Name); }
  ITrackBarView& TrackBar(std::string_view Name) override { return Find(FTrackBars, Name); }
  ICheckBoxView& CheckBox(std::string_view Name) override { return Find(FCheckBoxes, Name); }
  ITextBoxView& TextBox(std::string_view Name) override { return Find(FTextBoxes, Name); }
  IPressableView& Pressable(std::string_view Name) override { return Find(FPressables, Name); }

  // Typed access for tests.
  TFakeWindow& FakeWindow() { return FWindow; }
  TFakeLayout& FakeLayout(std::string_view Name) { return Find(FLayouts, Name); }
  TFakeTimer& FakeTimer(std::string_view Name) { return Find(FTimers, Name); }
  TFakeShape& FakeShape(std::string_view Name) { return Find(FShapes, Name); }
  TFakeLabel& FakeLabel(std::string_view Name) { return Find(FLabels, Name); }
  TFakeTrackBar& FakeTrackBar(std::string_view Name) { return Find(FTrackBars, Name); }
  TFakeCheckBox& FakeCheckBox(std::string_view Name) { return Find(FCheckBoxes, Name); }
  TFakeTextBox& FakeTextBox(std::string_view Name) { return Find(FTextBoxes, Name); }
  TFakePressable& FakePressable(std::string_view Name) { return Find(FPressables, Name); }

  // Clears every radio mark of the form but Checked's: all of a window's radio
  // buttons form one group.
  void CheckRadio(TFakePressable& Checked);
  // The name of the marked radio button, or empty.
  std::string CheckedRadio() const;

 private:
  template <class T>
  using TMap = std::map<std::string, std::unique_ptr<T>, std::less<>>;
  template <class T>
  T& Find(TMap<T>& Map, std::string_view Name) {
    auto it = Map.find(Name);
    if (it == Map.end()) Unknown(Name);
    return *it->second;
  }
  [[noreturn]] void Unknown(std::string_view Name) const;

  std::string FClass;
  TFakeWindow FWindow;
  TMap<TFakeLayout> FLayouts;
  TMap<TFakeTimer> FTimers;
  TMap<TFakeShape> FShapes;
  TMap<TFakeLabel> FLabels;
  TMap<TFakeTrackBar> FTrackBars;
  TMap<TFakeCheckBox> FCheckBoxes;
  TMap<TFakeTextBox> FTextBoxes;
  TMap<TFakePressable> FPressables;
};

class TFakeScreen : public IScreenView {
 public:
  int WorkAreaWidth() const override { return Width; }
  int WorkAreaHeight() const override { return Height; }
  int Width = 1280;
  int Height = 984;
};

class TFakeKardoView : public IKardoView {
 public:
  IScreenView& Screen() override { return FakeScreen; }
  IFormView& CreateForm(std::string_view FormClass) override;
  void Run() override;

  // The form of a class ("TForm_3D_Kardo").
  TFakeForm& Form(std::string_view FormClass);

  platform::TVirtualClock Clock;
  TFakeScreen FakeScreen;
  // Every fill and timer write, in order, as "Name=#AARRGGBB",
  // "Name.Enabled=true" or "Name.Interval=250"; writes of an unchanged value too.
  std::vector<std::string> WriteLog;
  bool Terminated = false;

 private:
  friend class TFakeWindow;
  std::vector<std::pair<std::string, std::unique_ptr<TFakeForm>>> FForms;
  TFakeWindow* FActive = nullptr;
};

}  // namespace kardo::testing
