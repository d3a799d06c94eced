#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "scene2d/Persistent.h"

class TuiCollection;

// One item of a collection: a persistent object whose published properties a
// stream writes between "item" and "end".
class TuiCollectionItem : public TuiPersistent {
  UX_CLASS(TuiCollectionItem, TuiPersistent)
 public:
  explicit TuiCollectionItem(TuiCollection* Collection) : FCollection(Collection) {}
  TuiCollection* Collection() const { return FCollection; }
  int Index() const;

 protected:
  // Subclasses call this from their setters: the collection tells its owner.
  void Changed();

 private:
  TuiCollection* FCollection;
};

// An ordered list of items of one class, owned by the object that publishes it.
class TuiCollection : public TuiPersistent {
  UX_CLASS(TuiCollection, TuiPersistent)
 public:
  using TItemFactory = std::function<std::unique_ptr<TuiCollectionItem>(TuiCollection*)>;
  explicit TuiCollection(TItemFactory Factory) : FFactory(std::move(Factory)) {}

  int Count() const { return int(FItems.size()); }
  TuiCollectionItem* Items(int Index) const { return FItems.at(Index).get(); }
  TuiCollectionItem* Add();
  void Delete(int Index);
  void Clear();
  // Copies every item's published, writable properties.
  void Assign(const TuiCollection& Source);

  // Suspends OnChanged while a reader or Assign fills the collection.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  // Told after every change of the list or of an item.
  std::function<void(TuiCollection* Sender)> OnChanged;

 private:
  friend class TuiCollectionItem;
  void Changed();

  TItemFactory FFactory;
  std::vector<std::unique_ptr<TuiCollectionItem>> FItems;
  int FUpdateCount = 0;
  bool FChangedWhileUpdating = false;
};

// Copies every stored, writable published property of Source into Dest; both
// must be of the same class.
void AssignProperties(TuiPersistent& Dest, const TuiPersistent& Source);
