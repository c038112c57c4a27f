#pragma once

#include <QString>
#include <optional>

class QPrinter;
class QWidget;

namespace trv {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// What a file dialog starts with. The filter is in the "description|pattern" form the rule file
// commands build.
struct FileDialogSetup {
  QString FileName;
  QString Filter;
  QString InitialDirectory;
  QString DefaultExtension;
};

// Every message box, question and file or print dialog of the window goes through here, so tests
// can see each text and answer it.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MessageAnswer Message(const QString& text, const QString& caption, MessageButtons buttons,
                                MessageIcon icon) = 0;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<QString> OpenFile(const FileDialogSetup& setup) = 0;
  virtual std::optional<QString> SaveFile(const FileDialogSetup& setup) = 0;
  virtual bool Print(QPrinter& printer) = 0;
  virtual bool PrinterSetup(QPrinter& printer) = 0;
};

}  // namespace trv
