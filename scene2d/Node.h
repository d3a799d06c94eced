#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "scene2d/Errors.h"

// The parent/child links of a tree of components, independent of ownership:
// the 2D tree (TuiObject) and the 3D tree use the same machinery, each adding
// its own steps through hooks. T is the node class deriving from TuiNode<T>.
//
// Costs: every child knows its slot, and a removed child leaves a hole that is
// swept out once holes make up half the list (or when the order is next
// asked for), so removing children in any order, and freeing all of them, is
// linear overall. Lists exist only once a child arrives.
template <class T>
class TuiNode {
 public:
  T* Parent() const { return FParent; }
  int ChildrenCount() const {
    Sweep();
    return int(FChildren.size());
  }
  T* Children(int Index) const {
    Sweep();
    return Index >= 0 && Index < int(FChildren.size()) ? FChildren[size_t(Index)] : nullptr;
  }
  const std::vector<T*>& ChildList() const {
    Sweep();
    return FChildren;
  }

  // The position among the parent's children, or -1 without a parent.
  int Index() const {
    if (!FParent) return -1;
    FParent->Sweep();
    return FSlot;
  }

  // Moves on whenever the children change places or the list is taken away;
  // a walk compares it to learn that the order it read is gone.
  uint64_t ChildrenGeneration() const { return FGeneration; }

  // True when Other is this node or lies above it.
  bool HasAncestor(const T* Other) const {
    for (const T* n = Self(); n; n = n->FParent)
      if (n == Other) return true;
    return false;
  }

  // Runs Action for each child in order, surviving children that leave, die
  // or move inside it (an animation that frees itself when it finishes): when
  // the order changes under the walk, it goes on with the children it has not
  // visited yet.
  template <class F>
  void ForEachChild(F&& Action) const {
    Walk(std::forward<F>(Action), false);
  }
  template <class F>
  void ForEachChildReverse(F&& Action) const {
    Walk(std::forward<F>(Action), true);
  }

 protected:
  TuiNode() = default;
  ~TuiNode() = default;

  void RefuseCycle(const T* Child) const {
    if (Child && HasAncestor(Child)) throw EuxError("An object cannot be added to its own subtree");
  }

  // Links Child as the last child; raises for a child that is this node or
  // one of its ancestors, which would make the tree a cycle.
  bool LinkChild(T* Child) {
    if (!Child) return false;
    RefuseCycle(Child);
    if (FChildren.capacity() == 0) FChildren.reserve(10);
    Child->FParent = Self();
    Child->FSlot = int(FChildren.size());
    FChildren.push_back(Child);
    return true;
  }

  // Unlinks Child; false when it is not a child of this node.
  bool UnlinkChild(T* Child) {
    if (!Child || Child->FParent != Self()) return false;
    FChildren[size_t(Child->FSlot)] = nullptr;
    ++FHoles;
    Child->FParent = nullptr;
    Child->FSlot = -1;
    if (FHoles == FChildren.size()) {
      std::vector<T*>().swap(FChildren);
      FHoles = 0;
      ++FGeneration;
    } else if (FHoles * 2 > FChildren.size()) {
      Sweep();
    }
    return true;
  }

  // Moves a child to a new position among its siblings.
  void MoveChild(T* Child, int NewIndex) {
    Sweep();
    const int current = Child->FSlot;
    if (Child->FParent != Self() || NewIndex == current) return;
    FChildren.erase(FChildren.begin() + current);
    FChildren.insert(FChildren.begin() + NewIndex, Child);
    Renumber();
  }

  void SortChildList(const std::function<bool(T*, T*)>& Less) {
    Sweep();
    std::stable_sort(FChildren.begin(), FChildren.end(), Less);
    Renumber();
  }

  // Takes the whole list away in one step: the caller frees what it got, and
  // nothing it frees finds a parent to leave.
  std::vector<T*> TakeChildren() {
    Sweep();
    std::vector<T*> taken;
    taken.swap(FChildren);
    for (T* c : taken) {
      c->FParent = nullptr;
      c->FSlot = -1;
    }
    ++FGeneration;
    return taken;
  }

 private:
  T* Self() { return static_cast<T*>(this); }
  const T* Self() const { return static_cast<const T*>(this); }

  void Sweep() const {
    if (FHoles == 0) return;
    std::erase(FChildren, nullptr);
    FHoles = 0;
    Renumber();
  }
  void Renumber() const {
    for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->FSlot = int(i);
    ++FGeneration;
  }
  template <class F>
  void Walk(F&& Action, bool Reverse) const {
    Sweep();
    const uint64_t start = FGeneration;
    uint64_t seen = start;
    // Pointers only: a visited child may be gone, and is never looked into.
    std::vector<const T*> visited;
    size_t n = 0;
    while (n < FChildren.size()) {
      const size_t i = Reverse ? FChildren.size() - 1 - n : n;
      T* c = FChildren[i];
      ++n;
      if (!c) continue;
      if (seen != start && std::find(visited.begin(), visited.end(), c) != visited.end()) continue;
      visited.push_back(c);
      Action(c);
      if (FGeneration != seen) {
        seen = FGeneration;
        n = 0;
      }
    }
  }

  T* FParent = nullptr;
  mutable std::vector<T*> FChildren;  // holes are none
  mutable size_t FHoles = 0;
  mutable int FSlot = -1;            // this node's place in its parent's list
  mutable uint64_t FGeneration = 0;  // moves on whenever the children change places
};
