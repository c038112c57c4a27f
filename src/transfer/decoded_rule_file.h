#pragma once

#include <filesystem>

#include "files/load_configuration.h"
#include "model/configuration.h"
#include "transfer/configuration_image.h"

namespace trv {

// The configuration an image read back holds, as a Get loads it, in a configuration whose
// directories are the given one. An image without a configuration raises std::runtime_error with
// string_id::kNoConfigurationData's text.
Configuration ConfigurationOfImage(const ConfigurationImage& image,
                                   const std::filesystem::path& directory);

// The rule data file that a Get leaves for an image read back, in a configuration whose
// directories are the output's. A blank image writes nothing; the file is replaced whole or not
// at all.
void WriteDecodedRuleFile(const ConfigurationImage& image, const std::filesystem::path& output);

// A rule data file as File Open reads it, or an image file (.bin, .hex) as a Get decodes it.
LoadedConfiguration LoadRuleOrImageFile(const std::filesystem::path& file);

}  // namespace trv
