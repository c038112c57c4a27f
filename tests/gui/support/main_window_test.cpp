#include "main_window_test.h"

#include <QTest>

#include "model/string_table.h"

namespace trv::test {

void MainWindowTest::OpenWindow() {
  ResetActiveStrings();
  const std::filesystem::path directory = FDirectory.path().toStdString();
  FForm = std::make_unique<TToolForm>(directory / "trv-config", directory / "Data");
  auto dialogs = std::make_unique<ScriptedDialogs>();
  FDialogs = dialogs.get();
  FForm->SetDialogs(std::move(dialogs));
  FForm->show();
  FForm->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
}

void MainWindowTest::CloseWindow() {
  const std::vector<QString> unexpected = FDialogs->Unexpected();
  const bool finished = FDialogs->Finished();
  FForm->Config().Modified = false;  // nothing to ask on closing
  FForm.reset();
  ResetActiveStrings();
  QVERIFY2(unexpected.empty(), qPrintable(unexpected.empty() ? "" : unexpected.front()));
  QVERIFY2(finished, "a scripted answer or dialog was never asked for");
}

}  // namespace trv::test
