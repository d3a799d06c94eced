#include "scene2d/ObjectStreaming.h"

#include <cmath>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "scene2d/Collection.h"
#include "scene2d/Errors.h"
#include "scene2d/Object.h"
#include "scene2d/ReadLosses.h"
#include "scene2d/stream/ObjectStream.h"
#include "scene2d/stream/ReadBudget.h"
#include "scene2d/stream/StreamConvert.h"
#include "scene2d/stream/StreamErrors.h"

namespace {

[[noreturn]] void Raise(std::string_view Format, std::string_view Arg = {}) {
  uxRaiseReadError(uxFormatMessage(Format, {Arg}));
}

// ---- reading values into properties ----

bool IsIntegerTag(TuiValueType T) {
  return T == vtInt8 || T == vtInt16 || T == vtInt32;
}
bool IsTextTag(TuiValueType T) {
  return T == vtString || T == vtLString || T == vtWString || T == vtUtf8String;
}

class TReadContext;
void ReadInto(TuiPersistent& Object, std::string_view Path, TuiStreamReader& R, TReadContext& Context);

void ReadCollection(TuiCollection& Collection, TuiStreamReader& R, TReadContext& Context) {
  if (R.NextValue() == vtNil) {
    R.ReadValueType();
    Collection.Clear();
    return;
  }
  if (R.NextValue() != vtCollection) Raise(uxMsgInvalidPropertyValue);
  Collection.BeginUpdate();
  struct TEnd {
    TuiCollection& C;
    ~TEnd() { C.EndUpdate(); }
  } end{Collection};
  Collection.Clear();
  R.ReadCollectionBegin();
  while (!R.EndOfList()) {
    std::optional<int32_t> index;
    TuiValueType indexType;
    R.ReadItemBegin(index, indexType);
    TuiCollectionItem* item = Collection.Add();
    while (!R.EndOfList()) {
      const std::string name(R.ReadPropertyName());
      ReadInto(*item, name, R, Context);
    }
    R.ReadEnd();
  }
  R.ReadCollectionEnd();
}

TuiPropValue ReadValueFor(const TuiPropertyInfo& P, TuiStreamReader& R) {
  const TuiValueType next = R.NextValue();
  switch (P.Kind) {
    case pkBool:
      if (next != vtFalse && next != vtTrue && next != vtIdent) Raise(uxMsgInvalidPropertyValue);
      return R.ReadBoolean();
    case pkInteger:
      if (!IsIntegerTag(next)) Raise(uxMsgInvalidPropertyValue);
      return int64_t(R.ReadInteger());
    case pkInt64:
      if (!IsIntegerTag(next) && next != vtInt64) Raise(uxMsgInvalidPropertyValue);
      return R.ReadInt64();
    case pkFloat:
      // Integral floats are stored with integer tags.
      if (next != vtExtended && !IsIntegerTag(next) && next != vtInt64) Raise(uxMsgInvalidPropertyValue);
      // No stored geometry is infinite or NaN: such a value would not survive
      // its next trip through a text form.
      if (const float value = R.ReadFloat(); std::isfinite(value)) return double(value);
      throw EuxConvertError("Invalid floating point value");
    case pkString:
      if (!IsTextTag(next)) Raise(uxMsgInvalidPropertyValue);
      return R.ReadString();
    case pkEnum: {
      if (next != vtIdent && next != vtFalse && next != vtTrue) Raise(uxMsgInvalidPropertyValue);
      const int ordinal = P.Enum->Find(R.ReadIdent());
      if (ordinal < 0) Raise(uxMsgInvalidPropertyValue);
      return int64_t(ordinal);
    }
    case pkSet: {
      if (next != vtSet) Raise(uxMsgInvalidPropertyValue);
      int64_t mask = 0;
      for (const std::string& name : R.ReadSet()) {
        const int ordinal = P.Enum->Find(name);
        if (ordinal < 0 || ordinal > 31) Raise(uxMsgInvalidPropertyValue);
        mask |= int64_t(1) << ordinal;
      }
      return mask;
    }
    case pkBinary:
      if (next != vtBinary) Raise(uxMsgInvalidPropertyValue);
      {
        const std::string bytes = R.ReadBinary();
        return TuiBinary{std::vector<uint8_t>(bytes.begin(), bytes.end())};
      }
    case pkEvent:
      if (next == vtNil) {
        R.ReadValueType();
        return std::string();
      }
      if (next != vtIdent) Raise(uxMsgInvalidPropertyValue);
      return R.ReadIdent();
    case pkCollection:
    case pkObject:
    case pkReference:
      break;
  }
  Raise(uxMsgInvalidPropertyValue);
}

// ---- the read side of one object ----

class TObjectTarget;

// What one read shares across its objects: the owner of what it creates, the
// objects read, the component references to resolve once everything is in.
class TReadContext {
 public:
  TReadContext(TuiComponent& Root, TuiComponent* Owner, const TuiReadHooks& Hooks)
      : FRoot(Root), FOwner(Owner), FHooks(Hooks) {}
  bool KeepUnboundHandlers() const { return FHooks.KeepUnboundHandlers || FRoot.IsDesigning(); }
  TObjectTarget& Target(TuiComponent& Object);
  TuiComponent& Root() const { return FRoot; }
  TuiComponent* Owner() const { return FOwner; }

  // The object and property being read, named in the error of a reference
  // that cannot be set.
  void SetReading(const TuiComponent& Object, std::string_view Path) {
    FReadingObject = &Object;
    FReadingPath = Path;
  }
  void AddFixup(TuiPersistent& Object, const TuiPropertyInfo& Property, std::string Name) {
    std::string where = FReadingObject ? FReadingObject->Name() : std::string();
    if (where.empty() && FReadingObject) where = FReadingObject->ClassName();
    FFixups.push_back({&Object, &Property, std::move(Name), std::move(where), FReadingPath});
  }
  // Sets every reference whose name is found; the others stay none. A
  // reference its setter refuses is an error of the property read, handled
  // by the OnError hook as the others are.
  void ResolveFixups();
  // After a failed read nothing may stay in the loading state.
  void EndLoadingAll();

 private:
  struct TFixup {
    TuiPersistent* Object;
    const TuiPropertyInfo* Property;
    std::string Name;
    std::string Where;
    std::string Path;
  };
  TuiComponent* FindByName(const std::string& Name);
  void FixupFailed(const TFixup& Fixup, const std::string& Message) const;

  TuiComponent& FRoot;
  TuiComponent* FOwner;
  const TuiReadHooks& FHooks;
  std::vector<std::unique_ptr<TObjectTarget>> FTargets;
  std::vector<TFixup> FFixups;
  const TuiComponent* FReadingObject = nullptr;
  std::string FReadingPath;
  // The objects read by lower-cased name, the first of each name, and the
  // names found nowhere: a stream of many references costs one look-up each.
  std::unordered_map<std::string, TuiComponent*> FReadByName;
  std::unordered_set<std::string> FNowhere;
};

// Binds an event to the root's method of that name. A designer (and a tool
// reading a layout without its program) keeps the bare name instead.
void ReadEvent(TuiPersistent& Target, const TuiPropertyInfo& P, TuiStreamReader& R, TReadContext& Context) {
  auto* component = dynamic_cast<TuiComponent*>(&Target);
  if (!component) Raise(uxMsgInvalidPropertyValue);
  if (R.NextValue() == vtNil) {
    R.ReadValueType();
    P.Set(Target, std::string());
    return;
  }
  if (R.NextValue() != vtIdent) Raise(uxMsgInvalidPropertyValue);
  const std::string name = R.ReadIdent();
  TuiComponent& root = Context.Root();
  if (const TuiMethodInfo* m = root.ClassInfo().FindMethod(name)) {
    if (*m->Type != *P.EventType) Raise(uxMsgInvalidPropertyValue);
    m->Bind(root, P.EventSlot(Target));
  } else if (!Context.KeepUnboundHandlers()) {
    Raise(uxMsgInvalidPropertyValue);
  }
  component->SetEventHandlerName(P.Name, name);
}

// Resolves Path from Object the way a stream names properties: every name but
// the last must be a published property holding a persistent object.
void ReadInto(TuiPersistent& Object, std::string_view Path, TuiStreamReader& R, TReadContext& Context) {
  const TuiPropertyRef ref = FindPropertyPath(Object, Path, uxPathStrict);
  if (ref.Error == peNoProperty) Raise(uxMsgPropertyDoesNotExist, Path);
  if (ref.Error == peNotObject) Raise(uxMsgInvalidPropertyPath);
  TuiPersistent& target = *ref.Object;
  const TuiPropertyInfo* p = ref.Property;
  switch (p->Kind) {
    case pkCollection: {
      auto* collection = dynamic_cast<TuiCollection*>(std::get<TuiPersistent*>(p->Get(target)));
      if (!collection) Raise(uxMsgInvalidPropertyValue);
      ReadCollection(*collection, R, Context);
      return;
    }
    case pkObject:
      Raise(uxMsgInvalidPropertyValue);
    case pkEvent:
      ReadEvent(target, *p, R, Context);
      return;
    case pkReference:
      if (p->ReadOnly()) Raise(uxMsgPropertyReadOnly);
      if (R.NextValue() == vtNil) {
        R.ReadValueType();
        p->Set(target, TuiPropValue(static_cast<TuiPersistent*>(nullptr)));
        return;
      }
      if (R.NextValue() != vtIdent) Raise(uxMsgInvalidPropertyValue);
      // The component may come later in the stream.
      Context.AddFixup(target, *p, R.ReadIdent());
      return;
    default:
      break;
  }
  if (p->ReadOnly()) Raise(uxMsgPropertyReadOnly);
  TuiPropValue value = ReadValueFor(*p, R);
  p->Set(target, value);
}

class TObjectTarget final : public IuxStreamReadTarget {
 public:
  TObjectTarget(TReadContext& Context, TuiComponent& Object) : FContext(Context), FObject(Object) {}
  void StreamSetHeader(const TuiObjectHeader& Header) override { FObject.SetName(Header.Name); }
  void StreamReadProperty(std::string_view Path, TuiStreamReader& Reader) override {
    const TuiLossContext lossContext(FObject, Path);
    FContext.SetReading(FObject, Path);
    ReadInto(FObject, Path, Reader, FContext);
  }
  IuxStreamReadTarget& StreamCreateChild(const TuiObjectHeader& Header) override;
  void StreamLoaded() override {
    // The root comes first: references are set before anything completes.
    if (&FObject == &FContext.Root()) FContext.ResolveFixups();
    FObject.SetLoading(false);
    FObject.Loaded();
  }
  TuiComponent& Object() { return FObject; }

 private:
  TReadContext& FContext;
  TuiComponent& FObject;
};

TObjectTarget& TReadContext::Target(TuiComponent& Object) {
  Object.SetLoading(true);
  FTargets.push_back(std::make_unique<TObjectTarget>(*this, Object));
  return *FTargets.back();
}

void TReadContext::EndLoadingAll() {
  for (auto& t : FTargets) t->Object().SetLoading(false);
}

std::string LowerCase(std::string_view Text) {
  std::string lower(Text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return lower;
}

TuiComponent* TReadContext::FindByName(const std::string& Name) {
  const std::string key = LowerCase(Name);
  if (FReadByName.empty())
    for (const auto& t : FTargets) FReadByName.try_emplace(LowerCase(t->Object().Name()), &t->Object());
  if (auto it = FReadByName.find(key); it != FReadByName.end()) return it->second;
  if (FNowhere.contains(key)) return nullptr;
  if (TuiComponent* c = FRoot.FindComponent(Name)) return c;
  if (FOwner)
    if (TuiComponent* c = FOwner->FindComponent(Name)) return c;
  FNowhere.insert(key);
  return nullptr;
}

void TReadContext::FixupFailed(const TFixup& Fixup, const std::string& Message) const {
  bool handled = false;
  if (FHooks.OnError) FHooks.OnError(Message, handled);
  if (!handled)
    throw EuxReadError(uxFormatMessage(uxMsgErrorReading, {Fixup.Where, ".", Fixup.Path, Message}));
}

void TReadContext::ResolveFixups() {
  std::vector<TFixup> fixups;
  fixups.swap(FFixups);
  for (const TFixup& f : fixups) {
    TuiComponent* found = FindByName(f.Name);
    if (!found) continue;
    try {
      f.Property->Set(*f.Object, TuiPropValue(static_cast<TuiPersistent*>(found)));
    } catch (const std::invalid_argument&) {
      // A component of the wrong class is as good as a name that is not there.
    } catch (const EuxError& e) {
      FixupFailed(f, e.what());
    }
  }
}

IuxStreamReadTarget& TObjectTarget::StreamCreateChild(const TuiObjectHeader& Header) {
  const TuiClassInfo* info = TuiClassRegistry::Instance().Find(Header.ClassName);
  if (!info || !info->CanCreate()) Raise(uxMsgClassNotFound, Header.ClassName);
  TuiPersistent* created = info->Create(FContext.Owner());
  auto* child = dynamic_cast<TuiComponent*>(created);
  if (!child) {
    delete created;  // a persistent object that is no component: nothing links it yet
    Raise(uxMsgClassNotFound, Header.ClassName);
  }
  try {
    child->SetParentComponent(&FObject);
  } catch (...) {
    delete child;
    throw;
  }
  // Something must free what was read: its owner, or its parent in a tree
  // (a root freed by its host); otherwise the stream's root takes it over.
  auto* node = dynamic_cast<TuiObject*>(child);
  const bool held = child->Owner() || (node && (node->Parent() || node->Scene()));
  if (!held) FContext.Root().InsertComponent(child);
  return FContext.Target(*child);
}

// ---- the write side of one object ----

void WriteProperties(const TuiPersistent& Object, const std::string& Prefix, TuiStreamWriter& W);

void WriteValue(const TuiPropertyInfo& P, const TuiPropValue& V, TuiStreamWriter& W) {
  switch (P.Kind) {
    case pkBool:
      W.WriteBoolean(std::get<bool>(V));
      break;
    case pkInteger:
    case pkInt64:
      W.WriteInteger(std::get<int64_t>(V));
      break;
    case pkFloat:
      if (!std::isfinite(std::get<double>(V))) uxRaiseWriteError();  // the reader would refuse it
      W.WriteFloat(float(std::get<double>(V)));
      break;
    case pkString:
      W.WriteString(std::get<std::string>(V));
      break;
    case pkEnum: {
      const int64_t ordinal = std::get<int64_t>(V);
      if (ordinal < 0 || ordinal >= int64_t(P.Enum->Names.size()))
        throw EuxWriteError("Invalid property value");
      W.WriteIdent(P.Enum->Names[size_t(ordinal)]);
      break;
    }
    case pkSet: {
      std::vector<std::string> names;
      const int64_t mask = std::get<int64_t>(V);
      for (size_t i = 0; i < P.Enum->Names.size() && i < 32; ++i)
        if (mask & (int64_t(1) << i)) names.push_back(P.Enum->Names[i]);
      W.WriteSet(names);
      break;
    }
    case pkBinary: {
      const auto& bytes = std::get<TuiBinary>(V).Bytes;
      W.WriteBinary(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      break;
    }
    case pkEvent:
      W.WriteIdent(std::get<std::string>(V));
      break;
    case pkReference:
      W.WriteIdent(dynamic_cast<TuiComponent*>(std::get<TuiPersistent*>(V))->Name());
      break;
    case pkObject:
    case pkCollection:
      break;
  }
}

void WriteCollection(const TuiCollection& C, TuiStreamWriter& W) {
  W.WriteCollectionBegin();
  for (int i = 0; i < C.Count(); ++i) {
    W.WriteItemBegin();
    WriteProperties(*C.Items(i), std::string(), W);
    W.WriteEnd();
  }
  W.WriteCollectionEnd();
}

void WriteProperties(const TuiPersistent& Object, const std::string& Prefix, TuiStreamWriter& W) {
  for (const TuiPropertyInfo& p : Object.ClassInfo().Properties()) {
    if (!p.IsStored(Object)) continue;
    if (p.Kind == pkObject) {
      // Sub-objects are never blocks of their own: each stored property of
      // theirs becomes one dotted entry of the owner.
      if (auto* sub = std::get<TuiPersistent*>(p.Get(Object)))
        WriteProperties(*sub, Prefix + p.Name + ".", W);
      continue;
    }
    if (p.Kind == pkCollection) {
      auto* c = dynamic_cast<const TuiCollection*>(std::get<TuiPersistent*>(p.Get(Object)));
      if (!c || c->Count() == 0) continue;
      W.WritePropertyName(Prefix + p.Name);
      WriteCollection(*c, W);
      continue;
    }
    W.WritePropertyName(Prefix + p.Name);
    WriteValue(p, p.Get(Object), W);
  }
}

class TObjectSource final : public IuxStreamWriteSource {
 public:
  TObjectSource(const TuiComponent& Object, const TuiComponent& Root, bool Nameless = false)
      : FObject(Object), FRoot(Root), FNameless(Nameless) {}
  TuiObjectHeader StreamHeader() const override {
    TuiObjectHeader h;
    h.ClassName = FObject.ClassName();
    if (!FNameless) h.Name = FObject.Name();
    return h;
  }
  void StreamWriteProperties(TuiStreamWriter& Writer) const override { WriteProperties(FObject, {}, Writer); }
  void StreamWriteChildren(TuiObjectWriter& Writer) const override {
    FObject.GetChildren([&](TuiComponent* Child) { Writer.WriteObject(TObjectSource(*Child, FRoot)); },
                        &FRoot);
  }

 private:
  const TuiComponent& FObject;
  const TuiComponent& FRoot;
  bool FNameless;
};

// ---- copying an object without a stream ----

// A copy made straight from the properties, with every step the stream's
// writer and reader take between them: the same stored properties in the
// same order, the same conversions, names cleared, events bound, references
// resolved at the end, a failing property skipped and Loaded in reading
// order. A text that a stream would re-encode sends the copy back to the
// stream, which is the reference for all of this.
struct TNeedsStream {};

// The value the reader would get from what the writer makes of V; a value
// the writer refuses is an error of the whole copy, as in the stream.
TuiPropValue Transported(const TuiPropertyInfo& P, const TuiPropValue& V) {
  switch (P.Kind) {
    case pkFloat:
      if (!std::isfinite(std::get<double>(V))) uxRaiseWriteError();
      return double(float(std::get<double>(V)));
    case pkString:
    case pkEvent:
      for (const char c : std::get<std::string>(V))
        if (static_cast<unsigned char>(c) >= 0x80 || c == 0) throw TNeedsStream{};
      return V;
    case pkEnum: {
      const int64_t ordinal = std::get<int64_t>(V);
      if (ordinal < 0 || ordinal >= int64_t(P.Enum->Names.size()))
        throw EuxWriteError("Invalid property value");
      return V;
    }
    case pkSet: {
      const int64_t mask = std::get<int64_t>(V);
      const size_t bits = std::min<size_t>(P.Enum->Names.size(), 32);
      return bits >= 64 ? mask : mask & ((int64_t(1) << bits) - 1);
    }
    case pkInteger:
      // The reader takes an integer property as 32 bits.
      if (std::get<int64_t>(V) != int64_t(int32_t(std::get<int64_t>(V)))) throw TNeedsStream{};
      return V;
    default:
      return V;
  }
}

class TObjectCopier {
 public:
  explicit TObjectCopier(TReadContext& Context) : FContext(Context) {}

  void CopyObject(const TuiComponent& From, TuiComponent& To) {
    FRead.push_back(&FContext.Target(To));
    To.SetName({});
    CopyProperties(From, To, &To, true);
    From.GetChildren([&](TuiComponent* Child) { CopyObject(*Child, CreateChild(*Child, To)); },
                     &FSourceRoot());
  }
  void SetSourceRoot(const TuiComponent& Root) { FSource = &Root; }
  void Finish() {
    for (TObjectTarget* t : FRead) t->StreamLoaded();
  }

 private:
  const TuiComponent& FSourceRoot() const { return *FSource; }

  TuiComponent& CreateChild(const TuiComponent& From, TuiComponent& Parent) {
    const TuiClassInfo& info = From.ClassInfo();
    if (!info.CanCreate()) Raise(uxMsgClassNotFound, info.Name());
    TuiPersistent* created = info.Create(FContext.Owner());
    auto* child = dynamic_cast<TuiComponent*>(created);
    if (!child) {
      delete created;
      Raise(uxMsgClassNotFound, info.Name());
    }
    try {
      child->SetParentComponent(&Parent);
    } catch (...) {
      delete child;
      throw;
    }
    auto* node = dynamic_cast<TuiObject*>(child);
    const bool held = child->Owner() || (node && (node->Parent() || node->Scene()));
    if (!held) FContext.Root().InsertComponent(child);
    return *child;
  }

  // Component is the object the properties belong to (for losses, events and
  // references); Each says whether a failing property is skipped alone, as
  // the properties of an object are, or fails what holds it, as in a
  // collection.
  void CopyProperties(const TuiPersistent& From, TuiPersistent& To, TuiComponent* Component, bool Each) {
    const TuiClassInfo& toClass = To.ClassInfo();
    const bool sameClass = &toClass == &From.ClassInfo();
    for (const TuiPropertyInfo& p : From.ClassInfo().Properties()) {
      if (!p.IsStored(From)) continue;
      const TuiPropertyInfo* target = sameClass ? &p : toClass.FindProperty(p.Name);
      if (p.Kind == pkObject) {
        auto* sub = std::get<TuiPersistent*>(p.Get(From));
        if (!sub) continue;
        TuiPersistent* toSub =
            target && target->Kind == pkObject ? std::get<TuiPersistent*>(target->Get(To)) : nullptr;
        if (toSub) {
          const size_t outer = FPrefix.size();
          FPrefix.append(p.Name).push_back('.');
          CopyProperties(*sub, *toSub, Component, Each);
          FPrefix.resize(outer);
          continue;
        }
        // Every entry of the sub-object names a path the copy does not have.
        if (!Each) Raise(uxMsgInvalidPropertyPath);
        continue;
      }
      if (p.Kind == pkCollection) {
        auto* c = dynamic_cast<const TuiCollection*>(std::get<TuiPersistent*>(p.Get(From)));
        if (!c || c->Count() == 0) continue;
      }
      // Taken from the source first: a value the writer refuses fails the copy.
      const TuiPropValue value =
          p.Kind == pkCollection || p.Kind == pkReference ? TuiPropValue() : Transported(p, p.Get(From));
      if (!Each) {
        CopyProperty(From, p, value, To, target, Component);
        continue;
      }
      const size_t outer = FPrefix.size();
      try {
        FPrefix.append(p.Name);
        const TuiLossContext lossContext(*Component, FPrefix);
        CopyProperty(From, p, value, To, target, Component);
      } catch (const EuxError&) {
        // Skipped, as the stream's reader does for a copy.
      }
      FPrefix.resize(outer);
    }
  }

  void CopyProperty(const TuiPersistent& From, const TuiPropertyInfo& P, const TuiPropValue& Value,
                    TuiPersistent& To, const TuiPropertyInfo* Target, TuiComponent* Component) {
    if (!Target) Raise(uxMsgPropertyDoesNotExist, P.Name);
    if (Target->Kind == pkObject) Raise(uxMsgInvalidPropertyValue);
    if (Target->Kind != P.Kind || Target->Enum != P.Enum) throw TNeedsStream{};
    switch (P.Kind) {
      case pkCollection: {
        auto* from = dynamic_cast<const TuiCollection*>(std::get<TuiPersistent*>(P.Get(From)));
        auto* to = dynamic_cast<TuiCollection*>(std::get<TuiPersistent*>(Target->Get(To)));
        if (!to) Raise(uxMsgInvalidPropertyValue);
        to->BeginUpdate();
        struct TEnd {
          TuiCollection& C;
          ~TEnd() { C.EndUpdate(); }
        } end{*to};
        to->Clear();
        for (int i = 0; i < from->Count(); ++i) CopyProperties(*from->Items(i), *to->Add(), Component, false);
        return;
      }
      case pkEvent: {
        auto* component = dynamic_cast<TuiComponent*>(&To);
        if (!component) Raise(uxMsgInvalidPropertyValue);
        const std::string& name = std::get<std::string>(Value);
        TuiComponent& root = FContext.Root();
        if (const TuiMethodInfo* m = root.ClassInfo().FindMethod(name)) {
          if (*m->Type != *Target->EventType) Raise(uxMsgInvalidPropertyValue);
          m->Bind(root, Target->EventSlot(To));
        } else if (!FContext.KeepUnboundHandlers()) {
          Raise(uxMsgInvalidPropertyValue);
        }
        component->SetEventHandlerName(Target->Name, name);
        return;
      }
      case pkReference: {
        if (Target->ReadOnly()) Raise(uxMsgPropertyReadOnly);
        auto* referred = dynamic_cast<TuiComponent*>(std::get<TuiPersistent*>(P.Get(From)));
        if (!referred) throw EuxWriteError("Invalid property value");
        FContext.SetReading(*Component, P.Name);
        FContext.AddFixup(To, *Target, referred->Name());
        return;
      }
      default:
        if (Target->ReadOnly()) Raise(uxMsgPropertyReadOnly);
        Target->Set(To, Value);
    }
  }

  TReadContext& FContext;
  const TuiComponent* FSource = nullptr;
  std::vector<TObjectTarget*> FRead;
  std::string FPrefix;  // the dotted path down to the sub-object being copied
};

}  // namespace

void ReadObjectData(std::string_view Data, TuiComponent& Root, TuiComponent* Owner,
                    const TuiReadHooks& Hooks) {
  TuiReadBudget budget(TuiReadBudget::StreamPixels);  // the pictures of one load
  TuiStreamReader reader(Data);
  TuiObjectReader objects(reader);
  TReadContext context(Root, Owner, Hooks);
  if (Hooks.OnSetName)
    objects.OnSetName = [&](TuiObjectReader*, IuxStreamReadTarget& Target, std::string& Name) {
      Hooks.OnSetName(&static_cast<TObjectTarget&>(Target).Object(), Name);
    };
  if (Hooks.OnError)
    objects.OnError = [&](TuiObjectReader*, const std::string& Message, bool& Handled) {
      Hooks.OnError(Message, Handled);
    };
  try {
    objects.ReadRoot(context.Target(Root));
  } catch (...) {
    context.EndLoadingAll();
    throw;
  }
}

std::string WriteObjectData(const TuiComponent& Root) {
  TuiStreamWriter writer;
  TuiObjectWriter objects(writer);
  objects.WriteRoot(TObjectSource(Root, Root));
  return writer.TakeData();
}

std::string PeekObjectClassName(std::string_view Data) {
  TuiStreamReader reader(Data);
  return TuiObjectReader::PeekRootClassName(reader);
}

// ---- TuiObject's stream operations ----

void TuiObject::LoadFromStream(std::string_view Data) {
  TuiReadHooks hooks;
  hooks.OnSetName = [](TuiComponent*, std::string& Name) { Name.clear(); };
  hooks.OnError = [](const std::string&, bool& Handled) { Handled = true; };
  const bool wasDesigning = IsDesigning();
  if (!wasDesigning) SetDesigning(true);
  try {
    ReadObjectData(Data, *this, Owner(), hooks);
  } catch (...) {
    if (!wasDesigning) SetDesigning(false);
    throw;
  }
  if (!wasDesigning) SetDesigning(false);
}

std::string TuiObject::SaveToStream() const {
  TuiStreamWriter writer;
  TuiObjectWriter objects(writer);
  objects.WriteRoot(TObjectSource(*this, *this, true));
  return writer.TakeData();
}

std::string TuiObject::ObjectToText() const {
  return uxObjectBinaryToText(SaveToStream());
}

TuiObject* TuiObject::CloneObject(TuiComponent* NewOwner) const {
  auto create = [&]() -> TuiObject* {
    TuiPersistent* created = ClassInfo().Create(NewOwner);
    auto* copy = dynamic_cast<TuiObject*>(created);
    if (!copy) {
      if (auto* c = dynamic_cast<TuiComponent*>(created))
        c->Free();
      else
        delete created;
    }
    return copy;
  };
  TuiObject* copy = create();
  if (!copy) return nullptr;
  try {
    copy->CopyFrom(*this);
    return copy;
  } catch (const TNeedsStream&) {
    delete copy;
  } catch (...) {
    delete copy;
    throw;
  }
  const std::string data = SaveToStream();
  copy = create();
  if (!copy) return nullptr;
  try {
    copy->LoadFromStream(data);
  } catch (...) {
    delete copy;
    throw;
  }
  return copy;
}

// What LoadFromStream does with what SaveToStream gives, without the stream.
void TuiObject::CopyFrom(const TuiObject& Source) {
  const bool wasDesigning = IsDesigning();
  if (!wasDesigning) SetDesigning(true);
  struct TUndo {
    TuiObject& O;
    bool Was;
    ~TUndo() {
      if (!Was) O.SetDesigning(false);
    }
  } undo{*this, wasDesigning};
  TuiReadBudget budget(TuiReadBudget::StreamPixels);
  TuiReadHooks hooks;
  hooks.OnError = [](const std::string&, bool& Handled) { Handled = true; };
  TReadContext context(*this, Owner(), hooks);
  TObjectCopier copier(context);
  copier.SetSourceRoot(Source);
  try {
    copier.CopyObject(Source, *this);
    copier.Finish();
  } catch (...) {
    context.EndLoadingAll();
    throw;
  }
}

TuiObject* TuiObject::CreateObjectFromStream(TuiComponent* Owner, std::string_view Data) {
  TuiObject* object = nullptr;
  try {
    const TuiClassInfo* info = TuiClassRegistry::Instance().Find(PeekObjectClassName(Data));
    if (!info) return nullptr;
    TuiPersistent* created = info->Create(Owner);
    object = dynamic_cast<TuiObject*>(created);
    if (!object) {
      if (auto* c = dynamic_cast<TuiComponent*>(created))
        c->Free();
      else
        delete created;
      return nullptr;
    }
    object->LoadFromStream(Data);
    return object;
  } catch (const std::exception&) {
    delete object;
    return nullptr;
  }
}

TuiObject* TuiObject::CreateObjectFromText(TuiComponent* Owner, std::string_view Text) {
  std::string data;
  try {
    data = uxObjectTextToBinary(Text);
  } catch (const std::exception&) {
    return nullptr;
  }
  return CreateObjectFromStream(Owner, data);
}
