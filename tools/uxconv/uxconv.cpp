// uxconv: converts component streams between their binary and text forms, and
// checks them. Layouts and style sheets are authored in the text form and
// shipped in the binary one; this is the tool between the two.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
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
#include "scene2d/ReadLosses.h"
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

// Layouts are kilobytes, a large one with images a few megabytes; the reader
// needs several times its input, so beyond this an input is taken for an error.
constexpr size_t kMaxInput = size_t(512) << 20;

struct TFailure {
  std::string Text;
};

std::string Describe(std::string_view Name) {
  return Name == "-" ? "standard input" : std::string(Name);
}

std::string TooLarge(const std::string& Name) {
  return Describe(Name) + ": larger than 512 MiB, the most uxconv reads";
}

std::string ReadAll(const std::string& Name) {
  FILE* f = Name == "-" ? stdin : std::fopen(Name.c_str(), "rb");
  if (!f) throw TFailure{"cannot open " + Name + ": " + std::strerror(errno)};
  struct TClose {
    FILE* F;
    ~TClose() {
      if (F != stdin) std::fclose(F);
    }
  } closer{f};
  struct stat info;
  if (fstat(fileno(f), &info) == 0 && S_ISREG(info.st_mode) && uint64_t(info.st_size) > kMaxInput)
    throw TFailure{TooLarge(Name)};
  // Devices and pipes tell no size: they are cut off once past the limit.
  std::string data;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (data.size() + n > kMaxInput) throw TFailure{TooLarge(Name)};
    data.append(buf, n);
  }
  if (std::ferror(f)) throw TFailure{"cannot read " + Describe(Name)};
  return data;
}

// The tree of either form, or a failure that says where reading stopped.
// Bytes after the root object are a warning, or with Strict an error.
std::unique_ptr<TuiStreamObject> ReadTree(const std::string& Name, const std::string& Data, bool& Binary,
                                          bool Strict = false) {
  Binary = uxIsBinaryStream(Data);
  if (Binary) {
    TuiStreamReader reader(Data);
    try {
      auto root = TuiStreamObject::Read(reader);
      if (!reader.AtEnd() && Strict)
        throw TFailure{Describe(Name) + ": byte " + std::to_string(reader.Position()) + ": " +
                       std::to_string(reader.Remaining()) + " bytes after the root object"};
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

// The temporary file of a write in progress, for the signal handler to remove.
char gTempName[PATH_MAX + 16];
volatile sig_atomic_t gTempExists = 0;

void RemoveTempAndDie(int Signal) {
  if (gTempExists) unlink(gTempName);
  std::signal(Signal, SIG_DFL);
  std::raise(Signal);
}

// Signals that would leave the temporary file behind are held back while it
// comes into being and while it becomes OUT, so the handler's flag is true
// exactly while the file exists.
class TSignalsHeld {
 public:
  TSignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kSignals) sigaddset(&set, s);
    sigprocmask(SIG_BLOCK, &set, &FOld);
  }
  ~TSignalsHeld() { sigprocmask(SIG_SETMASK, &FOld, nullptr); }
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

 private:
  sigset_t FOld;
};

bool WriteFully(int Fd, const std::string& Data) {
  for (size_t done = 0; done < Data.size();) {
    const ssize_t n = write(Fd, Data.data() + done, Data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// What Name finally names, through any symbolic links: replacing the link by
// a file would cut whatever it tied together.
std::string FollowLinks(std::string Name) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(Name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return Name;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = readlink(Name.c_str(), target.data(), target.size());
    if (n < 0) throw TFailure{"cannot write " + Name + ": " + std::strerror(errno)};
    target.resize(size_t(n));
    const size_t slash = Name.rfind('/');
    if (!target.empty() && target[0] != '/' && slash != std::string::npos)
      target = Name.substr(0, slash + 1) + target;
    Name = std::move(target);
  }
  throw TFailure{"cannot write " + Name + ": too many levels of symbolic links"};
}

// Writes Data to Name. A regular file (or a new one) gets a temporary file
// beside it that is renamed over it once complete, so Name is either untouched
// or complete; a device, a pipe or standard output is written straight.
void WriteOutput(const std::string& Given, const std::string& Data) {
  if (Given == "-") {
    if (std::fwrite(Data.data(), 1, Data.size(), stdout) != Data.size() || std::fflush(stdout) != 0)
      throw TFailure{"cannot write standard output"};
    return;
  }
  const std::string Name = FollowLinks(Given);
  struct stat existing;
  const bool exists = stat(Name.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    const int fd = open(Name.c_str(), O_WRONLY);
    if (fd < 0) throw TFailure{"cannot write " + Name + ": " + std::strerror(errno)};
    const bool ok = WriteFully(fd, Data);
    const std::string reason = std::strerror(errno);
    if (close(fd) != 0 || !ok) throw TFailure{"cannot write " + Name + ": " + reason};
    return;
  }
  if (Name.size() + 8 > sizeof gTempName) throw TFailure{"cannot write " + Name + ": name too long"};
  for (int s : TSignalsHeld::kSignals) {
    struct sigaction action {};
    action.sa_handler = RemoveTempAndDie;
    sigaction(s, &action, nullptr);
  }
  int fd;
  {
    TSignalsHeld held;
    std::snprintf(gTempName, sizeof gTempName, "%s.XXXXXX", Name.c_str());
    fd = mkstemp(gTempName);
    gTempExists = fd >= 0;
  }
  if (fd < 0) throw TFailure{"cannot create a file beside " + Name + ": " + std::strerror(errno)};
  // A new file gets the usual permissions, a replaced one keeps its own.
  mode_t mode;
  if (exists) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  // On disk before the rename: after a crash OUT is the old file or the new
  // one, never an empty one.
  bool ok = fchmod(fd, mode) == 0 && WriteFully(fd, Data) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  TSignalsHeld held;
  if (!ok || std::rename(gTempName, Name.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    unlink(gTempName);
    gTempExists = 0;
    throw TFailure{"cannot write " + Name + ": " + reason};
  }
  gTempExists = 0;
}

// Reads Stream into live objects, the way a window reads its layout, and
// reports each fallback taken. The root is null when its class is unknown.
struct TObjects {
  std::unique_ptr<TuiComponent> Window;  // a stand-in for the window whose layout this is
  TuiComponent* Root = nullptr;
  size_t Losses = 0;
};

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
  TObjects result;
  if (!Required && !AllClassesKnown(Tree)) return result;
  result.Window = std::make_unique<TuiComponent>(nullptr);
  TuiLossCollector collector;
  try {
    const std::string className = PeekObjectClassName(Stream);
    const TuiClassInfo* info = TuiClassRegistry::Instance().Find(className);
    result.Root = info ? dynamic_cast<TuiComponent*>(info->Create(result.Window.get())) : nullptr;
    if (!result.Root) throw EuxReadError("Class " + className + " not found");
    // Without the program whose methods the handlers name, the names are kept
    // as a designer keeps them.
    TuiReadHooks hooks;
    hooks.KeepUnboundHandlers = true;
    ReadObjectData(Stream, *result.Root, result.Window.get(), hooks);
  } catch (const EuxError& e) {
    throw TFailure{Describe(In) + ": " + e.what()};
  }
  for (const TuiReadLoss& loss : collector.Losses())
    std::fprintf(stderr, "uxconv: %s: warning: %s: %s: %s, read as its fallback\n", Describe(In).c_str(),
                 loss.Object.c_str(), loss.Property.c_str(), loss.What.c_str());
  result.Losses = collector.Losses().size();
  return result;
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
    throw TFailure{Describe(In) + ": " + e.what()};
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
    std::fprintf(stderr, "uxconv: %s\n", f.Text.c_str());
    return kFailed;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "uxconv: %s\n", e.what());
    return kFailed;
  }
}
