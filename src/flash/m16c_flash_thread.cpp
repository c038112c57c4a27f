#include "flash/m16c_flash_thread.h"

#include <array>
#include <iostream>
#include <string>
#include <utility>

#include "flash/line_trace.h"
#include "flash/serial_bootloader_line.h"

namespace trv {
namespace {

constexpr const char* kUnknownException = "Unknown exception";

constexpr std::array<const char*, 9> kWorkerErrorTexts{
    "Data outside M16C flash range",
    "Failed to open communications port",
    "Failed to synchronise comms - Restart CPU",
    "Unable to set baud - Restart CPU",
    "Failed to read bootloader version",
    "Software ID not matched",
    "Erase Failed",
    "Programming failed",
    "Verify Failed",
};

void WriteToStandardError(const std::string& text, const std::string&) {
  std::cerr << text << std::endl;
}

// A handler's own failure must not end the worker: the completion event still has to come.
template <typename Handler, typename... Arguments>
void Raise(const Handler& handler, Arguments&&... arguments) {
  if (!handler) return;
  try {
    handler(std::forward<Arguments>(arguments)...);
  } catch (const std::exception& error) {
    std::cerr << error.what() << std::endl;
  } catch (...) {
    std::cerr << kUnknownException << std::endl;
  }
}

}  // namespace

std::string FlashWorkerText(TFlashErrors code) {
  if (code < kWorkerErrorTexts.size()) return kWorkerErrorTexts[code];
  return "Unknown exception - " + std::to_string(int{code});
}

TM16CFlashThread::TM16CFlashThread(TM16CFlash& owner, TUiDispatcher& dispatcher)
    : FOwner(owner),
      FOwnLine(std::make_unique<TSerialBootloaderLine>(dispatcher)),
      FOwnClock(std::make_unique<TSteadyFlashClock>()),
      FLine(*FOwnLine),
      FClock(*FOwnClock) {
  FWorker = std::thread(&TM16CFlashThread::Execute, this);
}

TM16CFlashThread::TM16CFlashThread(TM16CFlash& owner, TBootloaderLine& line, TFlashClock& clock)
    : FOwner(owner), FLine(line), FClock(clock) {
  FWorker = std::thread(&TM16CFlashThread::Execute, this);
}

TM16CFlashThread::~TM16CFlashThread() {
  {
    const std::lock_guard lock(FLock);
    if (FInProgress) FAbortFlag = true;
    FTerminate = true;
  }
  FWake.notify_one();
  FWorker.join();
}

TFlashJobSettings TM16CFlashThread::Settings() const {
  const std::lock_guard lock(FLock);
  return FSettings;
}

void TM16CFlashThread::ChangeSettings(const std::function<void(TFlashJobSettings&)>& change) {
  const std::lock_guard lock(FLock);
  change(FSettings);
}

TFlashEvents TM16CFlashThread::Events() const {
  const std::lock_guard lock(FLock);
  return FEvents;
}

void TM16CFlashThread::ChangeEvents(const std::function<void(TFlashEvents&)>& change) {
  const std::lock_guard lock(FLock);
  change(FEvents);
}

void TM16CFlashThread::Start(TBinaryImage* image) {
  {
    const std::lock_guard lock(FLock);
    if (FInProgress) {
      FAbortFlag = true;
      return;
    }
    FImage = image;
    FWoken = true;
    FInProgress = true;
  }
  FWake.notify_one();
}

void TM16CFlashThread::Abort() {
  const std::lock_guard lock(FLock);
  if (FInProgress) FAbortFlag = true;
}

bool TM16CFlashThread::InProgress() const {
  const std::lock_guard lock(FLock);
  return FInProgress;
}

std::string TM16CFlashThread::ErrorText() const {
  const std::lock_guard lock(FLock);
  return FErrorText;
}

void TM16CFlashThread::Execute() {
  std::unique_lock lock(FLock);
  while (true) {
    FWake.wait(lock, [this] { return FWoken || FTerminate; });
    FWoken = false;
    // The flag was cleared when the last job ended; what it holds now was asked of this job
    // between its start and this wake, and must not be lost.
    if (FTerminate) return;
    TBinaryImage* const image = std::exchange(FImage, nullptr);
    const TFlashJobSettings settings = FSettings;
    const TFlashEvents events = FEvents;
    lock.unlock();
    RunOneJob(settings, events, image);
    lock.lock();
    FAbortFlag = false;
    FInProgress = false;
    if (FTerminate) return;
  }
}

void TM16CFlashThread::RunOneJob(const TFlashJobSettings& settings, const TFlashEvents& events,
                                 TBinaryImage* image) {
  SetErrorText("");
  const auto reportProgress = [&](TFlashProgress stage) {
    Raise(events.OnFlashProgressEvent, FOwner, stage);
  };
  try {
    if (settings.Trace) {
      TTracingLine traced(FLine, FClock, *settings.Trace);
      TBootloaderJob(settings, traced, traced, FAbortFlag, reportProgress).RunJob(image);
    } else {
      TBootloaderJob(settings, FLine, FClock, FAbortFlag, reportProgress).RunJob(image);
    }
  } catch (const EFlashAbort&) {
    // An abort is reported by nothing.
  } catch (const EFlashError& failure) {
    ReportFailure(events, failure.Code(), FlashWorkerText(failure.Code()));
  } catch (const std::exception& failure) {
    // An image file's error, a port error or a malformed Software ID: its text is the message,
    // whatever it reads like.
    const std::string text = failure.what();
    ReportFailure(events, feTextFailure, text.empty() ? kUnknownException : text);
  } catch (...) {
    ReportFailure(events, feTextFailure, kUnknownException);
  }
  Raise(events.OnDownloadComplete, FOwner);
}

void TM16CFlashThread::ReportFailure(const TFlashEvents& events, TFlashErrors code,
                                     const std::string& text) {
  SetErrorText(text);
  if (events.OnFlashErrorEvent) {
    Raise(events.OnFlashErrorEvent, FOwner, code);
  } else {
    Raise(events.MessageBox ? events.MessageBox : TFlashMessageHook(WriteToStandardError), text,
          std::string(kFlashErrorCaption));
  }
}

void TM16CFlashThread::SetErrorText(std::string text) {
  const std::lock_guard lock(FLock);
  FErrorText = std::move(text);
}

}  // namespace trv
