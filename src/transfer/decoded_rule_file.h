#pragma once

#include <filesystem>

#include "transfer/configuration_image.h"

namespace trv {

// The rule data file that a Get leaves for an image read back, in a configuration whose
// directories are the output's. An image without a configuration raises std::runtime_error with
// string_id::kNoConfigurationData's text and writes nothing; the file is replaced whole or not at
// all.
void WriteDecodedRuleFile(const ConfigurationImage& image, const std::filesystem::path& output);

}  // namespace trv
