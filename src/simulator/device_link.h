#pragma once

#include <filesystem>

namespace trv {

// A symbolic link to the simulator's device, for hosts that expect a fixed name. A stale link
// left by an earlier run is replaced; anything else at that path is left alone and refused.
// The link is removed again on destruction while it still points at the device.
class DeviceLink {
 public:
  // Raises std::runtime_error naming the link when it cannot be made.
  DeviceLink(std::filesystem::path link, std::filesystem::path device);
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;
  ~DeviceLink();

 private:
  std::filesystem::path link_;
  std::filesystem::path device_;
};

}  // namespace trv
