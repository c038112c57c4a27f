#pragma once

#include <QJsonObject>
#include <QLocale>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "controls/stored_language.h"

class QWidget;

namespace trv {

// The three-letter language code of the user: the one stored by the options dialog for this
// program when present, else the system locale's ("" for C).
QString UserLanguageCode(const std::filesystem::path& programPath,
                         const QLocale& systemLocale = QLocale::system());

// <program dir>/<LNG>/<program file name>.<LNG>
std::filesystem::path LanguageModulePath(const std::filesystem::path& programPath,
                                         const QString& languageCode);

// A language module: replacement string table entries and form texts, from a JSON file.
class LanguageModule {
 public:
  // Nothing when the file is missing; throws std::runtime_error naming the file when it is
  // not a module (unreadable, too large, not JSON of the expected shape).
  static std::optional<LanguageModule> Load(const std::filesystem::path& path);

  // Replaces entries of the active string table; returns the keys of the entries refused.
  std::vector<std::string> ApplyStrings() const;
  // Updates the existing controls of a form from the entries of its classes, base classes first.
  void ApplyForm(QWidget& form) const;

  const std::filesystem::path& Path() const { return FPath; }

 private:
  LanguageModule(std::filesystem::path path, QJsonObject strings, QJsonObject forms)
      : FPath(std::move(path)), FStrings(std::move(strings)), FForms(std::move(forms)) {}

  std::filesystem::path FPath;
  QJsonObject FStrings;
  QJsonObject FForms;
};

}  // namespace trv
