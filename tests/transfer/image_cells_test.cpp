#include "transfer/image_cells.h"

#include <gtest/gtest.h>

#include "transfer/configuration_image.h"

namespace trv {
namespace {

constexpr std::uint32_t kBase = ConfigurationImage::ImageBase;
constexpr std::uint32_t kLast = ConfigurationImage::kSize - 1;

TEST(ImageCells, ErasedBytesAreEmptyCellsAndEmptyCellsReadAsErased) {
  ConfigurationImage image;
  image.SetByte(0, 0x30);
  image.SetByte(1, 0x00);
  image.SetByte(kLast, 0x12);
  const TBinaryImage cells = ImageCells(image);
  EXPECT_EQ(cells.StartAddress(), kBase);
  EXPECT_EQ(cells.Size(), ConfigurationImage::kSize);
  EXPECT_EQ(cells.Cell(kBase), 0x30);
  EXPECT_EQ(cells.Cell(kBase + 1), 0x00);
  EXPECT_EQ(cells.Cell(kBase + 2), TBinaryImage::EmptyCell);
  EXPECT_EQ(cells.Cell(kBase + kLast), 0x12);
  EXPECT_EQ(ImageOfCells(cells), image);
}

TEST(ImageCells, ReadBackImageHoldsAConfigurationUnlessItsFormatVersionIsErased) {
  ConfigurationImage image;
  EXPECT_FALSE(HoldsConfiguration(image));
  image.SetByte(ConfigurationImage::kFormatVersionLength, 0x00);  // past the version
  EXPECT_FALSE(HoldsConfiguration(image));
  for (std::size_t offset = 0; offset < ConfigurationImage::kFormatVersionLength; ++offset) {
    ConfigurationImage versioned;
    versioned.SetByte(offset, '0');
    EXPECT_TRUE(HoldsConfiguration(versioned)) << offset;
  }
}

}  // namespace
}  // namespace trv
