#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

// Published properties and the class registry.
//
// Every persistent class describes itself once, in its declaration, by a static
// DefineProperties that adds one line per published property:
//
//   class TuiThing : public TuiObject {
//     UX_CLASS(TuiThing, TuiObject)
//    public:
//     static void DefineProperties(TuiClassBuilder<TuiThing>& C) {
//       C.Property("Width", &TuiThing::Width, &TuiThing::SetWidth, 50.0f);
//       C.Property("Align", &TuiThing::Align, &TuiThing::SetAlign, vaNone);
//       C.Object("Position", &TuiThing::Position);
//     }
//   };
//   UX_IMPLEMENT_CLASS(TuiThing)   // in the .cpp
//
// The class table starts with the base class's properties in their order; a
// class may change an inherited default (C.Default("HitTest", false)). The one
// table serves the stream reader and writer, animations and style binding,
// which all address properties by name, case-insensitively, and by dotted paths
// through persistent sub-objects ("Fill.Gradient.Style").

class TuiPersistent;
class TuiComponent;
class TuiClassInfo;
template <class C>
const TuiClassInfo& BuildClassInfo(const char* Name);

enum TuiPropertyKind : uint8_t {
  pkBool,
  pkInteger,  // 32-bit signed
  pkInt64,
  pkFloat,   // single precision
  pkString,  // 8-bit text; also colour texts
  pkEnum,    // ordinal with names
  pkSet,     // bit mask of enum ordinals
  pkBinary,  // an opaque byte payload ("PNG", "Path", "ResourcesBin")
  pkObject,  // a persistent sub-object reached by dotted paths
  pkCollection,
  pkEvent,  // a handler, streamed by its name
};

// Binary payloads travel as their own type so they never pass for text.
struct TuiBinary {
  std::vector<uint8_t> Bytes;
  bool operator==(const TuiBinary&) const = default;
};

// A property value on its way between an object and a stream, animation or style.
using TuiPropValue =
    std::variant<std::monostate, bool, int64_t, double, std::string, TuiBinary, TuiPersistent*>;

// The names of an enumeration's values, in ordinal order.
struct TuiEnumInfo {
  std::string TypeName;
  std::vector<std::string> Names;
  // The ordinal of a name (case-insensitive), or -1.
  int Find(std::string_view Name) const;
};

// Declares the value names of an enumeration, next to it, in its own namespace:
// UX_ENUM(TuiAlign, "vaNone", "vaTopLeft", ...). EnumInfo<TuiAlign>() finds
// them by argument-dependent lookup.
#define UX_ENUM(Type, ...)                               \
  inline const TuiEnumInfo& uxEnumInfo(Type) {           \
    static const TuiEnumInfo info{#Type, {__VA_ARGS__}}; \
    return info;                                         \
  }
template <class E>
const TuiEnumInfo& EnumInfo() {
  return uxEnumInfo(E{});
}

struct TuiPropertyInfo {
  std::string Name;
  TuiPropertyKind Kind = pkInteger;
  const TuiEnumInfo* Enum = nullptr;  // pkEnum and pkSet
  std::function<TuiPropValue(const TuiPersistent&)> Get;
  std::function<void(TuiPersistent&, const TuiPropValue&)> Set;  // empty: read-only
  // The value a stream leaves out. Without one, ordinals are always written,
  // floats when not 0, strings when not empty.
  TuiPropValue Default;
  // False for properties never written (Index, Parent, the X and Y of a point).
  bool Stored = true;
  // Further condition for writing, asked only when Stored.
  std::function<bool(const TuiPersistent&)> StoredWhen;

  bool ReadOnly() const { return !Set; }
  // Whether a writer puts this property of Object into a stream.
  bool IsStored(const TuiPersistent& Object) const;
};

class TuiClassInfo {
 public:
  using TFactory = std::function<TuiPersistent*(TuiComponent* Owner)>;

  TuiClassInfo(std::string Name, const TuiClassInfo* Parent);

  const std::string& Name() const { return FName; }
  const TuiClassInfo* Parent() const { return FParent; }
  const std::vector<TuiPropertyInfo>& Properties() const { return FProperties; }
  // Case-insensitive lookup among this class's and its ancestors' properties.
  const TuiPropertyInfo* FindProperty(std::string_view Name) const;
  bool InheritsFrom(const TuiClassInfo& Other) const;
  // Creates an instance with the given owner; none for abstract classes.
  TuiPersistent* Create(TuiComponent* Owner) const { return FFactory ? FFactory(Owner) : nullptr; }
  bool CanCreate() const { return bool(FFactory); }

 private:
  template <class C>
  friend class TuiClassBuilder;
  template <class C>
  friend const TuiClassInfo& BuildClassInfo(const char* Name);
  std::string FName;
  const TuiClassInfo* FParent;
  std::vector<TuiPropertyInfo> FProperties;
  TFactory FFactory;
};

// The process-wide class registry: creates registered classes by name.
class TuiClassRegistry {
 public:
  static TuiClassRegistry& Instance();
  // Registers classes under a category; registering a class twice is harmless.
  void Register(std::string_view Category, std::initializer_list<const TuiClassInfo*> Classes);
  const TuiClassInfo* Find(std::string_view ClassName) const;
  // Category names, sorted.
  std::vector<std::string> Categories() const;
  std::vector<const TuiClassInfo*> ClassesOf(std::string_view Category) const;

 private:
  struct TEntry {
    std::string Category;
    const TuiClassInfo* Class;
  };
  std::vector<TEntry> FEntries;
};

// Resolves a dotted property path ("Fill.Gradient.Style") from Root. Returns the
// object holding the last property and that property, or {nullptr, nullptr}
// when a name does not exist or a middle name is not a persistent sub-object.
struct TuiPropertyRef {
  TuiPersistent* Object = nullptr;
  const TuiPropertyInfo* Property = nullptr;
  explicit operator bool() const { return Property != nullptr; }
};
TuiPropertyRef FindPropertyPath(TuiPersistent& Root, std::string_view Path);

void uxSetTextDefault(TuiPropertyInfo& Property, std::string_view Default);

// ---- the builder ----

namespace uxdetail {
template <class T>
using TBare = std::remove_cvref_t<T>;

template <class V>
constexpr TuiPropertyKind KindOf() {
  using T = TBare<V>;
  if constexpr (std::is_same_v<T, bool>)
    return pkBool;
  else if constexpr (std::is_floating_point_v<T>)
    return pkFloat;
  else if constexpr (std::is_enum_v<T>)
    return pkEnum;
  else if constexpr (std::is_same_v<T, int64_t>)
    return pkInt64;
  else if constexpr (std::is_integral_v<T>)
    return pkInteger;
  else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::string_view>)
    return pkString;
  else if constexpr (std::is_same_v<T, TuiBinary>)
    return pkBinary;
  else
    static_assert(sizeof(T) == 0, "no property kind for this type");
}

template <class V>
TuiPropValue ToValue(const V& Value) {
  using T = TBare<V>;
  if constexpr (std::is_same_v<T, bool>)
    return Value;
  else if constexpr (std::is_floating_point_v<T>)
    return double(Value);
  else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>)
    return int64_t(Value);
  else if constexpr (std::is_same_v<T, std::string_view>)
    return std::string(Value);
  else
    return Value;
}

template <class V>
TBare<V> FromValue(const TuiPropValue& Value) {
  using T = TBare<V>;
  if constexpr (std::is_same_v<T, bool>)
    return std::get<bool>(Value);
  else if constexpr (std::is_floating_point_v<T>)
    return T(std::get<double>(Value));
  else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>)
    return T(std::get<int64_t>(Value));
  else if constexpr (std::is_same_v<T, std::string_view>)
    return std::get<std::string>(Value);
  else
    return std::get<T>(Value);
}
}  // namespace uxdetail

template <class C>
class TuiClassBuilder {
 public:
  explicit TuiClassBuilder(TuiClassInfo& Info) : FInfo(Info) {}

  // A value property with getter, setter (or nullptr: read-only) and declared default.
  template <class G, class S, class D = std::monostate>
  TuiPropertyInfo& Property(std::string Name, G (C::*Get)() const, void (C::*Set)(S), D Default = {}) {
    using V = uxdetail::TBare<G>;
    TuiPropertyInfo p;
    p.Name = std::move(Name);
    p.Kind = uxdetail::KindOf<V>();
    if constexpr (std::is_enum_v<V>) p.Enum = &EnumInfo<V>();
    p.Get = [Get](const TuiPersistent& O) { return uxdetail::ToValue<G>((static_cast<const C&>(O).*Get)()); };
    if (Set)
      p.Set = [Set](TuiPersistent& O, const TuiPropValue& V2) {
        (static_cast<C&>(O).*Set)(uxdetail::FromValue<S>(V2));
      };
    // Text defaults go through an out-of-line helper: GCC 12 at -O3 takes the
    // inlined string-in-variant for a free of a non-heap object and warns.
    if constexpr (std::is_same_v<V, std::string> && !std::is_same_v<D, std::monostate>)
      uxSetTextDefault(p, Default);
    else if constexpr (!std::is_same_v<D, std::monostate>)
      p.Default = uxdetail::ToValue<V>(V(Default));
    return Add(std::move(p));
  }

  // A set property: a bit mask over the ordinals of enumeration E.
  template <class E>
  TuiPropertyInfo& Set(std::string Name, uint32_t (C::*Get)() const, void (C::*SetFn)(uint32_t),
                       uint32_t Default) {
    TuiPropertyInfo p;
    p.Name = std::move(Name);
    p.Kind = pkSet;
    p.Enum = &EnumInfo<E>();
    p.Get = [Get](const TuiPersistent& O) {
      return TuiPropValue(int64_t((static_cast<const C&>(O).*Get)()));
    };
    p.Set = [SetFn](TuiPersistent& O, const TuiPropValue& V) {
      (static_cast<C&>(O).*SetFn)(uint32_t(std::get<int64_t>(V)));
    };
    p.Default = int64_t(Default);
    return Add(std::move(p));
  }

  // A persistent sub-object owned by the class: written as dotted entries.
  template <class T>
  TuiPropertyInfo& Object(std::string Name, T* (C::*Get)() const) {
    TuiPropertyInfo p;
    p.Name = std::move(Name);
    p.Kind = pkObject;
    p.Get = [Get](const TuiPersistent& O) {
      return TuiPropValue(static_cast<TuiPersistent*>((static_cast<const C&>(O).*Get)()));
    };
    return Add(std::move(p));
  }

  // A collection, read by clearing it and adding one item per stored item.
  template <class T>
  TuiPropertyInfo& Collection(std::string Name, T* (C::*Get)() const) {
    TuiPropertyInfo& p = Object(std::move(Name), Get);
    p.Kind = pkCollection;
    return p;
  }

  // An event, streamed as its handler's name.
  TuiPropertyInfo& Event(std::string Name, const std::string& (C::*Get)() const,
                         void (C::*SetFn)(const std::string&)) {
    TuiPropertyInfo p;
    p.Name = std::move(Name);
    p.Kind = pkEvent;
    p.Get = [Get](const TuiPersistent& O) { return TuiPropValue((static_cast<const C&>(O).*Get)()); };
    p.Set = [SetFn](TuiPersistent& O, const TuiPropValue& V) {
      (static_cast<C&>(O).*SetFn)(std::get<std::string>(V));
    };
    return Add(std::move(p));
  }

  // Changes the declared default of an inherited property.
  template <class D>
  void Default(std::string_view Name, D Value) {
    TuiPropertyInfo* p = Own(Name);
    p->Default = uxdetail::ToValue<D>(Value);
  }
  // Marks an inherited or own property as never written.
  void NotStored(std::string_view Name) { Own(Name)->Stored = false; }

 private:
  TuiPropertyInfo& Add(TuiPropertyInfo P);
  TuiPropertyInfo* Own(std::string_view Name);
  TuiClassInfo& FInfo;
};

template <class C>
TuiPropertyInfo& TuiClassBuilder<C>::Add(TuiPropertyInfo P) {
  FInfo.FProperties.push_back(std::move(P));
  return FInfo.FProperties.back();
}

template <class C>
TuiPropertyInfo* TuiClassBuilder<C>::Own(std::string_view Name) {
  for (TuiPropertyInfo& p : FInfo.FProperties)
    if (p.Name == Name) return &p;
  throw std::logic_error("no property " + std::string(Name) + " in " + FInfo.FName);
}

// ---- class declaration helpers ----

template <class C>
const TuiClassInfo& BuildClassInfo(const char* Name) {
  static TuiClassInfo info(Name, &C::Inherited::StaticClass());
  static const bool built = [] {
    // The table starts as the base's, then the class adds its own lines.
    info.FProperties = C::Inherited::StaticClass().Properties();
    if constexpr (std::is_constructible_v<C, TuiComponent*> && !std::is_abstract_v<C>)
      info.FFactory = [](TuiComponent* Owner) -> TuiPersistent* { return new C(Owner); };
    // A class that declares no DefineProperties of its own inherits its base's,
    // which takes the base's builder and so does not match here.
    if constexpr (std::is_invocable_v<decltype(&C::DefineProperties), TuiClassBuilder<C>&>) {
      TuiClassBuilder<C> builder(info);
      C::DefineProperties(builder);
    }
    return true;
  }();
  (void)built;
  return info;
}

#define UX_CLASS(ClassName, BaseName)              \
 public:                                           \
  using Inherited = BaseName;                      \
  static const TuiClassInfo& StaticClass();        \
  const TuiClassInfo& ClassInfo() const override { \
    return StaticClass();                          \
  }                                                \
                                                   \
 private:

#define UX_IMPLEMENT_CLASS(ClassName)             \
  const TuiClassInfo& ClassName::StaticClass() {  \
    return BuildClassInfo<ClassName>(#ClassName); \
  }
