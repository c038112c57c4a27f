#pragma once

#include <chrono>

namespace trv {

// Where a flash job takes its pauses. The real program sleeps; tests run whole jobs in virtual
// time.
class TFlashClock {
 public:
  using Duration = std::chrono::microseconds;

  virtual ~TFlashClock() = default;
  virtual Duration Now() = 0;
  virtual void Sleep(Duration pause) = 0;
};

// The steady clock of the machine; Sleep blocks the calling thread.
class TSteadyFlashClock final : public TFlashClock {
 public:
  Duration Now() override;
  void Sleep(Duration pause) override;
};

}  // namespace trv
