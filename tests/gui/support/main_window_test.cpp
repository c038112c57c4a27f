#include "main_window_test.h"

#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "model/string_table.h"

namespace trv::test {

void MainWindowTest::OpenWindow() {
  ResetActiveStrings();
  // The recent files and other settings of the test's own, never the user's.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FDirectory.path());
  const std::filesystem::path directory = FDirectory.path().toStdString();
  FForm = std::make_unique<TToolForm>(directory / "trv-config", directory / "Data");
  auto dialogs = std::make_unique<ScriptedDialogs>();
  FDialogs = dialogs.get();
  FForm->SetDialogs(std::move(dialogs));
  auto queries = std::make_unique<ScriptedUserQueries>();
  FQueries = queries.get();
  FForm->SetUserQueries(std::move(queries));
  FForm->show();
  FForm->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
}

void MainWindowTest::SetController() {
  FQueries->ExpectMessage(MessageAnswer::Yes);
  QTest::mouseClick(Find<QPushButton>("ControllerSetBitBtn"), Qt::LeftButton);
}

void MainWindowTest::CloseWindow() {
  std::vector<std::string> failures = FQueries->Failures();
  for (const QString& dialog : FDialogs->Unexpected()) {
    failures.push_back("unexpected " + dialog.toStdString());
  }
  const bool dialogsFinished = FDialogs->Finished();
  FForm->Config().Modified = false;  // nothing to ask on closing
  FForm.reset();
  ResetActiveStrings();
  QVERIFY2(failures.empty(), failures.empty() ? "" : failures.front().c_str());
  QVERIFY2(dialogsFinished, "a scripted dialog was never asked for");
}

}  // namespace trv::test
