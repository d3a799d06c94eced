#include "controls/TextControls.h"

#include <cmath>
#include <cstdio>

#include "draw2d/BrushObject.h"
#include "draw2d/ShapeText.h"

UX_IMPLEMENT_CLASS(TuiTextControl)
UX_IMPLEMENT_CLASS(TuiLabel)
UX_IMPLEMENT_CLASS(TuiValueLabel)
UX_IMPLEMENT_CLASS(TuiHudLabel)

namespace {

std::string DataText(const TuiData& Value) {
  struct TVisitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(bool B) const { return B ? "True" : "False"; }
    std::string operator()(int64_t I) const { return std::to_string(I); }
    std::string operator()(double D) const {
      // Shortest text that reads back the same, with "." whatever the locale.
      char buf[32];
      for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, D);
        for (char* p = buf; *p; ++p)
          if (*p == ',') *p = '.';
        if (std::strtod(buf, nullptr) == D || !std::isfinite(D)) break;
      }
      return buf;
    }
    std::string operator()(const std::string& S) const { return S; }
  };
  return std::visit(TVisitor{}, Value);
}

}  // namespace

// ---- TuiTextControl ----

TuiTextControl::TuiTextControl(TuiComponent* Owner)
    : TuiControl(Owner),
      FFont(std::make_unique<TuiFont>()),
      FForeground(std::make_unique<TuiBrush>(uxBrushSolid, 0xFF000000)) {
  FFont->OnChanged = [this](TuiFont*) { FontChanged(); };
  FForeground->OnChanged = [this](TuiBrush*) { ForegroundChanged(); };
}

TuiTextControl::~TuiTextControl() = default;

TuiText* TuiTextControl::TextPart() {
  return FindPart<TuiText>("text");
}

void TuiTextControl::SetText(const std::string& Value) {
  FText = Value;
  Invalidate();
  if (TuiText* part = TextPart())
    part->SetText(FText);
  else if (auto* whole = dynamic_cast<TuiText*>(StyleObject()))
    whole->SetText(FText);
}

void TuiTextControl::SetTextAlign(TuiTextAlign Value) {
  FTextAlign = Value;
  if (TuiText* part = TextPart())
    part->SetHorzTextAlign(Value);
  else
    Repaint();
}

void TuiTextControl::SetWordWrap(bool Value) {
  FWordWrap = Value;
  if (TuiText* part = TextPart()) part->SetWordWrap(Value);
}

void TuiTextControl::FontChanged() {
  if (TuiText* part = TextPart()) part->SetFont(*FFont);
}

void TuiTextControl::ForegroundChanged() {
  if (TuiText* part = TextPart()) part->SetFill(*FForeground);
}

void TuiTextControl::SetData(const TuiData& Value) {
  SetText(DataText(Value));
}

void TuiTextControl::ApplyStyle() {
  Inherited::ApplyStyle();
  if (auto* foreground = FindPart<TuiBrushObject>("foreground")) FForeground->Assign(*foreground->Brush());
  if (TuiText* part = TextPart()) {
    part->SetText(FText);
    part->SetHorzTextAlign(FTextAlign);
    part->SetVertTextAlign(uxTextAlignCenter);
    part->SetWordWrap(FWordWrap);
    part->SetFont(*FFont);
  }
  if (AutoTranslate()) {
    std::string translated = Translate(FText);
    if (translated != FText && !(Scene() && Scene()->GetDesignTime())) SetText(translated);
  }
}

// ---- TuiLabel ----

void TuiLabel::DefineProperties(TuiClassBuilder<TuiLabel>& C) {
  C.Property("AutoSize", &TuiLabel::AutoSize, &TuiLabel::SetAutoSize, false);
  C.Property<bool, bool>("AutoTranslate", &TuiLabel::AutoTranslate, &TuiLabel::SetAutoTranslate, true);
  C.Reference<TuiControl>("BindingSource", &TuiLabel::BindingSource, &TuiLabel::SetBindingSource);
  PublishText(C);
  C.Default("HitTest", false);
  C.Property<bool, bool>("WordWrap", &TuiTextControl::WordWrap, &TuiTextControl::SetWordWrap, true);
  C.Default("Width", 120.0f);
  C.Default("Height", 15.0f);
}

TuiLabel::TuiLabel(TuiComponent* Owner) : TuiTextControl(Owner) {
  FWordWrap = true;
  SetAutoTranslate(true);
  SetHitTest(false);
  SetWidth(120);
  SetHeight(15);
}

TuiLabel::~TuiLabel() = default;

void TuiLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  Inherited::SetWordWrap(Value);
}

void TuiLabel::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (FAutoSize) ApplyStyle();
}

void TuiLabel::SetText(const std::string& Value) {
  const bool changed = Value != Text();
  Inherited::SetText(Value);
  if (changed && FAutoSize && !FApplyingStyle) ApplyStyle();
}

void TuiLabel::ApplyStyle() {
  const bool outer = !FApplyingStyle;
  FApplyingStyle = true;
  try {
    Inherited::ApplyStyle();
  } catch (...) {
    if (outer) FApplyingStyle = false;
    throw;
  }
  if (outer) FApplyingStyle = false;
  TuiText* part = TextPart();
  if (!part) return;
  part->SetWordWrap(FWordWrap);
  if (!FAutoSize) return;
  FWordWrap = false;
  part->SetWordWrap(false);
  part->SetVertTextAlign(uxTextAlignNear);
  part->SetHorzTextAlign(uxTextAlignNear);
  // The part measures itself only while free of its parent's alignment.
  const TuiAlign align = part->Align();
  part->SetAlign(vaNone);
  part->SetAutoSize(true);
  SetWidth(part->Width());
  SetHeight(part->Height());
  part->SetAutoSize(false);
  part->SetAlign(align);
}

// ---- TuiValueLabel ----

TuiValueLabel::TuiValueLabel(TuiComponent* Owner) : TuiLabel(Owner) {
  FWordWrap = false;
  SetAutoTranslate(false);
}
