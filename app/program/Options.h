#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kardo {

// The command line of the simulator.
struct TOptions {
  bool Help = false;
  bool Version = false;
  std::string Device;  // "software", "opengl" or empty (decide)
  bool Headless = false;
  std::string Display;  // an X display name; empty: $DISPLAY
  std::string SnapshotDir;
  std::string ScenarioFile;
  std::string TimelineFile;
  // --until: the run stops this long after the first frame.
  std::optional<uint32_t> UntilMs;
  bool ExitAfterFirstFrame = false;
  bool Verbose = false;
};

// Reads the arguments after the program name. A wrong one gives the reason
// in Error and no options.
std::optional<TOptions> ParseOptions(const std::vector<std::string>& Args, std::string& Error);

extern const char* const KardoHelp;
extern const char* const KardoVersion;
// The 3D devices this build can render with, one line for --version.
extern const char* const KardoDevices;

}  // namespace kardo
