#pragma once

#include <cstdint>
#include <vector>

#include "scene2d/Geometry.h"

class TuiVisualObject;

// Where the visual children of one parent paint, so that a repaint of a small
// area visits the few children it touches instead of all of them.
//
// The index keeps a copy of each child's update rectangle, made when the paint
// pass computed it, in a uniform grid over the area the children covered
// when the grid was built. Whatever marks a child's update rectangle stale
// marks its entry stale (MarkStale), and whatever marks all of them stale
// (the parent's subtree) throws the copies away (MarkAllStale); a stale entry
// is a candidate for every repaint until the paint pass records it again. So
// a fresh entry holds exactly what the child's cached UpdateRect returns.
// Children that must be visited whatever their place (effects paint outside
// the dirty area, rectangles the grid cannot hold) are kept aside and are
// always candidates too.
class TuiChildIndex {
 public:
  // Parents with fewer children walk them all: the index would cost more.
  static constexpr int MinChildren = 48;

  TuiChildIndex() = default;
  TuiChildIndex(const TuiChildIndex&) = delete;
  TuiChildIndex& operator=(const TuiChildIndex&) = delete;

  // Child's update rectangle may have changed; it gets an entry if it has none.
  void MarkStale(TuiVisualObject* Child);
  // Every child's may have; the next paint walks all children.
  void MarkAllStale();
  bool AllStale() const { return FAllStale; }
  // Child left the parent.
  void Remove(TuiVisualObject* Child);

  // Starts over from the parent's current children, all stale.
  void Reset(const std::vector<TuiVisualObject*>& Children);
  // The paint pass computed R for Child; Always when the child must be
  // visited wherever it lies. Nothing for an entry that is fresh already.
  void Record(TuiVisualObject* Child, const TuiRect& R, bool Always);
  bool IsFresh(const TuiVisualObject* Child) const;
  // Puts the fresh entries not yet placed into a new grid, when there are
  // any or too many lie outside the grid's area.
  void Settle();

  // Appends to Out the children that may touch one of Dirty: fresh entries
  // whose rectangle intersects one, stale entries and the ones kept aside.
  // Each once, in no particular order.
  void Candidates(const std::vector<TuiRect>& Dirty, std::vector<TuiVisualObject*>& Out);

  // Moves on with every change that can make a child a candidate.
  uint64_t Version() const { return FVersion; }

 private:
  enum TState : uint8_t { esFree, esStale, esFresh };
  struct TEntry {
    TuiVisualObject* Child = nullptr;
    TuiRect Rect;
    int32_t X0 = 0, Y0 = 0, X1 = -1, Y1 = -1;  // cells it is in; none when X1 < X0
    TState State = esFree;
    bool Aside = false;
    uint32_t Stamp = 0;
  };

  int32_t EntryOf(const TuiVisualObject* Child) const;
  int32_t NewEntry(TuiVisualObject* Child);
  void Unplace(int32_t Id);
  void Place(int32_t Id);
  void CellRange(const TuiRect& R, int32_t& X0, int32_t& Y0, int32_t& X1, int32_t& Y1) const;
  void Build();

  std::vector<TEntry> FEntries;
  std::vector<int32_t> FFreeIds;
  std::vector<int32_t> FStale;  // may hold ids that are fresh again or freed
  std::vector<int32_t> FAside;
  // The grid: GX x GY cells of CellW x CellH from (X0, Y0); cells at the
  // border also take what lies beyond it.
  std::vector<std::vector<int32_t>> FCells;
  float FX0 = 0, FY0 = 0, FCellW = 1, FCellH = 1;
  int32_t FGX = 0, FGY = 0;
  bool FGridValid = false;
  size_t FUnplaced = 0;   // fresh entries waiting for the next grid
  size_t FOutside = 0;    // placed entries reaching past the grid's area
  size_t FBuiltWith = 0;  // entries placed when the grid was built
  bool FAllStale = true;
  uint32_t FStamp = 0;
  uint64_t FVersion = 0;
};
