#pragma once

#include <filesystem>
#include <optional>

#include "files/rule_file.h"
#include "model/configuration.h"

namespace trv {

struct LoadedConfiguration {
  Configuration Loaded;
  // The message of a file without rules (string_id::kNoRuleInformation); its settings are
  // loaded all the same.
  std::optional<RuleFileMessage> Warning;
};

// A rule data file read as File Open reads it, into a configuration of its own whose directories
// are the file's. The rule file name is the file's full path, so that an image encoded from it
// takes the time of that file. A refused version raises std::runtime_error with the text of its
// message; a file that is no rule data file raises WorkbookFileError. Nothing is shown: the
// caller shows the warning.
LoadedConfiguration LoadConfiguration(const std::filesystem::path& file);

}  // namespace trv
