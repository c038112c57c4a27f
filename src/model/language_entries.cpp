#include "model/language_entries.h"

#include <algorithm>

namespace trv {
namespace {

constexpr std::size_t kCodeLength = 3;

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string LanguageEntry(const TLocaleNames& locale) {
  return locale.LanguageCode + ":" + locale.NativeLanguage + "-" + locale.NativeCountry;
}

std::string CurrentLocaleText(const TLocaleNames& locale) {
  return locale.LanguageCode + ":" + locale.NativeLanguage + ":" + locale.NativeCountry;
}

std::vector<std::string> LanguageEntries(const std::vector<TLocaleNames>& locales) {
  std::vector<std::string> entries;
  for (const TLocaleNames& locale : locales) {
    if (!locale.LanguageCode.empty()) entries.push_back(LanguageEntry(locale));
  }
  return entries;
}

std::optional<std::string> LanguageCodeOfEntry(const std::string& entry) {
  const std::string code = entry.substr(0, kCodeLength);
  if (code.size() != kCodeLength || !std::all_of(code.begin(), code.end(), IsAsciiLetter)) {
    return std::nullopt;
  }
  return code;
}

}  // namespace trv
