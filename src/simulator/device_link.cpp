#include "simulator/device_link.h"

#include <stdexcept>
#include <system_error>

namespace trv {

namespace {

[[noreturn]] void Fail(const std::filesystem::path& link, const std::string& why) {
  throw std::runtime_error(link.string() + ": " + why);
}

}  // namespace

DeviceLink::DeviceLink(std::filesystem::path link, std::filesystem::path device)
    : link_(std::move(link)), device_(std::move(device)) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::symlink_status(link_, error);
  if (fs::exists(status) && !fs::is_symlink(status)) Fail(link_, "exists and is not a link");
  // Made under another name and renamed over the old link, so the name is never missing.
  fs::path temporary = link_;
  temporary += ".new";
  if (fs::is_symlink(fs::symlink_status(temporary, error))) fs::remove(temporary, error);
  fs::create_symlink(device_, temporary, error);
  if (error) Fail(link_, error.message());
  fs::rename(temporary, link_, error);
  if (error) {
    const std::string why = error.message();
    fs::remove(temporary, error);
    Fail(link_, why);
  }
}

DeviceLink::~DeviceLink() {
  std::error_code error;
  if (std::filesystem::read_symlink(link_, error) == device_) std::filesystem::remove(link_, error);
}

}  // namespace trv
