#include "controls/stored_language.h"

#include <QSettings>
#include <QUrl>

namespace trv {
namespace {

constexpr const char* kLocalesGroup = "Locales";

}  // namespace

QString StoredLanguageKey(const std::filesystem::path& programPath) {
  // Slashes separate groups in the settings store, so the path is kept percent-encoded.
  const QByteArray path = QString::fromStdString(programPath.string()).toUtf8();
  return QString(kLocalesGroup) + "/" + QString::fromLatin1(QUrl::toPercentEncoding(path));
}

void StoreLanguageCode(const std::filesystem::path& programPath, const QString& code) {
  QSettings().setValue(StoredLanguageKey(programPath), code);
}

QString StoredLanguageCode(const std::filesystem::path& programPath) {
  return QSettings().value(StoredLanguageKey(programPath)).toString();
}

QString ThreeLetterLanguageCode(const QLocale& locale) {
  if (locale.language() == QLocale::C) return {};
  return QLocale::languageToCode(locale.language(), QLocale::ISO639Part2T).toUpper();
}

TLocaleNames LocaleNamesOf(const QLocale& locale) {
  return {ThreeLetterLanguageCode(locale).toStdString(), locale.nativeLanguageName().toStdString(),
          locale.nativeTerritoryName().toStdString()};
}

std::vector<TLocaleNames> InstalledLocaleNames() {
  std::vector<TLocaleNames> names;
  for (const QLocale& locale :
       QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
    names.push_back(LocaleNamesOf(locale));
  }
  return names;
}

}  // namespace trv
