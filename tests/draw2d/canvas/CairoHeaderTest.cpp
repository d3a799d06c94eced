// Users of the Cairo canvas see none of Cairo's headers.
#include "draw2d/cairo/CanvasCairo.h"

#ifdef CAIRO_H
#error "draw2d/cairo/CanvasCairo.h includes <cairo.h>"
#endif

#include <gtest/gtest.h>

TEST(CairoCanvasHeader, RegistersAndDrawsWithoutCairoHeaders) {
  RegisterCairoCanvas();
  ASSERT_NE(TuiCanvas::DefaultCanvasClass(), nullptr);
  TuiCanvasCairo canvas(3, 3);
  canvas.Clear(0);
  canvas.Fill()->SetColorValue(0xFF00FF00);
  canvas.FillRect({1, 1, 2, 2}, 0, 0, AllCorners, 1);
  EXPECT_EQ(canvas.BufferBits()[4], 0xFF00FF00u);
  EXPECT_EQ(canvas.BufferBits()[0], 0u);
}
