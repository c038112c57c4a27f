#include "serial/serial_comms.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <numeric>
#include <string>
#include <thread>

#include "pseudo_terminal.h"
#include "serial/event_loop.h"
#include "serial/system_text.h"

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

Bytes Counting(std::size_t count) {
  Bytes bytes(count);
  std::iota(bytes.begin(), bytes.end(), 0);
  return bytes;
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

// The test itself holds the slave of its pseudo-terminal.
std::string InUseByThisTest(const std::string& device) {
  return "Unable to open communications port: " + device + " is in use by " +
         ReadShortText("/proc/self/comm") + " (process " + std::to_string(getpid()) + ")";
}

// COM1 is a pseudo-terminal with the test as its peer; COM2 does not exist.
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

  // Bytes written to the master reach the slave's queue a moment later.
  bool AwaitQueued(std::int32_t count) {
    const auto until = TClock::now() + 2s;
    while (Comms.GetAvailableByteCount() < count && TClock::now() < until) {
      std::this_thread::sleep_for(1ms);
    }
    return Comms.GetAvailableByteCount() == count;
  }

  std::jthread SendLater(Bytes bytes, std::chrono::milliseconds delay) {
    return std::jthread([this, bytes, delay] {
      std::this_thread::sleep_for(delay);
      Pty.Send(bytes);
    });
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
  EXPECT_EQ(CommPortName(spCOM1), "COM1");
  EXPECT_EQ(CommPortName(spCOM8), "COM8");
}

TEST(SerialCommsConstruction, NeedsADispatcherAndStartsClosedOnCom1At9600) {
  EXPECT_EQ(RaisedText([] { TSerialComms comms(nullptr); }), "Unable to hook windowed control");
  TEventLoop loop;
  const TSerialComms comms(&loop);
  EXPECT_FALSE(comms.IsOpen());
  EXPECT_EQ(comms.CommPort(), spCOM1);
  EXPECT_EQ(comms.Baud(), cb9600);
  EXPECT_FALSE(comms.OnDataRxd());
}

TEST_F(SerialCommsTest, OpenTwiceRaisesAndCloseTwiceIsHarmless) {
  Comms.Open();
  EXPECT_EQ(RaisedText([&] { Comms.Open(); }), "Communications port already open");
  EXPECT_EQ(Comms.Write(0x5A), 1);
  EXPECT_EQ(Pty.Receive(1, 1s), Bytes{0x5A});
  Comms.Close();
  Comms.Close();
  EXPECT_FALSE(Comms.IsOpen());
  {
    TSerialComms scoped(&Loop);
    scoped.Open();
  }
  Comms.Open();  // the destructor let the port go
}

TEST_F(SerialCommsTest, PortThatCannotBeOpenedLeavesItClosedForAnother) {
  for (const char* device : {"/nonexistent/ttyS1", "/dev/null"}) {
    setenv("TRV_COM2", device, 1);
    Comms.SetCommPort(spCOM2);
    EXPECT_EQ(RaisedText([&] { Comms.Open(); }), "Unable to open communications port") << device;
    EXPECT_FALSE(Comms.IsOpen());
  }
  Comms.SetCommPort(spCOM1);
  Comms.Open();
  EXPECT_TRUE(Comms.IsOpen());
}

TEST_F(SerialCommsTest, PortInUseByAnotherOpenerDoesNotOpen) {
  Comms.Open();
  TSerialComms second(&Loop);
  EXPECT_EQ(RaisedText([&] { second.Open(); }), InUseByThisTest(Pty.Path()));
  Comms.Close();

  const int other = ::open(Pty.Path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(RaisedText([&] { Comms.Open(); }), InUseByThisTest(Pty.Path()));
  ::close(other);

  // A program that holds the terminal exclusively without a lock; a privileged user can still
  // open it, and must not share it or take its exclusive hold away on Close.
  const int holder = ::open(Pty.Path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_EQ(ioctl(holder, TIOCEXCL), 0);
  EXPECT_EQ(RaisedText([&] { Comms.Open(); }), InUseByThisTest(Pty.Path()));
  int exclusive = 0;
  EXPECT_EQ(ioctl(holder, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1);
  ioctl(holder, TIOCNXCL);
  ::close(holder);
  Comms.Open();
}

TEST_F(SerialCommsTest, OpenSetsRaw8N1WithoutFlowControlAndPassesEveryByteValue) {
  Comms.Open();
  const termios settings = SlaveSettings();
  EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
            static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
  EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | IXANY | INPCK | ISTRIP | ICRNL | INLCR | IGNCR), 0u);
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(settings.c_oflag & OPOST, 0u);
  EXPECT_EQ(cfgetispeed(&settings), static_cast<speed_t>(B9600));

  const Bytes all = Counting(256);
  EXPECT_EQ(Comms.Write(all.data(), 256), 256);
  EXPECT_EQ(Pty.Receive(257, 200ms), all);
  Pty.Send(all);
  Bytes got(256);
  EXPECT_EQ(Comms.Read(got.data(), 256, 2000), 256);
  EXPECT_EQ(got, all);
}

// The flags, rate and read wake-up a terminal has.
std::string LineSettingsText(const termios& settings) {
  return "iflag " + std::to_string(settings.c_iflag) + " oflag " +
         std::to_string(settings.c_oflag) + " cflag " + std::to_string(settings.c_cflag) +
         " lflag " + std::to_string(settings.c_lflag) + " speed " +
         std::to_string(cfgetispeed(&settings)) + "/" + std::to_string(cfgetospeed(&settings)) +
         " vmin " + std::to_string(settings.c_cc[VMIN]) + " vtime " +
         std::to_string(settings.c_cc[VTIME]);
}

TEST_F(SerialCommsTest, CloseAndTheDestructorPutBackTheLineSettingsOfOpen) {
  termios cooked = SlaveSettings();
  cooked.c_iflag |= ICRNL | IXON;
  cooked.c_oflag |= OPOST;
  cooked.c_lflag |= ICANON | ECHO | ISIG;
  cooked.c_cflag = (cooked.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS7 | PARENB;
  cooked.c_cc[VMIN] = 4;
  cooked.c_cc[VTIME] = 2;
  cfsetispeed(&cooked, B2400);
  cfsetospeed(&cooked, B2400);
  ASSERT_EQ(tcsetattr(Pty.Slave(), TCSANOW, &cooked), 0);
  const std::string before = LineSettingsText(SlaveSettings());

  Comms.SetBaud(cb57600);
  Comms.Open();
  const std::string raw = LineSettingsText(SlaveSettings());
  EXPECT_NE(raw, before);
  Comms.SetBaud(cb19200);
  Comms.Close();
  EXPECT_EQ(LineSettingsText(SlaveSettings()), before);

  {
    TSerialComms scoped(&Loop);
    scoped.Open();
    EXPECT_NE(LineSettingsText(SlaveSettings()), before);
  }
  EXPECT_EQ(LineSettingsText(SlaveSettings()), before);
}

TEST_F(SerialCommsTest, BaudWrittenWhileClosedIsAppliedByOpenAndWhileOpenAtOnce) {
  Comms.SetBaud(cb19200);
  EXPECT_FALSE(Comms.IsOpen());
  EXPECT_EQ(Comms.GetBaudRate(), 19200);
  Comms.Open();
  termios settings = SlaveSettings();
  EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B19200));

  Comms.SetBaud(cb115200);
  EXPECT_TRUE(Comms.IsOpen());
  settings = SlaveSettings();
  EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B115200));
  EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
}

TEST_F(SerialCommsTest, CommPortWrittenWhileOpenReopensOrRaisesAndCloses) {
  TPseudoTerminal other;
  setenv("TRV_COM3", other.Path().c_str(), 1);
  Comms.Open();
  Comms.SetCommPort(spCOM3);
  EXPECT_EQ(Comms.Write(0x11), 1);
  EXPECT_EQ(other.Receive(1, 1s), Bytes{0x11});
  EXPECT_EQ(Pty.Receive(1, 20ms), Bytes{});

  EXPECT_EQ(RaisedText([&] { Comms.SetCommPort(spCOM2); }), "Unable to open communications port");
  EXPECT_FALSE(Comms.IsOpen());
  EXPECT_EQ(Comms.CommPort(), spCOM2);
  unsetenv("TRV_COM3");
}

TEST_F(SerialCommsTest, ReadIsAllOrNothing) {
  Comms.Open();
  std::uint8_t byte = 0;
  auto start = TClock::now();
  EXPECT_EQ(Comms.Read(byte, 0), 0);  // one attempt only
  EXPECT_LT(TClock::now() - start, 20ms);

  Pty.Send({1, 2, 3, 4, 5});
  ASSERT_TRUE(AwaitQueued(5));
  Bytes got(8, 0xEE);
  start = TClock::now();
  EXPECT_EQ(Comms.Read(got.data(), 8, 60), 0);
  EXPECT_GE(TClock::now() - start, 60ms);
  EXPECT_EQ(got, Bytes(8, 0xEE));
  EXPECT_EQ(Comms.GetAvailableByteCount(), 5);

  EXPECT_EQ(Comms.Read(byte, 0), 1);
  EXPECT_EQ(byte, 1);
  EXPECT_EQ(Comms.Read(got.data(), 4, 60), 4);
  EXPECT_EQ(got, (Bytes{2, 3, 4, 5, 0xEE, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(Comms.GetAvailableByteCount(), 0);
}

TEST_F(SerialCommsTest, ReadReturnsAsSoonAsItsLastByteIsQueued) {
  Comms.SetBaud(cb115200);
  Comms.Open();
  const Bytes burst = Counting(600);
  for (const std::size_t count : {std::size_t{4}, std::size_t{600}}) {
    Pty.Send(Bytes(burst.begin(), burst.begin() + static_cast<long>(count) - 1));
    auto last = SendLater({burst[count - 1]}, 30ms);
    Bytes got(count);
    const auto start = TClock::now();
    EXPECT_EQ(Comms.Read(got.data(), static_cast<std::int32_t>(count), 5000), count);
    EXPECT_LT(TClock::now() - start, 1s);
    EXPECT_EQ(got, Bytes(burst.begin(), burst.begin() + static_cast<long>(count)));
  }
  // A one-byte read after a longer one wakes for its one byte.
  Bytes got(8);
  EXPECT_EQ(Comms.Read(got.data(), 8, 20), 0);
  auto later = SendLater({0x42}, 20ms);
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Read(got[0], 2000), 1);
  EXPECT_LT(TClock::now() - start, 1s);
}

TEST_F(SerialCommsTest, WaitingReadSleepsInsteadOfSpinning) {
  Comms.Open();
  std::uint8_t byte = 0;
  auto cpu = CpuTime(CLOCK_THREAD_CPUTIME_ID);
  EXPECT_EQ(Comms.Read(byte, 200), 0);
  EXPECT_LT(CpuTime(CLOCK_THREAD_CPUTIME_ID) - cpu, 20ms);

  Pty.Send({1, 2, 3, 4, 5});
  ASSERT_TRUE(AwaitQueued(5));
  Bytes got(8);
  cpu = CpuTime(CLOCK_THREAD_CPUTIME_ID);
  EXPECT_EQ(Comms.Read(got.data(), 8, 200), 0);
  EXPECT_LT(CpuTime(CLOCK_THREAD_CPUTIME_ID) - cpu, 20ms);
}

TEST_F(SerialCommsTest, ClosedPortOrBadArgumentsReadAndWriteNothing) {
  std::uint8_t byte = 0;
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Read(byte, 1000), 0);
  EXPECT_EQ(Comms.Write(0x41), 0);
  EXPECT_EQ(Comms.Write("AB"), 0);
  EXPECT_LT(TClock::now() - start, 50ms);
  EXPECT_EQ(Comms.GetAvailableByteCount(), 0);
  EXPECT_EQ(RaisedText([&] { Comms.SetTimeout(); }), "Communications port is not open");
  Comms.PurgeComms();
  Comms.CleanUp();

  Comms.Open();
  Pty.Send({1});
  ASSERT_TRUE(AwaitQueued(1));
  EXPECT_EQ(Comms.Read(nullptr, 1, 0), 0);
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
  EXPECT_EQ(Comms.Write(""), 0);
  EXPECT_EQ(Pty.Receive(6, 100ms), (Bytes{'A', 'B', '\r', '\n', 1}));
}

TEST_F(SerialCommsTest, WriteThePeerNeverTakesGivesUpAfterFiftyMsAByte) {
  Comms.Open();
  fcntl(Pty.Slave(), F_SETFL, fcntl(Pty.Slave(), F_GETFL) | O_NONBLOCK);
  const Bytes filler(4096, 0x55);
  for (bool tookMore = true; tookMore;) {
    tookMore = false;
    while (::write(Pty.Slave(), filler.data(), filler.size()) > 0) {
      tookMore = true;
    }
    std::this_thread::sleep_for(20ms);  // the terminal moves bytes on a moment later
  }
  const Bytes request{1, 2};
  auto start = TClock::now();
  EXPECT_EQ(Comms.Write(request.data(), 2), 0);
  EXPECT_GE(TClock::now() - start, 100ms);
  EXPECT_LT(TClock::now() - start, 1s);
  EXPECT_TRUE(Comms.IsOpen());

  // Signals that interrupt the wait do not cut it short.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = [](int) {};
  sigaction(SIGUSR1, &ignore, &previous);
  const pthread_t writer = pthread_self();
  std::atomic<bool> writing = true;
  std::jthread interrupter([&] {
    while (writing) {
      pthread_kill(writer, SIGUSR1);
      std::this_thread::sleep_for(5ms);
    }
  });
  start = TClock::now();
  EXPECT_EQ(Comms.Write(request.data(), 2), 0);
  EXPECT_GE(TClock::now() - start, 100ms);
  writing = false;
  interrupter.join();
  sigaction(SIGUSR1, &previous, nullptr);
}

TEST_F(SerialCommsTest, PurgeCommsDiscardsWhatIsQueued) {
  Comms.Open();
  Pty.Send({1, 2, 3, 4});
  ASSERT_TRUE(AwaitQueued(4));
  Comms.PurgeComms();
  EXPECT_EQ(Comms.GetAvailableByteCount(), 0);
  Pty.Send({5});
  EXPECT_TRUE(AwaitQueued(1));
}

TEST_F(SerialCommsTest, PeerHangingUpEndsReadsAndWritesWithoutWaiting) {
  Comms.Open();
  Pty.CloseMaster();
  std::uint8_t byte = 0;
  const auto start = TClock::now();
  EXPECT_EQ(Comms.Read(byte, 2000), 0);
  EXPECT_EQ(Comms.Write(0x55), 0);
  EXPECT_LT(TClock::now() - start, 500ms);
}

TEST_F(SerialCommsTest, BurstReachesOnDataRxdOneCallPerByteInOrderUntilItIsCleared) {
  Bytes received;
  Comms.SetDataRxd([&](TSerialComms& sender, std::uint8_t& key) {
    EXPECT_EQ(&sender, &Comms);
    received.push_back(key);
  });
  Comms.Open();  // the handler set while closed starts the receiver now
  const Bytes burst = Counting(300);
  Pty.Send(burst);
  EXPECT_TRUE(Loop.RunUntil([&] { return received.size() >= 300; }, 2s));
  Loop.RunFor(20ms);
  EXPECT_EQ(received, burst);

  Comms.SetDataRxd(nullptr);
  Pty.Send({0xA1, 0xA2});
  ASSERT_TRUE(AwaitQueued(2));
  Loop.RunFor(20ms);
  EXPECT_EQ(received.size(), 300u);
  Bytes later(2);
  EXPECT_EQ(Comms.Read(later.data(), 2, 100), 2);
  EXPECT_EQ(later, (Bytes{0xA1, 0xA2}));
}

TEST_F(SerialCommsTest, OnDataRxdMayClearItselfDuringDelivery) {
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
}

TEST_F(SerialCommsTest, PeerHangingUpEndsTheReceiverWithoutBurningAProcessor) {
  Comms.SetDataRxd([](TSerialComms&, std::uint8_t&) {});
  Comms.Open();
  Pty.CloseMaster();
  const auto cpu = CpuTime(CLOCK_PROCESS_CPUTIME_ID);
  Loop.RunFor(100ms);
  EXPECT_LT(CpuTime(CLOCK_PROCESS_CPUTIME_ID) - cpu, 50ms);
  Comms.Close();
}

TEST_F(SerialCommsTest, SecondStartTimeoutReplacesTheFirstAndClearTimeoutSilencesIt) {
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

  Comms.StartTimeout([&](TSerialComms&) { ++first; }, 30);
  Loop.RunFor(10ms);
  Comms.ClearTimeout();
  Loop.RunFor(60ms);
  EXPECT_EQ(first, 0);
}

}  // namespace
}  // namespace trv
