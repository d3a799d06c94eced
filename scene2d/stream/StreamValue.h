#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "scene2d/stream/ExtendedFloat.h"

// The value tags of the binary stream, and a value of any tag held in memory
// exactly as stored, so that reading and writing it again gives the same bytes.

enum TuiValueType : uint8_t {
  vtNull,  // read as the identifier "Null"
  vtList,  // values until a 0 byte
  vtInt8,
  vtInt16,
  vtInt32,
  vtExtended,  // 80-bit float
  vtString,    // up to 255 8-bit characters
  vtIdent,     // enumeration value, handler or component name
  vtFalse,
  vtTrue,
  vtBinary,      // 32-bit length and bytes
  vtSet,         // names until an empty one
  vtLString,     // 32-bit length and 8-bit characters
  vtNil,         // read as the identifier "nil"
  vtCollection,  // items until a 0 byte
  vtSingle,      // 32-bit float
  vtCurrency,    // 64-bit integer holding value * 10000
  vtDate,        // 64-bit float
  vtWString,     // 32-bit count and UTF-16 code units
  vtInt64,
  vtUtf8String,  // 32-bit length and UTF-8 bytes
};
inline constexpr int uxLastValueType = vtUtf8String;

// The integer tag a writer uses: the smallest of vtInt8, vtInt16 and vtInt32
// that holds Value, vtInt64 beyond them.
TuiValueType uxIntegerType(int64_t Value);
// Whether Value fits the integer tag Type (vtInt8 .. vtInt32, vtInt64).
bool uxFitsIntegerType(TuiValueType Type, int64_t Value);

// A text as a writer stores it. For a narrow text (in the system code page):
// plain 7-bit text goes as vtString when shorter than 256 characters, else as
// vtLString; anything else as vtUtf8String. A wide text goes by the narrow rule
// when its UTF-8 form is shorter than twice its length in code units, else as
// vtWString. The empty wide text counts as narrow (a length byte of 0 beats a
// four-byte count of 0), and a wide text with a lone surrogate, which UTF-8
// cannot carry, stays wide.
struct TuiStoredText {
  TuiValueType Type = vtString;
  std::string Bytes;    // vtString, vtLString (7-bit) and vtUtf8String (UTF-8)
  std::u16string Wide;  // vtWString
};
TuiStoredText uxStoreNarrowText(std::string_view Text);
TuiStoredText uxStoreWideText(std::u16string_view Text);
// A text already in UTF-8: 7-bit text as above, anything else vtUtf8String as is.
TuiStoredText uxStoreUtf8Text(std::string_view Text);

struct TuiStreamProperty;

// One item of a collection: an optional index and property entries.
struct TuiStreamItem {
  std::optional<int32_t> Index;
  TuiValueType IndexType = vtNull;  // the tag of Index as stored; vtNull lets the writer choose
  std::vector<TuiStreamProperty> Properties;
  bool operator==(const TuiStreamItem& Other) const;
};

class TuiStreamValue {
 public:
  TuiStreamValue();  // vtNull
  // Defined where the item and property types are complete.
  TuiStreamValue(const TuiStreamValue& Other);
  TuiStreamValue(TuiStreamValue&& Other) noexcept;
  TuiStreamValue& operator=(const TuiStreamValue& Other);
  TuiStreamValue& operator=(TuiStreamValue&& Other) noexcept;
  ~TuiStreamValue();

  static TuiStreamValue Simple(TuiValueType Type);  // vtNull, vtFalse, vtTrue, vtNil
  static TuiStreamValue Boolean(bool Value);
  // An integer with the writer's tag, or with the given one when Value fits it.
  static TuiStreamValue Integer(int64_t Value, TuiValueType Type = vtNull);
  static TuiStreamValue Extended(TuiExtended Value);
  static TuiStreamValue Single(float Value);
  static TuiStreamValue Currency(int64_t TenThousandths);
  static TuiStreamValue Date(double Value);
  static TuiStreamValue Ident(std::string Name);
  static TuiStreamValue Binary(std::string Bytes);
  // A stored string exactly as given: vtString, vtLString or vtUtf8String bytes.
  static TuiStreamValue String(TuiValueType Type, std::string Bytes);
  static TuiStreamValue WString(std::u16string Units);
  static TuiStreamValue Text(const TuiStoredText& Text);
  static TuiStreamValue Set(std::vector<std::string> Names);
  // Lists and collections are held in their binary encoding, so a list of a
  // million one-byte values costs a million bytes, not a million values.
  // Building one encodes it, and raises EuxWriteError for what a writer would
  // refuse (see StreamWriter.h).
  static TuiStreamValue List(std::vector<TuiStreamValue> Values);
  static TuiStreamValue Collection(std::vector<TuiStreamItem> Items);
  // From encoded contents that a reader has already checked: the bytes
  // between the tag and the closing 0 byte.
  static TuiStreamValue EncodedList(std::string Contents);
  static TuiStreamValue EncodedCollection(std::string Contents);

  TuiValueType Type() const { return FType; }
  bool IsInteger() const {
    return FType == vtInt8 || FType == vtInt16 || FType == vtInt32 || FType == vtInt64;
  }
  bool IsString() const {
    return FType == vtString || FType == vtLString || FType == vtUtf8String || FType == vtWString;
  }

  // The accessors expect the matching type.
  int64_t AsInteger() const { return std::get<int64_t>(FData); }  // integers and vtCurrency
  TuiExtended AsExtended() const { return std::get<TuiExtended>(FData); }
  float AsSingle() const;
  double AsDate() const;
  // vtString, vtLString, vtUtf8String, vtIdent, vtBinary: the stored bytes.
  const std::string& AsBytes() const { return std::get<std::string>(FData); }
  const std::u16string& AsWide() const { return std::get<std::u16string>(FData); }
  // Any of the four string tags, decoded.
  std::u16string AsUtf16() const;
  const std::vector<std::string>& AsSet() const { return std::get<std::vector<std::string>>(FData); }
  // Decoded on each call; walking a large one goes better through
  // EncodedContents and a TuiStreamReader.
  std::vector<TuiStreamValue> AsList() const;
  std::vector<TuiStreamItem> AsCollection() const;
  // vtList, vtCollection: the encoded values or items, without the tag and
  // the closing 0 byte.
  std::string_view EncodedContents() const { return std::get<std::string>(FData); }

  bool operator==(const TuiStreamValue& Other) const;

 private:
  using TData = std::variant<std::monostate, int64_t, TuiExtended, uint32_t /*single bits*/,
                             uint64_t /*date bits*/, std::string, std::u16string, std::vector<std::string>>;
  TuiStreamValue(TuiValueType Type, TData Data);
  TuiValueType FType = vtNull;
  TData FData;
};

struct TuiStreamProperty {
  std::string Path;  // dotted: "Fill.Gradient.Style"
  TuiStreamValue Value;
  bool operator==(const TuiStreamProperty&) const = default;
};

// The flag of the object prefix byte that announces a position.
inline constexpr uint8_t uxPrefixHasPosition = 2;

// What precedes an object's properties.
struct TuiObjectHeader {
  // A prefix byte (0xF0 | PrefixFlags) comes first; never written by this system.
  bool HasPrefix = false;
  uint8_t PrefixFlags = 0;
  // The object's place among its parent's children; present exactly when
  // PrefixFlags has uxPrefixHasPosition.
  std::optional<int32_t> Position;
  TuiValueType PositionType = vtNull;  // as stored; vtNull lets the writer choose
  std::string ClassName;
  std::string Name;  // empty for unnamed objects
  bool operator==(const TuiObjectHeader&) const = default;
};
