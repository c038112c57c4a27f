#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "serial/serial_error.h"

namespace trv {

// One serial device opened exclusively with POSIX termios, non-blocking; every wait sleeps in
// ppoll. The serial component's platform back end.
class TPosixSerialDevice {
 public:
  using TClock = std::chrono::steady_clock;

  enum class TWakeReason { Input, Other, Failed };

  TPosixSerialDevice() = default;
  ~TPosixSerialDevice();
  TPosixSerialDevice(const TPosixSerialDevice&) = delete;
  TPosixSerialDevice& operator=(const TPosixSerialDevice&) = delete;

  // Why the device would not open (absent, not a terminal, in use by another opener, not
  // accessible); nothing when it did.
  std::optional<TOpenFailure> Open(const std::string& path);
  // Puts back the line settings the device had when it was opened.
  void Close();
  bool IsOpen() const { return FHandle >= 0; }

  std::optional<termios> FetchLineSettings() const;
  bool StoreLineSettings(const termios& settings);
  // Reads never time out in the driver; a write of n bytes gives up after n * msPerByte.
  bool SetTimeouts(std::uint32_t writeMsPerByte);
  // Best effort: a pseudo-terminal has no modem lines.
  void HoldModemLinesOff();

  std::int32_t QueuedCount() const;
  void DiscardInput();

  // Takes exactly count bytes that are already queued; false when they could not all be taken
  // by the deadline (a competing reader got some).
  bool Take(std::uint8_t* buffer, std::int32_t count, TClock::time_point deadline);
  // Sleeps until `wanted` bytes may be queued (`queued` are), at most until the deadline; false
  // when the device has failed or hung up.
  bool AwaitInput(std::int32_t queued, std::int32_t wanted, TClock::time_point deadline);
  // Sleeps until input is queued or `other` is readable.
  TWakeReason AwaitInputOr(int other);

  // Bytes handed to the driver and sent, within the write time-out; 0 on failure.
  std::int32_t Write(const std::uint8_t* buffer, std::int32_t count);

 private:
  bool SetWakeCount(std::int32_t count);
  bool Pause(TClock::duration lineTime, TClock::time_point deadline);
  bool WaitWritable(TClock::time_point deadline);
  void WaitUntilSent(TClock::time_point deadline);
  TClock::duration LineTime(std::int32_t bytes) const;

  int FHandle = -1;
  std::optional<termios> FSettingsAtOpen;
  std::int32_t FWakeCount = 1;
  std::uint32_t FWriteMsPerByte = 0;
  std::int32_t FBitsPerSecond = 9600;
};

// The line settings of the component: raw 8N1 at the given rate, receiver on, modem status
// ignored, no flow control of any kind; the control characters keep what `current` holds.
termios MakeLineSettings(const termios& current, std::int32_t bitsPerSecond);

}  // namespace trv
