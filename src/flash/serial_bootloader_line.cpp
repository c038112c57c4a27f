#include "flash/serial_bootloader_line.h"

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
  FComms.Open();
}

void TSerialBootloaderLine::Close() {
  FComms.Close();
}

void TSerialBootloaderLine::Write(std::uint8_t byte) {
  FComms.Write(byte);
}

bool TSerialBootloaderLine::Read(std::span<std::uint8_t> buffer,
                                 std::chrono::milliseconds timeout) {
  const auto count = static_cast<std::int32_t>(buffer.size());
  const auto timeoutMs = static_cast<std::uint32_t>(timeout.count());
  return FComms.Read(buffer.data(), count, timeoutMs) == count;
}

void TSerialBootloaderLine::PurgeComms() {
  FComms.PurgeComms();
}

}  // namespace trv
