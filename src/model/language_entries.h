#pragma once

#include <optional>
#include <string>
#include <vector>

namespace trv {

// What a locale says of itself: the three-letter code of its language (empty when it has none)
// and the native names of its language and country, in UTF-8.
struct TLocaleNames {
  std::string LanguageCode;
  std::string NativeLanguage;
  std::string NativeCountry;
};

// "DEU:Deutsch-Deutschland"
std::string LanguageEntry(const TLocaleNames& locale);
// "DEU:Deutsch:Deutschland"
std::string CurrentLocaleText(const TLocaleNames& locale);
// One entry a locale, in their order; a locale without a language code adds none.
std::vector<std::string> LanguageEntries(const std::vector<TLocaleNames>& locales);
// The code to store for a chosen entry: its first three characters, when they are three letters.
std::optional<std::string> LanguageCodeOfEntry(const std::string& entry);

}  // namespace trv
