#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "serial/serial_error.h"

namespace trv {

// What the system says of a device the user may not open.
struct TDeviceAccessFacts {
  std::string Device;
  std::string Group;  // its name, or the number when the group has none
  bool GroupMayReadWrite = false;
  bool UserInGroup = false;
};

// The facts of a device for a user in `userGroups`.
TDeviceAccessFacts DeviceAccessFacts(const std::string& device,
                                     const std::vector<gid_t>& userGroups);
// The groups this process has (its supplementary groups and its effective group).
std::vector<gid_t> ProcessGroups();

// "Unable to open communications port: /dev/ttyUSB0 belongs to group dialout, which you are not
// in: sudo usermod -aG dialout $USER, then log in again"
std::string NoPermissionMessage(const TDeviceAccessFacts& facts);

// A process that has the device open.
struct TPortHolder {
  int Pid = 0;
  std::string Name;
};

// The process with the lowest id that has the device open, from /proc/<pid>/fd; nothing when
// none can be seen (another user's processes are not visible to an ordinary user).
std::optional<TPortHolder> FindPortHolder(const std::string& device,
                                          const std::filesystem::path& proc);

// "Unable to open communications port: /dev/ttyUSB0 is in use by minicom (process 4242)"
std::string InUseMessage(const std::string& device, const std::optional<TPortHolder>& holder);

// The text Open raises for a device that would not open.
std::string OpenFailureMessage(const std::string& device, TOpenFailure failure,
                               const std::filesystem::path& proc);

}  // namespace trv
