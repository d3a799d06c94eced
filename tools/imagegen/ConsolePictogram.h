#pragma once

#include "draw2d/Bitmap.h"
#include "scene2d/Geometry.h"

// The console's picture: white line art on black, square, drawn with the Cairo
// canvas. The console shows it fitted into its 264 x 247 picture object, so
// the symbols are placed in those coordinates and scaled onto the pixels: a
// bar under the row of green LEDs, a power symbol over the round button, a
// petrol pump beside the yellow LED and a gas cylinder beside the red one.
struct TuiConsolePictogram {
  static constexpr int Size = 1094;
  // The picture object it is fitted into, and where the fitted square lies.
  static constexpr float ViewWidth = 264, ViewHeight = 247;
  static constexpr float ViewLeft = (ViewWidth - ViewHeight) / 2;

  // A point of the picture object as a pixel of the image.
  static TuiPoint ToPixel(TuiPoint ViewPoint);

  static void Draw(TuiBitmap& Bitmap);
};
