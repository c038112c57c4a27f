#pragma once

#include <cstdint>

namespace trv {

// Bits 15..12 of a rule word.
enum class RuleWordType : std::uint8_t {
  Panel = 0,
  Loop = 1,
  Zone = 2,
  Address = 5,
  ZoneHigh = 6,
  RuleEnd = 7,
  TerminationOutput = 8,
  Events = 9,
  Control = 10,
  DriverOutput = 12,
  ZoneRangeMarker = 13,
  GeneralEvents = 14,
  EndOfStream = 15,
};

// One 16-bit word of the rule word stream. The constructor gives every type its start value;
// the encoder then sets the payload fields.
class RuleWord {
 public:
  explicit RuleWord(RuleWordType type);

  RuleWordType Type() const { return static_cast<RuleWordType>(FValue >> 12); }
  std::uint16_t Value() const { return FValue; }

  // Replaces bits lowBit .. lowBit + width - 1 with the low width bits of value; the type bits
  // are never touched.
  RuleWord& SetField(unsigned lowBit, unsigned width, std::int64_t value);
  RuleWord& SetBit(unsigned bit, bool on);

 private:
  std::uint16_t FValue;
};

}  // namespace trv
