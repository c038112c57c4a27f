#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "serial/ui_dispatcher.h"

namespace trv {

// A user-interface thread without a window: the thread that runs the loop runs every posted call
// and timer, in order. For the command-line tool and the tests.
class TEventLoop final : public TUiDispatcher {
 public:
  using TClock = std::chrono::steady_clock;

  void Post(std::function<void()> call) override;
  std::uint32_t StartTimer(std::uint32_t periodMs, std::function<void()> expired) override;
  void StopTimer(std::uint32_t id) override;

  // Runs calls and timers until Quit().
  void Run();
  // Runs calls and timers until done() holds or the time passes; returns done().
  bool RunUntil(const std::function<bool()>& done, TClock::duration limit);
  // Runs calls and timers for the whole duration.
  void RunFor(TClock::duration duration);
  // Any thread: ends Run(); a later Run() starts afresh.
  void Quit();

 private:
  struct TTimer {
    TClock::time_point Due;
    std::function<void()> Expired;
  };

  // Runs one due call or timer, or sleeps until one may be due or `until`; false when quit.
  bool RunOnce(TClock::time_point until);
  // With FLock held: the next posted call, else the earliest timer that is due.
  std::function<void()> TakeNextDue();
  std::map<std::uint32_t, TTimer>::iterator EarliestTimer();

  std::mutex FLock;
  std::condition_variable FWake;
  std::deque<std::function<void()>> FCalls;
  std::map<std::uint32_t, TTimer> FTimers;
  std::uint32_t FLastTimerId = 0;
  bool FQuit = false;
};

}  // namespace trv
