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
  std::vector<std::thread::id> threads;
  std::thread poster([&] {
    for (int i = 0; i < 100; ++i) {
      loop.Post([&, i] {
        order.push_back(i);
        threads.push_back(std::this_thread::get_id());
      });
    }
  });
  EXPECT_TRUE(loop.RunUntil([&] { return order.size() == 100; }, 2s));
  poster.join();
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(order[i], i);
    EXPECT_EQ(threads[i], std::this_thread::get_id());
  }
}

TEST(EventLoop, TimersFireOnceInTheOrderTheyFallDueUnlessStopped) {
  TEventLoop loop;
  std::vector<int> fired;
  const auto late = loop.StartTimer(40, [&] { fired.push_back(40); });
  const auto stopped = loop.StartTimer(20, [&] { fired.push_back(20); });
  const auto early = loop.StartTimer(10, [&] { fired.push_back(10); });
  EXPECT_NE(late, 0u);
  EXPECT_NE(stopped, late);
  EXPECT_NE(early, stopped);
  loop.StopTimer(stopped);
  loop.StopTimer(0);
  loop.RunFor(80ms);
  EXPECT_EQ(fired, (std::vector<int>{10, 40}));
  loop.StopTimer(late);
}

TEST(EventLoop, QuitFromAnotherThreadEndsRun) {
  TEventLoop loop;
  bool ran = false;
  loop.StartTimer(10, [&] { ran = true; });
  std::thread quitter([&] {
    std::this_thread::sleep_for(30ms);
    loop.Quit();
  });
  loop.Run();
  quitter.join();
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace trv
