#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "draw2d/Gradient.h"
#include "draw2d/Paint.h"
#include "draw2d/PathData.h"

// Shapes already drawn, kept in device pixels. The windows draw the same
// rounded rectangles and circles every frame, mostly under matrices that only
// move them by whole pixels; filling a path with a gradient costs Cairo a
// rasterisation and a general composite each time, while putting a kept
// picture back is one plain composite. A solid shape is kept as its coverage,
// so that a new colour (an LED lighting up) needs no new entry; a gradient
// shape is kept in its colours.
//
// An entry depends only on the shape, the pen, the paint and the matrix's
// scale and fractional translation. Every shape the cache can hold is drawn
// through it, also the first time and again after its entry was dropped, so
// the same call always gives the same pixels.
class TuiCairoShapeCache {
 public:
  enum TShape : uint8_t { csFillRect, csDrawRect, csFillEllipse, csDrawEllipse };

  struct TKey {
    TShape Shape = csFillRect;
    TuiCornerType CornerType = uxCornerRound;
    TuiPaintKind PaintKind = uxPaintSolid;
    TuiPaintExtend Extend = uxExtendNone;
    TuiCorners Corners = 0;
    float Rect[4] = {};
    float Radius[2] = {};
    // The matrix's scale and the fraction of its translation below whole
    // pixels.
    double Scale[2] = {};
    double Phase[2] = {};
    // Strokes: the pen.
    double LineWidth = 0;
    uint8_t Cap = 0, Join = 0;
    // Gradients: where the stops lie in user space.
    float Ends[4] = {};
    float BrushToUser[6] = {};
    std::vector<TuiGradientStop> Stops;

    friend bool operator==(const TKey&, const TKey&) = default;
  };
  struct TKeyHash {
    size_t operator()(const TKey& K) const;
  };

  // A kept shape: its picture (coverage in A8, or colours in ARGB32) with its
  // top left corner at (Left, Top) from the whole-pixel part of the matrix's
  // translation.
  struct TEntry {
    cairo_pattern_t* Pattern = nullptr;
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  };

  // Budget of one canvas's cache.
  static constexpr size_t MaxBytes = size_t(4) << 20;
  static constexpr size_t MaxEntries = 256;
  // Larger shapes are drawn directly.
  static constexpr int64_t MaxPixels = int64_t(1) << 18;
  static constexpr int64_t MaxOutlinePixels = int64_t(1) << 14;

  TuiCairoShapeCache() = default;
  TuiCairoShapeCache(const TuiCairoShapeCache&) = delete;
  TuiCairoShapeCache& operator=(const TuiCairoShapeCache&) = delete;
  ~TuiCairoShapeCache();

  // The entry for Key, most recently used from now on; none when there is
  // none yet.
  const TEntry* Find(const TKey& Key);
  // Keeps Entry for Key (taking over its pattern), dropping the least
  // recently used entries beyond the budget.
  const TEntry* Add(const TKey& Key, TEntry Entry);

  size_t Count() const { return FMap.size(); }
  size_t Bytes() const { return FBytes; }

 private:
  using TList = std::list<std::pair<TKey, TEntry>>;
  static size_t EntryBytes(const TEntry& E);
  void Drop(TList::iterator It);

  TList FList;  // most recently used first
  struct TPtrHash {
    size_t operator()(const TKey* K) const { return TKeyHash()(*K); }
  };
  struct TPtrEqual {
    bool operator()(const TKey* A, const TKey* B) const { return *A == *B; }
  };
  std::unordered_map<const TKey*, TList::iterator, TPtrHash, TPtrEqual> FMap;
  size_t FBytes = 0;
};
