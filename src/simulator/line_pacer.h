#pragma once

#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "simulator/simulated_bootloader.h"

namespace trv {

// Hands the bootloader's line bytes to the host the way a UART's receive FIFO does: in runs of
// up to 16 bytes, each run when its last byte has arrived, so no byte is early and the host is
// not woken for every byte.
class LinePacer {
 public:
  static constexpr std::size_t FifoBytes = 16;
  static constexpr BootloaderTime FifoWindow = std::chrono::milliseconds(3);

  void Add(std::span<const LineByte> bytes);
  // When the next run is due; nothing when no byte waits.
  std::optional<BootloaderTime> NextDelivery() const;
  std::vector<std::uint8_t> TakeDue(BootloaderTime now);
  void Clear() { pending_.clear(); }

 private:
  std::deque<LineByte> pending_;
};

}  // namespace trv
