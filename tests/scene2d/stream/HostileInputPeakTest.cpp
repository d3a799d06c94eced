// Hostile streams, generated here: what reading them costs in memory, each
// measured in a child process of its own (POSIX only: it forks).

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
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

long ResidentNow() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

// Runs Read on what Make gives in a child process, so that no earlier peak of
// this one hides its cost, and tells whether the peak resident size grew by
// at most Factor times the input. The child's peak starts at least where this
// process's stood, so the growth is taken from what it held when it started.
::testing::AssertionResult ReadsWithin(long Factor, const std::function<std::string()>& Make,
                                       const std::function<void(const std::string&)>& Read) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    const long start = ResidentNow();
    const std::string in = Make();
    try {
      Read(in);
    } catch (...) {
      _exit(2);
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const long growth = after.ru_maxrss * 1024 - start;
    std::printf("  %zu bytes in, peak grew by %ld\n", in.size(), growth);
    std::fflush(stdout);
    _exit(growth <= Factor * long(in.size()) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return ::testing::AssertionSuccess();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 1)
    return ::testing::AssertionFailure() << "the peak grew by more than " << Factor << " times the input";
  return ::testing::AssertionFailure() << "reading failed";
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMeasurable = false;  // the sanitizer's quarantine keeps what was freed
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMeasurable = false;
#else
constexpr bool kMeasurable = true;
#endif
#else
constexpr bool kMeasurable = true;
#endif

}  // namespace

// The reader and the parser keep a value in about the bytes it came in, not
// in a heap value per byte: within 8 times the input, the input included.
TEST(HostileInput, ReadingCostsAFewTimesTheInput) {
  if (!kMeasurable) GTEST_SKIP() << "peak memory is not meaningful under AddressSanitizer";
  struct Case {
    const char* Name;
    std::function<std::string()> Make;
    std::function<void(const std::string&)> Read;
  };
  const auto binary = [](const std::string& In) { TuiStreamObject::FromBinary(In); };
  const auto text = [](const std::string& In) { TuiTextParser(In).Parse(); };
  const Case cases[] = {
      {"a list of 10 M one-byte values", [] { return OneProperty(NestedLists(1, 10'000'000)); }, binary},
      {"255 nested lists around 4 M values", [] { return OneProperty(NestedLists(255, 4'000'000)); }, binary},
      {"the text (1 1 ...) of 20 MB",
       [] {
         std::string t = "object T\n P = (";
         for (int i = 0; i < 10'000'000; ++i) t += "1 ";
         return t + ")\nend\n";
       },
       text},
      {"254 nested lists in text around 2 M values",
       [] {
         std::string t = "object T\n P = " + std::string(254, '(');
         for (int i = 0; i < 2'000'000; ++i) t += "1 ";
         return t + std::string(254, ')') + "\nend\n";
       },
       text},
  };
  for (const Case& c : cases) EXPECT_TRUE(ReadsWithin(8, c.Make, c.Read)) << c.Name;
}
