#include "simulator/flash_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "simulator/file_descriptor.h"

namespace trv {

namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& what) {
  throw std::runtime_error(path.string() + ": " + what);
}

[[noreturn]] void FailWithErrno(const std::filesystem::path& path) {
  Fail(path, std::strerror(errno));
}

void WriteAll(int fd, std::span<const std::uint8_t> contents, const std::filesystem::path& path) {
  while (!contents.empty()) {
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) FailWithErrno(path);
    contents = contents.subspan(static_cast<std::size_t>(written));
  }
}

void ReadAll(int fd, std::span<std::uint8_t> contents, const std::filesystem::path& path) {
  while (!contents.empty()) {
    const ssize_t count = ::read(fd, contents.data(), contents.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) FailWithErrno(path);
    if (count == 0) Fail(path, "shorter than the flash");
    contents = contents.subspan(static_cast<std::size_t>(count));
  }
}

}  // namespace

FlashFile::FlashFile(std::filesystem::path path, std::size_t size)
    : path_(std::move(path)), size_(size) {}

std::optional<std::vector<std::uint8_t>> FlashFile::Load() const {
  FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    FailWithErrno(path_);
  }
  // Never read more than a flash's worth: the size is checked before the contents.
  const off_t end = ::lseek(file.Get(), 0, SEEK_END);
  if (end < 0) FailWithErrno(path_);
  if (static_cast<std::uint64_t>(end) != size_) {
    Fail(path_,
         "not a flash file: " + std::to_string(end) + " bytes instead of " + std::to_string(size_));
  }
  if (::lseek(file.Get(), 0, SEEK_SET) < 0) FailWithErrno(path_);
  std::vector<std::uint8_t> contents(size_);
  ReadAll(file.Get(), contents, path_);
  return contents;
}

void FlashFile::Save(std::span<const std::uint8_t> contents) const {
  std::filesystem::path temporary = path_;
  temporary += ".tmp";
  FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (file.Get() < 0) FailWithErrno(temporary);
  WriteAll(file.Get(), contents, temporary);
  if (::close(file.Release()) != 0) FailWithErrno(temporary);
  if (::rename(temporary.c_str(), path_.c_str()) != 0) FailWithErrno(path_);
}

}  // namespace trv
