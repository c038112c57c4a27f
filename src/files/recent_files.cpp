#include "files/recent_files.h"

#include <algorithm>
#include <utility>

namespace trv {

RecentFiles::RecentFiles(std::vector<std::string> paths) {
  FPaths.reserve(kMaxRecentFiles + 1);
  for (auto path = paths.rbegin(); path != paths.rend(); ++path) Add(*path);
}

void RecentFiles::Add(const std::string& path) {
  if (path.empty()) return;
  Remove(path);
  FPaths.insert(FPaths.begin(), path);
  if (FPaths.size() > kMaxRecentFiles) FPaths.resize(kMaxRecentFiles);
}

void RecentFiles::Remove(const std::string& path) {
  std::erase(FPaths, path);
}

void RecentFiles::KeepExisting(const std::function<bool(const std::string& path)>& exists) {
  std::erase_if(FPaths, [&](const std::string& path) { return !exists(path); });
}

}  // namespace trv
