#include "simulator/fifo_delivery.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

using namespace std::chrono_literals;

std::deque<LineByte> EvenBytes(BootloaderTime first, BootloaderTime spacing, int count) {
  std::deque<LineByte> bytes;
  for (int i = 0; i < count; ++i) {
    bytes.push_back({first + i * spacing, static_cast<std::uint8_t>(i)});
  }
  return bytes;
}

TEST(FifoDelivery, RunsOfSixteenAreDueWhenTheirLastByteHasArrived) {
  const BootloaderTime byteTime = 173611ns;  // 57600 bit/s
  std::deque<LineByte> pending = EvenBytes(10ms, byteTime, 40);
  EXPECT_EQ(NextFifoDelivery(pending), 10ms + 15 * byteTime);
  pending.erase(pending.begin(), pending.begin() + 16);
  EXPECT_EQ(NextFifoDelivery(pending), 10ms + 31 * byteTime);
  pending.erase(pending.begin(), pending.begin() + 16);
  EXPECT_EQ(NextFifoDelivery(pending), 10ms + 39 * byteTime) << "the rest of the answer";
  EXPECT_FALSE(NextFifoDelivery({}).has_value());
}

TEST(FifoDelivery, ARunEndsAtAGapOrAfterTheFifoWindow) {
  EXPECT_EQ(NextFifoDelivery(EvenBytes(0ms, 1041666ns, 8)), 2 * 1041666ns)
      << "at 9600 bit/s three bytes fit the window";
  std::deque<LineByte> twoAnswers = EvenBytes(0ms, 100us, 2);
  twoAnswers.push_back({50ms, 0x80});
  EXPECT_EQ(NextFifoDelivery(twoAnswers), 100us);
}

}  // namespace
}  // namespace trv
