// A layout is read into live objects the way a window reads it: the class
// registry creates each object, setters take the values, component references
// and bindings are resolved by name once the whole stream is in, handler
// names are kept as a reader without the program keeps them, and loading
// completes in reading order. Whatever the stream (binary, or text turned into
// binary first), that ends in the reader's error or in objects, never in a
// crash, a hang, a leak or a runaway allocation; and what the objects then
// write reads back into fresh objects, which after one more trip write the
// very same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/forms/KardoForm.h"
#include "draw2d/Draw2dRegistration.h"
#include "scene2d/ClassInfo.h"
#include "scene2d/Errors.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/StreamConvert.h"

namespace {

void Check(bool Condition) {
  if (!Condition) std::abort();
}

// A window holding the root read from Stream, or none when it cannot be read.
std::unique_ptr<TuiComponent> ReadLive(std::string_view Stream, TuiComponent*& Root) {
  Root = nullptr;
  auto window = std::make_unique<TuiComponent>(nullptr);
  const TuiClassInfo* info = TuiClassRegistry::Instance().Find(PeekObjectClassName(Stream));
  if (!info || !info->CanCreate()) return nullptr;
  TuiPersistent* created = info->Create(window.get());
  Root = dynamic_cast<TuiComponent*>(created);
  if (!Root) {
    delete created;
    return nullptr;
  }
  TuiReadHooks hooks;
  hooks.KeepUnboundHandlers = true;
  // The root owns what it holds, as a window owns its layout's components.
  ReadObjectData(Stream, *Root, Root, hooks);
  return window;
}

}  // namespace

// Fontconfig keeps the fonts it scanned for the life of the process in memory
// it reaches through offsets rather than pointers, which LeakSanitizer takes
// for leaks. Only allocations made inside fontconfig are excused.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterDraw2dClasses();
  kardo::RegisterKardoFormClasses();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string stream(reinterpret_cast<const char*>(Data), Size);
  std::string written;
  try {
    if (!uxIsBinaryStream(stream)) stream = uxObjectTextToBinary(stream);
    TuiComponent* root = nullptr;
    const auto window = ReadLive(stream, root);
    if (!window) return 0;
    written = WriteObjectData(*root);
  } catch (const EuxError&) {
    return 0;
  }
  // A value that the format leaves out (a float set to 0 where the class
  // starts elsewhere) comes back as the class's own; after that one trip
  // nothing changes any more.
  for (int trip = 0; trip < 2; ++trip) {
    TuiComponent* again = nullptr;
    const auto window = ReadLive(written, again);
    Check(window != nullptr);
    const std::string rewritten = WriteObjectData(*again);
    Check(trip == 0 || rewritten == written);
    written = rewritten;
  }
  return 0;
}
