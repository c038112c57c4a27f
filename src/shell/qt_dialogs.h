#pragma once

#include "shell/dialogs.h"

namespace trv {

// The dialogs a user sees: Qt's file and print dialogs over the given parent.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent) : FParent(parent) {}

  std::optional<QString> OpenFile(const FileDialogSetup& setup) override;
  std::optional<QString> SaveFile(const FileDialogSetup& setup) override;
  bool Print(QPrinter& printer) override;
  bool PrinterSetup(QPrinter& printer) override;

 private:
  QWidget* FParent;
};

// "Rule files|*.trv" becomes "Rule files (*.trv)"; a text without "|" is kept.
QString QtFileFilter(const QString& filter);

}  // namespace trv
