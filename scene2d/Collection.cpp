#include "scene2d/Collection.h"

#include <algorithm>

UX_IMPLEMENT_CLASS(TuiCollectionItem)
UX_IMPLEMENT_CLASS(TuiCollection)

int TuiCollectionItem::Index() const {
  for (int i = 0; i < FCollection->Count(); ++i)
    if (FCollection->Items(i) == this) return i;
  return -1;
}

void TuiCollectionItem::Changed() {
  if (FCollection) FCollection->Changed();
}

TuiCollectionItem* TuiCollection::Add() {
  FItems.push_back(FFactory(this));
  Changed();
  return FItems.back().get();
}

void TuiCollection::Delete(int Index) {
  FItems.erase(FItems.begin() + Index);
  Changed();
}

void TuiCollection::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

void TuiCollection::Assign(const TuiCollection& Source) {
  if (&Source == this) return;
  BeginUpdate();
  FItems.clear();
  for (int i = 0; i < Source.Count(); ++i) {
    FItems.push_back(FFactory(this));
    AssignProperties(*FItems.back(), *Source.Items(i));
  }
  FChangedWhileUpdating = true;
  EndUpdate();
}

void TuiCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedWhileUpdating) {
    FChangedWhileUpdating = false;
    Changed();
  }
}

void TuiCollection::Changed() {
  if (FUpdateCount > 0) {
    FChangedWhileUpdating = true;
    return;
  }
  if (OnChanged) OnChanged(this);
}

void AssignProperties(TuiPersistent& Dest, const TuiPersistent& Source) {
  for (const TuiPropertyInfo& p : Source.ClassInfo().Properties()) {
    if (!p.Stored) continue;
    const TuiPropertyInfo* d = Dest.ClassInfo().FindProperty(p.Name);
    if (!d) continue;
    if (p.Kind == pkObject) {
      auto* from = std::get<TuiPersistent*>(p.Get(Source));
      auto* to = std::get<TuiPersistent*>(d->Get(Dest));
      if (from && to && from != to) AssignProperties(*to, *from);
    } else if (p.Kind == pkCollection) {
      auto* from = dynamic_cast<TuiCollection*>(std::get<TuiPersistent*>(p.Get(Source)));
      auto* to = dynamic_cast<TuiCollection*>(std::get<TuiPersistent*>(d->Get(Dest)));
      if (from && to) to->Assign(*from);
    } else if (d->Set) {
      d->Set(Dest, p.Get(Source));
    }
  }
}
