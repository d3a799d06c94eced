#include "draw2d/SystemFilter.h"

#include "draw2d/ImageFilter.h"
#include "draw2d/ImageFilterPngJpeg.h"

std::string uxRegisterSystemFilter(TuiFilterRegistry& Registry) {
  Registry.Register("TuiFilterPngJpeg", [] { return std::make_unique<TuiFilterPngJpeg>(); });
  return "TuiFilterPngJpeg";
}
