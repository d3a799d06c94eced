#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "scene2d/Errors.h"

// The parent/child links of a tree of components, independent of ownership:
// the 2D tree (TuiObject) and the 3D tree use the same machinery, each adding
// its own steps through hooks. T is the node class deriving from TuiNode<T>.
//
// Costs: a child finds its slot through a cached index, so removing the last
// child, or the child just looked up, is O(1); freeing all children is one
// pass. Lists exist only once a child arrives.
template <class T>
class TuiNode {
 public:
  T* Parent() const { return FParent; }
  int ChildrenCount() const { return int(FChildren.size()); }
  T* Children(int Index) const {
    return Index >= 0 && Index < int(FChildren.size()) ? FChildren[size_t(Index)] : nullptr;
  }
  const std::vector<T*>& ChildList() const { return FChildren; }

  // The position among the parent's children, or -1 without a parent.
  int Index() const {
    if (!FParent) return -1;
    const auto& siblings = FParent->FChildren;
    const int n = int(siblings.size());
    // Removing an earlier sibling shifts this one down by one: try there too.
    if (FIndexCache >= 0 && FIndexCache < n && siblings[size_t(FIndexCache)] == Self()) return FIndexCache;
    if (FIndexCache > 0 && FIndexCache - 1 < n && siblings[size_t(FIndexCache - 1)] == Self())
      return --FIndexCache;
    for (int i = 0; i < n; ++i)
      if (siblings[size_t(i)] == Self()) return FIndexCache = i;
    return -1;
  }

  // True when Other is this node or lies above it.
  bool HasAncestor(const T* Other) const {
    for (const T* n = Self(); n; n = n->FParent)
      if (n == Other) return true;
    return false;
  }

  // Runs Action for each child in order, surviving children that leave or die
  // inside it (an animation that frees itself when it finishes): the next
  // child is whatever then follows the last one visited.
  template <class F>
  void ForEachChild(F&& Action) const {
    size_t i = 0;
    while (i < FChildren.size()) {
      T* c = FChildren[i];
      Action(c);
      if (i < FChildren.size() && FChildren[i] == c) ++i;
    }
  }
  template <class F>
  void ForEachChildReverse(F&& Action) const {
    size_t i = FChildren.size();
    while (i > 0) {
      --i;
      if (i >= FChildren.size()) {
        i = FChildren.size();
        continue;
      }
      Action(FChildren[i]);
    }
  }

 protected:
  TuiNode() = default;
  ~TuiNode() = default;

  // Links Child as the last child. Returns false when there is nothing to do;
  // raises for a child that is this node or one of its ancestors, which would
  // make the tree a cycle.
  void RefuseCycle(const T* Child) const {
    if (Child && HasAncestor(Child)) throw EuxError("An object cannot be added to its own subtree");
  }

  bool LinkChild(T* Child) {
    if (!Child) return false;
    RefuseCycle(Child);
    if (FChildren.capacity() == 0) FChildren.reserve(10);
    FChildren.push_back(Child);
    Child->FParent = Self();
    Child->FIndexCache = int(FChildren.size()) - 1;
    return true;
  }

  // Unlinks Child; false when it is not a child of this node.
  bool UnlinkChild(T* Child) {
    if (!Child || Child->FParent != Self()) return false;
    const int i = Child->Index();
    if (i < 0) return false;
    FChildren.erase(FChildren.begin() + i);
    Child->FParent = nullptr;
    Child->FIndexCache = -1;
    if (FChildren.empty()) std::vector<T*>().swap(FChildren);
    return true;
  }

  // Moves a child to a new position among its siblings.
  void MoveChild(T* Child, int NewIndex) {
    const int current = Child->Index();
    if (current < 0 || NewIndex == current) return;
    FChildren.erase(FChildren.begin() + current);
    FChildren.insert(FChildren.begin() + NewIndex, Child);
    for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->FIndexCache = int(i);
  }

  void SortChildList(const std::function<bool(T*, T*)>& Less) {
    std::stable_sort(FChildren.begin(), FChildren.end(), Less);
    for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->FIndexCache = int(i);
  }

  // Takes the whole list away in one step: the caller frees what it got, and
  // nothing it frees finds a parent to leave.
  std::vector<T*> TakeChildren() {
    std::vector<T*> taken;
    taken.swap(FChildren);
    for (T* c : taken) {
      c->FParent = nullptr;
      c->FIndexCache = -1;
    }
    return taken;
  }

  void SetParentLink(T* Value) { FParent = Value; }

 private:
  T* Self() { return static_cast<T*>(this); }
  const T* Self() const { return static_cast<const T*>(this); }

  T* FParent = nullptr;
  std::vector<T*> FChildren;
  mutable int FIndexCache = -1;
};
