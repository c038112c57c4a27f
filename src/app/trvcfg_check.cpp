// trvcfg check: the rule checker's findings for a rule data file or a configuration image.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/trvcfg_commands.h"
#include "editor/rule_checker.h"
#include "model/configuration.h"
#include "transfer/configuration_image.h"

namespace trv::cli {

namespace {

Configuration ConfigurationOfFile(const std::filesystem::path& file) {
  if (!IsImageFile(file)) return LoadConfiguration(file);
  return DecodedConfiguration(ReadImageFile(file), std::filesystem::absolute(file).parent_path());
}

}  // namespace

// One line a finding, then the summary; status 1 when there is an error.
int CheckCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {});
  const std::vector<Finding> findings =
      CheckConfiguration(ConfigurationOfFile(arguments.OnlyPositional()));
  std::string out;
  for (const Finding& finding : findings) out += FindingLine(finding) + '\n';
  out += FindingsSummary(findings) + '\n';
  std::cout << out << std::flush;
  return HasError(findings) ? 1 : 0;
}

}  // namespace trv::cli
