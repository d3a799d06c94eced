#include "app/Form_3D.h"

namespace kardo {

TForm_3D::TForm_3D(IFormView& View, std::string_view LayoutName, std::string_view ResizeTimerName)
    : FView(View), FLayout(View.Layout(LayoutName)), FResizeTimer(View.Timer(ResizeTimerName)) {
  Window().OnResize = Method(this, &TForm_3D::FormResize);
  Window().OnPositionChanged = Method(this, &TForm_3D::FormPositionChanged);
  FResizeTimer.OnTimer = Method(this, &TForm_3D::ResizeTimerTick);
}

void TForm_3D::LayoutSetup() {
  W0 = Window().Width();
  H0 = Window().Height();
  FLayout.SetWidth(static_cast<float>(W0 - 26));
  FLayout.SetHeight(static_cast<float>(H0 - 44));
  FLayout.SetPosition(13, 32);
  LW0 = FLayout.Width();
  LH0 = FLayout.Height();
  FResizeTimer.SetInterval(100);
}

void TForm_3D::ScaleReset() {
  FLayout.SetScale(1, 1);
}

void TForm_3D::Rescale() {
  FResizeTimer.SetEnabled(false);
  // A layout with no extent at creation has no scale to follow.
  if (LW0 <= 0 || LH0 <= 0) return;
  const double sx = (Window().Width() - (W0 - double(LW0))) / LW0;
  const double sy = (Window().Height() - (H0 - double(LH0))) / LH0;
  FLayout.SetScale(static_cast<float>(sx), static_cast<float>(sy));
}

void TForm_3D::ResizeTimerOff() {
  FResizeTimer.SetEnabled(false);
}

// A burst of size changes is answered by one rescale: enabling a running timer
// does not restart it.
void TForm_3D::FormResize(IViewElement*) {
  FResizeTimer.SetEnabled(true);
}

void TForm_3D::FormPositionChanged(IViewElement*) {
  if (Window().IsActive()) FResizeTimer.SetEnabled(true);
}

void TForm_3D::ResizeTimerTick(IViewElement*) {
  Rescale();
}

}  // namespace kardo
