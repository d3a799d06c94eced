#include "scene2d/ClassInfo.h"

#include <algorithm>

#include "scene2d/Persistent.h"

int TuiEnumInfo::Find(std::string_view Name) const {
  for (size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], Name)) return int(i);
  return -1;
}

bool TuiPropertyInfo::IsStored(const TuiPersistent& Object) const {
  if (!Stored) return false;
  if (StoredWhen && !StoredWhen(Object)) return false;
  if (Kind == pkObject || Kind == pkCollection) return true;
  const TuiPropValue value = Get(Object);
  if (!std::holds_alternative<std::monostate>(Default)) return value != Default;
  switch (Kind) {
    case pkFloat:
      return std::get<double>(value) != 0;
    case pkString:
    case pkEvent:
      return !std::get<std::string>(value).empty();
    case pkBinary:
      return !std::get<TuiBinary>(value).Bytes.empty();
    case pkReference: {
      // Only a named component can be found again by a reader.
      auto* target = dynamic_cast<TuiComponent*>(std::get<TuiPersistent*>(value));
      return target && !target->Name().empty();
    }
    default:
      return true;  // an ordinal without a declared default is always written
  }
}

TuiClassInfo::TuiClassInfo(std::string Name, const TuiClassInfo* Parent)
    : FName(std::move(Name)), FParent(Parent) {}

TuiPropertyInfo& TuiClassInfo::OwnLine(size_t Index) {
  const TuiPropertyInfo* line = FProperties.FItems[Index];
  for (TuiPropertyInfo& own : FOwnProperties)
    if (&own == line) return own;
  FOwnProperties.push_back(*line);
  FProperties.FItems[Index] = &FOwnProperties.back();
  return FOwnProperties.back();
}

const TuiPropertyInfo* TuiClassInfo::FindProperty(std::string_view Name) const {
  for (const TuiPropertyInfo& p : FProperties)
    if (SameText(p.Name, Name)) return &p;
  return nullptr;
}

bool TuiClassInfo::InheritsFrom(const TuiClassInfo& Other) const {
  for (const TuiClassInfo* c = this; c; c = c->FParent)
    if (c == &Other) return true;
  return false;
}

TuiClassRegistry& TuiClassRegistry::Instance() {
  static TuiClassRegistry registry;
  return registry;
}

void TuiClassRegistry::Register(std::string_view Category,
                                std::initializer_list<const TuiClassInfo*> Classes) {
  for (const TuiClassInfo* c : Classes) {
    if (Find(c->Name()) == c) continue;
    FEntries.push_back({std::string(Category), c});
  }
  // Categories stay sorted by name; classes keep their order within one.
  std::stable_sort(FEntries.begin(), FEntries.end(),
                   [](const TEntry& A, const TEntry& B) { return A.Category < B.Category; });
}

const TuiClassInfo* TuiClassRegistry::Find(std::string_view ClassName) const {
  for (const TEntry& e : FEntries)
    if (SameText(e.Class->Name(), ClassName)) return e.Class;
  return nullptr;
}

std::vector<std::string> TuiClassRegistry::Categories() const {
  std::vector<std::string> out;
  for (const TEntry& e : FEntries)
    if (out.empty() || out.back() != e.Category) out.push_back(e.Category);
  return out;
}

std::vector<const TuiClassInfo*> TuiClassRegistry::ClassesOf(std::string_view Category) const {
  std::vector<const TuiClassInfo*> out;
  for (const TEntry& e : FEntries)
    if (e.Category == Category) out.push_back(e.Class);
  return out;
}

const TuiMethodInfo* TuiClassInfo::FindMethod(std::string_view Name) const {
  for (const TuiMethodInfo& m : FMethods)
    if (SameText(m.Name, Name)) return &m;
  return nullptr;
}

TuiPropertyRef FindPropertyPath(TuiPersistent& Root, std::string_view Path, TuiPathRule Rule,
                                bool (*IsAnchor)(const TuiPersistent*)) {
  TuiPropertyRef ref;
  TuiPersistent* object = &Root;
  if (IsAnchor && IsAnchor(object)) ref.Anchor = object;
  for (;;) {
    const size_t dot = Path.find('.');
    const std::string_view name = Path.substr(0, dot);
    const TuiPropertyInfo* p = object->ClassInfo().FindProperty(name);
    if (dot == std::string_view::npos) {
      if (!p) {
        ref.Error = peNoProperty;
        return ref;
      }
      ref.Object = object;
      ref.Property = p;
      return ref;
    }
    Path.remove_prefix(dot + 1);
    TuiPersistent* next = nullptr;
    // Streams only walk into owned sub-objects; animations also follow references.
    if (p && (p->Kind == pkObject || (p->Kind == pkReference && Rule == uxPathSkipNonObjects)))
      next = std::get<TuiPersistent*>(p->Get(*object));
    if (!next) {
      if (Rule == uxPathSkipNonObjects) continue;
      ref.Error = p ? peNotObject : peNoProperty;
      return ref;
    }
    object = next;
    if (IsAnchor && IsAnchor(object)) ref.Anchor = object;
  }
}

void uxSetTextDefault(TuiPropertyInfo& Property, std::string_view Default) {
  Property.Default = std::string(Default);
}
