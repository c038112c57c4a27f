#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace trv {

inline constexpr std::size_t kMaxRecentFiles = 8;

// The rule files last opened or saved, the most recent first, each once.
class RecentFiles {
 public:
  explicit RecentFiles(std::vector<std::string> paths = {});

  // The file to the front; the oldest beyond kMaxRecentFiles drops out.
  void Add(const std::string& path);
  void Remove(const std::string& path);
  // Drops the files that no longer exist.
  void KeepExisting(const std::function<bool(const std::string& path)>& exists);

  const std::vector<std::string>& Paths() const { return FPaths; }

 private:
  std::vector<std::string> FPaths;
};

}  // namespace trv
