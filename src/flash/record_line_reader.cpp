#include "flash/record_line_reader.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace trv {

namespace {

constexpr std::size_t BlockSize = 64 * 1024;

[[noreturn]] void ThrowFileError(const char* what, const std::string& fileName) {
  throw std::filesystem::filesystem_error(what, fileName,
                                          std::error_code(errno, std::generic_category()));
}

}  // namespace

TRecordLineReader::TRecordLineReader(const std::string& fileName)
    : FFileName(fileName), FFile(std::fopen(fileName.c_str(), "rb")), FBlock(BlockSize) {
  if (!FFile) {
    ThrowFileError("Cannot open file", fileName);
  }
}

bool TRecordLineReader::NextChar(char& c) {
  if (FBlockPosition == FBlockLength) {
    FBlockPosition = 0;
    FBlockLength = std::fread(FBlock.data(), 1, FBlock.size(), FFile.get());
    if (FBlockLength == 0) {
      if (std::ferror(FFile.get())) {
        ThrowFileError("Cannot read file", FFileName);
      }
      return false;
    }
  }
  c = FBlock[FBlockPosition++];
  return true;
}

void TRecordLineReader::SkipRestOfLine() {
  char c = 0;
  while (NextChar(c)) {
    if (c == '\n' || c == '\r') {
      FSkipLineFeed = c == '\r';
      return;
    }
  }
}

TRecordLineReader::TLineStatus TRecordLineReader::NextLine(std::string& line) {
  line.clear();
  if (FInsideOverLongLine) {
    FInsideOverLongLine = false;
    SkipRestOfLine();
  }
  char c = 0;
  while (NextChar(c)) {
    if (FSkipLineFeed) {
      FSkipLineFeed = false;
      if (c == '\n') {
        continue;
      }
    }
    if (c == '\n' || c == '\r') {
      FSkipLineFeed = c == '\r';
      return TLineStatus::lsLine;
    }
    if (line.size() == MaxLineLength) {
      FInsideOverLongLine = true;
      return TLineStatus::lsOverLong;
    }
    line.push_back(c);
  }
  return line.empty() ? TLineStatus::lsEndOfFile : TLineStatus::lsLine;
}

}  // namespace trv
