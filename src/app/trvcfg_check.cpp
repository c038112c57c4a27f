// trvcfg check: the rule checker's findings for a rule data file or a configuration image.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/trvcfg_commands.h"
#include "editor/rule_checker.h"
#include "model/configuration.h"

namespace trv::cli {

// One line a finding, then the summary; status 1 when there is an error.
int CheckCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {});
  const std::vector<Finding> findings =
      CheckConfiguration(LoadRuleOrImage(arguments.OnlyPositional()));
  std::string out;
  for (const Finding& finding : findings) out += FindingLine(finding) + '\n';
  out += FindingsSummary(findings) + '\n';
  std::cout << out << std::flush;
  return HasError(findings) ? 1 : 0;
}

}  // namespace trv::cli
