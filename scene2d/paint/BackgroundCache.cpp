#include "scene2d/paint/BackgroundCache.h"

#include <algorithm>
#include <cmath>

#include "draw2d/Canvas.h"
#include "draw2d/Shape.h"
#include "scene2d/Scene.h"
#include "scene2d/VisualObject.h"
#include "scene2d/paint/Painter.h"

TuiBackgroundCache::~TuiBackgroundCache() {
  for (TEntry& e : FEntries) e.Object->RemoveFreeNotify(this);
}

TuiRect TuiBackgroundCache::PixelRect(const TuiRect& Rect) {
  return {std::trunc(Rect.Left), std::trunc(Rect.Top), std::trunc(Rect.Right) + 1,
          std::trunc(Rect.Bottom) + 1};
}

TuiBackgroundCache::TEntry* TuiBackgroundCache::Find(const TuiVisualObject& Object) {
  for (TEntry& e : FEntries)
    if (e.Object == &Object) return &e;
  return nullptr;
}

bool TuiBackgroundCache::Holds(const TuiVisualObject& Object) const {
  return std::any_of(FEntries.begin(), FEntries.end(),
                     [&Object](const TEntry& E) { return E.Object == &Object && E.Held; });
}

void TuiBackgroundCache::Watch(TuiVisualObject& Object) {
  // Only a shape can be painted alone; anything else is not worth a slot.
  if (!dynamic_cast<TuiShape*>(&Object)) return;
  if (FEntries.size() >= MaxObjects) {
    auto oldest = std::min_element(FEntries.begin(), FEntries.end(),
                                   [](const TEntry& A, const TEntry& B) { return A.Used < B.Used; });
    oldest->Object->RemoveFreeNotify(this);
    FEntries.erase(oldest);
  }
  Object.AddFreeNotify(this);
  FEntries.push_back({&Object, {}, {}, {}, false, ++FClock});
}

void TuiBackgroundCache::Dirtied(const TuiRect& Rect, TuiVisualObject* Source) {
  for (TEntry& e : FEntries)
    if (e.Held && e.Object != Source && RectsIntersect(e.Rect, Rect)) e.Held = false;
  if (Source && !Find(*Source)) Watch(*Source);
}

void TuiBackgroundCache::Clear() {
  for (TEntry& e : FEntries) e.Held = false;
}

void TuiBackgroundCache::ObjectPainting(TuiVisualObject& Object, TuiCanvas& Canvas) {
  TEntry* e = Find(Object);
  if (!e) return;
  const TuiRect r = PixelRect(Object.UpdateRect());
  const TuiMatrix m = Object.GetAbsoluteMatrix();
  e->Used = ++FClock;
  if (e->Held && e->Rect == r && e->Matrix == m) return;
  e->Held = false;
  const int32_t left = int32_t(r.Left), top = int32_t(r.Top), right = int32_t(r.Right),
                bottom = int32_t(r.Bottom);
  if (left < 0 || top < 0 || right > Canvas.Width() || bottom > Canvas.Height() || left >= right ||
      top >= bottom || int64_t(right - left) * (bottom - top) > MaxPixels || !Canvas.BufferBits())
    return;
  // Only where the whole area has been painted over in this pass are its
  // pixels what lies under the object.
  bool covered = false;
  for (int i = 0; i < FHost.GetUpdateRectsCount() && !covered; ++i) {
    const TuiRect d = FHost.GetUpdateRect(i);
    covered = d.Left <= r.Left && d.Top <= r.Top && d.Right >= r.Right && d.Bottom >= r.Bottom;
  }
  if (!covered) return;
  if (!TuiPainter::PaintsAloneOnTop(FHost, Object, r)) return;
  e->Pixels.resize(size_t(right - left) * size_t(bottom - top));
  Canvas.ReadBufferRect(left, top, right, bottom, e->Pixels.data());
  e->Rect = r;
  e->Matrix = m;
  e->Held = true;
}

bool TuiBackgroundCache::Restore(TuiVisualObject& Object, const TuiRect& Rect, TuiCanvas& Canvas) {
  TEntry* e = Find(Object);
  if (!e || !e->Held || e->Rect != Rect || PixelRect(Object.UpdateRect()) != Rect ||
      e->Matrix != Object.GetAbsoluteMatrix() || !TuiPainter::PaintsAloneOnTop(FHost, Object, Rect))
    return false;
  // The canvas may have been resized without a word to the cache.
  if (Rect.Right > float(Canvas.Width()) || Rect.Bottom > float(Canvas.Height())) return false;
  e->Used = ++FClock;
  Canvas.WriteBufferRect(int32_t(Rect.Left), int32_t(Rect.Top), int32_t(Rect.Right), int32_t(Rect.Bottom),
                         e->Pixels.data());
  return true;
}

void TuiBackgroundCache::FreeNotify(TuiObject* Dying) {
  std::erase_if(FEntries, [Dying](const TEntry& E) { return E.Object == Dying; });
}
