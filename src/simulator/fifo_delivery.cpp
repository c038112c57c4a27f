#include "simulator/fifo_delivery.h"

#include <algorithm>

namespace trv {

std::optional<BootloaderTime> NextFifoDelivery(const std::deque<LineByte>& pending) {
  if (pending.empty()) return std::nullopt;
  const BootloaderTime first = pending.front().At;
  BootloaderTime due = first;
  for (std::size_t i = 1; i < std::min(FifoBytes, pending.size()); ++i) {
    if (pending[i].At - first > FifoWindow) break;
    due = pending[i].At;
  }
  return due;
}

}  // namespace trv
