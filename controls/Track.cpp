#include "controls/Track.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "scene2d/Geometry.h"

UX_IMPLEMENT_CLASS(TuiThumb)
UX_IMPLEMENT_CLASS(TuiCustomTrack)
UX_IMPLEMENT_CLASS(TuiTrack)
UX_IMPLEMENT_CLASS(TuiTrackBar)
UX_IMPLEMENT_CLASS(TuiHudTrack)
UX_IMPLEMENT_CLASS(TuiHudTrackBar)

namespace {

// The arrow and paging keys' virtual-key codes.
constexpr uint16_t VkEnd = 35;
constexpr uint16_t VkHome = 36;
constexpr uint16_t VkLeft = 37;
constexpr uint16_t VkUp = 38;
constexpr uint16_t VkRight = 39;
constexpr uint16_t VkDown = 40;

float Round(float Value) {
  return float(RoundHalfEven(Value));
}

// The value properties every track publishes, in the order streams write them.
template <class C>
void PublishRange(TuiClassBuilder<C>& B) {
  B.template Property<float, float>("Min", &TuiCustomTrack::Min, &TuiCustomTrack::SetMin);
  B.template Property<float, float>("Max", &TuiCustomTrack::Max, &TuiCustomTrack::SetMax);
  B.template Property<float, float>("Frequency", &TuiCustomTrack::Frequency, &TuiCustomTrack::SetFrequency);
  B.template Property<TuiOrientation, TuiOrientation>("Orientation", &TuiCustomTrack::Orientation,
                                                      &TuiCustomTrack::SetOrientation);
  B.template Property<float, float>("Value", &TuiCustomTrack::Value, &TuiCustomTrack::SetValue);
}

}  // namespace

// ---- TuiThumb ----

TuiThumb::TuiThumb(TuiComponent* Owner) : TuiControl(Owner) {
  SetAutoCapture(true);
}

void TuiThumb::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseDown(Button, Shift, X, Y);
  if (Button != uxMouseLeft || !GetAbsoluteEnabled()) return;
  FPressed = true;
  FPressPoint = {X, Y};
  // The bar, not its knob, is what the keys then move.
  if (FTrack) FTrack->SetFocus();
}

void TuiThumb::MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) {
  Inherited::MouseMove(Shift, X, Y, DeltaX, DeltaY);
  if (!FPressed || !FTrack || !GetAbsoluteEnabled() || !VisualParent()) return;
  const bool horizontal = FTrack->Orientation() == uxHorizontal;
  const TuiPoint onAxis = horizontal ? TuiPoint{X, 0} : TuiPoint{0, Y};
  const TuiPoint p = FTrack->AbsoluteToLocal(LocalToAbsolute(onAxis));
  FTrack->ThumbMoved(horizontal ? p.X : p.Y, FPressPoint);
}

void TuiThumb::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseUp(Button, Shift, X, Y);
  if (!FPressed) return;
  if (FTrack) FTrack->ThumbReleased();
  FPressed = false;
}

// ---- TuiCustomTrack ----

TuiCustomTrack::TuiCustomTrack(TuiComponent* Owner) : TuiControl(Owner) {
  SetWidth(100);
  SetHeight(15);
}

TuiThumb* TuiCustomTrack::Thumb() {
  auto* thumb = FindPart<TuiThumb>("thumb");
  if (thumb) thumb->FTrack = this;
  return thumb;
}

bool TuiCustomTrack::Dragging() {
  TuiThumb* thumb = Thumb();
  return thumb && thumb->Pressed();
}

void TuiCustomTrack::SetValue(float Value) {
  if (FFrequency != 0) Value = FFrequency * Round(Value / FFrequency);
  if (Value == FValue) return;
  FValue = Value;
  if (FValue > FMax - FViewportSize) FValue = FMax - FViewportSize;
  if (FValue < FMin) FValue = FMin;
  const bool dragging = Dragging();
  if (dragging && OnTracking) OnTracking(this);
  if (FTracking && BoundCount() > 0) PushData();
  if (OnChange && (FTracking || !dragging)) OnChange(this);
  PlaceThumb();
}

void TuiCustomTrack::SetMin(float Value) {
  if (Value == FMin) return;
  FMin = Value;
  Realign();
}

void TuiCustomTrack::SetMax(float Value) {
  if (Value == FMax) return;
  FMax = Value < FMin ? FMin + 0.001f : Value;
  if (FMax - FMin < FViewportSize) FViewportSize = FMax - FMin;
  if (FMax - FViewportSize < FValue) FValue = FMax - FViewportSize;
  Realign();
}

void TuiCustomTrack::SetViewportSizeValue(float Value) {
  if (Value == FViewportSize) return;
  FViewportSize = std::min(Value, FMax - FMin);
  if (FMax - FViewportSize < FValue) SetValue(FMax - FViewportSize);
  Realign();
}

void TuiCustomTrack::SetOrientation(TuiOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  if (IsDesigning() && !IsLoading()) {
    const float width = Width();
    SetWidth(Height());
    SetHeight(width);
  }
  Realign();
}

void TuiCustomTrack::SetFrequency(float Value) {
  if (Value == FFrequency) return;
  FFrequency = Value;
  if (FFrequency != 0) SetValue(FFrequency * Round(FValue / FFrequency));
}

void TuiCustomTrack::SetData(const TuiData& Value) {
  if (const auto* i = std::get_if<int64_t>(&Value))
    SetValue(float(*i));
  else if (const auto* d = std::get_if<double>(&Value))
    SetValue(float(*d));
  else
    SetValue(FMin);
}

void TuiCustomTrack::ApplyStyle() {
  Inherited::ApplyStyle();
  PlaceThumb();
}

void TuiCustomTrack::FreeStyle() {
  if (TuiThumb* thumb = Thumb()) thumb->FTrack = nullptr;
  Inherited::FreeStyle();
}

void TuiCustomTrack::Realign() {
  Inherited::Realign();
  PlaceThumb();
}

void TuiCustomTrack::PlaceThumb() {
  if (IsLoading() || IsDestroying()) return;
  TuiThumb* thumb = Thumb();
  if (!thumb) return;
  const float w = Width();
  const float h = Height();
  const float range = FMax - FMin;
  TuiRect r{0, 0, w, h};
  if (range > 0) {
    const float ratio = (FValue - FMin) / range;
    if (FOrientation == uxHorizontal) {
      const float start = Round(ratio * w);
      r = {start, 0, start + FViewportSize / range * w, h};
      // A thin thumb is centred on the value instead.
      if (r.Width() < h) {
        const float half = std::trunc(h / 2);
        r.Right = r.Left + half;
        r.Left -= half;
      }
      if (r.Right > w) {
        r.Left -= r.Right - w;
        r.Right = w;
      }
      if (r.Left < 0) {
        r.Right -= r.Left;
        r.Left = 0;
      }
    } else {
      const float start = Round(ratio * h);
      r = {0, start, w, start + FViewportSize / range * h};
      if (r.Height() < w) {
        const float half = std::trunc(w / 2);
        r.Bottom = r.Top + half;
        r.Top -= half;
      }
      if (r.Bottom > h) {
        r.Top -= r.Bottom - h;
        r.Bottom = h;
      }
      if (r.Top < 0) {
        r.Bottom -= r.Top;
        r.Top = 0;
      }
    }
  }
  // Inside a style the thumb keeps its parent's margins and its own padding;
  // a negative padding lets it overhang the track.
  if (TuiVisualObject* parent = thumb->Parent() ? thumb->Parent()->Visual() : nullptr;
      parent && parent != this) {
    const TuiBounds& m = *parent->Margins();
    const TuiBounds& p = *thumb->Padding();
    if (r.Width() > m.Left() + p.Left() + m.Right() - p.Right()) {
      r.Left += m.Left() + p.Left();
      r.Right -= m.Right() + p.Right();
    }
    r.Top += m.Top() + p.Top();
    r.Bottom -= m.Bottom() + p.Bottom();
  }
  thumb->Position()->SetPoint({r.Left, r.Top});
  if (const float tw = Round(r.Width()); tw > 0) thumb->SetWidth(tw);
  if (const float th = Round(r.Height()); th > 0) thumb->SetHeight(th);
}

void TuiCustomTrack::ThumbMoved(float Along, const TuiPoint& PressPoint) {
  const bool horizontal = FOrientation == uxHorizontal;
  const float length = horizontal ? Width() : Height();
  if (length <= 0) return;
  // A slider's value follows the pointer; a proportional thumb keeps the
  // offset at which it was grabbed.
  const float offset = FViewportSize == 0 ? 0 : (horizontal ? PressPoint.X : PressPoint.Y);
  SetValue(FMin + (Along - offset) / length * (FMax - FMin));
}

void TuiCustomTrack::ThumbReleased() {
  if (FTracking || !OnChange) return;
  // Report the drag's outcome once, as a tracking track would have: the
  // value is written again for real so that binding and OnChange both run.
  const float value = FValue;
  FTracking = true;
  FValue = 65535;
  SetValue(value);
  FTracking = false;
}

void TuiCustomTrack::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseDown(Button, Shift, X, Y);
  if (Button != uxMouseLeft) return;
  const bool horizontal = FOrientation == uxHorizontal;
  const float length = horizontal ? Width() : Height();
  if (length <= 0) return;
  const float p = FMin + (horizontal ? X : Y) / length * (FMax - FMin);
  if (FViewportSize == 0)
    SetValue(p);
  else
    SetValue(p > FValue ? FValue + FViewportSize : FValue - FViewportSize);
}

void TuiCustomTrack::KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  Inherited::KeyDown(Key, KeyChar, Shift);
  const float step = FFrequency != 0 ? FFrequency : 1;
  float value;
  switch (Key) {
    case VkEnd:
      value = FMax;
      break;
    case VkHome:
      value = FMin;
      break;
    case VkLeft:
    case VkUp:
      value = FValue - step;
      break;
    case VkRight:
    case VkDown:
      value = FValue + step;
      break;
    default:
      return;
  }
  SetValue(value);
  // Without tracking a key press is a finished change of its own.
  if (!FTracking && OnChange) OnChange(this);
  Key = 0;
}

// ---- published classes ----

void TuiTrack::DefineProperties(TuiClassBuilder<TuiTrack>& C) {
  C.Reference<TuiControl>("BindingSource", &TuiTrack::BindingSource, &TuiTrack::SetBindingSource);
  PublishRange(C);
  C.Property<float, float>("ViewportSize", &TuiTrack::ViewportSize, &TuiTrack::SetViewportSize);
  C.Property<bool, bool>("Tracking", &TuiTrack::Tracking, &TuiTrack::SetTracking);
  C.Event<TuiNotifyEvent>("OnChange", &TuiTrack::OnChange);
}

TuiTrackBar::TuiTrackBar(TuiComponent* Owner) : TuiCustomTrack(Owner) {
  SetViewportSizeValue(0);
  SetCanFocused(true);
}

void TuiTrackBar::DefineProperties(TuiClassBuilder<TuiTrackBar>& C) {
  C.Reference<TuiControl>("BindingSource", &TuiTrackBar::BindingSource, &TuiTrackBar::SetBindingSource);
  C.Property<bool, bool>("CanFocused", &TuiTrackBar::CanFocused, &TuiTrackBar::SetCanFocused, true);
  C.Property<bool, bool>("DisableFocusEffect", &TuiTrackBar::DisableFocusEffect,
                         &TuiTrackBar::SetDisableFocusEffect, false);
  PublishRange(C);
  C.Property<bool, bool>("Tracking", &TuiTrackBar::Tracking, &TuiTrackBar::SetTracking);
  C.Event<TuiNotifyEvent>("OnChange", &TuiTrackBar::OnChange);
}
