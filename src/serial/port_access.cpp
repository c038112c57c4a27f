#include "serial/port_access.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <system_error>

#include "serial/system_text.h"

namespace trv {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUnableToOpen = "Unable to open communications port";
// /proc is read, not trusted: a bounded number of processes and of descriptors of each.
constexpr std::size_t kMostProcesses = 4096;
constexpr std::size_t kMostDescriptors = 1024;
constexpr std::size_t kCommandNameLimit = 16;
constexpr std::size_t kGroupBufferSize = 16384;

std::string GroupName(gid_t gid) {
  group entry{};
  group* found = nullptr;
  std::vector<char> buffer(kGroupBufferSize);
  if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    return found->gr_name;
  }
  return std::to_string(gid);
}

std::optional<int> ProcessId(const std::string& name) {
  int pid = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (error != std::errc() || end != name.data() + name.size() || pid <= 0) return std::nullopt;
  return pid;
}

std::vector<int> ProcessIds(const fs::path& proc) {
  std::vector<int> pids;
  std::error_code error;
  for (fs::directory_iterator it(proc, error), end;
       !error && it != end && pids.size() < kMostProcesses; it.increment(error)) {
    if (const auto pid = ProcessId(it->path().filename().string())) pids.push_back(*pid);
  }
  std::sort(pids.begin(), pids.end());
  return pids;
}

bool HasOpen(const fs::path& descriptors, const fs::path& device) {
  std::error_code error;
  std::size_t seen = 0;
  for (fs::directory_iterator it(descriptors, error), end;
       !error && it != end && seen < kMostDescriptors; it.increment(error), ++seen) {
    std::error_code linkError;
    if (fs::read_symlink(it->path(), linkError) == device && !linkError) return true;
  }
  return false;
}

}  // namespace

TDeviceAccessFacts DeviceAccessFacts(const std::string& device,
                                     const std::vector<gid_t>& userGroups) {
  TDeviceAccessFacts facts;
  facts.Device = device;
  struct stat status {};
  if (stat(device.c_str(), &status) != 0) return facts;
  facts.Group = GroupName(status.st_gid);
  facts.GroupMayReadWrite = (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  facts.UserInGroup =
      std::find(userGroups.begin(), userGroups.end(), status.st_gid) != userGroups.end();
  return facts;
}

std::vector<gid_t> ProcessGroups() {
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
  const int count = getgroups(static_cast<int>(groups.size()), groups.data());
  groups.resize(static_cast<std::size_t>(std::max(count, 0)));
  groups.push_back(getegid());
  return groups;
}

std::string NoPermissionMessage(const TDeviceAccessFacts& facts) {
  const std::string prefix = std::string(kUnableToOpen) + ": ";
  if (facts.Group.empty()) return prefix + "no permission to read and write " + facts.Device;
  if (facts.GroupMayReadWrite && !facts.UserInGroup) {
    return prefix + facts.Device + " belongs to group " + facts.Group +
           ", which you are not in: sudo usermod -aG " + facts.Group + " $USER, then log in again";
  }
  return prefix + "no permission to read and write " + facts.Device + " (group " + facts.Group +
         ")";
}

std::optional<TPortHolder> FindPortHolder(const std::string& device, const fs::path& proc) {
  std::error_code error;
  const fs::path canonical = fs::canonical(device, error);
  const fs::path target = error ? fs::path(device) : canonical;
  for (const int pid : ProcessIds(proc)) {
    const fs::path process = proc / std::to_string(pid);
    if (HasOpen(process / "fd", target)) {
      return TPortHolder{pid, ReadShortText(process / "comm", kCommandNameLimit)};
    }
  }
  return std::nullopt;
}

std::string InUseMessage(const std::string& device, const std::optional<TPortHolder>& holder) {
  const std::string by =
      holder ? holder->Name + " (process " + std::to_string(holder->Pid) + ")" : "another program";
  return std::string(kUnableToOpen) + ": " + device + " is in use by " + by;
}

std::string OpenFailureMessage(const std::string& device, TOpenFailure failure,
                               const fs::path& proc) {
  switch (failure) {
    case TOpenFailure::NoPermission:
      return NoPermissionMessage(DeviceAccessFacts(device, ProcessGroups()));
    case TOpenFailure::InUse:
      return InUseMessage(device, FindPortHolder(device, proc));
    case TOpenFailure::Absent:
    case TOpenFailure::Unusable:
      break;
  }
  return kUnableToOpen;
}

}  // namespace trv
