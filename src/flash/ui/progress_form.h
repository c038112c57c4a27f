#pragma once

#include <QPointer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "controls/plain_form.h"
#include "controls/qt_ui_dispatcher.h"
#include "flash/m16c_flash.h"
#include "model/user_queries.h"
#include "transfer/flash_transfer.h"
#include "transfer/transfer_runner.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace trv {

class TToolOptionsForm;

// The options dialog's selected port and rate entries and its Software IDs.
TransferLineTexts LineTextsOf(const TToolOptionsForm& options);

// The flash job's bar as a widget: positions from the job's thread move it on the window's.
class TQtFlashProgressBar final : public TFlashProgressBar {
 public:
  explicit TQtFlashProgressBar(QProgressBar& bar);
  int Min() const override { return FMin; }
  int Max() const override { return FMax; }
  void SetPosition(int position) override;

 private:
  QPointer<QProgressBar> FBar;
  int FMin;
  int FMax;
};

// "Progress": runs one transfer of the configuration area through M16CFlash1, shows its stages
// and failures, and cannot be closed until the job has ended. The component's events arrive on
// its worker thread and are carried to this dialog's thread in the order they were raised.
class TProgressForm : public TPlainForm, public TransferRunner {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 218;
  static constexpr int kClientHeight = 97;

  // On the real serial ports.
  explicit TProgressForm(QWidget* parent = nullptr);
  // On a line and clock that the caller keeps alive for the dialog's life.
  TProgressForm(TBootloaderLine& line, TFlashClock& clock, QWidget* parent = nullptr);
  ~TProgressForm() override;

  void SetUserQueries(UserQueries& queries) { FQueries = &queries; }
  // Where a transfer takes its port, rate and Software IDs as it starts.
  std::function<TransferLineTexts()> ReadOptions;
  // Where a send keeps the controller's previous configuration; none keeps nothing.
  std::function<SendBackupPlace()> BackupPlace;
  // The file "Save Trace..." writes to; nothing when the user cancelled.
  std::function<std::optional<std::string>()> ChooseTraceFile;

  // The dialog shown modally until its button is pressed; a get leaves what was read in the
  // buffer whatever the result. Without a port the transfer is refused and the buffer kept.
  TransferResult RunTransfer(ConfigurationImage& buffer, TransferDirection direction) override;

  TM16CFlash& M16CFlash1() { return *FFlash; }
  // On this dialog's thread.
  void M16CFlash1FlashProgressEvent(TFlashProgress progress);
  void M16CFlash1FlashErrorEvent(TFlashErrors errorCode, const std::string& failureText);
  void M16CFlash1DownloadComplete();

  QLabel* MsgLabel;
  QProgressBar* ProgressBar;
  QPushButton* BitBtn;
  // Shown at the end of a send that kept the controller's previous configuration.
  QLabel* BackupLabel;
  // Shown after a failed transfer.
  QPushButton* SaveTraceBtn;
  // The line of the last transfer.
  const TLineTrace& Trace() const { return *FTrace; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  // Controls and the component's settings, once the component exists.
  void Initialise();
  void CreateControls();
  void BindFlashEvents();
  void FormShow();
  void SetButton(TransferResult result);
  void ShowFlashMessage(const std::string& text);
  void KeepPreviousImage();
  void ShowBackupLabel(const std::string& file);
  void SaveTraceClick();
  // From the worker: the call runs on this dialog's thread after every call posted before it,
  // also when one of them waits in a message box.
  void Post(std::function<void()> call);
  void Deliver(std::function<void()> call);

  TQtUiDispatcher FDispatcher;  // before the component whose port uses it
  std::unique_ptr<TM16CFlash> FFlash;
  std::unique_ptr<TQtFlashProgressBar> FBar;
  std::shared_ptr<TLineTrace> FTrace = std::make_shared<TLineTrace>();
  UserQueries* FQueries = nullptr;
  std::optional<TFlashTransfer> FTransfer;
  TransferLineTexts FLineTexts;
  TransferResult FResult = TransferResult::Ok;
  bool FJobRunning = false;
  std::deque<std::function<void()>> FPending;
  bool FDelivering = false;
};

}  // namespace trv
