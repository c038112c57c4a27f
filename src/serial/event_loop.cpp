#include "serial/event_loop.h"

#include <algorithm>
#include <utility>

namespace trv {

void TEventLoop::Post(std::function<void()> call) {
  {
    const std::lock_guard lock(FLock);
    FCalls.push_back(std::move(call));
  }
  FWake.notify_all();
}

std::uint32_t TEventLoop::StartTimer(std::uint32_t periodMs, std::function<void()> expired) {
  std::uint32_t id = 0;
  {
    const std::lock_guard lock(FLock);
    do {
      id = ++FLastTimerId;
    } while (id == 0 || FTimers.contains(id));
    FTimers[id] = {TClock::now() + std::chrono::milliseconds(periodMs), std::move(expired)};
  }
  FWake.notify_all();
  return id;
}

void TEventLoop::StopTimer(std::uint32_t id) {
  const std::lock_guard lock(FLock);
  FTimers.erase(id);
}

void TEventLoop::Run() {
  while (RunOnce(TClock::time_point::max())) {
  }
  const std::lock_guard lock(FLock);
  FQuit = false;
}

bool TEventLoop::RunUntil(const std::function<bool()>& done, TClock::duration limit) {
  const auto until = TClock::now() + limit;
  while (!done() && TClock::now() < until && RunOnce(until)) {
  }
  return done();
}

void TEventLoop::RunFor(TClock::duration duration) {
  RunUntil([] { return false; }, duration);
}

void TEventLoop::Quit() {
  {
    const std::lock_guard lock(FLock);
    FQuit = true;
  }
  FWake.notify_all();
}

bool TEventLoop::RunOnce(TClock::time_point until) {
  std::unique_lock lock(FLock);
  while (!FQuit) {
    if (auto due = TakeNextDue()) {
      lock.unlock();
      due();
      return true;
    }
    const auto next = EarliestTimer();
    const auto wakeAt = next == FTimers.end() ? until : std::min(until, next->second.Due);
    if (TClock::now() >= until) {
      return true;
    }
    if (wakeAt == TClock::time_point::max()) {
      FWake.wait(lock);
    } else {
      FWake.wait_until(lock, wakeAt);
    }
  }
  return false;
}

std::map<std::uint32_t, TEventLoop::TTimer>::iterator TEventLoop::EarliestTimer() {
  return std::min_element(FTimers.begin(), FTimers.end(),
                          [](auto& a, auto& b) { return a.second.Due < b.second.Due; });
}

std::function<void()> TEventLoop::TakeNextDue() {
  if (!FCalls.empty()) {
    auto call = std::move(FCalls.front());
    FCalls.pop_front();
    return call;
  }
  const auto timer = EarliestTimer();
  if (timer == FTimers.end() || timer->second.Due > TClock::now()) {
    return nullptr;
  }
  auto expired = std::move(timer->second.Expired);
  FTimers.erase(timer);
  return expired;
}

}  // namespace trv
