// The text form of component streams is written by hand and by tools: whatever
// the text, parsing ends in the reader's error (with a line and a reason) or a
// tree, never in a crash, a hang or a runaway allocation. A tree that was
// parsed writes a binary stream that reads back to it, and prints a text that
// parses back to it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "scene2d/Errors.h"
#include "scene2d/stream/StreamTree.h"
#include "scene2d/stream/TextParser.h"
#include "scene2d/stream/TextPrinter.h"

namespace {

void Check(bool Condition) {
  if (!Condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view text(reinterpret_cast<const char*>(Data), Size);
  TuiTextParser parser(text);
  std::unique_ptr<TuiStreamObject> tree;
  try {
    tree = parser.Parse();
  } catch (const EuxReadError&) {
    Check(!parser.Detail().empty() && parser.Line() >= 1 && parser.Column() >= 1);
    return 0;
  }
  const std::string binary = tree->ToBinary();  // must not throw: the parser took only what can be stored
  Check(*TuiStreamObject::FromBinary(binary) == *tree);
  const std::string printed = TuiTextPrinter::Print(*tree);
  const auto again = TuiTextParser(printed).Parse();
  Check(*again == *tree);
  Check(TuiTextPrinter::Print(*again) == printed);
  return 0;
}
