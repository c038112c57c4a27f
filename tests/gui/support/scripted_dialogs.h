#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "shell/dialogs.h"

namespace trv::test {

// A message the window showed.
struct ShownMessage {
  QString Text;
  QString Caption;
  MessageButtons Buttons;
  MessageIcon Icon;
};

// Dialogs for tests: records every message and answers from a script. A message or dialog the
// script did not expect is recorded as unexpected (answered Cancel); tests check Unexpected().
class ScriptedDialogs : public Dialogs {
 public:
  void ExpectMessage(MessageAnswer answer) { FAnswers.push_back(answer); }
  // A file dialog answered with a path; an empty path cancels it.
  void ExpectFile(const QString& path) { FFiles.push_back(path); }
  void ExpectPrint(bool accept) { FPrints.push_back(accept); }

  MessageAnswer Message(const QString& text, const QString& caption, MessageButtons buttons,
                        MessageIcon icon) override;
  std::optional<QString> OpenFile(const FileDialogSetup& setup) override;
  std::optional<QString> SaveFile(const FileDialogSetup& setup) override;
  bool Print(QPrinter& printer) override;
  bool PrinterSetup(QPrinter& printer) override;

  const std::vector<ShownMessage>& Messages() const { return FMessages; }
  const std::vector<FileDialogSetup>& FileDialogs() const { return FFileDialogs; }
  const std::vector<QString>& Unexpected() const { return FUnexpected; }
  // Everything scripted was used and nothing unexpected was shown.
  bool Finished() const;

 private:
  std::optional<QString> AnswerFile(const char* kind, const FileDialogSetup& setup);
  bool AnswerPrint(const char* kind);

  std::deque<MessageAnswer> FAnswers;
  std::deque<QString> FFiles;
  std::deque<bool> FPrints;
  std::vector<ShownMessage> FMessages;
  std::vector<FileDialogSetup> FFileDialogs;
  std::vector<QString> FUnexpected;
};

}  // namespace trv::test
