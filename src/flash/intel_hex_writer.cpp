#include "flash/intel_hex_writer.h"

#include <array>

namespace trv {

namespace {

constexpr std::uint8_t DataRecord = 0x00;
constexpr std::uint8_t EndOfFileRecord = 0x01;
constexpr std::uint8_t ExtendedLinearAddressRecord = 0x04;

}  // namespace

void TIntelHexWriter::AddByte(std::uint32_t address, std::uint8_t value) {
  if (address >> 16 != FUpperHalf) {
    StartUpperHalf(address >> 16);
  }
  const bool followsRecord = address == FRecordAddress + FRecordData.size();
  if (!followsRecord || FRecordData.size() == MaxDataRecordBytes) {
    CloseRecord();
  }
  if (FRecordData.empty()) {
    FRecordAddress = address;
  }
  FRecordData.push_back(value);
}

std::string TIntelHexWriter::Finish() {
  CloseRecord();
  WriteRecord(EndOfFileRecord, 0, {});
  return std::move(FText);
}

void TIntelHexWriter::StartUpperHalf(std::uint32_t upperHalf) {
  CloseRecord();
  FUpperHalf = upperHalf;
  const std::array<std::uint8_t, 2> data{static_cast<std::uint8_t>(upperHalf >> 8),
                                         static_cast<std::uint8_t>(upperHalf)};
  WriteRecord(ExtendedLinearAddressRecord, 0, data);
}

void TIntelHexWriter::CloseRecord() {
  if (FRecordData.empty()) {
    return;
  }
  WriteRecord(DataRecord, static_cast<std::uint16_t>(FRecordAddress), FRecordData);
  FRecordData.clear();
}

void TIntelHexWriter::WriteRecord(std::uint8_t type, std::uint16_t offset,
                                  std::span<const std::uint8_t> data) {
  const std::array<std::uint8_t, 4> header{static_cast<std::uint8_t>(data.size()),
                                           static_cast<std::uint8_t>(offset >> 8),
                                           static_cast<std::uint8_t>(offset), type};
  std::uint8_t sum = 0;
  FText.push_back(':');
  for (const std::uint8_t value : header) {
    WriteByte(value);
    sum += value;
  }
  for (const std::uint8_t value : data) {
    WriteByte(value);
    sum += value;
  }
  WriteByte(static_cast<std::uint8_t>(-sum));
  FText += "\r\n";
}

void TIntelHexWriter::WriteByte(std::uint8_t value) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  FText.push_back(Digits[value >> 4]);
  FText.push_back(Digits[value & 0x0F]);
}

}  // namespace trv
