#include "scene2d/stream/StreamReader.h"

#include <bit>
#include <utility>

#include "scene2d/stream/StreamErrors.h"
#include "scene2d/stream/TextEncoding.h"
#include "scene2d/stream/TextSyntax.h"

namespace {

constexpr std::string_view kSignature = "TPF0";

[[noreturn]] void InvalidValue() {
  uxRaiseReadError(uxMsgInvalidPropertyValue);
}
[[noreturn]] void InvalidFormat() {
  uxRaiseReadError(uxMsgInvalidStreamFormat);
}

}  // namespace

void TuiStreamReader::Need(size_t Count) const {
  if (Count > Remaining()) uxRaiseReadError(uxMsgStreamReadError);
}

uint64_t TuiStreamReader::Unsigned(int Bytes) {
  Need(size_t(Bytes));
  uint64_t v = 0;
  for (int i = Bytes - 1; i >= 0; --i) v = (v << 8) | (unsigned char)FData[FPos + size_t(i)];
  FPos += size_t(Bytes);
  return v;
}

std::string_view TuiStreamReader::Take(size_t Count) {
  Need(Count);
  const std::string_view s = FData.substr(FPos, Count);
  FPos += Count;
  return s;
}

void TuiStreamReader::ReadSignature() {
  Need(kSignature.size());
  if (FData.substr(FPos, kSignature.size()) != kSignature) InvalidFormat();
  FPos += kSignature.size();
}

std::string_view TuiStreamReader::ReadShortString() {
  return Take(Byte());
}

TuiObjectHeader TuiStreamReader::ReadObjectHeader() {
  TuiObjectHeader h;
  Need(1);
  const unsigned char first = (unsigned char)FData[FPos];
  if ((first & 0xF0) == 0xF0) {
    ++FPos;
    h.HasPrefix = true;
    h.PrefixFlags = first & 0x0F;
    if (h.PrefixFlags & uxPrefixHasPosition) {
      const TuiValueType t = ReadValueType();
      if (t != vtInt8 && t != vtInt16 && t != vtInt32) InvalidFormat();
      h.Position = int32_t(IntegerPayload(t));
      h.PositionType = t;
    }
  }
  // A class name of 240 bytes or more could not have been written: its length
  // byte would read as a prefix.
  h.ClassName = ReadShortString();
  if (h.ClassName.empty() || h.ClassName.size() >= 0xF0) InvalidFormat();
  h.Name = ReadShortString();
  return h;
}

bool TuiStreamReader::EndOfList() const {
  Need(1);
  return FData[FPos] == 0;
}

void TuiStreamReader::ReadEnd() {
  if (Byte() != 0) {
    --FPos;
    InvalidFormat();
  }
}

void TuiStreamReader::EnterNesting() {
  if (FDepth >= uxMaxStreamDepth) InvalidFormat();
  ++FDepth;
}

TuiValueType TuiStreamReader::NextValue() const {
  Need(1);
  const unsigned char t = (unsigned char)FData[FPos];
  if (t > uxLastValueType) InvalidFormat();
  return TuiValueType(t);
}

TuiValueType TuiStreamReader::ReadValueType() {
  const TuiValueType t = NextValue();
  ++FPos;
  return t;
}

int64_t TuiStreamReader::IntegerPayload(TuiValueType Type) {
  switch (Type) {
    case vtInt8:
      return int8_t(Unsigned(1));
    case vtInt16:
      return int16_t(Unsigned(2));
    case vtInt32:
      return int32_t(Unsigned(4));
    default:
      return int64_t(Unsigned(8));
  }
}

int32_t TuiStreamReader::ReadInteger() {
  const TuiValueType t = ReadValueType();
  if (t != vtInt8 && t != vtInt16 && t != vtInt32) InvalidValue();
  return int32_t(IntegerPayload(t));
}

int64_t TuiStreamReader::ReadInt64() {
  const TuiValueType t = ReadValueType();
  if (t != vtInt8 && t != vtInt16 && t != vtInt32 && t != vtInt64) InvalidValue();
  return IntegerPayload(t);
}

TuiExtended TuiStreamReader::ReadExtended() {
  if (ReadValueType() != vtExtended) InvalidValue();
  const std::string_view b = Take(10);
  return TuiExtended::FromBytes(reinterpret_cast<const unsigned char*>(b.data()));
}

float TuiStreamReader::ReadFloat() {
  if (NextValue() == vtExtended) return ReadExtended().ToFloat();
  return float(ReadInt64());
}

double TuiStreamReader::ReadDouble() {
  if (NextValue() == vtExtended) return ReadExtended().ToDouble();
  return double(ReadInt64());
}

float TuiStreamReader::ReadSingle() {
  if (ReadValueType() != vtSingle) InvalidValue();
  return std::bit_cast<float>(uint32_t(Unsigned(4)));
}

int64_t TuiStreamReader::ReadCurrency() {
  if (ReadValueType() != vtCurrency) InvalidValue();
  return int64_t(Unsigned(8));
}

double TuiStreamReader::ReadDate() {
  if (ReadValueType() != vtDate) InvalidValue();
  return std::bit_cast<double>(Unsigned(8));
}

bool TuiStreamReader::ReadBoolean() {
  switch (ReadValueType()) {
    case vtFalse:
      return false;
    case vtTrue:
      return true;
    case vtIdent: {
      const std::string_view name = ReadShortString();
      if (uxSameWord(name, "True")) return true;
      if (uxSameWord(name, "False")) return false;
      InvalidValue();
    }
    default:
      InvalidValue();
  }
}

std::string TuiStreamReader::ReadIdent() {
  switch (ReadValueType()) {
    case vtIdent:
      return std::string(ReadShortString());
    case vtNull:
      return "Null";
    case vtFalse:
      return "False";
    case vtTrue:
      return "True";
    case vtNil:
      return "nil";
    default:
      InvalidValue();
  }
}

std::string_view TuiStreamReader::TextPayload(TuiValueType Type) {
  return Type == vtString ? ReadShortString() : Take(Length());
}

std::u16string TuiStreamReader::WidePayload() {
  const uint64_t count = Length();
  Need(count * 2);
  std::u16string s(size_t(count), u'\0');
  for (char16_t& c : s) c = char16_t(Unsigned(2));
  return s;
}

std::string TuiStreamReader::ReadString() {
  const TuiValueType t = ReadValueType();
  switch (t) {
    case vtString:
    case vtLString:
      return std::string(TextPayload(t));
    case vtUtf8String:
      return uxUtf8ToCodePage(TextPayload(t));
    case vtWString:
      return uxUtf16ToCodePage(WidePayload());
    default:
      InvalidValue();
  }
}

std::u16string TuiStreamReader::ReadWideString() {
  const TuiValueType t = ReadValueType();
  switch (t) {
    case vtString:
    case vtLString:
      return uxCodePageToUtf16(TextPayload(t));
    case vtUtf8String:
      return uxUtf8ToUtf16(TextPayload(t));
    case vtWString:
      return WidePayload();
    default:
      InvalidValue();
  }
}

std::string TuiStreamReader::ReadUtf8String() {
  const TuiValueType t = ReadValueType();
  switch (t) {
    case vtString:
    case vtLString:
      return uxCodePageToUtf8(TextPayload(t));
    case vtUtf8String:
      return std::string(TextPayload(t));
    case vtWString: {
      std::string s;
      uxUtf16ToUtf8(WidePayload(), s, true);
      return s;
    }
    default:
      InvalidValue();
  }
}

std::string TuiStreamReader::ReadBinary() {
  if (ReadValueType() != vtBinary) InvalidValue();
  return std::string(Take(Length()));
}

std::vector<std::string> TuiStreamReader::ReadSet() {
  if (ReadValueType() != vtSet) InvalidValue();
  return SetPayload();
}

std::vector<std::string> TuiStreamReader::SetPayload() {
  std::vector<std::string> names;
  for (std::string_view name = ReadShortString(); !name.empty(); name = ReadShortString())
    names.emplace_back(name);
  return names;
}

void TuiStreamReader::ReadListBegin() {
  if (ReadValueType() != vtList) InvalidValue();
  EnterNesting();
}

void TuiStreamReader::ReadListEnd() {
  ReadEnd();
  LeaveNesting();
}

void TuiStreamReader::ReadCollectionBegin() {
  if (ReadValueType() != vtCollection) InvalidValue();
  EnterNesting();
}

void TuiStreamReader::ReadItemBegin(std::optional<int32_t>& Index, TuiValueType& IndexType) {
  Index.reset();
  IndexType = vtNull;
  const TuiValueType t = ReadValueType();
  if (t == vtInt8 || t == vtInt16 || t == vtInt32) {
    Index = int32_t(IntegerPayload(t));
    IndexType = t;
    if (ReadValueType() != vtList) InvalidFormat();
  } else if (t != vtList) {
    InvalidFormat();
  }
}

void TuiStreamReader::ReadCollectionEnd() {
  ReadEnd();
  LeaveNesting();
}

TuiStreamItem TuiStreamReader::ReadItem() {
  TuiStreamItem item;
  ReadItemBegin(item.Index, item.IndexType);
  while (!EndOfList()) {
    std::string path(ReadPropertyName());
    item.Properties.push_back({std::move(path), ReadValue()});
  }
  ReadEnd();
  return item;
}

void TuiStreamReader::SkipItem() {
  std::optional<int32_t> index;
  TuiValueType indexType;
  ReadItemBegin(index, indexType);
  while (!EndOfList()) {
    ReadShortString();
    SkipValue();
  }
  ReadEnd();
}

TuiStreamValue TuiStreamReader::ReadValue() {
  const TuiValueType t = ReadValueType();
  switch (t) {
    case vtNull:
    case vtFalse:
    case vtTrue:
    case vtNil:
      return TuiStreamValue::Simple(t);
    case vtInt8:
    case vtInt16:
    case vtInt32:
    case vtInt64:
      return TuiStreamValue::Integer(IntegerPayload(t), t);
    case vtExtended: {
      const std::string_view b = Take(10);
      return TuiStreamValue::Extended(
          TuiExtended::FromBytes(reinterpret_cast<const unsigned char*>(b.data())));
    }
    case vtSingle:
      return TuiStreamValue::Single(std::bit_cast<float>(uint32_t(Unsigned(4))));
    case vtCurrency:
      return TuiStreamValue::Currency(int64_t(Unsigned(8)));
    case vtDate:
      return TuiStreamValue::Date(std::bit_cast<double>(Unsigned(8)));
    case vtIdent:
      return TuiStreamValue::Ident(std::string(ReadShortString()));
    case vtString:
    case vtLString:
    case vtUtf8String:
      return TuiStreamValue::String(t, std::string(TextPayload(t)));
    case vtBinary:
      return TuiStreamValue::Binary(std::string(Take(Length())));
    case vtWString:
      return TuiStreamValue::WString(WidePayload());
    case vtSet:
      return TuiStreamValue::Set(SetPayload());
    case vtList: {
      EnterNesting();
      const size_t start = FPos;
      while (!EndOfList()) SkipValue();
      std::string contents(FData.substr(start, FPos - start));
      ReadListEnd();
      return TuiStreamValue::EncodedList(std::move(contents));
    }
    case vtCollection: {
      EnterNesting();
      const size_t start = FPos;
      while (!EndOfList()) SkipItem();
      std::string contents(FData.substr(start, FPos - start));
      ReadCollectionEnd();
      return TuiStreamValue::EncodedCollection(std::move(contents));
    }
  }
  InvalidFormat();
}

void TuiStreamReader::SkipPayload(TuiValueType Type) {
  switch (Type) {
    case vtNull:
    case vtFalse:
    case vtTrue:
    case vtNil:
      return;
    case vtInt8:
      return void(Take(1));
    case vtInt16:
      return void(Take(2));
    case vtInt32:
    case vtSingle:
      return void(Take(4));
    case vtInt64:
    case vtCurrency:
    case vtDate:
      return void(Take(8));
    case vtExtended:
      return void(Take(10));
    case vtIdent:
    case vtString:
      return void(ReadShortString());
    case vtLString:
    case vtUtf8String:
    case vtBinary:
      return void(Take(Length()));
    case vtWString:
      return void(Take(uint64_t(Length()) * 2));
    case vtSet:
      while (!ReadShortString().empty()) {
      }
      return;
    case vtList:
      EnterNesting();
      while (!EndOfList()) SkipValue();
      return ReadListEnd();
    case vtCollection:
      EnterNesting();
      while (!EndOfList()) SkipItem();
      return ReadCollectionEnd();
  }
}

void TuiStreamReader::SkipValue() {
  SkipPayload(ReadValueType());
}
