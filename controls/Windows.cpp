#include "controls/Windows.h"

#include "controls/Panels.h"
#include "draw2d/Shape.h"

UX_IMPLEMENT_CLASS(TuiWindow)
UX_IMPLEMENT_CLASS(TuiHudWindow)

// ---- TuiWindow ----

void TuiWindow::DefineProperties(TuiClassBuilder<TuiWindow>& C) {
  C.Property("ShowCloseButton", &TuiWindow::ShowCloseButton, &TuiWindow::SetShowCloseButton, true);
  C.Property("ShowSizeGrip", &TuiWindow::ShowSizeGrip, &TuiWindow::SetShowSizeGrip, true);
  C.Event("OnCloseClick", &TuiWindow::OnCloseClick);
  C.Property<bool, bool>("AutoTranslate", &TuiWindow::AutoTranslate, &TuiWindow::SetAutoTranslate, true);
  PublishText(C);
  C.Property<const std::string&, const std::string&>("Resource", &TuiWindow::Resource,
                                                     &TuiWindow::SetResource);
  C.Default("HitTest", false);
  C.Default("Width", 200.0f);
  C.Default("Height", 200.0f);
}

TuiWindow::TuiWindow(TuiComponent* Owner) : TuiTextControl(Owner) {
  SetAutoTranslate(true);
  SetHitTest(false);
  SetTextAlign(uxTextAlignNear);
  SetWidth(200);
  SetHeight(200);
}

void TuiWindow::SetShowCloseButton(bool Value) {
  if (Value == FShowCloseButton) return;
  FShowCloseButton = Value;
  Restyle();
}

void TuiWindow::SetShowSizeGrip(bool Value) {
  if (Value == FShowSizeGrip) return;
  FShowSizeGrip = Value;
  Restyle();
}

void TuiWindow::ApplyStyle() {
  Inherited::ApplyStyle();
  TuiObject* close = FindResource("close");
  if (TuiVisualObject* v = close ? close->Visual() : nullptr) v->SetVisible(FShowCloseButton);
  if (auto* button = dynamic_cast<TuiCloseButton*>(close); button && OnCloseClick) {
    button->SetCloseForm(false);
    button->Events().OnClick = OnCloseClick;
  }
  TuiObject* grip = FindResource("sizegrip");
  if (TuiVisualObject* v = grip ? grip->Visual() : nullptr) v->SetVisible(FShowSizeGrip);
}

// ---- TuiHudWindow ----

void TuiHudWindow::DefineProperties(TuiClassBuilder<TuiHudWindow>& C) {
  using W = TuiHudWindow;
  C.Property("DisableShadowOnOSX", &W::DisableShadowOnOSX, &W::SetDisableShadowOnOSX, true);
  C.Object("Fill", &W::Fill);
  C.Property("StrokeThickness", &W::StrokeThickness, &W::SetStrokeThickness, 1.0f);
  C.Object("Stroke", &W::Stroke);
  C.Property("StrokeCap", &W::StrokeCap, &W::SetStrokeCap, uxCapFlat);
  C.Property("StrokeDash", &W::StrokeDash, &W::SetStrokeDash, uxDashSolid);
  C.Property("StrokeJoin", &W::StrokeJoin, &W::SetStrokeJoin, uxJoinMiter);
  C.Property("ButtonAlign", &W::ButtonAlign, &W::SetButtonAlign, uxButtonAlignLeft);
  C.Property("ShowCaption", &W::ShowCaption, &W::SetShowCaption, true);
}

TuiHudWindow::TuiHudWindow(TuiComponent* Owner)
    : TuiWindow(Owner),
      FFill(std::make_unique<TuiBrush>(uxBrushSolid, 0xEA2F2F2F)),
      FStroke(std::make_unique<TuiBrush>(uxBrushSolid, 0x5B000000)) {
  Font()->SetStyle(uxFontBold);
  FFill->OnChanged = [this](TuiBrush*) { AppearanceChanged(); };
  FStroke->OnChanged = [this](TuiBrush*) { AppearanceChanged(); };
}

TuiHudWindow::~TuiHudWindow() = default;

void TuiHudWindow::AppearanceChanged() {
  if (!IsLoading() && StyleObject()) ApplyStyle();
}

void TuiHudWindow::SetDisableShadowOnOSX(bool Value) {
  if (Value == FDisableShadowOnOSX) return;
  FDisableShadowOnOSX = Value;
  Restyle();
}

void TuiHudWindow::SetStrokeThickness(float Value) {
  if (Value == FStrokeThickness) return;
  FStrokeThickness = Value;
  AppearanceChanged();
}

void TuiHudWindow::SetStrokeCap(TuiStrokeCap Value) {
  if (Value == FStrokeCap) return;
  FStrokeCap = Value;
  AppearanceChanged();
}

void TuiHudWindow::SetStrokeDash(TuiStrokeDash Value) {
  if (Value == FStrokeDash) return;
  FStrokeDash = Value;
  AppearanceChanged();
}

void TuiHudWindow::SetStrokeJoin(TuiStrokeJoin Value) {
  if (Value == FStrokeJoin) return;
  FStrokeJoin = Value;
  AppearanceChanged();
}

void TuiHudWindow::SetButtonAlign(TuiCloseAlign Value) {
  if (Value == FButtonAlign) return;
  FButtonAlign = Value;
  AppearanceChanged();
}

void TuiHudWindow::SetShowCaption(bool Value) {
  if (Value == FShowCaption) return;
  FShowCaption = Value;
  AppearanceChanged();
}

void TuiHudWindow::ApplyStyle() {
  Inherited::ApplyStyle();
  const float t = FStrokeThickness;
  // Shown only when both the window's close button and its caption are.
  if (auto* close = FindPart<TuiCloseButton>("close")) {
    close->SetAlign(FButtonAlign == uxButtonAlignRight ? vaRight : vaLeft);
    if (close->Visible()) {
      close->SetVisible(FShowCaption);
      close->SetDesignHide(!FShowCaption);
    }
  }
  if (auto* back = FindPart<TuiShape>("back")) back->SetFill(*FFill);
  if (auto* stroke = FindPart<TuiShape>("stroke")) {
    stroke->SetStroke(*FStroke);
    stroke->SetStrokeThickness(t);
    stroke->SetStrokeCap(FStrokeCap);
    stroke->SetStrokeDash(FStrokeDash);
    stroke->SetStrokeJoin(FStrokeJoin);
    stroke->Margins()->SetRect({t, t, t, t});
  }
  if (auto* caption = FindPart<TuiVisualObject>("caption")) {
    caption->SetHeight(t + 20);
    caption->Padding()->SetRect({t, t, t, 0});
    caption->SetVisible(FShowCaption);
    caption->SetDesignHide(!FShowCaption);
  }
  if (auto* text = FindPart<TuiVisualObject>("text")) {
    text->SetVisible(FShowCaption);
    text->SetDesignHide(!FShowCaption);
  }
}
