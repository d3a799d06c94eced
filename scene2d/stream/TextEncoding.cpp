#include "scene2d/stream/TextEncoding.h"

namespace {

// Characters of the bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsHighSurrogate(char32_t C) {
  return C >= 0xD800 && C <= 0xDBFF;
}
bool IsLowSurrogate(char32_t C) {
  return C >= 0xDC00 && C <= 0xDFFF;
}

void AppendUtf16(std::u16string& Out, char32_t C) {
  if (C < 0x10000) {
    Out += char16_t(C);
  } else {
    C -= 0x10000;
    Out += char16_t(0xD800 + (C >> 10));
    Out += char16_t(0xDC00 + (C & 0x3FF));
  }
}

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += char(C);
  } else if (C < 0x800) {
    Out += char(0xC0 | (C >> 6));
    Out += char(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += char(0xE0 | (C >> 12));
    Out += char(0x80 | ((C >> 6) & 0x3F));
    Out += char(0x80 | (C & 0x3F));
  } else {
    Out += char(0xF0 | (C >> 18));
    Out += char(0x80 | ((C >> 12) & 0x3F));
    Out += char(0x80 | ((C >> 6) & 0x3F));
    Out += char(0x80 | (C & 0x3F));
  }
}

// One character from Text at Pos, advancing Pos; U+FFFD and one byte for a
// malformed, overlong or surrogate sequence.
char32_t DecodeUtf8(std::string_view Text, size_t& Pos) {
  const unsigned char b0 = (unsigned char)Text[Pos++];
  if (b0 < 0x80) return b0;
  int extra;
  char32_t c;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, c = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, c = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, c = b0 & 0x07, min = 0x10000;
  } else {
    return 0xFFFD;
  }
  if (Pos + extra > Text.size()) return 0xFFFD;
  for (int i = 0; i < extra; ++i) {
    const unsigned char b = (unsigned char)Text[Pos + i];
    if ((b & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) return 0xFFFD;
  Pos += extra;
  return c;
}

}  // namespace

bool uxIsAscii(std::string_view Text) {
  for (char c : Text)
    if ((unsigned char)c >= 0x80) return false;
  return true;
}

char32_t uxCodePageToChar(unsigned char Byte) {
  return Byte >= 0x80 && Byte < 0xA0 ? kHighControls[Byte - 0x80] : Byte;
}

bool uxCharToCodePage(char32_t Char, unsigned char& Byte) {
  if (Char < 0x80 || (Char >= 0xA0 && Char < 0x100)) {
    Byte = (unsigned char)Char;
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == Char) {
      Byte = (unsigned char)(0x80 + i);
      return true;
    }
  }
  return false;
}

std::u16string uxCodePageToUtf16(std::string_view Text) {
  std::u16string out;
  out.reserve(Text.size());
  for (char c : Text) out += char16_t(uxCodePageToChar((unsigned char)c));
  return out;
}

std::string uxUtf16ToCodePage(std::u16string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    char32_t c = Text[i];
    if (IsHighSurrogate(c) && i + 1 < Text.size() && IsLowSurrogate(Text[i + 1])) ++i, c = 0x10000;
    unsigned char b;
    out += uxCharToCodePage(c, b) ? char(b) : '?';
  }
  return out;
}

std::u16string uxUtf8ToUtf16(std::string_view Text) {
  std::u16string out;
  out.reserve(Text.size());
  for (size_t pos = 0; pos < Text.size();) AppendUtf16(out, DecodeUtf8(Text, pos));
  return out;
}

bool uxUtf16ToUtf8(std::u16string_view Text, std::string& Result, bool ReplaceLone) {
  Result.clear();
  Result.reserve(Text.size());
  bool whole = true;
  for (size_t i = 0; i < Text.size(); ++i) {
    char32_t c = Text[i];
    if (IsHighSurrogate(c) && i + 1 < Text.size() && IsLowSurrogate(Text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (Text[++i] - 0xDC00);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (!ReplaceLone) return false;
      whole = false;
      c = 0xFFFD;
    }
    AppendUtf8(Result, c);
  }
  return whole;
}

std::string uxCodePageToUtf8(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (char c : Text) AppendUtf8(out, uxCodePageToChar((unsigned char)c));
  return out;
}

std::string uxUtf8ToCodePage(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t pos = 0; pos < Text.size();) {
    unsigned char b;
    out += uxCharToCodePage(DecodeUtf8(Text, pos), b) ? char(b) : '?';
  }
  return out;
}
