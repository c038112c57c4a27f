#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flash/binary_image.h"
#include "flash/bootloader_line.h"
#include "flash/flash_clock.h"
#include "flash/flash_progress_bar.h"
#include "flash/flash_types.h"
#include "flash/line_trace.h"

namespace trv {

// Called on the job's thread with a block the job read before erasing it, all of it read.
using TBlockReadListener = std::function<void(const TBinaryImage& block)>;

// The settings of one flash job.
struct TFlashJobSettings {
  TCommPort CommPort = spCOM1;
  TCommBaud Baud = cb1200;
  TFlashOptions FlashOptions = kDefaultFlashOptions;
  std::string Filename;
  std::uint32_t FlashStart = 0xC0000;
  std::uint32_t FlashSize = 0x40000;
  std::vector<std::string> SoftwareIDs{"90-7B-2E-58-F3-A6-01"};
  std::int32_t Interval = 5;  // ms after each page program
  TFlashProgressBar* ProgressBar = nullptr;
  TBlockReadListener OnBlockRead;
  // Records the job's line when set.
  std::shared_ptr<TLineTrace> Trace;
};

// The boundaries of the flash blocks of the 256 KB M16C flash; block i runs from entry i up to
// entry i + 1.
inline constexpr std::array<std::uint32_t, 8> FlashBlockTable{0xC0000, 0xD0000, 0xE0000, 0xF0000,
                                                              0xF8000, 0xFA000, 0xFC000, 0x100000};
inline constexpr std::uint32_t kFlashFirstAddress = 0xC0000;
inline constexpr std::uint32_t kFlashLastAddress = 0xFFFFF;

// A Software ID text that does not give the seven ID bytes.
class ESoftwareIDError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The seven bytes of a Software ID: two hexadecimal digits at character positions 1, 4, 7, ...
// (counting from 1); the characters between the pairs are not looked at. Throws
// ESoftwareIDError naming the ID.
std::array<std::uint8_t, 7> ParseSoftwareID(const std::string& id);

// One flash job: moves an image between the tool and the flash of the controller through its
// serial bootloader, over a line that it opens for the job and closes on every way out.
class TBootloaderJob {
 public:
  using TProgressHandler = std::function<void(TFlashProgress)>;

  TBootloaderJob(const TFlashJobSettings& settings, TBootloaderLine& line, TFlashClock& clock,
                 const std::atomic<bool>& abortFlag, TProgressHandler reportProgress);

  // Runs the job on the caller's image, or on one it builds itself when image is null. Returns
  // when the job succeeded. Raises EFlashError on a failure, EFlashAbort when aborted, and the
  // image file's own error when the file cannot be read or written.
  void RunJob(TBinaryImage* image);

 private:
  struct TRange {
    std::uint32_t Start;
    std::uint32_t Size;
  };

  void ReportProgress(TFlashProgress stage);
  void ThrowIfAborted() const;
  bool Aborted() const { return FAbortFlag.load(); }

  void SetUpPort();
  void OpenPort();
  std::unique_ptr<TBinaryImage> BuildOwnImage(bool load);
  TRange JobRange(const TBinaryImage* image) const;

  void TransferWholeFlash(TBinaryImage& image);
  void TransferBlockSpan(TBinaryImage& image);
  void PrepareSpanBlocks(const TBinaryImage& image, TBinaryImage& span, std::size_t first,
                         std::size_t end);
  void SaveReadImage(const TBinaryImage& image) const;

  void Synchronise();
  bool ProbeRate();
  bool AdjustBitRate();
  void SelectRate(std::uint8_t command);
  void ReadBootVersion();
  void CheckSoftwareID();
  bool TrySoftwareID(const std::string& id);
  std::optional<std::uint16_t> ReadStatus(std::chrono::milliseconds firstByteTimeout);
  bool WaitEraseDone();
  bool WaitProgramDone();
  bool WaitStatusBitClear(std::uint16_t bit);
  void ClearStatusAndUnlock();
  void EraseAll();
  void EraseBlock(std::uint32_t address);
  void ProgramPages(const TBinaryImage& image);
  void ProgramPage(const TBinaryImage& image, std::uint32_t page);
  void ReadPages(TBinaryImage& image, std::uint32_t base, std::uint32_t total);
  bool ReadPage(TBinaryImage& image, std::uint32_t page);
  void VerifyPages(const TBinaryImage& image);
  bool VerifyPage(const TBinaryImage& image, std::uint32_t page);
  bool RequestPage(const TBinaryImage& image, std::uint32_t page,
                   const std::function<void(std::uint32_t, std::uint8_t)>& take);

  void SendPageCommand(std::uint8_t command, std::uint32_t page);
  void Send(std::initializer_list<std::uint8_t> bytes);
  void Pause(std::chrono::milliseconds pause);
  std::optional<std::uint8_t> ReadByte(std::chrono::milliseconds timeout);

  void ResetProgressBar();
  void MoveProgressBar(std::uint64_t done, std::uint64_t total);
  void FillProgressBar();

  const TFlashJobSettings& FSettings;
  TBootloaderLine& FLine;
  TFlashClock& FClock;
  const std::atomic<bool>& FAbortFlag;
  TProgressHandler FReportProgress;
};

}  // namespace trv
