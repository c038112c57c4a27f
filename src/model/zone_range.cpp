#include "model/zone_range.h"

namespace trv {
namespace {

constexpr std::uint32_t kLow12 = 0x0FFF;
constexpr std::uint32_t kHigh4 = 0x000F;

// A zone as a 16-bit offset from zone 1; zones outside 1..65536 keep only those 16 bits.
std::uint32_t OffsetOf(std::int32_t zone) {
  return (static_cast<std::uint32_t>(zone) - 1) & 0xFFFF;
}

std::int32_t ZoneOf(std::uint32_t low12, std::uint32_t high4) {
  return static_cast<std::int32_t>((high4 << 12 | low12) + 1);
}

}  // namespace

std::int32_t ZoneRange::Packed() const {
  const std::uint32_t f = OffsetOf(First);
  const std::uint32_t l = OffsetOf(Last);
  const std::uint32_t packed =
      (f & kLow12) | (l & kLow12) << 12 | (f >> 12 & kHigh4) << 24 | (l >> 12 & kHigh4) << 28;
  return static_cast<std::int32_t>(packed);
}

ZoneRange ZoneRange::Unpack(std::int32_t packed) {
  const auto bits = static_cast<std::uint32_t>(packed);
  return {.First = ZoneOf(bits & kLow12, bits >> 24 & kHigh4),
          .Last = ZoneOf(bits >> 12 & kLow12, bits >> 28 & kHigh4)};
}

}  // namespace trv
