#pragma once

#include "model/configuration.h"
#include "transfer/configuration_image.h"
#include "transfer/decode_image.h"

namespace trv {

// Makes the decoded configuration the configuration's own, as a Get leaves it: its settings and
// rules replace those held, the settings are locked, and the workbook is set up afresh with the
// settings sheet, the rule data rows and the rule text sheet rendered.
void LoadDecodedConfiguration(Configuration& configuration, const DecodedConfiguration& decoded);

// DecodeImage over the configuration's settings, then LoadDecodedConfiguration.
void DecodeImageInto(Configuration& configuration, const ConfigurationImage& image);

}  // namespace trv
