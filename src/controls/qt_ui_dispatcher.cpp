#include "controls/qt_ui_dispatcher.h"

#include <QMetaObject>

namespace trv {

void TQtUiDispatcher::Post(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

std::uint32_t TQtUiDispatcher::StartTimer(std::uint32_t periodMs, std::function<void()> expired) {
  const std::uint32_t id = ++FLastTimerId == 0 ? ++FLastTimerId : FLastTimerId;
  auto timer = std::make_unique<QTimer>();
  timer->setSingleShot(true);
  // The timer goes before its call runs, so the call may start a timer of its own.
  connect(timer.get(), &QTimer::timeout, this, [this, id, expired = std::move(expired)] {
    StopTimer(id);
    expired();
  });
  timer->start(static_cast<int>(std::min<std::uint32_t>(periodMs, INT32_MAX)));
  FTimers[id] = std::move(timer);
  return id;
}

void TQtUiDispatcher::StopTimer(std::uint32_t id) {
  const auto timer = FTimers.find(id);
  if (timer == FTimers.end()) return;
  // Deleted later: StopTimer may run inside the timer's own timeout signal.
  timer->second.release()->deleteLater();
  FTimers.erase(timer);
}

}  // namespace trv
