#include "scene2d/stream/StreamWriter.h"

#include <bit>

#include "scene2d/stream/StreamErrors.h"
#include "scene2d/stream/StreamReader.h"
#include "scene2d/stream/TextEncoding.h"

void TuiStreamWriter::Unsigned(uint64_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i) FData += char((Value >> (8 * i)) & 0xFF);
}

void TuiStreamWriter::ShortString(std::string_view Text) {
  if (Text.size() > 255) uxRaiseWriteError();
  FData += char(Text.size());
  FData += Text;
}

void TuiStreamWriter::LongString(std::string_view Text) {
  if (Text.size() > UINT32_MAX) uxRaiseWriteError();
  Unsigned(Text.size(), 4);
  FData += Text;
}

void TuiStreamWriter::WideString(std::u16string_view Text) {
  if (Text.size() > UINT32_MAX) uxRaiseWriteError();
  Unsigned(Text.size(), 4);
  for (char16_t c : Text) Unsigned(c, 2);
}

void TuiStreamWriter::WriteSignature() {
  FData += "TPF0";
}

void TuiStreamWriter::WriteObjectHeader(const TuiObjectHeader& Header) {
  if (Header.ClassName.empty() || Header.ClassName.size() >= 0xF0) uxRaiseWriteError();
  const bool hasPosition = Header.PrefixFlags & uxPrefixHasPosition;
  if (Header.PrefixFlags > 0x0F || hasPosition != Header.Position.has_value() ||
      (Header.PrefixFlags && !Header.HasPrefix))
    uxRaiseWriteError();
  if (Header.HasPrefix) {
    FData += char(0xF0 | Header.PrefixFlags);
    if (hasPosition) {
      const TuiValueType t =
          uxFitsIntegerType(Header.PositionType, *Header.Position) && Header.PositionType != vtInt64
              ? Header.PositionType
              : uxIntegerType(*Header.Position);
      IntegerAs(t, *Header.Position);
    }
  }
  ShortString(Header.ClassName);
  ShortString(Header.Name);
}

void TuiStreamWriter::WritePropertyName(std::string_view Path) {
  if (Path.empty()) uxRaiseWriteError();
  ShortString(Path);
}

void TuiStreamWriter::EnterNesting() {
  if (FDepth >= uxMaxStreamDepth) uxRaiseWriteError();
  ++FDepth;
}

void TuiStreamWriter::IntegerAs(TuiValueType Type, int64_t Value) {
  WriteValueType(Type);
  Unsigned(uint64_t(Value), Type == vtInt8 ? 1 : Type == vtInt16 ? 2 : Type == vtInt32 ? 4 : 8);
}

void TuiStreamWriter::WriteInteger(int64_t Value) {
  IntegerAs(uxIntegerType(Value), Value);
}

void TuiStreamWriter::WriteExtended(TuiExtended Value) {
  WriteValueType(vtExtended);
  unsigned char b[10];
  Value.ToBytes(b);
  FData.append(reinterpret_cast<const char*>(b), 10);
}

void TuiStreamWriter::WriteFloat(float Value) {
  WriteExtended(TuiExtended::FromFloat(Value));
}

void TuiStreamWriter::WriteDouble(double Value) {
  WriteExtended(TuiExtended::FromDouble(Value));
}

void TuiStreamWriter::WriteSingle(float Value) {
  WriteValueType(vtSingle);
  Unsigned(std::bit_cast<uint32_t>(Value), 4);
}

void TuiStreamWriter::WriteCurrency(int64_t TenThousandths) {
  WriteValueType(vtCurrency);
  Unsigned(uint64_t(TenThousandths), 8);
}

void TuiStreamWriter::WriteDate(double Value) {
  WriteValueType(vtDate);
  Unsigned(std::bit_cast<uint64_t>(Value), 8);
}

void TuiStreamWriter::WriteIdent(std::string_view Name) {
  WriteValueType(vtIdent);
  ShortString(Name);
}

void TuiStreamWriter::WriteStoredText(const TuiStoredText& Text) {
  WriteValueType(Text.Type);
  switch (Text.Type) {
    case vtString:
      return ShortString(Text.Bytes);
    case vtWString:
      return WideString(Text.Wide);
    default:
      return LongString(Text.Bytes);
  }
}

void TuiStreamWriter::WriteString(std::string_view Text) {
  WriteStoredText(uxStoreNarrowText(Text));
}

void TuiStreamWriter::WriteWideString(std::u16string_view Text) {
  WriteStoredText(uxStoreWideText(Text));
}

void TuiStreamWriter::WriteUtf8String(std::string_view Text) {
  WriteStoredText(uxStoreUtf8Text(Text));
}

void TuiStreamWriter::WriteBinary(std::string_view Bytes) {
  WriteValueType(vtBinary);
  LongString(Bytes);
}

void TuiStreamWriter::WriteSet(const std::vector<std::string>& Names) {
  WriteValueType(vtSet);
  for (const std::string& n : Names) {
    if (n.empty()) uxRaiseWriteError();
    ShortString(n);
  }
  WriteEnd();
}

void TuiStreamWriter::WriteListBegin() {
  EnterNesting();
  WriteValueType(vtList);
}

void TuiStreamWriter::WriteListEnd() {
  WriteEnd();
  LeaveNesting();
}

void TuiStreamWriter::WriteCollectionBegin() {
  EnterNesting();
  WriteValueType(vtCollection);
}

void TuiStreamWriter::WriteItemBegin(std::optional<int32_t> Index, TuiValueType IndexType) {
  if (Index) {
    const bool keep = uxFitsIntegerType(IndexType, *Index) && IndexType != vtInt64;
    IntegerAs(keep ? IndexType : uxIntegerType(*Index), *Index);
  }
  WriteValueType(vtList);
}

void TuiStreamWriter::WriteCollectionEnd() {
  WriteEnd();
  LeaveNesting();
}

void TuiStreamWriter::WriteItem(const TuiStreamItem& Item) {
  WriteItemBegin(Item.Index, Item.IndexType);
  for (const TuiStreamProperty& p : Item.Properties) {
    WritePropertyName(p.Path);
    WriteValue(p.Value);
  }
  WriteEnd();
}

// Encoded contents may nest deeper than their place here allows; a reader
// starting at this depth finds out, in one pass that builds nothing.
void TuiStreamWriter::EncodedContents(std::string_view Contents, bool Items) {
  TuiStreamReader reader(Contents);
  reader.Reset({0, FDepth});
  try {
    while (!reader.AtEnd()) Items ? reader.SkipItem() : reader.SkipValue();
  } catch (const EuxReadError&) {
    uxRaiseWriteError();
  }
  FData += Contents;
}

void TuiStreamWriter::WriteListItem(const TuiStreamValue& Value) {
  if (Value.Type() == vtNull)
    WriteIdent("Null");
  else
    WriteValue(Value);
}

void TuiStreamWriter::WriteValue(const TuiStreamValue& Value) {
  const TuiValueType t = Value.Type();
  switch (t) {
    case vtNull:
    case vtFalse:
    case vtTrue:
    case vtNil:
      return WriteValueType(t);
    case vtInt8:
    case vtInt16:
    case vtInt32:
    case vtInt64:
      return IntegerAs(t, Value.AsInteger());
    case vtExtended:
      return WriteExtended(Value.AsExtended());
    case vtSingle:
      return WriteSingle(Value.AsSingle());
    case vtCurrency:
      return WriteCurrency(Value.AsInteger());
    case vtDate:
      return WriteDate(Value.AsDate());
    case vtIdent:
      return WriteIdent(Value.AsBytes());
    case vtString:
      WriteValueType(t);
      return ShortString(Value.AsBytes());
    case vtLString:
    case vtUtf8String:
      WriteValueType(t);
      return LongString(Value.AsBytes());
    case vtBinary:
      return WriteBinary(Value.AsBytes());
    case vtWString:
      WriteValueType(t);
      return WideString(Value.AsWide());
    case vtSet:
      return WriteSet(Value.AsSet());
    case vtList:
      WriteListBegin();
      EncodedContents(Value.EncodedContents(), false);
      return WriteListEnd();
    case vtCollection:
      WriteCollectionBegin();
      EncodedContents(Value.EncodedContents(), true);
      return WriteCollectionEnd();
  }
  uxRaiseWriteError();
}
