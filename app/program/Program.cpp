#include "app/program/Program.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/program/Options.h"
#include "app/program/Scenario.h"
#include "app/program/Session.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "scene2d/Errors.h"
#include "scene3d/opengl/DeviceChoice.h"
#include "scene3d/opengl/OpenGLCanvas.h"
#include "scene3d/software/SoftwareCanvas.h"
// Xlib's macros after the libraries' headers.
#include "platform/x11/X11WindowSystem.h"

namespace kardo {

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

uint64_t MonotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return uint64_t(t.tv_sec) * 1000000000u + uint64_t(t.tv_nsec);
}

std::unique_ptr<platform::TWindowSystemBase> OpenWindowSystem(const TOptions& O) {
  if (O.Headless) return std::make_unique<platform::THeadlessWindowSystem>();
  std::string error;
  const char* name = O.Display.empty() ? nullptr : O.Display.c_str();
  auto system = platform::TX11WindowSystem::Open(name, error);
  if (!system) {
    const char* shown = name ? name : std::getenv("DISPLAY");
    std::fprintf(stderr, "kardo: cannot open display %s; set DISPLAY or use --headless\n",
                 shown && *shown ? shown : "(none)");
    return system;
  }
  if (O.Verbose) {
    auto say = [](bool Running) {
      std::fputs(Running ? "kardo: a compositing manager runs: the windows are translucent\n"
                         : "kardo: no compositing manager: the windows are cut to their outlines\n",
                 stderr);
    };
    say(system->CompositingManagerRunning());
    system->OnCompositingChanged = say;
  }
  return system;
}

}  // namespace

int RunKardo(const std::vector<std::string>& Args) {
  std::string error;
  const auto options = ParseOptions(Args, error);
  if (!options) {
    std::fprintf(stderr, "kardo: %s\nTry 'kardo --help'.\n", error.c_str());
    return kUsage;
  }
  const TOptions& o = *options;
  if (o.Help) {
    std::fputs(KardoHelp, stdout);
    return 0;
  }
  if (o.Version) {
    std::puts(KardoVersion);
    return 0;
  }
  // A scenario that does not read stops the program before any window opens.
  std::unique_ptr<TScenario> scenario;
  if (!o.ScenarioFile.empty()) {
    scenario = std::make_unique<TScenario>();
    if (!scenario->Load(o.ScenarioFile, error)) {
      std::fprintf(stderr, "kardo: %s\n", error.c_str());
      return kFailed;
    }
  }

  auto system = OpenWindowSystem(o);
  if (!system) return kUsage;

  TscSoftwareCanvas::Register();
  TscDeviceProbe probe;
  probe.Option = o.Device;
  const TscDeviceChoice device = scChooseDevice(probe);
  scInstallDevice(device);

  int status = 0;
  try {
    TKardoSession session(*system);
    std::unique_ptr<TScenarioRunner> runner;
    std::unique_ptr<platform::ITimer> stop;
    if (scenario) {
      runner = std::make_unique<TScenarioRunner>(session, *scenario);
      if (!o.TimelineFile.empty() && !runner->OpenTimeline(o.TimelineFile, error)) {
        std::fprintf(stderr, "kardo: %s\n", error.c_str());
        return kFailed;
      }
    }
    session.OnFirstFrames = [&] {
      if (o.ExitAfterFirstFrame) {
        std::printf("FIRST_FRAME_ALL mono_ns=%llu\n", static_cast<unsigned long long>(MonotonicNs()));
        std::fflush(stdout);
        system->PostQuit(0);
        return;
      }
      if (!o.SnapshotDir.empty()) {
        std::string why;
        if (!session.WriteSnapshots(o.SnapshotDir, why)) {
          std::fprintf(stderr, "kardo: %s\n", why.c_str());
          system->PostQuit(kFailed);
          return;
        }
        if (!runner) {
          system->PostQuit(0);
          return;
        }
      }
      if (runner) runner->Start();
      // The run's own end: --until, or for a headless scenario a little after
      // its last action, since nobody is there to close the console.
      const std::optional<uint32_t> stopMs =
          o.UntilMs
              ? o.UntilMs
              : (scenario && o.Headless ? std::optional<uint32_t>(scenario->SettledMs()) : std::nullopt);
      if (stopMs) {
        stop = system->CreateTimer(std::max<uint32_t>(*stopMs, 1), [&] {
          stop->SetEnabled(false);
          if (!system->Terminated()) system->PostQuit(0);
        });
        stop->SetEnabled(true);
      }
    };
    status = session.Run();
    stop.reset();
    if (runner && !runner->Error().empty()) {
      std::fprintf(stderr, "kardo: %s\n", runner->Error().c_str());
      status = kFailed;
    }
    if (runner && !runner->CloseTimeline(error)) {
      std::fprintf(stderr, "kardo: %s\n", error.c_str());
      status = kFailed;
    }
  } catch (const EuxReadError& e) {
    std::fprintf(stderr, "kardo: a window layout is damaged: %s\n", e.what());
    return kFailed;
  } catch (const EuxError& e) {
    std::fprintf(stderr, "kardo: %s\n", e.what());
    return kFailed;
  }
  return status;
}

}  // namespace kardo
