// Send and Get through the window against m16c-sim in real time: the forms as the program
// creates them, the simulator on COM1, the user's answers scripted.

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <fstream>

#include "editor/rule_list_commands.h"
#include "files/replacing_write.h"
#include "model/string_table.h"
#include "sample_rules.h"
#include "scripted_dialogs.h"
#include "scripted_user_queries.h"
#include "shell/start_up.h"
#include "simulator_process.h"
#include "transfer/encode_image.h"
#include "transfer/image_file.h"

using namespace trv;

namespace {

constexpr int kTransferTimeoutMs = 240000;

// Paint events of a widget.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QWidget& widget) { widget.installEventFilter(this); }
  int Paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

}  // namespace

class TransferSlowTest : public QObject {
  Q_OBJECT

 private:
  TToolForm& Window() { return FForms->ToolForm; }
  TProgressForm& Progress() { return FForms->ProgressForm; }

  std::vector<RuleRecord> Rules() {
    std::vector<RuleRecord> rules;
    for (int n = 1; n <= Window().Config().RuleCount; ++n) {
      rules.push_back(Window().Config().StoredRule(n));
    }
    return rules;
  }

  // Runs a Connect command; while the dialog is open the window must keep painting and the
  // dialog's label and bar must move. The button is pressed once the job has ended.
  void RunConnectCommand(const char* action, const QString& transferStage) {
    QTimer::singleShot(0, &Progress(), [&] {
      // A failed check must not leave the dialog waiting for a press.
      const auto closeAnyway = qScopeGuard([&] {
        if (!Progress().isVisible()) return;
        Progress().M16CFlash1().AbortFlash();
        QTRY_VERIFY_WITH_TIMEOUT(Progress().BitBtn->isEnabled(), kTransferTimeoutMs);
        Progress().BitBtn->click();
      });
      PaintWatch windowPaints(Window());
      Window().update();
      QTRY_VERIFY(windowPaints.Paints > 0);
      QTRY_COMPARE_WITH_TIMEOUT(Progress().MsgLabel->text(), transferStage, kTransferTimeoutMs);
      QTRY_VERIFY(Progress().ProgressBar->value() > 0);
      QCOMPARE(Window().statusBar()->currentMessage(),
               QString("Saving rule information in file: Mimic.hex"));
      QTRY_VERIFY_WITH_TIMEOUT(Progress().BitBtn->isEnabled(), kTransferTimeoutMs);
      QCOMPARE(Progress().MsgLabel->text(), QString("Transfer Complete"));
    });
    Window().findChild<QAction*>(action)->trigger();
  }

  // A new configuration with the controller set and the sample rules, whatever a test before
  // left in the window.
  void EnterSampleRules() {
    Window().Files().ResetToNew();
    FQueries->ExpectMessage(MessageAnswer::Yes);  // Set Controller
    QTest::mouseClick(Window().findChild<QPushButton*>("ControllerSetBitBtn"), Qt::LeftButton);
    for (int n = 1; n <= 24; ++n) {
      Window().Config().WorkingRule = test::SampleRule(n);
      QVERIFY(Window().RuleList().ChooseTargetRow());
      Window().RuleList().AppendOrOverwrite(static_cast<RuleKind>(test::SampleRule(n).Kind));
    }
    // The rules as an image carries them, which the rule checker finds nothing wrong with.
    Window().findChild<QPushButton*>("QuickTest")->click();
  }

  std::unique_ptr<test::TSimulatorProcess> FSimulator;
  QTemporaryDir FDirectory;
  std::unique_ptr<Forms> FForms;
  test::ScriptedUserQueries* FQueries = nullptr;

 private slots:
  void initTestCase() {
    FSimulator =
        std::make_unique<test::TSimulatorProcess>(TRV_M16C_SIM, std::vector<std::string>{});
    setenv("TRV_COM1", FSimulator->DevicePath().c_str(), 1);
    ResetActiveStrings();
    FForms = std::make_unique<Forms>(FDirectory.path().toStdString() + "/trv-config");
    auto queries = std::make_unique<test::ScriptedUserQueries>();
    FQueries = queries.get();
    Window().SetUserQueries(std::move(queries));
    FForms->ToolOptionsForm.OptionsSerialRateComboBox->setCurrentText("57600");
    QCOMPARE(FForms->ToolOptionsForm.OptionsSerialPortComboBox->currentText(), QString("COM1"));
    Window().show();
    QVERIFY(QTest::qWaitForWindowActive(&Window()));
  }

  void cleanupTestCase() {
    for (const std::string& failure : FQueries->Failures()) QFAIL(failure.c_str());
    Window().Config().Modified = false;
    FForms.reset();
    FSimulator.reset();
  }

  void sendThenGetReturnsTheSameRules() {
    EnterSampleRules();
    const std::vector<RuleRecord> sent = Rules();
    QCOMPARE(sent.size(), std::size_t{24});
    Window().statusBar()->showMessage("Ready");

    FQueries->ExpectMessage(MessageAnswer::No);  // save the changes?
    FQueries->ExpectMessage(MessageAnswer::Ok);  // the transfer prompt
    RunConnectCommand("MenuConnectSendRules", "Programming New Data");
    QCOMPARE(Window().statusBar()->currentMessage(), QString("Ready"));

    // Starting again: the locked settings ask for File New, which clears everything.
    FQueries->ExpectMessage(MessageAnswer::Yes);  // reset to the defaults?
    FQueries->ExpectMessage(MessageAnswer::No);   // save the changes?
    FQueries->ExpectMessage(MessageAnswer::Ok);   // the transfer prompt
    RunConnectCommand("MenuConnectGetRules", "Reading Current Data");
    QVERIFY(Rules() == sent);
    QVERIFY(!Window().findChild<QPushButton*>("ControllerSetBitBtn")->isEnabled());
  }

  // A send keeps what the controller held; imported and sent back, it is on the controller again
  // byte for byte, apart from the two times of the send in its header.
  void keptImageImportedAndSentIsTheControllersAgain() {
    Configuration other(FDirectory.path().toStdString(), FDirectory.path().toStdString());
    for (int n = 1; n <= 5; ++n) other.StoreRule(n, test::SampleRule(n + 10));
    other.RuleCount = 5;
    const ConfigurationImage previous = EncodeImage(other);
    const std::filesystem::path flashFile = FDirectory.filePath("flash.bin").toStdString();
    std::string flash(0x40000, '\xFF');
    for (std::size_t i = 0; i < 0x100; ++i) flash[i] = static_cast<char>(i);
    std::copy(previous.Data().begin(), previous.Data().end(), flash.begin() + 0x100);
    WriteFileReplacing(flashFile, flash);
    FSimulator = std::make_unique<test::TSimulatorProcess>(
        TRV_M16C_SIM, std::vector<std::string>{"--flash", flashFile.string()});
    setenv("TRV_COM1", FSimulator->DevicePath().c_str(), 1);
    auto dialogs = std::make_unique<test::ScriptedDialogs>();
    test::ScriptedDialogs& files = *dialogs;
    Window().SetDialogs(std::move(dialogs));
    EnterSampleRules();
    Window().Config().Modified = false;

    FQueries->ExpectMessage(MessageAnswer::Ok);  // the transfer prompt
    RunConnectCommand("MenuConnectSendRules", "Programming New Data");
    const std::filesystem::path dataDirectory = Window().Config().DataDirectory;
    const QStringList kept = QDir(QString::fromStdString(dataDirectory.string()))
                                 .entryList({"*-before-send-*.hex"}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    const std::filesystem::path keptFile = dataDirectory / kept.front().toStdString();
    QVERIFY(ReadImageFile(keptFile) == previous);
    QVERIFY(Progress().BackupLabel->text().endsWith(kept.front()));

    files.ExpectFile(QString::fromStdString(keptFile.string()));
    FQueries->ExpectMessage(MessageAnswer::Yes);  // reset to the defaults?
    Window().findChild<QAction*>("MenuFileImportImage")->trigger();
    QCOMPARE(Window().Config().RuleCount, 5);
    FQueries->ExpectMessage(MessageAnswer::No);  // save the changes?
    FQueries->ExpectMessage(MessageAnswer::Ok);  // the transfer prompt
    RunConnectCommand("MenuConnectSendRules", "Programming New Data");
    QVERIFY(files.Finished());

    std::ifstream in(flashFile, std::ios::binary);
    const std::string after{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    QCOMPARE(after.size(), flash.size());
    QVERIFY(std::equal(after.begin(), after.begin() + 0x100, flash.begin()));
    const auto area = [](const std::string& bytes, std::size_t from, std::size_t to) {
      return bytes.substr(0x100 + from, to - from);
    };
    constexpr std::size_t kTimesStart = ConfigurationImage::kRuleFileTimeOffset;
    constexpr std::size_t kTimesEnd =
        ConfigurationImage::kImageTimeOffset + ConfigurationImage::kTimeStampLength;
    QVERIFY(area(after, 0, kTimesStart) == area(flash, 0, kTimesStart));
    QVERIFY(area(after, kTimesEnd, ConfigurationImage::kSize) ==
            area(flash, kTimesEnd, ConfigurationImage::kSize));
  }
};

QTEST_MAIN(TransferSlowTest)
#include "transfer_slow_test.moc"
