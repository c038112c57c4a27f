#pragma once

#include <filesystem>

namespace trv {

// The help document TRV_CFG.PDF: beside the program (the build tree, a portable copy), else where
// the package installs it, the program's share directory seen from its bin directory. When
// neither exists, the path beside the program, whose opening then reports the error.
std::filesystem::path HelpDocumentPath(const std::filesystem::path& programDirectory);

}  // namespace trv
