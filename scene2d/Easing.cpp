#include "scene2d/Easing.h"

#include <cmath>
#include <numbers>

namespace {

// The curves work on x = time / duration, as the classic easing equations with
// begin 0 and change 1 do; Elastic also needs the duration itself, since its
// period is a share of it.
constexpr double Pi = std::numbers::pi;

double BounceOut(double X) {
  constexpr double k = 7.5625;
  if (X < 1 / 2.75) return k * X * X;
  if (X < 2 / 2.75) {
    X -= 1.5 / 2.75;
    return k * X * X + 0.75;
  }
  if (X < 2.5 / 2.75) {
    X -= 2.25 / 2.75;
    return k * X * X + 0.9375;
  }
  X -= 2.625 / 2.75;
  return k * X * X + 0.984375;
}

double EaseIn(TuiInterpolationType Kind, double X, double D) {
  switch (Kind) {
    case uxInterpolationQuadratic:
      return X * X;
    case uxInterpolationCubic:
      return X * X * X;
    case uxInterpolationQuartic:
      return X * X * X * X;
    case uxInterpolationQuintic:
      return X * X * X * X * X;
    case uxInterpolationSinusoidal:
      return 1 - std::cos(X * Pi / 2);
    case uxInterpolationExponential:
      return X == 0 ? 0 : std::pow(2, 10 * (X - 1));
    case uxInterpolationCircular:
      return -(std::sqrt(1 - X * X) - 1);
    case uxInterpolationElastic: {
      if (X == 0) return 0;
      if (X == 1) return 1;
      const double p = 0.3 * D;
      const double s = p / 4;
      return -std::pow(2, 10 * (X - 1)) * std::sin(((X - 1) * D - s) * 2 * Pi / p);
    }
    case uxInterpolationBack: {
      constexpr double s = 1.70158;
      return X * X * ((s + 1) * X - s);
    }
    case uxInterpolationBounce:
      return 1 - BounceOut(1 - X);
    case uxInterpolationLinear:
      break;
  }
  return X;
}

double EaseOut(TuiInterpolationType Kind, double X, double D) {
  switch (Kind) {
    case uxInterpolationQuadratic:
      return -X * (X - 2);
    case uxInterpolationCubic:
      return std::pow(X - 1, 3) + 1;
    case uxInterpolationQuartic:
      return -(std::pow(X - 1, 4) - 1);
    case uxInterpolationQuintic:
      return std::pow(X - 1, 5) + 1;
    case uxInterpolationSinusoidal:
      return std::sin(X * Pi / 2);
    case uxInterpolationExponential:
      return X == 1 ? 1 : 1 - std::pow(2, -10 * X);
    case uxInterpolationCircular:
      return std::sqrt(1 - (X - 1) * (X - 1));
    case uxInterpolationElastic: {
      if (X == 0) return 0;
      if (X == 1) return 1;
      const double p = 0.3 * D;
      const double s = p / 4;
      return std::pow(2, -10 * X) * std::sin((X * D - s) * 2 * Pi / p) + 1;
    }
    case uxInterpolationBack: {
      constexpr double s = 1.70158;
      const double y = X - 1;
      return y * y * ((s + 1) * y + s) + 1;
    }
    case uxInterpolationBounce:
      return BounceOut(X);
    case uxInterpolationLinear:
      break;
  }
  return X;
}

double EaseInOut(TuiInterpolationType Kind, double X, double D) {
  const double h = 2 * X;
  switch (Kind) {
    case uxInterpolationQuadratic:
      return h < 1 ? h * h / 2 : -((h - 1) * (h - 3) - 1) / 2;
    case uxInterpolationCubic:
      return h < 1 ? h * h * h / 2 : (std::pow(h - 2, 3) + 2) / 2;
    case uxInterpolationQuartic:
      return h < 1 ? std::pow(h, 4) / 2 : -(std::pow(h - 2, 4) - 2) / 2;
    case uxInterpolationQuintic:
      return h < 1 ? std::pow(h, 5) / 2 : (std::pow(h - 2, 5) + 2) / 2;
    case uxInterpolationSinusoidal:
      return -(std::cos(Pi * X) - 1) / 2;
    case uxInterpolationExponential:
      if (X == 0) return 0;
      if (X == 1) return 1;
      return h < 1 ? std::pow(2, 10 * (h - 1)) / 2 : (2 - std::pow(2, -10 * (h - 1))) / 2;
    case uxInterpolationCircular:
      return h < 1 ? -(std::sqrt(1 - h * h) - 1) / 2 : (std::sqrt(1 - (h - 2) * (h - 2)) + 1) / 2;
    case uxInterpolationElastic: {
      if (X == 0) return 0;
      if (h == 2) return 1;
      const double p = 0.45 * D;
      const double s = p / 4;
      const double wave = std::sin(((h - 1) * D - s) * 2 * Pi / p);
      return h < 1 ? -std::pow(2, 10 * (h - 1)) * wave / 2 : std::pow(2, -10 * (h - 1)) * wave / 2 + 1;
    }
    case uxInterpolationBack: {
      constexpr double s = 1.70158 * 1.525;
      if (h < 1) return h * h * ((s + 1) * h - s) / 2;
      const double g = h - 2;
      return (g * g * ((s + 1) * g + s) + 2) / 2;
    }
    case uxInterpolationBounce:
      return X < 0.5 ? EaseIn(Kind, h, D) / 2 : EaseOut(Kind, h - 1, D) / 2 + 0.5;
    case uxInterpolationLinear:
      break;
  }
  return X;
}

}  // namespace

float uxEase(TuiInterpolationType Kind, TuiAnimationType Type, float Time, float Duration) {
  if (Duration <= 0) return 0;
  const double x = double(Time) / Duration;
  if (Kind == uxInterpolationLinear) return float(x);
  switch (Type) {
    case uxAnimationOut:
      return float(EaseOut(Kind, x, Duration));
    case uxAnimationInOut:
      return float(EaseInOut(Kind, x, Duration));
    case uxAnimationIn:
      break;
  }
  return float(EaseIn(Kind, x, Duration));
}
