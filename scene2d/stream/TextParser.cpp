#include "scene2d/stream/TextParser.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "scene2d/stream/DecimalFloat.h"
#include "scene2d/stream/StreamErrors.h"
#include "scene2d/stream/TextEncoding.h"
#include "scene2d/stream/TextSyntax.h"

namespace {

// Longer numbers are refused rather than converted: no stored value needs
// them, and the exact conversion's cost grows with the square of the length.
constexpr size_t kMaxNumberLength = 16384;

bool IsBlank(char C) {
  return C == ' ' || C == '\t' || C == '\r' || C == '\n' || C == '\f' || C == '\v';
}
bool IsDigit(char C) {
  return C >= '0' && C <= '9';
}
int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

// Value = Significand * 2^(biased - 16446); an integer tag takes it when it is
// a whole number within 64 bits. Negative zero stays a float to keep its sign.
bool WholeInt64(const TuiExtended& X, int64_t& Result) {
  if (X.Significand == 0) {
    Result = 0;
    return !X.Negative();
  }
  const int shift = 16446 - X.BiasedExponent();
  if (shift <= 0) {  // 2^63 or more: only -2^63 fits
    if (shift == 0 && X.Negative() && X.Significand == TuiExtended::IntegerBit) {
      Result = INT64_MIN;
      return true;
    }
    return false;
  }
  if (shift >= 64 || (X.Significand & ((uint64_t(1) << shift) - 1))) return false;
  const int64_t magnitude = int64_t(X.Significand >> shift);
  Result = X.Negative() ? -magnitude : magnitude;
  return true;
}

TuiStreamValue Special(bool Negative, bool NaN, char Suffix) {
  const uint64_t sign = Negative ? 1 : 0;
  switch (Suffix) {
    case 'S':
      return TuiStreamValue::Single(
          std::bit_cast<float>(uint32_t(sign << 31 | 0x7F800000u | (NaN ? 0x400000u : 0))));
    case 'D':
      return TuiStreamValue::Date(
          std::bit_cast<double>(sign << 63 | 0x7FF0000000000000u | (NaN ? 0x8000000000000ull : 0)));
    default:
      return TuiStreamValue::Extended(
          {TuiExtended::IntegerBit | (NaN ? uint64_t(1) << 62 : 0), uint16_t(sign << 15 | 0x7FFF)});
  }
}

}  // namespace

std::unique_ptr<TuiStreamObject> TuiTextParser::Parse() {
  FPos = 0;
  FDepth = 0;
  FDetail.clear();
  if (FText.substr(0, 3) == "\xEF\xBB\xBF") FPos = 3;  // a byte order mark some editors put first
  auto root = std::make_unique<TuiStreamObject>();
  SkipBlanks();
  if (AtEnd()) FailEnd("the text holds no object");
  Object(*root);
  SkipBlanks();
  if (!AtEnd()) Fail(uxMsgInvalidStreamFormat, "text after the root object's end");
  return root;
}

int TuiTextParser::Line() const {
  int line = 1;
  for (size_t i = 0; i < FErrorPos && i < FText.size(); ++i)
    if (FText[i] == '\n') ++line;
  return line;
}

int TuiTextParser::Column() const {
  const size_t end = std::min(FErrorPos, FText.size());
  const size_t lineStart = FText.rfind('\n', end == 0 ? 0 : end - 1);
  return int(end - (lineStart == std::string_view::npos || end == 0 ? 0 : lineStart + 1)) + 1;
}

void TuiTextParser::Fail(std::string_view Message, std::string Detail) {
  FErrorPos = FPos;
  FDetail = std::move(Detail);
  uxRaiseReadError(Message);
}

void TuiTextParser::FailEnd(std::string Detail) {
  Fail(uxMsgStreamReadError, std::move(Detail));
}

void TuiTextParser::SkipBlanks() {
  while (!AtEnd() && IsBlank(FText[FPos])) ++FPos;
}

std::string_view TuiTextParser::PeekWord() const {
  size_t end = FPos;
  if (end >= FText.size() || !uxIsWordStart(FText[end])) return {};
  while (end < FText.size() && (uxIsWordChar(FText[end]) || FText[end] == '.')) ++end;
  return FText.substr(FPos, end - FPos);
}

bool TuiTextParser::AtKeyword(std::string_view Keyword) const {
  const std::string_view word = PeekWord();
  if (!uxSameWord(word, Keyword)) return false;
  size_t after = FPos + word.size();
  while (after < FText.size() && IsBlank(FText[after])) ++after;
  return after >= FText.size() || FText[after] != '=';
}

void TuiTextParser::Expect(char C, std::string_view What) {
  SkipBlanks();
  if (AtEnd()) FailEnd("the text ends where " + std::string(What) + " should be");
  if (FText[FPos] != C) Fail(uxMsgInvalidStreamFormat, "expected " + std::string(What));
  ++FPos;
}

void TuiTextParser::Enter() {
  if (FDepth >= uxMaxStreamDepth)
    Fail(uxMsgInvalidStreamFormat, "nesting deeper than " + std::to_string(uxMaxStreamDepth) + " levels");
  ++FDepth;
}

void TuiTextParser::Object(TuiStreamObject& Result) {
  if (!AtKeyword("object")) Fail(uxMsgInvalidStreamFormat, "expected \"object\"");
  Enter();
  FPos += 6;
  SkipBlanks();
  TuiObjectHeader& h = Result.Header;
  h.ClassName = Name("a class name", 255);
  const size_t afterFirst = FPos;
  SkipBlanks();
  if (Peek() == ':') {
    ++FPos;
    SkipBlanks();
    h.Name = std::move(h.ClassName);
    h.ClassName = Name("a class name", 255);
  } else {
    FPos = afterFirst;
  }
  if (h.ClassName.empty() || h.ClassName.size() >= 0xF0)
    Fail(uxMsgInvalidStreamFormat, "a class name must have 1 to 239 characters");
  SkipBlanks();
  if (Peek() == '[') Prefix(h);
  for (;;) {
    SkipBlanks();
    if (AtEnd()) FailEnd("the text ends before the \"end\" of " + h.ClassName);
    if (AtKeyword("end")) {
      FPos += 3;
      break;
    }
    if (AtKeyword("object")) {
      Object(Result.AddChild({}));
      continue;
    }
    if (!Result.Children.empty()) Fail(uxMsgInvalidStreamFormat, "a property after a child object");
    Result.Properties.push_back(Property());
  }
  Leave();
}

void TuiTextParser::Prefix(TuiObjectHeader& Header) {
  ++FPos;
  SkipBlanks();
  if (!uxSameWord(PeekWord(), "flags")) Fail(uxMsgInvalidStreamFormat, "expected \"flags\"");
  FPos += 5;
  SkipBlanks();
  const TuiStreamValue flags = Number();
  if (!flags.IsInteger() || flags.AsInteger() < 0 || flags.AsInteger() > 15)
    Fail(uxMsgInvalidPropertyValue, "prefix flags run from 0 to 15");
  Header.HasPrefix = true;
  Header.PrefixFlags = uint8_t(flags.AsInteger());
  if (Header.PrefixFlags & uxPrefixHasPosition) {
    Expect(',', "\",\" and the position");
    SkipBlanks();
    if (!uxSameWord(PeekWord(), "position")) Fail(uxMsgInvalidStreamFormat, "expected \"position\"");
    FPos += 8;
    SkipBlanks();
    const TuiStreamValue position = Number();
    if (!position.IsInteger() || !uxFitsIntegerType(vtInt32, position.AsInteger()))
      Fail(uxMsgInvalidPropertyValue, "a position is a 32-bit integer");
    Header.Position = int32_t(position.AsInteger());
    Header.PositionType = uxIntegerType(position.AsInteger());
  }
  Expect(']', "\"]\"");
}

TuiStreamProperty TuiTextParser::Property() {
  TuiStreamProperty p;
  p.Path = PropertyName();
  p.Value = Value(false);
  return p;
}

std::string TuiTextParser::PropertyName() {
  std::string path = Name("a property name", 255);
  if (path.empty()) Fail(uxMsgInvalidStreamFormat, "a property name cannot be empty");
  Expect('=', "\"=\" after the property name");
  return path;
}

std::string TuiTextParser::Name(std::string_view What, size_t MaxLength) {
  std::string name;
  const char c = Peek();
  if (uxIsWordStart(c)) {
    name = PeekWord();
    FPos += name.size();
    if (name.back() == '.') Fail(uxMsgInvalidStreamFormat, "a name cannot end with \".\"");
  } else if (c == '\'' || c == '#') {
    for (char16_t unit : Text()) {
      unsigned char b;
      if (!uxCharToCodePage(unit, b))
        Fail(uxMsgInvalidPropertyValue, "character " + std::to_string(unit) + " has no code page byte");
      name += char(b);
    }
  } else {
    if (AtEnd()) FailEnd("the text ends where " + std::string(What) + " should be");
    Fail(uxMsgInvalidStreamFormat, "expected " + std::string(What));
  }
  if (name.size() > MaxLength)
    Fail(uxMsgInvalidStreamFormat, "a name cannot be longer than " + std::to_string(MaxLength) + " bytes");
  return name;
}

std::u16string TuiTextParser::Text() {
  std::u16string text;
  for (;;) {
    const char c = Peek();
    if (c == '\'') {
      ++FPos;
      for (;;) {
        if (AtEnd() || FText[FPos] == '\n' || FText[FPos] == '\r')
          Fail(uxMsgInvalidStreamFormat, "unterminated string");
        const char q = FText[FPos++];
        if (q == '\'') {
          if (Peek() != '\'') break;
          ++FPos;
        }
        text += char16_t(uxCodePageToChar((unsigned char)q));
      }
    } else if (c == '#') {
      ++FPos;
      uint32_t code = 0;
      size_t digits = 0;
      const bool hex = Peek() == '$';
      if (hex) ++FPos;
      for (; !AtEnd(); ++FPos, ++digits) {
        const int d = hex ? HexDigit(FText[FPos]) : (IsDigit(FText[FPos]) ? FText[FPos] - '0' : -1);
        if (d < 0) break;
        if (code <= 0x10FFFF) code = code * (hex ? 16 : 10) + uint32_t(d);
      }
      if (digits == 0) Fail(uxMsgInvalidStreamFormat, "expected a character code after \"#\"");
      if (code > 0x10FFFF) Fail(uxMsgInvalidPropertyValue, "a character code runs from 0 to 1114111");
      if (code >= 0x10000) {
        code -= 0x10000;
        text += char16_t(0xD800 + (code >> 10));
        text += char16_t(0xDC00 + (code & 0x3FF));
      } else {
        text += char16_t(code);
      }
    } else {
      break;
    }
    // A "+" joins the next piece, across blanks and lines; a "+" that does not
    // lead to one belongs to whatever follows the string (a list's "+Inf").
    const size_t afterPiece = FPos;
    SkipBlanks();
    if (Peek() == '+') {
      ++FPos;
      SkipBlanks();
      if (Peek() == '\'' || Peek() == '#') continue;
    }
    FPos = afterPiece;
  }
  return text;
}

TuiStreamValue TuiTextParser::Value(bool InList) {
  SkipBlanks();
  if (AtEnd()) FailEnd("the text ends where a value should be");
  const char c = FText[FPos];
  if (c == '\'' || c == '#') return TuiStreamValue::Text(uxStoreWideText(Text()));
  if (c == '@') {
    ++FPos;
    if (Peek() != '\'' && Peek() != '#') Fail(uxMsgInvalidStreamFormat, "expected a quoted name after \"@\"");
    return TuiStreamValue::Ident(Name("a name", 255));
  }
  if (c == '[') return Set();
  if (c == '(' || c == '<') {
    TuiStreamWriter writer;
    ValueInto(writer, InList);
    const std::string_view bytes = writer.Data();
    std::string contents(bytes.substr(1, bytes.size() - 2));
    return c == '(' ? TuiStreamValue::EncodedList(std::move(contents))
                    : TuiStreamValue::EncodedCollection(std::move(contents));
  }
  if (c == '{') return Binary();
  if (c == '-' || c == '+' || c == '$' || IsDigit(c)) return Number();
  if (uxIsWordStart(c)) {
    std::string word = Name("an identifier", 255);
    if (uxSameWord(word, "False")) return TuiStreamValue::Simple(vtFalse);
    if (uxSameWord(word, "True")) return TuiStreamValue::Simple(vtTrue);
    if (uxSameWord(word, "nil")) return TuiStreamValue::Simple(vtNil);
    // A null's 0 byte would end a list, so there it is the identifier it reads as.
    if (uxSameWord(word, "Null"))
      return InList ? TuiStreamValue::Ident("Null") : TuiStreamValue::Simple(vtNull);
    return TuiStreamValue::Ident(std::move(word));
  }
  Fail(uxMsgInvalidStreamFormat, std::string("unexpected character \"") + c + "\" where a value should be");
}

TuiStreamValue TuiTextParser::Number() {
  const size_t start = FPos;
  bool negative = false;
  if (Peek() == '-' || Peek() == '+') negative = FText[FPos++] == '-';
  auto checkEnd = [&] {
    if (uxIsWordChar(Peek()) || Peek() == '.')
      Fail(uxMsgInvalidStreamFormat, "unexpected character in a number");
    if (FPos - start > kMaxNumberLength) Fail(uxMsgInvalidPropertyValue, "number too long");
  };

  if (Peek() == '$') {
    ++FPos;
    uint64_t bits = 0;
    size_t significant = 0, digits = 0;
    for (int d; (d = HexDigit(Peek())) >= 0; ++FPos, ++digits) {
      if (significant || d) ++significant;
      bits = bits << 4 | uint64_t(d);
    }
    if (digits == 0) Fail(uxMsgInvalidStreamFormat, "expected hexadecimal digits after \"$\"");
    checkEnd();
    if (significant > 16) Fail(uxMsgInvalidPropertyValue, "a hexadecimal number has at most 16 digits");
    return TuiStreamValue::Integer(int64_t(negative ? 0 - bits : bits));
  }

  if (start != FPos && uxIsWordStart(Peek())) {  // +Inf, -Nan, with a suffix or not
    const std::string_view word = PeekWord();
    const std::string_view core = word.substr(0, 3);
    const bool nan = uxSameWord(core, "Nan");
    if (!nan && !uxSameWord(core, "Inf")) Fail(uxMsgInvalidStreamFormat, "expected a number");
    char suffix = 0;
    if (word.size() == 4) suffix = char(word[3] & ~0x20);
    if (word.size() > 4 || (word.size() == 4 && suffix != 'S' && suffix != 'D'))
      Fail(uxMsgInvalidStreamFormat, "expected a number");
    FPos += word.size();
    return Special(negative, nan, suffix);
  }

  TuiDecimal decimal;
  decimal.Negative = negative;
  while (IsDigit(Peek())) decimal.Digits += FText[FPos++];
  size_t fraction = 0;
  bool isFloat = false;
  if (Peek() == '.') {
    ++FPos;
    isFloat = true;
    while (IsDigit(Peek())) decimal.Digits += FText[FPos++], ++fraction;
    if (fraction == 0) Fail(uxMsgInvalidStreamFormat, "expected digits after \".\"");
  }
  if (decimal.Digits.empty()) Fail(uxMsgInvalidStreamFormat, "expected a number");
  int64_t exponent = 0;
  bool hasExponent = false;
  if (Peek() == 'e' || Peek() == 'E') {
    ++FPos;
    hasExponent = isFloat = true;
    bool negativeExponent = false;
    if (Peek() == '-' || Peek() == '+') negativeExponent = FText[FPos++] == '-';
    if (!IsDigit(Peek())) Fail(uxMsgInvalidStreamFormat, "expected digits in the exponent");
    while (IsDigit(Peek())) {
      if (exponent < 1000000000) exponent = exponent * 10 + (FText[FPos] - '0');
      ++FPos;
    }
    if (negativeExponent) exponent = -exponent;
  }
  char suffix = 0;
  if (const char s = char(Peek() & ~0x20); s == 'S' || s == 'D' || s == 'C') {
    suffix = s;
    ++FPos;
  }
  checkEnd();
  decimal.Exponent = exponent - int64_t(fraction);

  if (suffix == 'C') {
    if (hasExponent || fraction > 4) Fail(uxMsgInvalidPropertyValue, "a currency has at most 4 decimals");
    uint64_t magnitude = 0;
    for (char d : decimal.Digits) {
      if (magnitude > (UINT64_MAX - 9) / 10) Fail(uxMsgInvalidPropertyValue, "currency out of range");
      magnitude = magnitude * 10 + uint64_t(d - '0');
    }
    for (size_t i = fraction; i < 4; ++i) {
      if (magnitude > UINT64_MAX / 10) Fail(uxMsgInvalidPropertyValue, "currency out of range");
      magnitude *= 10;
    }
    if (magnitude > uint64_t(INT64_MAX) + (negative ? 1 : 0))
      Fail(uxMsgInvalidPropertyValue, "currency out of range");
    return TuiStreamValue::Currency(int64_t(negative ? 0 - magnitude : magnitude));
  }

  TuiExtended x;
  const TuiFloatKind kind = suffix == 'S' ? fkSingle : suffix == 'D' ? fkDouble : fkExtended;
  if (!isFloat && !suffix) {  // a plain integer unless it is too large for 64 bits
    uint64_t magnitude = 0;
    bool fits = true;
    for (char d : decimal.Digits) {
      if (magnitude > (UINT64_MAX - 9) / 10) {
        fits = false;
        break;
      }
      magnitude = magnitude * 10 + uint64_t(d - '0');
    }
    if (fits && magnitude <= uint64_t(INT64_MAX) + (negative ? 1 : 0))
      return TuiStreamValue::Integer(int64_t(negative ? 0 - magnitude : magnitude));
  }
  if (!uxDecimalToFloat(decimal, kind, x)) Fail(uxMsgInvalidPropertyValue, "number out of range");
  if (suffix == 'S') return TuiStreamValue::Single(x.ToFloat());
  if (suffix == 'D') return TuiStreamValue::Date(x.ToDouble());
  int64_t whole;
  if (WholeInt64(x, whole)) return TuiStreamValue::Integer(whole);
  return TuiStreamValue::Extended(x);
}

TuiStreamValue TuiTextParser::Set() {
  ++FPos;
  std::vector<std::string> names;
  SkipBlanks();
  if (Peek() == ']') {
    ++FPos;
    return TuiStreamValue::Set(std::move(names));
  }
  for (;;) {
    SkipBlanks();
    names.push_back(Name("a set element", 255));
    if (names.back().empty()) Fail(uxMsgInvalidStreamFormat, "a set element cannot be empty");
    SkipBlanks();
    if (AtEnd()) FailEnd("the text ends inside a set");
    if (FText[FPos] == ']') break;
    if (FText[FPos] != ',') Fail(uxMsgInvalidStreamFormat, "expected \",\" or \"]\"");
    ++FPos;
  }
  ++FPos;
  return TuiStreamValue::Set(std::move(names));
}

void TuiTextParser::ValueInto(TuiStreamWriter& Writer, bool InList) {
  SkipBlanks();
  if (Peek() == '(') {
    Writer.WriteListBegin();
    ListInto(Writer);
    Writer.WriteListEnd();
  } else if (Peek() == '<') {
    Writer.WriteCollectionBegin();
    CollectionInto(Writer);
    Writer.WriteCollectionEnd();
  } else if (InList) {
    Writer.WriteListItem(Value(true));
  } else {
    Writer.WriteValue(Value(false));
  }
}

void TuiTextParser::ListInto(TuiStreamWriter& Writer) {
  Enter();
  ++FPos;
  for (;;) {
    SkipBlanks();
    if (AtEnd()) FailEnd("the text ends inside a list");
    if (FText[FPos] == ')') break;
    ValueInto(Writer, true);
  }
  ++FPos;
  Leave();
}

void TuiTextParser::CollectionInto(TuiStreamWriter& Writer) {
  Enter();
  ++FPos;
  for (;;) {
    SkipBlanks();
    if (AtEnd()) FailEnd("the text ends inside a collection");
    if (FText[FPos] == '>') break;
    if (!AtKeyword("item")) Fail(uxMsgInvalidStreamFormat, "expected \"item\" or \">\"");
    FPos += 4;
    SkipBlanks();
    std::optional<int32_t> index;
    TuiValueType indexType = vtNull;
    if (IsDigit(Peek()) || Peek() == '-' || Peek() == '$') {
      const TuiStreamValue number = Number();
      if (!number.IsInteger() || !uxFitsIntegerType(vtInt32, number.AsInteger()))
        Fail(uxMsgInvalidPropertyValue, "an item index is a 32-bit integer");
      index = int32_t(number.AsInteger());
      indexType = number.Type();
    }
    Writer.WriteItemBegin(index, indexType);
    for (;;) {
      SkipBlanks();
      if (AtEnd()) FailEnd("the text ends before an item's \"end\"");
      if (AtKeyword("end")) {
        FPos += 3;
        break;
      }
      const std::string path = PropertyName();
      Writer.WritePropertyName(path);
      ValueInto(Writer, false);
    }
    Writer.WriteEnd();
  }
  ++FPos;
  Leave();
}

TuiStreamValue TuiTextParser::Binary() {
  ++FPos;
  std::string bytes;
  int high = -1;
  for (;;) {
    if (AtEnd()) FailEnd("the text ends inside binary data");
    const char c = FText[FPos];
    if (c == '}') break;
    if (!IsBlank(c)) {
      const int d = HexDigit(c);
      if (d < 0) Fail(uxMsgInvalidStreamFormat, "binary data holds only hexadecimal digits");
      if (high < 0) {
        high = d;
      } else {
        bytes += char(high << 4 | d);
        high = -1;
      }
    }
    ++FPos;
  }
  if (high >= 0) Fail(uxMsgInvalidPropertyValue, "binary data needs an even number of hexadecimal digits");
  ++FPos;
  return TuiStreamValue::Binary(std::move(bytes));
}
