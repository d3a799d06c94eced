#pragma once

#include <string_view>

// Lexical rules shared by the text printer and parser.

inline bool uxIsWordStart(char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}
inline bool uxIsWordChar(char C) {
  return uxIsWordStart(C) || (C >= '0' && C <= '9');
}
// Printable 7-bit characters go inside quotes; everything else as #nnn.
inline bool uxIsQuotable(unsigned char C) {
  return C >= 0x20 && C < 0x7F;
}

// A name that can stand bare: words of letters, digits and "_", not starting
// with a digit, joined by dots ("Fill.Gradient.Style").
inline bool uxIsBareName(std::string_view Text) {
  bool start = true;
  for (char c : Text) {
    if (start) {
      if (!uxIsWordStart(c)) return false;
      start = false;
    } else if (c == '.') {
      start = true;
    } else if (!uxIsWordChar(c)) {
      return false;
    }
  }
  return !start;
}

inline bool uxSameWord(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    char a = A[i], b = B[i];
    if (a >= 'A' && a <= 'Z') a = char(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = char(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// The bare words that stand for values of their own rather than identifiers:
// False, True, nil and Null (tags 8, 9, 13 and 0), in any case.
inline bool uxIsValueKeyword(std::string_view Word) {
  return uxSameWord(Word, "False") || uxSameWord(Word, "True") || uxSameWord(Word, "nil") ||
         uxSameWord(Word, "Null");
}
