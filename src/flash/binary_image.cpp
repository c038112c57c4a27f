#include "flash/binary_image.h"

#include <algorithm>

#include "flash/file_handle.h"
#include "flash/intel_hex_writer.h"
#include "flash/record_line_reader.h"

namespace trv {

namespace {

constexpr std::uint64_t AddressSpaceSize = std::uint64_t{1} << 32;

constexpr int DataRecord = 0x00;
constexpr int EndOfFileRecord = 0x01;
constexpr int ExtendedSegmentAddressRecord = 0x02;
constexpr int ExtendedLinearAddressRecord = 0x04;

// Byte count, two address bytes and record type before the data; checksum after it.
constexpr std::size_t RecordHeaderBytes = 4;
constexpr std::size_t RecordOverheadBytes = RecordHeaderBytes + 1;
constexpr std::size_t ShortestRecordLength = 1 + 2 * RecordOverheadBytes;
constexpr std::size_t LongestRecordLength = 1 + 2 * TBinaryImage::MaxRecordBytes;

bool IsBlankOrControl(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code <= 0x20 || code == 0x7F;
}

std::string_view TrimBlanksAndControls(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlankOrControl(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

// A record type only when the record's data fits the buffer and an address record has the two
// bytes it is read from.
int CheckedRecordType(int type, int byteCount) {
  const bool addressRecord =
      type == ExtendedSegmentAddressRecord || type == ExtendedLinearAddressRecord;
  const int leastBytes = addressRecord ? 2 : 0;
  const bool countFits = byteCount >= leastBytes && byteCount <= 0xFF;
  return type >= 0 && !countFits ? TBinaryImage::InvalidRecord : type;
}

[[noreturn]] void ThrowLineError(const std::string& fileName, std::uint64_t lineNumber,
                                 const char* ending) {
  throw THexFileError(fileName + " - Line " + std::to_string(lineNumber) + ending);
}

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

void TBinaryImage::ClearRange(std::uint32_t address, std::uint32_t count) {
  // Addresses do not wrap past the top of the address space.
  const std::uint64_t first = std::max<std::uint64_t>(address, FStartAddress);
  const std::uint64_t last = std::min<std::uint64_t>(std::uint64_t{address} + count,
                                                     std::uint64_t{FStartAddress} + Size());
  if (first < last) {
    std::fill(FCells.begin() + static_cast<std::ptrdiff_t>(first - FStartAddress),
              FCells.begin() + static_cast<std::ptrdiff_t>(last - FStartAddress), EmptyCell);
  }
}

bool TBinaryImage::MergeFrom(std::uint32_t address, const TBinaryImage& source,
                             std::uint32_t sourceAddress, std::uint32_t count) {
  const bool sourceInside =
      sourceAddress >= source.FStartAddress &&
      std::uint64_t{sourceAddress} + count <= std::uint64_t{source.FStartAddress} + source.Size();
  if (count > 0 && !sourceInside) {
    throw std::out_of_range("Source range outside the source image");
  }
  for (std::uint32_t step = 0; step < count; ++step) {
    const int value = source.FCells[sourceAddress - source.FStartAddress + step];
    const std::uint64_t target = std::uint64_t{address} + step;
    if (target >= AddressSpaceSize || !Contains(static_cast<std::uint32_t>(target))) {
      continue;
    }
    std::int32_t& cell = FCells[target - FStartAddress];
    if (cell != EmptyCell) {
      return false;
    }
    cell = value;
  }
  return true;
}

void TBinaryImage::LoadFromFile(const std::string& fileName, const TRecordParser& parser) {
  TRecordLineReader reader(fileName);
  std::string line;
  TRecordBuffer data{};
  std::uint64_t base = 0;
  for (std::uint64_t lineNumber = 1;; ++lineNumber) {
    const TRecordLineReader::TLineStatus status = reader.NextLine(line);
    if (status == TRecordLineReader::TLineStatus::lsEndOfFile) {
      throw THexFileError(fileName + " - Failed to locate end record marker");
    }
    std::uint32_t address = 0;
    int byteCount = 0;
    int type = InvalidRecord;
    if (status == TRecordLineReader::TLineStatus::lsLine) {
      const int parsed = parser(line, data, address, byteCount);
      type = CheckedRecordType(parsed, byteCount);
    }
    switch (type) {
      case InvalidChecksum:
        ThrowLineError(fileName, lineNumber, " has an invalid checksum");
      case InvalidRecord:
        ThrowLineError(fileName, lineNumber, " is not a valid record");
      case DataRecord:
        StoreRecord(fileName, lineNumber, base + address, data, byteCount);
        break;
      case EndOfFileRecord:
        return;
      case ExtendedSegmentAddressRecord:
        base = (data[0] * 256u + data[1]) * 16u;
        break;
      case ExtendedLinearAddressRecord:
        base = (data[0] * 16777216ull) + (data[1] * 65536ull);
        break;
      default:
        break;
    }
  }
}

void TBinaryImage::LoadFromHexFile(const std::string& fileName) {
  LoadFromFile(fileName, ParseIntelHexLine);
}

void TBinaryImage::SaveToHexFile(const std::string& fileName) const {
  TIntelHexWriter writer;
  for (std::uint32_t index = 0; index < Size(); ++index) {
    if (FCells[index] != EmptyCell) {
      writer.AddByte(FStartAddress + index, CellByte(FCells[index]));
    }
  }
  TFileHandle file(fileName, TFileHandle::TFileMode::fmReplace);
  file.Write(writer.Finish());
  file.Close();
}

int TBinaryImage::ParseIntelHexLine(std::string_view line, TRecordBuffer& data,
                                    std::uint32_t& address, int& byteCount) {
  line = TrimBlanksAndControls(line);
  if (line.size() < ShortestRecordLength || line.size() > LongestRecordLength ||
      line.size() % 2 == 0 || line.front() != ':') {
    return InvalidRecord;
  }
  const std::size_t pairs = (line.size() - 1) / 2;
  std::uint8_t sum = 0;
  for (std::size_t pair = 0; pair < pairs; ++pair) {
    const int high = HexDigitValue(line[1 + 2 * pair]);
    const int low = HexDigitValue(line[2 + 2 * pair]);
    if (high < 0 || low < 0) {
      return InvalidRecord;
    }
    data[pair] = static_cast<std::uint8_t>(high * 16 + low);
    sum += data[pair];
  }
  // A line whose count asks for more data bytes than it holds is cut short.
  if (data[0] + RecordOverheadBytes > pairs) {
    return InvalidRecord;
  }
  if (sum != 0) {
    return InvalidChecksum;
  }
  byteCount = data[0];
  address = data[1] * 256u + data[2];
  const int type = data[3];
  std::copy_n(data.begin() + RecordHeaderBytes, byteCount, data.begin());
  return type;
}

void TBinaryImage::StoreRecord(const std::string& fileName, std::uint64_t lineNumber,
                               std::uint64_t address, const TRecordBuffer& data, int byteCount) {
  for (int k = 0; k < byteCount; ++k) {
    const std::uint64_t target = address + static_cast<std::uint64_t>(k);
    if (target >= AddressSpaceSize || !Contains(static_cast<std::uint32_t>(target))) {
      ThrowLineError(fileName, lineNumber, " has an invalid address range");
    }
    std::int32_t& cell = FCells[target - FStartAddress];
    if (cell != EmptyCell) {
      ThrowLineError(fileName, lineNumber, " has overwritten existing data");
    }
    cell = data[static_cast<std::size_t>(k)];
  }
}

}  // namespace trv
