#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "flash/binary_image.h"
#include "flash/bootloader_job.h"
#include "flash/bootloader_line.h"
#include "flash/flash_clock.h"
#include "flash/flash_types.h"
#include "serial/ui_dispatcher.h"

namespace trv {

class TM16CFlash;

using TFlashNotifyEvent = std::function<void(TM16CFlash& sender)>;
using TFlashProgressEvent = std::function<void(TM16CFlash& sender, TFlashProgress progress)>;
using TFlashErrorEvent = std::function<void(TM16CFlash& sender, TFlashErrors errorCode)>;
// The worker's own message box: text and caption, on the worker thread.
using TFlashMessageHook = std::function<void(const std::string& text, const std::string& caption)>;

struct TFlashEvents {
  TFlashNotifyEvent OnDownloadComplete;
  TFlashProgressEvent OnFlashProgressEvent;
  TFlashErrorEvent OnFlashErrorEvent;
  TFlashMessageHook MessageBox;
};

// The caption of every flash message box.
inline constexpr const char* kFlashErrorCaption = "M16C Flash Error";

// The worker's text of a job's error code: its own text for 0..8, "Unknown exception - " and the
// code in decimal for any other.
std::string FlashWorkerText(TFlashErrors code);

// The worker thread of TM16CFlash: it sleeps between jobs and runs one job each time it is
// woken, raising the component's events on its own thread. Settings and events are copied when a
// job starts, so changing them during a job affects the next one.
class TM16CFlashThread {
 public:
  // On a real port: the thread creates its serial port component.
  TM16CFlashThread(TM16CFlash& owner, TUiDispatcher& dispatcher);
  // On a line and clock that the caller keeps alive for the thread's life.
  TM16CFlashThread(TM16CFlash& owner, TBootloaderLine& line, TFlashClock& clock);
  // Aborts a running job, asks the thread to end, wakes it and waits until it has ended.
  ~TM16CFlashThread();
  TM16CFlashThread(const TM16CFlashThread&) = delete;
  TM16CFlashThread& operator=(const TM16CFlashThread&) = delete;

  TFlashJobSettings Settings() const;
  void ChangeSettings(const std::function<void(TFlashJobSettings&)>& change);
  TFlashEvents Events() const;
  void ChangeEvents(const std::function<void(TFlashEvents&)>& change);

  // Aborts a running job; otherwise wakes the worker for a job on the image (none: the job
  // builds its own).
  void Start(TBinaryImage* image);
  void Abort();
  bool InProgress() const;
  // The worker's text of the last failed job; empty after a success or an abort.
  std::string ErrorText() const;

 private:
  void Execute();
  void RunOneJob(const TFlashJobSettings& settings, const TFlashEvents& events,
                 TBinaryImage* image);
  // The error event with the code, or without an error handler the worker's message box with
  // the text; a failure that is a text rather than a code has feTextFailure.
  void ReportFailure(const TFlashEvents& events, TFlashErrors code, const std::string& text);
  void SetErrorText(std::string text);

  TM16CFlash& FOwner;
  std::unique_ptr<TBootloaderLine> FOwnLine;
  std::unique_ptr<TFlashClock> FOwnClock;
  TBootloaderLine& FLine;
  TFlashClock& FClock;

  mutable std::mutex FLock;  // guards everything below but the abort flag
  std::condition_variable FWake;
  TFlashJobSettings FSettings;
  TFlashEvents FEvents;
  TBinaryImage* FImage = nullptr;
  bool FWoken = false;
  bool FInProgress = false;
  bool FTerminate = false;
  std::string FErrorText;
  std::atomic<bool> FAbortFlag = false;

  std::thread FWorker;  // last: starts when everything else is in place
};

}  // namespace trv
