#include "app/program/Program.h"

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/program/Options.h"
#include "app/program/Scenario.h"
#include "app/program/Session.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/native/NativeWindowSystem.h"
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

// SIGTERM, SIGINT and SIGHUP end the loop the normal way, so the session
// closes the windows and the timeline as after Esc. The handler only notes
// the signal and wakes the loop on X through a pipe; the headless loop, which
// never sleeps, sees the note on its next round.
volatile sig_atomic_t GSignal = 0;
int GWakeWrite = -1;

void NoteSignal(int Signal) {
  GSignal = Signal;
  const int saved = errno;
  if (GWakeWrite >= 0 && write(GWakeWrite, "", 1) < 0) {
    // A full pipe already wakes the loop.
  }
  errno = saved;
}

const char* SignalName(int Signal) {
  return Signal == SIGTERM ? "SIGTERM" : Signal == SIGINT ? "SIGINT" : "SIGHUP";
}

class TSignalGuard {
 public:
  TSignalGuard() {
    GSignal = 0;
    if (pipe2(FPipe, O_CLOEXEC | O_NONBLOCK) == 0) GWakeWrite = FPipe[1];
    struct sigaction a {};
    a.sa_handler = NoteSignal;
    sigemptyset(&a.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &a, &FOld[i]);
  }
  ~TSignalGuard() {
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &FOld[i], nullptr);
    GWakeWrite = -1;
    for (int fd : FPipe)
      if (fd >= 0) close(fd);
  }
  TSignalGuard(const TSignalGuard&) = delete;
  TSignalGuard& operator=(const TSignalGuard&) = delete;

  int WakeDescriptor() const { return FPipe[0]; }
  static int Caught() { return GSignal; }
  // Empties the pipe and asks the loop to end when a signal came.
  void Check(platform::IWindowSystem& System) const {
    // Called on every idle round: without a signal there is nothing to read,
    // and a read that finds nothing costs a system call per frame.
    if (!GSignal) return;
    char buffer[16];
    if (FPipe[0] >= 0)
      while (read(FPipe[0], buffer, sizeof buffer) > 0) {
      }
    if (GSignal && !System.Terminated()) System.PostQuit(128 + GSignal);
  }

 private:
  static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
  int FPipe[2] = {-1, -1};
  struct sigaction FOld[std::size(kSignals)]{};
};

uint64_t MonotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return uint64_t(t.tv_sec) * 1000000000u + uint64_t(t.tv_nsec);
}

std::unique_ptr<platform::TWindowSystemBase> OpenWindowSystem(const TOptions& O) {
  if (O.Headless) return std::make_unique<platform::THeadlessWindowSystem>();
  std::string error;
  const char* name = O.Display.empty() ? nullptr : O.Display.c_str();
  auto system = platform::OpenNativeWindowSystem(name, error);
  if (!system) {
    const char* shown = name ? name : std::getenv("DISPLAY");
    std::fprintf(stderr, "kardo: cannot open display %s; set DISPLAY or use --headless\n",
                 shown && *shown ? shown : "(none)");
    return system;
  }
  auto* x11 = dynamic_cast<platform::TX11WindowSystem*>(system.get());
  if (O.Verbose && x11) {
    auto say = [](bool Running) {
      std::fputs(Running ? "kardo: a compositing manager runs: the windows are translucent\n"
                         : "kardo: no compositing manager: the windows are cut to their outlines\n",
                 stderr);
    };
    say(x11->CompositingManagerRunning());
    x11->OnCompositingChanged = say;
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
    std::puts(KardoDevices);
    return 0;
  }
  const TSignalGuard signals;
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
  auto* x11 = dynamic_cast<platform::TX11WindowSystem*>(system.get());
  if (x11) x11->WatchDescriptor(signals.WakeDescriptor(), [&] { signals.Check(*system); });
  // Chained by the session's own idle handler.
  system->OnIdle = [&] {
    signals.Check(*system);
    return false;
  };

  TscSoftwareCanvas::Register();
  TscDeviceProbe probe;
  probe.Option = o.Device;
  const TscDeviceChoice device = scChooseDevice(probe);
  scInstallDevice(device);
  if (o.Verbose)
    std::fprintf(stderr, "kardo: 3D device %s: %s\n", device.Kind == scDeviceOpenGL ? "opengl" : "software",
                 device.Reason.c_str());

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
        std::printf("kardo: wrote console.png, display.png and settings.png into %s\n",
                    o.SnapshotDir.c_str());
        std::fflush(stdout);
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
  // Said once the session has closed the windows and the timeline.
  if (TSignalGuard::Caught()) {
    std::fprintf(stderr, "kardo: ended by %s\n", SignalName(TSignalGuard::Caught()));
    return 128 + TSignalGuard::Caught();
  }
  if (x11 && x11->ConnectionLost()) {
    const char* name = o.Display.empty() ? std::getenv("DISPLAY") : o.Display.c_str();
    std::fprintf(stderr, "kardo: lost the connection to the X server %s\n", name ? name : "");
    return kFailed;
  }
  return status;
}

}  // namespace kardo
