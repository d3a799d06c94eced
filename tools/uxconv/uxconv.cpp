// uxconv: converts component streams between their binary and text forms, and
// checks them. Layouts and style sheets are authored in the text form and
// shipped in the binary one; this is the tool between the two.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draw2d/Draw2dRegistration.h"
#include "scene2d/Errors.h"
#include "scene2d/Object.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/ReadBudget.h"
#include "scene2d/stream/StreamConvert.h"
#include "scene2d/stream/StreamReader.h"
#include "scene2d/stream/StreamTree.h"
#include "scene2d/stream/TextParser.h"
#include "scene2d/stream/TextPrinter.h"

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
    "else is read as text. \"-\" stands for standard input or output. OUT is\n"
    "written only when all of IN converts, and replaced in one step, so a\n"
    "failed run leaves an existing OUT as it was.\n"
    "\n"
    "In the text form, numbers without a fraction are stored as integers, other\n"
    "numbers as 80-bit floats; strings in quotes are taken in the Windows-1252\n"
    "code page and #nnn is a Unicode character.\n"
    "\n"
    "Exit status: 0 done; 1 an input could not be read or converted (the reason,\n"
    "with the byte offset or line where reading stopped, goes to standard error);\n"
    "2 wrong usage.\n";

constexpr int kUsage = 2;
constexpr int kFailed = 1;

struct TFailure {
  std::string Text;
};

std::string Describe(std::string_view Name) {
  return Name == "-" ? "standard input" : std::string(Name);
}

std::string ReadAll(const std::string& Name) {
  FILE* f = Name == "-" ? stdin : std::fopen(Name.c_str(), "rb");
  if (!f) throw TFailure{"cannot open " + Name + ": " + std::strerror(errno)};
  std::string data;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
  const bool failed = std::ferror(f);
  if (f != stdin) std::fclose(f);
  if (failed) throw TFailure{"cannot read " + Describe(Name)};
  return data;
}

// The tree of either form, or a failure that says where reading stopped.
std::unique_ptr<TuiStreamObject> ReadTree(const std::string& Name, const std::string& Data, bool& Binary) {
  Binary = uxIsBinaryStream(Data);
  if (Binary) {
    TuiStreamReader reader(Data);
    try {
      auto root = TuiStreamObject::Read(reader);
      if (!reader.AtEnd())
        std::fprintf(stderr, "uxconv: %s: warning: %zu bytes after the root object are ignored\n",
                     Describe(Name).c_str(), reader.Remaining());
      return root;
    } catch (const EuxReadError& e) {
      throw TFailure{Describe(Name) + ": byte " + std::to_string(reader.Position()) + ": " + e.what()};
    }
  }
  TuiTextParser parser(Data);
  try {
    return parser.Parse();
  } catch (const EuxReadError& e) {
    throw TFailure{Describe(Name) + ":" + std::to_string(parser.Line()) + ":" +
                   std::to_string(parser.Column()) + ": " + e.what() + " (" + parser.Detail() + ")"};
  }
}

// Writes Data to a temporary file beside Name and renames it over Name, so
// Name is either untouched or complete.
void WriteAtomically(const std::string& Name, const std::string& Data) {
  if (Name == "-") {
    if (std::fwrite(Data.data(), 1, Data.size(), stdout) != Data.size() || std::fflush(stdout) != 0)
      throw TFailure{"cannot write standard output"};
    return;
  }
  std::string temp = Name + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) throw TFailure{"cannot create a file beside " + Name + ": " + std::strerror(errno)};
  // A new file gets the usual permissions, a replaced one keeps its own.
  struct stat existing;
  mode_t mode;
  if (stat(Name.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = fchmod(fd, mode) == 0;
  for (size_t done = 0; ok && done < Data.size();) {
    const ssize_t n = write(fd, Data.data() + done, Data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += size_t(n);
  }
  ok = close(fd) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), Name.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    unlink(temp.c_str());
    throw TFailure{"cannot write " + Name + ": " + reason};
  }
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
    throw TFailure{Describe(In) + ": " + e.what()};
  }
  WriteAtomically(Out, result);
  return 0;
}

int Check(const std::vector<std::string>& Inputs) {
  int status = 0;
  for (const std::string& in : Inputs) {
    try {
      bool binary;
      const auto root = ReadTree(in, ReadAll(in), binary);
      // A tree read from text must also be writable as a binary stream.
      if (!binary) root->ToBinary();
      const TuiObjectHeader& h = root->Header;
      std::printf("%s: %s, %zu objects, root %s%s%s\n", Describe(in).c_str(), binary ? "binary" : "text",
                  root->ObjectCount(), h.Name.c_str(), h.Name.empty() ? "" : ": ", h.ClassName.c_str());
    } catch (const TFailure& f) {
      std::fprintf(stderr, "uxconv: %s\n", f.Text.c_str());
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
  const std::string stream = ReadTree(In, data, binary)->ToBinary();
  const bool toText = EndsWith(Out, ".txt") || (!EndsWith(Out, ".bin") && !binary);
  if (!toText && Out == "-" && isatty(STDOUT_FILENO)) {
    std::fprintf(stderr, "uxconv: binary output would go to the terminal; name an output file\n");
    return kUsage;
  }
  RegisterDraw2dClasses();
  // The objects belong to a stand-in for the window whose layout this is.
  TuiComponent window(nullptr);
  std::string written;
  try {
    const std::string className = PeekObjectClassName(stream);
    const TuiClassInfo* info = TuiClassRegistry::Instance().Find(className);
    TuiObject* root = info ? dynamic_cast<TuiObject*>(info->Create(&window)) : nullptr;
    if (!root) throw EuxReadError("Class " + className + " not found");
    ReadObjectData(stream, *root, &window);
    written = WriteObjectData(*root);
  } catch (const EuxError& e) {
    throw TFailure{Describe(In) + ": " + e.what()};
  }
  WriteAtomically(Out, toText ? uxObjectBinaryToText(written) : written);
  return 0;
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
    std::fprintf(stderr, "uxconv: %s\n", f.Text.c_str());
    return kFailed;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "uxconv: %s\n", e.what());
    return kFailed;
  }
}
