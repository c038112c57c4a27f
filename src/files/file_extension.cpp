#include "files/file_extension.h"

#include <algorithm>

namespace trv {

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

std::string LowerCaseExtension(const std::filesystem::path& path) {
  return LowerCase(path.extension().string());
}

}  // namespace trv
