#pragma once

#include "draw2d/Bitmap.h"

// The pictures of the HUD style sheet, made pixel by pixel: both are small
// enough that every pixel is part of the look.

// The soft shadow behind a HUD window, 101 x 78: black, only alpha varies. The
// inner rectangle (columns 8 to 90, rows 12 to 65) is clear; the shadow is
// stronger to the right and below, and its corners follow rounded contours.
void uxMakeHudShadow(TuiBitmap& Bitmap);

// The HUD size grip, 15 x 15: three dark diagonals rising to the right, each
// dark pixel left of column 11 with a grey one at its right.
void uxMakeHudSizeGrip(TuiBitmap& Bitmap);
