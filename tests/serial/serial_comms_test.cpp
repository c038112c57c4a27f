#include "serial/serial_comms.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <numeric>
#include <thread>

#include "pseudo_terminal.h"
#include "serial/event_loop.h"

namespace trv {
namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

std::chrono::nanoseconds CpuTime(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Bytes written to the master reach the slave's queue a moment later.
bool AwaitQueued(TSerialComms& comms, std::int32_t count) {
  const auto until = TClock::now() + 2s;
  while (comms.GetAvailableByteCount() < count && TClock::now() < until) {
    std::this_thread::sleep_for(1ms);
  }
  return comms.GetAvailableByteCount() == count;
}

template <typename Action>
std::string RaisedText(Action action) {
  try {
    action();
  } catch (const ESerialError& error) {
    return error.what();
  }
  return "(nothing raised)";
}

class SerialCommsTest : public ::testing::Test {
 protected:
  SerialCommsTest() {
    setenv("TRV_COM1", Pty.Path().c_str(), 1);
    setenv("TRV_COM2", "/nonexistent/ttyS1", 1);
  }
  ~SerialCommsTest() override {
    unsetenv("TRV_COM1");
    unsetenv("TRV_COM2");
  }

  termios SlaveSettings() const {
    termios settings{};
    tcgetattr(Pty.Slave(), &settings);
    return settings;
  }

  speed_t SlaveSpeed() const {
    const termios settings = SlaveSettings();
    return cfgetospeed(&settings);
  }

  TPseudoTerminal Pty;
  TEventLoop Loop;
  TSerialComms Comms{&Loop};
};

TEST(SerialCommsNames, RatesPortsAndDevices) {
  const std::int32_t expected[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
  for (int baud = cb1200; baud <= cb115200; ++baud) {
    EXPECT_EQ(BaudRateOf(static_cast<TCommBaud>(baud)), expected[baud]);
  }
  EXPECT_EQ(BaudRateOf(static_cast<TCommBaud>(8)), 9600);
  EXPECT_EQ(BaudRateOf(static_cast<TCommBaud>(255)), 9600);

  EXPECT_EQ(CommPortName(spCOM1), "COM1");
  EXPECT_EQ(CommPortName(spCOM8), "COM8");
  unsetenv("TRV_COM3");
  EXPECT_EQ(CommPortDevicePath(spCOM3), "/dev/ttyS2");
  setenv("TRV_COM3", "/dev/ttyUSB0", 1);
  EXPECT_EQ(CommPortDevicePath(spCOM3), "/dev/ttyUSB0");
  unsetenv("TRV_COM3");
}

TEST(SerialCommsConstruction, NeedsADispatcherAndStartsClosedOnCom1At9600) {
  EXPECT_EQ(RaisedText([] { TSerialComms comms(nullptr); }), "Unable to hook windowed control");
  TEventLoop loop;
  const TSerialComms comms(&loop);
  EXPECT_FALSE(comms.IsOpen());
  EXPECT_EQ(comms.CommPort(), spCOM1);
  EXPECT_EQ(comms.Baud(), cb9600);
  EXPECT_EQ(comms.GetBaudRate(), 9600);
  EXPECT_FALSE(comms.OnDataRxd());
}

TEST_F(SerialCommsTest, OpenTwiceRaisesAndThePortKeepsWorking) {
  Comms.Open();
  EXPECT_EQ(RaisedText([&] { Comms.Open(); }), "Communications port already open");
  EXPECT_TRUE(Comms.IsOpen());
  EXPECT_EQ(Comms.Write(0x5A), 1);
  EXPECT_EQ(Pty.Receive(1, 1s), Bytes{0x5A});
}

TEST_F(SerialCommsTest, MissingPortRaisesThenAnotherPortOpens) {
  Comms.SetCommPort(spCOM2);
  EXPECT_EQ(RaisedText([&] { Comms.Open(); }), "Unable to open communications port");
  EXPECT_FALSE(Comms.IsOpen());
  Comms.SetCommPort(spCOM1);
  Comms.Open();
  EXPECT_TRUE(Comms.IsOpen());
}

TEST_F(SerialCommsTest, DeviceThatIsNotATerminalDoesNotOpen) {
  setenv("TRV_COM2", "/dev/null", 1);
  Comms.SetCommPort(spCOM2);
  EXPECT_EQ(RaisedText([&] { Comms.Open(); }), "Unable to open communications port");
  EXPECT_FALSE(Comms.IsOpen());
}

TEST_F(SerialCommsTest, PortInUseByAnotherOpenerDoesNotOpen) {
  Comms.Open();
  TSerialComms second(&Loop);
  EXPECT_EQ(RaisedText([&] { second.Open(); }), "Unable to open communications port");
  Comms.Close();
  second.Open();
  EXPECT_TRUE(second.IsOpen());
  second.Close();

  const int other = ::open(Pty.Path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(RaisedText([&] { Comms.Open(); }), "Unable to open communications port");
  ::close(other);
  Comms.Open();
  EXPECT_TRUE(Comms.IsOpen());
}

TEST_F(SerialCommsTest, OpenSetsRaw8N1WithoutFlowControl) {
  Comms.Open();
  const termios settings = SlaveSettings();
  EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | IXANY | INPCK | ISTRIP | ICRNL | INLCR | IGNCR), 0u);
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(settings.c_oflag & OPOST, 0u);
  EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetispeed(&settings), static_cast<speed_t>(B9600));
}

TEST_F(SerialCommsTest, EveryByteValuePassesUnchangedBothWays) {
  Comms.Open();
  Bytes all(256);
  std::iota(all.begin(), all.end(), 0);
  EXPECT_EQ(Comms.Write(all.data(), 256), 256);
  EXPECT_EQ(Pty.Receive(257, 200ms), all);

  Pty.Send(all);
  Bytes got(256);
  EXPECT_EQ(Comms.Read(got.data(), 256, 2000), 256);
  EXPECT_EQ(got, all);
  EXPECT_EQ(Comms.GetAvailableByteCount(), 0);
}

TEST_F(SerialCommsTest, BaudWrittenWhileClosedIsAppliedByOpenAndWhileOpenAtOnce) {
  Comms.SetBaud(cb19200);
  EXPECT_FALSE(Comms.IsOpen());
  EXPECT_EQ(Comms.Baud(), cb19200);
  EXPECT_EQ(Comms.GetBaudRate(), 19200);
  Comms.Open();
  EXPECT_EQ(SlaveSpeed(), static_cast<speed_t>(B19200));

  Comms.SetBaud(cb115200);
  EXPECT_TRUE(Comms.IsOpen());
  EXPECT_EQ(SlaveSpeed(), static_cast<speed_t>(B115200));
  EXPECT_EQ(SlaveSettings().c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
}

TEST_F(SerialCommsTest, CommPortWrittenWhileOpenReopensOnTheNewPort) {
  TPseudoTerminal other;
  setenv("TRV_COM2", other.Path().c_str(), 1);
  Comms.SetBaud(cb57600);
  Comms.Open();
  Comms.SetCommPort(spCOM2);
  EXPECT_TRUE(Comms.IsOpen());
  EXPECT_EQ(Comms.Write(0x11), 1);
  EXPECT_EQ(other.Receive(1, 1s), Bytes{0x11});
  EXPECT_EQ(Pty.Receive(1, 20ms), Bytes{});
  termios settings{};
  tcgetattr(other.Slave(), &settings);
  EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B57600));
}

TEST_F(SerialCommsTest, CommPortWrittenWhileOpenToAMissingDeviceRaisesAndCloses) {
  Comms.Open();
  EXPECT_EQ(RaisedText([&] { Comms.SetCommPort(spCOM2); }), "Unable to open communications port");
  EXPECT_FALSE(Comms.IsOpen());
  EXPECT_EQ(Comms.CommPort(), spCOM2);
  // The old port was let go.
  TSerialComms second(&Loop);
  second.Open();
  EXPECT_TRUE(second.IsOpen());
}

TEST_F(SerialCommsTest, ReadIsAllOrNothing) {
  Comms.Open();
  Pty.Send({1, 2, 3, 4, 5});
  ASSERT_TRUE(AwaitQueued(Comms, 5));
  Bytes got(8, 0xEE);
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Read(got.data(), 8, 60), 0);
  const auto waited = TClock::now() - start;
  EXPECT_GE(waited, 60ms);
  EXPECT_LT(waited, 400ms);
  EXPECT_EQ(got, Bytes(8, 0xEE));
  EXPECT_EQ(Comms.GetAvailableByteCount(), 5);

  EXPECT_EQ(Comms.Read(got.data(), 5, 60), 5);
  EXPECT_EQ(got, (Bytes{1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(Comms.GetAvailableByteCount(), 0);
}

TEST_F(SerialCommsTest, ReadTakesExactlyItsCountAndLeavesTheRest) {
  Comms.Open();
  Pty.Send({9, 8, 7});
  ASSERT_TRUE(AwaitQueued(Comms, 3));
  std::uint8_t byte = 0;
  EXPECT_EQ(Comms.Read(byte, 0), 1);
  EXPECT_EQ(byte, 9);
  EXPECT_EQ(Comms.GetAvailableByteCount(), 2);
}

TEST_F(SerialCommsTest, ReadReturnsAsSoonAsTheLastByteIsQueued) {
  Comms.Open();
  Pty.Send({1, 2, 3});
  std::thread peer([&] {
    std::this_thread::sleep_for(30ms);
    Pty.Send({4});
  });
  Bytes got(4);
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Read(got.data(), 4, 5000), 4);
  EXPECT_LT(TClock::now() - start, 1s);
  peer.join();
  EXPECT_EQ(got, (Bytes{1, 2, 3, 4}));
}

TEST_F(SerialCommsTest, ReadOfMoreThanTheDriverCanWakeForWaitsForTheRest) {
  Comms.SetBaud(cb115200);
  Comms.Open();
  Bytes burst(600);
  std::iota(burst.begin(), burst.end(), 0);
  Pty.Send(Bytes(burst.begin(), burst.begin() + 400));
  std::thread peer([&] {
    std::this_thread::sleep_for(30ms);
    Pty.Send(Bytes(burst.begin() + 400, burst.end()));
  });
  Bytes got(600);
  EXPECT_EQ(Comms.Read(got.data(), 600, 5000), 600);
  peer.join();
  EXPECT_EQ(got, burst);
}

TEST_F(SerialCommsTest, OneByteReadAfterAWaitedLongerReadWakesForItsByte) {
  Comms.Open();
  Bytes got(8);
  EXPECT_EQ(Comms.Read(got.data(), 8, 20), 0);
  EXPECT_EQ(SlaveSettings().c_cc[VMIN], 1);
  std::thread peer([&] {
    std::this_thread::sleep_for(20ms);
    Pty.Send({0x42});
  });
  std::uint8_t byte = 0;
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Read(byte, 2000), 1);
  EXPECT_LT(TClock::now() - start, 1s);
  peer.join();
  EXPECT_EQ(byte, 0x42);
}

TEST_F(SerialCommsTest, WaitingReadSleepsInsteadOfSpinning) {
  Comms.Open();
  std::uint8_t byte = 0;
  auto cpu = CpuTime(CLOCK_THREAD_CPUTIME_ID);
  EXPECT_EQ(Comms.Read(byte, 200), 0);
  EXPECT_LT(CpuTime(CLOCK_THREAD_CPUTIME_ID) - cpu, 20ms);

  Pty.Send({1, 2, 3, 4, 5});
  ASSERT_TRUE(AwaitQueued(Comms, 5));
  Bytes got(8);
  cpu = CpuTime(CLOCK_THREAD_CPUTIME_ID);
  EXPECT_EQ(Comms.Read(got.data(), 8, 200), 0);
  EXPECT_LT(CpuTime(CLOCK_THREAD_CPUTIME_ID) - cpu, 40ms);
}

TEST_F(SerialCommsTest, ZeroTimeoutMakesOneAttempt) {
  Comms.Open();
  std::uint8_t byte = 0;
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Read(byte, 0), 0);
  EXPECT_LT(TClock::now() - start, 20ms);
}

TEST_F(SerialCommsTest, ClosedPortReadsAndWritesNothing) {
  std::uint8_t byte = 0;
  Bytes buffer(4);
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Read(byte, 1000), 0);
  EXPECT_EQ(Comms.Read(buffer.data(), 4, 1000), 0);
  EXPECT_EQ(Comms.Write(0x41), 0);
  EXPECT_EQ(Comms.Write("AB"), 0);
  EXPECT_EQ(Comms.Write(buffer.data(), 4), 0);
  EXPECT_LT(TClock::now() - start, 50ms);
  EXPECT_EQ(Comms.GetAvailableByteCount(), 0);
  EXPECT_EQ(RaisedText([&] { Comms.SetTimeout(); }), "Communications port is not open");
  Comms.PurgeComms();
  Comms.CleanUp();
  EXPECT_EQ(Pty.Receive(1, 20ms), Bytes{});
}

TEST_F(SerialCommsTest, BadArgumentsReadAndWriteNothing) {
  Comms.Open();
  Pty.Send({1});
  ASSERT_TRUE(AwaitQueued(Comms, 1));
  std::uint8_t byte = 0;
  EXPECT_EQ(Comms.Read(nullptr, 1, 0), 0);
  EXPECT_EQ(Comms.Read(&byte, 0, 0), 0);
  EXPECT_EQ(Comms.Read(&byte, -1, 0), 0);
  EXPECT_EQ(Comms.Write(nullptr, 1), 0);
  EXPECT_EQ(Comms.Write(&byte, -5), 0);
  EXPECT_EQ(Comms.Write(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(Comms.GetAvailableByteCount(), 1);
  EXPECT_EQ(Pty.Receive(1, 20ms), Bytes{});
}

TEST_F(SerialCommsTest, TextWriteSendsTheTextWithoutItsTerminator) {
  Comms.Open();
  EXPECT_EQ(Comms.Write("AB\r\n\x01"), 5);
  EXPECT_EQ(Pty.Receive(6, 100ms), (Bytes{'A', 'B', '\r', '\n', 1}));
  EXPECT_EQ(Comms.Write(""), 0);
  EXPECT_EQ(Pty.Receive(1, 20ms), Bytes{});
}

TEST_F(SerialCommsTest, WriteThePeerNeverTakesGivesUpAfterFiftyMsAByte) {
  Comms.Open();
  // Fill the line towards the peer, which reads nothing.
  fcntl(Pty.Slave(), F_SETFL, fcntl(Pty.Slave(), F_GETFL) | O_NONBLOCK);
  const Bytes filler(4096, 0x55);
  bool tookMore = true;
  while (tookMore) {
    tookMore = false;
    while (::write(Pty.Slave(), filler.data(), filler.size()) > 0) {
      tookMore = true;
    }
    // The terminal moves bytes on to the master's side a moment later.
    std::this_thread::sleep_for(20ms);
  }
  const Bytes request{1, 2};
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Write(request.data(), 2), 0);
  const auto waited = TClock::now() - start;
  EXPECT_GE(waited, 100ms);
  EXPECT_LT(waited, 1s);
  EXPECT_TRUE(Comms.IsOpen());
}

TEST_F(SerialCommsTest, PurgeCommsDiscardsWhatIsQueued) {
  Comms.Open();
  Pty.Send({1, 2, 3, 4});
  ASSERT_TRUE(AwaitQueued(Comms, 4));
  Comms.PurgeComms();
  EXPECT_EQ(Comms.GetAvailableByteCount(), 0);
  Pty.Send({5});
  ASSERT_TRUE(AwaitQueued(Comms, 1));
  std::uint8_t byte = 0;
  EXPECT_EQ(Comms.Read(byte, 100), 1);
  EXPECT_EQ(byte, 5);
}

TEST_F(SerialCommsTest, CloseTwiceIsHarmlessAndDestructionClosesThePort) {
  Comms.Open();
  Comms.Close();
  Comms.Close();
  EXPECT_FALSE(Comms.IsOpen());
  {
    TSerialComms scoped(&Loop);
    scoped.Open();
  }
  Comms.Open();
  EXPECT_TRUE(Comms.IsOpen());
}

TEST_F(SerialCommsTest, PeerHangingUpEndsReadsAndWritesWithoutWaiting) {
  Comms.Open();
  Pty.CloseMaster();
  std::uint8_t byte = 0;
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Read(byte, 2000), 0);
  EXPECT_EQ(Comms.Write(0x55), 0);
  EXPECT_LT(TClock::now() - start, 500ms);
  EXPECT_TRUE(Comms.IsOpen());
}

class SerialReceiverTest : public SerialCommsTest {
 protected:
  void Collect() {
    Comms.SetDataRxd([this](TSerialComms& sender, std::uint8_t& key) {
      EXPECT_EQ(&sender, &Comms);
      EXPECT_EQ(std::this_thread::get_id(), LoopThread);
      Received.push_back(key);
    });
  }

  bool AwaitReceived(std::size_t count) {
    return Loop.RunUntil([&] { return Received.size() >= count; }, 2s);
  }

  std::thread::id LoopThread = std::this_thread::get_id();
  Bytes Received;
};

TEST_F(SerialReceiverTest, BurstArrivesOneCallPerByteInOrderUntilTheHandlerIsCleared) {
  Collect();
  EXPECT_TRUE(Comms.OnDataRxd());
  Comms.Open();
  Bytes burst(300);
  std::iota(burst.begin(), burst.end(), 0);
  Pty.Send(burst);
  ASSERT_TRUE(AwaitReceived(300));
  Loop.RunFor(20ms);
  EXPECT_EQ(Received, burst);

  Comms.SetDataRxd(nullptr);
  Pty.Send({0xA1, 0xA2});
  ASSERT_TRUE(AwaitQueued(Comms, 2));
  Loop.RunFor(20ms);
  EXPECT_EQ(Received.size(), 300u);
  Bytes later(2);
  EXPECT_EQ(Comms.Read(later.data(), 2, 100), 2);
  EXPECT_EQ(later, (Bytes{0xA1, 0xA2}));
}

TEST_F(SerialReceiverTest, HandlerSetWhileClosedStartsWithOpen) {
  Collect();
  Loop.RunFor(10ms);
  Comms.Open();
  Pty.Send({7, 8});
  ASSERT_TRUE(AwaitReceived(2));
  EXPECT_EQ(Received, (Bytes{7, 8}));
  Comms.Close();
  EXPECT_FALSE(Comms.IsOpen());
}

TEST_F(SerialReceiverTest, HandlerMayClearItselfDuringDelivery) {
  int calls = 0;
  Comms.SetDataRxd([&](TSerialComms& sender, std::uint8_t&) {
    ++calls;
    sender.SetDataRxd(nullptr);
  });
  Comms.Open();
  Pty.Send({1, 2, 3});
  EXPECT_TRUE(Loop.RunUntil([&] { return calls > 0; }, 2s));
  Loop.RunFor(20ms);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(Comms.OnDataRxd());
}

TEST_F(SerialReceiverTest, HangUpEndsTheReceiverWithoutBurningAProcessor) {
  Collect();
  Comms.Open();
  Pty.CloseMaster();
  const auto cpu = CpuTime(CLOCK_PROCESS_CPUTIME_ID);
  Loop.RunFor(100ms);
  EXPECT_LT(CpuTime(CLOCK_PROCESS_CPUTIME_ID) - cpu, 50ms);
  Comms.Close();
}

TEST_F(SerialCommsTest, SecondStartTimeoutReplacesTheFirst) {
  Comms.Open();
  int first = 0;
  int second = 0;
  Comms.StartTimeout([&](TSerialComms&) { ++first; }, 40);
  Loop.RunFor(20ms);
  const auto restarted = TClock::now();
  auto reported = restarted;
  Comms.StartTimeout(
      [&](TSerialComms& sender) {
        EXPECT_EQ(&sender, &Comms);
        ++second;
        reported = TClock::now();
      },
      40);
  Loop.RunFor(120ms);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  EXPECT_GE(reported - restarted, 40ms);
}

TEST_F(SerialCommsTest, ClearTimeoutBeforeExpiryReportsNothing) {
  Comms.Open();
  int calls = 0;
  Comms.StartTimeout([&](TSerialComms&) { ++calls; }, 30);
  Loop.RunFor(10ms);
  Comms.ClearTimeout();
  Loop.RunFor(60ms);
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace trv
