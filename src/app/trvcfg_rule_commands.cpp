// trvcfg show and encode: a rule data file as the rule table, or as the configuration image.

#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "app/trvcfg_commands.h"
#include "files/load_configuration.h"
#include "model/configuration.h"
#include "model/rule_text.h"
#include "transfer/decoded_rule_file.h"
#include "transfer/encode_image.h"
#include "transfer/image_file.h"

namespace trv::cli {

namespace {

Configuration WithWarningShown(LoadedConfiguration load) {
  if (load.Warning) std::cerr << load.Warning->Text << '\n';
  return std::move(load.Loaded);
}

}  // namespace

Configuration LoadRuleDataFile(const std::filesystem::path& file) {
  return WithWarningShown(LoadConfiguration(file));
}

Configuration LoadRuleOrImage(const std::filesystem::path& file) {
  return WithWarningShown(LoadRuleOrImageFile(file));
}

int ShowCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {});
  const Configuration configuration = LoadRuleDataFile(arguments.OnlyPositional());
  const RuleTextContext context = RuleTextContextOf(configuration.ControllerSettings);
  std::string out;
  for (std::int32_t n = 1; n <= configuration.RuleCount; ++n) {
    out += std::to_string(n);
    for (const std::string& cell : RenderRule(configuration.StoredRule(n), context)) {
      out += '\t';
      out += cell;
    }
    out += '\n';
  }
  std::cout << out << std::flush;
  return 0;
}

int EncodeCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {"-o"});
  const std::filesystem::path output = arguments.RequiredValue("-o");
  if (!IsImageFile(output)) throw UsageError("the image goes to a .bin or a .hex file");
  WriteImageFile(EncodeImage(LoadRuleDataFile(arguments.OnlyPositional())), output);
  return 0;
}

}  // namespace trv::cli
