// Any bytes as a configuration image: the first 136 are the header bytes the decoder reads, the
// rest the start of the rule word stream, erased after them. Decoding must end, stay inside the
// image and leave the settings within their ranges.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/controller_settings.h"
#include "model/output_word.h"
#include "transfer/decode_image.h"

namespace {

using Image = trv::ConfigurationImage;

constexpr std::size_t HeaderBytes = 136;

void Require(bool holds) {
  if (!holds) std::abort();
}

void CheckSettings(const trv::ControllerSettings& settings) {
  Require(settings.ModelIndex == 0 || settings.ModelIndex == trv::kSlimlineModelIndex);
  Require(settings.SystemIndex >= 0 && settings.SystemIndex <= 2);
  Require(settings.ZoneMode >= 1 && settings.ZoneMode <= 4);
  Require(settings.BoardsInstalled >= 1 &&
          settings.BoardsInstalled <= trv::MaxBoardsInstalled(settings.ModelIndex));
  Require(settings.BuzzerMode >= 0 && settings.BuzzerMode <= 2);
  Require(settings.AccessLevel >= 0 && settings.AccessLevel <= 1);
  Require(settings.BuzzerDisableInterval >= 2 && settings.BuzzerDisableInterval <= 120);
  Require(settings.MutedTechAlarmInterval >= 2 && settings.MutedTechAlarmInterval <= 120);
  Require(!settings.UnitName.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Image image;
  const std::size_t header = std::min(size, HeaderBytes);
  std::copy(data, data + header, image.Data().begin());
  const std::size_t stream = std::min(size - header, Image::kSize - Image::kRuleWordStreamOffset);
  std::copy(data + header, data + header + stream,
            image.Data().begin() + Image::kRuleWordStreamOffset);
  const trv::DecodedConfiguration decoded = trv::DecodeImage(image, {}, "Mimic1");
  CheckSettings(decoded.Settings);
  Require(decoded.Rules.size() <= Image::kStreamWordCapacity);
  return 0;
}
