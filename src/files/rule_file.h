#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace trv {

class Configuration;

// A message box that loading a rule file asks for: text and caption are string table entries.
struct RuleFileMessage {
  int TextId = 0;
  int CaptionId = 0;
  std::string Text;  // filled with the file's path
  bool IsError = false;

  bool operator==(const RuleFileMessage&) const = default;
};

struct RuleFileLoad {
  bool Loaded = false;  // false: refused by the version check, the configuration is unchanged
  std::optional<RuleFileMessage> Message;
};

// The unit name as the base of a file name in the data directory: every character that a file
// name on this or another system cannot hold (separators, control characters, the reserved
// characters of Windows names) becomes "_", so the name never leaves the directory.
std::string FileBaseNameOfUnit(std::string_view unitName);

// Reads a rule data file into the configuration: the workbook, the settings from its cells, the
// rule count and the file names after the unit name (FileBaseNameOfUnit). A file of another major
// version, or of a newer minor version, is refused with message kOlderVersionFile (an error); a
// file without rules loads its settings and brings message kNoRuleInformation (a warning). The
// workbook's set-up and the rule text are left to the caller. Throws WorkbookFileError for a file
// that is not a rule data file, leaving the configuration unchanged.
RuleFileLoad LoadRuleFile(const std::filesystem::path& path, Configuration& configuration);

}  // namespace trv
