#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

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

inline std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The real trvcfg program run with these words; its output goes through files in directory.
inline ProgramRun RunTrvcfg(const std::vector<std::string>& words,
                            const std::filesystem::path& directory) {
  std::string command = ShellQuoted(TRVCFG_PATH);
  for (const std::string& word : words) command += " " + ShellQuoted(word);
  const std::filesystem::path out = directory / "stdout";
  const std::filesystem::path err = directory / "stderr";
  command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string()) + " </dev/null";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace trv
