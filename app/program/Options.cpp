#include "app/program/Options.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace kardo {

const char* const KardoVersion = "kardo 0.1";

const char* const KardoDevices = "3D devices: software, opengl (EGL and GL are loaded when it is chosen)";

const char* const KardoHelp =
    "kardo - the gas/petrol switch console simulator\n"
    "\n"
    "Usage: kardo [OPTION]...\n"
    "\n"
    "Opens the console, the settings window and (when something is displayed)\n"
    "the display window. Esc on the console ends the program.\n"
    "\n"
    "  --device=software|opengl  the 3D device; without it (or UX_3D_DEVICE) the\n"
    "                            GPU is used when there is one\n"
    "  --display NAME            the X display (default: $DISPLAY)\n"
    "  --headless                no X server: run on the headless window layer\n"
    "                            and its virtual clock\n"
    "  --snapshot DIR            write console.png, display.png and settings.png\n"
    "                            of the first frames into DIR and exit\n"
    "  --exit-after-first-frame  print FIRST_FRAME_ALL mono_ns=N once all three\n"
    "                            windows have pushed their first frame, and exit\n"
    "  --scenario FILE           run the timed operator actions of FILE\n"
    "  --timeline OUT.csv        with --scenario: write every change of an LED's\n"
    "                            or a segment's fill colour to OUT.csv\n"
    "  --until SECONDS           stop that long after the first frame (a headless\n"
    "                            scenario without end stops 2 s after its last\n"
    "                            action)\n"
    "  --verbose                 tell on standard error the 3D device taken and\n"
    "                            why, and what the program finds about the\n"
    "                            desktop (compositing or not)\n"
    "  --help                    show this help\n"
    "  --version                 show the version and the 3D devices built in\n"
    "\n"
    "A scenario has one action a line; # starts a comment. Times are seconds\n"
    "from the first frame, in order:\n"
    "  at 0.5 click console Image_Kardo\n"
    "  at 0.9 dblclick console Image_Kardo\n"
    "  at 1.2 drag settings HudTrackBar_Sefa1_Level_Sensor to 40\n"
    "  at 2 type settings HudTextBox_Sefa1_H \"1.2.\"\n"
    "  at 2.5 key settings Ctrl+A\n"
    "  at 2.6 move settings 100 50\n"
    "  at 2.7 resize settings 500 400\n"
    "  at 2.8 click settings close\n"
    "  at 3 key console Esc\n"
    "  at 3.5 snapshot shots/\n"
    "  at 4 end\n"
    "\n"
    "--headless alone has nothing to do: it needs --snapshot, --scenario or\n"
    "--exit-after-first-frame.\n"
    "\n"
    "Exit status: 0 done; 1 a start-up or scenario failure, or the X server went\n"
    "away; 2 wrong usage or no display; 128+N ended by signal N (SIGHUP 129,\n"
    "SIGINT 130, SIGTERM 143), after writing out the timeline.\n";

std::optional<TOptions> ParseOptions(const std::vector<std::string>& Args, std::string& Error) {
  TOptions o;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string_view a = Args[i];
    // An option that takes a value, as "--name VALUE" or "--name=VALUE".
    auto value = [&](std::string_view Name, std::string& Out) {
      if (a == Name) {
        if (i + 1 >= Args.size()) {
          Error = std::string(Name) + " needs a value";
          return false;
        }
        Out = Args[++i];
        return true;
      }
      if (a.size() > Name.size() && a.substr(0, Name.size()) == Name && a[Name.size()] == '=') {
        Out = std::string(a.substr(Name.size() + 1));
        return true;
      }
      return false;
    };
    if (a == "--help" || a == "-h") {
      o.Help = true;
    } else if (a == "--version") {
      o.Version = true;
    } else if (a == "--headless") {
      o.Headless = true;
    } else if (a == "--verbose") {
      o.Verbose = true;
    } else if (a == "--exit-after-first-frame") {
      o.ExitAfterFirstFrame = true;
    } else if (value("--device", o.Device)) {
      if (o.Device != "software" && o.Device != "opengl") {
        Error = "--device takes software or opengl, not '" + o.Device + "'";
        return std::nullopt;
      }
    } else if (std::string until; value("--until", until)) {
      // Seconds as the clock holds them: whole milliseconds in 32 bits.
      double seconds = -1;
      const auto r = std::from_chars(until.data(), until.data() + until.size(), seconds);
      if (r.ec != std::errc{} || r.ptr != until.data() + until.size() || !(seconds >= 0) ||
          std::round(seconds * 1000) > 4294967295.0) {
        Error = "--until takes seconds from 0 to 4294967.295, not '" + until + "'";
        return std::nullopt;
      }
      o.UntilMs = uint32_t(std::round(seconds * 1000));
    } else if (value("--display", o.Display) || value("--snapshot", o.SnapshotDir) ||
               value("--scenario", o.ScenarioFile) || value("--timeline", o.TimelineFile)) {
    } else {
      if (Error.empty()) Error = "unknown option " + std::string(a);
      return std::nullopt;
    }
    if (!Error.empty()) return std::nullopt;
  }
  if (!o.TimelineFile.empty() && o.ScenarioFile.empty()) {
    Error = "--timeline needs --scenario";
    return std::nullopt;
  }
  // Without a window to look at, a run that writes nothing would only end
  // with status 0 and leave the caller believing something was checked.
  if (o.Headless && !o.Help && !o.Version && o.SnapshotDir.empty() && o.ScenarioFile.empty() &&
      !o.ExitAfterFirstFrame) {
    Error = "--headless has nothing to do without --snapshot DIR or --scenario FILE";
    return std::nullopt;
  }
  return o;
}

}  // namespace kardo
