#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trv {

// Builds Intel HEX text from bytes given in ascending address order: data records of 1 to 32
// bytes that never span a gap or a 64 KB boundary, an extended linear address record before each
// new upper address half (the first upper half being 0), upper-case digits, CR LF line endings.
class TIntelHexWriter {
 public:
  static constexpr std::size_t MaxDataRecordBytes = 32;

  void AddByte(std::uint32_t address, std::uint8_t value);
  // Closes the open record and ends the text with the end record.
  std::string Finish();

 private:
  void CloseRecord();
  void StartUpperHalf(std::uint32_t upperHalf);
  void WriteRecord(std::uint8_t type, std::uint16_t offset, std::span<const std::uint8_t> data);
  void WriteByte(std::uint8_t value);

  std::string FText;
  std::uint32_t FUpperHalf = 0;
  std::uint32_t FRecordAddress = 0;
  std::vector<std::uint8_t> FRecordData;
};

}  // namespace trv
