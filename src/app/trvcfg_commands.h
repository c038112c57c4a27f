#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace trv {
class Configuration;
class ConfigurationImage;
class TBinaryImage;
}  // namespace trv

namespace trv::cli {

// Bad usage of a command: the program shows the usage lines and ends with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The words after a command's name: positional words and options, each option with one value.
// An option may be given more than once; an unknown option or one without its value is a
// UsageError.
class CommandArguments {
 public:
  CommandArguments(const std::vector<std::string>& words, const std::set<std::string>& options);

  const std::vector<std::string>& Positional() const { return FPositional; }
  // Every value given for an option, in order.
  std::vector<std::string> Values(const std::string& option) const;
  // The one value of an option that must be given exactly once.
  std::string RequiredValue(const std::string& option) const;
  // The one positional word of a command that takes exactly one.
  std::string OnlyPositional() const;

 private:
  std::vector<std::string> FPositional;
  std::multimap<std::string, std::string> FOptions;
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

std::string LowerCase(std::string text);
// ".bin", ".hex", ... in lower case; an image file is a .bin or a .hex.
std::string LowerCaseExtension(const std::filesystem::path& path);
bool IsImageFile(const std::filesystem::path& path);

// A rule data file as File Open reads it (a refused version is an error, a file without rules
// a warning on standard error); the image records the time of the file itself.
Configuration LoadConfiguration(const std::filesystem::path& file);

// The image at its controller address, erased bytes left as empty cells as a send skips them;
// and back, empty cells reading as erased.
TBinaryImage ImageCells(const ConfigurationImage& image);
ConfigurationImage ImageOfCells(const TBinaryImage& cells);
// An image read back holds a configuration unless its format version is erased.
bool HoldsConfiguration(const ConfigurationImage& image);

// Writes through a sibling file renamed over the target, so that a failed write never leaves a
// cut-off file under the name asked for.
void WriteReplacing(const std::filesystem::path& path,
                    const std::function<void(const std::filesystem::path&)>& write);
// The image as a raw .bin (exactly its 65,280 bytes) or as Intel HEX (.hex).
void WriteImageFile(const ConfigurationImage& image, const std::filesystem::path& path);
ConfigurationImage ReadImageFile(const std::filesystem::path& path);

// The configuration an image read back holds, as a Get loads it; "No configuration data
// present" for a blank one.
Configuration DecodedConfiguration(const ConfigurationImage& image,
                                   const std::filesystem::path& directory);

// The rule data file that a Get leaves, for an image read back; "No configuration data present"
// for a blank one.
void WriteDecodedRuleFile(const ConfigurationImage& image, const std::filesystem::path& output);

}  // namespace trv::cli
