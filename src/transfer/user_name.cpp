#include "transfer/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace trv {

namespace {

constexpr std::size_t kFirstBufferSize = 1024;
constexpr std::size_t kLargestBufferSize = 1024 * 1024;

}  // namespace

std::optional<std::string> LoggedOnUserName() {
  const uid_t user = geteuid();
  for (std::size_t size = kFirstBufferSize; size <= kLargestBufferSize; size *= 2) {
    std::vector<char> buffer(size);
    passwd entry{};
    passwd* found = nullptr;
    const int error = getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found);
    if (error == ERANGE) continue;
    if (error != 0 || found == nullptr || found->pw_name == nullptr) return std::nullopt;
    return std::string(found->pw_name);
  }
  return std::nullopt;
}

}  // namespace trv
