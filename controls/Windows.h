#pragma once

#include <cstdint>
#include <memory>

#include "controls/TextControls.h"
#include "draw2d/Brush.h"
#include "draw2d/Canvas.h"

// The frame of a window drawn inside its 2D tree: the style's "text" part
// shows the caption text, its "close" part (a TuiCloseButton) and its
// "sizegrip" part are shown or hidden here. The window itself takes no
// mouse input, so presses on its bare frame move the native window.
class TuiWindow : public TuiTextControl {
  UX_CLASS(TuiWindow, TuiTextControl)
 public:
  explicit TuiWindow(TuiComponent* Owner);

  // Both attach a fresh copy of the style when they change.
  bool ShowCloseButton() const { return FShowCloseButton; }
  void SetShowCloseButton(bool Value);
  bool ShowSizeGrip() const { return FShowSizeGrip; }
  void SetShowSizeGrip(bool Value);

  // Assigned, the close button calls it instead of closing the form.
  TuiNotifyEvent OnCloseClick;

  static void DefineProperties(TuiClassBuilder<TuiWindow>& C);

 protected:
  void ApplyStyle() override;
  // Writes Resource again, which replaces the attached style by a new copy.
  void Restyle() { SetResource(Resource()); }

 private:
  bool FShowCloseButton = true;
  bool FShowSizeGrip = true;
};

enum TuiCloseAlign : uint8_t { uxButtonAlignLeft, uxButtonAlignRight };
UX_ENUM(TuiCloseAlign, "uxButtonAlignLeft", "uxButtonAlignRight")

// The window frame of the heads-up-display look ("hudwindowstyle"): it pushes
// its own fill into the style's "back", its stroke into "stroke", sizes the
// "caption" bar to the stroke, and puts the close button on either side.
class TuiHudWindow : public TuiWindow {
  UX_CLASS(TuiHudWindow, TuiWindow)
 public:
  explicit TuiHudWindow(TuiComponent* Owner);
  ~TuiHudWindow() override;

  // Kept for layouts made elsewhere; it only restyles here.
  bool DisableShadowOnOSX() const { return FDisableShadowOnOSX; }
  void SetDisableShadowOnOSX(bool Value);
  TuiBrush* Fill() const { return FFill.get(); }
  // Copies Value; the caller keeps its brush.
  void SetFill(const TuiBrush& Value) { FFill->Assign(Value); }
  TuiBrush* Stroke() const { return FStroke.get(); }
  void SetStroke(const TuiBrush& Value) { FStroke->Assign(Value); }
  float StrokeThickness() const { return FStrokeThickness; }
  void SetStrokeThickness(float Value);
  TuiStrokeCap StrokeCap() const { return FStrokeCap; }
  void SetStrokeCap(TuiStrokeCap Value);
  TuiStrokeDash StrokeDash() const { return FStrokeDash; }
  void SetStrokeDash(TuiStrokeDash Value);
  TuiStrokeJoin StrokeJoin() const { return FStrokeJoin; }
  void SetStrokeJoin(TuiStrokeJoin Value);
  TuiCloseAlign ButtonAlign() const { return FButtonAlign; }
  void SetButtonAlign(TuiCloseAlign Value);
  // Off hides the caption bar, its text and the close button.
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);

  static void DefineProperties(TuiClassBuilder<TuiHudWindow>& C);

 protected:
  void ApplyStyle() override;

 private:
  // An appearance property changed: the attached style takes it over.
  void AppearanceChanged();

  bool FDisableShadowOnOSX = true;
  std::unique_ptr<TuiBrush> FFill;
  float FStrokeThickness = 1;
  std::unique_ptr<TuiBrush> FStroke;
  TuiStrokeCap FStrokeCap = uxCapFlat;
  TuiStrokeDash FStrokeDash = uxDashSolid;
  TuiStrokeJoin FStrokeJoin = uxJoinMiter;
  TuiCloseAlign FButtonAlign = uxButtonAlignLeft;
  bool FShowCaption = true;
};
