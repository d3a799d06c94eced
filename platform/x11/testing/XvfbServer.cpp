#include "platform/x11/testing/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace platform {

std::unique_ptr<TXvfbServer> TXvfbServer::Start(std::string& Error, int Width, int Height) {
  int fds[2];
  if (pipe(fds) != 0) {
    Error = "cannot start Xvfb: no pipe";
    return nullptr;
  }
  const std::string fd = std::to_string(fds[1]);
  const std::string screen = std::to_string(Width) + "x" + std::to_string(Height) + "x24";
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    Error = "cannot start Xvfb: fork failed";
    return nullptr;
  }
  if (pid == 0) {
    close(fds[0]);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
    }
    // -displayfd: the server takes the first free display number and writes
    // it there once it accepts connections.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0) break;
    char buffer[16];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    number.append(buffer, size_t(n));
    if (number.find('\n') != std::string::npos) break;
  }
  close(fds[0]);
  while (!number.empty() && (number.back() == '\n' || number.back() == '\r')) number.pop_back();
  if (number.empty()) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    Error = "cannot start Xvfb (is the xvfb package installed?)";
    return nullptr;
  }
  return std::unique_ptr<TXvfbServer>(new TXvfbServer(pid, ":" + number));
}

TXvfbServer::~TXvfbServer() {
  kill(FPid, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (waitpid(FPid, nullptr, WNOHANG) == FPid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(FPid, SIGKILL);
  waitpid(FPid, nullptr, 0);
}

}  // namespace platform
