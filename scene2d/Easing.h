#pragma once

#include <cstdint>

#include "scene2d/ClassInfo.h"

// The easing curves animations map their elapsed time through.

enum TuiInterpolationType : uint8_t {
  uxInterpolationLinear,
  uxInterpolationQuadratic,
  uxInterpolationCubic,
  uxInterpolationQuartic,
  uxInterpolationQuintic,
  uxInterpolationSinusoidal,
  uxInterpolationExponential,
  uxInterpolationCircular,
  uxInterpolationElastic,
  uxInterpolationBack,
  uxInterpolationBounce,
};
UX_ENUM(TuiInterpolationType, "uxInterpolationLinear", "uxInterpolationQuadratic", "uxInterpolationCubic",
        "uxInterpolationQuartic", "uxInterpolationQuintic", "uxInterpolationSinusoidal",
        "uxInterpolationExponential", "uxInterpolationCircular", "uxInterpolationElastic",
        "uxInterpolationBack", "uxInterpolationBounce")

// In accelerates away from the start, Out slows into the end, InOut does the
// first half In and the second half Out.
enum TuiAnimationType : uint8_t { uxAnimationIn, uxAnimationOut, uxAnimationInOut };
UX_ENUM(TuiAnimationType, "uxAnimationIn", "uxAnimationOut", "uxAnimationInOut")

// The eased fraction (0 at the start, 1 at the end) at Time of Duration
// seconds. Linear ignores Type. Back and Elastic overshoot outside [0, 1]. A
// Duration of 0 or less gives 0.
float uxEase(TuiInterpolationType Kind, TuiAnimationType Type, float Time, float Duration);
