#include "transfer/configuration_image.h"

#include <algorithm>

namespace trv {

namespace {

std::size_t StreamByteOffset(std::size_t index) {
  return ConfigurationImage::kRuleWordStreamOffset + 2 * index;
}

}  // namespace

std::uint16_t ConfigurationImage::StreamWord(std::size_t index) const {
  const std::size_t offset = StreamByteOffset(index);
  return static_cast<std::uint16_t>(Byte(offset) | (Byte(offset + 1) << 8));
}

void ConfigurationImage::SetStreamWord(std::size_t index, RuleWord word) {
  const std::size_t offset = StreamByteOffset(index);
  SetByte(offset + 1, static_cast<std::uint8_t>(word.Value() >> 8));
  SetByte(offset, static_cast<std::uint8_t>(word.Value() & 0xFF));
}

bool HoldsConfiguration(const ConfigurationImage& image) {
  const auto version = image.Data().begin() + ConfigurationImage::kFormatVersionOffset;
  return !std::all_of(version, version + ConfigurationImage::kFormatVersionLength,
                      [](std::uint8_t byte) { return byte == ConfigurationImage::kErasedByte; });
}

}  // namespace trv
