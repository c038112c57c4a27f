#include "scripted_dialogs.h"

#include <QPageSize>
#include <QPrinter>
#include <QtGlobal>

namespace trv::test {

std::optional<std::string> ScriptedDialogs::AnswerFile(const char* kind,
                                                       const FileDialogSetup& setup) {
  FFileDialogs.push_back(setup);
  if (FFiles.empty()) {
    FUnexpected.push_back(QString(kind) + " dialog");
    qWarning("unexpected %s dialog", kind);
    return std::nullopt;
  }
  const QString path = FFiles.front();
  FFiles.pop_front();
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

ScriptedDialogs::PrintAnswer ScriptedDialogs::AnswerPrint(const char* kind) {
  if (FPrints.empty()) {
    FUnexpected.push_back(QString(kind) + " dialog");
    qWarning("unexpected %s dialog", kind);
    return {};
  }
  const PrintAnswer answer = FPrints.front();
  FPrints.pop_front();
  return answer;
}

std::optional<std::string> ScriptedDialogs::OpenFile(const FileDialogSetup& setup) {
  return AnswerFile("open", setup);
}

std::optional<std::string> ScriptedDialogs::SaveFile(const FileDialogSetup& setup) {
  return AnswerFile("save", setup);
}

bool ScriptedDialogs::Print(QPrinter& printer) {
  const PrintAnswer answer = AnswerPrint("print");
  if (!answer.PdfFile.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(answer.PdfFile);
    printer.setPageSize(QPageSize(QPageSize::A4));
  }
  return answer.Accept;
}

bool ScriptedDialogs::PrinterSetup(QPrinter&) {
  return AnswerPrint("printer set-up").Accept;
}

bool ScriptedDialogs::Finished() const {
  return FUnexpected.empty() && FFiles.empty() && FPrints.empty();
}

}  // namespace trv::test
