#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "simulator/file_descriptor.h"
#include "simulator/simulated_bootloader.h"

namespace trv {

// The controller's end of a pseudo-terminal. It keeps the device side open itself, so that the
// master never reports a hang-up while no host has the port, and watches the device for the
// host opening and closing it. Set-up failures raise std::system_error.
class PtyPort {
 public:
  enum class HostChange { Opened, Closed };

  PtyPort();

  const std::string& DevicePath() const { return devicePath_; }
  int MasterFd() const { return master_.Get(); }
  int WatchFd() const { return watch_.Get(); }

  // The host's first open and its last close since the previous call, in order.
  std::vector<HostChange> TakeHostChanges();
  // Bytes the host has written, at most buffer.size(); 0 when none are waiting.
  std::size_t Read(std::span<std::uint8_t> buffer);
  // The rate and format the host's port is set to.
  SenderLine HostLine() const;
  // Bytes to the host; what its full input queue cannot take is lost, as on a line.
  void Write(std::span<const std::uint8_t> bytes);
  // Drops what the host left unread and lifts its exclusive use, so that it can open again.
  void ForgetHost();

 private:
  FileDescriptor master_;
  FileDescriptor device_;  // held open by the simulator itself
  FileDescriptor watch_;
  std::string devicePath_;
  int hostOpens_ = 0;
};

}  // namespace trv
