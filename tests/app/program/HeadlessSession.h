#pragma once

#include <fstream>
#include <memory>
#include <string>

#include "app/program/Session.h"
#include "platform/headless/HeadlessWindowSystem.h"

// What the program's tests and benchmarks share: a session started the way
// they all start one, and the memory the process holds.
namespace kardo::testing {

// A session on a 1280 × 1024 screen with a 40-pixel panel at the bottom, so
// the console lands on a known place, run until its first frames should be
// out (the caller checks FirstFramesOut).
inline std::unique_ptr<TKardoSession> StartHeadlessSession(platform::THeadlessWindowSystem& System) {
  System.SetScreen({1280, 1024}, {0, 0, 1280, 984});
  auto session = std::make_unique<TKardoSession>(System);
  session->Start();
  System.RunUntil(System.TickCount() + 50);
  return session;
}

// From /proc/self/status: "VmHWM" (the peak since start or the last reset)
// or "VmRSS", in KiB; -1 when not there.
inline long StatusKiB(const std::string& Field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(Field + ":", 0) == 0) return std::stol(line.substr(Field.size() + 1));
  return -1;
}

}  // namespace kardo::testing
