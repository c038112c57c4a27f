#pragma once

#include <QString>

#include "shell/dialogs.h"

class QWidget;

namespace trv {

// The dialogs a user sees: Qt's file and print dialogs over the given parent.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent) : FParent(parent) {}

  std::optional<std::string> OpenFile(const FileDialogSetup& setup) override;
  std::optional<std::string> SaveFile(const FileDialogSetup& setup) override;
  bool Print(QPrinter& printer) override;
  bool PrinterSetup(QPrinter& printer) override;

 private:
  QWidget* FParent;
};

// "Rule files|*.trv" becomes "Rule files (*.trv)"; a text without "|" is kept.
QString QtFileFilter(const QString& filter);

}  // namespace trv
