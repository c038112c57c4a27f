#include "flash/ui/progress_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>
#include <utility>

#include "controls/tool_options_form.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {
namespace {

constexpr const char* kInitialCaption = "- - -";
constexpr const char* kDefaultSoftwareID = "90-7B-2E-58-F3-A6-01";

std::optional<std::string> SelectedText(const QComboBox& box) {
  if (box.currentIndex() < 0) return std::nullopt;
  return box.currentText().toStdString();
}

}  // namespace

TransferLineTexts LineTextsOf(const TToolOptionsForm& options) {
  TransferLineTexts texts{SelectedText(*options.OptionsSerialPortComboBox),
                          SelectedText(*options.OptionsSerialRateComboBox),
                          {}};
  for (int i = 0; i < options.SoftwareIDComboBox->count(); ++i) {
    texts.SoftwareIDs.push_back(options.SoftwareIDComboBox->itemText(i).toStdString());
  }
  return texts;
}

TQtFlashProgressBar::TQtFlashProgressBar(QProgressBar& bar)
    : FBar(&bar), FMin(bar.minimum()), FMax(bar.maximum()) {}

void TQtFlashProgressBar::SetPosition(int position) {
  QProgressBar* bar = FBar.data();
  if (!bar) return;
  QMetaObject::invokeMethod(
      bar, [bar, position] { bar->setValue(position); }, Qt::QueuedConnection);
}

TProgressForm::TProgressForm(QWidget* parent) : TPlainForm("ProgressForm", "Progress", parent) {
  FFlash = std::make_unique<TM16CFlash>(FDispatcher);
  Initialise();
}

TProgressForm::TProgressForm(TBootloaderLine& line, TFlashClock& clock, QWidget* parent)
    : TPlainForm("ProgressForm", "Progress", parent) {
  FFlash = std::make_unique<TM16CFlash>(line, clock);
  Initialise();
}

// The component goes first: its worker may still be posting to the dialog.
TProgressForm::~TProgressForm() {
  FFlash.reset();
}

void TProgressForm::Initialise() {
  // A title without buttons: the dialog closes only by its own button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  CreateControls();
  FBar = std::make_unique<TQtFlashProgressBar>(*ProgressBar);
  FFlash->SetBaud(cb57600);
  FFlash->SetFlashOptions(kDefaultFlashOptions);
  FFlash->SetSoftwareIDs({kDefaultSoftwareID});
  FFlash->SetProgressBar(FBar.get());
  FFlash->SetTrace(FTrace);
  BindFlashEvents();
}

void TProgressForm::CreateControls() {
  MsgLabel = new QLabel(kInitialCaption, this);
  MsgLabel->setObjectName("MsgLabel");
  MsgLabel->setAlignment(Qt::AlignCenter);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName("ProgressBar");
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  BitBtn = new QPushButton(this);
  BitBtn->setObjectName("BitBtn");
  BitBtn->setDefault(true);
  SetButton(TransferResult::Ok);
  connect(BitBtn, &QPushButton::clicked, this,
          [this] { done(FResult == TransferResult::Ok ? Accepted : Rejected); });
  BackupLabel = new QLabel(this);
  BackupLabel->setObjectName("BackupLabel");
  BackupLabel->setAlignment(Qt::AlignCenter);
  BackupLabel->setWordWrap(true);
  BackupLabel->hide();
  SaveTraceBtn = new QPushButton("Save &Trace...", this);
  SaveTraceBtn->setObjectName("SaveTraceBtn");
  SaveTraceBtn->setToolTip("Save a record of every byte on the line, for support");
  SaveTraceBtn->hide();
  connect(SaveTraceBtn, &QPushButton::clicked, this, [this] { SaveTraceClick(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(MsgLabel);
  layout->addWidget(ProgressBar);
  layout->addWidget(BackupLabel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(SaveTraceBtn);
  buttons->addWidget(BitBtn);
  buttons->addStretch();
  layout->addLayout(buttons);
  setFixedSize(kClientWidth, kClientHeight);
}

// The events come on the worker thread; the error's text is taken there, while it is the
// failed job's.
void TProgressForm::BindFlashEvents() {
  FFlash->SetOnFlashProgressEvent([this](TM16CFlash&, TFlashProgress progress) {
    Post([this, progress] { M16CFlash1FlashProgressEvent(progress); });
  });
  FFlash->SetOnFlashErrorEvent([this](TM16CFlash& sender, TFlashErrors code) {
    Post([this, code, text = sender.ErrorText()] { M16CFlash1FlashErrorEvent(code, text); });
  });
  FFlash->SetOnDownloadComplete(
      [this](TM16CFlash&) { Post([this] { M16CFlash1DownloadComplete(); }); });
}

TransferResult TProgressForm::RunTransfer(ConfigurationImage& buffer, TransferDirection direction) {
  FLineTexts = ReadOptions ? ReadOptions() : TransferLineTexts{};
  if (!PortOfEntry(FLineTexts.PortEntry)) {
    ShowFlashMessage(NoPortMessage(FLineTexts.PortEntry));
    return TransferResult::Cancel;
  }
  SetButton(TransferResult::Ok);
  FFlash->SetFilename("");
  FTransfer.emplace(buffer, direction);
  MsgLabel->setText(kInitialCaption);
  ProgressBar->setValue(ProgressBar->minimum());
  BackupLabel->hide();
  SaveTraceBtn->hide();
  setFixedSize(kClientWidth, kClientHeight);
  exec();
  if (direction == TransferDirection::Get) FTransfer->CopyTo(buffer);
  // The listener points into the transfer that ends here.
  FFlash->SetOnBlockRead({});
  FTransfer.reset();
  return FResult;
}

void TProgressForm::showEvent(QShowEvent* event) {
  TPlainForm::showEvent(event);
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  if (FTransfer && !FJobRunning) FormShow();
}

void TProgressForm::FormShow() {
  BitBtn->setEnabled(false);
  FResult = TransferResult::Ok;
  FJobRunning = true;
  FTrace->Clear();
  FTransfer->SetUp(*FFlash, FLineTexts);
  FFlash->FlashDevice(FTransfer->Image());
}

void TProgressForm::closeEvent(QCloseEvent* event) {
  if (FJobRunning) {
    event->ignore();
    return;
  }
  TPlainForm::closeEvent(event);
}

// Escape and closing the window answer as the button would, once the job has ended.
void TProgressForm::reject() {
  if (FJobRunning) return;
  done(FResult == TransferResult::Ok ? Accepted : Rejected);
}

void TProgressForm::M16CFlash1FlashProgressEvent(TFlashProgress progress) {
  const TransferDirection direction = FTransfer ? FTransfer->Direction() : TransferDirection::Send;
  const std::string text = TransferStageText(progress, direction);
  MsgLabel->setText(QString::fromStdString(text));
  if (!text.empty()) repaint();
}

void TProgressForm::M16CFlash1FlashErrorEvent(TFlashErrors errorCode,
                                              const std::string& failureText) {
  SetButton(TransferResult::Cancel);
  SaveTraceBtn->show();
  ShowFlashMessage(TransferErrorText(errorCode, failureText));
}

void TProgressForm::M16CFlash1DownloadComplete() {
  FJobRunning = false;
  BitBtn->setEnabled(true);
  BitBtn->setFocus();
  if (FResult == TransferResult::Ok && FTransfer && FTransfer->BlankGet()) {
    SetButton(TransferResult::Cancel);
    ShowFlashMessage(ActiveText(string_id::kNoConfigurationData));
  }
  KeepPreviousImage();
}

// After the job, so that writing the file costs the line nothing; a failure never stops a send.
void TProgressForm::KeepPreviousImage() {
  if (!FTransfer || !BackupPlace) return;
  const std::optional<SendBackupOutcome> backup = FTransfer->KeepPreviousImage(BackupPlace());
  if (!backup) return;
  if (backup->Written()) {
    ShowBackupLabel(backup->File.string());
  } else {
    ShowFlashMessage(backup->Text());
  }
}

// The file's name under the bar, its whole path as the label's tip; the dialog grows to fit.
void TProgressForm::ShowBackupLabel(const std::string& file) {
  const std::filesystem::path path(file);
  BackupLabel->setText(QString::fromStdString(KeptImageText(path.filename().string())));
  BackupLabel->setToolTip(QString::fromStdString(file));
  BackupLabel->show();
  const int width =
      kClientWidth - layout()->contentsMargins().left() - layout()->contentsMargins().right();
  setFixedSize(kClientWidth,
               kClientHeight + BackupLabel->heightForWidth(width) + layout()->spacing());
}

void TProgressForm::SaveTraceClick() {
  const std::optional<std::string> file = ChooseTraceFile ? ChooseTraceFile() : std::nullopt;
  if (!file) return;
  try {
    WriteLineTrace(*FTrace, *file);
  } catch (const std::system_error& error) {
    ShowFlashMessage(TraceFailureText(*file, error.code().message()));
  }
}

void TProgressForm::SetButton(TransferResult result) {
  FResult = result;
  const bool ok = result == TransferResult::Ok;
  BitBtn->setText(ok ? "OK" : "Cancel");
  BitBtn->setIcon(
      style()->standardIcon(ok ? QStyle::SP_DialogOkButton : QStyle::SP_DialogCancelButton));
}

void TProgressForm::ShowFlashMessage(const std::string& text) {
  if (FQueries) {
    FQueries->Message(text, TransferErrorCaption(), MessageButtons::Ok, MessageIcon::Error);
  }
}

void TProgressForm::Post(std::function<void()> call) {
  QMetaObject::invokeMethod(
      this, [this, call = std::move(call)]() mutable { Deliver(std::move(call)); },
      Qt::QueuedConnection);
}

void TProgressForm::Deliver(std::function<void()> call) {
  FPending.push_back(std::move(call));
  if (FDelivering) return;
  FDelivering = true;
  while (!FPending.empty()) {
    const std::function<void()> next = std::move(FPending.front());
    FPending.pop_front();
    next();
  }
  FDelivering = false;
}

}  // namespace trv
