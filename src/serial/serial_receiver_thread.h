#pragma once

#include <atomic>
#include <thread>

namespace trv {

class TSerialComms;

// Collects every byte that arrives on its owner's open port into the owner's receive buffer and
// posts one notification per burst. It sleeps in ppoll on the port and its stop event; it ends
// when destroyed or when the device fails.
class TSerialReceiverThread {
 public:
  // Raises ESerialError when the stop event or the thread cannot be created.
  explicit TSerialReceiverThread(TSerialComms& owner);
  // Stops the thread and waits for it.
  ~TSerialReceiverThread();
  TSerialReceiverThread(const TSerialReceiverThread&) = delete;
  TSerialReceiverThread& operator=(const TSerialReceiverThread&) = delete;

 private:
  void Execute();
  void CollectQueuedBytes();
  void ResetStopEvent();

  TSerialComms& FOwner;
  int FStopEvent = -1;
  std::atomic<bool> FTerminated{false};
  std::thread FThread;
};

}  // namespace trv
