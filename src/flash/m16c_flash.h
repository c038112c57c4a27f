#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "flash/binary_image.h"
#include "flash/flash_progress_bar.h"
#include "flash/flash_types.h"
#include "flash/m16c_flash_thread.h"
#include "serial/serial_comms.h"
#include "serial/ui_dispatcher.h"

namespace trv {

// The component through which flash jobs run. Its properties are the job settings, stored in the
// worker thread; its events come on the worker thread: the progress stages, then an error, then
// the completion, which every job raises.
class TM16CFlash {
 public:
  // On a real port; the dispatcher must outlive the component.
  explicit TM16CFlash(TUiDispatcher& dispatcher);
  // On a line and clock that the caller keeps alive for the component's life.
  TM16CFlash(TBootloaderLine& line, TFlashClock& clock);
  // Aborts a running job and waits until the worker has ended.
  ~TM16CFlash();
  TM16CFlash(const TM16CFlash&) = delete;
  TM16CFlash& operator=(const TM16CFlash&) = delete;

  TCommPort CommPort() const;
  void SetCommPort(TCommPort port);
  TCommBaud Baud() const;
  void SetBaud(TCommBaud baud);
  TFlashOptions FlashOptions() const;
  // A set holding reading and writing keeps only the direction newly added.
  void SetFlashOptions(TFlashOptions options);
  std::string Filename() const;
  void SetFilename(const std::string& filename);
  std::uint32_t FlashStart() const;
  void SetFlashStart(std::uint32_t start);
  std::uint32_t FlashSize() const;
  void SetFlashSize(std::uint32_t size);
  std::vector<std::string> SoftwareIDs() const;
  void SetSoftwareIDs(const std::vector<std::string>& ids);
  std::int32_t Interval() const;
  void SetInterval(std::int32_t interval);
  TFlashProgressBar* ProgressBar() const;
  void SetProgressBar(TFlashProgressBar* progressBar);
  // Raised on the worker thread with each block a job has read whole before erasing it.
  void SetOnBlockRead(TBlockReadListener listener);
  // The trace that jobs record their line into; none (the default) records nothing.
  std::shared_ptr<TLineTrace> Trace() const;
  void SetTrace(std::shared_ptr<TLineTrace> trace);

  TFlashNotifyEvent OnDownloadComplete() const;
  void SetOnDownloadComplete(TFlashNotifyEvent handler);
  TFlashProgressEvent OnFlashProgressEvent() const;
  void SetOnFlashProgressEvent(TFlashProgressEvent handler);
  TFlashErrorEvent OnFlashErrorEvent() const;
  void SetOnFlashErrorEvent(TFlashErrorEvent handler);
  // Where the worker shows an error when no error handler is set; standard error by default.
  void SetMessageBoxHook(TFlashMessageHook hook);

  // Both first do what AbortFlash does: while a job runs they only ask it to abort. Otherwise
  // they start a job on an image the job builds itself, or on the caller's image, which the
  // caller keeps and leaves alone until OnDownloadComplete.
  void FlashDevice();
  void FlashDevice(TBinaryImage& image);
  // From the moment a job is started until the worker waits again after its completion event.
  bool InProgress() const;
  void AbortFlash();
  // The worker's text of the last failed job (for a failure the error code cannot name, during
  // the error event and after); empty after a success or an abort.
  std::string ErrorText() const;

 private:
  std::unique_ptr<TM16CFlashThread> FThread;
};

}  // namespace trv
