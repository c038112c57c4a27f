#pragma once

#include "flash/bootloader_line.h"
#include "serial/serial_comms.h"

namespace trv {

// The bootloader line on a real port, through the serial port component.
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
  TSerialComms FComms;
};

}  // namespace trv
