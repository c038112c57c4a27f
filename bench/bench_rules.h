#pragma once

#include <cstdint>

#include "model/configuration.h"
#include "model/rule_record.h"
#include "model/zone_range.h"

namespace trv::bench {

// Rule n of a busy Event (Local) list: eight words in the image, fields spread over their ranges.
inline RuleRecord LocalRule(int n) {
  constexpr std::int32_t kFireAndFault = 0b11 | 0b11 << 8;
  return {.Kind = rkEventLocal,
          .Panel = n % 8,
          .Loop = 1 + n % 8,
          .Zone = 1 + n % 255,
          .Address = 1 + n % 99,
          .DeviceType = n % 2 == 0 ? 3 : 257,
          .Events = kFireAndFault,
          .Modifier = n % 3 == 0 ? 1 : 0,
          .Output = 0x8200 + n % 512};
}

inline RuleRecord ZonalRule(int n) {
  return {.Kind = rkZonal,
          .Panel = 0,
          .Zone = ZoneRange{1 + n % 200, 10 + n % 200}.Packed(),
          .Events = n % 5,
          .Output = 0xCA00 + n % 64};
}

// Local rules, with every 4th a zonal rule, every 7th a network and every 11th a general one.
inline Configuration MixedConfiguration(int rules) {
  Configuration configuration("/nonexistent/trv-bench", "/nonexistent/trv-bench");
  for (int n = 0; n < rules; ++n) {
    RuleRecord rule = n % 4 == 0 ? ZonalRule(n) : LocalRule(n);
    if (n % 7 == 0) rule.Kind = rkEventNetwork;
    if (n % 11 == 0) rule.Kind = rkEventGeneral;
    configuration.StoreRule(n + 1, rule);
  }
  configuration.RuleCount = rules;
  return configuration;
}

}  // namespace trv::bench
