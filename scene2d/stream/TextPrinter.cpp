#include "scene2d/stream/TextPrinter.h"

#include <optional>

#include "scene2d/stream/DecimalFloat.h"
#include "scene2d/stream/StreamReader.h"
#include "scene2d/stream/TextEncoding.h"
#include "scene2d/stream/TextSyntax.h"

namespace {

constexpr int kStep = 2;
constexpr size_t kPieceLength = 64;  // characters of a string piece before " +" and a new line
constexpr size_t kBytesPerLine = 32;

std::string FloatText(const TuiExtended& Value, TuiFloatKind Kind) {
  if (Value.IsInfinite()) return Value.Negative() ? "-Inf" : "+Inf";
  if (Value.IsNaN()) return Value.Negative() ? "-Nan" : "+Nan";
  return uxFormatDecimal(uxShortestDecimal(Value, Kind));
}

std::string CurrencyText(int64_t TenThousandths) {
  const bool negative = TenThousandths < 0;
  const uint64_t magnitude = negative ? 0 - uint64_t(TenThousandths) : uint64_t(TenThousandths);
  std::string out = negative ? "-" : "";
  out += std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) out += "." + fraction;
  return out + "C";
}

void AppendCode(std::string& Out, char32_t Code) {
  Out += '#';
  Out += std::to_string(uint32_t(Code));
}

}  // namespace

std::string TuiTextPrinter::Print(const TuiStreamObject& Root) {
  TuiTextPrinter printer;
  printer.Object(Root, 0);
  return std::move(printer.FOut);
}

void TuiTextPrinter::Object(const TuiStreamObject& Object, int Indent) {
  const TuiObjectHeader& h = Object.Header;
  Pad(Indent);
  FOut += "object ";
  if (!h.Name.empty()) {
    Name(h.Name);
    FOut += ": ";
  }
  Name(h.ClassName);
  if (h.HasPrefix) {
    FOut += " [flags " + std::to_string(h.PrefixFlags);
    if (h.Position) FOut += ", position " + std::to_string(*h.Position);
    FOut += ']';
  }
  FOut += '\n';
  Properties(Object.Properties, Indent + kStep);
  for (const auto& child : Object.Children) TuiTextPrinter::Object(*child, Indent + kStep);
  Pad(Indent);
  FOut += "end\n";
}

void TuiTextPrinter::Properties(const std::vector<TuiStreamProperty>& Properties, int Indent) {
  for (const TuiStreamProperty& p : Properties) {
    Pad(Indent);
    Name(p.Path);
    FOut += " = ";
    Value(p.Value, Indent);
    FOut += '\n';
  }
}

// Names are 8-bit text in the system code page: bare when they can be, else
// quoted with #nnn codes for the characters quotes cannot hold.
void TuiTextPrinter::Name(std::string_view Bytes) {
  if (uxIsBareName(Bytes)) {
    FOut += Bytes;
    return;
  }
  Text(uxCodePageToUtf16(Bytes), -1);
}

void TuiTextPrinter::Value(const TuiStreamValue& V, int Indent) {
  switch (V.Type()) {
    case vtNull:
      FOut += "Null";
      return;
    case vtFalse:
      FOut += "False";
      return;
    case vtTrue:
      FOut += "True";
      return;
    case vtNil:
      FOut += "nil";
      return;
    case vtInt8:
    case vtInt16:
    case vtInt32:
    case vtInt64:
      FOut += std::to_string(V.AsInteger());
      return;
    case vtExtended:
      FOut += FloatText(V.AsExtended(), fkExtended);
      return;
    case vtSingle:
      FOut += FloatText(TuiExtended::FromFloat(V.AsSingle()), fkSingle) + "S";
      return;
    case vtDate:
      FOut += FloatText(TuiExtended::FromDouble(V.AsDate()), fkDouble) + "D";
      return;
    case vtCurrency:
      FOut += CurrencyText(V.AsInteger());
      return;
    case vtIdent:
      // An identifier spelled like a keyword or not bare keeps its tag with "@".
      if (uxIsBareName(V.AsBytes()) && !uxIsValueKeyword(V.AsBytes())) {
        FOut += V.AsBytes();
      } else {
        FOut += '@';
        Text(uxCodePageToUtf16(V.AsBytes()), -1);
      }
      return;
    case vtString:
    case vtLString:
    case vtUtf8String:
    case vtWString:
      Text(V.AsUtf16(), Indent + kStep);
      return;
    case vtBinary:
      Binary(V.AsBytes(), Indent + kStep);
      return;
    case vtSet: {
      FOut += '[';
      bool first = true;
      for (const std::string& n : V.AsSet()) {
        if (!first) FOut += ", ";
        first = false;
        Name(n);
      }
      FOut += ']';
      return;
    }
    case vtList: {
      TuiStreamReader reader(V.EncodedContents());
      return List(reader, Indent);
    }
    case vtCollection: {
      TuiStreamReader reader(V.EncodedContents());
      return Collection(reader, Indent);
    }
  }
}

// Nested lists and collections are printed straight from their encoding:
// nothing is decoded into values beyond the one being printed.
void TuiTextPrinter::Value(TuiStreamReader& Reader, int Indent) {
  switch (Reader.NextValue()) {
    case vtList:
      Reader.ReadListBegin();
      List(Reader, Indent);
      return Reader.ReadListEnd();
    case vtCollection:
      Reader.ReadCollectionBegin();
      Collection(Reader, Indent);
      return Reader.ReadCollectionEnd();
    default:
      return Value(Reader.ReadValue(), Indent);
  }
}

// The values up to the reader's end or the list's 0 byte.
void TuiTextPrinter::List(TuiStreamReader& Reader, int Indent) {
  auto more = [&] { return !Reader.AtEnd() && !Reader.EndOfList(); };
  if (!more()) {
    FOut += "()";
    return;
  }
  FOut += "(\n";
  while (more()) {
    Pad(Indent + kStep);
    Value(Reader, Indent + kStep);
    FOut += '\n';
  }
  Pad(Indent);
  FOut += ')';
}

void TuiTextPrinter::Collection(TuiStreamReader& Reader, int Indent) {
  auto more = [&] { return !Reader.AtEnd() && !Reader.EndOfList(); };
  if (!more()) {
    FOut += "<>";
    return;
  }
  FOut += "<\n";
  while (more()) {
    std::optional<int32_t> index;
    TuiValueType indexType;
    Reader.ReadItemBegin(index, indexType);
    Pad(Indent + kStep);
    FOut += "item";
    if (index) FOut += ' ' + std::to_string(*index);
    FOut += '\n';
    Properties(Reader, Indent + 2 * kStep);
    Reader.ReadEnd();
    Pad(Indent + kStep);
    FOut += "end\n";
  }
  Pad(Indent);
  FOut += '>';
}

void TuiTextPrinter::Properties(TuiStreamReader& Reader, int Indent) {
  while (!Reader.EndOfList()) {
    Pad(Indent);
    Name(Reader.ReadPropertyName());
    FOut += " = ";
    Value(Reader, Indent);
    FOut += '\n';
  }
}

// Quoted runs and #nnn codes; a long text, or one with line breaks, continues
// with " +" on further lines at ContinueIndent (none when it is negative).
void TuiTextPrinter::Text(std::u16string_view Units, int ContinueIndent) {
  if (Units.empty()) {
    FOut += "''";
    return;
  }
  bool quoted = false;
  size_t piece = 0;
  for (size_t i = 0; i < Units.size(); ++i) {
    char32_t c = Units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Units.size() && Units[i + 1] >= 0xDC00 &&
        Units[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (Units[++i] - 0xDC00);
    if (c < 0x80 && uxIsQuotable((unsigned char)c)) {
      if (!quoted) FOut += '\'';
      quoted = true;
      FOut += char(c);
      if (c == '\'') FOut += '\'';
    } else {
      if (quoted) FOut += '\'';
      quoted = false;
      AppendCode(FOut, c);
    }
    ++piece;
    const bool more = i + 1 < Units.size();
    if (more && ContinueIndent >= 0 && (piece >= kPieceLength || c == '\n')) {
      if (quoted) FOut += '\'';
      quoted = false;
      FOut += " +\n";
      Pad(ContinueIndent);
      piece = 0;
    }
  }
  if (quoted) FOut += '\'';
}

void TuiTextPrinter::Binary(std::string_view Bytes, int Indent) {
  static const char kHex[] = "0123456789ABCDEF";
  FOut += '{';
  const bool multiline = Bytes.size() > kBytesPerLine;
  for (size_t i = 0; i < Bytes.size(); ++i) {
    if (multiline && i % kBytesPerLine == 0) {
      FOut += '\n';
      Pad(Indent);
    }
    const unsigned char b = (unsigned char)Bytes[i];
    FOut += kHex[b >> 4];
    FOut += kHex[b & 15];
  }
  FOut += '}';
}
