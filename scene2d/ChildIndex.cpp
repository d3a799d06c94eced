#include "scene2d/ChildIndex.h"

#include <algorithm>
#include <cmath>

#include "scene2d/VisualObject.h"

namespace {

// An entry spanning more cells than this is kept aside: a backdrop covering
// the whole parent would otherwise sit in every cell.
constexpr int64_t MaxCellsPerEntry = 64;
constexpr int32_t MaxCellsPerSide = 1024;

bool IsFinite(const TuiRect& R) {
  return std::isfinite(R.Left) && std::isfinite(R.Top) && std::isfinite(R.Right) && std::isfinite(R.Bottom);
}

void EraseId(std::vector<int32_t>& List, int32_t Id) {
  auto it = std::find(List.begin(), List.end(), Id);
  if (it == List.end()) return;
  *it = List.back();
  List.pop_back();
}

}  // namespace

int32_t TuiChildIndex::EntryOf(const TuiVisualObject* Child) const {
  const int32_t id = Child->FIndexEntry;
  if (id < 0 || size_t(id) >= FEntries.size()) return -1;
  const TEntry& e = FEntries[size_t(id)];
  return e.State != esFree && e.Child == Child ? id : -1;
}

int32_t TuiChildIndex::NewEntry(TuiVisualObject* Child) {
  int32_t id;
  if (!FFreeIds.empty()) {
    id = FFreeIds.back();
    FFreeIds.pop_back();
  } else {
    id = int32_t(FEntries.size());
    FEntries.emplace_back();
  }
  TEntry& e = FEntries[size_t(id)];
  e = TEntry{};
  e.Child = Child;
  e.State = esStale;
  Child->FIndexEntry = id;
  FStale.push_back(id);
  return id;
}

void TuiChildIndex::MarkStale(TuiVisualObject* Child) {
  if (FAllStale) return;
  const int32_t id = EntryOf(Child);
  if (id < 0) {
    NewEntry(Child);
    ++FVersion;
    return;
  }
  TEntry& e = FEntries[size_t(id)];
  if (e.State != esFresh) return;
  Unplace(id);
  e.State = esStale;
  FStale.push_back(id);
  ++FVersion;
}

void TuiChildIndex::MarkAllStale() {
  FAllStale = true;
  ++FVersion;
}

void TuiChildIndex::Remove(TuiVisualObject* Child) {
  const int32_t id = EntryOf(Child);
  Child->FIndexEntry = -1;
  ++FVersion;
  if (id < 0) return;
  Unplace(id);
  TEntry& e = FEntries[size_t(id)];
  e.State = esFree;
  e.Child = nullptr;
  FFreeIds.push_back(id);
}

void TuiChildIndex::Reset(const std::vector<TuiVisualObject*>& Children) {
  FEntries.clear();
  FFreeIds.clear();
  FStale.clear();
  FAside.clear();
  FCells.clear();
  FGridValid = false;
  FUnplaced = FOutside = FBuiltWith = 0;
  FAllStale = false;
  ++FVersion;
  FEntries.reserve(Children.size());
  for (TuiVisualObject* c : Children) NewEntry(c);
}

bool TuiChildIndex::IsFresh(const TuiVisualObject* Child) const {
  if (FAllStale) return false;
  const int32_t id = EntryOf(Child);
  return id >= 0 && FEntries[size_t(id)].State == esFresh;
}

void TuiChildIndex::Record(TuiVisualObject* Child, const TuiRect& R, bool Always) {
  if (FAllStale) return;
  int32_t id = EntryOf(Child);
  if (id < 0) id = NewEntry(Child);
  TEntry& e = FEntries[size_t(id)];
  if (e.State == esFresh) return;
  e.State = esFresh;
  e.Rect = R;
  e.X1 = -1;
  if (Always || !IsFinite(R)) {
    e.Aside = true;
    FAside.push_back(id);
  } else if (FGridValid) {
    Place(id);
  } else {
    ++FUnplaced;
  }
}

void TuiChildIndex::CellRange(const TuiRect& R, int32_t& X0, int32_t& Y0, int32_t& X1, int32_t& Y1) const {
  auto cell = [](float V, float Origin, float Size, int32_t Count) {
    const double c = std::floor((double(V) - Origin) / Size);
    if (!(c > 0)) return 0;  // also NaN
    return c >= Count - 1 ? Count - 1 : int32_t(c);
  };
  X0 = cell(R.Left, FX0, FCellW, FGX);
  X1 = cell(R.Right, FX0, FCellW, FGX);
  Y0 = cell(R.Top, FY0, FCellH, FGY);
  Y1 = cell(R.Bottom, FY0, FCellH, FGY);
  if (std::isnan(R.Right)) X1 = FGX - 1;
  if (std::isnan(R.Bottom)) Y1 = FGY - 1;
}

void TuiChildIndex::Place(int32_t Id) {
  TEntry& e = FEntries[size_t(Id)];
  int32_t x0, y0, x1, y1;
  CellRange(e.Rect, x0, y0, x1, y1);
  if (int64_t(x1 - x0 + 1) * int64_t(y1 - y0 + 1) > MaxCellsPerEntry) {
    e.Aside = true;
    FAside.push_back(Id);
    return;
  }
  e.X0 = x0;
  e.Y0 = y0;
  e.X1 = x1;
  e.Y1 = y1;
  for (int32_t y = y0; y <= y1; ++y)
    for (int32_t x = x0; x <= x1; ++x) FCells[size_t(y) * size_t(FGX) + size_t(x)].push_back(Id);
  const float right = FX0 + FCellW * float(FGX), bottom = FY0 + FCellH * float(FGY);
  if (e.Rect.Left < FX0 || e.Rect.Top < FY0 || e.Rect.Right > right || e.Rect.Bottom > bottom) ++FOutside;
}

void TuiChildIndex::Unplace(int32_t Id) {
  TEntry& e = FEntries[size_t(Id)];
  if (e.State != esFresh) return;
  if (e.Aside) {
    EraseId(FAside, Id);
    e.Aside = false;
    return;
  }
  if (e.X1 < e.X0) {
    --FUnplaced;
    return;
  }
  for (int32_t y = e.Y0; y <= e.Y1; ++y)
    for (int32_t x = e.X0; x <= e.X1; ++x) EraseId(FCells[size_t(y) * size_t(FGX) + size_t(x)], Id);
  const float right = FX0 + FCellW * float(FGX), bottom = FY0 + FCellH * float(FGY);
  if (e.Rect.Left < FX0 || e.Rect.Top < FY0 || e.Rect.Right > right || e.Rect.Bottom > bottom) --FOutside;
  e.X1 = e.X0 - 1;
}

void TuiChildIndex::Settle() {
  if (FAllStale) return;
  const size_t placed = FEntries.size() - FFreeIds.size();
  if (!FGridValid || FUnplaced > 0 || FOutside * 4 > placed + 16 || placed > 4 * FBuiltWith + 64) Build();
}

void TuiChildIndex::Build() {
  std::vector<int32_t> ids;
  TuiRect area{0, 0, 0, 0};
  for (size_t i = 0; i < FEntries.size(); ++i) {
    TEntry& e = FEntries[i];
    if (e.State != esFresh || e.Aside) continue;
    area = ids.empty() ? e.Rect : UnionRect(area, e.Rect);
    ids.push_back(int32_t(i));
  }
  // About two entries a cell, in cells as square as the area allows.
  const double w = std::max(double(area.Width()), 1e-3), h = std::max(double(area.Height()), 1e-3);
  const double side = std::sqrt(w * h * 2 / double(std::max<size_t>(ids.size(), 1)));
  FGX = int32_t(std::clamp(std::ceil(w / side), 1.0, double(MaxCellsPerSide)));
  FGY = int32_t(std::clamp(std::ceil(h / side), 1.0, double(MaxCellsPerSide)));
  FX0 = area.Left;
  FY0 = area.Top;
  FCellW = float(w / FGX);
  FCellH = float(h / FGY);
  FCells.assign(size_t(FGX) * size_t(FGY), {});
  FGridValid = true;
  FUnplaced = FOutside = 0;
  for (int32_t id : ids) Place(id);
  FBuiltWith = ids.size();
}

void TuiChildIndex::Candidates(const std::vector<TuiRect>& Dirty, std::vector<TuiVisualObject*>& Out) {
  if (++FStamp == 0) {
    for (TEntry& e : FEntries) e.Stamp = 0;
    FStamp = 1;
  }
  auto take = [&](TEntry& E) {
    if (E.Stamp == FStamp) return;
    E.Stamp = FStamp;
    Out.push_back(E.Child);
  };
  if (FGridValid)
    for (const TuiRect& d : Dirty) {
      int32_t x0, y0, x1, y1;
      CellRange(d, x0, y0, x1, y1);
      for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x)
          for (int32_t id : FCells[size_t(y) * size_t(FGX) + size_t(x)]) {
            TEntry& e = FEntries[size_t(id)];
            if (e.Stamp != FStamp && RectsIntersect(e.Rect, d)) take(e);
          }
    }
  std::erase_if(FStale, [this](int32_t Id) { return FEntries[size_t(Id)].State != esStale; });
  for (int32_t id : FStale) take(FEntries[size_t(id)]);
  for (int32_t id : FAside) take(FEntries[size_t(id)]);
}
