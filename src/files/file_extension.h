#pragma once

#include <filesystem>
#include <string>

namespace trv {

// ASCII letters in lower case; every other byte as it is.
std::string LowerCase(std::string text);

// The extension with its dot in lower case (".trv", ".hex"); empty when the name has none.
std::string LowerCaseExtension(const std::filesystem::path& path);

}  // namespace trv
