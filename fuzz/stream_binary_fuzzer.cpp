// Binary component streams come from files anyone can hand the program:
// whatever the bytes, reading ends in the reader's error or a tree, never in a
// crash, a hang or a runaway allocation. A tree that was read writes back the
// very bytes it came from, and its text form reads back to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "scene2d/Errors.h"
#include "scene2d/stream/ObjectStream.h"
#include "scene2d/stream/StreamTree.h"
#include "scene2d/stream/TextParser.h"
#include "scene2d/stream/TextPrinter.h"

namespace {

void Check(bool Condition) {
  if (!Condition) std::abort();
}

// Reads every property with a typed read chosen by its name, as an object
// would, and declares every failure handled: reading must still get through
// the whole stream, skipping what did not suit.
class TPicky : public IuxStreamReadTarget {
 public:
  void StreamSetHeader(const TuiObjectHeader&) override {}
  void StreamReadProperty(std::string_view Path, TuiStreamReader& R) override {
    switch (Path.size() % 9) {
      case 0:
        R.ReadFloat();
        break;
      case 1:
        R.ReadString();
        break;
      case 2:
        R.ReadWideString();
        break;
      case 3:
        R.ReadIdent();
        break;
      case 4:
        R.ReadInt64();
        break;
      case 5:
        R.ReadBoolean();
        break;
      case 6:
        R.ReadSet();
        break;
      case 7:
        R.ReadUtf8String();
        break;
      default:
        if (R.NextValue() == vtCollection) {
          R.ReadCollectionBegin();
          std::optional<int32_t> index;
          TuiValueType type;
          while (!R.EndOfList()) {
            R.ReadItemBegin(index, type);
            while (!R.EndOfList()) {
              R.ReadPropertyName();
              R.ReadDouble();
            }
            R.ReadEnd();
          }
          R.ReadCollectionEnd();
        } else {
          R.ReadBinary();
        }
    }
  }
  IuxStreamReadTarget& StreamCreateChild(const TuiObjectHeader&) override { return *this; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view input(reinterpret_cast<const char*>(Data), Size);
  TuiStreamReader reader(input);
  std::unique_ptr<TuiStreamObject> tree;
  try {
    tree = TuiStreamObject::Read(reader);
  } catch (const EuxReadError&) {
    Check(reader.Position() <= Size);
    return 0;
  }
  Check(tree->ToBinary() == input.substr(0, reader.Position()));

  TuiStreamReader again(input);
  TuiObjectReader objects(again);
  objects.OnError = [](TuiObjectReader*, const std::string&, bool& Handled) { Handled = true; };
  TPicky picky;
  objects.ReadRoot(picky);  // must not throw
  Check(again.Position() == reader.Position() && again.Depth() == 0);

  const std::string text = TuiTextPrinter::Print(*tree);
  const auto fromText = TuiTextParser(text).Parse();  // must not throw
  Check(TuiTextPrinter::Print(*fromText) == text);
  Check(*TuiStreamObject::FromBinary(fromText->ToBinary()) == *fromText);
  return 0;
}
