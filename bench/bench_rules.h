#pragma once

#include <cstdint>

#include "model/rule_record.h"

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

}  // namespace trv::bench
