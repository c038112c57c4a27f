#include "serial/event_loop.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace trv {
namespace {

using namespace std::chrono_literals;

TEST(EventLoop, RunsCallsPostedFromAnyThreadOnItsOwnThreadInOrder) {
  TEventLoop loop;
  std::vector<int> order;
  std::jthread poster([&] {
    for (int i = 0; i < 100; ++i) {
      loop.Post([&, i, self = std::this_thread::get_id()] {
        EXPECT_NE(std::this_thread::get_id(), self);
        order.push_back(i);
      });
    }
  });
  EXPECT_TRUE(loop.RunUntil([&] { return order.size() == 100; }, 2s));
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(order[i], i);
  }
}

TEST(EventLoop, TimersFireOnceInTheOrderTheyFallDueUnlessStopped) {
  TEventLoop loop;
  std::vector<int> fired;
  const auto late = loop.StartTimer(40, [&] { fired.push_back(40); });
  const auto stopped = loop.StartTimer(20, [&] { fired.push_back(20); });
  loop.StartTimer(10, [&] { fired.push_back(10); });
  EXPECT_NE(late, 0u);
  EXPECT_NE(stopped, late);
  loop.StopTimer(stopped);
  loop.RunFor(80ms);
  EXPECT_EQ(fired, (std::vector<int>{10, 40}));
}

TEST(EventLoop, QuitFromAnotherThreadEndsRun) {
  TEventLoop loop;
  std::jthread quitter([&] {
    std::this_thread::sleep_for(30ms);
    loop.Quit();
  });
  loop.Run();
}

}  // namespace
}  // namespace trv
