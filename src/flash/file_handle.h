#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace trv {

// A file opened for binary reading or writing. Every failure raises
// std::filesystem::filesystem_error with the system's error code and the file name.
class TFileHandle {
 public:
  enum class TFileMode { fmRead, fmReplace };

  TFileHandle(const std::string& fileName, TFileMode mode);
  ~TFileHandle();
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;

  // Up to size bytes into buffer; 0 at the end of the file.
  std::size_t Read(char* buffer, std::size_t size);
  void Write(std::string_view text);
  // Flushes and closes, reporting a failed write the system had held back.
  void Close();

 private:
  [[noreturn]] void ThrowError(const char* what) const;

  std::string FFileName;
  std::FILE* FFile;
};

}  // namespace trv
