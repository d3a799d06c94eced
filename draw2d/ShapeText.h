#pragma once

#include <memory>
#include <string>

#include "draw2d/Font.h"
#include "draw2d/Shape.h"

// A text painted with the fill brush. It can size itself to its text
// (AutoSize) or scale its text to fill itself (Stretch), never both.
class TuiText : public TuiShape {
  UX_CLASS(TuiText, TuiShape)
 public:
  // Black text without outline, Tahoma 11, centred both ways, wrapping.
  explicit TuiText(TuiComponent* Owner);
  ~TuiText() override;

  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  TuiFont* Font() const { return FFont.get(); }
  void SetFont(const TuiFont& Value) { FFont->Assign(Value); }
  TuiTextAlign HorzTextAlign() const { return FHorzTextAlign; }
  void SetHorzTextAlign(TuiTextAlign Value);
  TuiTextAlign VertTextAlign() const { return FVertTextAlign; }
  void SetVertTextAlign(TuiTextAlign Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Stretch() const { return FStretch; }
  // Switches AutoSize off.
  void SetStretch(bool Value);

  void SetAlign(TuiAlign Value) override;
  void Realign() override;
  void Loaded() override;
  // The bound value is the text.
  TuiData GetData() override { return FText; }
  void SetData(const TuiData& Value) override;

  static void DefineProperties(TuiClassBuilder<TuiText>& C) {
    PublishFill(C);
    C.Object("Font", &TuiText::Font);
    C.Property("Text", &TuiText::Text, &TuiText::SetText);
    C.Property("HorzTextAlign", &TuiText::HorzTextAlign, &TuiText::SetHorzTextAlign, uxTextAlignCenter);
    C.Property("VertTextAlign", &TuiText::VertTextAlign, &TuiText::SetVertTextAlign, uxTextAlignCenter);
    C.Property("WordWrap", &TuiText::WordWrap, &TuiText::SetWordWrap, true);
    C.Property("AutoSize", &TuiText::AutoSize, &TuiText::SetAutoSize, false);
    C.Property("Stretch", &TuiText::Stretch, &TuiText::SetStretch, false);
  }

 protected:
  void Paint() override;
  // Fits the size to the text when AutoSize is on: the width without word
  // wrap, the height unless the text is centred vertically. Needs a canvas to
  // measure with; does nothing for an empty text.
  void AdjustSize();

 private:
  std::string FText;
  std::unique_ptr<TuiFont> FFont;
  TuiTextAlign FHorzTextAlign = uxTextAlignCenter;
  TuiTextAlign FVertTextAlign = uxTextAlignCenter;
  bool FWordWrap = true;
  bool FAutoSize = false;
  bool FStretch = false;
  // Resizing realigns, and realigning adjusts the size again.
  bool FAdjusting = false;
};
