// trvcfg decode: a configuration image read back into the rule data file a Get leaves.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/trvcfg_commands.h"
#include "files/workbook_file.h"
#include "model/configuration.h"
#include "transfer/configuration_image.h"
#include "transfer/load_decoded_configuration.h"

namespace trv::cli {

Configuration DecodedConfiguration(const ConfigurationImage& image,
                                   const std::filesystem::path& directory) {
  if (!HoldsConfiguration(image)) throw std::runtime_error("No configuration data present");
  Configuration configuration(directory, directory);
  DecodeImageInto(configuration, image);
  return configuration;
}

void WriteDecodedRuleFile(const ConfigurationImage& image, const std::filesystem::path& output) {
  const Configuration configuration =
      DecodedConfiguration(image, std::filesystem::absolute(output).parent_path());
  WriteReplacing(output, [&](const std::filesystem::path& file) {
    WriteWorkbookFile(configuration.MimicBook, file);
  });
}

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
