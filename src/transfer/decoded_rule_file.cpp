#include "transfer/decoded_rule_file.h"

#include <stdexcept>

#include "files/replacing_write.h"
#include "files/workbook_file.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "transfer/image_file.h"
#include "transfer/load_decoded_configuration.h"

namespace trv {

Configuration ConfigurationOfImage(const ConfigurationImage& image,
                                   const std::filesystem::path& directory) {
  if (!HoldsConfiguration(image)) {
    throw std::runtime_error(ActiveText(string_id::kNoConfigurationData));
  }
  Configuration configuration(directory, directory);
  DecodeImageInto(configuration, image);
  return configuration;
}

void WriteDecodedRuleFile(const ConfigurationImage& image, const std::filesystem::path& output) {
  const Configuration configuration =
      ConfigurationOfImage(image, std::filesystem::absolute(output).parent_path());
  WriteReplacing(output, [&](const std::filesystem::path& file) {
    WriteWorkbookFile(configuration.MimicBook, file);
  });
}

LoadedConfiguration LoadRuleOrImageFile(const std::filesystem::path& file) {
  if (!IsImageFile(file)) return LoadConfiguration(file);
  const std::filesystem::path directory = std::filesystem::absolute(file).parent_path();
  return {ConfigurationOfImage(ReadImageFile(file), directory), std::nullopt};
}

}  // namespace trv
