#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/stream/StreamValue.h"

// Nesting of objects, lists and collections that readers and writers accept.
// Real layouts nest a few dozen levels; the limit keeps a hostile stream from
// exhausting the stack. Deeper data is "Invalid stream format".
inline constexpr int uxMaxStreamDepth = 256;

// Reads the binary component stream from memory, one piece at a time.
//
// Every read checks the bytes that remain before it takes or allocates
// anything, so a damaged stream ends in EuxReadError, never in a read past the
// end or an allocation larger than the data: "Stream read error" when the data
// ends early (a truncated stream, a length pointing past the end), "Invalid
// stream format" when it holds what the format does not allow (a wrong
// signature, an unknown tag, a missing end marker, nesting beyond the limit),
// "Invalid property value" when a typed read meets a tag it does not take.
// After an error Position() tells where reading stopped.
class TuiStreamReader {
 public:
  explicit TuiStreamReader(std::string_view Data) : FData(Data) {}

  std::string_view Data() const { return FData; }
  size_t Position() const { return FPos; }
  size_t Remaining() const { return FData.size() - FPos; }
  bool AtEnd() const { return FPos == FData.size(); }

  // A place to come back to: restoring it also restores the nesting depth, so
  // a value abandoned halfway can be skipped from its start.
  struct TMark {
    size_t Position;
    int Depth;
  };
  TMark Mark() const { return {FPos, FDepth}; }
  void Reset(const TMark& Mark) {
    FPos = Mark.Position;
    FDepth = Mark.Depth;
  }

  // ---- structure ----
  void ReadSignature();
  // The optional prefix, the class name (1 to 239 bytes) and the object name.
  TuiObjectHeader ReadObjectHeader();
  // A length byte and that many bytes, viewed in place.
  std::string_view ReadShortString();
  std::string_view ReadPropertyName() { return ReadShortString(); }
  // Whether the next byte is the 0 that ends properties, children, lists,
  // collections and items; nothing is consumed.
  bool EndOfList() const;
  // Consumes that 0 byte.
  void ReadEnd();
  int Depth() const { return FDepth; }
  void EnterNesting();
  void LeaveNesting() { --FDepth; }

  // ---- values: each consumes one whole value ----
  TuiValueType NextValue() const;
  TuiValueType ReadValueType();
  // vtInt8, vtInt16, vtInt32.
  int32_t ReadInteger();
  // The above and vtInt64.
  int64_t ReadInt64();
  // vtExtended or any integer tag; the extended value is rounded once, to the
  // result's precision.
  float ReadFloat();
  double ReadDouble();
  TuiExtended ReadExtended();  // vtExtended only
  float ReadSingle();          // vtSingle
  int64_t ReadCurrency();      // vtCurrency: value * 10000
  double ReadDate();           // vtDate
  // vtFalse, vtTrue, or an identifier "False" / "True" in any case.
  bool ReadBoolean();
  // vtIdent; vtNull, vtFalse, vtTrue and vtNil read as "Null", "False", "True"
  // and "nil".
  std::string ReadIdent();
  // Any of vtString, vtLString, vtUtf8String, vtWString, decoded: in the system
  // code page, as UTF-16 or as UTF-8.
  std::string ReadString();
  std::u16string ReadWideString();
  std::string ReadUtf8String();
  std::string ReadBinary();
  std::vector<std::string> ReadSet();
  // A vtList: ReadListBegin, values while !EndOfList(), ReadListEnd.
  void ReadListBegin();
  void ReadListEnd();
  // A vtCollection: ReadCollectionBegin; while !EndOfList(): ReadItemBegin,
  // property entries while !EndOfList(), ReadEnd; then ReadCollectionEnd.
  void ReadCollectionBegin();
  // The optional index (vtInt8..vtInt32) and the 1 byte that opens an item.
  void ReadItemBegin(std::optional<int32_t>& Index, TuiValueType& IndexType);
  void ReadCollectionEnd();
  // One whole item, from its index to its end.
  TuiStreamItem ReadItem();
  void SkipItem();

  // Any value, exactly as stored. Lists and collections come encoded (see
  // TuiStreamValue::EncodedContents): checked to the end, copied once.
  TuiStreamValue ReadValue();
  // Passes over one value of any tag without keeping it.
  void SkipValue();

 private:
  void Need(size_t Count) const;
  unsigned char Byte() {
    Need(1);
    return (unsigned char)FData[FPos++];
  }
  uint64_t Unsigned(int Bytes);
  uint32_t Length() { return uint32_t(Unsigned(4)); }
  std::string_view Take(size_t Count);
  int64_t IntegerPayload(TuiValueType Type);
  std::u16string WidePayload();
  std::string_view TextPayload(TuiValueType Type);
  std::vector<std::string> SetPayload();
  void SkipPayload(TuiValueType Type);

  std::string_view FData;
  size_t FPos = 0;
  int FDepth = 0;
};
