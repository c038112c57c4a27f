#include "serial/serial_receiver_thread.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <vector>

#include "serial/serial_comms.h"

namespace trv {
namespace {

// More than a driver queue holds; a larger count from the driver is taken in several passes.
constexpr std::int32_t LargestBurst = 65536;

}  // namespace

TSerialReceiverThread::TSerialReceiverThread(TSerialComms& owner) : FOwner(owner) {
  {
    const std::lock_guard lock(FOwner.FReceiveLock);
    FOwner.FReceiveBuffer.clear();
  }
  FStopEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (FStopEvent < 0) {
    throw ESerialError("Error creating receiver stop event");
  }
  try {
    FThread = std::thread([this] { Execute(); });
  } catch (const std::system_error&) {
    ::close(FStopEvent);
    throw ESerialError("Unable to start receiver thread");
  }
}

TSerialReceiverThread::~TSerialReceiverThread() {
  FTerminated = true;
  const std::uint64_t signal = 1;
  [[maybe_unused]] const auto written = ::write(FStopEvent, &signal, sizeof signal);
  FThread.join();
  ::close(FStopEvent);
}

void TSerialReceiverThread::Execute() {
  while (!FTerminated) {
    CollectQueuedBytes();
    switch (FOwner.FPort.AwaitInputOr(FStopEvent)) {
      case TPosixSerialDevice::TWakeReason::Input:
        break;
      case TPosixSerialDevice::TWakeReason::Other:
        ResetStopEvent();
        break;
      case TPosixSerialDevice::TWakeReason::Failed:
        return;
    }
  }
}

void TSerialReceiverThread::CollectQueuedBytes() {
  const std::int32_t queued = std::min(FOwner.GetAvailableByteCount(), LargestBurst);
  if (queued <= 0) {
    return;
  }
  std::vector<std::uint8_t> burst(static_cast<std::size_t>(queued));
  const std::int32_t got = FOwner.Read(burst.data(), queued, 0);
  if (got > 0) {
    FOwner.AppendReceived(burst.data(), static_cast<std::size_t>(got));
  }
}

void TSerialReceiverThread::ResetStopEvent() {
  std::uint64_t count = 0;
  [[maybe_unused]] const auto read = ::read(FStopEvent, &count, sizeof count);
}

}  // namespace trv
