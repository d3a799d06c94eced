#pragma once

#include <memory>
#include <string>

#include "controls/Control.h"
#include "draw2d/Canvas.h"
#include "draw2d/Font.h"

class TuiText;

// A control with a text, its font and alignment, shown by the style's "text"
// part (a TuiText) in the colour of the style's "foreground" brush object.
// Without such a part the text is only kept.
class TuiTextControl : public TuiControl {
  UX_CLASS(TuiTextControl, TuiControl)
 public:
  explicit TuiTextControl(TuiComponent* Owner);
  ~TuiTextControl() override;

  const std::string& Text() const { return FText; }
  virtual void SetText(const std::string& Value);
  TuiFont* Font() const { return FFont.get(); }
  void SetFont(const TuiFont& Value) { FFont->Assign(Value); }
  TuiTextAlign TextAlign() const { return FTextAlign; }
  void SetTextAlign(TuiTextAlign Value);
  // Always centred; not published.
  TuiTextAlign VertTextAlign() const { return uxTextAlignCenter; }
  // The text colour; copied into the "text" part's fill on every change.
  TuiBrush* Foreground() const { return FForeground.get(); }
  bool WordWrap() const { return FWordWrap; }
  virtual void SetWordWrap(bool Value);

  // The "text" part, or none.
  TuiText* TextPart();

  TuiData GetData() override { return FText; }
  // None empties the text; anything else is written as its text.
  void SetData(const TuiData& Value) override;

  std::string ActionText() const override { return FText; }
  void SetActionText(const std::string& Value) override { SetText(Value); }

  // Font, TextAlign (always written) and Text, for the classes that publish
  // them.
  template <class C>
  static void PublishText(TuiClassBuilder<C>& B) {
    B.template Object<TuiFont>("Font", &TuiTextControl::Font);
    B.template Property<TuiTextAlign, TuiTextAlign>("TextAlign", &TuiTextControl::TextAlign,
                                                    &TuiTextControl::SetTextAlign);
    B.template Property<const std::string&, const std::string&>("Text", &TuiTextControl::Text,
                                                                &TuiTextControl::SetText);
  }

 protected:
  virtual void FontChanged();
  void ApplyStyle() override;
  void ForegroundChanged();

  bool FWordWrap = false;

 private:
  std::unique_ptr<TuiFont> FFont;
  TuiTextAlign FTextAlign = uxTextAlignCenter;
  std::unique_ptr<TuiBrush> FForeground;
  std::string FText;
};

// A text on its own: wraps by default and can size itself to its text.
class TuiLabel : public TuiTextControl {
  UX_CLASS(TuiLabel, TuiTextControl)
 public:
  explicit TuiLabel(TuiComponent* Owner);
  ~TuiLabel() override;

  bool AutoSize() const { return FAutoSize; }
  // Turning it on restyles, which measures the text.
  void SetAutoSize(bool Value);
  void SetWordWrap(bool Value) override;
  // A new text is measured again when AutoSize is on.
  void SetText(const std::string& Value) override;

  static void DefineProperties(TuiClassBuilder<TuiLabel>& C);

 protected:
  void ApplyStyle() override;

 private:
  bool FAutoSize = false;
  // A text written while the style is applied is not measured again.
  bool FApplyingStyle = false;
};

// A label showing a value: neither wrapped nor translated.
class TuiValueLabel : public TuiLabel {
  UX_CLASS(TuiValueLabel, TuiLabel)
 public:
  explicit TuiValueLabel(TuiComponent* Owner);

  static void DefineProperties(TuiClassBuilder<TuiValueLabel>& C) {
    C.Default("AutoTranslate", false);
    C.Default("WordWrap", false);
  }
};

// The label of the heads-up-display look ("hudlabelstyle").
class TuiHudLabel : public TuiLabel {
  UX_CLASS(TuiHudLabel, TuiLabel)
 public:
  explicit TuiHudLabel(TuiComponent* Owner) : TuiLabel(Owner) {}
};
