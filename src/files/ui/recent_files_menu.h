#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "files/recent_files.h"

class QMenu;

namespace trv {

// File "Open Recent": the rule files last opened or saved that still exist, kept in the user's
// settings. An entry that fails to open is dropped.
class TRecentFilesMenu : public QObject {
  Q_OBJECT

 public:
  // Opens a file, showing why when it cannot; true when it was opened or the user cancelled.
  using Opener = std::function<bool(const std::string& path)>;

  TRecentFilesMenu(QMenu& menu, Opener open);

  void Add(const std::string& path);
  const RecentFiles& Files() const { return FFiles; }

 private:
  void Fill();
  void FillLater();
  void Open(const std::string& path);
  void Store();

  QMenu& FMenu;
  Opener FOpen;
  RecentFiles FFiles;
};

}  // namespace trv
