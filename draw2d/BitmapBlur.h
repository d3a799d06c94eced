#pragma once

#include <cstdint>

class TuiBitmap;

// Blurs all four channels of the bitmap's premultiplied pixels with a
// triangular kernel of width 2 Radius + 1 (weights Radius + 1 - |k|), first
// along the rows, then along the columns; pixels beyond an edge repeat the
// edge pixel, and each sum is divided down with truncation. The kernel is
// slid along each line by running sums, so the cost per pixel does not grow
// with the radius. A radius of 0 or less does nothing; radii above MaxBlurRadius
// are taken as MaxBlurRadius, where the division stays exact. OnChange.
void StackBlur(TuiBitmap& Bitmap, int32_t Radius);

constexpr int32_t MaxBlurRadius = 1000;
