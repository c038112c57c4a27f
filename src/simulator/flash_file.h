#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace trv {

// The simulated controller's flash kept in a file of exactly the flash's size, so that it
// outlives the simulator. Errors are raised as std::runtime_error naming the file.
class FlashFile {
 public:
  FlashFile(std::filesystem::path path, std::size_t size);

  // The stored flash; nothing when the file does not exist yet.
  std::optional<std::vector<std::uint8_t>> Load() const;
  // Replaces the file as a whole: written beside it under another name, then renamed over it.
  void Save(std::span<const std::uint8_t> contents) const;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::size_t size_;
};

}  // namespace trv
