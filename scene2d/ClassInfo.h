#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
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
// class may change an inherited default (C.Default("HitTest", false)) or
// redeclare an inherited property, whose line it then replaces. The one
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
  pkEvent,      // a method reference of the stream's root, streamed by its name
  pkReference,  // a component the object refers to without owning it, streamed by its name
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

// Typed shortcuts past the variant for the writes animations make many times a
// second: the setter's member pointer is kept in raw form next to a thunk that
// knows its type.
struct TuiFastSetter {
  alignas(void*) unsigned char Member[2 * sizeof(void*)] = {};
  void (*Float)(const unsigned char* Member, TuiPersistent& Object, float Value) = nullptr;
  void (*Color)(const unsigned char* Member, TuiPersistent& Object, uint32_t Value) = nullptr;
};

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
  // pkEvent: the type of the event field (a std::function) and where it is.
  const std::type_info* EventType = nullptr;
  std::function<void*(TuiPersistent&)> EventSlot;
  TuiFastSetter Fast;

  bool ReadOnly() const { return !Set; }
  // Whether a writer puts this property of Object into a stream.
  bool IsStored(const TuiPersistent& Object) const;
};

// A method of a root class that streams may bind events to by name.
struct TuiMethodInfo {
  std::string Name;
  const std::type_info* Type = nullptr;  // the std::function type it fits
  // Stores a call of the method on Root into Slot, an event field of that type.
  std::function<void(TuiPersistent& Root, void* Slot)> Bind;
};

// A class's table of properties in order. The lines a class inherits unchanged
// are the base's own, shared rather than copied: a deep class would otherwise
// carry a copy of every ancestor's table, paid for at start-up.
class TuiPropertyList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TuiPropertyInfo;
    using difference_type = std::ptrdiff_t;
    using pointer = const TuiPropertyInfo*;
    using reference = const TuiPropertyInfo&;
    const_iterator() = default;
    explicit const_iterator(std::vector<const TuiPropertyInfo*>::const_iterator At) : FAt(At) {}
    reference operator*() const { return **FAt; }
    pointer operator->() const { return *FAt; }
    const_iterator& operator++() {
      ++FAt;
      return *this;
    }
    const_iterator operator++(int) { return const_iterator(FAt++); }
    friend bool operator==(const const_iterator&, const const_iterator&) = default;

   private:
    std::vector<const TuiPropertyInfo*>::const_iterator FAt;
  };

  const_iterator begin() const { return const_iterator(FItems.begin()); }
  const_iterator end() const { return const_iterator(FItems.end()); }
  size_t size() const { return FItems.size(); }
  bool empty() const { return FItems.empty(); }
  const TuiPropertyInfo& operator[](size_t Index) const { return *FItems[Index]; }

 private:
  friend class TuiClassInfo;
  template <class C>
  friend class TuiClassBuilder;
  template <class C>
  friend const TuiClassInfo& BuildClassInfo(const char* Name);
  std::vector<const TuiPropertyInfo*> FItems;
};

class TuiClassInfo {
 public:
  using TFactory = std::function<TuiPersistent*(TuiComponent* Owner)>;

  TuiClassInfo(std::string Name, const TuiClassInfo* Parent);

  const std::string& Name() const { return FName; }
  const TuiClassInfo* Parent() const { return FParent; }
  const TuiPropertyList& Properties() const { return FProperties; }
  // Case-insensitive lookup among this class's and its ancestors' properties.
  const TuiPropertyInfo* FindProperty(std::string_view Name) const;
  bool InheritsFrom(const TuiClassInfo& Other) const;
  // The methods streams bind events to, this class's and its ancestors'.
  const std::vector<TuiMethodInfo>& Methods() const { return FMethods; }
  const TuiMethodInfo* FindMethod(std::string_view Name) const;
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
  TuiPropertyList FProperties;
  // The lines this class declared or changed; a deque keeps their addresses.
  std::deque<TuiPropertyInfo> FOwnProperties;
  // Line Index of the table as this class's own, copied from the base first.
  TuiPropertyInfo& OwnLine(size_t Index);
  std::vector<TuiMethodInfo> FMethods;
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

// How a dotted property path ("Fill.Gradient.Style") is walked from its root.
// Streams are strict: every name but the last must be a published property
// holding a persistent object. Animations skip a middle name that holds no
// object and go on from where they are, so "Parent.Opacity" and a path with a
// stray segment both land somewhere sensible.
enum TuiPathRule : uint8_t { uxPathStrict, uxPathSkipNonObjects };

enum TuiPathError : uint8_t {
  peNone,
  peNoProperty,  // a name that is no published property
  peNotObject,   // a middle name that holds no persistent object
};

struct TuiPropertyRef {
  TuiPersistent* Object = nullptr;            // holds the last property
  const TuiPropertyInfo* Property = nullptr;  // the last property
  TuiPersistent* Anchor = nullptr;            // the last object on the way for which IsAnchor held
  TuiPathError Error = peNone;
  explicit operator bool() const { return Property != nullptr; }
};

// The one path resolver. IsAnchor, when given, picks the objects whose lifetime
// bounds the result (the nearest tree object on the path).
TuiPropertyRef FindPropertyPath(TuiPersistent& Root, std::string_view Path, TuiPathRule Rule = uxPathStrict,
                                bool (*IsAnchor)(const TuiPersistent*) = nullptr);

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
    if (Set) {
      p.Set = [Set](TuiPersistent& O, const TuiPropValue& V2) {
        (static_cast<C&>(O).*Set)(uxdetail::FromValue<S>(V2));
      };
      if constexpr (std::is_floating_point_v<uxdetail::TBare<S>>) {
        using TSetter = void (C::*)(S);
        static_assert(sizeof(TSetter) <= sizeof(p.Fast.Member));
        std::memcpy(p.Fast.Member, &Set, sizeof(TSetter));
        p.Fast.Float = [](const unsigned char* M, TuiPersistent& O, float Value) {
          TSetter setter;
          std::memcpy(&setter, M, sizeof(TSetter));
          (static_cast<C&>(O).*setter)(Value);
        };
      }
    }
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

  // An event field (a std::function), streamed as the name of the root's
  // method it is bound to. Reading binds it through the root's method table;
  // setting a name by hand only records it, and an empty name unbinds.
  template <class E>
  TuiPropertyInfo& Event(std::string Name, E C::*Field) {
    return EventAt<E>(std::move(Name), [Field](C& O) -> E& { return O.*Field; });
  }
  // The same for a field of a block the object makes on first use (Block).
  template <class B, class E>
  TuiPropertyInfo& Event(std::string Name, E B::*Field, B& (C::*Block)()) {
    return EventAt<E>(std::move(Name), [Field, Block](C& O) -> E& { return (O.*Block)().*Field; });
  }

  template <class E, class F>
  TuiPropertyInfo& EventAt(std::string Name, F Slot) {
    TuiPropertyInfo p;
    p.Name = std::move(Name);
    p.Kind = pkEvent;
    p.EventType = &typeid(E);
    p.EventSlot = [Slot](TuiPersistent& O) -> void* { return &Slot(static_cast<C&>(O)); };
    p.Get = [N = p.Name](const TuiPersistent& O) {
      return TuiPropValue(static_cast<const C&>(O).EventHandlerName(N));
    };
    p.Set = [Slot, N = p.Name](TuiPersistent& O, const TuiPropValue& V) {
      C& object = static_cast<C&>(O);
      const std::string& handler = std::get<std::string>(V);
      if (handler.empty()) Slot(object) = nullptr;
      object.SetEventHandlerName(N, handler);
    };
    return Add(std::move(p));
  }

  // A component this one refers to without owning it, streamed by its name
  // and found again once the whole stream is in. The setter keeps the
  // reference safe (a free notification) and takes none.
  template <class T>
  TuiPropertyInfo& Reference(std::string Name, T* (C::*Get)() const, void (C::*SetFn)(T*)) {
    TuiPropertyInfo p;
    p.Name = std::move(Name);
    p.Kind = pkReference;
    p.Get = [Get](const TuiPersistent& O) {
      return TuiPropValue(static_cast<TuiPersistent*>((static_cast<const C&>(O).*Get)()));
    };
    p.Set = [SetFn](TuiPersistent& O, const TuiPropValue& V) {
      TuiPersistent* target =
          std::holds_alternative<TuiPersistent*>(V) ? std::get<TuiPersistent*>(V) : nullptr;
      T* typed = dynamic_cast<T*>(target);
      if (target && !typed) throw std::invalid_argument("reference of the wrong class");
      (static_cast<C&>(O).*SetFn)(typed);
    };
    return Add(std::move(p));
  }

  // A method that streams may bind an event of a matching type to.
  template <class R, class... A>
  void Method(std::string Name, R (C::*Fn)(A...)) {
    TuiMethodInfo m;
    m.Name = std::move(Name);
    m.Type = &typeid(std::function<R(A...)>);
    m.Bind = [Fn](TuiPersistent& Root, void* Slot) {
      C* root = &static_cast<C&>(Root);
      *static_cast<std::function<R(A...)>*>(Slot) = [root, Fn](A... Args) -> R {
        return (root->*Fn)(std::forward<A>(Args)...);
      };
    };
    FInfo.FMethods.push_back(std::move(m));
  }

  // A native colour setter next to a colour text property, for animations.
  void ColorSetter(std::string_view Name, void (C::*SetFn)(uint32_t)) {
    TuiPropertyInfo* p = Own(Name);
    using TSetter = void (C::*)(uint32_t);
    std::memcpy(p->Fast.Member, &SetFn, sizeof(TSetter));
    p->Fast.Color = [](const unsigned char* M, TuiPersistent& O, uint32_t Value) {
      TSetter setter;
      std::memcpy(&setter, M, sizeof(TSetter));
      (static_cast<C&>(O).*setter)(Value);
    };
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
  // A class that redeclares an inherited property (a field of its own behind
  // the same name) takes over the base's line, keeping its place.
  std::vector<const TuiPropertyInfo*>& items = FInfo.FProperties.FItems;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i]->Name == P.Name) return FInfo.OwnLine(i) = std::move(P);
  FInfo.FOwnProperties.push_back(std::move(P));
  items.push_back(&FInfo.FOwnProperties.back());
  return FInfo.FOwnProperties.back();
}

template <class C>
TuiPropertyInfo* TuiClassBuilder<C>::Own(std::string_view Name) {
  const std::vector<const TuiPropertyInfo*>& items = FInfo.FProperties.FItems;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i]->Name == Name) return &FInfo.OwnLine(i);
  throw std::logic_error("no property " + std::string(Name) + " in " + FInfo.FName);
}

// ---- class declaration helpers ----

template <class C>
const TuiClassInfo& BuildClassInfo(const char* Name) {
  static TuiClassInfo info(Name, &C::Inherited::StaticClass());
  static const bool built = [] {
    // The table starts as the base's, then the class adds its own lines.
    info.FProperties.FItems = C::Inherited::StaticClass().Properties().FItems;
    info.FMethods = C::Inherited::StaticClass().Methods();
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
