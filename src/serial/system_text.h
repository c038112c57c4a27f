#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace trv {

// The start of a small text file the kernel or another program wrote (sysfs attributes,
// /proc/<pid>/comm): at most `limit` bytes, without the trailing white space, with every byte
// that is not printable ASCII shown as '?'. Empty when the file cannot be read.
std::string ReadShortText(const std::filesystem::path& file, std::size_t limit = 128);

}  // namespace trv
