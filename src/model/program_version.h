#pragma once

#include <array>
#include <string>
#include <string_view>

namespace trv {

// The four numbers of the program's FileVersion; the settings sheet keeps the first three.
struct ProgramVersion {
  std::array<unsigned, 4> Numbers{};
  std::string Text() const;  // "a.b.c.d"
  bool operator==(const ProgramVersion&) const = default;
};

// Splits a FileVersion text at "."; a missing or malformed number reads 0.
ProgramVersion ParseProgramVersion(std::string_view fileVersion);

// The program's version record, compiled in from the project's version and copyright line.
struct VersionRecord {
  std::string FileVersion;     // four numbers: "a.b.c.d"
  std::string ProductVersion;  // shown by the about box and trvcfg --version
  std::string LegalCopyright;
};

const VersionRecord& ThisVersionRecord();

// The record's FileVersion in numbers.
ProgramVersion ThisProgramVersion();

}  // namespace trv
