#include "flash/binary_image.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

// The cells of first .. first + count - 1 as a list.
std::vector<int> CellsOf(const TBinaryImage& image, std::uint32_t first, std::uint32_t count) {
  std::vector<int> cells;
  for (std::uint32_t a = first; a < first + count; ++a) cells.push_back(image.Cell(a));
  return cells;
}

TBinaryImage FilledImage(std::uint32_t start, std::uint32_t size, int firstValue) {
  TBinaryImage image(start, size);
  for (std::uint32_t k = 0; k < size; ++k)
    image.SetCell(start + k, firstValue + static_cast<int>(k));
  return image;
}

constexpr int E = TBinaryImage::EmptyCell;

TEST(BinaryImageTest, ANewImageIsEmptyAndKnowsItsBounds) {
  const TBinaryImage image(0xC0100, 0xFF00);
  EXPECT_EQ(image.StartAddress(), 0xC0100u);
  EXPECT_EQ(image.Size(), 0xFF00u);
  EXPECT_EQ(image.EndAddress(), 0xCFFFFu);
  EXPECT_FALSE(image.Contains(0xC00FF));
  EXPECT_TRUE(image.Contains(0xC0100));
  EXPECT_TRUE(image.Contains(0xCFFFF));
  EXPECT_FALSE(image.Contains(0xD0000));
  EXPECT_EQ(image.Cell(0xC0100), E);
  EXPECT_EQ(image.Cell(0xCFFFF), E);
}

TEST(BinaryImageTest, TheTopOfTheAddressSpace) {
  const TBinaryImage top(0xFFFFFF00, 0x100);
  EXPECT_EQ(top.EndAddress(), 0xFFFFFFFFu);
  EXPECT_TRUE(top.Contains(0xFFFFFFFF));
  EXPECT_FALSE(top.Contains(0));
  EXPECT_THROW(TBinaryImage(0xFFFFFF00, 0x101), std::invalid_argument);
  const TBinaryImage none(0x100, 0);
  EXPECT_FALSE(none.Contains(0x100));
  EXPECT_FALSE(none.Contains(0xFF));
}

TEST(BinaryImageTest, CellsHoldAByteOrNothing) {
  TBinaryImage image(0x100, 4);
  image.SetCell(0x100, 0);
  image.SetCell(0x103, 0xFF);
  image.SetCell(0x103, E);
  image.SetCell(0x101, 0x5A);
  EXPECT_EQ(CellsOf(image, 0x100, 4), (std::vector<int>{0, 0x5A, E, E}));
  EXPECT_THROW(image.SetCell(0x100, 0x100), std::invalid_argument);
  EXPECT_THROW(image.SetCell(0x100, -2), std::invalid_argument);
  EXPECT_THROW(image.SetCell(0xFF, 1), std::out_of_range);
  EXPECT_THROW(image.SetCell(0x104, 1), std::out_of_range);
  EXPECT_THROW(static_cast<void>(image.Cell(0x104)), std::out_of_range);
  EXPECT_EQ(image.Cell(0x100), 0);
}

TEST(BinaryImageTest, EmptyCellsGoOutAsErasedFlash) {
  TBinaryImage image(0, 2);
  image.SetCell(1, 0x12);
  EXPECT_EQ(image.OutByte(0), 0xFF);
  EXPECT_EQ(image.OutByte(1), 0x12);
  EXPECT_EQ(TBinaryImage::CellByte(E), 0xFF);
}

TEST(BinaryImageTest, ClearRangeSkipsAddressesOutsideTheImage) {
  TBinaryImage image = FilledImage(0x10, 8, 1);
  image.ClearRange(0x0E, 4);
  image.ClearRange(0x16, 100);
  EXPECT_EQ(CellsOf(image, 0x10, 8), (std::vector<int>{E, E, 3, 4, 5, 6, E, E}));
  image.ClearRange(0x13, 0);
  EXPECT_EQ(image.Cell(0x13), 4);
}

TEST(BinaryImageTest, ClearRangeDoesNotWrapPastTheTop) {
  TBinaryImage image = FilledImage(0, 4, 1);
  image.ClearRange(0xFFFFFFF0, 0x20);
  EXPECT_EQ(CellsOf(image, 0, 4), (std::vector<int>{1, 2, 3, 4}));
}

TEST(BinaryImageTest, MergeCopiesCellsEmptyOnesToo) {
  TBinaryImage source = FilledImage(0x1000, 4, 0x40);
  source.SetCell(0x1001, E);
  TBinaryImage target(0x20, 4);
  EXPECT_TRUE(target.MergeFrom(0x20, source, 0x1000, 4));
  EXPECT_EQ(CellsOf(target, 0x20, 4), (std::vector<int>{0x40, E, 0x42, 0x43}));
}

TEST(BinaryImageTest, MergeSkipsTargetsOutsideButKeepsTheSourceInStep) {
  const TBinaryImage source = FilledImage(0, 6, 10);
  TBinaryImage target(0x102, 2);
  EXPECT_TRUE(target.MergeFrom(0x100, source, 0, 6));
  EXPECT_EQ(CellsOf(target, 0x102, 2), (std::vector<int>{12, 13}));
}

TEST(BinaryImageTest, MergeStopsAtTheFirstOccupiedCell) {
  const TBinaryImage source = FilledImage(0, 4, 10);
  TBinaryImage target(0, 4);
  target.SetCell(2, 99);
  EXPECT_FALSE(target.MergeFrom(0, source, 0, 4));
  EXPECT_EQ(CellsOf(target, 0, 4), (std::vector<int>{10, 11, 99, E}));
}

TEST(BinaryImageTest, MergeRefusesASourceRangeOutsideTheSource) {
  const TBinaryImage source = FilledImage(0x10, 4, 10);
  TBinaryImage target(0, 8);
  EXPECT_THROW(target.MergeFrom(0, source, 0x11, 4), std::out_of_range);
  EXPECT_THROW(target.MergeFrom(0, source, 0x0F, 2), std::out_of_range);
  EXPECT_EQ(CellsOf(target, 0, 8), std::vector<int>(8, E));
  EXPECT_TRUE(target.MergeFrom(0, source, 0x7FFF, 0));
}

}  // namespace
}  // namespace trv
