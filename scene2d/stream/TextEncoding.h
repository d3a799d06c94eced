#pragma once

#include <string>
#include <string_view>

// The three text encodings streams meet: the 8-bit system code page of the
// library's std::string texts, UTF-8 (tag 20) and UTF-16 (tag 18).
//
// The system code page is Windows-1252, the Western code page the stored
// layouts were written in. Its five unassigned bytes (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the control characters of the same number, so every byte has
// a character and converting to UTF-16 and back gives the same bytes.

// Whether every byte is below 0x80; such text reads the same in all three.
bool uxIsAscii(std::string_view Text);

std::u16string uxCodePageToUtf16(std::string_view Text);
// Characters the code page lacks become '?'.
std::string uxUtf16ToCodePage(std::u16string_view Text);
// The code page byte of one character; false when it has none.
bool uxCharToCodePage(char32_t Char, unsigned char& Byte);
char32_t uxCodePageToChar(unsigned char Byte);

// Each byte that does not start or continue a well-formed sequence becomes
// U+FFFD, so any bytes decode.
std::u16string uxUtf8ToUtf16(std::string_view Text);
// False when Text holds a surrogate without its partner, which UTF-8 cannot
// carry: Result then stops there, or, with ReplaceLone, has U+FFFD in its place.
bool uxUtf16ToUtf8(std::u16string_view Text, std::string& Result, bool ReplaceLone = false);

std::string uxCodePageToUtf8(std::string_view Text);
std::string uxUtf8ToCodePage(std::string_view Text);
