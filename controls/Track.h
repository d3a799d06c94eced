#pragma once

#include <cstdint>

#include "controls/Control.h"

enum TuiOrientation : uint8_t { uxHorizontal, uxVertical };
UX_ENUM(TuiOrientation, "uxHorizontal", "uxVertical")

class TuiCustomTrack;

// The draggable knob of a track. It lives in the track's style as the part
// "thumb"; the track places it and the thumb writes the track's value while
// it is dragged.
class TuiThumb : public TuiControl {
  UX_CLASS(TuiThumb, TuiControl)
 public:
  explicit TuiThumb(TuiComponent* Owner);

  // The track that last looked this thumb up; not owned.
  TuiCustomTrack* Track() const { return FTrack; }
  bool Pressed() const { return FPressed; }

  void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) override;
  void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;

 private:
  friend class TuiCustomTrack;
  TuiCustomTrack* FTrack = nullptr;
  TuiPoint FPressPoint{0, 0};
  bool FPressed = false;
};

// A floating-point value between Min and Max - ViewportSize, picked by
// dragging the style's thumb, clicking the track or the arrow keys.
//
// Outside a drag every change fires OnChange. During a drag it fires (and
// bound controls follow) on every change only with Tracking on; with Tracking
// off the release reports the final value once, even when it did not move.
class TuiCustomTrack : public TuiControl {
  UX_CLASS(TuiCustomTrack, TuiControl)
 public:
  explicit TuiCustomTrack(TuiComponent* Owner);

  float Value() const { return FValue; }
  // Snaps to Frequency (halves to even), then keeps the value within range.
  void SetValue(float Value);
  float Min() const { return FMin; }
  // Moves nothing: the value may lie below a raised Min until it is next written.
  void SetMin(float Value);
  float Max() const { return FMax; }
  // Stays above Min; pulls ViewportSize and Value in silently (no OnChange).
  void SetMax(float Value);
  float ViewportSize() const { return FViewportSize; }
  TuiOrientation Orientation() const { return FOrientation; }
  // In a designer the track turns on the spot: Width and Height swap.
  void SetOrientation(TuiOrientation Value);
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  // The snapping step; 0 snaps to nothing.
  float Frequency() const { return FFrequency; }
  void SetFrequency(float Value);

  // The style's thumb, told that this track is its own; none without one.
  TuiThumb* Thumb();
  // True while the thumb is held down.
  bool Dragging();

  TuiData GetData() override { return double(FValue); }
  // A number is the value; anything else resets the value to Min.
  void SetData(const TuiData& Value) override;

  void Realign() override;
  void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) override;
  void KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) override;

  TuiNotifyEvent OnChange;
  // For scroll bars that follow a drag; no window assigns it.
  TuiNotifyEvent OnTracking;

 protected:
  void SetViewportSizeValue(float Value);
  void ApplyStyle() override;
  void FreeStyle() override;
  // Centres the thumb on the value's place along the track (a proportional
  // thumb starts there), keeps it inside the track, then widens it by the
  // insets of its style; nothing without a thumb.
  void PlaceThumb();

 private:
  friend class TuiThumb;
  // The thumb moved to the track-local coordinate Along its axis.
  void ThumbMoved(float Along, const TuiPoint& PressPoint);
  void ThumbReleased();

  float FValue = 0;
  float FMin = 0;
  float FMax = 100;
  float FViewportSize = 0;
  TuiOrientation FOrientation = uxHorizontal;
  bool FTracking = true;
  float FFrequency = 0;
};

// A track with a proportional thumb: ViewportSize is the part of the range
// the thumb covers, and clicks beside it page by that much.
class TuiTrack : public TuiCustomTrack {
  UX_CLASS(TuiTrack, TuiCustomTrack)
 public:
  explicit TuiTrack(TuiComponent* Owner) : TuiCustomTrack(Owner) {}
  void SetViewportSize(float Value) { SetViewportSizeValue(Value); }

  static void DefineProperties(TuiClassBuilder<TuiTrack>& C);
};

// The focusable slider: a thumb about as wide as the bar is high.
class TuiTrackBar : public TuiCustomTrack {
  UX_CLASS(TuiTrackBar, TuiCustomTrack)
 public:
  explicit TuiTrackBar(TuiComponent* Owner);

  static void DefineProperties(TuiClassBuilder<TuiTrackBar>& C);
};

// The heads-up-display looks ("hudtrackstyle", "hudtrackbarstyle").
class TuiHudTrack : public TuiTrack {
  UX_CLASS(TuiHudTrack, TuiTrack)
 public:
  explicit TuiHudTrack(TuiComponent* Owner) : TuiTrack(Owner) {}
};

class TuiHudTrackBar : public TuiTrackBar {
  UX_CLASS(TuiHudTrackBar, TuiTrackBar)
 public:
  explicit TuiHudTrackBar(TuiComponent* Owner) : TuiTrackBar(Owner) {}
};
