#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "transfer/configuration_image.h"

namespace trv {

// Where a send keeps what the controller held before it: the data directory, and the unit name
// that the file is named after.
struct SendBackupPlace {
  std::filesystem::path Directory;
  std::string UnitName;
};

// "<unit>-before-send-<yyyymmdd-hhmmss>.hex" in local time, the unit name made fit for a file
// name.
std::string SendBackupFileName(std::string_view unitName,
                               std::chrono::system_clock::time_point instant);

// "Previous configuration kept in FILE".
std::string KeptImageText(const std::string& file);

// What became of a backup: the file written, or the file and why it could not be written.
struct SendBackupOutcome {
  std::filesystem::path File;
  std::string Failure;  // empty when the file was written

  bool Written() const { return Failure.empty(); }
  // "Previous configuration kept in FILE", or what failed and what to do.
  std::string Text() const;
};

// An image whose every byte is erased holds nothing worth keeping.
bool IsBlankImage(const ConfigurationImage& image);

// Writes the previous configuration as Intel HEX into the place, unless it is blank. A failure
// is returned, never raised.
std::optional<SendBackupOutcome> WriteSendBackup(const ConfigurationImage& previous,
                                                 const SendBackupPlace& place,
                                                 std::chrono::system_clock::time_point instant);

}  // namespace trv
