#include "flash/serial_bootloader_line.h"

#include <algorithm>

namespace trv {

TSerialBootloaderLine::TSerialBootloaderLine(TUiDispatcher& dispatcher) : FComms(&dispatcher) {}

void TSerialBootloaderLine::SetCommPort(TCommPort port) {
  FComms.SetCommPort(port);
}

void TSerialBootloaderLine::SetBaud(TCommBaud baud) {
  FComms.SetBaud(baud);
}

TCommBaud TSerialBootloaderLine::Baud() const {
  return FComms.Baud();
}

void TSerialBootloaderLine::Open() {
  FTaken.clear();
  FNext = 0;
  FComms.Open();
}

void TSerialBootloaderLine::Close() {
  FComms.Close();
  FTaken.clear();
  FNext = 0;
}

void TSerialBootloaderLine::Write(std::uint8_t byte) {
  FComms.Write(byte);
}

bool TSerialBootloaderLine::Read(std::span<std::uint8_t> buffer,
                                 std::chrono::milliseconds timeout) {
  if (!TakeQueued(buffer.size(), timeout)) return false;
  const auto first = FTaken.begin() + static_cast<std::ptrdiff_t>(FNext);
  std::copy(first, first + static_cast<std::ptrdiff_t>(buffer.size()), buffer.begin());
  FNext += buffer.size();
  return true;
}

void TSerialBootloaderLine::PurgeComms() {
  FComms.PurgeComms();
  FTaken.clear();
  FNext = 0;
}

// Makes `wanted` bytes ready in FTaken: every byte queued in the driver when that is enough,
// otherwise the missing ones within the time-out, as the port's own read waits for them.
bool TSerialBootloaderLine::TakeQueued(std::size_t wanted, std::chrono::milliseconds timeout) {
  const std::size_t ready = FTaken.size() - FNext;
  if (ready >= wanted) return true;
  FTaken.erase(FTaken.begin(), FTaken.begin() + static_cast<std::ptrdiff_t>(FNext));
  FNext = 0;
  const std::size_t missing = wanted - ready;
  const auto queued = static_cast<std::size_t>(std::max(FComms.GetAvailableByteCount(), 0));
  if (queued >= missing && Take(queued, std::chrono::milliseconds(0))) return true;
  return Take(missing, timeout);
}

bool TSerialBootloaderLine::Take(std::size_t count, std::chrono::milliseconds timeout) {
  const std::size_t ready = FTaken.size();
  FTaken.resize(ready + count);
  const auto wanted = static_cast<std::int32_t>(count);
  const auto timeoutMs = static_cast<std::uint32_t>(timeout.count());
  if (FComms.Read(FTaken.data() + ready, wanted, timeoutMs) == wanted) return true;
  FTaken.resize(ready);
  return false;
}

}  // namespace trv
