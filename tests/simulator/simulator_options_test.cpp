#include "simulator/simulator_options.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace trv {
namespace {

using Faults = BootloaderFaults;

SimulatorOptions Parse(std::vector<std::string_view> arguments) {
  return ParseSimulatorOptions(arguments);
}

std::string UsageError(std::vector<std::string_view> arguments) {
  try {
    Parse(arguments);
  } catch (const SimulatorUsageError& error) {
    return error.what();
  }
  return "accepted";
}

TEST(SimulatorOptions, EachFaultSwitchSetsItsFault) {
  const std::pair<std::string_view, std::function<bool(const Faults&)>> switches[] = {
      {"--no-sync", [](const Faults& f) { return f.Sync == Faults::SyncAnswer::None; }},
      {"--final-b0-only",
       [](const Faults& f) { return f.Sync == Faults::SyncAnswer::FinalB0Only; }},
      {"--silent-rate", [](const Faults& f) { return f.SilentRateSelect; }},
      {"--wrong-rate-echo", [](const Faults& f) { return f.WrongRateEcho; }},
      {"--short-version", [](const Faults& f) { return f.Version == Faults::Answer::Short; }},
      {"--silent-version", [](const Faults& f) { return f.Version == Faults::Answer::None; }},
      {"--wrong-id", [](const Faults& f) { return f.WrongID; }},
      {"--erase-error", [](const Faults& f) { return f.EraseError; }},
      {"--erase-hangs", [](const Faults& f) { return f.EraseHangs; }},
      {"--program-error", [](const Faults& f) { return f.ProgramError; }},
      {"--program-hangs", [](const Faults& f) { return f.ProgramHangs; }},
  };
  const Faults none;
  for (const auto& [option, isSet] : switches) {
    EXPECT_TRUE(isSet(Parse({option}).Bootloader.Faults)) << option;
    EXPECT_FALSE(isSet(none)) << option;
    EXPECT_NE(SimulatorHelpText().find(option), std::string::npos) << option << " undocumented";
  }
}

TEST(SimulatorOptions, ValuesComeSeparateOrAfterAnEqualsSign) {
  const SimulatorOptions options =
      Parse({"--link", "/tmp/COM1", "--flash=/tmp/flash.bin", "--id", "01-23-45-67-89-ab-CD",
             "--version-text=VER.9.99", "--lock", "6", "--lock=0", "--erase-time", "250",
             "--program-time=7", "--keep-state", "--any-line", "--no-pacing", "--verbose"});
  EXPECT_EQ(options.Link, "/tmp/COM1");
  EXPECT_EQ(options.FlashPath, "/tmp/flash.bin");
  const BootloaderSettings& settings = options.Bootloader;
  EXPECT_EQ(settings.SoftwareID,
            (std::array<std::uint8_t, 7>{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD}));
  EXPECT_EQ(std::string(settings.VersionText.begin(), settings.VersionText.end()), "VER.9.99");
  EXPECT_EQ(settings.LockedBlocks,
            (std::array<bool, 7>{true, false, false, false, false, false, true}));
  EXPECT_EQ(settings.BlockEraseTime, std::chrono::milliseconds(250));
  EXPECT_EQ(settings.EraseAllTime, std::chrono::milliseconds(250));
  EXPECT_EQ(settings.PageProgramTime, std::chrono::milliseconds(7));
  EXPECT_TRUE(options.KeepState && options.AnyLine && options.Verbose && !settings.PaceLine);
}

TEST(SimulatorOptions, PageFaultsTakeAPageAddressAndAnOptionalCount) {
  const Faults faults =
      Parse({"--corrupt-page", "C0100", "--corrupt-page=0xFFF00:2", "--lose-byte", "0xc0200:3"})
          .Bootloader.Faults;
  EXPECT_EQ(faults.CorruptPages, (std::map<std::uint32_t, int>{{0xC0100, -1}, {0xFFF00, 2}}));
  EXPECT_EQ(faults.LostBytePages, (std::map<std::uint32_t, int>{{0xC0200, 3}}));
}

TEST(SimulatorOptions, BadCommandLinesSayWhatIsWrong) {
  EXPECT_EQ(UsageError({"COM1"}), "unknown option \"COM1\"");
  EXPECT_EQ(UsageError({"--flash"}), "--flash needs a value");
  EXPECT_EQ(UsageError({"--id", "90-7B-2E-58-F3-A6"}),
            "--id: \"90-7B-2E-58-F3-A6\" is not an ID such as 90-7B-2E-58-F3-A6-01");
  for (std::string_view page : {"C0180", "BFF00", "100000"}) {
    EXPECT_EQ(UsageError({"--lose-byte", page}),
              "--lose-byte: not the first address of a flash page (C0000..FFF00)");
  }
  EXPECT_EQ(UsageError({"--lose-byte", "C0000:0"}), "--lose-byte: TIMES must be 1..1000000");
  EXPECT_EQ(UsageError({"--corrupt-page", "FFFFFFFFFFFF00"}),
            "--corrupt-page: not a number: \"FFFFFFFFFFFF00\"");
  EXPECT_EQ(UsageError({"--lock", "7"}), "--lock: a block 0..6");
  EXPECT_EQ(UsageError({"--erase-time", "-5"}), "--erase-time: not a number: \"-5\"");
  EXPECT_EQ(UsageError({"--program-time", "60001"}), "--program-time: at most 60000 ms");
}

TEST(SoftwareIDText, SevenHexPairsWithOneSeparatorBetweenNeighbours) {
  EXPECT_EQ(ParseSoftwareIDText("90-7B-2E-58-F3-A6-01"),
            (std::array<std::uint8_t, 7>{0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x01}));
  EXPECT_EQ(ParseSoftwareIDText("00 ff:10.20-30/40 50"),
            (std::array<std::uint8_t, 7>{0x00, 0xFF, 0x10, 0x20, 0x30, 0x40, 0x50}));
  for (std::string_view bad :
       {"", "90-7B-2E-58-F3-A6-0", "90-7B-2E-58-F3-A6-011", "907B2E58F3A601",
        "90-7B-2E-58-F3-A6-0G", "9007B02E058F3A6001x", "90-7B-2E-58-F3-A601-"}) {
    EXPECT_FALSE(ParseSoftwareIDText(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace trv
