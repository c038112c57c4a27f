#include "simulator/line_pacer.h"

namespace trv {

void LinePacer::Add(std::span<const LineByte> bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

std::optional<BootloaderTime> LinePacer::NextDelivery() const {
  if (pending_.empty()) return std::nullopt;
  const BootloaderTime first = pending_.front().At;
  BootloaderTime due = first;
  for (std::size_t i = 1; i < std::min(FifoBytes, pending_.size()); ++i) {
    if (pending_[i].At - first > FifoWindow) break;
    due = pending_[i].At;
  }
  return due;
}

std::vector<std::uint8_t> LinePacer::TakeDue(BootloaderTime now) {
  std::vector<std::uint8_t> due;
  while (!pending_.empty() && pending_.front().At <= now) {
    due.push_back(pending_.front().Value);
    pending_.pop_front();
  }
  return due;
}

}  // namespace trv
