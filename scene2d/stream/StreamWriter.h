#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/stream/StreamValue.h"

// Writes the binary component stream into memory, one piece at a time; the
// caller stores Data() where it belongs once everything is written.
//
// The typed writes pick the tag a reader expects: integers the smallest tag
// that holds them, floats tag 5, texts by the rules of uxStoreNarrowText and
// uxStoreWideText. What no reader could read back raises EuxWriteError
// ("Stream write error") instead of producing a damaged stream: a short string
// over 255 bytes, an empty property name or set element, an empty class name
// or one of 240 bytes or more (its length byte would read as a prefix), a
// prefix without its position, nesting beyond uxMaxStreamDepth.
class TuiStreamWriter {
 public:
  const std::string& Data() const { return FData; }
  std::string TakeData() { return std::move(FData); }
  size_t Size() const { return FData.size(); }

  // ---- structure ----
  void WriteSignature();
  void WriteObjectHeader(const TuiObjectHeader& Header);
  void WritePropertyName(std::string_view Path);
  // The 0 byte that ends properties, children, items, lists and collections.
  void WriteEnd() { FData += '\0'; }
  int Depth() const { return FDepth; }
  void EnterNesting();
  void LeaveNesting() { --FDepth; }

  // ---- values ----
  void WriteInteger(int64_t Value);
  void WriteFloat(float Value);    // tag 5, exactly the float
  void WriteDouble(double Value);  // tag 5, exactly the double
  void WriteExtended(TuiExtended Value);
  void WriteSingle(float Value);
  void WriteCurrency(int64_t TenThousandths);
  void WriteDate(double Value);
  void WriteBoolean(bool Value) { WriteValueType(Value ? vtTrue : vtFalse); }
  void WriteIdent(std::string_view Name);
  void WriteNil() { WriteValueType(vtNil); }
  void WriteNull() { WriteValueType(vtNull); }
  // Texts in the system code page, in UTF-16 and in UTF-8.
  void WriteString(std::string_view Text);
  void WriteWideString(std::u16string_view Text);
  void WriteUtf8String(std::string_view Text);
  void WriteStoredText(const TuiStoredText& Text);
  void WriteBinary(std::string_view Bytes);
  void WriteSet(const std::vector<std::string>& Names);
  // A list: WriteListBegin, values, WriteListEnd.
  void WriteListBegin();
  void WriteListEnd();
  // A collection: WriteCollectionBegin; per item WriteItemBegin, property
  // entries, WriteEnd; then WriteCollectionEnd.
  void WriteCollectionBegin();
  void WriteItemBegin(std::optional<int32_t> Index = {}, TuiValueType IndexType = vtNull);
  void WriteCollectionEnd();
  // One item: its index, its property entries and its end.
  void WriteItem(const TuiStreamItem& Item);

  // Any value with exactly its own tag. A vtNull inside a list, where its 0
  // byte would end the list, goes as the identifier "Null" it reads as.
  void WriteValue(const TuiStreamValue& Value);
  void WriteListItem(const TuiStreamValue& Value);

 private:
  void WriteValueType(TuiValueType Type) { FData += char(Type); }
  void Unsigned(uint64_t Value, int Bytes);
  void ShortString(std::string_view Text);
  void LongString(std::string_view Text);
  void WideString(std::u16string_view Text);
  void IntegerAs(TuiValueType Type, int64_t Value);
  void EncodedContents(std::string_view Contents, bool Items);

  std::string FData;
  int FDepth = 0;
};
