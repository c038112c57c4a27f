#include "virtual_line.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace trv::test {

namespace {

// Ten bit times at the rate.
BootloaderTime ByteTime(std::uint32_t baud) {
  return std::chrono::duration_cast<BootloaderTime>(std::chrono::seconds(10)) / baud;
}

}  // namespace

std::vector<TCommand> ParseCommands(const std::vector<std::uint8_t>& bytes) {
  const auto addressAt = [&](std::size_t i) {
    return static_cast<std::uint32_t>(bytes[i + 1] << 8 | bytes[i + 2] << 16);
  };
  const auto dataOf = [&](std::size_t from, std::size_t count) {
    return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
  };
  std::vector<TCommand> commands;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t code = bytes[i];
    const std::size_t left = bytes.size() - i;
    if (code == 0xF5 && left >= 12) {
      commands.push_back({code, 0, dataOf(i + 5, 7)});
      i += 12;
    } else if (code == 0x41 && left >= 259) {
      commands.push_back({code, addressAt(i), dataOf(i + 3, 256)});
      i += 259;
    } else if (code == 0xFF && left >= 3) {
      commands.push_back({code, addressAt(i), {}});
      i += 3;
    } else if (code == 0x20 && left >= 4) {
      commands.push_back({code, addressAt(i), dataOf(i + 3, 1)});
      i += 4;
    } else if (code == 0xA7 && left >= 2) {
      commands.push_back({code, 0, dataOf(i + 1, 1)});
      i += 2;
    } else {
      commands.push_back({code, 0, {}});
      i += 1;
    }
  }
  return commands;
}

std::vector<TCommand> CommandsWithCode(const std::vector<TCommand>& commands, std::uint8_t code) {
  std::vector<TCommand> found;
  std::copy_if(commands.begin(), commands.end(), std::back_inserter(found),
               [&](const TCommand& command) { return command.Code == code; });
  return found;
}

void TVirtualLine::SetCommPort(TCommPort port) {
  if (FailSetCommPort) throw std::runtime_error("Unable to open communications port");
  FCommPort = port;
}

void TVirtualLine::SetBaud(TCommBaud baud) {
  if (FOpen && SetBaudFailure) throw std::runtime_error(*SetBaudFailure);
  FBaud = baud;
  Record(TLineEvent::SetBaud, BaudRateOf(baud));
}

void TVirtualLine::Open() {
  if (FailOpen || FOpen) throw std::runtime_error("Unable to open communications port");
  // Bytes that came while the port was closed are lost.
  TakeArrivedBytes(FNow);
  FInput.clear();
  FOpen = true;
  ++FOpenCount;
  Record(TLineEvent::Open, 0);
}

void TVirtualLine::Close() {
  if (!FOpen) return;
  // Closing discards what was received and not read.
  TakeArrivedBytes(FNow);
  FInput.clear();
  FOpen = false;
  Record(TLineEvent::Close, 0);
}

void TVirtualLine::Write(std::uint8_t byte) {
  if (!FOpen) return;
  if (OnWrite) OnWrite(byte);
  Record(TLineEvent::Write, byte);
  const auto rate = static_cast<std::uint32_t>(BaudRateOf(FBaud));
  FLineFreeAt = std::max(FLineFreeAt, FNow) + ByteTime(rate);
  FPeer.Receive(byte, FLineFreeAt, SenderLine{rate, true});
}

bool TVirtualLine::Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) {
  if (!FOpen) return false;
  const BootloaderTime deadline = FNow + timeout;
  TakeArrivedBytes(deadline);
  if (FInput.size() < buffer.size() || FInput[buffer.size() - 1].At > deadline) {
    FNow = deadline;
    return false;
  }
  FNow = std::max(FNow, FInput[buffer.size() - 1].At);
  for (std::uint8_t& byte : buffer) {
    byte = FInput.front().Value;
    FInput.pop_front();
  }
  return true;
}

void TVirtualLine::PurgeComms() {
  TakeArrivedBytes(FNow);
  while (!FInput.empty() && FInput.front().At <= FNow) FInput.pop_front();
  Record(TLineEvent::Purge, 0);
}

TFlashClock::Duration TVirtualLine::Now() {
  return std::chrono::duration_cast<Duration>(FNow);
}

void TVirtualLine::Sleep(Duration pause) {
  Record(TLineEvent::Pause, pause.count());
  FNow += pause;
}

std::vector<std::uint8_t> TVirtualLine::WrittenBytes() const {
  std::vector<std::uint8_t> bytes;
  for (const TLineEvent& event : FEvents) {
    if (event.Kind == TLineEvent::Write) bytes.push_back(static_cast<std::uint8_t>(event.Value));
  }
  return bytes;
}

void TVirtualLine::TakeArrivedBytes(BootloaderTime until) {
  for (const LineByte& byte : FPeer.TakeBytesUntil(until)) FInput.push_back(byte);
}

void TVirtualLine::Record(TLineEvent::TKind kind, std::int64_t value) {
  FEvents.push_back({kind, value, FNow});
}

}  // namespace trv::test
