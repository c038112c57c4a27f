#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "flash/bootloader_line.h"
#include "flash/flash_clock.h"

namespace trv {

// A record of a job's line for support: every byte written and read, every read that timed
// out and every pause, each with its time. It keeps the latest kCapacityBytes of events,
// dropping the oldest. One job writes it at a time; read it only after the job has ended.
class TLineTrace {
 public:
  static constexpr std::size_t kCapacityBytes = 16 * 1024 * 1024;
  enum class TKind : std::uint8_t { Open, Close, Baud, Purge, Write, Read, ReadTimeout, Pause };
  static constexpr std::size_t kEventSize = 32;
  static constexpr std::size_t kCapacityEvents = kCapacityBytes / kEventSize;

  void Clear();
  bool Empty() const { return FEvents.empty(); }
  // Value: the rate of a Baud, the bytes wanted of a ReadTimeout, the microseconds of a Pause.
  void Add(TKind kind, TFlashClock::Duration at, std::span<const std::uint8_t> bytes = {},
           std::int64_t value = 0);
  // One line an event, oldest first: the time in milliseconds since the first event, then
  // "> " and the bytes written or "< " and the bytes read in hexadecimal, or what happened.
  std::string Text() const;

 private:
  static constexpr std::size_t kEventBytes = 14;
  struct TEvent {
    std::int64_t AtMicroseconds;
    std::int64_t Value;
    TKind Kind;
    std::uint8_t Count;
    std::array<std::uint8_t, kEventBytes> Bytes;
  };
  static_assert(sizeof(TEvent) == kEventSize);

  void Push(const TEvent& event);
  static std::string EventText(const TEvent& event);

  std::vector<TEvent> FEvents;  // a ring once full: FOldest is the oldest event
  std::size_t FOldest = 0;
  std::int64_t FStartMicroseconds = 0;
};

// A line and clock that record into a trace what passes through them to the job's own.
class TTracingLine final : public TBootloaderLine, public TFlashClock {
 public:
  TTracingLine(TBootloaderLine& line, TFlashClock& clock, TLineTrace& trace);

  void SetCommPort(TCommPort port) override { FLine.SetCommPort(port); }
  void SetBaud(TCommBaud baud) override;
  TCommBaud Baud() const override { return FLine.Baud(); }
  void Open() override;
  void Close() override;
  void Write(std::uint8_t byte) override;
  bool Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override;
  void PurgeComms() override;

  Duration Now() override { return FClock.Now(); }
  void Sleep(Duration pause) override;

 private:
  void Note(TLineTrace::TKind kind, std::span<const std::uint8_t> bytes = {},
            std::int64_t value = 0);

  TBootloaderLine& FLine;
  TFlashClock& FClock;
  TLineTrace& FTrace;
};

}  // namespace trv
