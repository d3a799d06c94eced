#include "draw2d/cairo/ShapeCacheCairo.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

template <typename T>
void Mix(size_t& H, const T& Value) {
  // Bytes of plain values; a float's -0 and 0 hash apart, which only costs
  // an entry.
  size_t v = 0;
  std::memcpy(&v, &Value, std::min(sizeof(v), sizeof(Value)));
  if constexpr (sizeof(Value) > sizeof(v)) {
    size_t rest = 0;
    std::memcpy(&rest, reinterpret_cast<const char*>(&Value) + sizeof(v), sizeof(Value) - sizeof(v));
    v ^= rest * 0x9E3779B97F4A7C15ull;
  }
  H ^= std::hash<size_t>()(v) + 0x9E3779B97F4A7C15ull + (H << 6) + (H >> 2);
}

}  // namespace

size_t TuiCairoShapeCache::TKeyHash::operator()(const TKey& K) const {
  size_t h = 0;
  Mix(h, uint32_t(K.Shape) | uint32_t(K.CornerType) << 8 | uint32_t(K.PaintKind) << 16 |
             uint32_t(K.Extend) << 24);
  Mix(h, K.Corners);
  for (float f : K.Rect) Mix(h, f);
  for (float f : K.Radius) Mix(h, f);
  for (double d : K.Scale) Mix(h, d);
  for (double d : K.Phase) Mix(h, d);
  Mix(h, K.LineWidth);
  Mix(h, uint32_t(K.Cap) | uint32_t(K.Join) << 8);
  for (float f : K.Ends) Mix(h, f);
  for (float f : K.BrushToUser) Mix(h, f);
  for (const TuiGradientStop& s : K.Stops) {
    Mix(h, s.Offset);
    Mix(h, s.Color);
  }
  return h;
}

TuiCairoShapeCache::~TuiCairoShapeCache() {
  for (auto& [key, entry] : FList) cairo_pattern_destroy(entry.Pattern);
}

size_t TuiCairoShapeCache::EntryBytes(const TEntry& E) {
  cairo_surface_t* s = nullptr;
  cairo_pattern_get_surface(E.Pattern, &s);
  return size_t(E.Height) * size_t(s ? cairo_image_surface_get_stride(s) : 0) + sizeof(TKey) + 64;
}

const TuiCairoShapeCache::TEntry* TuiCairoShapeCache::Find(const TKey& Key) {
  const auto it = FMap.find(&Key);
  if (it == FMap.end()) return nullptr;
  if (it->second != FList.begin()) FList.splice(FList.begin(), FList, it->second);
  return &it->second->second;
}

void TuiCairoShapeCache::Drop(TList::iterator It) {
  FMap.erase(&It->first);
  FBytes -= EntryBytes(It->second);
  cairo_pattern_destroy(It->second.Pattern);
  FList.erase(It);
}

const TuiCairoShapeCache::TEntry* TuiCairoShapeCache::Add(const TKey& Key, TEntry Entry) {
  if (const auto old = FMap.find(&Key); old != FMap.end()) Drop(old->second);
  const size_t bytes = EntryBytes(Entry);
  while (!FList.empty() && (FBytes + bytes > MaxBytes || FList.size() >= MaxEntries))
    Drop(std::prev(FList.end()));
  FList.emplace_front(Key, Entry);
  FMap.emplace(&FList.front().first, FList.begin());
  FBytes += bytes;
  return &FList.front().second;
}
