#include "scene2d/stream/StreamValue.h"

#include <bit>
#include <utility>

#include "scene2d/stream/StreamReader.h"
#include "scene2d/stream/StreamWriter.h"
#include "scene2d/stream/TextEncoding.h"

TuiValueType uxIntegerType(int64_t Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) return vtInt8;
  if (Value >= INT16_MIN && Value <= INT16_MAX) return vtInt16;
  if (Value >= INT32_MIN && Value <= INT32_MAX) return vtInt32;
  return vtInt64;
}

bool uxFitsIntegerType(TuiValueType Type, int64_t Value) {
  switch (Type) {
    case vtInt8:
      return Value >= INT8_MIN && Value <= INT8_MAX;
    case vtInt16:
      return Value >= INT16_MIN && Value <= INT16_MAX;
    case vtInt32:
      return Value >= INT32_MIN && Value <= INT32_MAX;
    case vtInt64:
      return true;
    default:
      return false;
  }
}

TuiStoredText uxStoreNarrowText(std::string_view Text) {
  if (!uxIsAscii(Text)) return {vtUtf8String, uxCodePageToUtf8(Text), {}};
  return {Text.size() < 256 ? vtString : vtLString, std::string(Text), {}};
}

TuiStoredText uxStoreUtf8Text(std::string_view Text) {
  if (!uxIsAscii(Text)) return {vtUtf8String, std::string(Text), {}};
  return {Text.size() < 256 ? vtString : vtLString, std::string(Text), {}};
}

TuiStoredText uxStoreWideText(std::u16string_view Text) {
  std::string utf8;
  if (!uxUtf16ToUtf8(Text, utf8) || (!Text.empty() && utf8.size() >= 2 * Text.size()))
    return {vtWString, {}, std::u16string(Text)};
  return uxStoreUtf8Text(utf8);
}

TuiStreamValue::TuiStreamValue() = default;
TuiStreamValue::TuiStreamValue(const TuiStreamValue& Other) = default;
TuiStreamValue::TuiStreamValue(TuiStreamValue&& Other) noexcept = default;
TuiStreamValue& TuiStreamValue::operator=(const TuiStreamValue& Other) = default;
TuiStreamValue& TuiStreamValue::operator=(TuiStreamValue&& Other) noexcept = default;
TuiStreamValue::~TuiStreamValue() = default;

TuiStreamValue::TuiStreamValue(TuiValueType Type, TData Data) : FType(Type), FData(std::move(Data)) {}

TuiStreamValue TuiStreamValue::Boolean(bool Value) {
  return Simple(Value ? vtTrue : vtFalse);
}

TuiStreamValue TuiStreamValue::Simple(TuiValueType Type) {
  return {Type, {}};
}

TuiStreamValue TuiStreamValue::Integer(int64_t Value, TuiValueType Type) {
  return {uxFitsIntegerType(Type, Value) ? Type : uxIntegerType(Value), Value};
}

TuiStreamValue TuiStreamValue::Extended(TuiExtended Value) {
  return {vtExtended, Value};
}

TuiStreamValue TuiStreamValue::Single(float Value) {
  return {vtSingle, std::bit_cast<uint32_t>(Value)};
}

TuiStreamValue TuiStreamValue::Currency(int64_t TenThousandths) {
  return {vtCurrency, TenThousandths};
}

TuiStreamValue TuiStreamValue::Date(double Value) {
  return {vtDate, std::bit_cast<uint64_t>(Value)};
}

TuiStreamValue TuiStreamValue::Ident(std::string Name) {
  return {vtIdent, std::move(Name)};
}

TuiStreamValue TuiStreamValue::Binary(std::string Bytes) {
  return {vtBinary, std::move(Bytes)};
}

TuiStreamValue TuiStreamValue::String(TuiValueType Type, std::string Bytes) {
  return {Type, std::move(Bytes)};
}

TuiStreamValue TuiStreamValue::WString(std::u16string Units) {
  return {vtWString, std::move(Units)};
}

TuiStreamValue TuiStreamValue::Text(const TuiStoredText& Text) {
  if (Text.Type == vtWString) return WString(Text.Wide);
  return String(Text.Type, Text.Bytes);
}

TuiStreamValue TuiStreamValue::Set(std::vector<std::string> Names) {
  return {vtSet, std::move(Names)};
}

TuiStreamValue TuiStreamValue::List(std::vector<TuiStreamValue> Values) {
  TuiStreamWriter writer;
  writer.WriteListBegin();
  for (const TuiStreamValue& v : Values) writer.WriteListItem(v);
  writer.WriteListEnd();
  const std::string bytes = writer.TakeData();
  return EncodedList(bytes.substr(1, bytes.size() - 2));
}

TuiStreamValue TuiStreamValue::Collection(std::vector<TuiStreamItem> Items) {
  TuiStreamWriter writer;
  writer.WriteCollectionBegin();
  for (const TuiStreamItem& item : Items) writer.WriteItem(item);
  writer.WriteCollectionEnd();
  const std::string bytes = writer.TakeData();
  return EncodedCollection(bytes.substr(1, bytes.size() - 2));
}

TuiStreamValue TuiStreamValue::EncodedList(std::string Contents) {
  return {vtList, std::move(Contents)};
}

TuiStreamValue TuiStreamValue::EncodedCollection(std::string Contents) {
  return {vtCollection, std::move(Contents)};
}

std::vector<TuiStreamValue> TuiStreamValue::AsList() const {
  TuiStreamReader reader(EncodedContents());
  std::vector<TuiStreamValue> values;
  while (!reader.AtEnd()) values.push_back(reader.ReadValue());
  return values;
}

std::vector<TuiStreamItem> TuiStreamValue::AsCollection() const {
  TuiStreamReader reader(EncodedContents());
  std::vector<TuiStreamItem> items;
  while (!reader.AtEnd()) items.push_back(reader.ReadItem());
  return items;
}

float TuiStreamValue::AsSingle() const {
  return std::bit_cast<float>(std::get<uint32_t>(FData));
}

double TuiStreamValue::AsDate() const {
  return std::bit_cast<double>(std::get<uint64_t>(FData));
}

std::u16string TuiStreamValue::AsUtf16() const {
  switch (FType) {
    case vtWString:
      return AsWide();
    case vtUtf8String:
      return uxUtf8ToUtf16(AsBytes());
    default:
      return uxCodePageToUtf16(AsBytes());
  }
}

bool TuiStreamValue::operator==(const TuiStreamValue& Other) const {
  return FType == Other.FType && FData == Other.FData;
}

bool TuiStreamItem::operator==(const TuiStreamItem& Other) const {
  return Index == Other.Index && IndexType == Other.IndexType && Properties == Other.Properties;
}
