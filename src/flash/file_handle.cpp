#include "flash/file_handle.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace trv {

TFileHandle::TFileHandle(const std::string& fileName, TFileMode mode)
    : FFileName(fileName),
      FFile(std::fopen(fileName.c_str(), mode == TFileMode::fmRead ? "rb" : "wb")) {
  if (!FFile) {
    ThrowError("Cannot open file");
  }
}

TFileHandle::~TFileHandle() {
  if (FFile) {
    std::fclose(FFile);
  }
}

std::size_t TFileHandle::Read(char* buffer, std::size_t size) {
  const std::size_t length = std::fread(buffer, 1, size, FFile);
  if (length == 0 && std::ferror(FFile)) {
    ThrowError("Cannot read file");
  }
  return length;
}

void TFileHandle::Write(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), FFile) != text.size()) {
    ThrowError("Cannot write file");
  }
}

void TFileHandle::Close() {
  const bool flushed = std::fflush(FFile) == 0;
  const bool closed = std::fclose(FFile) == 0;
  FFile = nullptr;
  if (!flushed || !closed) {
    ThrowError("Cannot write file");
  }
}

void TFileHandle::ThrowError(const char* what) const {
  throw std::filesystem::filesystem_error(what, FFileName,
                                          std::error_code(errno, std::generic_category()));
}

}  // namespace trv
