#include "files/load_configuration.h"

#include <stdexcept>
#include <utility>

namespace trv {

LoadedConfiguration LoadConfiguration(const std::filesystem::path& file) {
  const std::filesystem::path path = std::filesystem::absolute(file);
  Configuration configuration(path.parent_path(), path.parent_path());
  RuleFileLoad load = LoadRuleFile(path, configuration);
  if (!load.Loaded) throw std::runtime_error(load.Message->Text);
  configuration.RuleFileName = path.string();
  return {.Loaded = std::move(configuration), .Warning = std::move(load.Message)};
}

}  // namespace trv
