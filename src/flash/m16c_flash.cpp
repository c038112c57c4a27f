#include "flash/m16c_flash.h"

namespace trv {

TM16CFlash::TM16CFlash(TUiDispatcher& dispatcher)
    : FThread(std::make_unique<TM16CFlashThread>(*this, dispatcher)) {}

TM16CFlash::TM16CFlash(TBootloaderLine& line, TFlashClock& clock)
    : FThread(std::make_unique<TM16CFlashThread>(*this, line, clock)) {}

TM16CFlash::~TM16CFlash() = default;

TCommPort TM16CFlash::CommPort() const {
  return FThread->Settings().CommPort;
}

void TM16CFlash::SetCommPort(TCommPort port) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) { settings.CommPort = port; });
}

TCommBaud TM16CFlash::Baud() const {
  return FThread->Settings().Baud;
}

void TM16CFlash::SetBaud(TCommBaud baud) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) { settings.Baud = baud; });
}

TFlashOptions TM16CFlash::FlashOptions() const {
  return FThread->Settings().FlashOptions;
}

void TM16CFlash::SetFlashOptions(TFlashOptions options) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) {
    settings.FlashOptions = ApplyFlashOptionRule(settings.FlashOptions, options);
  });
}

std::string TM16CFlash::Filename() const {
  return FThread->Settings().Filename;
}

void TM16CFlash::SetFilename(const std::string& filename) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) { settings.Filename = filename; });
}

std::uint32_t TM16CFlash::FlashStart() const {
  return FThread->Settings().FlashStart;
}

void TM16CFlash::SetFlashStart(std::uint32_t start) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) { settings.FlashStart = start; });
}

std::uint32_t TM16CFlash::FlashSize() const {
  return FThread->Settings().FlashSize;
}

void TM16CFlash::SetFlashSize(std::uint32_t size) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) { settings.FlashSize = size; });
}

std::vector<std::string> TM16CFlash::SoftwareIDs() const {
  return FThread->Settings().SoftwareIDs;
}

void TM16CFlash::SetSoftwareIDs(const std::vector<std::string>& ids) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) { settings.SoftwareIDs = ids; });
}

std::int32_t TM16CFlash::Interval() const {
  return FThread->Settings().Interval;
}

void TM16CFlash::SetInterval(std::int32_t interval) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) { settings.Interval = interval; });
}

TFlashProgressBar* TM16CFlash::ProgressBar() const {
  return FThread->Settings().ProgressBar;
}

void TM16CFlash::SetProgressBar(TFlashProgressBar* progressBar) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) { settings.ProgressBar = progressBar; });
}

void TM16CFlash::SetOnBlockRead(TBlockReadListener listener) {
  FThread->ChangeSettings(
      [&](TFlashJobSettings& settings) { settings.OnBlockRead = std::move(listener); });
}

std::shared_ptr<TLineTrace> TM16CFlash::Trace() const {
  return FThread->Settings().Trace;
}

void TM16CFlash::SetTrace(std::shared_ptr<TLineTrace> trace) {
  FThread->ChangeSettings([&](TFlashJobSettings& settings) { settings.Trace = std::move(trace); });
}

TFlashNotifyEvent TM16CFlash::OnDownloadComplete() const {
  return FThread->Events().OnDownloadComplete;
}

void TM16CFlash::SetOnDownloadComplete(TFlashNotifyEvent handler) {
  FThread->ChangeEvents(
      [&](TFlashEvents& events) { events.OnDownloadComplete = std::move(handler); });
}

TFlashProgressEvent TM16CFlash::OnFlashProgressEvent() const {
  return FThread->Events().OnFlashProgressEvent;
}

void TM16CFlash::SetOnFlashProgressEvent(TFlashProgressEvent handler) {
  FThread->ChangeEvents(
      [&](TFlashEvents& events) { events.OnFlashProgressEvent = std::move(handler); });
}

TFlashErrorEvent TM16CFlash::OnFlashErrorEvent() const {
  return FThread->Events().OnFlashErrorEvent;
}

void TM16CFlash::SetOnFlashErrorEvent(TFlashErrorEvent handler) {
  FThread->ChangeEvents(
      [&](TFlashEvents& events) { events.OnFlashErrorEvent = std::move(handler); });
}

void TM16CFlash::SetMessageBoxHook(TFlashMessageHook hook) {
  FThread->ChangeEvents([&](TFlashEvents& events) { events.MessageBox = std::move(hook); });
}

void TM16CFlash::FlashDevice() {
  FThread->Start(nullptr);
}

void TM16CFlash::FlashDevice(TBinaryImage& image) {
  FThread->Start(&image);
}

bool TM16CFlash::InProgress() const {
  return FThread->InProgress();
}

void TM16CFlash::AbortFlash() {
  FThread->Abort();
}

std::string TM16CFlash::ErrorText() const {
  return FThread->ErrorText();
}

}  // namespace trv
