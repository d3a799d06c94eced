#include "app/Form_3D.h"

#include <algorithm>
#include <cmath>

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
  // Smaller than a quarter of its content the window shows nothing usable,
  // and the grip itself would shrink out of reach.
  Window().SetMinimumSize(MinimumExtent(W0, LW0), MinimumExtent(H0, LH0));
}

int TForm_3D::MinimumExtent(int Outer0, float Layout0) {
  const double frame = Outer0 - double(Layout0);
  return std::max(kMinimumExtent,
                  static_cast<int>(std::ceil(frame + std::max(0.0f, Layout0) * kMinimumScale)));
}

void TForm_3D::ScaleReset() {
  FLayout.SetScale(1, 1);
}

void TForm_3D::Rescale() {
  FResizeTimer.SetEnabled(false);
  // A layout with no extent at creation has no scale to follow.
  if (LW0 <= 0 || LH0 <= 0) return;
  // A window system that ignores the minimum size must not turn the content
  // inside out.
  const double sx = std::max(kMinimumScale, (Window().Width() - (W0 - double(LW0))) / LW0);
  const double sy = std::max(kMinimumScale, (Window().Height() - (H0 - double(LH0))) / LH0);
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
