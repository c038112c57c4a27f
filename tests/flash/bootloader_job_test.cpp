#include "flash/bootloader_job.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "virtual_line.h"

namespace trv::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kConfigStart = 0xC0100;
constexpr std::uint32_t kConfigSize = 0xFF00;
const std::vector<TFlashProgress> kAllStages{
    fpReadingFile, fpEstablishingComms, fpCheckingVersion, fpVerifyingSoftwareID,
    fpErasing,     fpTransferring,      fpVerifying,       fpComplete};

// A byte for each address that differs from its neighbours.
std::uint8_t Pattern(std::uint32_t address, std::uint8_t seed) {
  return static_cast<std::uint8_t>((address * 7 + (address >> 8) + seed) & 0xFF);
}

std::vector<std::uint8_t> PatternFlash(std::uint8_t seed) {
  std::vector<std::uint8_t> flash(SimulatedBootloader::FlashBytes);
  for (std::uint32_t i = 0; i < flash.size(); ++i) flash[i] = Pattern(0xC0000 + i, seed);
  return flash;
}

// Every fifth cell left empty, so that empty cells go out as 0xFF.
TBinaryImage PatternImage(std::uint32_t start, std::uint32_t size, std::uint8_t seed) {
  TBinaryImage image(start, size);
  for (std::uint32_t a = start; a <= image.EndAddress(); ++a) {
    if (a % 5 != 0) image.SetCell(a, Pattern(a, seed));
  }
  return image;
}

std::vector<std::uint32_t> AddressesOf(const std::vector<TCommand>& commands) {
  std::vector<std::uint32_t> addresses;
  for (const TCommand& command : commands) addresses.push_back(command.Address);
  return addresses;
}

std::vector<std::uint32_t> Pages(std::uint32_t from, std::uint32_t to, bool downwards = false) {
  std::vector<std::uint32_t> pages;
  for (std::uint32_t page = from; page <= to; page += 256) pages.push_back(page);
  if (downwards) std::reverse(pages.begin(), pages.end());
  return pages;
}

class BootloaderJobTest : public ::testing::Test {
 protected:
  BootloaderJobTest() {
    Settings.Baud = cb57600;
    Settings.FlashStart = kConfigStart;
    Settings.FlashSize = kConfigSize;
    Bootloader.LoadFlash(PatternFlash(1));
  }

  void Run(TBinaryImage* image) {
    Stages.clear();
    Line.ClearEvents();
    TBootloaderJob job(Settings, Line, Line, AbortFlag, [this](TFlashProgress stage) {
      Stages.push_back(stage);
      if (OnStage) OnStage(stage);
    });
    job.RunJob(image);
  }

  void ExpectError(TFlashErrors code, TBinaryImage* image) {
    try {
      Run(image);
      ADD_FAILURE() << "no error " << int{code};
    } catch (const EFlashError& error) {
      EXPECT_EQ(error.Code(), code);
      EXPECT_EQ(std::string(error.what()), std::to_string(int{code}));
    }
    EXPECT_FALSE(Line.IsOpen());
  }

  void ExpectAbort(TBinaryImage* image) {
    EXPECT_THROW(
        try { Run(image); } catch (const EFlashAbort& abort) {
          EXPECT_STREQ(abort.what(), "");
          throw;
        },
        EFlashAbort);
    EXPECT_FALSE(Line.IsOpen());
  }

  std::vector<TCommand> Commands() const { return ParseCommands(Line.WrittenBytes()); }
  std::vector<TCommand> Commands(std::uint8_t code) const {
    return CommandsWithCode(Commands(), code);
  }
  std::uint8_t FlashAt(std::uint32_t address) const {
    return Bootloader.Flash()[address - SimulatedBootloader::FlashStart];
  }

  SimulatedBootloader Bootloader;
  TSimulatorPeer Peer{Bootloader};
  TVirtualLine Line{Peer};
  std::atomic<bool> AbortFlag = false;
  TFlashJobSettings Settings;
  std::vector<TFlashProgress> Stages;
  std::function<void(TFlashProgress)> OnStage;
  TBinaryImage Image = PatternImage(kConfigStart, kConfigSize, 3);
};

TEST_F(BootloaderJobTest, ConfigurationImageRewritesBlockZeroKeepingTheBootPage) {
  TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 9);
  Run(&image);

  EXPECT_EQ(Stages, kAllStages);
  EXPECT_FALSE(Line.IsOpen());
  for (std::uint32_t a = 0xC0000; a < 0xC0100; ++a) ASSERT_EQ(FlashAt(a), Pattern(a, 1)) << a;
  for (std::uint32_t a = kConfigStart; a <= 0xCFFFF; ++a) ASSERT_EQ(FlashAt(a), image.OutByte(a));
  for (std::uint32_t a = 0xD0000; a <= 0xFFFFF; a += 0x3F1) ASSERT_EQ(FlashAt(a), Pattern(a, 1));

  // Read for keeping, erase, program from the top down, verify.
  const auto commands = Commands();
  const auto firstErase = std::find_if(commands.begin(), commands.end(),
                                       [](const TCommand& c) { return c.Code == 0x20; });
  ASSERT_NE(firstErase, commands.end());
  EXPECT_EQ(AddressesOf(CommandsWithCode({commands.begin(), firstErase}, 0xFF)),
            Pages(0xC0000, 0xCFF00));
  EXPECT_EQ(AddressesOf(Commands(0x20)), std::vector<std::uint32_t>{0xC0000});
  EXPECT_EQ(AddressesOf(Commands(0x41)), Pages(0xC0000, 0xCFF00, true));
  EXPECT_EQ(AddressesOf(CommandsWithCode({firstErase, commands.end()}, 0xFF)),
            Pages(0xC0000, 0xCFF00));
  EXPECT_TRUE(Commands(0xA7).empty());

  // The line's byte times and the pauses set the pace.
  EXPECT_GT(Line.VirtualNow(), 37s);
  EXPECT_LT(Line.VirtualNow(), 40s);
}

TEST_F(BootloaderJobTest, WholeFlashImageUsesEraseAll) {
  TBinaryImage image = PatternImage(0xC0000, 0x40000, 4);
  Run(&image);
  EXPECT_EQ(Commands(0xA7).size(), 1u);
  EXPECT_TRUE(Commands(0x20).empty());
  EXPECT_EQ(AddressesOf(Commands(0x41)), Pages(0xC0000, 0xFFF00, true));
  // No reading for keeping: every page read is the verify after the programming.
  EXPECT_EQ(AddressesOf(Commands(0xFF)), Pages(0xC0000, 0xFFF00));
  for (std::uint32_t a = 0xC0000; a <= 0xFFFFF; a += 0x101) ASSERT_EQ(FlashAt(a), image.OutByte(a));
}

TEST_F(BootloaderJobTest, ImageOutsideTheFlashFailsBeforeThePortIsOpened) {
  TBinaryImage below(0xBFF00, 0x200);
  ExpectError(feDataOutsideFlashRange, &below);
  EXPECT_EQ(Stages, (std::vector<TFlashProgress>{fpReadingFile, fpEstablishingComms}));
  EXPECT_EQ(Line.OpenCount(), 0);

  TBinaryImage above(0xFFF00, 0x200);
  ExpectError(feDataOutsideFlashRange, &above);
  TBinaryImage empty(0xC0100, 0);
  ExpectError(feDataOutsideFlashRange, &empty);
  // A job's own image of a huge size is refused, not built.
  Settings.FlashStart = 0xC0000;
  Settings.FlashSize = 0xFFF00000;
  ExpectError(feDataOutsideFlashRange, nullptr);
  EXPECT_EQ(Line.OpenCount(), 0);
}

TEST_F(BootloaderJobTest, PortFailuresAreErrorOne) {
  Line.FailSetCommPort = true;
  ExpectError(feCommsPortFailed, &Image);
  EXPECT_EQ(Stages, std::vector<TFlashProgress>{fpReadingFile});
  Line.FailSetCommPort = false;
  Line.FailOpen = true;
  ExpectError(feCommsPortFailed, &Image);
  EXPECT_EQ(Stages, (std::vector<TFlashProgress>{fpReadingFile, fpEstablishingComms}));
}

TEST_F(BootloaderJobTest, ControllerAnsweringOnlyTheFinalB0Synchronises) {
  Bootloader.Faults().Sync = BootloaderFaults::SyncAnswer::FinalB0Only;
  TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 2);
  Run(&image);
  std::vector<std::uint8_t> expected{0xB0};
  expected.insert(expected.end(), 16, 0x00);
  expected.insert(expected.end(), {0xB0, 0xB3, 0xFB});
  const auto written = Line.WrittenBytes();
  EXPECT_EQ(std::vector<std::uint8_t>(written.begin(), written.begin() + 20), expected);
  EXPECT_EQ(Stages, kAllStages);
}

TEST_F(BootloaderJobTest, SynchronisationFailures) {
  Bootloader.Faults().Sync = BootloaderFaults::SyncAnswer::None;
  ExpectError(feSyncFailed, &Image);
  Bootloader.Faults().Sync = BootloaderFaults::SyncAnswer::Zeros;

  Bootloader.Reset();
  Bootloader.Faults().SilentRateSelect = true;
  ExpectError(feSetBaudFailed, &Image);
  EXPECT_EQ(Commands(0xB3).size(), 1u);
  Bootloader.Faults().SilentRateSelect = false;

  // Wrong echoes are retried a bounded number of times.
  Bootloader.Reset();
  Bootloader.Faults().WrongRateEcho = true;
  ExpectError(feSetBaudFailed, &Image);
  EXPECT_EQ(Commands(0xB3).size(), 10u);
}

TEST_F(BootloaderJobTest, RatesWithoutACodeStayAt9600) {
  for (TCommBaud rate : {cb9600, cb1200, cb115200}) {
    Bootloader.Reset();
    Settings.Baud = rate;
    Settings.SoftwareIDs.clear();
    ExpectError(feSoftwareIDNotMatched, &Image);
    const auto written = Line.WrittenBytes();
    ASSERT_EQ(written.size(), 19u);
    EXPECT_EQ(written[17], 0xB0) << "rate command";
    std::vector<std::int64_t> rates;
    for (const TLineEvent& event : Line.Events()) {
      if (event.Kind == TLineEvent::SetBaud) rates.push_back(event.Value);
    }
    EXPECT_EQ(rates, (std::vector<std::int64_t>{BaudRateOf(rate), 9600}));
  }
}

TEST_F(BootloaderJobTest, VersionMustBeEightBytes) {
  for (auto answer :
       {BootloaderFaults::VersionAnswer::Short, BootloaderFaults::VersionAnswer::None}) {
    Bootloader.Reset();
    Bootloader.Faults().Version = answer;
    ExpectError(feVersionReadFailed, &Image);
    EXPECT_EQ(Stages.back(), fpCheckingVersion);
  }
}

TEST_F(BootloaderJobTest, SoftwareIDsAreTriedInOrderUntilOneMatches) {
  Settings.SoftwareIDs = {"3C-91-5E-07-B4-22-D8", "6f-0a-83-e1-4d-19-c5", "90-7B-2E-58-F3-A6-01"};
  TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 3);
  Run(&image);
  const auto commands = Commands();
  std::vector<std::vector<std::uint8_t>> tried;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    if (commands[i].Code != 0xF5) continue;
    tried.push_back(commands[i].Data);
    ASSERT_LT(i + 1, commands.size());
    EXPECT_EQ(commands[i + 1].Code, 0x70) << "status read after each ID";
  }
  EXPECT_EQ(tried,
            (std::vector<std::vector<std::uint8_t>>{{0x3C, 0x91, 0x5E, 0x07, 0xB4, 0x22, 0xD8},
                                                    {0x6F, 0x0A, 0x83, 0xE1, 0x4D, 0x19, 0xC5},
                                                    {0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x01}}));

  Bootloader.Reset();
  Bootloader.Faults().WrongID = true;
  ExpectError(feSoftwareIDNotMatched, &image);
  EXPECT_EQ(Commands(0xF5).size(), 3u);
}

TEST_F(BootloaderJobTest, SoftwareIDTextMustBeSevenHexPairs) {
  EXPECT_EQ(ParseSoftwareID("90:7b 2E.58-F3-A6-01-"),
            (std::array<std::uint8_t, 7>{0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x01}));
  for (const char* bad : {"", "90-7B-2E-58-F3-A6", "90-7B-2E-58-F3-A6-0", "90-7B-2E-58-F3-A6-01-02",
                          "90-7G-2E-58-F3-A6-01", "+9-7B-2E-58-F3-A6-01"}) {
    EXPECT_THROW(ParseSoftwareID(bad), ESoftwareIDError) << bad;
  }

  Settings.SoftwareIDs = {"90-7B-2E-58-F3-XX-01"};
  TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 3);
  try {
    Run(&image);
    ADD_FAILURE();
  } catch (const ESoftwareIDError& error) {
    EXPECT_NE(std::string(error.what()).find("\"90-7B-2E-58-F3-XX-01\""), std::string::npos);
  }
  EXPECT_TRUE(Commands(0xF5).empty()) << "nothing of a malformed ID goes out";
  EXPECT_FALSE(Line.IsOpen());
}

TEST_F(BootloaderJobTest, EraseFailures) {
  TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 3);
  Bootloader.Faults().EraseError = true;
  ExpectError(feEraseFailed, &image);
  Bootloader.Faults().EraseError = false;

  Bootloader.Reset();
  Bootloader.Faults().EraseHangs = true;
  ExpectError(feEraseFailed, &image);
  const auto commands = Commands();
  const auto erase = std::find_if(commands.begin(), commands.end(),
                                  [](const TCommand& c) { return c.Code == 0x20; });
  EXPECT_EQ(CommandsWithCode({erase, commands.end()}, 0x70).size(), 79u);

  // An abort ends the wait at the first status read that fails.
  Bootloader.Reset();
  TBinaryImage wholeBlock = PatternImage(0xFA000, 0x2000, 5);
  Line.OnWrite = [this](std::uint8_t byte) { AbortFlag = AbortFlag || byte == 0x20; };
  ExpectError(feEraseFailed, &wholeBlock);
  const auto aborted = Commands();
  const auto abortedErase = std::find_if(aborted.begin(), aborted.end(),
                                         [](const TCommand& c) { return c.Code == 0x20; });
  EXPECT_EQ(CommandsWithCode({abortedErase, aborted.end()}, 0x70).size(), 1u);
}

TEST_F(BootloaderJobTest, ProgramFailures) {
  TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 3);
  Bootloader.Faults().ProgramError = true;
  ExpectError(feProgramFailed, &image);
  EXPECT_EQ(Commands(0x41).size(), 1u);
  Bootloader.Faults().ProgramError = false;

  Bootloader.Reset();
  Bootloader.Faults().ProgramHangs = true;
  ExpectError(feProgramFailed, &image);
  EXPECT_EQ(Commands(0x41).size(), 1u);
}

TEST_F(BootloaderJobTest, VerifyGivesUpAtTheThirdFailureOfAPage) {
  // A whole block: nothing is read for keeping, so every page read is a verify read.
  TBinaryImage image = PatternImage(0xFA000, 0x2000, 5);
  Bootloader.Faults().CorruptPages[0xFA100] = 2;
  Run(&image);
  EXPECT_EQ(Commands(0xFF).size(), 32u + 2);

  Bootloader.Reset();
  Bootloader.Faults().CorruptPages[0xFA100] = -1;
  ExpectError(feVerifyFailed, &image);
  EXPECT_EQ(AddressesOf(Commands(0xFF)),
            (std::vector<std::uint32_t>{0xFA000, 0xFA100, 0xFA100, 0xFA100}));
  EXPECT_EQ(Stages.back(), fpVerifying);
}

TEST_F(BootloaderJobTest, PageReadsAreRetriedUpToThreeTimesInARow) {
  Settings.FlashOptions = {ofRead, ofVerify};
  Bootloader.Faults().LostBytePages = {{0xC0000, 2}, {0xC0100, 2}};
  TBinaryImage image(kConfigStart, kConfigSize);
  Run(&image);
  EXPECT_EQ(Stages, kAllStages);
  EXPECT_EQ(Commands(0xFF).size(), 2 * 256u + 4);

  Bootloader.Reset();
  Bootloader.Faults().LostBytePages = {{0xC8000, 3}};
  ExpectError(feReadFailed, &image);
}

TEST_F(BootloaderJobTest, ReadJobFillsTheImageAndTheFile) {
  const auto file = std::filesystem::temp_directory_path() / "trv_flash_read_test.hex";
  Settings.FlashOptions = {ofRead, ofVerify};
  // The image takes what was read, whatever it held.
  TBinaryImage image(kConfigStart, kConfigSize);
  image.SetCell(0xC8000, 0x12);
  Run(&image);
  EXPECT_TRUE(Commands(0x41).empty());
  EXPECT_TRUE(Commands(0x20).empty());
  for (std::uint32_t a = kConfigStart; a <= 0xCFFFF; ++a) ASSERT_EQ(image.Cell(a), Pattern(a, 1));

  // A job's own image goes to the file.
  Bootloader.Reset();
  Settings.Filename = file.string();
  Run(nullptr);
  TBinaryImage loaded(kConfigStart, kConfigSize);
  loaded.LoadFromHexFile(file.string());
  for (std::uint32_t a = kConfigStart; a <= 0xCFFFF; a += 0x77)
    ASSERT_EQ(loaded.Cell(a), Pattern(a, 1));
  std::filesystem::remove(file);
}

TEST_F(BootloaderJobTest, JobBuildsItsImageFromTheFile) {
  const auto file = std::filesystem::temp_directory_path() / "trv_flash_program_test.hex";
  const TBinaryImage source = PatternImage(kConfigStart, kConfigSize, 8);
  source.SaveToHexFile(file.string());
  Settings.Filename = file.string();
  Run(nullptr);
  for (std::uint32_t a = kConfigStart; a <= 0xCFFFF; a += 0x55)
    ASSERT_EQ(FlashAt(a), source.OutByte(a));

  // A missing file fails before the port is opened, or after the ID check when loaded then.
  Settings.Filename = (std::filesystem::temp_directory_path() / "trv_no_such_file.hex").string();
  EXPECT_THROW(Run(nullptr), std::filesystem::filesystem_error);
  EXPECT_EQ(Line.OpenCount(), 1);
  Bootloader.Reset();
  Settings.FlashOptions = Settings.FlashOptions + TFlashOptions{ofLoadAfterIDCheck};
  EXPECT_THROW(Run(nullptr), std::filesystem::filesystem_error);
  EXPECT_EQ(Line.OpenCount(), 2);
  EXPECT_EQ(Stages.back(), fpErasing);
  EXPECT_FALSE(Line.IsOpen());

  // The range of a job that loads after the ID check is known before the port opens.
  Settings.FlashStart = 0xBFF00;
  ExpectError(feDataOutsideFlashRange, nullptr);
  EXPECT_EQ(Line.OpenCount(), 2);
  std::filesystem::remove(file);
}

TEST_F(BootloaderJobTest, SynchedJobSkipsSynchronisationVersionAndID) {
  TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 6);
  Run(&image);
  Settings.FlashOptions = Settings.FlashOptions + TFlashOptions{ofSynched};
  Run(&image);
  EXPECT_EQ(Stages, (std::vector<TFlashProgress>{fpReadingFile, fpEstablishingComms, fpErasing,
                                                 fpTransferring, fpVerifying, fpComplete}));
  EXPECT_EQ(Commands().front(), (TCommand{0xFF, 0xC0000, {}}));
}

TEST_F(BootloaderJobTest, AbortIsSeenAtTheNextStage) {
  for (int stage = fpReadingFile; stage <= fpVerifying; ++stage) {
    Bootloader.Reset();
    AbortFlag = false;
    OnStage = [&](TFlashProgress reached) { AbortFlag = AbortFlag || reached == stage; };
    TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 7);
    ExpectAbort(&image);
    EXPECT_EQ(Stages.size(), static_cast<std::size_t>(stage + 1));
  }
}

TEST_F(BootloaderJobTest, AbortEndsThePageLoops) {
  TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 7);
  OnStage = [&](TFlashProgress stage) { AbortFlag = stage == fpTransferring; };
  ExpectAbort(&image);
  EXPECT_EQ(Commands(0x41).size(), 1u);

  // An abort while reading for keeping erases nothing.
  Bootloader.Reset();
  AbortFlag = false;
  OnStage = [&](TFlashProgress stage) { AbortFlag = stage == fpErasing; };
  ExpectAbort(&image);
  EXPECT_EQ(Commands(0xFF).size(), 1u);
  EXPECT_TRUE(Commands(0x20).empty());
}

// A progress bar that keeps every position.
class TRecordingBar final : public TFlashProgressBar {
 public:
  int Min() const override { return 0; }
  int Max() const override { return 100; }
  void SetPosition(int position) override { Positions.push_back(position); }
  std::vector<int> Positions;
};

TEST_F(BootloaderJobTest, ProgressBarFollowsEachPass) {
  TRecordingBar bar;
  Settings.ProgressBar = &bar;
  TBinaryImage image = PatternImage(kConfigStart, kConfigSize, 7);
  Run(&image);
  // The bar fills for the blocks, again for programming and again for verifying.
  int passes = 0;
  for (std::size_t i = 1; i < bar.Positions.size(); ++i) {
    if (bar.Positions[i] == 0 && bar.Positions[i - 1] == 100)
      ++passes;
    else
      EXPECT_GE(bar.Positions[i], bar.Positions[i - 1]) << i;
  }
  EXPECT_EQ(passes, 2);
  EXPECT_EQ(bar.Positions.back(), 100);
}

// Exact bytes and pauses against a peer that expects them.
class ScriptedJobTest : public ::testing::Test {
 protected:
  ScriptedJobTest() {
    Settings.Baud = cb57600;
    Settings.SoftwareIDs.clear();
  }
  void ExpectSynchronisation() {
    Peer.Expect({0xB0}, {0xB0});
    Peer.Expect({0xB3}, {0xB3});
  }
  void ExpectVersion() { Peer.Expect({0xFB}, {'V', 'E', 'R', '.', '1', '.', '0', '0'}); }
  void ExpectID() {
    Peer.Expect({0xF5, 0xDF, 0xFF, 0x0F, 0x07, 0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x01});
    Peer.Expect({0x70}, {0x80, 0x0C});
  }
  TFlashErrors RunToError() {
    TBootloaderJob job(Settings, Line, Line, AbortFlag, nullptr);
    TBinaryImage image(0xFC000, 0x4000);
    try {
      job.RunJob(&image);
    } catch (const EFlashError& error) {
      return error.Code();
    }
    ADD_FAILURE() << "no error";
    return feDataOutsideFlashRange;
  }
  std::vector<TLineEvent> EventsOf(std::initializer_list<TLineEvent::TKind> kinds) const {
    std::vector<TLineEvent> events;
    for (const TLineEvent& event : Line.Events()) {
      if (std::find(kinds.begin(), kinds.end(), event.Kind) != kinds.end()) events.push_back(event);
    }
    return events;
  }

  TScriptedPeer Peer;
  TVirtualLine Line{Peer};
  std::atomic<bool> AbortFlag = false;
  TFlashJobSettings Settings;
};

TEST_F(ScriptedJobTest, DirectProbeAnswerSkipsTheZeros) {
  ExpectSynchronisation();
  ExpectVersion();
  EXPECT_EQ(RunToError(), feSoftwareIDNotMatched);  // an empty list sends no ID check
  EXPECT_EQ(Line.WrittenBytes(), (std::vector<std::uint8_t>{0xB0, 0xB3, 0xFB}));
  EXPECT_TRUE(Peer.Finished());
  std::vector<std::int64_t> pauses;
  for (const TLineEvent& event : EventsOf({TLineEvent::Pause})) pauses.push_back(event.Value);
  EXPECT_EQ(pauses, (std::vector<std::int64_t>{20000, 20000, 20000, 20000}));
  // The port follows the bootloader to the new rate once the echo came.
  std::vector<std::int64_t> rates;
  for (const TLineEvent& event : EventsOf({TLineEvent::SetBaud})) rates.push_back(event.Value);
  EXPECT_EQ(rates, (std::vector<std::int64_t>{57600, 9600, 57600}));
}

TEST_F(ScriptedJobTest, ZerosAdjustTheBitRate) {
  Peer.Expect({0xB0});
  Peer.Expect(std::vector<std::uint8_t>(16, 0x00), {0xB0});
  Peer.Expect({0xB3}, {0xB3});
  Peer.Expect({0xFB}, {1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(RunToError(), feSoftwareIDNotMatched);
  EXPECT_FALSE(Peer.Derailed());
  // Each zero is followed by a 20 ms pause; the probe waited 500 ms for nothing.
  const auto events = EventsOf({TLineEvent::Write, TLineEvent::Pause});
  ASSERT_GE(events.size(), 33u);
  EXPECT_EQ(events[1].At - events[0].At, 500ms);
  for (std::size_t i = 1; i < 33; i += 2) {
    EXPECT_EQ(events[i], (TLineEvent{TLineEvent::Write, 0, events[i].At}));
    EXPECT_EQ(events[i + 1].Kind, TLineEvent::Pause);
    EXPECT_EQ(events[i + 1].Value, 20000);
  }
}

TEST_F(ScriptedJobTest, ZerosAnsweredWithAnotherByteFailSynchronisation) {
  Peer.Expect({0xB0});
  Peer.Expect(std::vector<std::uint8_t>(16, 0x00), {0x55});
  EXPECT_EQ(RunToError(), feSyncFailed);
  EXPECT_EQ(Line.WrittenBytes().size(), 17u);
}

TEST_F(ScriptedJobTest, WholeBlockSendGoesOutByteForByte) {
  Settings.SoftwareIDs = {"90-7B-2E-58-F3-A6-01"};
  Settings.Interval = 7;
  TBinaryImage image = PatternImage(0xFC000, 0x4000, 3);
  ExpectSynchronisation();
  ExpectVersion();
  ExpectID();
  Peer.Expect({0x50});
  Peer.Expect({0x75});
  Peer.Expect({0x20, 0xC0, 0x0F, 0xD0});
  Peer.Expect({0x70}, {0x80, 0x00});
  Peer.Expect({0x50});
  for (std::uint32_t page = 0xFFF00; page >= 0xFC000; page -= 256) {
    std::vector<std::uint8_t> command{0x41, static_cast<std::uint8_t>(page >> 8), 0x0F};
    for (std::uint32_t a = page; a < page + 256; ++a) command.push_back(image.OutByte(a));
    Peer.Expect(command);
    Peer.Expect({0x70}, {0x80, 0x00});
  }
  for (std::uint32_t page = 0xFC000; page <= 0xFFF00; page += 256) {
    std::vector<std::uint8_t> data;
    for (std::uint32_t a = page; a < page + 256; ++a) data.push_back(image.OutByte(a));
    Peer.Expect({0xFF, static_cast<std::uint8_t>(page >> 8), 0x0F}, data);
  }
  TBootloaderJob job(Settings, Line, Line, AbortFlag, nullptr);
  job.RunJob(&image);
  EXPECT_TRUE(Peer.Finished());

  // After each page: the interval, then the status read's pauses around its 0x70.
  const auto events = EventsOf({TLineEvent::Write, TLineEvent::Pause});
  const auto firstPage = std::find_if(events.begin(), events.end(), [](const TLineEvent& e) {
    return e.Kind == TLineEvent::Write && e.Value == 0x41;
  });
  ASSERT_LT(firstPage + 263, events.end());
  EXPECT_EQ(firstPage[259].Value, 7000);
  EXPECT_EQ(firstPage[260].Value, 20000);
  EXPECT_EQ(firstPage[261], (TLineEvent{TLineEvent::Write, 0x70, firstPage[261].At}));
  EXPECT_EQ(firstPage[262].Value, 20000);
}

}  // namespace
}  // namespace trv::test
