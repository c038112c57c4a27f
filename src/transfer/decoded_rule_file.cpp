#include "transfer/decoded_rule_file.h"

#include <stdexcept>

#include "files/replacing_write.h"
#include "files/workbook_file.h"
#include "model/configuration.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "transfer/load_decoded_configuration.h"

namespace trv {

void WriteDecodedRuleFile(const ConfigurationImage& image, const std::filesystem::path& output) {
  if (!HoldsConfiguration(image)) {
    throw std::runtime_error(ActiveText(string_id::kNoConfigurationData));
  }
  const std::filesystem::path directory = std::filesystem::absolute(output).parent_path();
  Configuration configuration(directory, directory);
  DecodeImageInto(configuration, image);
  WriteReplacing(output, [&](const std::filesystem::path& file) {
    WriteWorkbookFile(configuration.MimicBook, file);
  });
}

}  // namespace trv
