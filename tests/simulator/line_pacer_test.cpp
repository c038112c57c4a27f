#include "simulator/line_pacer.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

using namespace std::chrono_literals;

std::vector<LineByte> EvenBytes(BootloaderTime first, BootloaderTime spacing, int count) {
  std::vector<LineByte> bytes;
  for (int i = 0; i < count; ++i) {
    bytes.push_back({first + i * spacing, static_cast<std::uint8_t>(i)});
  }
  return bytes;
}

TEST(LinePacer, DeliversRunsOfSixteenWhenTheirLastByteHasArrived) {
  LinePacer pacer;
  const BootloaderTime byteTime = 173611ns;  // 57600 bit/s
  pacer.Add(EvenBytes(10ms, byteTime, 40));
  EXPECT_EQ(pacer.NextDelivery(), 10ms + 15 * byteTime);
  EXPECT_EQ(pacer.TakeDue(10ms + 15 * byteTime - 1ns).size(), 15u) << "never a byte early";
  EXPECT_EQ(pacer.TakeDue(10ms + 15 * byteTime).size(), 1u);
  EXPECT_EQ(pacer.NextDelivery(), 10ms + 31 * byteTime);
  EXPECT_EQ(pacer.TakeDue(10ms + 31 * byteTime).size(), 16u);
  EXPECT_EQ(pacer.NextDelivery(), 10ms + 39 * byteTime) << "the rest of the answer";
  const std::vector<std::uint8_t> last = pacer.TakeDue(1s);
  ASSERT_EQ(last.size(), 8u);
  EXPECT_EQ(last.back(), 39);
  EXPECT_FALSE(pacer.NextDelivery().has_value());
}

TEST(LinePacer, ARunEndsAtAGapOrAfterTheFifoWindow) {
  LinePacer pacer;
  pacer.Add(EvenBytes(0ms, 1041666ns, 8));  // 9600 bit/s: three bytes fit the window
  EXPECT_EQ(pacer.NextDelivery(), 2 * 1041666ns);
  pacer.TakeDue(2 * 1041666ns);
  pacer.Clear();
  EXPECT_FALSE(pacer.NextDelivery().has_value());

  pacer.Add(EvenBytes(0ms, 100us, 2));
  pacer.Add(EvenBytes(50ms, 100us, 2));
  EXPECT_EQ(pacer.NextDelivery(), 100us);
  EXPECT_EQ(pacer.TakeDue(100us).size(), 2u);
  EXPECT_EQ(pacer.NextDelivery(), 50ms + 100us);
}

}  // namespace
}  // namespace trv
