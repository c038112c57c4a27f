#include "flash/flash_clock.h"

#include <thread>

namespace trv {

TFlashClock::Duration TSteadyFlashClock::Now() {
  return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch());
}

void TSteadyFlashClock::Sleep(Duration pause) {
  std::this_thread::sleep_for(pause);
}

}  // namespace trv
