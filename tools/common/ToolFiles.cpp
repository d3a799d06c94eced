#include "tools/common/ToolFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

std::string uxDescribeInput(std::string_view Name) {
  return Name == "-" ? "standard input" : std::string(Name);
}

namespace {

std::string TooLarge(const std::string& Name, std::string_view Tool) {
  return uxDescribeInput(Name) + ": larger than 512 MiB, the most " + std::string(Tool) + " reads";
}

}  // namespace

std::string uxReadToolInput(const std::string& Name, std::string_view Tool) {
  FILE* f = Name == "-" ? stdin : std::fopen(Name.c_str(), "rb");
  if (!f) throw EuxToolError("cannot open " + Name + ": " + std::strerror(errno));
  struct TClose {
    FILE* F;
    ~TClose() {
      if (F != stdin) std::fclose(F);
    }
  } closer{f};
  struct stat info;
  if (fstat(fileno(f), &info) == 0 && S_ISREG(info.st_mode) && uint64_t(info.st_size) > uxMaxToolInput)
    throw EuxToolError(TooLarge(Name, Tool));
  // Devices and pipes tell no size: they are cut off once past the limit.
  std::string data;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (data.size() + n > uxMaxToolInput) throw EuxToolError(TooLarge(Name, Tool));
    data.append(buf, n);
  }
  if (std::ferror(f)) throw EuxToolError("cannot read " + uxDescribeInput(Name));
  return data;
}

namespace {

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
    if (n < 0) throw EuxToolError("cannot write " + Name + ": " + std::strerror(errno));
    target.resize(size_t(n));
    const size_t slash = Name.rfind('/');
    if (!target.empty() && target[0] != '/' && slash != std::string::npos)
      target = Name.substr(0, slash + 1) + target;
    Name = std::move(target);
  }
  throw EuxToolError("cannot write " + Name + ": too many levels of symbolic links");
}

}  // namespace

void uxWriteToolOutput(const std::string& Given, const std::string& Data) {
  if (Given == "-") {
    if (std::fwrite(Data.data(), 1, Data.size(), stdout) != Data.size() || std::fflush(stdout) != 0)
      throw EuxToolError("cannot write standard output");
    return;
  }
  const std::string Name = FollowLinks(Given);
  struct stat existing;
  const bool exists = stat(Name.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    const int fd = open(Name.c_str(), O_WRONLY);
    if (fd < 0) throw EuxToolError("cannot write " + Name + ": " + std::strerror(errno));
    const bool ok = WriteFully(fd, Data);
    const std::string reason = std::strerror(errno);
    if (close(fd) != 0 || !ok) throw EuxToolError("cannot write " + Name + ": " + reason);
    return;
  }
  if (Name.size() + 8 > sizeof gTempName) throw EuxToolError("cannot write " + Name + ": name too long");
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
  if (fd < 0) throw EuxToolError("cannot create a file beside " + Name + ": " + std::strerror(errno));
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
    throw EuxToolError("cannot write " + Name + ": " + reason);
  }
  gTempExists = 0;
}
