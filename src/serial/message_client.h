#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "serial/ui_dispatcher.h"

namespace trv {

// The serial component's endpoint on the user-interface thread: a data notification and the
// time-out timer reach whichever handler is installed when they arrive there, so one that
// arrives after Close, or after the component has gone, does nothing.
class TMessageClient {
 public:
  using THandler = std::function<void()>;

  explicit TMessageClient(TUiDispatcher& dispatcher);
  TMessageClient(const TMessageClient&) = delete;
  TMessageClient& operator=(const TMessageClient&) = delete;

  void SetHandlers(THandler data, THandler timer);
  void ClearHandlers();

  // Any thread. The notification carries no data.
  void PostDataReceived();
  std::uint32_t StartTimer(std::uint32_t periodMs);
  void StopTimer(std::uint32_t id);

 private:
  struct THandlers {
    std::mutex Lock;
    THandler Data;
    THandler Timer;
  };

  static void Dispatch(const std::weak_ptr<THandlers>& handlers, THandler THandlers::*which);

  TUiDispatcher& FDispatcher;
  std::shared_ptr<THandlers> FHandlers = std::make_shared<THandlers>();
};

}  // namespace trv
