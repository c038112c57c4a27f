#include "files/ui/recent_files_menu.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QStringList>
#include <utility>
#include <vector>

namespace trv {
namespace {

constexpr const char* kSettingsKey = "RecentFiles";

std::vector<std::string> StoredPaths() {
  std::vector<std::string> paths;
  for (const QString& path : QSettings().value(kSettingsKey).toStringList()) {
    paths.push_back(path.toStdString());
  }
  return paths;
}

}  // namespace

TRecentFilesMenu::TRecentFilesMenu(QMenu& menu, Opener open)
    : QObject(&menu), FMenu(menu), FOpen(std::move(open)), FFiles(StoredPaths()) {
  connect(&FMenu, &QMenu::aboutToShow, this, [this] { Fill(); });
  Fill();
}

void TRecentFilesMenu::Add(const std::string& path) {
  FFiles.Add(QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
  Store();
  FillLater();
}

// The entries may be the ones whose click is still running.
void TRecentFilesMenu::FillLater() {
  QMetaObject::invokeMethod(this, &TRecentFilesMenu::Fill, Qt::QueuedConnection);
}

void TRecentFilesMenu::Store() {
  QStringList paths;
  for (const std::string& path : FFiles.Paths()) paths << QString::fromStdString(path);
  QSettings().setValue(kSettingsKey, paths);
}

void TRecentFilesMenu::Fill() {
  FFiles.KeepExisting(
      [](const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); });
  FMenu.clear();
  int number = 0;
  for (const std::string& path : FFiles.Paths()) {
    const QString text = QDir::toNativeSeparators(QString::fromStdString(path));
    QAction* action = FMenu.addAction(QString("&%1 %2").arg(++number).arg(text));
    action->setObjectName(QString("MenuFileOpenRecent%1").arg(number));
    connect(action, &QAction::triggered, this, [this, path] { Open(path); });
  }
  FMenu.setEnabled(!FFiles.Paths().empty());
}

void TRecentFilesMenu::Open(const std::string& path) {
  if (FOpen(path)) return;
  FFiles.Remove(path);
  Store();
  FillLater();
}

}  // namespace trv
