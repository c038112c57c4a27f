#pragma once

#include <cstdint>
#include <vector>

#include "flash/bootloader_line.h"
#include "serial/serial_comms.h"

namespace trv {

// The bootloader line on a real port, through the serial port component. A read takes every
// byte already queued in the driver, so that the single-byte reads of a page cost no system
// call each; purging and closing drop those bytes as they drop the driver's.
class TSerialBootloaderLine final : public TBootloaderLine {
 public:
  // The dispatcher must outlive the line.
  explicit TSerialBootloaderLine(TUiDispatcher& dispatcher);

  void SetCommPort(TCommPort port) override;
  void SetBaud(TCommBaud baud) override;
  TCommBaud Baud() const override;
  void Open() override;
  void Close() override;
  void Write(std::uint8_t byte) override;
  bool Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override;
  void PurgeComms() override;

 private:
  bool TakeQueued(std::size_t wanted, std::chrono::milliseconds timeout);
  bool Take(std::size_t count, std::chrono::milliseconds timeout);

  TSerialComms FComms;
  std::vector<std::uint8_t> FTaken;  // received and not yet handed out, in line order
  std::size_t FNext = 0;             // the next byte of FTaken to hand out
};

}  // namespace trv
