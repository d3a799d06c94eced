// uxconv: converts component streams between their binary and text forms, and
// checks them. Layouts and style sheets are authored in the text form and
// shipped in the binary one; this is the tool between the two.

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draw2d/Draw2dRegistration.h"
#include "scene2d/Errors.h"
#include "scene2d/Object.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/ReadLosses.h"
#include "scene2d/stream/ReadBudget.h"
#include "scene2d/stream/StreamConvert.h"
#include "scene2d/stream/StreamReader.h"
#include "scene2d/stream/StreamTree.h"
#include "scene2d/stream/TextParser.h"
#include "scene2d/stream/TextPrinter.h"
#include "tools/common/ToolFiles.h"
#include "tools/common/ToolStreams.h"
#ifdef UXCONV_WITH_WINDOWS
#include "app/forms/KardoForm.h"
#endif

namespace {

constexpr const char* kHelp =
    "uxconv - converts component streams between their binary and text forms\n"
    "\n"
    "Usage:\n"
    "  uxconv --to-text IN OUT     write the text form of IN to OUT\n"
    "  uxconv --to-binary IN OUT   write the binary form of IN to OUT\n"
    "  uxconv --check IN...        read each IN and say what it holds\n"
    "  uxconv --through-objects IN OUT\n"
    "                              read IN into live objects, the way a window\n"
    "                              layout is read, and write what they store:\n"
    "                              properties at their defaults vanish; an unknown\n"
    "                              class or property is an error. OUT is text when\n"
    "                              it ends in .txt, binary when it ends in .bin,\n"
    "                              otherwise in the form of IN\n"
    "  uxconv --help               show this help\n"
    "\n"
    "IN may be in either form: a binary stream starts with \"TPF0\", anything\n"
    "else is read as text. \"-\" stands for standard input or output. An input\n"
    "over 512 MiB is refused before it is read. --check reads a layout whose\n"
    "classes are all known into live objects, as --through-objects does; a value\n"
    "that does not convert (a colour, point or rectangle text, an image that\n"
    "does not decode) then takes its fallback, and each one is reported on\n"
    "standard error as \"warning: OBJECT: PROPERTY: reason\". --check also\n"
    "refuses bytes after the root object.\n"
    "\n"
    "OUT is written only when all of IN converts. A regular file is replaced in\n"
    "one step (through a temporary file beside it, removed again if uxconv is\n"
    "interrupted), so a failed run leaves an existing OUT as it was; a symbolic\n"
    "link is followed and the file it names replaced; a device or pipe is\n"
    "written to directly.\n"
    "\n"
    "In the text form, numbers without a fraction are stored as integers, other\n"
    "numbers as 80-bit floats; strings in quotes are taken in the Windows-1252\n"
    "code page and #nnn is a Unicode character.\n"
    "\n"
    "Exit status: 0 done; 1 an input could not be read or converted (the reason,\n"
    "with the byte offset or line where reading stopped, goes to standard error);\n"
    "2 wrong usage; 3 read with losses: every input was read and OUT written, but\n"
    "at least one value took its fallback (each is reported as a warning).\n";

constexpr int kUsage = 2;
constexpr int kFailed = 1;
constexpr int kLosses = 3;

// Refusals of this tool's inputs read like those of the files themselves.
using TFailure = EuxToolError;

std::string Describe(std::string_view Name) {
  return uxDescribeInput(Name);
}

std::string ReadAll(const std::string& Name) {
  return uxReadToolInput(Name, "uxconv");
}

std::unique_ptr<TuiStreamObject> ReadTree(const std::string& Name, const std::string& Data, bool& Binary,
                                          bool Strict = false) {
  return uxReadToolTree(Name, Data, Binary, Strict, "uxconv");
}

void WriteOutput(const std::string& Name, const std::string& Data) {
  uxWriteToolOutput(Name, Data);
}

using TObjects = TuiToolObjects;

bool AllClassesKnown(const TuiStreamObject& Object) {
  if (!TuiClassRegistry::Instance().Find(Object.Header.ClassName)) return false;
  for (const auto& child : Object.Children)
    if (!AllClassesKnown(*child)) return false;
  return true;
}

// Unless Required, a tree with a class this tool does not know is left unread.
TObjects ReadObjects(const std::string& In, const TuiStreamObject& Tree, const std::string& Stream,
                     bool Required) {
  RegisterDraw2dClasses();
#ifdef UXCONV_WITH_WINDOWS
  // The simulator's windows, with the controls and the 3D scene they hold.
  kardo::RegisterKardoFormClasses();
#endif
  if (!Required && !AllClassesKnown(Tree)) return {};
  return uxReadToolObjects(In, Stream, "uxconv");
}

int Convert(bool ToText, const std::string& In, const std::string& Out) {
  if (!ToText && Out == "-" && isatty(STDOUT_FILENO)) {
    std::fprintf(stderr, "uxconv: binary output would go to the terminal; name an output file\n");
    return kUsage;
  }
  bool binary;
  const auto root = ReadTree(In, ReadAll(In), binary);
  std::string result;
  try {
    result = ToText ? TuiTextPrinter::Print(*root) : root->ToBinary();
  } catch (const EuxError& e) {
    throw TFailure(Describe(In) + ": " + e.what());
  }
  WriteOutput(Out, result);
  return 0;
}

int Check(const std::vector<std::string>& Inputs) {
  int status = 0;
  for (const std::string& in : Inputs) {
    try {
      bool binary;
      const auto root = ReadTree(in, ReadAll(in), binary, true);
      // A tree read from text must also be writable as a binary stream.
      const std::string stream = root->ToBinary();
      const TObjects objects = ReadObjects(in, *root, stream, false);
      const TuiObjectHeader& h = root->Header;
      std::printf("%s: %s, %zu objects, root %s%s%s%s\n", Describe(in).c_str(), binary ? "binary" : "text",
                  root->ObjectCount(), h.Name.c_str(), h.Name.empty() ? "" : ": ", h.ClassName.c_str(),
                  objects.Root ? "" : " (classes unknown to uxconv: values not checked)");
      if (objects.Losses && status == 0) status = kLosses;
    } catch (const TFailure& f) {
      std::fprintf(stderr, "uxconv: %s\n", f.what());
      status = kFailed;
    } catch (const EuxError& e) {
      std::fprintf(stderr, "uxconv: %s: %s\n", Describe(in).c_str(), e.what());
      status = kFailed;
    }
  }
  return status;
}

bool EndsWith(std::string_view Text, std::string_view Suffix) {
  return Text.size() >= Suffix.size() && Text.substr(Text.size() - Suffix.size()) == Suffix;
}

int ThroughObjects(const std::string& In, const std::string& Out) {
  bool binary;
  const std::string data = ReadAll(In);
  const auto tree = ReadTree(In, data, binary);
  const std::string stream = tree->ToBinary();
  const bool toText = EndsWith(Out, ".txt") || (!EndsWith(Out, ".bin") && !binary);
  if (!toText && Out == "-" && isatty(STDOUT_FILENO)) {
    std::fprintf(stderr, "uxconv: binary output would go to the terminal; name an output file\n");
    return kUsage;
  }
  const TObjects objects = ReadObjects(In, *tree, stream, true);
  std::string written;
  try {
    written = WriteObjectData(*objects.Root);
  } catch (const EuxError& e) {
    throw TFailure(Describe(In) + ": " + e.what());
  }
  WriteOutput(Out, toText ? uxObjectBinaryToText(written) : written);
  return objects.Losses ? kLosses : 0;
}

int Usage(const char* Problem) {
  std::fprintf(stderr, "uxconv: %s\nTry 'uxconv --help'.\n", Problem);
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  TuiReadBudget budget(TuiReadBudget::ProcessPixels);  // every picture of the run
  if (args.empty()) return Usage("nothing to do");
  const std::string& mode = args[0];
  try {
    if (mode == "--help" || mode == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (mode == "--to-text" || mode == "--to-binary") {
      if (args.size() != 3) return Usage((mode + " takes an input and an output").c_str());
      return Convert(mode == "--to-text", args[1], args[2]);
    }
    if (mode == "--through-objects") {
      if (args.size() != 3) return Usage("--through-objects takes an input and an output");
      return ThroughObjects(args[1], args[2]);
    }
    if (mode == "--check") {
      if (args.size() < 2) return Usage("--check takes one or more inputs");
      return Check({args.begin() + 1, args.end()});
    }
    return Usage(("unknown option " + mode).c_str());
  } catch (const TFailure& f) {
    std::fprintf(stderr, "uxconv: %s\n", f.what());
    return kFailed;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "uxconv: %s\n", e.what());
    return kFailed;
  }
}
