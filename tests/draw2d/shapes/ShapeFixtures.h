#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "draw2d/Canvas.h"
#include "draw2d/Draw2dRegistration.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/VisualObject.h"

// Shapes painted straight into a canvas of their own, the way the paint pass
// will: matrix first, then the three hooks.
namespace shape_fixtures {

// Opens the paint hooks and the temporary canvas of any shape class.
template <class T>
class TPainted : public T {
 public:
  TPainted() : T(nullptr) {}
  using T::AfterPaint;
  using T::BeforePaint;
  using T::Paint;
  void UseCanvas(TuiCanvas* Canvas) { this->FTempCanvas = Canvas; }
  void PaintInto(TuiCanvas& Canvas) {
    UseCanvas(&Canvas);
    Canvas.SetMatrix(this->GetAbsoluteMatrix());
    this->BeforePaint();
    this->Paint();
    this->AfterPaint();
  }
};

inline std::unique_ptr<TuiCanvas> NewCanvas(int32_t W, int32_t H) {
  std::unique_ptr<TuiCanvas> c = TuiCanvas::CreateCanvas(W, H);
  c->Clear(0);
  return c;
}

inline uint32_t Pixel(const TuiCanvas& C, int32_t X, int32_t Y) {
  return C.BufferBits()[size_t(Y) * size_t(C.Width()) + size_t(X)];
}
inline uint32_t AlphaOf(uint32_t P) {
  return P >> 24;
}

// The box of the pixels with at least MinAlpha; all zero when none.
struct TInk {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TInk&, const TInk&) = default;
};
inline std::ostream& operator<<(std::ostream& Out, const TInk& I) {
  return Out << "(" << I.Left << ", " << I.Top << ", " << I.Right << ", " << I.Bottom << ")";
}
template <class Pred>
TInk InkWhere(const TuiCanvas& C, Pred Matches) {
  TInk ink{C.Width(), C.Height(), 0, 0};
  bool any = false;
  for (int32_t y = 0; y < C.Height(); ++y)
    for (int32_t x = 0; x < C.Width(); ++x)
      if (Matches(Pixel(C, x, y))) {
        any = true;
        ink.Left = std::min(ink.Left, x);
        ink.Top = std::min(ink.Top, y);
        ink.Right = std::max(ink.Right, x + 1);
        ink.Bottom = std::max(ink.Bottom, y + 1);
      }
  return any ? ink : TInk{};
}
inline TInk InkBox(const TuiCanvas& C, uint32_t MinAlpha = 1) {
  return InkWhere(C, [MinAlpha](uint32_t P) { return AlphaOf(P) >= MinAlpha; });
}

class ShapeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterCairoCanvas();
    RegisterDraw2dClasses();
  }
};

}  // namespace shape_fixtures
