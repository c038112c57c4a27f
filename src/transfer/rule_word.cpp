#include "transfer/rule_word.h"

#include <algorithm>

namespace trv {

namespace {

constexpr std::uint16_t kPayloadMask = 0x0FFF;

std::uint16_t StartValue(RuleWordType type) {
  switch (type) {
    case RuleWordType::Control:
      return 0xAE00;  // subtype 7, the rule header
    case RuleWordType::ZoneRangeMarker:
      return 0xD800;
    case RuleWordType::EndOfStream:
      return 0xFFFF;
    default:
      return static_cast<std::uint16_t>(static_cast<unsigned>(type) << 12);
  }
}

}  // namespace

RuleWord::RuleWord(RuleWordType type) : FValue(StartValue(type)) {}

RuleWord& RuleWord::SetField(unsigned lowBit, unsigned width, std::int64_t value) {
  if (lowBit >= 16) return *this;
  const std::uint64_t fieldMask = ((std::uint64_t{1} << std::min(width, 16u)) - 1) << lowBit;
  const auto mask = static_cast<std::uint16_t>(fieldMask & kPayloadMask);
  // Two's complement bits: a negative value gives its low bits, never bits outside the field.
  const auto bits = static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) << lowBit);
  FValue = static_cast<std::uint16_t>((FValue & ~mask) | (bits & mask));
  return *this;
}

RuleWord& RuleWord::SetBit(unsigned bit, bool on) {
  return SetField(bit, 1, on ? 1 : 0);
}

}  // namespace trv
