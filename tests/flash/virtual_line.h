#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "flash/bootloader_line.h"
#include "flash/flash_clock.h"
#include "simulator/simulated_bootloader.h"

namespace trv::test {

// What the job did on the line, in order.
struct TLineEvent {
  enum TKind { Write, Pause, Purge, SetBaud, Open, Close };
  TKind Kind;
  std::int64_t Value;  // the byte, the pause in microseconds or the rate
  BootloaderTime At;
  bool operator==(const TLineEvent&) const = default;
};

// A serial line to the simulated controller and a clock, in virtual time: writes go out at the
// line rate behind each other, pauses and read time-outs move the clock, nothing waits for real.
class TVirtualLine final : public TBootloaderLine, public TFlashClock {
 public:
  explicit TVirtualLine(SimulatedBootloader& peer) : FPeer(peer) {}

  void SetCommPort(TCommPort port) override;
  void SetBaud(TCommBaud baud) override;
  TCommBaud Baud() const override { return FBaud; }
  void Open() override;
  void Close() override;
  void Write(std::uint8_t byte) override;
  bool Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override;
  void PurgeComms() override;

  Duration Now() override;
  void Sleep(Duration pause) override;

  // Faults of the port itself.
  bool FailOpen = false;
  bool FailSetCommPort = false;
  // The text raised by a rate change on the open line.
  std::optional<std::string> SetBaudFailure;
  // Called with each byte written, before it goes out.
  std::function<void(std::uint8_t)> OnWrite;

  bool IsOpen() const { return FOpen; }
  int OpenCount() const { return FOpenCount; }
  TCommPort CommPort() const { return FCommPort; }
  BootloaderTime VirtualNow() const { return FNow; }
  const std::vector<TLineEvent>& Events() const { return FEvents; }
  std::vector<std::uint8_t> WrittenBytes() const;
  void ClearEvents() { FEvents.clear(); }

 private:
  void TakeArrivedBytes(BootloaderTime until);
  void Record(TLineEvent::TKind kind, std::int64_t value);

  SimulatedBootloader& FPeer;
  TCommPort FCommPort = spCOM1;
  TCommBaud FBaud = cb9600;
  bool FOpen = false;
  int FOpenCount = 0;
  BootloaderTime FNow{};
  BootloaderTime FLineFreeAt{};
  std::deque<LineByte> FInput;
  std::vector<TLineEvent> FEvents;
};

// One bootloader command as the host sent it.
struct TCommand {
  std::uint8_t Code;
  std::uint32_t Address;           // page and block commands
  std::vector<std::uint8_t> Data;  // ID bytes, page data
  bool operator==(const TCommand&) const = default;
};

// The host's bytes split into commands by their known lengths; a byte of no command is a
// command of its own.
std::vector<TCommand> ParseCommands(const std::vector<std::uint8_t>& bytes);
std::vector<TCommand> CommandsWithCode(const std::vector<TCommand>& commands, std::uint8_t code);

}  // namespace trv::test
