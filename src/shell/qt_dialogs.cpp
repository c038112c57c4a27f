#include "shell/qt_dialogs.h"

#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QStringList>

namespace trv {
namespace {

void PrepareFileDialog(QFileDialog& dialog, const FileDialogSetup& setup) {
  dialog.setDirectory(QString::fromStdString(setup.InitialDirectory));
  dialog.selectFile(QString::fromStdString(setup.FileName));
  dialog.setNameFilter(QtFileFilter(QString::fromStdString(setup.Filter)));
  dialog.setDefaultSuffix(QString::fromStdString(setup.DefaultExtension));
}

std::optional<std::string> ChosenFile(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace

QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  if (parts.size() < 2) return filter;
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i];
    filters << (description.contains('(') ? description : description + " (" + parts[i + 1] + ")");
  }
  return filters.join(";;");
}

std::optional<std::string> QtDialogs::OpenFile(const FileDialogSetup& setup) {
  QFileDialog dialog(FParent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  PrepareFileDialog(dialog, setup);
  return ChosenFile(dialog);
}

std::optional<std::string> QtDialogs::SaveFile(const FileDialogSetup& setup) {
  QFileDialog dialog(FParent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  PrepareFileDialog(dialog, setup);
  return ChosenFile(dialog);
}

bool QtDialogs::Print(QPrinter& printer) {
  QPrintDialog dialog(&printer, FParent);
  return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::PrinterSetup(QPrinter& printer) {
  QPageSetupDialog dialog(&printer, FParent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace trv
