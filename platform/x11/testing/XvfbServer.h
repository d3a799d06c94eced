#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

// A private virtual X server for tests and benchmarks: started on a display
// number it finds free itself, ready for connections when Start returns, and
// ended by its process id when the object goes.
namespace platform {

class TXvfbServer {
 public:
  // Null, with Error set, when the server cannot be started within 10 s.
  static std::unique_ptr<TXvfbServer> Start(std::string& Error, int Width = 1280, int Height = 1024);
  ~TXvfbServer();
  TXvfbServer(const TXvfbServer&) = delete;
  TXvfbServer& operator=(const TXvfbServer&) = delete;

  const std::string& DisplayName() const { return FName; }
  pid_t Pid() const { return FPid; }

 private:
  TXvfbServer(pid_t Pid, std::string Name) : FPid(Pid), FName(std::move(Name)) {}
  pid_t FPid;
  std::string FName;
};

}  // namespace platform
