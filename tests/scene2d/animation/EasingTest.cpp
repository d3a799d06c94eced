#include <gtest/gtest.h>

#include "scene2d/Easing.h"

namespace {

struct TEaseCase {
  TuiInterpolationType Kind;
  TuiAnimationType Type;
  float X;  // time / duration
  double Expected;
};

// Worked out by hand from the curves; a duration of 2 seconds, so that a curve
// that confused time with the fraction of it would miss.
const TEaseCase EaseCases[] = {
    {uxInterpolationLinear, uxAnimationIn, 0.25f, 0.25},
    {uxInterpolationLinear, uxAnimationOut, 0.25f, 0.25},
    {uxInterpolationQuadratic, uxAnimationIn, 0.5f, 0.25},
    {uxInterpolationQuadratic, uxAnimationOut, 0.5f, 0.75},
    {uxInterpolationQuadratic, uxAnimationInOut, 0.25f, 0.125},
    {uxInterpolationQuadratic, uxAnimationInOut, 0.75f, 0.875},
    {uxInterpolationCubic, uxAnimationIn, 0.5f, 0.125},
    {uxInterpolationCubic, uxAnimationOut, 0.5f, 0.875},
    {uxInterpolationCubic, uxAnimationInOut, 0.75f, 0.9375},
    {uxInterpolationQuartic, uxAnimationIn, 0.5f, 0.0625},
    {uxInterpolationQuartic, uxAnimationOut, 0.5f, 0.9375},
    {uxInterpolationQuartic, uxAnimationInOut, 0.25f, 0.03125},
    {uxInterpolationQuintic, uxAnimationIn, 0.5f, 0.03125},
    {uxInterpolationQuintic, uxAnimationOut, 0.5f, 0.96875},
    {uxInterpolationQuintic, uxAnimationInOut, 0.75f, 0.984375},
    {uxInterpolationSinusoidal, uxAnimationIn, 0.5f, 0.2928932},
    {uxInterpolationSinusoidal, uxAnimationOut, 0.5f, 0.7071068},
    {uxInterpolationSinusoidal, uxAnimationInOut, 0.25f, 0.1464466},
    {uxInterpolationExponential, uxAnimationIn, 0.0f, 0.0},
    {uxInterpolationExponential, uxAnimationIn, 0.5f, 0.03125},
    {uxInterpolationExponential, uxAnimationOut, 0.5f, 0.96875},
    {uxInterpolationExponential, uxAnimationOut, 1.0f, 1.0},
    {uxInterpolationExponential, uxAnimationInOut, 0.25f, 0.015625},
    {uxInterpolationExponential, uxAnimationInOut, 1.0f, 1.0},
    {uxInterpolationCircular, uxAnimationIn, 0.5f, 0.1339746},
    {uxInterpolationCircular, uxAnimationOut, 0.5f, 0.8660254},
    {uxInterpolationCircular, uxAnimationInOut, 0.75f, 0.9330127},
    {uxInterpolationElastic, uxAnimationIn, 0.0f, 0.0},
    {uxInterpolationElastic, uxAnimationIn, 1.0f, 1.0},
    {uxInterpolationElastic, uxAnimationOut, 0.5f, 1.015625},  // overshoots
    {uxInterpolationElastic, uxAnimationInOut, 1.0f, 1.0},
    {uxInterpolationBack, uxAnimationIn, 0.5f, -0.0876975},  // dips below the start
    {uxInterpolationBack, uxAnimationOut, 0.5f, 1.0876975},
    {uxInterpolationBack, uxAnimationInOut, 0.0f, 0.0},
    {uxInterpolationBack, uxAnimationInOut, 1.0f, 1.0},
    // Bounce Out touches 1 three times before it ends there.
    {uxInterpolationBounce, uxAnimationOut, float(1 / 2.75), 1.0},
    {uxInterpolationBounce, uxAnimationOut, float(2 / 2.75), 1.0},
    {uxInterpolationBounce, uxAnimationOut, float(2.5 / 2.75), 1.0},
    {uxInterpolationBounce, uxAnimationOut, 1.0f, 1.0},
    {uxInterpolationBounce, uxAnimationOut, 0.5f, 0.765625},
    {uxInterpolationBounce, uxAnimationIn, 0.5f, 0.234375},
    {uxInterpolationBounce, uxAnimationInOut, 0.25f, 0.1171875},
    {uxInterpolationBounce, uxAnimationInOut, 0.75f, 0.8828125},
};

TEST(Easing, EveryCurveAtItsTelltalePoints) {
  constexpr float duration = 2;
  for (const TEaseCase& c : EaseCases) {
    const float value = uxEase(c.Kind, c.Type, c.X * duration, duration);
    EXPECT_NEAR(value, c.Expected, 2e-5) << EnumInfo<TuiInterpolationType>().Names[c.Kind] << " "
                                         << EnumInfo<TuiAnimationType>().Names[c.Type] << " at " << c.X;
  }
}

TEST(Easing, EveryCurveRunsFromStartToEnd) {
  for (int k = 0; k <= uxInterpolationBounce; ++k)
    for (int t = 0; t <= uxAnimationInOut; ++t) {
      const auto kind = TuiInterpolationType(k);
      const auto type = TuiAnimationType(t);
      EXPECT_NEAR(uxEase(kind, type, 0, 0.3f), 0, 1e-5) << k << "/" << t;
      EXPECT_NEAR(uxEase(kind, type, 0.3f, 0.3f), 1, 1e-5) << k << "/" << t;
    }
  // No duration, no progress (and no division by zero).
  EXPECT_EQ(uxEase(uxInterpolationCubic, uxAnimationOut, 1, 0), 0);
}

}  // namespace
