#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace trv {

// A record file line the reader refuses, or a file without an end record. The message is the
// whole text shown to the user ("cfg.hex - Line 7 has an invalid checksum").
class THexFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One stretch of the controller's address space: a start address and a fixed number of byte
// cells, each empty (-1) or holding a byte (0..255).
class TBinaryImage {
 public:
  static constexpr int EmptyCell = -1;

  // What a record parser returns instead of a record type.
  static constexpr int InvalidRecord = -1;
  static constexpr int InvalidChecksum = -2;

  // One full record: 4 header bytes, up to 255 data bytes and the checksum.
  static constexpr std::size_t MaxRecordBytes = 4 + 255 + 1;
  using TRecordBuffer = std::array<std::uint8_t, MaxRecordBytes>;

  // (line text, data buffer, address out, byte count out) -> record type, InvalidRecord or
  // InvalidChecksum. On a record, the data bytes are at the start of the buffer.
  using TRecordParser = std::function<int(std::string_view line, TRecordBuffer& data,
                                          std::uint32_t& address, int& byteCount)>;

  // Every cell empty. Throws std::invalid_argument when the image would run past the top of the
  // 32-bit address space.
  TBinaryImage(std::uint32_t startAddress, std::uint32_t size);

  std::uint32_t StartAddress() const { return FStartAddress; }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(FCells.size()); }
  std::uint32_t EndAddress() const { return FStartAddress + Size() - 1; }
  bool Contains(std::uint32_t address) const { return address - FStartAddress < Size(); }

  // The cell of an address inside the image: EmptyCell or 0..255. Throws std::out_of_range for
  // an address outside the image.
  int Cell(std::uint32_t address) const;
  // Sets a cell to EmptyCell or 0..255. Throws std::out_of_range for an address outside the
  // image and std::invalid_argument for any other value.
  void SetCell(std::uint32_t address, int value);

  // The byte that goes to the device or a file for a cell: its low 8 bits, so 0xFF when empty.
  static std::uint8_t CellByte(int cell) { return static_cast<std::uint8_t>(cell & 0xFF); }
  std::uint8_t OutByte(std::uint32_t address) const { return CellByte(Cell(address)); }

  // Empties every cell of address .. address + count - 1 that lies inside the image.
  void ClearRange(std::uint32_t address, std::uint32_t count);

  // Copies count cells of source from sourceAddress to address on, skipping targets outside this
  // image. Stops at the first occupied target and returns false; the cells copied so far stay.
  // The source addresses must lie inside source (std::out_of_range otherwise).
  bool MergeFrom(std::uint32_t address, const TBinaryImage& source, std::uint32_t sourceAddress,
                 std::uint32_t count);

  // Reads a record file into the image, line by line. Record errors and a missing end record
  // raise THexFileError; the image then keeps the bytes stored before the error and must be
  // discarded by the caller. A file that cannot be read raises std::filesystem::filesystem_error.
  void LoadFromFile(const std::string& fileName, const TRecordParser& parser);
  void LoadFromHexFile(const std::string& fileName);

  // Writes the image as Intel HEX, replacing the file. Throws std::filesystem::filesystem_error.
  void SaveToHexFile(const std::string& fileName) const;

  static int ParseIntelHexLine(std::string_view line, TRecordBuffer& data, std::uint32_t& address,
                               int& byteCount);

 private:
  void StoreRecord(const std::string& fileName, std::uint64_t lineNumber, std::uint64_t address,
                   const TRecordBuffer& data, int byteCount);

  std::uint32_t FStartAddress;
  std::vector<std::int32_t> FCells;
};

}  // namespace trv
