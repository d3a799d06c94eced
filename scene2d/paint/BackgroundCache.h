#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene2d/Geometry.h"
#include "scene2d/Object.h"

class TuiCanvas;
class TuiSceneHost;
class TuiVisualObject;

// The pixels under shapes that repaint themselves alone, kept by a host for
// its canvas: a shape's next repaint puts them back and paints the shape
// over them instead of painting everything under it again. It is made for a
// light that changes colour over a large picture.
//
// A shape becomes a candidate when it asks for its own repaint; the pass
// then keeps what lies under it the next time it paints it with its whole
// area dirty, alone on top there (TuiPainter::PaintsAloneOnTop). Any other
// repaint request that touches that area, or a change of the whole canvas,
// drops the pixels; the object's own requests do not, since they leave what
// lies under it as it was.
class TuiBackgroundCache : private IuxFreeNotify {
 public:
  explicit TuiBackgroundCache(TuiSceneHost& Host) : FHost(Host) {}
  ~TuiBackgroundCache() override;
  TuiBackgroundCache(const TuiBackgroundCache&) = delete;
  TuiBackgroundCache& operator=(const TuiBackgroundCache&) = delete;

  // Rect (whole pixels) becomes dirty for a change of Source alone, or of
  // anything when Source is none.
  void Dirtied(const TuiRect& Rect, TuiVisualObject* Source);
  // Everything in the canvas changes.
  void Clear();
  // The host's pass is about to paint Object, everything before it being
  // painted in the host's dirty rectangles.
  void ObjectPainting(TuiVisualObject& Object, TuiCanvas& Canvas);
  // Puts back what lies under Object when it is kept for Rect, Object's
  // place now, and Object is still alone on top there; false otherwise.
  bool Restore(TuiVisualObject& Object, const TuiRect& Rect, TuiCanvas& Canvas);

  // Whether pixels are kept for Object.
  bool Holds(const TuiVisualObject& Object) const;

  // Shapes watched at once, the least recently used going first, and the
  // largest area kept: a whole panel repainting itself is cheaper to paint.
  static constexpr size_t MaxObjects = 16;
  static constexpr int64_t MaxPixels = 128 * 128;

  // Object's place in whole pixels, as hosts keep dirty rectangles.
  static TuiRect PixelRect(const TuiRect& Rect);

 private:
  struct TEntry {
    TuiVisualObject* Object = nullptr;
    TuiRect Rect{};
    TuiMatrix Matrix{};
    std::vector<uint32_t> Pixels;
    bool Held = false;
    uint64_t Used = 0;
  };
  void FreeNotify(TuiObject* Dying) override;
  TEntry* Find(const TuiVisualObject& Object);
  void Watch(TuiVisualObject& Object);

  TuiSceneHost& FHost;
  std::vector<TEntry> FEntries;
  uint64_t FClock = 0;
};
