// Any bytes as a HEX file read into an image across a 64 KB boundary; what reads without error
// must come back cell for cell after a save.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "flash/binary_image.h"

namespace {

constexpr std::uint32_t ImageStart = 0xCFE00;
constexpr std::uint32_t ImageSize = 0x400;

// The input and output files of this process, removed when it ends.
struct TTemporaryFiles {
  std::string Input = Path("in.hex");
  std::string Output = Path("out.hex");
  ~TTemporaryFiles() {
    std::remove(Input.c_str());
    std::remove(Output.c_str());
  }
  static std::string Path(const char* name) {
    return "/tmp/trv_hex_fuzz_" + std::to_string(::getpid()) + "_" + name;
  }
};

bool SameCells(const trv::TBinaryImage& first, const trv::TBinaryImage& second) {
  for (std::uint32_t address = ImageStart; address - ImageStart < ImageSize; ++address) {
    if (first.Cell(address) != second.Cell(address)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const TTemporaryFiles files;
  std::ofstream(files.Input, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  trv::TBinaryImage image(ImageStart, ImageSize);
  try {
    image.LoadFromHexFile(files.Input);
  } catch (const trv::THexFileError&) {
    return 0;
  }
  image.SaveToHexFile(files.Output);
  trv::TBinaryImage copy(ImageStart, ImageSize);
  copy.LoadFromHexFile(files.Output);
  if (!SameCells(image, copy)) {
    __builtin_trap();
  }
  return 0;
}
