#include "simulator/simulated_bootloader.h"

#include <algorithm>
#include <cstdio>

namespace trv {

namespace {

constexpr std::uint8_t SyncZero = 0x00;
constexpr std::uint8_t RateCommand9600 = 0xB0;
constexpr std::uint8_t RateCommand57600 = 0xB3;
constexpr std::uint8_t VersionCommand = 0xFB;
constexpr std::uint8_t IDCheckCommand = 0xF5;
constexpr std::uint8_t ReadStatusCommand = 0x70;
constexpr std::uint8_t ClearStatusCommand = 0x50;
constexpr std::uint8_t LockBitDisableCommand = 0x75;
constexpr std::uint8_t EraseAllCommand = 0xA7;
constexpr std::uint8_t BlockEraseCommand = 0x20;
constexpr std::uint8_t PageProgramCommand = 0x41;
constexpr std::uint8_t PageReadCommand = 0xFF;
constexpr std::uint8_t ConfirmCommand = 0xD0;
constexpr std::uint8_t WrongRateEchoValue = 0xBF;

constexpr int SyncZeroCount = 16;
constexpr std::uint32_t IDAreaAddress = 0x0FFFDF;
constexpr std::size_t IDCheckHeaderBytes = 5;   // F5, three address bytes, length
constexpr std::size_t AddressCommandBytes = 3;  // command, A8-A15, A16-A23
constexpr std::size_t VersionShortBytes = 4;
constexpr std::size_t FaultByteOffset = 0x80;  // where a faulty page read goes wrong
constexpr std::uint32_t RateFor[] = {9600, 19200, 38400, 57600};
constexpr int BitsPerByte = 10;  // start bit, 8 data bits, stop bit

BootloaderTime ByteTime(std::uint32_t baud) {
  return std::chrono::duration_cast<BootloaderTime>(std::chrono::seconds(BitsPerByte)) / baud;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
  return text;
}

// Consumes one use of a fault counted per page; a negative count never runs out.
bool TakeFaultUse(std::map<std::uint32_t, int>& faults, std::uint32_t page) {
  auto found = faults.find(page);
  if (found == faults.end() || found->second == 0) return false;
  if (found->second > 0) --found->second;
  return true;
}

}  // namespace

SimulatedBootloader::SimulatedBootloader(BootloaderSettings settings)
    : settings_(std::move(settings)), flash_(FlashBytes, 0xFF), locked_(settings_.LockedBlocks) {
  Reset();
}

void SimulatedBootloader::Reset() {
  synchronised_ = false;
  zeroCount_ = 0;
  awaitingFinalB0_ = false;
  baud_ = previousBaud_ = 9600;
  baudSwitchAt_ = BootloaderTime{};
  idState_ = 0;
  srdErrors_ = 0;
  lockBitsEnabled_ = true;
  busyUntil_ = BootloaderTime{};
  hung_ = false;
  command_.clear();
  lastArrival_ = BootloaderTime{};
  DiscardOutput();
}

void SimulatedBootloader::Receive(std::uint8_t value, BootloaderTime at) {
  Receive(value, at, SenderLine{Baud(at), true});
}

void SimulatedBootloader::Receive(std::uint8_t value, BootloaderTime at, SenderLine sender) {
  at = std::max(at, lastArrival_);
  lastArrival_ = at;
  if (sender.Baud != Baud(at) || !sender.EightBitsNoParity) {
    Trace("byte " + Hex(value) + " lost: sent at " + std::to_string(sender.Baud) +
          " bit/s, bootloader at " + std::to_string(Baud(at)));
    return;
  }
  // Nothing is read while an erase or program runs: the byte waits in the receive buffer.
  if (hung_) return;
  HandleByte(value, std::max(at, busyUntil_));
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
  lineFreeAt_ = BootloaderTime{};  // what was discarded never takes the line
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

void SimulatedBootloader::HandleByte(std::uint8_t value, BootloaderTime at) {
  if (command_.empty() && value == SyncZero) return CountSyncZero(at);
  zeroCount_ = 0;
  // Still adjusting to the host's rate: only the B0 that may end the zeros counts.
  if (!synchronised_) return AnswerFinalB0(value, at);
  command_.push_back(value);
  if (command_.size() < CommandLength()) return;
  std::vector<std::uint8_t> command;
  command.swap(command_);
  RunCommand(command, at);
}

void SimulatedBootloader::CountSyncZero(BootloaderTime at) {
  if (++zeroCount_ == SyncZeroCount) AnswerZeros(at);
}

void SimulatedBootloader::AnswerZeros(BootloaderTime at) {
  switch (settings_.Faults.Sync) {
    case BootloaderFaults::SyncAnswer::Zeros:
      Trace("sixteen zeros: synchronised, answer B0");
      synchronised_ = true;
      Answer({RateCommand9600}, at);
      return;
    case BootloaderFaults::SyncAnswer::FinalB0Only:
      Trace("sixteen zeros: waiting for B0");
      awaitingFinalB0_ = true;
      return;
    case BootloaderFaults::SyncAnswer::None:
      Trace("sixteen zeros: no answer (fault)");
      return;
  }
}

void SimulatedBootloader::AnswerFinalB0(std::uint8_t value, BootloaderTime at) {
  if (value != RateCommand9600 || !awaitingFinalB0_) return;
  Trace("B0 after the zeros: synchronised, echo B0");
  awaitingFinalB0_ = false;
  synchronised_ = true;
  Answer({RateCommand9600}, at);
}

std::size_t SimulatedBootloader::CommandLength() const {
  switch (command_.front()) {
    case EraseAllCommand:
      return 2;
    case BlockEraseCommand:
      return AddressCommandBytes + 1;
    case PageProgramCommand:
      return AddressCommandBytes + PageBytes;
    case PageReadCommand:
      return AddressCommandBytes;
    case IDCheckCommand:
      return command_.size() < IDCheckHeaderBytes
                 ? IDCheckHeaderBytes
                 : IDCheckHeaderBytes + command_[IDCheckHeaderBytes - 1];
    default:
      return 1;
  }
}

bool SimulatedBootloader::NeedsVerifiedID(std::uint8_t command) {
  switch (command) {
    case LockBitDisableCommand:
    case EraseAllCommand:
    case BlockEraseCommand:
    case PageProgramCommand:
    case PageReadCommand:
      return true;
    default:
      return false;
  }
}

void SimulatedBootloader::RunCommand(const std::vector<std::uint8_t>& command, BootloaderTime at) {
  const std::uint8_t code = command.front();
  if (NeedsVerifiedID(code) && !IDVerified()) {
    Trace("command " + Hex(code) + " refused: ID not verified");
    return;
  }
  if (code >= RateCommand9600 && code <= RateCommand57600) return SelectRate(code, at);
  switch (code) {
    case VersionCommand:
      return AnswerVersion(at);
    case IDCheckCommand:
      return CheckID(command);
    case ReadStatusCommand:
      return AnswerStatus(at);
    case ClearStatusCommand:
      Trace("clear status");
      srdErrors_ = 0;
      return;
    case LockBitDisableCommand:
      Trace("lock bit disable");
      lockBitsEnabled_ = false;
      return;
    case EraseAllCommand:
      return EraseAll(command, at);
    case BlockEraseCommand:
      return EraseBlock(command, at);
    case PageProgramCommand:
      return ProgramPage(command, at);
    case PageReadCommand:
      return AnswerPageRead(command, at);
    default:
      Trace("byte " + Hex(code) + " ignored: no such command");
      return;
  }
}

void SimulatedBootloader::SelectRate(std::uint8_t code, BootloaderTime at) {
  const BootloaderFaults& faults = settings_.Faults;
  if (faults.SilentRateSelect) return Trace("rate command " + Hex(code) + ": no echo (fault)");
  if (faults.WrongRateEcho) {
    Trace("rate command " + Hex(code) + ": wrong echo (fault)");
    return Answer({WrongRateEchoValue}, at);
  }
  const std::uint32_t newBaud = RateFor[code - RateCommand9600];
  Trace("rate command " + Hex(code) + ": echo, then " + std::to_string(newBaud) + " bit/s");
  Answer({code}, at);
  previousBaud_ = Baud(at);
  baud_ = newBaud;
  baudSwitchAt_ = lineFreeAt_;
}

void SimulatedBootloader::AnswerVersion(BootloaderTime at) {
  const auto& text = settings_.VersionText;
  switch (settings_.Faults.Version) {
    case BootloaderFaults::Answer::Full:
      Trace("version");
      return Answer({text.begin(), text.end()}, at);
    case BootloaderFaults::Answer::Short:
      Trace("version: short answer (fault)");
      return Answer({text.begin(), text.begin() + VersionShortBytes}, at);
    case BootloaderFaults::Answer::None:
      return Trace("version: no answer (fault)");
  }
}

void SimulatedBootloader::CheckID(const std::vector<std::uint8_t>& command) {
  const std::uint32_t address = command[1] | command[2] << 8 | command[3] << 16;
  const std::span<const std::uint8_t> id(command.begin() + IDCheckHeaderBytes, command.end());
  const auto& expected = settings_.SoftwareID;
  const bool matches = address == IDAreaAddress &&
                       std::equal(id.begin(), id.end(), expected.begin(), expected.end()) &&
                       !settings_.Faults.WrongID;
  Trace(matches ? "ID check: verified" : "ID check: mismatch");
  idState_ = matches ? StatusIDVerified : StatusIDMismatch;
}

void SimulatedBootloader::AnswerStatus(BootloaderTime at) {
  const std::uint16_t status = StatusWord(at);
  const auto srd = static_cast<std::uint8_t>(status & 0xFF);
  const auto srd1 = static_cast<std::uint8_t>(status >> 8);
  switch (settings_.Faults.Status) {
    case BootloaderFaults::Answer::Full:
      Trace("status " + Hex(srd) + " " + Hex(srd1));
      return Answer({srd, srd1}, at);
    case BootloaderFaults::Answer::Short:
      Trace("status " + Hex(srd) + ", SRD1 left out (fault)");
      return Answer({srd}, at);
    case BootloaderFaults::Answer::None:
      return Trace("status: no answer (fault)");
  }
}

bool SimulatedBootloader::Confirmed(const std::vector<std::uint8_t>& command) {
  if (command.back() == ConfirmCommand) return true;
  // A command sequence error shows as both error bits.
  Trace("command " + Hex(command.front()) + " not confirmed by D0");
  srdErrors_ |= StatusEraseError | StatusProgramError;
  return false;
}

void SimulatedBootloader::EraseAll(const std::vector<std::uint8_t>& command, BootloaderTime at) {
  if (!Confirmed(command)) return;
  if (!StartOperation(settings_.EraseAllTime, settings_.Faults.EraseHangs, at)) return;
  if (settings_.Faults.EraseError) return FailErase("erase all: error (fault)");
  // Locked blocks are left as they are, without an error.
  Trace("erase all unlocked blocks");
  for (std::size_t block = 0; block + 1 < FlashBlockTable.size(); ++block) {
    if (!BlockLocked(block)) EraseBlockContents(block);
  }
  ++flashRevision_;
}

void SimulatedBootloader::EraseBlock(const std::vector<std::uint8_t>& command, BootloaderTime at) {
  if (!Confirmed(command)) return;
  if (!StartOperation(settings_.BlockEraseTime, settings_.Faults.EraseHangs, at)) return;
  const std::uint32_t address = PageAddress(command);
  const std::optional<std::size_t> block = BlockOf(address);
  if (const std::string refusal = Refusal(block, settings_.Faults.EraseError); !refusal.empty()) {
    return FailErase("block erase " + Hex(address) + refusal);
  }
  Trace("block erase " + Hex(address));
  EraseBlockContents(*block);
  ++flashRevision_;
}

void SimulatedBootloader::FailErase(const std::string& why) {
  Trace(why);
  srdErrors_ |= StatusEraseError;
}

void SimulatedBootloader::ProgramPage(const std::vector<std::uint8_t>& command, BootloaderTime at) {
  if (!StartOperation(settings_.PageProgramTime, settings_.Faults.ProgramHangs, at)) return;
  const std::uint32_t address = PageAddress(command);
  const std::optional<std::size_t> block = BlockOf(address);
  if (const std::string refusal = Refusal(block, settings_.Faults.ProgramError); !refusal.empty()) {
    Trace("page program " + Hex(address) + refusal);
    srdErrors_ |= StatusProgramError;
    return;
  }
  Trace("page program " + Hex(address));
  auto cell = flash_.begin() + (address - FlashStart);
  for (auto data = command.begin() + AddressCommandBytes; data != command.end(); ++data, ++cell) {
    *cell &= *data;  // programming only clears bits
  }
  ++flashRevision_;
}

std::string SimulatedBootloader::Refusal(std::optional<std::size_t> block, bool fault) const {
  if (!block) return ": outside the flash";
  if (BlockLocked(*block)) return ": block locked";
  if (fault) return ": error (fault)";
  return {};
}

void SimulatedBootloader::AnswerPageRead(const std::vector<std::uint8_t>& command,
                                         BootloaderTime at) {
  const std::uint32_t address = PageAddress(command);
  if (!BlockOf(address)) return Trace("page read " + Hex(address) + ": outside the flash");
  const auto first = flash_.begin() + (address - FlashStart);
  std::vector<std::uint8_t> page(first, first + PageBytes);
  if (TakeFaultUse(settings_.Faults.LostBytePages, address)) {
    Trace("page read " + Hex(address) + ": one byte lost (fault)");
    page.erase(page.begin() + FaultByteOffset);
  } else if (TakeFaultUse(settings_.Faults.CorruptPages, address)) {
    Trace("page read " + Hex(address) + ": one byte corrupted (fault)");
    page[FaultByteOffset] = static_cast<std::uint8_t>(~page[FaultByteOffset]);
  } else {
    Trace("page read " + Hex(address));
  }
  Answer(std::move(page), at);
}

bool SimulatedBootloader::StartOperation(BootloaderTime duration, bool hangs, BootloaderTime at) {
  if (hangs) {
    Trace("operation never ends (fault)");
    hung_ = true;
    busyUntil_ = BootloaderTime::max();
    return false;
  }
  busyUntil_ = at + duration;
  return true;
}

std::uint32_t SimulatedBootloader::PageAddress(const std::vector<std::uint8_t>& command) {
  return static_cast<std::uint32_t>(command[1]) << 8 | static_cast<std::uint32_t>(command[2]) << 16;
}

std::optional<std::size_t> SimulatedBootloader::BlockOf(std::uint32_t address) {
  if (address < FlashStart || address > FlashEnd) return std::nullopt;
  const auto next = std::upper_bound(FlashBlockTable.begin(), FlashBlockTable.end(), address);
  return static_cast<std::size_t>(next - FlashBlockTable.begin() - 1);
}

bool SimulatedBootloader::BlockLocked(std::size_t block) const {
  return lockBitsEnabled_ && locked_[block];
}

void SimulatedBootloader::EraseBlockContents(std::size_t block) {
  const auto first = flash_.begin() + (FlashBlockTable[block] - FlashStart);
  const auto last = flash_.begin() + (FlashBlockTable[block + 1] - FlashStart);
  std::fill(first, last, 0xFF);
  locked_[block] = false;  // erasing a block also erases its lock bit
}

void SimulatedBootloader::Answer(std::vector<std::uint8_t> bytes, BootloaderTime at) {
  if (output_.size() + bytes.size() > MaxUnsentBytes) {
    return Trace("answer dropped: " + std::to_string(output_.size()) + " bytes still unsent");
  }
  const BootloaderTime byteTime = settings_.PaceLine ? ByteTime(Baud(at)) : BootloaderTime{};
  BootloaderTime sent = std::max(at, lineFreeAt_);
  for (std::uint8_t value : bytes) {
    sent += byteTime;
    output_.push_back({sent, value});
  }
  lineFreeAt_ = sent;
}

void SimulatedBootloader::Trace(const std::string& line) const {
  if (trace_) trace_(line);
}

}  // namespace trv
