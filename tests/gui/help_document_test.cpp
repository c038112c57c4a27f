#include "shell/help_document.h"

#include <QAction>
#include <QDesktopServices>
#include <QTest>
#include <QUrl>
#include <fstream>

#include "main_window_test.h"

using namespace trv;

namespace {

void Touch(const std::filesystem::path& file) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "%PDF";
}

}  // namespace

class HelpDocumentTest : public test::MainWindowTest {
  Q_OBJECT

 public slots:
  void Open(const QUrl& url) { FOpened = url; }

 private:
  QUrl FOpened;

 private slots:
  void foundBesideTheProgramElseWhereThePackageInstallsIt() {
    const std::filesystem::path prefix = FDirectory.path().toStdString();
    const std::filesystem::path bin = prefix / "bin";
    std::filesystem::create_directories(bin);
    QCOMPARE(HelpDocumentPath(bin), bin / "TRV_CFG.PDF");

    Touch(prefix / "share" / "trv-config" / "TRV_CFG.PDF");
    QCOMPARE(HelpDocumentPath(bin), prefix / "share" / "trv-config" / "TRV_CFG.PDF");

    Touch(bin / "TRV_CFG.PDF");
    QCOMPARE(HelpDocumentPath(bin), bin / "TRV_CFG.PDF");
  }

  void helpMenuOpensTheDocument() {
    OpenWindow();
    const std::filesystem::path document =
        std::filesystem::path(FDirectory.path().toStdString()) / "TRV_CFG.PDF";
    Touch(document);
    QDesktopServices::setUrlHandler("file", this, "Open");
    Find<QAction>("MenuTRVToolPDF")->trigger();
    QDesktopServices::unsetUrlHandler("file");
    CloseWindow();
    QCOMPARE(FOpened.toLocalFile().toStdString(), document.string());
  }
};

QTEST_MAIN(HelpDocumentTest)
#include "help_document_test.moc"
