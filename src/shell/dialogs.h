#pragma once

#include <QString>
#include <optional>

class QPrinter;
class QWidget;

namespace trv {

// What a file dialog starts with. The filter is in the "description|pattern" form the rule file
// commands build.
struct FileDialogSetup {
  QString FileName;
  QString Filter;
  QString InitialDirectory;
  QString DefaultExtension;
};

// The file and print dialogs of the window, so tests can see each one and answer it. Messages
// and questions go through the core's UserQueries (model/user_queries.h).
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<QString> OpenFile(const FileDialogSetup& setup) = 0;
  virtual std::optional<QString> SaveFile(const FileDialogSetup& setup) = 0;
  virtual bool Print(QPrinter& printer) = 0;
  virtual bool PrinterSetup(QPrinter& printer) = 0;
};

}  // namespace trv
