#pragma once

#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace trv {

// The instant in local time; all fields zero when it cannot be told.
std::tm LocalTimeOf(std::chrono::system_clock::time_point instant);

// "yyyymmddhhnn" of an instant in local time: year 4 digits, month, day, hour 00..23, minute.
std::string TimeStamp(std::chrono::system_clock::time_point instant);

// The file system's last-write time of a file; empty when it cannot be read.
std::optional<std::chrono::system_clock::time_point> LastWriteTime(
    const std::filesystem::path& file);

}  // namespace trv
