#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/Control.h"
#include "draw2d/Brush.h"
#include "draw2d/Canvas.h"
#include "draw2d/Font.h"

class TuiContent;

// A single-line editable text. The text is kept as UTF-16, one unit per
// position: the caret, the selection and the scroll position count units, and
// the simulator takes Text() as typed. Streams and bound controls see it in
// the library's 8-bit code page (TextCodePage), which turns characters the
// code page lacks into '?'.
//
// The text is painted by the text box itself into the style's "content"
// part; the caret is the visual object's caret. OnChangeTracking follows every
// change of the text, OnTyping every edit by keys, and OnChange only the
// commits: Enter, and leaving the box after the text changed since it got
// the focus.
class TuiCustomTextBox : public TuiControl {
  UX_CLASS(TuiCustomTextBox, TuiControl)
 public:
  explicit TuiCustomTextBox(TuiComponent* Owner);
  ~TuiCustomTextBox() override;

  const std::u16string& Text() const { return FText; }
  // Moves a caret that lies past the new end; marks the text changed.
  virtual void SetText(const std::u16string& Value);
  std::string TextUtf8() const;
  std::string TextCodePage() const;
  void SetTextCodePage(const std::string& Value);

  TuiFont* Font() const { return FFont.get(); }
  void SetFont(const TuiFont& Value) { FFont->Assign(Value); }
  TuiTextAlign TextAlign() const { return FTextAlign; }
  void SetTextAlign(TuiTextAlign Value);
  bool Password() const { return FPassword; }
  void SetPassword(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  // 0: no limit. An edit that would make the text longer is dropped whole; a
  // text set from code or a stream is kept as it is.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value) { FMaxLength = Value < 0 ? 0 : Value; }
  // When not empty, typed characters outside it are dropped.
  const std::u16string& FilterChars() const { return FFilterChars; }
  void SetFilterChars(const std::u16string& Value) { FFilterChars = Value; }
  // Whether the box shows the caret at all.
  bool ShowCaret() const { return FShowCaret; }
  void SetShowCaret(bool Value) { FShowCaret = Value; }
  // The text colour, also the caret's.
  TuiBrush* Foreground() const { return FForeground.get(); }
  TuiBrush* SelectionBrush() const { return FSelectionBrush.get(); }

  // ---- caret and selection, in UTF-16 units ----
  int CaretPosition() const { return FCaretPosition; }
  // Clamps, scrolls the caret into view and, without a selection, starts
  // the selection there; moves the caret shape while focused.
  void PlaceCaret(int Position);
  int SelStart() const { return FSelStart; }
  // Drops the selection and puts the caret there.
  void SetSelStart(int Value);
  // Negative: the units before SelStart.
  int SelLength() const { return FSelLength; }
  void SetSelLength(int Value);
  std::u16string SelText() const;
  // One-based index of the first unit shown.
  int FirstVisibleChar() const { return FFirstVisible; }
  bool Changed() const { return FChanged; }
  uint16_t LastKey() const { return FLastKey; }
  char32_t LastChar() const { return FLastChar; }

  // ---- editing ----
  void InsertText(std::u16string_view Value);
  void DeleteSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void SelectAll();
  // The commit: pushes the text to bound controls and fires OnChange when it
  // changed since the box last got the focus.
  virtual void Change();

  // Which items of the edit menu apply now (Cut, Copy, Paste, Delete, Select All).
  struct TEditMenuState {
    bool Cut, Copy, Paste, Delete, SelectAll;
  };
  TEditMenuState EditMenuState() const;

  // ---- geometry, in the box's coordinates ----
  // The "content" part's rectangle in its parent, or the box's own.
  TuiRect ContentRect();
  float TextWidth(std::u16string_view Value);
  float CaretX(int Position);
  int PositionAtX(float X);

  TuiData GetData() override;
  // None empties the text; anything else is written as its text.
  void SetData(const TuiData& Value) override;

  void KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) override;
  void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) override;
  void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void DblClick() override;
  void EnterFocus() override;
  void KillFocus() override;

  TuiNotifyEvent OnChange;
  TuiNotifyEvent OnChangeTracking;
  TuiNotifyEvent OnTyping;

  static void DefineProperties(TuiClassBuilder<TuiCustomTextBox>& C);

 protected:
  virtual void FontChanged();
  void ApplyStyle() override;
  // The content part's painter.
  void PaintText(TuiCanvas& Canvas, const TuiRect& Rect);

 private:
  // The selected range [Low, High), within the text.
  void SelectionRange(int& Low, int& High) const;
  void ScrollToCaret();
  // After a caret move by keys or the mouse: the selection follows with
  // Extend, else it collapses.
  void FollowCaret(int OldCaret, bool Extend);
  // Backspace and Delete.
  void DeleteKey(bool Backward, TuiShiftState Shift);
  // The characters' horizontal offset for TextAlign.
  float AlignOffset();
  TuiCanvas* MeasureCanvas();
  // Where the caret before each unit stands on the unscrolled line, from 0 to
  // the text's width: measured once per change of the text, font, password
  // mode or measuring canvas, so that scrolling, the caret and hit testing
  // never lay the text out again.
  const std::vector<float>& Offsets();
  // The width of the units [From, To), zero-based.
  float SpanWidth(int From, int To);
  void TextLookChanged() { FOffsets.clear(); }

  std::u16string FText;
  std::unique_ptr<TuiBrush> FForeground;
  std::unique_ptr<TuiFont> FFont;
  TuiTextAlign FTextAlign = uxTextAlignNear;
  bool FReadOnly = false;
  int FSelStart = 0;
  int FSelLength = 0;
  int FCaretPosition = 0;
  int FMaxLength = 0;
  int FFirstVisible = 1;
  bool FDragging = false;
  bool FChanged = false;
  bool FPassword = false;
  std::unique_ptr<TuiBrush> FSelectionBrush;
  std::u16string FFilterChars;
  bool FShowCaret = true;
  uint16_t FLastKey = 0;
  char32_t FLastChar = 0;
  std::vector<float> FOffsets;  // empty: to be measured
  TuiCanvas* FOffsetsCanvas = nullptr;
};

// The published text box.
class TuiTextBox : public TuiCustomTextBox {
  UX_CLASS(TuiTextBox, TuiCustomTextBox)
 public:
  explicit TuiTextBox(TuiComponent* Owner) : TuiCustomTextBox(Owner) {}

  static void DefineProperties(TuiClassBuilder<TuiTextBox>& C);
};

// The heads-up-display look ("hudtextboxstyle").
class TuiHudTextBox : public TuiTextBox {
  UX_CLASS(TuiHudTextBox, TuiTextBox)
 public:
  explicit TuiHudTextBox(TuiComponent* Owner) : TuiTextBox(Owner) {}
};
