#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Expected stream bytes, built by hand: an int is one byte, a text goes in as
// it is. Bytes("TPF0", 9, "TuiLayout", 0) is the signature, a length byte and
// a class name, and a 0.
inline void AppendPart(std::string& Out, int Byte) {
  Out += char(Byte);
}
inline void AppendPart(std::string& Out, std::string_view Text) {
  Out += Text;
}

template <class... TParts>
std::string Bytes(const TParts&... Parts) {
  std::string out;
  (AppendPart(out, Parts), ...);
  return out;
}

// Little-endian integers of 2, 4 or 8 bytes.
inline std::string LE(uint64_t Value, int Count) {
  std::string out;
  for (int i = 0; i < Count; ++i) out += char((Value >> (8 * i)) & 0xFF);
  return out;
}

// A short string: its length byte, then the text.
inline std::string Short(std::string_view Text) {
  return char(Text.size()) + std::string(Text);
}
