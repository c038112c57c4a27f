#include "transfer/time_stamp.h"

#include <cstdio>
#include <ctime>
#include <system_error>

namespace trv {

std::tm LocalTimeOf(std::chrono::system_clock::time_point instant) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(instant);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) local = std::tm{};
  return local;
}

std::string TimeStamp(std::chrono::system_clock::time_point instant) {
  const std::tm local = LocalTimeOf(instant);
  // Room for any int year, so that a far-off clock cannot cut the text inside a field.
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min);
  return text;
}

std::optional<std::chrono::system_clock::time_point> LastWriteTime(
    const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::file_time_type written = std::filesystem::last_write_time(file, error);
  if (error) return std::nullopt;
  return std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(written));
}

}  // namespace trv
