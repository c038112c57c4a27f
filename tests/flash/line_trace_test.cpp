#include "flash/line_trace.h"

#include <gtest/gtest.h>

#include <future>
#include <sstream>
#include <thread>

#include "flash/m16c_flash.h"
#include "virtual_line.h"

namespace trv::test {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The text after the time.
std::string EventOf(const std::string& line) {
  return line.substr(line.find(' ') + 1);
}

TEST(LineTraceTest, ReadThatTimedOutAndItsRetryAreTraced) {
  SimulatedBootloader bootloader;
  bootloader.Faults().LostBytePages[0xC0100] = 1;
  TVirtualLine line(bootloader);
  TM16CFlash flash(line, line);
  const auto trace = std::make_shared<TLineTrace>();
  flash.SetTrace(trace);
  flash.SetBaud(cb57600);
  flash.SetFlashStart(0xC0100);
  flash.SetFlashSize(0xFF00);
  flash.SetFlashOptions(TFlashOptions{ofRead});
  std::promise<void> completed;
  flash.SetOnDownloadComplete([&](TM16CFlash&) { completed.set_value(); });
  TBinaryImage image(0xC0100, 0xFF00);
  flash.FlashDevice(image);
  ASSERT_EQ(completed.get_future().wait_for(30s), std::future_status::ready);
  while (flash.InProgress()) std::this_thread::sleep_for(1ms);

  const std::vector<std::string> lines = Lines(trace->Text());
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ(lines[0], "0.000 baud 57600");
  EXPECT_EQ(lines.back().substr(lines.back().find(' ')), " close");
  // The first read of a page that timed out; the synchronisation's do not follow a read.
  const auto readBefore = std::adjacent_find(
      lines.begin(), lines.end(), [](const std::string& before, const std::string& event) {
        return EventOf(before).starts_with("< ") && EventOf(event).starts_with("< timed out");
      });
  ASSERT_NE(readBefore, lines.end());
  const auto timedOut = std::next(readBefore);
  EXPECT_EQ(EventOf(*timedOut), "< timed out waiting for 1 byte(s)");
  // The page's other bytes came; the read of its last byte timed out, and the page is asked
  // for again.
  ASSERT_LT(timedOut + 5, lines.end());
  EXPECT_EQ(EventOf(timedOut[1]), "purge");
  EXPECT_EQ(EventOf(timedOut[2]), "> FF");
  EXPECT_EQ(EventOf(timedOut[3]), "> 01");
  EXPECT_EQ(EventOf(timedOut[4]), "> 0C");
  EXPECT_EQ(EventOf(timedOut[5]), "pause 50.000 ms");
}

TEST(LineTraceTest, KeepsTheLatestEventsWithinItsBound) {
  TLineTrace trace;
  const std::uint8_t byte = 0xA5;
  for (std::size_t i = 0; i < TLineTrace::kCapacityEvents + 2; ++i) {
    trace.Add(TLineTrace::TKind::Write, std::chrono::microseconds(i * 1000), std::span(&byte, 1));
  }
  const std::vector<std::string> lines = Lines(trace.Text());
  EXPECT_EQ(lines.size(), TLineTrace::kCapacityEvents);
  EXPECT_EQ(lines.front(), "2.000 > A5");

  trace.Clear();
  const std::array<std::uint8_t, 20> version{};
  trace.Add(TLineTrace::TKind::Read, 5ms, version);
  trace.Add(TLineTrace::TKind::Pause, 6ms, {}, 20000);
  EXPECT_EQ(trace.Text(),
            "0.000 < 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
            "0.000 < 00 00 00 00 00 00\n"
            "1.000 pause 20.000 ms\n");
}

}  // namespace
}  // namespace trv::test
