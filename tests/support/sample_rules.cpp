#include "sample_rules.h"

#include "model/zone_range.h"

namespace trv::test {

RuleRecord SampleRule(int n) {
  switch (n % 4) {
    case 1:
      return {.Kind = rkZonal, .Panel = 1, .Zone = ZoneRange{n, n + 4}.Packed(), .Output = n};
    case 2:
      return {.Kind = rkEventLocal, .Panel = 1, .Loop = 2, .Zone = n, .Events = 0b11};
    case 3:
      return {.Kind = rkEventNetwork, .Zone = n, .Address = kAnyReference, .Events = 0b11};
    default:
      return {.Kind = rkBoard, .Zone = 1, .Modifier = n % 8 + 1};
  }
}

}  // namespace trv::test
