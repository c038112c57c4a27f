#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trv {

// A point on the caller's monotonic clock (real or virtual); only differences matter.
using BootloaderTime = std::chrono::nanoseconds;

// Faults the simulated controller shows on purpose, so that every failure of a job can be tried.
struct BootloaderFaults {
  enum class SyncAnswer {
    Zeros,        // answers 0xB0 after the sixteen zeros, and echoes a probe once synchronised
    FinalB0Only,  // after the zeros answers nothing until the host sends one more 0xB0
    None,         // never answers the synchronisation
  };
  enum class Answer { Full, Short, None };
  using VersionAnswer = Answer;

  SyncAnswer Sync = SyncAnswer::Zeros;
  bool SilentRateSelect = false;  // no echo to B1..B3 (nor to B0 once synchronised)
  bool WrongRateEcho = false;     // echoes every rate command with a wrong byte
  Answer Version = Answer::Full;  // Short: the first 4 of the 8 bytes
  Answer Status = Answer::Full;   // Short: SRD without SRD1
  bool WrongID = false;           // every ID is refused
  bool EraseError = false;        // erases fail: erase status bit set
  bool ProgramError = false;      // programs fail: program status bit set
  bool EraseHangs = false;        // an erase never ends, so its status never comes
  bool ProgramHangs = false;      // a page program never ends, so its status never comes
  // Page address -> how many reads of that page go wrong (a negative count: every read).
  // A lost read drops the page's byte at offset 0x80; a corrupted read inverts it.
  std::map<std::uint32_t, int> LostBytePages;
  std::map<std::uint32_t, int> CorruptPages;
};

struct BootloaderSettings {
  std::array<std::uint8_t, 7> SoftwareID{0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x01};
  std::array<std::uint8_t, 8> VersionText{'V', 'E', 'R', '.', '1', '.', '0', '0'};
  std::array<bool, 7> LockedBlocks{};  // by index of FlashBlockTable
  BootloaderTime BlockEraseTime = std::chrono::milliseconds(30);
  BootloaderTime EraseAllTime = std::chrono::milliseconds(35);
  BootloaderTime PageProgramTime = std::chrono::milliseconds(2);
  bool PaceLine = true;  // each byte sent takes 10 bit times at the current rate
  BootloaderFaults Faults;
};

// One byte sent by the bootloader: At is when its stop bit has reached the other end.
struct LineByte {
  BootloaderTime At;
  std::uint8_t Value;
  bool operator==(const LineByte&) const = default;
};

// How the sender's port is set; a byte sent at another rate or format is lost on the line.
struct SenderLine {
  std::uint32_t Baud = 9600;
  bool EightBitsNoParity = true;
};

// The controller's serial bootloader with its 256 KB flash. It is fed the bytes the controller
// receives, with the time each arrives, and yields the bytes it answers with the time each
// reaches the host. No threads, no clock of its own: a virtual clock can drive it.
class SimulatedBootloader {
 public:
  static constexpr std::uint32_t FlashStart = 0xC0000;
  static constexpr std::uint32_t FlashEnd = 0xFFFFF;
  static constexpr std::uint32_t FlashBytes = FlashEnd + 1 - FlashStart;
  static constexpr std::uint32_t PageBytes = 256;
  static constexpr std::array<std::uint32_t, 8> FlashBlockTable{
      0xC0000, 0xD0000, 0xE0000, 0xF0000, 0xF8000, 0xFA000, 0xFC000, 0x100000};

  // Status word bits: SRD in bits 0..7, SRD1 in bits 8..15.
  static constexpr std::uint16_t StatusReady = 0x0080;
  static constexpr std::uint16_t StatusEraseError = 0x0020;
  static constexpr std::uint16_t StatusProgramError = 0x0010;
  static constexpr std::uint16_t StatusIDMismatch = 0x0400;  // bit 10 alone
  static constexpr std::uint16_t StatusIDVerified = 0x0C00;  // bits 10 and 11

  explicit SimulatedBootloader(BootloaderSettings settings = {});

  // The reset switch: 9600 bit/s, not synchronised, ID not verified, status clear, lock bits
  // enabled, nothing pending. The flash keeps its contents.
  void Reset();

  // One byte from the line, arrived at `at` (never earlier than a previous byte). Given the
  // sender's line, a byte sent at another rate or format than the bootloader's is lost.
  void Receive(std::uint8_t value, BootloaderTime at, SenderLine sender);
  void Receive(std::uint8_t value, BootloaderTime at);

  // Bytes answered so far and not yet taken, in line order. At most MaxUnsentBytes wait: an
  // answer that does not fit behind them is dropped, as by a host that never reads.
  static constexpr std::size_t MaxUnsentBytes = 65536;
  const std::deque<LineByte>& PendingBytes() const { return output_; }
  std::optional<BootloaderTime> NextByteTime() const;
  std::vector<LineByte> TakeBytesUntil(BootloaderTime now);
  std::vector<LineByte> TakeAllBytes();
  void DiscardOutput();

  // The rate the bootloader sends and receives at, at time `at` (a rate command's switch
  // happens once its echo has gone out).
  std::uint32_t Baud(BootloaderTime at) const;
  bool Synchronised() const { return synchronised_; }
  bool IDVerified() const { return idState_ == StatusIDVerified; }
  std::uint16_t StatusWord(BootloaderTime at) const;
  bool Busy(BootloaderTime at) const { return at < busyUntil_; }

  // Flash contents from FlashStart; the revision counts erases and programs.
  std::span<const std::uint8_t> Flash() const { return flash_; }
  std::uint64_t FlashRevision() const { return flashRevision_; }
  // Loads a whole flash (FlashBytes bytes); any other size is refused with false.
  bool LoadFlash(std::span<const std::uint8_t> contents);

  // Faults may be switched at any time; they apply from the next byte on.
  BootloaderFaults& Faults() { return settings_.Faults; }

  // A line on each command handled, for watching a session (none when not set).
  void SetTrace(std::function<void(const std::string&)> trace) { trace_ = std::move(trace); }

 private:
  void HandleByte(std::uint8_t value, BootloaderTime at);
  void CountSyncZero(BootloaderTime at);
  void AnswerZeros(BootloaderTime at);
  void AnswerFinalB0(std::uint8_t value, BootloaderTime at);
  std::size_t CommandLength() const;
  static bool NeedsVerifiedID(std::uint8_t command);
  void RunCommand(const std::vector<std::uint8_t>& command, BootloaderTime at);
  void SelectRate(std::uint8_t code, BootloaderTime at);
  void AnswerVersion(BootloaderTime at);
  void CheckID(const std::vector<std::uint8_t>& command);
  void AnswerStatus(BootloaderTime at);
  bool Confirmed(const std::vector<std::uint8_t>& command);
  void EraseAll(const std::vector<std::uint8_t>& command, BootloaderTime at);
  void EraseBlock(const std::vector<std::uint8_t>& command, BootloaderTime at);
  void FailErase(const std::string& why);
  void ProgramPage(const std::vector<std::uint8_t>& command, BootloaderTime at);
  // Why an erase or program of the block is refused; empty when it is not.
  std::string Refusal(std::optional<std::size_t> block, bool fault) const;
  void AnswerPageRead(const std::vector<std::uint8_t>& command, BootloaderTime at);
  // Marks the bootloader busy for an erase or program; false when the operation never ends.
  bool StartOperation(BootloaderTime duration, bool hangs, BootloaderTime at);
  static std::uint32_t PageAddress(const std::vector<std::uint8_t>& command);
  static std::optional<std::size_t> BlockOf(std::uint32_t address);
  bool BlockLocked(std::size_t block) const;
  void EraseBlockContents(std::size_t block);
  void Answer(std::vector<std::uint8_t> bytes, BootloaderTime at);
  void Trace(const std::string& line) const;

  BootloaderSettings settings_;
  std::vector<std::uint8_t> flash_;
  std::uint64_t flashRevision_ = 0;
  std::function<void(const std::string&)> trace_;

  bool synchronised_ = false;
  int zeroCount_ = 0;
  bool awaitingFinalB0_ = false;
  std::uint32_t baud_ = 9600;
  std::uint32_t previousBaud_ = 9600;
  BootloaderTime baudSwitchAt_{};
  std::uint16_t idState_ = 0;
  std::uint16_t srdErrors_ = 0;
  bool lockBitsEnabled_ = true;
  std::array<bool, 7> locked_{};
  BootloaderTime busyUntil_{};
  bool hung_ = false;  // an operation that never ends: nothing more is read until a reset
  std::vector<std::uint8_t> command_;
  BootloaderTime lastArrival_{};

  BootloaderTime lineFreeAt_{};
  std::deque<LineByte> output_;
};

}  // namespace trv
