#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace trv::test {

// m16c-sim running as a child process on its own pseudo-terminal; ended with SIGTERM.
class TSimulatorProcess {
 public:
  TSimulatorProcess(const std::string& program, const std::vector<std::string>& options);
  ~TSimulatorProcess();
  TSimulatorProcess(const TSimulatorProcess&) = delete;
  TSimulatorProcess& operator=(const TSimulatorProcess&) = delete;

  const std::string& DevicePath() const { return FDevicePath; }

 private:
  pid_t FPid = -1;
  std::string FDevicePath;
};

}  // namespace trv::test
