#pragma once

#include <chrono>
#include <cstdint>
#include <span>

#include "serial/serial_comms.h"

namespace trv {

// The serial line as a flash job uses it. Open raises on failure; Read and Write never raise.
class TBootloaderLine {
 public:
  virtual ~TBootloaderLine() = default;

  virtual void SetCommPort(TCommPort port) = 0;
  // Before opening, or while open taking effect at once.
  virtual void SetBaud(TCommBaud baud) = 0;
  virtual TCommBaud Baud() const = 0;

  virtual void Open() = 0;
  // Harmless when closed.
  virtual void Close() = 0;

  virtual void Write(std::uint8_t byte) = 0;
  // Waits up to the time-out until buffer.size() bytes have come and takes them all; false,
  // taking nothing, when the time-out passed first.
  virtual bool Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) = 0;
  // Discards received bytes not yet read.
  virtual void PurgeComms() = 0;
};

}  // namespace trv
