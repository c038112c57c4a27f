#include "simulator/simulator_options.h"

#include <charconv>
#include <functional>
#include <map>

namespace trv {

namespace {

constexpr std::size_t IDTextLength = 20;
constexpr std::uint32_t MaxOperationMilliseconds = 60'000;

using Faults = BootloaderFaults;

// A switch without a value.
const std::map<std::string_view, std::function<void(SimulatorOptions&)>>& Switches() {
  static const std::map<std::string_view, std::function<void(SimulatorOptions&)>> switches{
      {"--help", [](SimulatorOptions& o) { o.Help = true; }},
      {"--keep-state", [](SimulatorOptions& o) { o.KeepState = true; }},
      {"--any-line", [](SimulatorOptions& o) { o.AnyLine = true; }},
      {"--no-pacing", [](SimulatorOptions& o) { o.Bootloader.PaceLine = false; }},
      {"--verbose", [](SimulatorOptions& o) { o.Verbose = true; }},
      {"--no-sync",
       [](SimulatorOptions& o) { o.Bootloader.Faults.Sync = Faults::SyncAnswer::None; }},
      {"--final-b0-only",
       [](SimulatorOptions& o) { o.Bootloader.Faults.Sync = Faults::SyncAnswer::FinalB0Only; }},
      {"--silent-rate", [](SimulatorOptions& o) { o.Bootloader.Faults.SilentRateSelect = true; }},
      {"--wrong-rate-echo", [](SimulatorOptions& o) { o.Bootloader.Faults.WrongRateEcho = true; }},
      {"--short-version",
       [](SimulatorOptions& o) { o.Bootloader.Faults.Version = Faults::Answer::Short; }},
      {"--silent-version",
       [](SimulatorOptions& o) { o.Bootloader.Faults.Version = Faults::Answer::None; }},
      {"--short-status",
       [](SimulatorOptions& o) { o.Bootloader.Faults.Status = Faults::Answer::Short; }},
      {"--silent-status",
       [](SimulatorOptions& o) { o.Bootloader.Faults.Status = Faults::Answer::None; }},
      {"--wrong-id", [](SimulatorOptions& o) { o.Bootloader.Faults.WrongID = true; }},
      {"--erase-error", [](SimulatorOptions& o) { o.Bootloader.Faults.EraseError = true; }},
      {"--erase-hangs", [](SimulatorOptions& o) { o.Bootloader.Faults.EraseHangs = true; }},
      {"--program-error", [](SimulatorOptions& o) { o.Bootloader.Faults.ProgramError = true; }},
      {"--program-hangs", [](SimulatorOptions& o) { o.Bootloader.Faults.ProgramHangs = true; }},
  };
  return switches;
}

std::uint32_t ParseNumber(std::string_view text, int base, std::string_view option) {
  std::uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc{} || stop != end) {
    throw SimulatorUsageError(std::string(option) + ": not a number: \"" + std::string(text) +
                              "\"");
  }
  return value;
}

std::uint32_t ParsePageAddress(std::string_view text, std::string_view option) {
  if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
  const std::uint32_t address = ParseNumber(text, 16, option);
  if (address < SimulatedBootloader::FlashStart || address > SimulatedBootloader::FlashEnd ||
      address % SimulatedBootloader::PageBytes != 0) {
    throw SimulatorUsageError(std::string(option) +
                              ": not the first address of a flash page (C0000..FFF00)");
  }
  return address;
}

// ADDR[:TIMES]; without TIMES every read of the page goes wrong.
void AddPageFault(std::map<std::uint32_t, int>& faults, std::string_view text,
                  std::string_view option) {
  const std::size_t colon = text.find(':');
  const std::uint32_t address = ParsePageAddress(text.substr(0, colon), option);
  int times = -1;
  if (colon != std::string_view::npos) {
    const std::uint32_t count = ParseNumber(text.substr(colon + 1), 10, option);
    if (count == 0 || count > 1'000'000) {
      throw SimulatorUsageError(std::string(option) + ": TIMES must be 1..1000000");
    }
    times = static_cast<int>(count);
  }
  faults[address] = times;
}

BootloaderTime ParseMilliseconds(std::string_view text, std::string_view option) {
  const std::uint32_t milliseconds = ParseNumber(text, 10, option);
  if (milliseconds > MaxOperationMilliseconds) {
    throw SimulatorUsageError(std::string(option) + ": at most 60000 ms");
  }
  return std::chrono::milliseconds(milliseconds);
}

void SetVersionText(BootloaderSettings& settings, std::string_view text) {
  if (text.size() != settings.VersionText.size()) {
    throw SimulatorUsageError("--version-text: the version text has 8 characters");
  }
  std::copy(text.begin(), text.end(), settings.VersionText.begin());
}

void LockBlock(BootloaderSettings& settings, std::string_view text) {
  const std::uint32_t block = ParseNumber(text, 10, "--lock");
  if (block >= settings.LockedBlocks.size()) throw SimulatorUsageError("--lock: a block 0..6");
  settings.LockedBlocks[block] = true;
}

void SetSoftwareID(BootloaderSettings& settings, std::string_view text) {
  const auto id = ParseSoftwareIDText(text);
  if (!id) {
    throw SimulatorUsageError("--id: \"" + std::string(text) +
                              "\" is not an ID such as 90-7B-2E-58-F3-A6-01");
  }
  settings.SoftwareID = *id;
}

// An option that takes a value.
using ValueOption = std::function<void(SimulatorOptions&, std::string_view value)>;

const std::map<std::string_view, ValueOption>& ValueOptions() {
  static const std::map<std::string_view, ValueOption> options{
      {"--link", [](SimulatorOptions& o, std::string_view v) { o.Link = v; }},
      {"--flash", [](SimulatorOptions& o, std::string_view v) { o.FlashPath = v; }},
      {"--id", [](SimulatorOptions& o, std::string_view v) { SetSoftwareID(o.Bootloader, v); }},
      {"--version-text",
       [](SimulatorOptions& o, std::string_view v) { SetVersionText(o.Bootloader, v); }},
      {"--lock", [](SimulatorOptions& o, std::string_view v) { LockBlock(o.Bootloader, v); }},
      {"--erase-time",
       [](SimulatorOptions& o, std::string_view v) {
         o.Bootloader.BlockEraseTime = o.Bootloader.EraseAllTime =
             ParseMilliseconds(v, "--erase-time");
       }},
      {"--program-time",
       [](SimulatorOptions& o, std::string_view v) {
         o.Bootloader.PageProgramTime = ParseMilliseconds(v, "--program-time");
       }},
      {"--lose-byte",
       [](SimulatorOptions& o, std::string_view v) {
         AddPageFault(o.Bootloader.Faults.LostBytePages, v, "--lose-byte");
       }},
      {"--corrupt-page",
       [](SimulatorOptions& o, std::string_view v) {
         AddPageFault(o.Bootloader.Faults.CorruptPages, v, "--corrupt-page");
       }},
  };
  return options;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

SimulatorOptions ParseSimulatorOptions(std::span<const std::string_view> arguments) {
  SimulatorOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view option = arguments[i];
    const auto found = Switches().find(option);
    if (found != Switches().end()) {
      found->second(options);
      continue;
    }
    const std::size_t equals = option.find('=');
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = option.substr(equals + 1);
      option = option.substr(0, equals);
    }
    const auto takesValue = ValueOptions().find(option);
    if (takesValue == ValueOptions().end()) {
      throw SimulatorUsageError("unknown option \"" + std::string(option) + "\"");
    }
    if (equals == std::string_view::npos) {
      if (i + 1 == arguments.size())
        throw SimulatorUsageError(std::string(option) + " needs a value");
      value = arguments[++i];
    }
    takesValue->second(options, value);
  }
  return options;
}

std::optional<std::array<std::uint8_t, 7>> ParseSoftwareIDText(std::string_view text) {
  std::array<std::uint8_t, 7> id{};
  if (text.size() != IDTextLength) return std::nullopt;
  for (std::size_t pair = 0; pair < id.size(); ++pair) {
    const int high = HexDigit(text[pair * 3]);
    const int low = HexDigit(text[pair * 3 + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    if (pair + 1 < id.size() && HexDigit(text[pair * 3 + 2]) >= 0) return std::nullopt;
    id[pair] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return id;
}

std::string SimulatorHelpText() {
  return R"(Usage: m16c-sim [OPTION]...
A simulated controller: its serial bootloader with a 256 KB flash (C0000..FFFFF) answers on a
pseudo-terminal. The device path is printed as one line on standard output. Each time the port
is opened the controller is reset, as before a transfer (9600 bit/s, ID not verified). Answers
take 10 bit times a byte at the bootloader's rate; a byte the host sends at another rate or
format than the bootloader's is lost. SIGINT or SIGTERM ends it.

  --link PATH          also make PATH a symbolic link to the device (removed on exit)
  --flash FILE         keep the flash in FILE (262144 bytes): loaded at start when present,
                       rewritten after every erase and program
  --id ID              the Software ID that unlocks the flash (default 90-7B-2E-58-F3-A6-01)
  --version-text TEXT  the 8-character bootloader version (default VER.1.00)
  --lock BLOCK         set the lock bit of block 0..6 (C0000, D0000, E0000, F0000, F8000,
                       FA000, FC000); may be repeated
  --erase-time MS      how long an erase keeps the bootloader busy (default 30)
  --program-time MS    how long a page program keeps it busy (default 2)
  --keep-state         no reset when the port is opened again (for jobs already synchronised)
  --any-line           take every byte whatever rate and format the host's port is set to
  --no-pacing          answer at once instead of at the line's pace
  --verbose            write each command handled to standard error
  --help               this text

Faults (the job's error code each one provokes in brackets):
  --no-sync            never answer the synchronisation [2]
  --final-b0-only      after the sixteen zeros answer only one more B0 sent by the host
  --silent-rate        no echo to a rate command [3]
  --wrong-rate-echo    echo rate commands with a wrong byte (BF) [3]
  --short-version      answer the version read with 4 of its 8 bytes [4]
  --silent-version     no answer to the version read [4]
  --wrong-id           refuse every ID [5]
  --short-status       answer status reads with SRD alone [5]
  --silent-status      no answer to status reads [5]
  --erase-error        erases fail with the erase status bit set [6]
  --erase-hangs        an erase never ends, so its status never comes [6]
  --program-error      page programs fail with the program status bit set [7]
  --program-hangs      a page program never ends, so its status never comes [7]
  --corrupt-page ADDR[:TIMES]
                       reads of the page at ADDR (hex, e.g. C0100) come with byte 80 of the
                       page inverted, the first TIMES reads or every read [8 on verify]
  --lose-byte ADDR[:TIMES]
                       reads of the page at ADDR lose byte 80 of the page [9 on read,
                       8 on verify]
)";
}

}  // namespace trv
