#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "shell/dialogs.h"

namespace trv::test {

// File and print dialogs for tests: records every file dialog and answers from a script. A
// dialog the script did not expect is recorded as unexpected (answered Cancel); tests check
// Unexpected(). Messages go through the core's ScriptedUserQueries.
class ScriptedDialogs : public Dialogs {
 public:
  // A file dialog answered with a path; an empty path cancels it.
  void ExpectFile(const QString& path) { FFiles.push_back(path); }
  void ExpectPrint(bool accept) { FPrints.push_back({accept, {}}); }
  // A print dialog in which the user chooses to print to this PDF file on A4 paper, then
  // accepts or cancels.
  void ExpectPrintToFile(const QString& pdfFile, bool accept = true) {
    FPrints.push_back({accept, pdfFile});
  }

  std::optional<std::string> OpenFile(const FileDialogSetup& setup) override;
  std::optional<std::string> SaveFile(const FileDialogSetup& setup) override;
  bool Print(QPrinter& printer) override;
  bool PrinterSetup(QPrinter& printer) override;

  const std::vector<FileDialogSetup>& FileDialogs() const { return FFileDialogs; }
  const std::vector<QString>& Unexpected() const { return FUnexpected; }
  // Everything scripted was used and nothing unexpected was shown.
  bool Finished() const;

 private:
  std::optional<std::string> AnswerFile(const char* kind, const FileDialogSetup& setup);
  struct PrintAnswer {
    bool Accept = false;
    QString PdfFile;
  };

  PrintAnswer AnswerPrint(const char* kind);

  std::deque<QString> FFiles;
  std::deque<PrintAnswer> FPrints;
  std::vector<FileDialogSetup> FFileDialogs;
  std::vector<QString> FUnexpected;
};

}  // namespace trv::test
