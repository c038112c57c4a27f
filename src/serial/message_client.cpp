#include "serial/message_client.h"

#include <utility>

namespace trv {

TMessageClient::TMessageClient(TUiDispatcher& dispatcher) : FDispatcher(dispatcher) {}

void TMessageClient::SetHandlers(THandler data, THandler timer) {
  const std::lock_guard lock(FHandlers->Lock);
  FHandlers->Data = std::move(data);
  FHandlers->Timer = std::move(timer);
}

void TMessageClient::ClearHandlers() {
  SetHandlers(nullptr, nullptr);
}

void TMessageClient::PostDataReceived() {
  FDispatcher.Post([handlers = std::weak_ptr(FHandlers)] { Dispatch(handlers, &THandlers::Data); });
}

std::uint32_t TMessageClient::StartTimer(std::uint32_t periodMs) {
  return FDispatcher.StartTimer(
      periodMs, [handlers = std::weak_ptr(FHandlers)] { Dispatch(handlers, &THandlers::Timer); });
}

void TMessageClient::StopTimer(std::uint32_t id) {
  FDispatcher.StopTimer(id);
}

void TMessageClient::Dispatch(const std::weak_ptr<THandlers>& handlers,
                              THandler THandlers::*which) {
  const auto alive = handlers.lock();
  if (!alive) {
    return;
  }
  THandler handler;
  {
    const std::lock_guard lock(alive->Lock);
    handler = (*alive).*which;
  }
  if (handler) {
    handler();
  }
}

}  // namespace trv
