#include "flash/serial_bootloader_line.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "../serial/pseudo_terminal.h"
#include "serial/event_loop.h"

namespace trv::test {
namespace {

using namespace std::chrono_literals;

class SerialBootloaderLineTest : public ::testing::Test {
 protected:
  SerialBootloaderLineTest() {
    setenv("TRV_COM6", Pty.Path().c_str(), 1);
    Line.SetCommPort(spCOM6);
    Line.SetBaud(cb57600);
    Line.Open();
  }
  ~SerialBootloaderLineTest() override {
    Line.Close();
    unsetenv("TRV_COM6");
  }

  std::vector<std::uint8_t> Read(std::size_t count, std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> bytes(count);
    if (!Line.Read(bytes, timeout)) bytes.clear();
    return bytes;
  }

  TPseudoTerminal Pty;
  TEventLoop Dispatcher;
  TSerialBootloaderLine Line{Dispatcher};
};

TEST_F(SerialBootloaderLineTest, SingleByteReadsComeInLineOrder) {
  Line.Write(0xFF);
  EXPECT_EQ(Pty.Receive(1, 1s), std::vector<std::uint8_t>{0xFF});
  Pty.Send({1, 2, 3, 4, 5});
  EXPECT_EQ(Read(1, 500ms), std::vector<std::uint8_t>{1});
  EXPECT_EQ(Read(2, 500ms), (std::vector<std::uint8_t>{2, 3}));
  Pty.Send({6});
  EXPECT_EQ(Read(3, 500ms), (std::vector<std::uint8_t>{4, 5, 6}));
}

TEST_F(SerialBootloaderLineTest, ReadIsAllOrNothingWithinItsTimeout) {
  Pty.Send({7});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Read(2, 100ms).empty());
  EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
  Pty.Send({8});
  EXPECT_EQ(Read(2, 500ms), (std::vector<std::uint8_t>{7, 8}));
}

TEST_F(SerialBootloaderLineTest, PurgeAndCloseDropBytesAlreadyTaken) {
  Pty.Send({1, 2, 3});
  EXPECT_EQ(Read(1, 500ms), std::vector<std::uint8_t>{1});
  Line.PurgeComms();
  EXPECT_TRUE(Read(1, 50ms).empty());

  Pty.Send({4, 5});
  EXPECT_EQ(Read(1, 500ms), std::vector<std::uint8_t>{4});
  Line.Close();
  Line.Open();
  Pty.Send({6});
  EXPECT_EQ(Read(1, 500ms), std::vector<std::uint8_t>{6});
}

}  // namespace
}  // namespace trv::test
