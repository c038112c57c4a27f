#pragma once

#include <filesystem>

namespace trv {

// The whole life of the program: language module, splash, forms, message loop. Returns 0.
int RunProgram(int argc, char** argv);

// The Data directory of the program, or of the user when the program's is not writable.
std::filesystem::path DataDirectoryFor(const std::filesystem::path& programDirectory);

}  // namespace trv
