#include "flash/binary_image.h"

namespace trv {

namespace {

constexpr std::uint64_t AddressSpaceSize = std::uint64_t{1} << 32;

}  // namespace

TBinaryImage::TBinaryImage(std::uint32_t startAddress, std::uint32_t size)
    : FStartAddress(startAddress) {
  if (std::uint64_t{startAddress} + size > AddressSpaceSize) {
    throw std::invalid_argument("Image runs past the end of the address space");
  }
  FCells.assign(size, EmptyCell);
}

int TBinaryImage::Cell(std::uint32_t address) const {
  if (!Contains(address)) {
    throw std::out_of_range("Address outside the image");
  }
  return FCells[address - FStartAddress];
}

void TBinaryImage::SetCell(std::uint32_t address, int value) {
  if (!Contains(address)) {
    throw std::out_of_range("Address outside the image");
  }
  if (value < EmptyCell || value > 0xFF) {
    throw std::invalid_argument("A cell holds a byte or is empty");
  }
  FCells[address - FStartAddress] = value;
}

void TBinaryImage::ClearRange(std::uint32_t, std::uint32_t) {}

bool TBinaryImage::MergeFrom(std::uint32_t, const TBinaryImage&, std::uint32_t, std::uint32_t) {
  return true;
}

void TBinaryImage::LoadFromFile(const std::string&, const TRecordParser&) {}

void TBinaryImage::LoadFromHexFile(const std::string& fileName) {
  LoadFromFile(fileName, ParseIntelHexLine);
}

void TBinaryImage::SaveToHexFile(const std::string&) const {}

int TBinaryImage::ParseIntelHexLine(std::string_view, TRecordBuffer&, std::uint32_t&, int&) {
  return InvalidRecord;
}

}  // namespace trv
