#include "simulator/simulated_bootloader.h"

namespace trv {

SimulatedBootloader::SimulatedBootloader(BootloaderSettings settings)
    : settings_(std::move(settings)), flash_(FlashBytes, 0xFF), locked_(settings_.LockedBlocks) {}

void SimulatedBootloader::Reset() {}

void SimulatedBootloader::Receive(std::uint8_t value, BootloaderTime at) {
  Receive(value, at, SenderLine{Baud(at), true});
}

void SimulatedBootloader::Receive(std::uint8_t, BootloaderTime, SenderLine) {}

void SimulatedBootloader::Receive(std::span<const std::uint8_t> values, BootloaderTime at) {
  for (std::uint8_t value : values) Receive(value, at);
}

std::optional<BootloaderTime> SimulatedBootloader::NextByteTime() const {
  if (output_.empty()) return std::nullopt;
  return output_.front().At;
}

std::vector<LineByte> SimulatedBootloader::TakeBytesUntil(BootloaderTime now) {
  std::vector<LineByte> due;
  while (!output_.empty() && output_.front().At <= now) {
    due.push_back(output_.front());
    output_.pop_front();
  }
  return due;
}

std::vector<LineByte> SimulatedBootloader::TakeAllBytes() {
  std::vector<LineByte> all(output_.begin(), output_.end());
  output_.clear();
  return all;
}

void SimulatedBootloader::DiscardOutput() {
  output_.clear();
}

std::uint32_t SimulatedBootloader::Baud(BootloaderTime at) const {
  return at < baudSwitchAt_ ? previousBaud_ : baud_;
}

std::uint16_t SimulatedBootloader::StatusWord(BootloaderTime at) const {
  return static_cast<std::uint16_t>((Busy(at) ? 0 : StatusReady) | srdErrors_ | idState_);
}

bool SimulatedBootloader::LoadFlash(std::span<const std::uint8_t> contents) {
  if (contents.size() != FlashBytes) return false;
  flash_.assign(contents.begin(), contents.end());
  return true;
}

}  // namespace trv
