#pragma once

#include <string_view>
#include <vector>

#include "model/controller_settings.h"
#include "model/rule_record.h"
#include "transfer/configuration_image.h"

namespace trv {

// What a configuration image carries: the controller settings and the rules in stream order.
struct DecodedConfiguration {
  ControllerSettings Settings;
  std::vector<RuleRecord> Rules;

  bool operator==(const DecodedConfiguration&) const = default;
};

// The configuration an image holds, loaded over current: the header's settings replace those of
// current, relay links implied by rule outputs are added to current's links (never removed), and
// defaultBaseName stands in for a unit name that is empty. Every image is read safely and nothing
// is checked: words out of place are passed over, and a rule cut off by the end of the image keeps
// what its words before the end gave.
DecodedConfiguration DecodeImage(const ConfigurationImage& image, const ControllerSettings& current,
                                 std::string_view defaultBaseName);

}  // namespace trv
