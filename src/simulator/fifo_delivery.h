#pragma once

#include <deque>
#include <optional>

#include "simulator/simulated_bootloader.h"

namespace trv {

// The bootloader's line bytes reach the host the way a UART's receive FIFO hands them on: in
// runs of up to 16 bytes, each run once its last byte has arrived, so that no byte is early and
// the host is not woken for every byte.
constexpr std::size_t FifoBytes = 16;
constexpr BootloaderTime FifoWindow = std::chrono::milliseconds(3);

// When the run at the front of `pending` is due; nothing when no byte waits.
std::optional<BootloaderTime> NextFifoDelivery(const std::deque<LineByte>& pending);

}  // namespace trv
