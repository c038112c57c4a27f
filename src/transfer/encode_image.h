#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "transfer/configuration_image.h"

namespace trv {

class Configuration;

// What the image header takes from outside the configuration.
struct ImageStamps {
  std::chrono::system_clock::time_point ImageTime;
  std::optional<std::chrono::system_clock::time_point> RuleFileTime;  // empty: the file's time
                                                                      // could not be read
  std::optional<std::string> UserName;  // UTF-8; empty: the system could not give it
};

// The current rule file: its directory joined with its name, so that the full path a save keeps
// names the file itself.
std::filesystem::path RuleFilePath(const Configuration& configuration);

// The clock now, the last-write time of the rule file and the logged-on user's name.
ImageStamps CurrentImageStamps(const std::filesystem::path& ruleFile);

// Rules that need more words than the stream area holds. The image is not made.
class ImageOverflowError : public std::runtime_error {
 public:
  ImageOverflowError(std::size_t neededWords, std::size_t availableWords);

  std::size_t NeededWords() const { return FNeededWords; }
  std::size_t AvailableWords() const { return FAvailableWords; }

 private:
  std::size_t FNeededWords;
  std::size_t FAvailableWords;
};

// The words the rules take in the stream area, and the words the area keeps for them: what is
// left after the option words, less the last word, which always ends the stream.
struct RuleWordUse {
  std::size_t NeededWords = 0;
  std::size_t AvailableWords = 0;
  bool Fits() const { return NeededWords <= AvailableWords; }
};

// The encoder's own count, without building the image.
RuleWordUse CountRuleWords(const Configuration& configuration);

// Builds the image of the configuration's settings and rules, with the stamps of the current
// rule file, the clock and the user. Throws ImageOverflowError.
ConfigurationImage EncodeImage(const Configuration& configuration);
ConfigurationImage EncodeImage(const Configuration& configuration, const ImageStamps& stamps);

}  // namespace trv
