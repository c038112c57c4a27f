#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "simulator/file_descriptor.h"

extern char** environ;

namespace trv {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const Bytes IDCheck{0xF5, 0xDF, 0xFF, 0x0F, 0x07, 0x90, 0x7B, 0x2E, 0x58, 0xF3, 0xA6, 0x01};

// Waits for input on fd until the deadline; false when it passed.
bool WaitReadable(int fd, Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  pollfd poll{fd, POLLIN, 0};
  return ::poll(&poll, 1, static_cast<int>(std::max(left.count(), 0L) + 1)) == 1;
}

// m16c-sim as a child process, its device path read from its first line of output.
class SimulatorProcess {
 public:
  explicit SimulatorProcess(std::vector<std::string> arguments) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe2");
    output_ = FileDescriptor(pipe[0]);
    const FileDescriptor writeEnd(pipe[1]);
    arguments.insert(arguments.begin(), M16C_SIM_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), STDOUT_FILENO);
    const int error = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("posix_spawn");
  }
  ~SimulatorProcess() {
    if (pid_ > 0) Stop();
  }

  std::string DevicePath() {
    std::string line;
    const auto deadline = Clock::now() + 10s;
    char c = 0;
    while (WaitReadable(output_.Get(), deadline) && ::read(output_.Get(), &c, 1) == 1 &&
           c != '\n') {
      line += c;
    }
    return line;
  }

  // SIGTERM; the exit status.
  int Stop() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = 0;
  FileDescriptor output_;
};

// The host's side: a raw 8N1 port on the simulator's device.
class HostPort {
 public:
  explicit HostPort(const fs::path& device)
      : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (!fd_.Valid()) throw std::runtime_error("open " + device.string());
    SetRate(B9600);
  }

  void SetRate(speed_t speed) {
    termios settings{};
    ::tcgetattr(fd_.Get(), &settings);
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    ::tcsetattr(fd_.Get(), TCSANOW, &settings);
  }

  void Write(const Bytes& bytes) {
    ASSERT_EQ(::write(fd_.Get(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Up to count bytes, as many as come before the time-out.
  Bytes Read(std::size_t count, std::chrono::milliseconds timeout = 3s) {
    Bytes bytes(count);
    std::size_t got = 0;
    const auto deadline = Clock::now() + timeout;
    while (got < count && WaitReadable(fd_.Get(), deadline)) {
      const ssize_t n = ::read(fd_.Get(), bytes.data() + got, count - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
  }

  Bytes Exchange(const Bytes& sent, std::size_t answerBytes,
                 std::chrono::milliseconds timeout = 3s) {
    Write(sent);
    return Read(answerBytes, timeout);
  }

 private:
  FileDescriptor fd_;
};

class M16CSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("trv-m16c-sim-" + std::to_string(::getpid()));
    fs::create_directories(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }

  std::vector<std::string> Arguments() const {
    return {"--link", (directory_ / "COM1").string(), "--flash",
            (directory_ / "flash.bin").string()};
  }

  // A reset bootloader ignores the probe and answers the sixteen zeros.
  static void SynchroniseAndUnlock(HostPort& port) {
    EXPECT_TRUE(port.Exchange({0xB0}, 1, 100ms).empty());
    EXPECT_EQ(port.Exchange(Bytes(16, 0x00), 1), Bytes{0xB0});
    port.Write(IDCheck);
    EXPECT_EQ(port.Exchange({0x70}, 2), (Bytes{0x80, 0x0C}));
  }

  fs::path directory_;
};

TEST_F(M16CSimTest, AnswersOnItsLinkAtThePaceOfTheLineAndEndsOnSigterm) {
  SimulatorProcess simulator(Arguments());
  const std::string device = simulator.DevicePath();
  ASSERT_TRUE(device.starts_with("/dev/pts/")) << device;
  EXPECT_EQ(fs::read_symlink(directory_ / "COM1"), device);
  {
    HostPort port(directory_ / "COM1");
    SynchroniseAndUnlock(port);
    EXPECT_EQ(port.Exchange({0xB3}, 1), Bytes{0xB3});
    port.SetRate(B57600);
    EXPECT_EQ(port.Exchange({0xFB}, 8), (Bytes{'V', 'E', 'R', '.', '1', '.', '0', '0'}));
    const auto start = Clock::now();
    EXPECT_EQ(port.Exchange({0xFF, 0x00, 0x0C}, 256), Bytes(256, 0xFF));
    EXPECT_GE(Clock::now() - start, 44ms) << "256 bytes at 57600 bit/s";
  }
  EXPECT_EQ(simulator.Stop(), 0);
  EXPECT_FALSE(fs::is_symlink(fs::symlink_status(directory_ / "COM1")));
}

TEST_F(M16CSimTest, EachOpeningResetsAndTheFlashOutlivesARestart) {
  Bytes program{0x41, 0x01, 0x0C};
  for (int i = 0; i < 256; ++i) program.push_back(static_cast<std::uint8_t>(i));
  {
    SimulatorProcess simulator(Arguments());
    const std::string device = simulator.DevicePath();
    {
      HostPort port(device);
      SynchroniseAndUnlock(port);
      port.Write(program);
      EXPECT_EQ(port.Exchange({0x70}, 2), (Bytes{0x80, 0x0C}));
      EXPECT_EQ(port.Exchange({0xB1}, 1), Bytes{0xB1});
    }
    HostPort again(device);
    SynchroniseAndUnlock(again);
    EXPECT_EQ(simulator.Stop(), 0);
  }
  SimulatorProcess restarted(Arguments());
  HostPort port(restarted.DevicePath());
  SynchroniseAndUnlock(port);
  EXPECT_EQ(port.Exchange({0xFF, 0x01, 0x0C}, 256), Bytes(program.begin() + 3, program.end()));
}

TEST_F(M16CSimTest, BytesAtAnotherRateAreLostAndFaultSwitchesApply) {
  SimulatorProcess simulator({"--wrong-id"});
  HostPort port(simulator.DevicePath());
  port.SetRate(B19200);
  EXPECT_TRUE(port.Exchange(Bytes(16, 0x00), 1, 100ms).empty());
  port.SetRate(B9600);
  EXPECT_EQ(port.Exchange(Bytes(16, 0x00), 1), Bytes{0xB0});
  port.Write(IDCheck);
  EXPECT_EQ(port.Exchange({0x70}, 2), (Bytes{0x80, 0x04}));
}

TEST_F(M16CSimTest, RefusesABadCommandLine) {
  SimulatorProcess simulator({"--lose-byte", "C0001"});
  EXPECT_EQ(simulator.DevicePath(), "");
  EXPECT_EQ(simulator.Stop(), 2);
}

}  // namespace
}  // namespace trv
