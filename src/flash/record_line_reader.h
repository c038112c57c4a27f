#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "flash/file_handle.h"

namespace trv {

// Reads a text file one line at a time, ending lines at carriage return, line feed or both, and
// never holding more than one bounded line and one block of the file.
class TRecordLineReader {
 public:
  // A full Intel HEX record is 521 characters; the rest leaves room for blanks around it.
  static constexpr std::size_t MaxLineLength = 4096;

  enum class TLineStatus { lsLine, lsOverLong, lsEndOfFile };

  // Throws std::filesystem::filesystem_error when the file cannot be opened.
  explicit TRecordLineReader(const std::string& fileName);

  // The next line without its ending. lsOverLong: the line holds more than MaxLineLength
  // characters; line has the first MaxLineLength and the next call goes on after the line.
  // Throws std::filesystem::filesystem_error when the file cannot be read.
  TLineStatus NextLine(std::string& line);

 private:
  bool NextChar(char& c);
  void SkipRestOfLine();

  TFileHandle FFile;
  std::vector<char> FBlock;
  std::size_t FBlockPosition = 0;
  std::size_t FBlockLength = 0;
  bool FSkipLineFeed = false;
  bool FInsideOverLongLine = false;
};

}  // namespace trv
