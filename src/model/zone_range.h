#pragma once

#include <cstdint>

namespace trv {

// First and last zone of a zonal rule (1..65536), packed into the rule's Zone field from
// f = first - 1 and l = last - 1: bits 0..11 f, bits 12..23 l, bits 24..27 f >> 12,
// bits 28..31 l >> 12.
struct ZoneRange {
  static constexpr std::int32_t kMaxZone = 65536;

  std::int32_t First = 1;
  std::int32_t Last = 1;

  std::int32_t Packed() const;
  static ZoneRange Unpack(std::int32_t packed);

  bool operator==(const ZoneRange&) const = default;
};

}  // namespace trv
