#pragma once

#include "app/KardoView.h"

namespace kardo {

// What the three windows share: the inner layout that follows the window's size
// through a 100 ms resize timer, and the placement record taken at creation.
class TForm_3D {
 public:
  TForm_3D(IFormView& View, std::string_view LayoutName, std::string_view ResizeTimerName);
  virtual ~TForm_3D() = default;
  TForm_3D(const TForm_3D&) = delete;
  TForm_3D& operator=(const TForm_3D&) = delete;

  IWindowView& Window() { return FView.Window(); }
  IFormView& View() { return FView; }

  // The smallest scale of the content, and the smallest outer extent in
  // pixels, that a resize leaves.
  static constexpr double kMinimumScale = 0.25;
  static constexpr int kMinimumExtent = 48;
  // The outer extent at which the content's scale is kMinimumScale.
  static int MinimumExtent(int Outer0, float Layout0);

  // The placement record.
  int W0 = 0;
  int H0 = 0;
  float LW0 = 0;
  float LH0 = 0;

 protected:
  // Creation: records the outer size, fits the inner layout into the frame and
  // arms the resize timer's interval.
  void LayoutSetup();
  void ScaleReset();
  void Rescale();
  void ResizeTimerOff();

  IFormView& FView;
  ILayoutView& FLayout;
  ITimerView& FResizeTimer;

 private:
  void FormResize(IViewElement* Sender);
  void FormPositionChanged(IViewElement* Sender);
  void ResizeTimerTick(IViewElement* Sender);
};

// Binds a member function as an event handler: a method reference.
template <class C, class... A>
auto Method(C* Self, void (C::*Handler)(A...)) {
  return [Self, Handler](A... Args) { (Self->*Handler)(Args...); };
}

// The integer a track bar's single-precision value stands for.
inline uint32_t TruncValue(float Value) {
  return Value <= 0 ? 0u : static_cast<uint32_t>(Value);
}

}  // namespace kardo
