// trvcfg decode: a configuration image read back into the rule data file a Get leaves.

#include <filesystem>
#include <string>
#include <vector>

#include "app/trvcfg_commands.h"
#include "files/file_extension.h"
#include "transfer/decoded_rule_file.h"
#include "transfer/image_file.h"

namespace trv::cli {

int DecodeCommand(const std::vector<std::string>& words) {
  const CommandArguments arguments(words, {"-o"});
  const std::filesystem::path output = arguments.RequiredValue("-o");
  if (LowerCaseExtension(output) != ".trv") throw UsageError("the rule data file is a .trv file");
  const std::filesystem::path input = arguments.OnlyPositional();
  if (!IsImageFile(input)) throw UsageError("the image comes from a .bin or a .hex file");
  WriteDecodedRuleFile(ReadImageFile(input), output);
  return 0;
}

}  // namespace trv::cli
