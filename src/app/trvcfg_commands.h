#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace trv {
class Configuration;
}  // namespace trv

namespace trv::cli {

// Bad usage of a command: the program shows the usage lines and ends with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The words after a command's name: positional words, options, each with one value, and flags,
// which take none. An option may be given more than once; an unknown option or one without its
// value is a UsageError. Every word after "--" is positional, even one that starts with "-".
class CommandArguments {
 public:
  CommandArguments(const std::vector<std::string>& words, const std::set<std::string>& options,
                   const std::set<std::string>& flags = {});

  const std::vector<std::string>& Positional() const { return FPositional; }
  // Every value given for an option, in order.
  std::vector<std::string> Values(const std::string& option) const;
  // The one value of an option that must be given exactly once.
  std::string RequiredValue(const std::string& option) const;
  // The one positional word of a command that takes exactly one.
  std::string OnlyPositional() const;
  bool HasFlag(const std::string& flag) const { return FFlags.contains(flag); }

 private:
  std::vector<std::string> FPositional;
  std::multimap<std::string, std::string> FOptions;
  std::set<std::string> FFlags;
};

// A command gets the words after its name and returns the exit status; errors are exceptions.
using CommandFunction = int (*)(const std::vector<std::string>& words);

int ShowCommand(const std::vector<std::string>& words);
int EncodeCommand(const std::vector<std::string>& words);
int DecodeCommand(const std::vector<std::string>& words);
int SendCommand(const std::vector<std::string>& words);
int GetCommand(const std::vector<std::string>& words);
int FlashCommand(const std::vector<std::string>& words);
int ReadCommand(const std::vector<std::string>& words);
int CheckCommand(const std::vector<std::string>& words);
int DiffCommand(const std::vector<std::string>& words);
int ExportCommand(const std::vector<std::string>& words);
int PrintCommand(const std::vector<std::string>& words);
int PortsCommand(const std::vector<std::string>& words);

// A rule data file as File Open reads it; a file without rules is loaded with a warning on
// standard error.
Configuration LoadRuleDataFile(const std::filesystem::path& file);
// The same for a rule data file, or an image file (.bin, .hex) decoded as a Get decodes it.
Configuration LoadRuleOrImage(const std::filesystem::path& file);

}  // namespace trv::cli
