#include "shell/help_document.h"

#include <QTemporaryDir>
#include <QTest>
#include <fstream>

using namespace trv;

namespace {

void Touch(const std::filesystem::path& file) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "%PDF";
}

}  // namespace

class HelpDocumentTest : public QObject {
  Q_OBJECT

 private slots:
  void foundBesideTheProgramElseWhereThePackageInstallsIt() {
    QTemporaryDir directory;
    const std::filesystem::path prefix = directory.path().toStdString();
    const std::filesystem::path bin = prefix / "bin";
    std::filesystem::create_directories(bin);
    QCOMPARE(HelpDocumentPath(bin), bin / "TRV_CFG.PDF");

    Touch(prefix / "share" / "trv-config" / "TRV_CFG.PDF");
    QCOMPARE(HelpDocumentPath(bin), prefix / "share" / "trv-config" / "TRV_CFG.PDF");

    Touch(bin / "TRV_CFG.PDF");
    QCOMPARE(HelpDocumentPath(bin), bin / "TRV_CFG.PDF");
  }
};

QTEST_MAIN(HelpDocumentTest)
#include "help_document_test.moc"
