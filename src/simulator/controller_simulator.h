#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "simulator/device_link.h"
#include "simulator/file_descriptor.h"
#include "simulator/flash_file.h"
#include "simulator/pty_port.h"
#include "simulator/simulated_bootloader.h"
#include "simulator/simulator_options.h"

namespace trv {

// The simulated controller on a pseudo-terminal: the bootloader answers the host at the pace of
// a real line, and its flash is kept in a file. Constructing it blocks SIGINT and SIGTERM for
// the process: they end Run through a descriptor. Set-up failures raise std::runtime_error.
class ControllerSimulator {
 public:
  explicit ControllerSimulator(const SimulatorOptions& options);

  const std::string& DevicePath() const { return port_.DevicePath(); }
  // Answers the host until SIGINT or SIGTERM; waits in poll, never spins.
  void Run();

 private:
  void HandleHostChanges();
  void ReceiveFromHost();
  void DeliverDueBytes();
  void DrainTimer();
  void ArmTimer(std::optional<BootloaderTime> due);
  void KeepFlash();

  SimulatorOptions options_;
  SimulatedBootloader bootloader_;
  PtyPort port_;
  std::optional<FlashFile> flashFile_;
  std::uint64_t keptRevision_ = 0;
  std::unique_ptr<DeviceLink> link_;
  FileDescriptor signals_;
  FileDescriptor timer_;
};

}  // namespace trv
