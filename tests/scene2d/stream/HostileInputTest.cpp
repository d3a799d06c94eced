// Hostile streams, generated here: whatever they hold, what is printed from
// them stays small and what is built too deep is refused. What reading them
// costs in memory is in HostileInputPeakTest.cpp.

#include <gtest/gtest.h>

#include <string>

#include "StreamBytes.h"
#include "scene2d/Errors.h"
#include "scene2d/stream/StreamReader.h"
#include "scene2d/stream/StreamTree.h"
#include "scene2d/stream/StreamWriter.h"
#include "scene2d/stream/TextParser.h"
#include "scene2d/stream/TextPrinter.h"

namespace {

// A root object with one property holding Value.
std::string OneProperty(const std::string& Value) {
  return Bytes("TPF0", 1, "T", 0, 1, "P") + Value + Bytes(0, 0);
}

std::string NestedLists(int Depth, size_t Values) {
  return std::string(size_t(Depth), char(vtList)) + std::string(Values, char(vtFalse)) +
         std::string(size_t(Depth), '\0');
}

}  // namespace

// However deep the nesting, the text is a bounded multiple of the binary
// form, and reads back to the same stream.
TEST(HostileInput, PrintedTextStaysWithinAFactorOfTheBinary) {
  struct Case {
    const char* Name;
    std::string Value;
  };
  std::string deepItems;  // collections 120 deep, each item holding the next
  for (int i = 0; i < 120; ++i) deepItems += Bytes(vtCollection, vtList, 1, "P");
  deepItems += Bytes(vtFalse);
  for (int i = 0; i < 120; ++i) deepItems += Bytes(0, 0);
  const Case cases[] = {
      {"255 nested lists around 1 M one-byte values", NestedLists(255, 1'000'000)},
      {"255 nested empty lists", NestedLists(255, 0)},
      {"deep collections", deepItems},
      {"a string of line breaks", Bytes(vtLString, LE(200'000, 4), std::string(200'000, '\n'))},
      {"binary data", Bytes(vtBinary, LE(300'000, 4), std::string(300'000, '\x5A'))},
  };
  for (const Case& c : cases) {
    const std::string stream = OneProperty(c.Value);
    const auto tree = TuiStreamObject::FromBinary(stream);
    const std::string text = TuiTextPrinter::Print(*tree);
    EXPECT_LE(text.size(), uxMaxTextExpansion * stream.size() + 4096) << c.Name;
    EXPECT_EQ(TuiTextParser(text).Parse()->ToBinary(), stream) << c.Name;
  }
}

// Lists built in memory are held encoded; one nested deeper than any reader
// accepts is refused when built, not written into a stream no one can read.
TEST(HostileInput, ListsBuiltTooDeepAreRefused) {
  TuiStreamValue v = TuiStreamValue::Integer(1);
  for (int i = 0; i < uxMaxStreamDepth; ++i) v = TuiStreamValue::List({v});
  TuiStreamWriter fits;
  fits.WriteValue(v);
  try {
    v = TuiStreamValue::List({v});
    TuiStreamWriter writer;
    writer.WriteValue(v);
    ADD_FAILURE() << "a list " << uxMaxStreamDepth + 1 << " deep was written";
  } catch (const EuxWriteError& e) {
    EXPECT_STREQ(e.what(), "Stream write error");
  }
}
