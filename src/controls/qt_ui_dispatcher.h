#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

#include "serial/ui_dispatcher.h"

namespace trv {

// The serial component's user-interface thread in a Qt program: queued calls to this object
// and one QTimer per time-out, all on the thread the object lives on.
class TQtUiDispatcher final : public QObject, public TUiDispatcher {
  Q_OBJECT

 public:
  explicit TQtUiDispatcher(QObject* parent = nullptr) : QObject(parent) {}

  void Post(std::function<void()> call) override;
  std::uint32_t StartTimer(std::uint32_t periodMs, std::function<void()> expired) override;
  void StopTimer(std::uint32_t id) override;

 private:
  std::map<std::uint32_t, std::unique_ptr<QTimer>> FTimers;
  std::uint32_t FLastTimerId = 0;
};

}  // namespace trv
