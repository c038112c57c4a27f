#include "shell/start_up.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "artwork/brand_artwork.h"
#include "controls/splash_screen.h"
#include "model/program_version.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "screenshot.h"
#include "shell/language_module.h"

using namespace trv;

namespace {

const std::string kCompanyNameKey = std::to_string(string_id::kCompanyName);
const std::string kProductNameKey = std::to_string(string_id::kProductName);

TfrmSplashScreen* VisibleSplash() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* splash = qobject_cast<TfrmSplashScreen*>(window); splash && splash->isVisible()) {
      return splash;
    }
  }
  return nullptr;
}

// What the splash was doing when the main window was created and when it was shown.
class StartUpWatch : public QObject {
 public:
  bool SplashAtCreation = false;
  bool SplashAtShow = true;
  QRect SplashGeometry;
  QRect PictureGeometry;
  QImage SplashPicture;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched->objectName() != "ToolForm") return false;
    if (!FCreationSeen) {
      FCreationSeen = true;
      RecordSplash(VisibleSplash());
    }
    if (event->type() == QEvent::Show) SplashAtShow = VisibleSplash() != nullptr;
    return false;
  }

 private:
  void RecordSplash(TfrmSplashScreen* splash) {
    SplashAtCreation = splash != nullptr;
    if (!splash) return;
    SplashGeometry = splash->geometry();
    const auto* picture = splash->findChild<QLabel*>("KorvanexImage");
    PictureGeometry =
        picture->isVisible() && picture->hasScaledContents() ? picture->geometry() : QRect();
    SplashPicture = splash->grab().toImage();
  }

  bool FCreationSeen = false;
};

}  // namespace

class StartUpTest : public QObject {
  Q_OBJECT

 private:
  std::filesystem::path Program() const {
    return std::filesystem::path(FDirectory.path().toStdString()) / "trv-config";
  }

  void InstallModule(const std::string& text) {
    const std::filesystem::path path = LanguageModulePath(Program(), "DEU");
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
    StoreLanguageCode(Program(), "DEU");
  }

  // The four texts the about box shows, read while it is open from Help "&About...".
  QStringList AboutTextsShown(Forms& forms) {
    QStringList texts;
    QTimer::singleShot(0, &forms.AboutBox, [&] {
      if (QApplication::activeModalWidget() != &forms.AboutBox) return forms.AboutBox.reject();
      for (const char* name : {"AboutCompanyNameLabel", "AboutProductNameLabel",
                               "AboutProductVersion", "AboutCopyrightLabel"}) {
        texts << forms.AboutBox.findChild<QLabel*>(name)->text();
      }
      forms.AboutBox.findChild<QPushButton*>("AboutOkButton")->click();
    });
    forms.ToolForm.findChild<QAction*>("MenuHelpAbout")->trigger();
    return texts;
  }

  static QStringList TextsOfThisBuild(const QString& company, const QString& product) {
    const VersionRecord& record = ThisVersionRecord();
    return {company, product, QString::fromStdString(record.ProductVersion),
            QString::fromStdString(record.LegalCopyright)};
  }

  QTemporaryDir FDirectory;

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void cleanup() {
    StoreLanguageCode(Program(), "");
    ResetActiveStrings();
  }

  void splashCoversTheScreenWhileTheFormsAreCreated() {
    StartUpWatch watch;
    qApp->installEventFilter(&watch);
    const std::unique_ptr<Forms> forms = StartUp(Program(), {});
    qApp->removeEventFilter(&watch);
    QVERIFY(watch.SplashAtCreation);
    QCOMPARE(watch.SplashGeometry, QApplication::primaryScreen()->availableGeometry());
    QCOMPARE(watch.PictureGeometry, QRect(QPoint(), watch.SplashGeometry.size()));
    QVERIFY(!watch.SplashAtShow);
    QTRY_VERIFY(forms->ToolForm.isActiveWindow());
    QVERIFY(!VisibleSplash());
    QVERIFY(test::SaveScreenshot(watch.SplashPicture, "splash-screen"));
  }

  void aboutBoxShowsTheBuiltInNamesAndTheBuildsVersion() {
    const std::unique_ptr<Forms> forms = StartUp(Program(), {});
    const QStringList expected = TextsOfThisBuild("KORVANEX", "TRV Configuration Tool");
    QCOMPARE(AboutTextsShown(*forms), expected);
    QCOMPARE(AboutTextsShown(*forms), expected);
    QVERIFY(test::SaveScreenshot(forms->AboutBox.grab(), "about-box"));
  }

  void aboutBoxTakesTheNamesFromTheLanguageModule() {
    // The module's own form texts are design texts; the box fills its values in again.
    InstallModule(R"({"strings": {")" + kCompanyNameKey + R"(": "KORVANEX GmbH", ")" +
                  kProductNameKey + R"(": "TRV Konfigurationswerkzeug"},
                     "forms": {"TAboutBox": {"AboutProductVersionLabel": {"caption": "Fassung"},
                                             "AboutProductVersion": {"caption": "0.0"},
                                             "AboutCompanyNameLabel": {"caption": "Firma"}}}})");
    const std::unique_ptr<Forms> forms = StartUp(Program(), {});
    const QStringList expected = TextsOfThisBuild("KORVANEX GmbH", "TRV Konfigurationswerkzeug");
    QCOMPARE(AboutTextsShown(*forms), expected);
    QCOMPARE(AboutTextsShown(*forms), expected);
    QCOMPARE(forms->AboutBox.findChild<QLabel*>("AboutProductVersionLabel")->text(),
             QString("Fassung"));
  }

  void everyWindowHasTheProductIcon() {
    const std::unique_ptr<Forms> forms = StartUp(Program(), {});
    const QImage icon = ProductIcon().pixmap(32).toImage();
    QVERIFY(!icon.isNull());
    for (QWidget* window : QApplication::topLevelWidgets()) {
      QVERIFY2(window->windowIcon().pixmap(32).toImage() == icon, qPrintable(window->objectName()));
    }
  }
};

QTEST_MAIN(StartUpTest)
#include "start_up_test.moc"
