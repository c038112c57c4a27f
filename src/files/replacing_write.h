#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace trv {

// Has `write` write the whole file to a sibling of `path` ("<path>.partial") and renames it over
// `path` only when that succeeded, so that a failed write never leaves a cut-off file under the
// name asked for: the file there before stays as it was and the sibling is removed. The error of
// the write or the rename is passed on.
void WriteReplacing(const std::filesystem::path& path,
                    const std::function<void(const std::filesystem::path& sibling)>& write);

// The file at `path` replaced whole by these bytes, as WriteReplacing does. A failure raises
// std::system_error with the system's error.
void WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes);

}  // namespace trv
