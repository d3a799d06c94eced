#include "app/forms/ElementViews.h"

#include "app/forms/Timer.h"
#include "controls/CheckBoxes.h"
#include "controls/TextBox.h"
#include "controls/TextControls.h"
#include "controls/Track.h"
#include "draw2d/Brush.h"
#include "draw2d/Shape.h"
#include "scene2d/Layouts.h"

namespace kardo {

float TLayoutView::Width() const {
  return FLayout.Width();
}

void TLayoutView::SetWidth(float Value) {
  FLayout.SetWidth(Value);
}

float TLayoutView::Height() const {
  return FLayout.Height();
}

void TLayoutView::SetHeight(float Value) {
  FLayout.SetHeight(Value);
}

void TLayoutView::SetPosition(float X, float Y) {
  FLayout.Position()->SetPoint({X, Y});
}

void TLayoutView::SetScale(float X, float Y) {
  FLayout.Scale()->SetPoint({X, Y});
}

uint32_t TTimerView::Interval() const {
  return uint32_t(FTimer.Interval());
}

void TTimerView::SetInterval(uint32_t Value) {
  FTimer.SetInterval(int32_t(Value));
}

bool TTimerView::Enabled() const {
  return FTimer.Enabled();
}

void TTimerView::SetEnabled(bool Value) {
  FTimer.SetEnabled(Value);
}

void TShapeView::SetFillColor(std::string_view ColorText) {
  // The logic sets every LED on every tick, mostly to the colour it has: compare
  // values, and make the text only for a real change.
  TuiBrush& fill = *FShape.Fill();
  const TuiColor before = fill.ColorValue();
  fill.SetColorAndFirstStop(TextToColor(ColorText));
  if (FChanged && fill.ColorValue() != before) FChanged(FShape.Name(), fill.Color());
}

void TLabelView::SetText(std::string_view Value) {
  FLabel.SetText(std::string(Value));
}

float TTrackBarView::Value() const {
  return FTrack.Value();
}

void TTrackBarView::SetValue(float Value) {
  FTrack.SetValue(Value);
}

bool TCheckBoxView::IsChecked() const {
  return FBox.IsChecked();
}

void TCheckBoxView::SetIsChecked(bool Value) {
  FBox.SetIsChecked(Value);
}

std::u16string TTextBoxView::Text() const {
  return FBox.Text();
}

}  // namespace kardo
