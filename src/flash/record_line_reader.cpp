#include "flash/record_line_reader.h"

namespace trv {

namespace {

constexpr std::size_t BlockSize = 64 * 1024;

}  // namespace

TRecordLineReader::TRecordLineReader(const std::string& fileName)
    : FFile(fileName, TFileHandle::TFileMode::fmRead), FBlock(BlockSize) {}

bool TRecordLineReader::NextChar(char& c) {
  if (FBlockPosition == FBlockLength) {
    FBlockPosition = 0;
    FBlockLength = FFile.Read(FBlock.data(), FBlock.size());
    if (FBlockLength == 0) {
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
