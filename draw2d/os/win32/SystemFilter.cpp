#include "draw2d/SystemFilter.h"

#include "draw2d/ImageFilter.h"
#include "draw2d/gdiplus/ImageFilterGdiPlus.h"

std::string uxRegisterSystemFilter(TuiFilterRegistry& Registry) {
  Registry.Register("TuiFilterGdiPlus", [] { return std::make_unique<TuiFilterGdiPlus>(); });
  return "TuiFilterGdiPlus";
}
