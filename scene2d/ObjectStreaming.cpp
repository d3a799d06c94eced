#include "scene2d/ObjectStreaming.h"

#include <memory>
#include <vector>

#include "scene2d/Collection.h"
#include "scene2d/Errors.h"
#include "scene2d/Object.h"
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

void ReadInto(TuiPersistent& Object, std::string_view Path, TuiStreamReader& R);

void ReadCollection(TuiCollection& Collection, TuiStreamReader& R) {
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
      ReadInto(*item, name, R);
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
      return double(R.ReadFloat());
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
      break;
  }
  Raise(uxMsgInvalidPropertyValue);
}

// Resolves Path from Object the way a stream names properties: every name but
// the last must be a published property holding a persistent object.
void ReadInto(TuiPersistent& Object, std::string_view Path, TuiStreamReader& R) {
  TuiPersistent* target = &Object;
  std::string_view rest = Path;
  for (size_t dot; (dot = rest.find('.')) != std::string_view::npos;) {
    const TuiPropertyInfo* p = target->ClassInfo().FindProperty(rest.substr(0, dot));
    if (!p) Raise(uxMsgPropertyDoesNotExist, Path);
    if (p->Kind != pkObject) Raise(uxMsgInvalidPropertyPath);
    target = std::get<TuiPersistent*>(p->Get(*target));
    if (!target) Raise(uxMsgInvalidPropertyPath);
    rest.remove_prefix(dot + 1);
  }
  const TuiPropertyInfo* p = target->ClassInfo().FindProperty(rest);
  if (!p) Raise(uxMsgPropertyDoesNotExist, Path);
  if (p->Kind == pkCollection) {
    auto* collection = dynamic_cast<TuiCollection*>(std::get<TuiPersistent*>(p->Get(*target)));
    if (!collection) Raise(uxMsgInvalidPropertyValue);
    ReadCollection(*collection, R);
    return;
  }
  if (p->Kind == pkObject) Raise(uxMsgInvalidPropertyValue);
  if (p->ReadOnly()) Raise(uxMsgPropertyReadOnly);
  TuiPropValue value = ReadValueFor(*p, R);
  p->Set(*target, value);
}

// ---- the read side of one object ----

class TReadContext;

class TObjectTarget final : public IuxStreamReadTarget {
 public:
  TObjectTarget(TReadContext& Context, TuiObject& Object) : FContext(Context), FObject(Object) {}
  void StreamSetHeader(const TuiObjectHeader& Header) override { FObject.SetName(Header.Name); }
  void StreamReadProperty(std::string_view Path, TuiStreamReader& Reader) override {
    ReadInto(FObject, Path, Reader);
  }
  IuxStreamReadTarget& StreamCreateChild(const TuiObjectHeader& Header) override;
  void StreamLoaded() override {
    FObject.SetLoading(false);
    FObject.Loaded();
  }
  TuiObject& Object() { return FObject; }

 private:
  TReadContext& FContext;
  TuiObject& FObject;
};

class TReadContext {
 public:
  explicit TReadContext(TuiComponent* Owner) : FOwner(Owner) {}
  TObjectTarget& Target(TuiObject& Object) {
    Object.SetLoading(true);
    FTargets.push_back(std::make_unique<TObjectTarget>(*this, Object));
    return *FTargets.back();
  }
  TuiComponent* Owner() const { return FOwner; }
  // After a failed read nothing may stay in the loading state.
  void EndLoadingAll() {
    for (auto& t : FTargets) t->Object().SetLoading(false);
  }

 private:
  TuiComponent* FOwner;
  std::vector<std::unique_ptr<TObjectTarget>> FTargets;
};

IuxStreamReadTarget& TObjectTarget::StreamCreateChild(const TuiObjectHeader& Header) {
  const TuiClassInfo* info = TuiClassRegistry::Instance().Find(Header.ClassName);
  if (!info || !info->CanCreate()) Raise(uxMsgClassNotFound, Header.ClassName);
  TuiPersistent* created = info->Create(FContext.Owner());
  auto* child = dynamic_cast<TuiObject*>(created);
  if (!child) {
    delete created;
    Raise(uxMsgClassNotFound, Header.ClassName);
  }
  child->SetParentComponent(&FObject);
  // An ownerless child belongs to the tree: its parent frees it.
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
  explicit TObjectSource(const TuiObject& Object) : FObject(Object) {}
  TuiObjectHeader StreamHeader() const override {
    TuiObjectHeader h;
    h.ClassName = FObject.ClassName();
    h.Name = FObject.Name();
    return h;
  }
  void StreamWriteProperties(TuiStreamWriter& Writer) const override { WriteProperties(FObject, {}, Writer); }
  void StreamWriteChildren(TuiObjectWriter& Writer) const override {
    if (FObject.IsContent()) return;
    for (TuiObject* child : FObject.ChildList()) {
      // A content holder's children are written as children of its parent,
      // and the holder itself as a childless object.
      if (child->IsContent())
        for (TuiObject* grandchild : child->ChildList())
          if (grandchild->Stored()) Writer.WriteObject(TObjectSource(*grandchild));
      if (child->Stored()) Writer.WriteObject(TObjectSource(*child));
    }
  }

 private:
  const TuiObject& FObject;
};

}  // namespace

void ReadObjectData(std::string_view Data, TuiObject& Root, TuiComponent* Owner, const TuiReadHooks& Hooks) {
  TuiReadBudget budget(TuiReadBudget::StreamPixels);  // the pictures of one load
  TuiStreamReader reader(Data);
  TuiObjectReader objects(reader);
  TReadContext context(Owner);
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

std::string WriteObjectData(const TuiObject& Root) {
  TuiStreamWriter writer;
  TuiObjectWriter objects(writer);
  objects.WriteRoot(TObjectSource(Root));
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
  // The name is left out by writing through a copy of the header.
  struct TNameless final : IuxStreamWriteSource {
    TObjectSource Source;
    explicit TNameless(const TuiObject& O) : Source(O) {}
    TuiObjectHeader StreamHeader() const override {
      TuiObjectHeader h = Source.StreamHeader();
      h.Name.clear();
      return h;
    }
    void StreamWriteProperties(TuiStreamWriter& W) const override { Source.StreamWriteProperties(W); }
    void StreamWriteChildren(TuiObjectWriter& W) const override { Source.StreamWriteChildren(W); }
  };
  TuiStreamWriter writer;
  TuiObjectWriter objects(writer);
  objects.WriteRoot(TNameless(*this));
  return writer.TakeData();
}

std::string TuiObject::ObjectToText() const {
  return uxObjectBinaryToText(SaveToStream());
}

TuiObject* TuiObject::CloneObject(TuiComponent* NewOwner) const {
  const std::string data = SaveToStream();
  TuiPersistent* created = ClassInfo().Create(NewOwner);
  auto* copy = dynamic_cast<TuiObject*>(created);
  if (!copy) {
    delete created;
    return nullptr;
  }
  try {
    copy->LoadFromStream(data);
  } catch (...) {
    delete copy;
    throw;
  }
  return copy;
}

TuiObject* TuiObject::CreateObjectFromStream(TuiComponent* Owner, std::string_view Data) {
  TuiObject* object = nullptr;
  try {
    const TuiClassInfo* info = TuiClassRegistry::Instance().Find(PeekObjectClassName(Data));
    if (!info) return nullptr;
    TuiPersistent* created = info->Create(Owner);
    object = dynamic_cast<TuiObject*>(created);
    if (!object) {
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
