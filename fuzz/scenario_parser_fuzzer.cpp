// Scenario files are written by hand or by scripts: whatever they hold,
// reading must end in actions or in one error naming a line, without a crash,
// a hang or a runaway allocation.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/program/Scenario.h"

namespace {

void Check(bool Condition) {
  if (!Condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view text(reinterpret_cast<const char*>(Data), Size);
  kardo::TScenario scenario;
  std::string error;
  if (!scenario.Parse(text, "fuzz", error)) {
    Check(error.rfind("fuzz:", 0) == 0);
    Check(scenario.Actions().empty());
    return 0;
  }
  Check(error.empty());
  // An action needs a line of its own, at least "at 0 end".
  Check(scenario.Actions().size() <= Size / 8);
  uint32_t last = 0;
  int line = 0;
  for (const kardo::TScenarioAction& a : scenario.Actions()) {
    Check(a.TimeMs >= last && a.Line > line);
    last = a.TimeMs;
    line = a.Line;
    if (a.Verb == kardo::TScenarioAction::vResize)
      Check(a.X >= 1 && a.Y >= 1 && a.X <= 32767 && a.Y <= 32767);
  }
  Check(scenario.SettledMs() >= last);
  return 0;
}
