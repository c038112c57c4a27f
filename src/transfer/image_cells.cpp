#include "transfer/image_cells.h"

#include <cstdint>

namespace trv {

TBinaryImage ImageCells(const ConfigurationImage& image) {
  TBinaryImage cells(ConfigurationImage::ImageBase, ConfigurationImage::kSize);
  for (std::uint32_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    const std::uint8_t byte = image.Byte(offset);
    if (byte != ConfigurationImage::kErasedByte) {
      cells.SetCell(ConfigurationImage::ImageBase + offset, byte);
    }
  }
  return cells;
}

ConfigurationImage ImageOfCells(const TBinaryImage& cells) {
  ConfigurationImage image;
  for (std::uint32_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    image.SetByte(offset, cells.OutByte(ConfigurationImage::ImageBase + offset));
  }
  return image;
}

}  // namespace trv
