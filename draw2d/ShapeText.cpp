#include "draw2d/ShapeText.h"

UX_IMPLEMENT_CLASS(TuiText)

namespace {

TuiMatrix ScaleMatrix(float X, float Y) {
  TuiMatrix m;
  m.M[0][0] = X;
  m.M[1][1] = Y;
  return m;
}

}  // namespace

TuiText::TuiText(TuiComponent* Owner)
    : TuiShape(Owner, uxBrushSolid, 0xFF000000, uxBrushNone, 0xFF000000), FFont(std::make_unique<TuiFont>()) {
  FFont->OnChanged = [this](TuiFont*) {
    LookChanged();
    AdjustSize();
  };
}

TuiText::~TuiText() = default;

void TuiText::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  LookChanged();
  AdjustSize();
}

void TuiText::SetHorzTextAlign(TuiTextAlign Value) {
  if (Value == FHorzTextAlign) return;
  FHorzTextAlign = Value;
  LookChanged();
}

void TuiText::SetVertTextAlign(TuiTextAlign Value) {
  if (Value == FVertTextAlign) return;
  FVertTextAlign = Value;
  LookChanged();
}

void TuiText::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Repaint();
  AdjustSize();
}

void TuiText::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  Repaint();
  AdjustSize();
}

void TuiText::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  if (FStretch) FAutoSize = false;
  LookChanged();
}

void TuiText::SetAlign(TuiAlign Value) {
  const bool changed = Value != Align();
  Inherited::SetAlign(Value);
  if (changed) AdjustSize();
}

void TuiText::Realign() {
  Inherited::Realign();
  AdjustSize();
}

void TuiText::Loaded() {
  Inherited::Loaded();
  AdjustSize();
}

void TuiText::SetData(const TuiData& Value) {
  if (const std::string* text = std::get_if<std::string>(&Value)) SetText(*text);
}

void TuiText::AdjustSize() {
  if (!FAutoSize || FAdjusting || FText.empty() || IsLoading() || IsDestroying()) return;
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  FAdjusting = true;
  try {
    canvas->Font()->Assign(*FFont);
    TuiRect r{0, 0, FWordWrap ? Width() : 1000, 1000};
    canvas->MeasureText(r, FText, FWordWrap, uxTextAlignNear, uxTextAlignNear);
    if (!FWordWrap) SetWidth(FFont->Size() / 2 + r.Right);
    if (FVertTextAlign != uxTextAlignCenter) SetHeight(r.Bottom);
    if (TuiVisualObject* parent = VisualParent()) parent->Realign();
  } catch (...) {
    FAdjusting = false;
    throw;
  }
  FAdjusting = false;
}

void TuiText::Paint() {
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  const float opacity = GetAbsoluteOpacity();
  canvas->Font()->Assign(*FFont);
  const TuiRect local = GetLocalRect();
  if (!FStretch) {
    canvas->FillText(local, FText, FWordWrap, opacity, FHorzTextAlign, FVertTextAlign);
    return;
  }
  TuiRect r{0, 0, 1000, 1000};
  canvas->MeasureText(r, FText, false, FHorzTextAlign, FVertTextAlign);
  OffsetRect(r, -r.Left, -r.Top);
  // The scale stays within this object's painting: the saved state takes it
  // back before the children paint.
  const int32_t saved = canvas->SaveCanvas();
  if (!IsEmptyRect(r))
    canvas->MultiplyMatrix(ScaleMatrix(local.Width() / r.Width(), local.Height() / r.Height()));
  InflateRect(r, FFont->Size() / 3, FFont->Size() / 3);
  canvas->FillText(r, FText, false, opacity, FHorzTextAlign, FVertTextAlign);
  canvas->RestoreCanvas(saved);
}
