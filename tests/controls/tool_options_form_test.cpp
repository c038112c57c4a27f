#include "controls/tool_options_form.h"

#include <sys/file.h>

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "../serial/pseudo_terminal.h"
#include "controls/stored_language.h"
#include "screenshot.h"

using namespace trv;

namespace {

const char* const kAbsent = "/nonexistent/tty";

QStringList Entries(const QComboBox& box, bool enabled) {
  QStringList texts;
  const auto* model = box.model();
  for (int row = 0; row < box.count(); ++row) {
    const bool isEnabled = model->flags(model->index(row, 0)).testFlag(Qt::ItemIsEnabled);
    if (isEnabled == enabled) texts << box.itemText(row);
  }
  return texts;
}

QStringList AllEntries(const QComboBox& box) {
  QStringList texts;
  for (int row = 0; row < box.count(); ++row) texts << box.itemText(row);
  return texts;
}

}  // namespace

// COM1, COM3 and COM8 are pseudo-terminals that open, COM4 one the test holds; COM2 and COM5..7
// name devices that are not there.
class ToolOptionsFormTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FSettings.path());
    QCoreApplication::setOrganizationName("KORVANEX");
    QCoreApplication::setApplicationName("TRV Configuration Tool");
  }

  void init() {
    FCom1 = std::make_unique<TPseudoTerminal>();
    FCom3 = std::make_unique<TPseudoTerminal>();
    FCom4 = std::make_unique<TPseudoTerminal>();
    FCom8 = std::make_unique<TPseudoTerminal>();
    QCOMPARE(flock(FCom4->Slave(), LOCK_EX | LOCK_NB), 0);
    Point("TRV_COM1", FCom1->Path().c_str());
    Point("TRV_COM2", kAbsent);
    Point("TRV_COM3", FCom3->Path().c_str());
    Point("TRV_COM4", FCom4->Path().c_str());
    for (const char* port : {"TRV_COM5", "TRV_COM6", "TRV_COM7"}) Point(port, kAbsent);
    Point("TRV_COM8", FCom8->Path().c_str());
    QSettings().clear();
    FForm = std::make_unique<TToolOptionsForm>();
  }

  void cleanup() { FForm.reset(); }

  void portsThatOpenAreListedFirstSelectedAndTheHeldOneGreyedWithItsReason() {
    QComboBox& ports = Find<QComboBox>("OptionsSerialPortComboBox");
    QAbstractItemModelTester tester(ports.model());
    QCOMPARE(Entries(ports, true), QStringList({"COM1", "COM3"}));
    QCOMPARE(Entries(ports, false), QStringList({"COM4"}));
    QCOMPARE(ports.currentText(), QString("COM1"));
    QVERIFY(ports.itemData(2, Qt::ToolTipRole).toString().contains(" is in use by "));
    QVERIFY(Find<QLabel>("OptionsSerialPortDeviceLabel")
                .text()
                .startsWith(QString::fromStdString(FCom1->Path())));
  }

  void eachOpeningProbesAgainAndKeepsTheChosenPortWhileItOpens() {
    QComboBox& ports = Find<QComboBox>("OptionsSerialPortComboBox");
    ports.setCurrentIndex(1);
    flock(FCom4->Slave(), LOCK_UN);
    FForm->show();
    FForm->hide();
    QCOMPARE(Entries(ports, true), QStringList({"COM1", "COM3", "COM4"}));
    QCOMPARE(ports.currentText(), QString("COM3"));

    Point("TRV_COM3", kAbsent);
    FForm->show();
    FForm->hide();
    QCOMPARE(AllEntries(ports), QStringList({"COM1", "COM4"}));
    QCOMPARE(ports.currentText(), QString("COM1"));
  }

  void withoutAPortNothingIsSelected() {
    for (const char* port : {"TRV_COM1", "TRV_COM3", "TRV_COM4"}) Point(port, kAbsent);
    TToolOptionsForm form;
    QCOMPARE(form.OptionsSerialPortComboBox->count(), 0);
    QCOMPARE(form.OptionsSerialPortComboBox->currentIndex(), -1);
  }

  void ratesAndSoftwareIdsInTheirOrder() {
    QComboBox& rates = Find<QComboBox>("OptionsSerialRateComboBox");
    QCOMPARE(AllEntries(rates), QStringList({"9600", "19200", "38400", "57600"}));
    QCOMPARE(rates.currentText(), QString("9600"));
    QComboBox& ids = Find<QComboBox>("SoftwareIDComboBox");
    QCOMPARE(AllEntries(ids),
             QStringList({"3C-91-5E-07-B4-22-D8", "6F-0A-83-E1-4D-19-C5", "90-7B-2E-58-F3-A6-01"}));
    QCOMPARE(ids.currentIndex(), 1);
    QVERIFY(ids.isEditable());
  }

  void captionsAndWhatTheUserSees() {
    FForm->show();
    QCOMPARE(FForm->windowTitle(), QString("Tool Options"));
    QCOMPARE(Find<QGroupBox>("ToolOptionsSerialPortGroupBox").title(), QString("Serial Port"));
    QCOMPARE(Find<QGroupBox>("ToolOptionsSerialPortGroupBox").height(), 100);
    QCOMPARE(Find<QWidget>("ToolOptionsOKPanel").height(), 40);
    const QList<std::pair<const char*, const char*>> labels{{"Label2", "Port"},
                                                            {"Label3", "Baud Rate"},
                                                            {"Label4", "Software ID"},
                                                            {"CurrentLocale", "CurrentLocale"},
                                                            {"BorlandLocale", "BorlandLocale"}};
    for (const auto& [name, text] : labels) QCOMPARE(Find<QLabel>(name).text(), QString(text));
    QCOMPARE(Find<QLabel>("Label2").buddy(), &Find<QComboBox>("OptionsSerialPortComboBox"));
    for (const char* shown : {"OptionsSerialPortComboBox", "OptionsSerialRateComboBox",
                              "OptionCloseBtn", "Label2", "Label3"}) {
      QVERIFY2(Find<QWidget>(shown).isVisible(), shown);
    }
    for (const char* hidden : {"Label4", "SoftwareIDComboBox", "ToolLangComboBox", "LocaleLabel",
                               "CurrentLocale", "BorlandLocale", "BorlandLabel", "BitBtn1"}) {
      QVERIFY2(Find<QWidget>(hidden).isHidden(), hidden);
    }
    ShootWithPortsListed();
  }

  void languageEntriesAndTheCurrentLocale() {
    QComboBox& languages = Find<QComboBox>("ToolLangComboBox");
    QCOMPARE(languages.currentIndex(), -1);
    QCOMPARE(languages.currentText(), Find<QLabel>("LocaleLabel").text());
    const QStringList entries = AllEntries(languages);
    QVERIFY(entries.contains("DEU:Deutsch-Deutschland"));
    QVERIFY(entries.contains("FRA:français-France"));
    QVERIFY(!entries.filter("ENG:").isEmpty());
    QVERIFY(!entries.contains("GER:Deutsch-Deutschland"));
    for (const QString& entry : entries) QVERIFY2(entry.indexOf(':') == 3, qPrintable(entry));
  }

  void okWithoutALanguageEntryStoresNothingAndClosesAfterThePause() {
    FForm->open();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(&Find<QPushButton>("OptionCloseBtn"), Qt::LeftButton);
    QVERIFY(FForm->isVisible());
    QTRY_VERIFY(!FForm->isVisible());
    QVERIFY(clock.elapsed() >= 250);
    QCOMPARE(FForm->result(), int(QDialog::Accepted));
    QVERIFY(QSettings().allKeys().isEmpty());
  }

  void okWithALanguageEntryStoresItsCodeForTheNextStart() {
    QComboBox& languages = Find<QComboBox>("ToolLangComboBox");
    languages.setCurrentIndex(languages.findText("DEU:Deutsch-Deutschland"));
    FForm->open();
    QTest::mouseClick(&Find<QPushButton>("OptionCloseBtn"), Qt::LeftButton);
    QTRY_VERIFY(!FForm->isVisible());
    QCOMPARE(Find<QLabel>("BorlandLabel").text(), QString("DEU:Deutsch-Deutschland"));
    QCOMPARE(StoredLanguageCode(QCoreApplication::applicationFilePath().toStdString()),
             QString("DEU"));
  }

  void hiddenCancelCloses() {
    FForm->open();
    Find<QPushButton>("BitBtn1").click();
    QVERIFY(!FForm->isVisible());
    QCOMPARE(FForm->result(), int(QDialog::Rejected));
  }

  void languageCodesAreTerminologicalInUpperCase() {
    QCOMPARE(ThreeLetterLanguageCode(QLocale(QLocale::German)), QString("DEU"));
    QCOMPARE(ThreeLetterLanguageCode(QLocale(QLocale::French)), QString("FRA"));
    QCOMPARE(ThreeLetterLanguageCode(QLocale(QLocale::English)), QString("ENG"));
    QCOMPARE(ThreeLetterLanguageCode(QLocale::c()), QString());
  }

 private:
  static void Point(const char* variable, const char* device) { qputenv(variable, device); }

  template <typename T>
  T& Find(const char* name) {
    T* found = FForm->findChild<T*>(name);
    if (!found) qFatal("no control named %s", name);
    return *found;
  }

  // The dialog with its port list dropped down.
  void ShootWithPortsListed() {
    if (!trv::test::ScreenshotsWanted()) return;
    QComboBox& ports = Find<QComboBox>("OptionsSerialPortComboBox");
    ports.showPopup();
    QWidget* popup = ports.view()->window();
    QTRY_VERIFY(popup->isVisible());
    const QPixmap dialog = FForm->grab();
    const QPixmap list = popup->grab();
    const QPoint at = ports.mapTo(FForm.get(), QPoint(0, ports.height()));
    QPixmap shot(std::max(dialog.width(), at.x() + list.width()),
                 std::max(dialog.height(), at.y() + list.height()));
    shot.fill(FForm->palette().color(QPalette::Window));
    QPainter painter(&shot);
    painter.drawPixmap(0, 0, dialog);
    painter.drawPixmap(at, list);
    painter.end();
    ports.hidePopup();
    QVERIFY(trv::test::SaveScreenshot(shot, "options-dialog"));
  }

  QTemporaryDir FSettings;
  std::unique_ptr<TPseudoTerminal> FCom1, FCom3, FCom4, FCom8;
  std::unique_ptr<TToolOptionsForm> FForm;
};

QTEST_MAIN(ToolOptionsFormTest)
#include "tool_options_form_test.moc"
