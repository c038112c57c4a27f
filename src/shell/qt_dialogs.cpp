#include "shell/qt_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QStringList>

namespace trv {
namespace {

QMessageBox::StandardButtons StandardButtonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return QMessageBox::Ok;
    case MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon QtIconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return QMessageBox::NoIcon;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

MessageAnswer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    case QMessageBox::Ok:
      return MessageAnswer::Ok;
    default:
      return MessageAnswer::Cancel;
  }
}

void PrepareFileDialog(QFileDialog& dialog, const FileDialogSetup& setup) {
  dialog.setDirectory(setup.InitialDirectory);
  dialog.selectFile(setup.FileName);
  dialog.setNameFilter(QtFileFilter(setup.Filter));
  dialog.setDefaultSuffix(setup.DefaultExtension);
}

std::optional<QString> ChosenFile(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
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

MessageAnswer QtDialogs::Message(const QString& text, const QString& caption,
                                 MessageButtons buttons, MessageIcon icon) {
  QMessageBox box(QtIconOf(icon), caption, text, StandardButtonsOf(buttons), FParent);
  return AnswerOf(box.exec());
}

std::optional<QString> QtDialogs::OpenFile(const FileDialogSetup& setup) {
  QFileDialog dialog(FParent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  PrepareFileDialog(dialog, setup);
  return ChosenFile(dialog);
}

std::optional<QString> QtDialogs::SaveFile(const FileDialogSetup& setup) {
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
