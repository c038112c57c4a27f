#include "files/replacing_write.h"

#include <cerrno>
#include <fstream>
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

void WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes) {
  WriteReplacing(path, [bytes](const std::filesystem::path& sibling) {
    std::ofstream out(sibling, std::ios::binary | std::ios::trunc);
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::system_error(errno, std::generic_category(), sibling.string());
  });
}

}  // namespace trv
