#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "files/workbook_file.h"
#include "model/configuration.h"

namespace trv {

struct ProgramRun {
  int Status = -1;
  std::string Out;
  std::string Err;
};

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Words joined by blanks, appended one by one: GCC 12 takes "literal" + std::string for an
// overlapping copy at -O3.
inline std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text.append(text.empty() ? "" : " ").append(word);
  return text;
}

// A test that runs the real trvcfg program on files in a directory of its own.
class TrvcfgProgramTest : public ::testing::Test {
 protected:
  explicit TrvcfgProgramTest(const std::string& name)
      : FDirectory(std::filesystem::temp_directory_path() /
                   (name + "-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(FDirectory);
  }
  ~TrvcfgProgramTest() override { std::filesystem::remove_all(FDirectory); }

  // In the test's directory, so that a file can be named by a word of its own.
  ProgramRun Trvcfg(const std::vector<std::string>& words) const {
    const std::filesystem::path out = FDirectory / "stdout";
    const std::filesystem::path err = FDirectory / "stderr";
    std::vector<std::string> parts{"cd", ShellQuoted(FDirectory.string()), "&&",
                                   ShellQuoted(TRVCFG_PATH)};
    for (const std::string& word : words) parts.push_back(ShellQuoted(word));
    parts.insert(parts.end(), {">", ShellQuoted(out.string()), "2>", ShellQuoted(err.string()), "<",
                               "/dev/null"});
    const std::string command = Joined(parts);
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
  }

  std::string Path(const std::string& name) const { return (FDirectory / name).string(); }

  // The configuration as a rule data file in the directory.
  std::string Save(Configuration configuration, const std::string& name) const {
    configuration.WriteSettingsToSheet();
    WriteWorkbookFile(configuration.MimicBook, Path(name));
    return Path(name);
  }

  const std::filesystem::path FDirectory;
};

}  // namespace trv
