#pragma once

#include <cstdint>
#include <functional>

namespace trv {

// The user-interface thread as the serial component sees it: a queue of calls and one-shot
// timers that all run on that thread. A Qt implementation posts queued calls to a QObject and
// keeps a QTimer per id; TEventLoop is the plain one.
class TUiDispatcher {
 public:
  virtual ~TUiDispatcher() = default;

  // Any thread: runs call on the user-interface thread, after every call posted before it.
  virtual void Post(std::function<void()> call) = 0;

  // User-interface thread: calls expired once, periodMs milliseconds from now. The id is never 0.
  virtual std::uint32_t StartTimer(std::uint32_t periodMs, std::function<void()> expired) = 0;

  // User-interface thread: the timer will not call. An id that has expired, was stopped or is 0
  // is ignored.
  virtual void StopTimer(std::uint32_t id) = 0;
};

}  // namespace trv
