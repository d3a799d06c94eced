#include "scene2d/PropertyHandle.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "scene2d/Colors.h"
#include "scene2d/Errors.h"
#include "scene2d/TextForms.h"

namespace {

[[noreturn]] void CannotConvert(const TuiPropertyInfo& P, std::string_view What) {
  throw EuxConvertError("Cannot convert " + std::string(What) + " for property " + P.Name);
}

std::string Describe(const TuiPropValue& V) {
  if (auto* t = std::get_if<std::string>(&V)) return "'" + *t + "'";
  if (std::holds_alternative<bool>(V)) return "a Boolean";
  if (std::holds_alternative<int64_t>(V)) return "an integer";
  if (std::holds_alternative<double>(V)) return "a number";
  if (std::holds_alternative<TuiBinary>(V)) return "binary data";
  if (std::holds_alternative<TuiPersistent*>(V)) return "an object";
  return "nothing";
}

int64_t ToInteger(const TuiPropertyInfo& P, const TuiPropValue& V) {
  if (auto* i = std::get_if<int64_t>(&V)) return *i;
  if (auto* b = std::get_if<bool>(&V)) return *b ? 1 : 0;
  if (auto* d = std::get_if<double>(&V)) {
    // Only whole numbers: a fraction silently cut off would be a different value.
    if (std::isfinite(*d) && *d == std::trunc(*d) && std::fabs(*d) < 9.2e18) return int64_t(*d);
  }
  if (auto* t = std::get_if<std::string>(&V)) {
    int64_t value = 0;
    const char* first = t->data();
    const char* last = first + t->size();
    if (first != last && *first == '+') ++first;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc() && end == last && first != last) return value;
  }
  CannotConvert(P, Describe(V));
}

double ToFloat(const TuiPropertyInfo& P, const TuiPropValue& V) {
  if (auto* d = std::get_if<double>(&V)) return *d;
  if (auto* i = std::get_if<int64_t>(&V)) return double(*i);
  if (auto* t = std::get_if<std::string>(&V)) {
    float value = 0;
    if (TryTextToFloat(*t, value)) return value;
  }
  CannotConvert(P, Describe(V));
}

bool ToBool(const TuiPropertyInfo& P, const TuiPropValue& V) {
  if (auto* b = std::get_if<bool>(&V)) return *b;
  if (auto* i = std::get_if<int64_t>(&V); i && (*i == 0 || *i == 1)) return *i == 1;
  if (auto* t = std::get_if<std::string>(&V)) {
    if (SameText(*t, "True")) return true;
    if (SameText(*t, "False")) return false;
  }
  CannotConvert(P, Describe(V));
}

std::string ToText(const TuiPropertyInfo& P, const TuiPropValue& V) {
  if (auto* t = std::get_if<std::string>(&V)) return *t;
  if (auto* i = std::get_if<int64_t>(&V)) return std::to_string(*i);
  if (auto* d = std::get_if<double>(&V)) {
    // The shortest text that reads back as the same number, "." whatever the locale.
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *d);
    if (ec == std::errc()) return std::string(buffer, end);
  }
  if (auto* b = std::get_if<bool>(&V)) return *b ? "True" : "False";
  CannotConvert(P, Describe(V));
}

}  // namespace

TuiPropValue uxConvertPropValue(const TuiPropertyInfo& P, const TuiPropValue& V) {
  switch (P.Kind) {
    case pkBool:
      return ToBool(P, V);
    case pkInteger: {
      const int64_t i = ToInteger(P, V);
      if (i < std::numeric_limits<int32_t>::min() || i > std::numeric_limits<int32_t>::max())
        CannotConvert(P, "a value out of range");
      return i;
    }
    case pkInt64:
      return ToInteger(P, V);
    case pkFloat: {
      const double d = ToFloat(P, V);
      // A float property is single precision: what does not fit is no value of it.
      if (!std::isfinite(d) || std::fabs(d) > double(std::numeric_limits<float>::max()))
        CannotConvert(P, "a value out of range");
      return d;
    }
    case pkString:
    case pkEvent:
      return ToText(P, V);
    case pkEnum: {
      int64_t ordinal = -1;
      if (auto* t = std::get_if<std::string>(&V))
        ordinal = P.Enum->Find(*t);
      else if (auto* b = std::get_if<bool>(&V))
        ordinal = *b ? 1 : 0;
      else if (auto* i = std::get_if<int64_t>(&V))
        ordinal = *i;
      if (ordinal < 0 || ordinal >= int64_t(P.Enum->Names.size())) CannotConvert(P, Describe(V));
      return ordinal;
    }
    case pkSet: {
      const int64_t mask = ToInteger(P, V);
      if (mask < 0 || mask >= (int64_t(1) << std::min<size_t>(P.Enum->Names.size(), 32)))
        CannotConvert(P, "a value out of range");
      return mask;
    }
    case pkBinary:
      if (std::holds_alternative<TuiBinary>(V)) return V;
      if (auto* t = std::get_if<std::string>(&V))
        return TuiBinary{std::vector<uint8_t>(t->begin(), t->end())};
      CannotConvert(P, Describe(V));
    case pkObject:
    case pkCollection:
    case pkReference:
      if (std::holds_alternative<TuiPersistent*>(V)) return V;
      if (std::holds_alternative<std::monostate>(V)) return static_cast<TuiPersistent*>(nullptr);
      CannotConvert(P, Describe(V));
  }
  CannotConvert(P, Describe(V));
}

namespace {
bool IsTreeObject(const TuiPersistent* P) {
  return dynamic_cast<const TuiObject*>(P) != nullptr;
}
}  // namespace

TuiPropertyHandle::TuiPropertyHandle(TuiPersistent& Root, std::string_view Path, TuiPathRule Rule) {
  Resolve(Root, Path, Rule);
}

TuiPropertyHandle::~TuiPropertyHandle() {
  Reset();
}

bool TuiPropertyHandle::Resolve(TuiPersistent& Root, std::string_view Path, TuiPathRule Rule) {
  Reset();
  const TuiPropertyRef ref = FindPropertyPath(Root, Path, Rule, IsTreeObject);
  if (!ref) return false;
  FTarget = ref.Object;
  FProperty = ref.Property;
  FWatched = static_cast<TuiObject*>(ref.Anchor);
  if (FWatched) FWatched->AddFreeNotify(this);
  return true;
}

void TuiPropertyHandle::Reset() {
  if (FWatched) FWatched->RemoveFreeNotify(this);
  FWatched = nullptr;
  FTarget = nullptr;
  FProperty = nullptr;
}

void TuiPropertyHandle::FreeNotify(TuiObject* Dying) {
  if (Dying != FWatched) return;
  // The holder list is being emptied by the dying object; leave it alone.
  FWatched = nullptr;
  FTarget = nullptr;
  FProperty = nullptr;
}

TuiPropValue TuiPropertyHandle::Get() const {
  return FProperty ? FProperty->Get(*FTarget) : TuiPropValue();
}

void TuiPropertyHandle::Set(const TuiPropValue& Value) {
  if (!FProperty) return;
  if (FProperty->ReadOnly()) throw EuxError("Property is read-only");
  FProperty->Set(*FTarget, uxConvertPropValue(*FProperty, Value));
}

void TuiPropertyHandle::SetFloat(float Value) {
  if (!FProperty) return;
  if (FProperty->Fast.Float) {
    FProperty->Fast.Float(FProperty->Fast.Member, *FTarget, Value);
    return;
  }
  Set(double(Value));
}

void TuiPropertyHandle::SetColor(uint32_t Value) {
  if (!FProperty) return;
  if (FProperty->Fast.Color) {
    FProperty->Fast.Color(FProperty->Fast.Member, *FTarget, Value);
    return;
  }
  if (FProperty->Kind == pkString)
    Set(ColorToText(Value));
  else
    Set(int64_t(Value));
}
