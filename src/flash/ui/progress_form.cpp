#include "flash/ui/progress_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
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

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(MsgLabel);
  layout->addWidget(ProgressBar);
  layout->addWidget(BitBtn, 0, Qt::AlignHCenter);
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
  exec();
  if (direction == TransferDirection::Get) FTransfer->CopyTo(buffer);
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
