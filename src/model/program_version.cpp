#include "model/program_version.h"

#include <charconv>

#include "version_numbers.h"

namespace trv {

std::string ProgramVersion::Text() const {
  std::string text;
  for (unsigned number : Numbers) {
    if (!text.empty()) text += '.';
    text += std::to_string(number);
  }
  return text;
}

ProgramVersion ParseProgramVersion(std::string_view fileVersion) {
  ProgramVersion version;
  for (unsigned& number : version.Numbers) {
    const auto dot = fileVersion.find('.');
    const std::string_view part = fileVersion.substr(0, dot);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    number = (error == std::errc{} && end == part.data() + part.size()) ? value : 0;
    fileVersion = dot == std::string_view::npos ? std::string_view{} : fileVersion.substr(dot + 1);
  }
  return version;
}

const VersionRecord& ThisVersionRecord() {
  static const VersionRecord record{build::kFileVersion, build::kProductVersion,
                                    build::kLegalCopyright};
  return record;
}

ProgramVersion ThisProgramVersion() {
  return ParseProgramVersion(ThisVersionRecord().FileVersion);
}

}  // namespace trv
