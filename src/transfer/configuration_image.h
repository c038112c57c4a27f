#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "transfer/rule_word.h"

namespace trv {

// The controller's whole configuration: one fixed block of flash at ImageBase. Every byte starts
// erased (0xFF); the header holds the settings, the stream from byte 4352 the rule words.
class ConfigurationImage {
 public:
  static constexpr std::uint32_t ImageBase = 0xC0100;
  static constexpr std::size_t kSize = 0xFF00;
  static constexpr std::size_t kRuleWordStreamOffset = 4352;
  static constexpr std::size_t kStreamWordCapacity = (kSize - kRuleWordStreamOffset) / 2;
  static constexpr std::uint8_t kErasedByte = 0xFF;

  // Header offsets.
  static constexpr std::size_t kFormatVersionOffset = 0;
  static constexpr std::size_t kFormatVersionLength = 4;
  static constexpr std::size_t kRuleFileTimeOffset = 4;
  static constexpr std::size_t kImageTimeOffset = 16;
  static constexpr std::size_t kTimeStampLength = 12;
  static constexpr std::size_t kAddressModeOffset = 28;
  static constexpr std::size_t kSoftAddressOffset = 29;  // two bytes, high byte first
  static constexpr std::size_t kBuzzerModeOffset = 31;
  static constexpr std::size_t kUnitNameOffset = 32;
  static constexpr std::size_t kUserNameOffset = 52;
  static constexpr std::size_t kNameLength = 20;
  static constexpr std::size_t kBlanksOffset = 72;
  static constexpr std::size_t kBlanksLength = 40;
  static constexpr std::size_t kZoneModeOffset = 112;
  static constexpr std::size_t kResoundOnNewAlarmOffset = 115;
  static constexpr std::size_t kFixedFFOffset = 117;
  static constexpr std::size_t kBuzzerDisplayedEventsOnlyOffset = 118;
  static constexpr std::size_t kBuzzerDisableIntervalOffset = 119;
  static constexpr std::size_t kAccessLevelOffset = 120;
  static constexpr std::size_t kSlimlineOffset = 121;
  static constexpr std::size_t kSystemIndexOffset = 130;
  static constexpr std::size_t kMutedTechAlarmIntervalOffset = 133;

  using Bytes = std::array<std::uint8_t, kSize>;

  ConfigurationImage() { FBytes.fill(kErasedByte); }

  const Bytes& Data() const { return FBytes; }
  Bytes& Data() { return FBytes; }

  std::uint8_t Byte(std::size_t offset) const { return FBytes.at(offset); }
  void SetByte(std::size_t offset, std::uint8_t value) { FBytes.at(offset) = value; }

  // Word i of the rule word stream (0 .. kStreamWordCapacity - 1), stored low byte first.
  std::uint16_t StreamWord(std::size_t index) const;
  void SetStreamWord(std::size_t index, RuleWord word);

  bool operator==(const ConfigurationImage&) const = default;

 private:
  Bytes FBytes;
};

// An image read back holds a configuration unless its format version is erased.
bool HoldsConfiguration(const ConfigurationImage& image);

}  // namespace trv
