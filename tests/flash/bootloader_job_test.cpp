#include "flash/bootloader_job.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "virtual_line.h"

namespace trv::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kConfigStart = 0xC0100;
constexpr std::uint32_t kConfigSize = 0xFF00;
const std::vector<TFlashProgress> kAllStages{
    fpReadingFile, fpEstablishingComms, fpCheckingVersion, fpVerifyingSoftwareID,
    fpErasing,     fpTransferring,      fpVerifying,       fpComplete};

std::uint8_t Pattern(std::uint32_t address, std::uint8_t seed) {
  return static_cast<std::uint8_t>((address * 7 + (address >> 8) + seed) & 0xFF);
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

Bytes SyncBytes(std::initializer_list<std::uint8_t> rateCommands) {
  Bytes bytes(17, 0x00);
  bytes.front() = 0xB0;
  for (std::uint8_t command : rateCommands) bytes.push_back(command);
  return bytes;
}

class BootloaderJobTest : public ::testing::Test {
 protected:
  BootloaderJobTest() {
    Settings.Baud = cb57600;
    Settings.FlashStart = kConfigStart;
    Settings.FlashSize = kConfigSize;
    Bytes flash(SimulatedBootloader::FlashBytes);
    for (std::uint32_t i = 0; i < flash.size(); ++i) flash[i] = Pattern(0xC0000 + i, 1);
    Bootloader.LoadFlash(flash);
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
      EXPECT_EQ(std::string(error.what()), std::to_string(int{code}));
    }
    EXPECT_FALSE(Line.IsOpen());
  }

  void ExpectAbort(TBinaryImage* image) {
    try {
      Run(image);
      ADD_FAILURE() << "not aborted";
    } catch (const EFlashAbort& abort) {
      EXPECT_STREQ(abort.what(), "");
    }
    EXPECT_FALSE(Line.IsOpen());
  }

  std::vector<TCommand> Commands() const { return ParseCommands(Line.WrittenBytes()); }
  std::vector<TCommand> Commands(std::uint8_t code) const {
    return CommandsWithCode(Commands(), code);
  }
  // The commands of one code after the first command of another.
  std::vector<TCommand> CommandsAfter(std::uint8_t first, std::uint8_t code) const {
    const auto commands = Commands();
    const auto from = std::find_if(commands.begin(), commands.end(),
                                   [&](const TCommand& c) { return c.Code == first; });
    return CommandsWithCode({from, commands.end()}, code);
  }
  std::vector<std::int64_t> Rates() const {
    std::vector<std::int64_t> rates;
    for (const TLineEvent& event : Line.Events()) {
      if (event.Kind == TLineEvent::SetBaud) rates.push_back(event.Value);
    }
    return rates;
  }
  std::uint8_t FlashAt(std::uint32_t address) const {
    return Bootloader.Flash()[address - SimulatedBootloader::FlashStart];
  }

  SimulatedBootloader Bootloader;
  TVirtualLine Line{Bootloader};
  std::atomic<bool> AbortFlag = false;
  TFlashJobSettings Settings;
  std::vector<TFlashProgress> Stages;
  std::function<void(TFlashProgress)> OnStage;
  TBinaryImage Image = PatternImage(kConfigStart, kConfigSize, 3);
};

TEST_F(BootloaderJobTest, ConfigurationImageRewritesBlockZeroKeepingTheBootPage) {
  Run(&Image);
  EXPECT_EQ(Stages, kAllStages);
  EXPECT_FALSE(Line.IsOpen());
  for (std::uint32_t a = 0xC0000; a < 0xC0100; ++a) ASSERT_EQ(FlashAt(a), Pattern(a, 1)) << a;
  for (std::uint32_t a = kConfigStart; a <= 0xCFFFF; ++a) ASSERT_EQ(FlashAt(a), Image.OutByte(a));
  for (std::uint32_t a = 0xD0000; a <= 0xFFFFF; a += 0x3F1) ASSERT_EQ(FlashAt(a), Pattern(a, 1));

  // Read for keeping, erase, program from the top down, verify.
  const auto beforeErase = Commands(0xFF).size() - CommandsAfter(0x20, 0xFF).size();
  EXPECT_EQ(beforeErase, 256u);
  EXPECT_EQ(AddressesOf(Commands(0x20)), std::vector<std::uint32_t>{0xC0000});
  EXPECT_EQ(AddressesOf(Commands(0x41)), Pages(0xC0000, 0xCFF00, true));
  EXPECT_EQ(AddressesOf(CommandsAfter(0x20, 0xFF)), Pages(0xC0000, 0xCFF00));
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
  EXPECT_EQ(AddressesOf(Commands(0xFF)), Pages(0xC0000, 0xFFF00)) << "only the verify reads";
  for (std::uint32_t a = 0xC0000; a <= 0xFFFFF; a += 0x101) ASSERT_EQ(FlashAt(a), image.OutByte(a));
}

TEST_F(BootloaderJobTest, ImageOutsideTheFlashFailsBeforeThePortIsOpened) {
  TBinaryImage below(0xBFF00, 0x200);
  ExpectError(feDataOutsideFlashRange, &below);
  EXPECT_EQ(Stages, (std::vector<TFlashProgress>{fpReadingFile, fpEstablishingComms}));
  TBinaryImage above(0xFFF00, 0x200);
  ExpectError(feDataOutsideFlashRange, &above);
  TBinaryImage empty(0xC0100, 0);
  ExpectError(feDataOutsideFlashRange, &empty);
  // A job's own image of a huge size is refused, not built.
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
  EXPECT_EQ(Stages.size(), 2u);
}

TEST_F(BootloaderJobTest, SynchronisationBytes) {
  Settings.SoftwareIDs.clear();  // the job ends after the version read, sending no ID check
  Settings.Baud = cb9600;
  ExpectError(feSoftwareIDNotMatched, &Image);
  Bytes expected = SyncBytes({0xB0, 0xFB});
  EXPECT_EQ(Line.WrittenBytes(), expected);
  EXPECT_EQ(Rates(), (std::vector<std::int64_t>{9600, 9600}));
  // The probe waits 500 ms, then each zero is followed by 20 ms.
  const auto& events = Line.Events();
  ASSERT_GT(events.size(), 36u);
  EXPECT_EQ(events[4].At - events[3].At, 500ms);
  for (std::size_t i = 4; i < 36; i += 2) {
    EXPECT_EQ(events[i].Kind, TLineEvent::Write);
    EXPECT_EQ(events[i + 1], (TLineEvent{TLineEvent::Pause, 20000, events[i].At}));
  }

  // A synchronised bootloader answers the probe at once: no zeros.
  ExpectError(feSoftwareIDNotMatched, &Image);
  EXPECT_EQ(Line.WrittenBytes(), (Bytes{0xB0, 0xB0, 0xFB}));

  // Only the final 0xB0 answered; the port follows the bootloader to the new rate.
  Bootloader.Reset();
  Bootloader.Faults().Sync = BootloaderFaults::SyncAnswer::FinalB0Only;
  Settings.Baud = cb57600;
  ExpectError(feSoftwareIDNotMatched, &Image);
  EXPECT_EQ(Line.WrittenBytes(), SyncBytes({0xB0, 0xB3, 0xFB}));
  EXPECT_EQ(Rates(), (std::vector<std::int64_t>{57600, 9600, 57600}));

  // A rate without a code leaves bootloader and port at 9600.
  for (TCommBaud rate : {cb1200, cb115200}) {
    Bootloader.Reset();
    Bootloader.Faults().Sync = BootloaderFaults::SyncAnswer::Zeros;
    Settings.Baud = rate;
    ExpectError(feSoftwareIDNotMatched, &Image);
    EXPECT_EQ(Line.WrittenBytes(), SyncBytes({0xB0, 0xFB}));
    EXPECT_EQ(Rates(), (std::vector<std::int64_t>{BaudRateOf(rate), 9600}));
  }
}

TEST_F(BootloaderJobTest, MisbehavingControllerGivesTheStepsErrorCode) {
  using Faults = BootloaderFaults;
  const struct {
    const char* Name;
    std::function<void(Faults&)> Fault;
    TFlashErrors Code;
  } cases[] = {
      {"no sync", [](Faults& f) { f.Sync = Faults::SyncAnswer::None; }, feSyncFailed},
      {"silent rate", [](Faults& f) { f.SilentRateSelect = true; }, feSetBaudFailed},
      {"wrong rate echo", [](Faults& f) { f.WrongRateEcho = true; }, feSetBaudFailed},
      {"short version", [](Faults& f) { f.Version = Faults::VersionAnswer::Short; },
       feVersionReadFailed},
      {"no version", [](Faults& f) { f.Version = Faults::VersionAnswer::None; },
       feVersionReadFailed},
      {"wrong ID", [](Faults& f) { f.WrongID = true; }, feSoftwareIDNotMatched},
      {"erase error", [](Faults& f) { f.EraseError = true; }, feEraseFailed},
      {"erase hangs", [](Faults& f) { f.EraseHangs = true; }, feEraseFailed},
      {"program error", [](Faults& f) { f.ProgramError = true; }, feProgramFailed},
      {"program hangs", [](Faults& f) { f.ProgramHangs = true; }, feProgramFailed},
      {"corrupt page", [](Faults& f) { f.CorruptPages[0xC8000] = -1; }, feVerifyFailed},
      {"lost bytes", [](Faults& f) { f.LostBytePages[0xC8000] = -1; }, feReadFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Bootloader.Reset();
    Bootloader.Faults() = {};
    c.Fault(Bootloader.Faults());
    ExpectError(c.Code, &Image);
  }
}

TEST_F(BootloaderJobTest, RetriesAreBounded) {
  Bootloader.Faults().WrongRateEcho = true;
  ExpectError(feSetBaudFailed, &Image);
  EXPECT_EQ(Commands(0xB3).size(), 10u);

  Bootloader.Reset();
  Bootloader.Faults() = {};
  Bootloader.Faults().EraseHangs = true;
  ExpectError(feEraseFailed, &Image);
  EXPECT_EQ(CommandsAfter(0x20, 0x70).size(), 79u);

  // An abort ends the wait for the erase at the first status read that fails.
  Bootloader.Reset();
  TBinaryImage wholeBlock = PatternImage(0xFA000, 0x2000, 5);
  Line.OnWrite = [this](std::uint8_t byte) { AbortFlag = AbortFlag || byte == 0x20; };
  ExpectError(feEraseFailed, &wholeBlock);
  EXPECT_EQ(CommandsAfter(0x20, 0x70).size(), 1u);
  Line.OnWrite = nullptr;
  AbortFlag = false;

  // A page fails the verify three times in a row at most.
  Bootloader.Reset();
  Bootloader.Faults() = {};
  Bootloader.Faults().CorruptPages[0xFA100] = -1;
  ExpectError(feVerifyFailed, &wholeBlock);
  EXPECT_EQ(AddressesOf(Commands(0xFF)),
            (std::vector<std::uint32_t>{0xFA000, 0xFA100, 0xFA100, 0xFA100}));

  // Two failures of a page are retried, and the count starts again at the next page.
  Bootloader.Reset();
  Bootloader.Faults() = {};
  Bootloader.Faults().LostBytePages = {{0xC0000, 2}, {0xC0100, 2}};
  Run(&Image);
  EXPECT_EQ(Commands(0xFF).size(), 2 * 256u + 4);
}

TEST_F(BootloaderJobTest, SoftwareIDsAreTriedInOrderUntilOneMatches) {
  Settings.SoftwareIDs = {"3C-91-5E-07-B4-22-D8", "6f-0a-83-e1-4d-19-c5", "90-7B-2E-58-F3-A6-01"};
  Run(&Image);
  const auto commands = Commands();
  std::vector<Bytes> tried;
  for (std::size_t i = 0; i + 1 < commands.size(); ++i) {
    if (commands[i].Code != 0xF5) continue;
    tried.push_back(commands[i].Data);
    EXPECT_EQ(commands[i + 1].Code, 0x70) << "a status read after each ID";
  }
  EXPECT_EQ(tried, (std::vector<Bytes>{{0x3C, 0x91, 0x5E, 0x07, 0xB4, 0x22, 0xD8},
                                       {0x6F, 0x0A, 0x83, 0xE1, 0x4D, 0x19, 0xC5},
                                       {0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x01}}));
}

TEST_F(BootloaderJobTest, SoftwareIDTextMustBeSevenHexPairs) {
  EXPECT_EQ(ParseSoftwareID("90:7b 2E.58-F3-A6-01-"),
            (std::array<std::uint8_t, 7>{0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x01}));
  for (const char* bad : {"", "90-7B-2E-58-F3-A6", "90-7B-2E-58-F3-A6-0", "90-7B-2E-58-F3-A6-01-02",
                          "90-7G-2E-58-F3-A6-01", "+9-7B-2E-58-F3-A6-01"}) {
    EXPECT_THROW(ParseSoftwareID(bad), ESoftwareIDError) << bad;
  }
  Settings.SoftwareIDs = {"90-7B-2E-58-F3-XX-01"};
  try {
    Run(&Image);
    ADD_FAILURE();
  } catch (const ESoftwareIDError& error) {
    EXPECT_NE(std::string(error.what()).find("\"90-7B-2E-58-F3-XX-01\""), std::string::npos);
  }
  EXPECT_TRUE(Commands(0xF5).empty()) << "nothing of a malformed ID goes out";
  EXPECT_FALSE(Line.IsOpen());
}

TEST_F(BootloaderJobTest, ReadJobFillsTheImageAndTheFile) {
  Settings.FlashOptions = {ofRead, ofVerify};
  TBinaryImage image(kConfigStart, kConfigSize);
  image.SetCell(0xC8000, 0x12);  // replaced by what is read
  Run(&image);                   // no file name: no file
  EXPECT_EQ(Stages, kAllStages);
  EXPECT_TRUE(Commands(0x41).empty());
  EXPECT_TRUE(Commands(0x20).empty());
  for (std::uint32_t a = kConfigStart; a <= 0xCFFFF; ++a) ASSERT_EQ(image.Cell(a), Pattern(a, 1));

  const auto file = std::filesystem::temp_directory_path() / "trv_flash_read_test.hex";
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
  Image.SaveToHexFile(file.string());
  Settings.Filename = file.string();
  Run(nullptr);
  for (std::uint32_t a = kConfigStart; a <= 0xCFFFF; a += 0x55)
    ASSERT_EQ(FlashAt(a), Image.OutByte(a));
  std::filesystem::remove(file);

  // A missing file fails before the port is opened, or after the ID check when loaded then.
  EXPECT_THROW(Run(nullptr), std::filesystem::filesystem_error);
  EXPECT_EQ(Line.OpenCount(), 1);
  Bootloader.Reset();
  Settings.FlashOptions = Settings.FlashOptions + TFlashOptions{ofLoadAfterIDCheck};
  EXPECT_THROW(Run(nullptr), std::filesystem::filesystem_error);
  EXPECT_EQ(Line.OpenCount(), 2);
  EXPECT_EQ(Stages.back(), fpErasing);
  // Its range is known before the port opens.
  Settings.FlashStart = 0xBFF00;
  ExpectError(feDataOutsideFlashRange, nullptr);
  EXPECT_EQ(Line.OpenCount(), 2);
}

TEST_F(BootloaderJobTest, SynchedJobSkipsSynchronisationVersionAndID) {
  Run(&Image);
  Settings.FlashOptions = Settings.FlashOptions + TFlashOptions{ofSynched};
  Run(&Image);
  EXPECT_EQ(Stages, (std::vector<TFlashProgress>{fpReadingFile, fpEstablishingComms, fpErasing,
                                                 fpTransferring, fpVerifying, fpComplete}));
  EXPECT_EQ(Commands().front(), (TCommand{0xFF, 0xC0000, {}}));
}

TEST_F(BootloaderJobTest, AbortIsSeenAtTheNextStage) {
  for (int stage = fpReadingFile; stage <= fpVerifying; ++stage) {
    Bootloader.Reset();
    AbortFlag = false;
    OnStage = [&](TFlashProgress reached) { AbortFlag = AbortFlag || reached == stage; };
    ExpectAbort(&Image);
    EXPECT_EQ(Stages.size(), static_cast<std::size_t>(stage + 1));
  }
  // The programming loop stops after its page.
  Bootloader.Reset();
  AbortFlag = false;
  OnStage = [&](TFlashProgress stage) { AbortFlag = stage == fpTransferring; };
  ExpectAbort(&Image);
  EXPECT_EQ(Commands(0x41).size(), 1u);
  // An abort while reading for keeping erases nothing.
  Bootloader.Reset();
  AbortFlag = false;
  OnStage = [&](TFlashProgress stage) { AbortFlag = stage == fpErasing; };
  ExpectAbort(&Image);
  EXPECT_EQ(Commands(0xFF).size(), 1u);
  EXPECT_TRUE(Commands(0x20).empty());
}

// Every byte of a whole-block send, and the pauses after a page program.
TEST_F(BootloaderJobTest, WholeBlockSendGoesOutByteForByte) {
  Settings.Interval = 7;
  TBinaryImage image = PatternImage(0xFC000, 0x4000, 3);
  Run(&image);
  Bytes expected =
      SyncBytes({0xB3, 0xFB, 0xF5, 0xDF, 0xFF, 0x0F, 0x07, 0x90, 0x7B, 0x2E, 0x58, 0xF3,
                 0xA6, 0x01, 0x70, 0x50, 0x75, 0x20, 0xC0, 0x0F, 0xD0, 0x70, 0x50});
  for (std::uint32_t page = 0xFFF00; page >= 0xFC000; page -= 256) {
    expected.insert(expected.end(), {0x41, static_cast<std::uint8_t>(page >> 8), 0x0F});
    for (std::uint32_t a = page; a < page + 256; ++a) expected.push_back(image.OutByte(a));
    expected.push_back(0x70);
  }
  for (std::uint32_t page = 0xFC000; page <= 0xFFF00; page += 256) {
    expected.insert(expected.end(), {0xFF, static_cast<std::uint8_t>(page >> 8), 0x0F});
  }
  EXPECT_EQ(Line.WrittenBytes(), expected);

  const auto& events = Line.Events();
  const auto firstPage = std::find_if(events.begin(), events.end(), [](const TLineEvent& e) {
    return e.Kind == TLineEvent::Write && e.Value == 0x41;
  });
  ASSERT_LT(firstPage + 263, events.end());
  EXPECT_EQ(firstPage[259].Value, 7000);
  EXPECT_EQ(firstPage[260].Value, 20000);
  EXPECT_EQ(firstPage[261].Value, 0x70);
  EXPECT_EQ(firstPage[262].Value, 20000);

  // The pauses around each command before the first page, and around a page read.
  const auto trace = [](auto from, auto to) {
    std::string text;
    for (auto e = from; e != to; ++e) {
      switch (e->Kind) {
        case TLineEvent::Write:
          text += "0123456789ABCDEF"[e->Value >> 4];
          text += "0123456789ABCDEF"[e->Value & 15];
          break;
        case TLineEvent::Pause:
          text += "p" + std::to_string(e->Value / 1000);
          break;
        case TLineEvent::SetBaud:
          text += "@" + std::to_string(e->Value);
          break;
        default:
          text += e->Kind == TLineEvent::Purge ? "purge" : "open";
      }
      text += ' ';
    }
    return text;
  };
  std::string zeros;
  for (int i = 0; i < 16; ++i) zeros += "00 p20 ";
  EXPECT_EQ(trace(events.begin(), firstPage),
            "@57600 open @9600 B0 " + zeros +
                "p20 B3 p20 @57600 p20 FB p20 F5 DF FF 0F 07 90 7B 2E 58 F3 A6 01 p50 p20 70 p20 "
                "50 p20 75 p20 20 C0 0F D0 p20 p20 70 p20 50 p20 ");
  const auto firstRead = std::find_if(events.begin(), events.end(), [](const TLineEvent& e) {
    return e.Kind == TLineEvent::Purge;
  });
  ASSERT_LT(firstRead + 5, events.end());
  EXPECT_EQ(trace(firstRead, firstRead + 6), "purge FF C0 0F p50 purge ");
}

}  // namespace
}  // namespace trv::test
