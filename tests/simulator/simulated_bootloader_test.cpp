#include "simulator/simulated_bootloader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace trv {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using ::testing::ElementsAre;

constexpr Bytes::value_type IDBytes[] = {0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x01};

// Commands are built by appending to a vector that already has its room: GCC 12 takes an insert
// into a short vector for an overrun at -O3.
Bytes Joined(std::initializer_list<std::uint8_t> head, std::size_t tailSize) {
  Bytes bytes;
  bytes.reserve(head.size() + tailSize);
  bytes.assign(head);
  return bytes;
}

Bytes IDCheck(Bytes id = {std::begin(IDBytes), std::end(IDBytes)}) {
  Bytes command = Joined({0xF5, 0xDF, 0xFF, 0x0F, static_cast<std::uint8_t>(id.size())}, id.size());
  for (std::uint8_t byte : id) command.push_back(byte);
  return command;
}

Bytes AddressCommand(std::uint8_t code, std::uint32_t address) {
  return {code, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address >> 16)};
}

Bytes PageProgram(std::uint32_t address, std::uint8_t fill) {
  const Bytes addressBytes = AddressCommand(0x41, address);
  Bytes command =
      Joined({addressBytes[0], addressBytes[1], addressBytes[2]}, SimulatedBootloader::PageBytes);
  command.resize(command.size() + SimulatedBootloader::PageBytes, fill);
  return command;
}

Bytes BlockErase(std::uint32_t address) {
  Bytes command = AddressCommand(0x20, address);
  command.push_back(0xD0);
  return command;
}

class SimulatedBootloaderTest : public ::testing::Test {
 protected:
  explicit SimulatedBootloaderTest(BootloaderSettings settings = Unpaced())
      : boot_(std::move(settings)) {}

  static BootloaderSettings Unpaced() {
    BootloaderSettings settings;
    settings.PaceLine = false;
    return settings;
  }

  // Bytes arrive 1 ms apart from the clock's current time on.
  Bytes Exchange(const Bytes& sent) {
    for (std::uint8_t value : sent) {
      now_ += 1ms;
      boot_.Receive(value, now_);
    }
    Bytes answer;
    for (const LineByte& byte : boot_.TakeAllBytes()) answer.push_back(byte.Value);
    return answer;
  }

  Bytes SixteenZeros() { return Exchange(Bytes(16, 0x00)); }

  void Unlock() {
    ASSERT_EQ(SixteenZeros(), Bytes{0xB0});
    ASSERT_TRUE(Exchange(IDCheck()).empty());
    ASSERT_EQ(Exchange({0x70}), (Bytes{0x80, 0x0C}));
  }

  Bytes ReadPage(std::uint32_t address) { return Exchange(AddressCommand(0xFF, address)); }

  std::uint8_t FlashAt(std::uint32_t address) const {
    return boot_.Flash()[address - SimulatedBootloader::FlashStart];
  }

  SimulatedBootloader boot_;
  BootloaderTime now_{};
};

TEST_F(SimulatedBootloaderTest, SynchronisesOnSixteenZerosAndThenEchoesTheProbe) {
  EXPECT_TRUE(Exchange({0xB0}).empty()) << "a reset bootloader has no rate yet";
  EXPECT_TRUE(Exchange(Bytes(15, 0x00)).empty());
  EXPECT_EQ(Exchange({0x00}), Bytes{0xB0});
  EXPECT_TRUE(boot_.Synchronised());
  EXPECT_EQ(Exchange({0xB0}), Bytes{0xB0});
}

TEST_F(SimulatedBootloaderTest, ANonZeroByteRestartsTheCountOfZeros) {
  EXPECT_TRUE(Exchange(Bytes(8, 0x00)).empty());
  EXPECT_TRUE(Exchange({0x55}).empty());
  EXPECT_TRUE(Exchange(Bytes(15, 0x00)).empty());
  EXPECT_EQ(Exchange({0x00}), Bytes{0xB0});
  EXPECT_TRUE(Exchange(Bytes(8, 0x00)).empty());
  EXPECT_EQ(Exchange({0xFB}).size(), 8u);
  EXPECT_TRUE(Exchange(Bytes(8, 0x00)).empty()) << "eight and eight are not sixteen";
}

TEST_F(SimulatedBootloaderTest, FinalB0OnlyPeerAnswersOnlyTheB0AfterTheZeros) {
  boot_.Faults().Sync = BootloaderFaults::SyncAnswer::FinalB0Only;
  EXPECT_TRUE(Exchange({0xB0}).empty());
  EXPECT_TRUE(SixteenZeros().empty());
  EXPECT_FALSE(boot_.Synchronised());
  EXPECT_EQ(Exchange({0xB0}), Bytes{0xB0});
  EXPECT_TRUE(boot_.Synchronised());
}

TEST_F(SimulatedBootloaderTest, NoSyncAnswerPeerStaysSilent) {
  boot_.Faults().Sync = BootloaderFaults::SyncAnswer::None;
  EXPECT_TRUE(SixteenZeros().empty());
  EXPECT_TRUE(Exchange({0xB0, 0xFB, 0x70}).empty());
}

TEST_F(SimulatedBootloaderTest, RateCommandsEchoAtTheOldRateThenSwitch) {
  const std::pair<std::uint8_t, std::uint32_t> rates[] = {
      {0xB0, 9600}, {0xB1, 19200}, {0xB2, 38400}, {0xB3, 57600}};
  for (auto [code, baud] : rates) {
    SimulatedBootloader boot;  // paced
    for (int i = 0; i < 16; ++i) boot.Receive(0x00, BootloaderTime(i * 20ms));
    boot.TakeAllBytes();
    const BootloaderTime sent = 400ms;
    boot.Receive(code, sent);
    EXPECT_THAT(boot.TakeAllBytes(), ElementsAre(LineByte{sent + 1041666ns, code}));
    EXPECT_EQ(boot.Baud(sent + 1041666ns), baud);
    EXPECT_EQ(boot.Baud(sent + 1ms), 9600u) << "switches once the echo has gone";

    const BootloaderTime later = 500ms;
    boot.Receive(0xFB, later, SenderLine{baud == 9600 ? 19200u : 9600u, true});
    EXPECT_TRUE(boot.TakeAllBytes().empty()) << "a byte at another rate is lost";
    boot.Receive(0xFB, later, SenderLine{baud, false});
    EXPECT_TRUE(boot.TakeAllBytes().empty()) << "a byte with parity is lost";
    boot.Receive(0xFB, later, SenderLine{baud, true});
    const std::vector<LineByte> version = boot.TakeAllBytes();
    ASSERT_EQ(version.size(), 8u);
    EXPECT_EQ(version.back().At, later + 8 * std::chrono::nanoseconds(10'000'000'000 / baud));
  }
}

TEST_F(SimulatedBootloaderTest, RateCommandFaults) {
  ASSERT_EQ(SixteenZeros(), Bytes{0xB0});
  boot_.Faults().SilentRateSelect = true;
  EXPECT_TRUE(Exchange({0xB3}).empty());
  boot_.Faults().SilentRateSelect = false;
  boot_.Faults().WrongRateEcho = true;
  EXPECT_EQ(Exchange({0xB3}), Bytes{0xBF});
  EXPECT_EQ(boot_.Baud(now_ + 1s), 9600u);
}

TEST_F(SimulatedBootloaderTest, VersionReadAndItsFaults) {
  ASSERT_EQ(SixteenZeros(), Bytes{0xB0});
  EXPECT_EQ(Exchange({0xFB}), (Bytes{'V', 'E', 'R', '.', '1', '.', '0', '0'}));
  boot_.Faults().Version = BootloaderFaults::Answer::Short;
  EXPECT_EQ(Exchange({0xFB}), (Bytes{'V', 'E', 'R', '.'}));
  boot_.Faults().Version = BootloaderFaults::Answer::None;
  EXPECT_TRUE(Exchange({0xFB}).empty());
}

TEST_F(SimulatedBootloaderTest, StatusReadFaults) {
  Unlock();
  boot_.Faults().Status = BootloaderFaults::Answer::Short;
  EXPECT_EQ(Exchange({0x70}), Bytes{0x80});
  boot_.Faults().Status = BootloaderFaults::Answer::None;
  EXPECT_TRUE(Exchange({0x70}).empty());
}

TEST_F(SimulatedBootloaderTest, IDCheckSetsBothIDBitsOnlyForTheRightID) {
  ASSERT_EQ(SixteenZeros(), Bytes{0xB0});
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x00})) << "not verified yet";
  EXPECT_TRUE(Exchange(IDCheck({0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x02})).empty());
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x04}));
  EXPECT_TRUE(Exchange(IDCheck({0x90, 0x7B, 0x2E})).empty()) << "a short ID";
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x04}));
  Bytes wrongArea = IDCheck();
  wrongArea[1] = 0xDE;
  Exchange(wrongArea);
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x04}));
  Exchange(IDCheck());
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x0C}));
  EXPECT_TRUE(boot_.IDVerified());
}

TEST_F(SimulatedBootloaderTest, WrongIDFaultRefusesTheRightID) {
  boot_.Faults().WrongID = true;
  ASSERT_EQ(SixteenZeros(), Bytes{0xB0});
  Exchange(IDCheck());
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x04}));
}

TEST_F(SimulatedBootloaderTest, FlashCommandsAreIgnoredWholeUntilTheIDIsVerified) {
  ASSERT_EQ(SixteenZeros(), Bytes{0xB0});
  // The page's data bytes are status reads and erase commands, none of which may run.
  Bytes program = AddressCommand(0x41, 0xC0000);
  for (std::size_t i = 0; i < SimulatedBootloader::PageBytes / 4; ++i) {
    program.insert(program.end(), {0x70, 0x20, 0x00, 0xD0});
  }
  EXPECT_TRUE(Exchange(program).empty());
  EXPECT_TRUE(ReadPage(0xC0000).empty());
  EXPECT_TRUE(Exchange({0xA7, 0xD0}).empty());
  EXPECT_EQ(FlashAt(0xC0000), 0xFF);
  EXPECT_EQ(boot_.FlashRevision(), 0u);
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x00}));
}

TEST_F(SimulatedBootloaderTest, ProgrammingOnlyClearsBitsAndReadsBackByteExact) {
  Unlock();
  EXPECT_TRUE(Exchange(PageProgram(0xC0100, 0x00)).empty());
  Exchange(PageProgram(0xC0100, 0xFF));
  Exchange(PageProgram(0xC0200, 0xF0));
  Exchange(PageProgram(0xC0200, 0x3C));
  EXPECT_EQ(ReadPage(0xC0100), Bytes(256, 0x00));
  EXPECT_EQ(ReadPage(0xC0200), Bytes(256, 0x30));
  EXPECT_EQ(ReadPage(0xC0000), Bytes(256, 0xFF));

  Bytes counting = AddressCommand(0x41, 0xFFF00);
  for (int i = 0; i < 256; ++i) counting.push_back(static_cast<std::uint8_t>(i));
  Exchange(counting);
  const Bytes top = ReadPage(0xFFF00);
  ASSERT_EQ(top.size(), 256u);
  EXPECT_EQ(top[0x00], 0x00);
  EXPECT_EQ(top[0xA5], 0xA5);
  EXPECT_EQ(FlashAt(0xFFFFF), 0xFF);
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x0C}));
  EXPECT_EQ(boot_.FlashRevision(), 5u);
}

TEST_F(SimulatedBootloaderTest, AddressesOutsideTheFlashAreRefused) {
  Unlock();
  EXPECT_TRUE(ReadPage(0xBFF00).empty());
  EXPECT_TRUE(ReadPage(0x100000).empty());
  Exchange(PageProgram(0xBFF00, 0x00));
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x90, 0x0C}));
  Exchange({0x50});
  Exchange(BlockErase(0x0B0000));
  EXPECT_EQ(Exchange({0x70}), (Bytes{0xA0, 0x0C}));
}

TEST_F(SimulatedBootloaderTest, StatusErrorsStayUntilClearStatus) {
  Unlock();
  boot_.Faults().ProgramError = true;
  Exchange(PageProgram(0xC0000, 0x00));
  EXPECT_EQ(FlashAt(0xC0000), 0xFF);
  boot_.Faults().ProgramError = false;
  Exchange(PageProgram(0xC0100, 0x00));
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x90, 0x0C}));
  EXPECT_TRUE(Exchange({0x50}).empty());
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x0C}));
  Exchange({0xA7, 0x00});
  EXPECT_EQ(Exchange({0x70}), (Bytes{0xB0, 0x0C})) << "a command sequence error";
}

TEST_F(SimulatedBootloaderTest, BlockEraseErasesTheWholeBlockOfTheAddressOnly) {
  Unlock();
  Exchange(PageProgram(0xCFF00, 0x00));
  Exchange(PageProgram(0xD0000, 0x00));
  Exchange(PageProgram(0xF9F00, 0x00));
  Exchange(PageProgram(0xFA000, 0x00));
  Exchange(BlockErase(0xC0000));
  Exchange(BlockErase(0xF8000));
  EXPECT_EQ(FlashAt(0xCFFFF), 0xFF);
  EXPECT_EQ(FlashAt(0xD0000), 0x00);
  EXPECT_EQ(FlashAt(0xF9F00), 0xFF);
  EXPECT_EQ(FlashAt(0xFA000), 0x00);
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x0C}));
}

class LockedBlockTest : public SimulatedBootloaderTest {
 protected:
  LockedBlockTest() : SimulatedBootloaderTest(WithBlockOneLocked()) {}
  static BootloaderSettings WithBlockOneLocked() {
    BootloaderSettings settings = Unpaced();
    settings.LockedBlocks[1] = true;
    return settings;
  }
  void ProgramBlocksZeroAndOne() {
    Exchange({0x75});
    Exchange(PageProgram(0xC0000, 0x00));
    Exchange(PageProgram(0xD0000, 0x00));
  }
};

TEST_F(LockedBlockTest, LockedBlockRefusesEraseAndProgramUntilLockBitDisable) {
  Unlock();
  Exchange(PageProgram(0xD0000, 0x00));
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x90, 0x0C}));
  Exchange({0x50});
  Exchange(BlockErase(0xD0000));
  EXPECT_EQ(Exchange({0x70}), (Bytes{0xA0, 0x0C}));
  Exchange({0x50, 0x75});
  Exchange(PageProgram(0xD0000, 0x00));
  EXPECT_EQ(FlashAt(0xD0000), 0x00);
  Exchange(BlockErase(0xD0000));
  EXPECT_EQ(FlashAt(0xD0000), 0xFF);
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x0C}));
}

TEST_F(LockedBlockTest, EraseAllSkipsLockedBlocksUnlessLockBitsAreDisabled) {
  Unlock();
  ProgramBlocksZeroAndOne();
  boot_.Reset();
  Unlock();
  Exchange({0xA7, 0xD0});
  EXPECT_EQ(FlashAt(0xC0000), 0xFF);
  EXPECT_EQ(FlashAt(0xD0000), 0x00) << "locked";
  EXPECT_EQ(Exchange({0x70}), (Bytes{0x80, 0x0C}));
  Exchange({0x75, 0xA7, 0xD0});
  EXPECT_EQ(FlashAt(0xD0000), 0xFF);
}

TEST_F(SimulatedBootloaderTest, EraseAndProgramFaultsSetTheirStatusBits) {
  Unlock();
  Exchange(PageProgram(0xC0000, 0x00));
  boot_.Faults().EraseError = true;
  Exchange(BlockErase(0xC0000));
  Exchange({0xA7, 0xD0});
  EXPECT_EQ(FlashAt(0xC0000), 0x00);
  EXPECT_EQ(Exchange({0x70}), (Bytes{0xA0, 0x0C}));
}

TEST_F(SimulatedBootloaderTest, HangingOperationNeverAnswersAgainUntilReset) {
  Unlock();
  boot_.Faults().EraseHangs = true;
  Exchange(BlockErase(0xC0000));
  EXPECT_TRUE(Exchange({0x70, 0x70, 0xFB}).empty());
  EXPECT_TRUE(boot_.Busy(now_ + 1h));
  boot_.Reset();
  boot_.Faults().EraseHangs = false;
  boot_.Faults().ProgramHangs = true;
  Unlock();
  Exchange(PageProgram(0xC0000, 0x00));
  EXPECT_TRUE(Exchange({0x70}).empty());
}

TEST_F(SimulatedBootloaderTest, LostAndCorruptedPageReadsForTheirCountOnly) {
  Unlock();
  boot_.Faults().LostBytePages[0xC0100] = 2;
  boot_.Faults().CorruptPages[0xC0200] = 1;
  boot_.Faults().CorruptPages[0xC0300] = -1;
  EXPECT_EQ(ReadPage(0xC0100).size(), 255u);
  EXPECT_EQ(ReadPage(0xC0100).size(), 255u);
  EXPECT_EQ(ReadPage(0xC0100), Bytes(256, 0xFF));
  Bytes corrupted(256, 0xFF);
  corrupted[0x80] = 0x00;
  EXPECT_EQ(ReadPage(0xC0200), corrupted);
  EXPECT_EQ(ReadPage(0xC0200), Bytes(256, 0xFF));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ReadPage(0xC0300), corrupted);
  EXPECT_EQ(ReadPage(0xC0000), Bytes(256, 0xFF));
}

TEST_F(SimulatedBootloaderTest, AHostThatNeverReadsCannotGrowTheUnsentAnswers) {
  Unlock();
  for (int i = 0; i < 300; ++i) {
    for (std::uint8_t value : AddressCommand(0xFF, 0xC0000)) boot_.Receive(value, now_);
  }
  EXPECT_EQ(boot_.PendingBytes().size(), SimulatedBootloader::MaxUnsentBytes);
  boot_.DiscardOutput();
  EXPECT_EQ(ReadPage(0xC0000).size(), 256u);
}

TEST_F(SimulatedBootloaderTest, ResetKeepsOnlyTheFlash) {
  Unlock();
  Exchange({0xB3});
  Exchange(PageProgram(0xC0000, 0x12));
  boot_.Reset();
  EXPECT_FALSE(boot_.Synchronised());
  EXPECT_FALSE(boot_.IDVerified());
  EXPECT_EQ(boot_.Baud(now_), 9600u);
  EXPECT_EQ(FlashAt(0xC0000), 0x12);
  EXPECT_FALSE(boot_.LoadFlash(Bytes(100, 0x00)));
  EXPECT_TRUE(boot_.LoadFlash(Bytes(SimulatedBootloader::FlashBytes, 0x34)));
  EXPECT_EQ(FlashAt(0xFFFFF), 0x34);
}

class PacedBootloaderTest : public SimulatedBootloaderTest {
 protected:
  PacedBootloaderTest() : SimulatedBootloaderTest(BootloaderSettings{}) {}
};

TEST_F(PacedBootloaderTest, StatusReadDuringAnEraseIsAnsweredWhenItEnds) {
  Unlock();
  boot_.TakeAllBytes();
  const BootloaderTime erased = now_ + 4ms;  // the D0 of the block erase
  for (std::uint8_t value : BlockErase(0xC0000)) boot_.Receive(value, now_ += 1ms);
  EXPECT_FALSE(boot_.StatusWord(erased + 29ms) & SimulatedBootloader::StatusReady);
  EXPECT_TRUE(boot_.StatusWord(erased + 30ms) & SimulatedBootloader::StatusReady);
  boot_.Receive(0x70, erased + 10ms);
  const BootloaderTime byteTime = 1041666ns;
  EXPECT_THAT(boot_.TakeAllBytes(), ElementsAre(LineByte{erased + 30ms + byteTime, 0x80},
                                                LineByte{erased + 30ms + 2 * byteTime, 0x0C}));
}

TEST_F(PacedBootloaderTest, AnswersQueueBehindEachOtherOnTheLine) {
  ASSERT_EQ(SixteenZeros().size(), 1u);
  const BootloaderTime at = now_ + 2ms;  // the line is free again
  boot_.Receive(0xFB, at);
  boot_.Receive(0x70, at);
  const std::vector<LineByte> bytes = boot_.TakeBytesUntil(at + 10 * 1041666ns);
  ASSERT_EQ(bytes.size(), 10u);
  EXPECT_EQ(bytes[8], (LineByte{at + 9 * 1041666ns, 0x80}));
  EXPECT_FALSE(boot_.NextByteTime().has_value());
}

TEST_F(PacedBootloaderTest, DiscardedAnswersDoNotHoldUpTheLine) {
  Unlock();
  const BootloaderTime at = now_ + 10ms;
  for (std::uint8_t value : AddressCommand(0xFF, 0xC0000)) boot_.Receive(value, at);
  boot_.DiscardOutput();
  boot_.Receive(0x70, at + 1ms);
  EXPECT_EQ(boot_.NextByteTime(), at + 1ms + 1041666ns);
}

}  // namespace
}  // namespace trv
