#pragma once

#include <QLocale>
#include <QString>
#include <filesystem>
#include <vector>

#include "model/language_entries.h"

namespace trv {

// The per-user setting that holds the language code chosen in the options dialog, keyed by the
// program's full path; start-up reads it.
QString StoredLanguageKey(const std::filesystem::path& programPath);
void StoreLanguageCode(const std::filesystem::path& programPath, const QString& code);
QString StoredLanguageCode(const std::filesystem::path& programPath);

// The ISO 639-2/T code of the locale's language in upper case ("DEU", not "GER"); empty for the
// C locale and for a language without such a code.
QString ThreeLetterLanguageCode(const QLocale& locale);
TLocaleNames LocaleNamesOf(const QLocale& locale);
// Every locale Qt knows, in its order.
std::vector<TLocaleNames> InstalledLocaleNames();

}  // namespace trv
