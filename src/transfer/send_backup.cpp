#include "transfer/send_backup.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "files/rule_file.h"
#include "transfer/image_file.h"
#include "transfer/time_stamp.h"

namespace trv {
namespace {

std::string LocalTimeText(std::chrono::system_clock::time_point instant) {
  const std::tm local = LocalTimeOf(instant);
  // Room for any int year, as in TimeStamp.
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

}  // namespace

std::string SendBackupFileName(std::string_view unitName,
                               std::chrono::system_clock::time_point instant) {
  std::string name = FileBaseNameOfUnit(unitName);
  name += "-before-send-";
  name += LocalTimeText(instant);
  name += ".hex";
  return name;
}

std::string KeptImageText(const std::string& file) {
  std::string text = "Previous configuration kept in ";
  text += file;
  return text;
}

std::string SendBackupOutcome::Text() const {
  if (Written()) return KeptImageText(File.string());
  std::string text = "The controller's previous configuration could not be kept in ";
  text += File.string();
  text += ": ";
  text += Failure;
  text +=
      ".\n\nThe send itself went on. Make the data directory writable and free some space on "
      "its disk so that the next send keeps a copy.";
  return text;
}

bool IsBlankImage(const ConfigurationImage& image) {
  return std::all_of(image.Data().begin(), image.Data().end(),
                     [](std::uint8_t byte) { return byte == ConfigurationImage::kErasedByte; });
}

std::optional<SendBackupOutcome> WriteSendBackup(const ConfigurationImage& previous,
                                                 const SendBackupPlace& place,
                                                 std::chrono::system_clock::time_point instant) {
  if (IsBlankImage(previous)) return std::nullopt;
  SendBackupOutcome outcome{place.Directory / SendBackupFileName(place.UnitName, instant), {}};
  try {
    WriteImageFile(previous, outcome.File);
  } catch (const std::exception& error) {
    outcome.Failure = error.what();
  }
  return outcome;
}

}  // namespace trv
