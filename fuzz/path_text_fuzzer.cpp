// Path texts come from style sheets and layouts: whatever they hold, reading
// must end without a crash, a hang or a runaway allocation, and what the path
// writes back must read as the same figure.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "draw2d/PathData.h"
#include "scene2d/Errors.h"

namespace {

bool AllFinite(const TuiPathData& P) {
  for (const TuiPathPoint& p : P.Points())
    if (!std::isfinite(p.Point.X) || !std::isfinite(p.Point.Y)) return false;
  return true;
}

void Check(bool Condition) {
  if (!Condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string text(reinterpret_cast<const char*>(Data), Size);
  TuiPathData path;
  path.SetData(text);

  // Every entry comes from some part of the text; nothing multiplies it.
  Check(path.Points().size() <= 16 * (Size + 1));

  TuiPolygon polygon;
  TuiPoint size;
  const float flatness = Size > 0 ? float(Data[0]) / 64 : 0.25f;
  path.FlattenToPolygon(polygon, size, flatness);
  (void)path.Length(flatness);
  (void)path.FitToRect({0, 0, 100, 50});

  if (AllFinite(path)) {
    // Written text reads back as the same entries; after one rounding to the
    // written decimals the points are stable.
    TuiPathData once, twice;
    once.SetData(path.Data());
    Check(once.Count() == path.Count());
    for (int i = 0; i < path.Count(); ++i) Check(once.Points()[i].Kind == path.Points()[i].Kind);
    twice.SetData(once.Data());
    Check(twice.Points() == once.Points());
    // The binary form is exact.
    TuiPathData binary;
    binary.SetPathBinary(path.PathBinary());
    Check(binary.Points() == path.Points());
  }

  // The same bytes as a binary payload: read or refused, nothing else.
  TuiPathData raw;
  try {
    raw.SetPathBinary(TuiBinary{std::vector<uint8_t>(Data, Data + Size)});
    (void)raw.Data();
    raw.FlattenToPolygon(polygon, size);
  } catch (const EuxReadError&) {
  }
  return 0;
}
