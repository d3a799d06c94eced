#pragma once

// Makes the Cairo canvas (draw2d/cairo/CanvasCairo.h) the default canvas
// class unless another was registered first, and so the maker of bitmaps'
// canvases. The program calls it once at start-up; it needs no Cairo header.
void RegisterCairoCanvas();
