// The progress dialog on the simulated bootloader in virtual time: its stages, errors, button
// and settings, and its refusal to close while a job runs.

#include "flash/ui/progress_form.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <mutex>

#include "model/configuration.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "screenshot.h"
#include "scripted_user_queries.h"
#include "transfer/encode_image.h"
#include "transfer/image_file.h"
#include "virtual_line.h"

using namespace trv;

namespace {

const std::vector<std::string> kSoftwareIDs{"3C-91-5E-07-B4-22-D8", "6F-0A-83-E1-4D-19-C5",
                                            "90-7B-2E-58-F3-A6-01"};

// Holds the job's thread at a written byte until released.
class LineGate {
 public:
  void HoldAt(std::size_t byteCount) { FHoldAt = byteCount; }
  void Written() {
    std::unique_lock lock(FLock);
    if (++FWritten == FHoldAt) FReleased.wait(lock, [this] { return FOpen; });
  }
  void Release() {
    const std::lock_guard lock(FLock);
    FOpen = true;
    FReleased.notify_all();
  }

 private:
  std::mutex FLock;
  std::condition_variable FReleased;
  std::size_t FHoldAt = 0;
  std::size_t FWritten = 0;
  bool FOpen = false;
};

// The label's text after the dialog has handled each stage: a call posted behind each of the
// dialog's own.
class StageTexts {
 public:
  explicit StageTexts(TProgressForm& form) {
    TM16CFlash& flash = form.M16CFlash1();
    flash.SetOnFlashProgressEvent([&form, shown = flash.OnFlashProgressEvent(), this](
                                      TM16CFlash& sender, TFlashProgress progress) {
      shown(sender, progress);
      QMetaObject::invokeMethod(
          &form, [&form, this] { Texts << form.MsgLabel->text(); }, Qt::QueuedConnection);
    });
  }
  QStringList Texts;
};

}  // namespace

class ProgressFormTest : public QObject {
  Q_OBJECT

 private:
  // Runs the transfer; while the dialog is open, whileOpen runs once, then the button is pressed
  // as soon as it is enabled.
  TransferResult Run(ConfigurationImage& buffer, TransferDirection direction,
                     const std::function<void()>& whileOpen = {}) {
    QTimer::singleShot(0, FForm.get(), [this, whileOpen] {
      if (whileOpen) whileOpen();
      PressWhenEnabled();
    });
    return FForm->RunTransfer(buffer, direction);
  }

  void PressWhenEnabled() {
    // A test that failed must not leave the dialog waiting for a press.
    const auto closeAnyway = qScopeGuard([this] {
      if (FForm->isVisible()) FForm->done(QDialog::Rejected);
    });
    QTRY_VERIFY_WITH_TIMEOUT(FForm->BitBtn->isEnabled(), 30000);
    FButtonText = FForm->BitBtn->text();
    FForm->BitBtn->click();
  }

  ConfigurationImage SampleImage() {
    Configuration configuration("/nonexistent", "/nonexistent");
    configuration.StoreRule(1, {.Kind = rkBoard, .Panel = 0, .Loop = 0, .Zone = 0, .Output = 5});
    configuration.RuleCount = 1;
    return EncodeImage(configuration);
  }

  static QStringList Stages(std::initializer_list<int> ids) {
    QStringList texts;
    for (int id : ids) texts << QString::fromStdString(ActiveText(id));
    return texts;
  }

  SimulatedBootloader FBootloader;
  std::unique_ptr<test::TVirtualLine> FLine;
  test::ScriptedUserQueries FQueries;
  std::unique_ptr<TProgressForm> FForm;
  TransferLineTexts FOptions;
  QString FButtonText;

 private slots:
  void init() {
    ResetActiveStrings();
    FBootloader = SimulatedBootloader();
    FLine = std::make_unique<test::TVirtualLine>(FBootloader);
    FQueries = {};
    FOptions = {"COM3", "57600", kSoftwareIDs};
    FForm = std::make_unique<TProgressForm>(*FLine, *FLine);
    FForm->SetUserQueries(FQueries);
    FForm->ReadOptions = [this] { return FOptions; };
  }

  void cleanup() {
    FForm.reset();
    for (const std::string& failure : FQueries.Failures()) QFAIL(failure.c_str());
  }

  void dialogAsLaidOut() {
    QCOMPARE(FForm->windowTitle(), QString("Progress"));
    QCOMPARE(FForm->size(), QSize(218, 97));
    QCOMPARE(FForm->MsgLabel->text(), QString("- - -"));
    QCOMPARE(FForm->ProgressBar->minimum(), 0);
    QCOMPARE(FForm->ProgressBar->maximum(), 100);
    QVERIFY(!FForm->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(FForm->M16CFlash1().Baud(), cb57600);
    QCOMPARE(FForm->M16CFlash1().SoftwareIDs(), std::vector<std::string>{"90-7B-2E-58-F3-A6-01"});
  }

  void sendShowsEveryStageAndEndsWithOk() {
    StageTexts stages(*FForm);
    ConfigurationImage buffer = SampleImage();
    bool disabledAtFirst = false;
    const TransferResult result = Run(buffer, TransferDirection::Send,
                                      [&] { disabledAtFirst = !FForm->BitBtn->isEnabled(); });
    QCOMPARE(result, TransferResult::Ok);
    QVERIFY(disabledAtFirst);
    QCOMPARE(FButtonText, QString("OK"));
    using namespace string_id;
    QCOMPARE(stages.Texts,
             Stages({kStageReadingFile, kStageEstablishingComms, kStageCheckingFlashVersion,
                     kStageVerifyingSoftwareIdent, kStageErasing, kStageProgramming,
                     kStageVerifying, kStageComplete}));
    QCOMPARE(FLine->CommPort(), spCOM3);
    QVERIFY(std::equal(buffer.Data().begin(), buffer.Data().end(),
                       FBootloader.Flash().begin() + 0x100));
  }

  // The buffer is filled from the read all the same.
  void getOfABlankControllerEndsWithCancel() {
    StageTexts stages(*FForm);
    ConfigurationImage buffer = SampleImage();
    FQueries.ExpectMessage(MessageAnswer::Ok);
    QCOMPARE(Run(buffer, TransferDirection::Get), TransferResult::Cancel);
    QCOMPARE(FQueries.LastMessage().Text, std::string("No configuration data present"));
    QCOMPARE(FQueries.LastMessage().Caption, std::string("M16C Flash Error"));
    QCOMPARE(FButtonText, QString("Cancel"));
    QVERIFY(stages.Texts.contains("Reading Current Data"));
    QVERIFY(!stages.Texts.contains("Programming New Data"));
    QCOMPARE(buffer, ConfigurationImage());
  }

  void getReturnsTheControllersConfiguration() {
    ConfigurationImage sent = SampleImage();
    QCOMPARE(Run(sent, TransferDirection::Send), TransferResult::Ok);
    FBootloader.Reset();  // as the transfer prompt asks
    ConfigurationImage got;
    QCOMPARE(Run(got, TransferDirection::Get), TransferResult::Ok);
    QCOMPARE(got, sent);
  }

  void errorCodesShowTheirTexts_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    const char* texts[] = {"Data outside M16C flash range",
                           "Failed to open communications port",
                           "Failed to synchronise comms - Restart CPU",
                           "Unable to set baud - Restart CPU",
                           "Failed to read bootloader version",
                           "Software ID not matched",
                           "Erase Failed",
                           "Programming failed",
                           "Verify Failed",
                           "Unknown exception"};
    for (int code = 0; code <= 9; ++code) {
      QTest::addRow("%d", code) << code << texts[code];
    }
  }

  void errorCodesShowTheirTexts() {
    QFETCH(int, code);
    QFETCH(QString, text);
    FQueries.ExpectMessage(MessageAnswer::Ok);
    FForm->M16CFlash1FlashErrorEvent(static_cast<TFlashErrors>(code), "");
    QCOMPARE(QString::fromStdString(FQueries.LastMessage().Text), text);
    QCOMPARE(FQueries.LastMessage().Caption, std::string("M16C Flash Error"));
    QCOMPARE(FForm->BitBtn->text(), QString("Cancel"));
  }

  // A port failure whose text reads like a code is shown as its text.
  void failureThatIsATextShowsItsText() {
    FLine->SetBaudFailure = std::string(1, '3');
    ConfigurationImage buffer = SampleImage();
    FQueries.ExpectMessage(MessageAnswer::Ok);
    QCOMPARE(Run(buffer, TransferDirection::Send), TransferResult::Cancel);
    QCOMPARE(FQueries.LastMessage().Text, std::string("3"));
  }

  void settingsComeFromTheOptionsAndTheDirection() {
    ConfigurationImage buffer;
    FOptions.RateEntry = "9600";
    FQueries.ExpectMessage(MessageAnswer::Ok);  // blank controller
    Run(buffer, TransferDirection::Get);
    TM16CFlash& flash = FForm->M16CFlash1();
    QCOMPARE(flash.Baud(), cb9600);
    QCOMPARE(flash.FlashOptions(), (TFlashOptions{ofRead, ofVerify}));
    QCOMPARE(flash.FlashStart(), 0xC0100u);
    QCOMPARE(flash.FlashSize(), 0xFF00u);
    QCOMPARE(flash.SoftwareIDs(), kSoftwareIDs);
    QCOMPARE(flash.Filename(), std::string());

    FOptions.RateEntry.reset();
    buffer = SampleImage();
    Run(buffer, TransferDirection::Send);
    QCOMPARE(flash.Baud(), cb57600);
    QCOMPARE(flash.FlashOptions(), kDefaultFlashOptions);
  }

  void withoutAPortNothingStarts() {
    FOptions.PortEntry.reset();
    ConfigurationImage buffer = SampleImage();
    FQueries.ExpectMessage(MessageAnswer::Ok);
    QCOMPARE(FForm->RunTransfer(buffer, TransferDirection::Get), TransferResult::Cancel);
    QVERIFY(QString::fromStdString(FQueries.LastMessage().Text).contains("Tool > Options"));
    QCOMPARE(FLine->OpenCount(), 0);
    QVERIFY(!FForm->isVisible());
    QCOMPARE(buffer, SampleImage());
  }

  // Held half-way through programming: the label and bar have moved, and neither Escape nor
  // closing ends the dialog.
  void cannotBeClosedWhileTheJobRuns() {
    LineGate gate;
    gate.HoldAt(33000);
    FLine->OnWrite = [&](std::uint8_t) { gate.Written(); };
    ConfigurationImage buffer = SampleImage();
    Run(buffer, TransferDirection::Send, [&] {
      const auto release = qScopeGuard([&] { gate.Release(); });
      QTRY_COMPARE_WITH_TIMEOUT(FForm->MsgLabel->text(), QString("Programming New Data"), 30000);
      QTRY_VERIFY(FForm->ProgressBar->value() > 20);
      QVERIFY(test::SaveScreenshot(FForm->grab(), "progress-dialog"));
      QTest::keyClick(FForm.get(), Qt::Key_Escape);
      FForm->close();
      QVERIFY(FForm->isVisible());
      QVERIFY(!FForm->BitBtn->isEnabled());
    });
  }

  // The dialog after a failed job, with the message box as the window shows it.
  // The controller held a configuration: the dialog grows a line naming the file it went to.
  void sendNamesTheKeptConfigurationUnderTheBar() {
    QTemporaryDir directory;
    FForm->BackupPlace = [&] { return SendBackupPlace{directory.path().toStdString(), "Hall"}; };
    ConfigurationImage previous = SampleImage();
    QCOMPARE(Run(previous, TransferDirection::Send), TransferResult::Ok);
    QVERIFY(!FForm->BackupLabel->isVisible());
    FBootloader.Reset();
    ConfigurationImage next;
    next.SetByte(0, 0);
    QCOMPARE(Run(next, TransferDirection::Send,
                 [&] {
                   QTRY_VERIFY_WITH_TIMEOUT(FForm->BackupLabel->isVisible(), 30000);
                   QVERIFY(test::SaveScreenshot(FForm->grab(), "progress-dialog-backup"));
                 }),
             TransferResult::Ok);
    const QStringList kept = QDir(directory.path()).entryList(QDir::Files);
    QCOMPARE(kept.size(), 1);
    QVERIFY(kept.front().startsWith("Hall-before-send-"));
    QCOMPARE(FForm->BackupLabel->text(), "Previous configuration kept in " + kept.front());
    QCOMPARE(FForm->width(), 218);
    QVERIFY(FForm->height() > 97);
    QCOMPARE(ReadImageFile(directory.filePath(kept.front()).toStdString()), previous);
  }

  void failedTransferOffersItsTrace() {
    QTemporaryDir directory;
    const QString traceFile = directory.filePath("trace.txt");
    FForm->ChooseTraceFile = [&] { return std::optional(traceFile.toStdString()); };
    FBootloader.Faults().WrongID = true;
    ConfigurationImage buffer = SampleImage();
    FQueries.ExpectMessage(MessageAnswer::Ok);
    QCOMPARE(Run(buffer, TransferDirection::Send,
                 [&] {
                   QTRY_VERIFY_WITH_TIMEOUT(FForm->SaveTraceBtn->isVisible(), 30000);
                   QVERIFY(test::SaveScreenshot(FForm->grab(), "progress-dialog-trace"));
                   FForm->SaveTraceBtn->click();
                 }),
             TransferResult::Cancel);
    QFile trace(traceFile);
    QVERIFY(trace.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(trace.readAll());
    QVERIFY(text.startsWith("0.000 baud 57600\n"));
    QVERIFY(text.contains(" > F5\n"));
    QVERIFY(text.endsWith(" close\n"));
  }

  void screenshotAfterAnError() {
    if (qEnvironmentVariableIsEmpty("TRV_SCREENSHOT_DIR")) QSKIP("no screenshot asked for");
    FBootloader.Faults().WrongID = true;
    ConfigurationImage buffer = SampleImage();
    FQueries.ExpectMessage(MessageAnswer::Ok);
    Run(buffer, TransferDirection::Send, [&] {
      QTRY_VERIFY_WITH_TIMEOUT(FForm->BitBtn->isEnabled(), 30000);
      QMessageBox box(QMessageBox::Critical, "M16C Flash Error", "Software ID not matched",
                      QMessageBox::Ok);
      box.show();
      const QImage dialog = FForm->grab().toImage();
      const QImage message = box.grab().toImage();
      QImage both(dialog.width() + message.width() + 16,
                  std::max(dialog.height(), message.height()), QImage::Format_ARGB32);
      both.fill(Qt::white);
      QPainter painter(&both);
      painter.drawImage(0, 0, dialog);
      painter.drawImage(dialog.width() + 16, 0, message);
      painter.end();
      QVERIFY(test::SaveScreenshot(both, "progress-dialog-error"));
    });
  }
};

QTEST_MAIN(ProgressFormTest)
#include "progress_form_test.moc"
