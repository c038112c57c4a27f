// Images of random bytes, with word types drawn so that every rule decoder runs on garbage: the
// decoder must end inside the image with settings in their ranges, and loading and rendering
// what it gives must hold up too.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

#include "model/configuration.h"
#include "model/output_word.h"
#include "transfer/decode_image.h"
#include "transfer/load_decoded_configuration.h"

namespace trv {
namespace {

using Image = ConfigurationImage;

// Rule headers and output words often, so that rules start everywhere; never the end word, so
// that the walk runs to the end of the image.
constexpr std::array<unsigned, 16> kTypeWeights{4, 3, 4, 1, 1, 3, 4, 3, 8, 3, 10, 1, 3, 3, 3, 0};

Image RandomImage(std::mt19937& random) {
  Image image;
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::size_t offset = 0; offset < Image::kRuleWordStreamOffset; ++offset) {
    image.SetByte(offset, static_cast<std::uint8_t>(byte(random)));
  }
  // Small header values now and then, so that the model, system and zone mode take real values.
  for (const std::size_t offset : {Image::kSlimlineOffset, Image::kSystemIndexOffset,
                                   Image::kZoneModeOffset, Image::kBuzzerModeOffset}) {
    if (random() % 2 == 0) image.SetByte(offset, static_cast<std::uint8_t>(random() % 5));
  }
  std::discrete_distribution<unsigned> type(kTypeWeights.begin(), kTypeWeights.end());
  for (std::size_t word = 0; word < Image::kStreamWordCapacity; ++word) {
    const auto value = static_cast<std::uint16_t>(type(random) << 12 | (random() & 0x0FFF));
    const std::size_t offset = Image::kRuleWordStreamOffset + 2 * word;
    image.SetByte(offset, static_cast<std::uint8_t>(value & 0xFF));
    image.SetByte(offset + 1, static_cast<std::uint8_t>(value >> 8));
  }
  return image;
}

void ExpectInRange(const ControllerSettings& settings) {
  EXPECT_TRUE(settings.ModelIndex == 0 || settings.ModelIndex == kSlimlineModelIndex);
  EXPECT_GE(settings.SystemIndex, 0);
  EXPECT_LE(settings.SystemIndex, 2);
  EXPECT_GE(settings.ZoneMode, 1);
  EXPECT_LE(settings.ZoneMode, 4);
  EXPECT_GE(settings.BoardsInstalled, 1);
  EXPECT_LE(settings.BoardsInstalled, MaxBoardsInstalled(settings.ModelIndex));
  EXPECT_GE(settings.BuzzerMode, 0);
  EXPECT_LE(settings.BuzzerMode, 2);
  EXPECT_FALSE(settings.UnitName.empty());
}

TEST(DecodeRandomImage, EveryImageDecodesWithinItsBounds) {
  std::mt19937 random(20261208);
  for (int n = 0; n < 60; ++n) {
    SCOPED_TRACE("image " + std::to_string(n));
    const Image image = RandomImage(random);
    const DecodedConfiguration decoded = DecodeImage(image, {}, "Mimic1");
    ExpectInRange(decoded.Settings);
    EXPECT_GT(decoded.Rules.size(), 0u);
    EXPECT_LE(decoded.Rules.size(), Image::kStreamWordCapacity / 2);
    if (n % 10 != 0) continue;
    Configuration configuration("/nonexistent/trv-program", "/nonexistent/trv-data");
    LoadDecodedConfiguration(configuration, decoded);
    EXPECT_EQ(configuration.RuleCount, static_cast<std::int32_t>(decoded.Rules.size()));
    EXPECT_FALSE(configuration.MimicBook.Text(kRuleTextSheet, configuration.RuleCount, 1).empty());
  }
}

TEST(DecodeRandomImage, RandomBytesEverywhere) {
  std::mt19937 random(7);
  for (int n = 0; n < 60; ++n) {
    Image image;
    for (auto& byte : image.Data()) byte = static_cast<std::uint8_t>(random());
    ExpectInRange(DecodeImage(image, {}, "Mimic1").Settings);
  }
}

}  // namespace
}  // namespace trv
