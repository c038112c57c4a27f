// Any bytes as one line for the Intel HEX line parser.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "flash/binary_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(bytes), size);
  trv::TBinaryImage::TRecordBuffer data{};
  std::uint32_t address = 0;
  int byteCount = 0;
  const int type = trv::TBinaryImage::ParseIntelHexLine(line, data, address, byteCount);
  const bool recordInRange = byteCount >= 0 && byteCount <= 0xFF && address <= 0xFFFF;
  if (type >= 0 && (type > 0xFF || !recordInRange)) {
    __builtin_trap();
  }
  return 0;
}
