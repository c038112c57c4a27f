#include "files/replacing_write.h"

#include <system_error>

namespace trv {

void WriteReplacing(const std::filesystem::path& path,
                    const std::function<void(const std::filesystem::path& sibling)>& write) {
  std::filesystem::path sibling = path;
  sibling += ".partial";
  try {
    write(sibling);
    std::filesystem::rename(sibling, path);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(sibling, ignored);
    throw;
  }
}

}  // namespace trv
