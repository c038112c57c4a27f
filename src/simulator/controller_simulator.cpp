#include "simulator/controller_simulator.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "simulator/fifo_delivery.h"

namespace trv {

namespace {

constexpr std::size_t ReadChunkBytes = 4096;

[[noreturn]] void FailWithErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

BootloaderTime MonotonicNow() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

FileDescriptor BlockTerminationSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  if (::sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) FailWithErrno("sigprocmask");
  FileDescriptor fd(::signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC));
  if (!fd.Valid()) FailWithErrno("signalfd");
  return fd;
}

FileDescriptor MonotonicTimer() {
  FileDescriptor fd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
  if (!fd.Valid()) FailWithErrno("timerfd_create");
  return fd;
}

void TraceLine(const std::string& line) {
  std::fprintf(stderr, "m16c-sim: %s\n", line.c_str());
}

}  // namespace

ControllerSimulator::ControllerSimulator(const SimulatorOptions& options)
    : options_(options),
      bootloader_(options.Bootloader),
      signals_(BlockTerminationSignals()),
      timer_(MonotonicTimer()) {
  if (options_.Verbose) bootloader_.SetTrace(TraceLine);
  if (!options_.FlashPath.empty()) {
    flashFile_.emplace(options_.FlashPath, SimulatedBootloader::FlashBytes);
    if (const auto stored = flashFile_->Load()) bootloader_.LoadFlash(*stored);
  }
  if (!options_.Link.empty()) link_ = std::make_unique<DeviceLink>(options_.Link, DevicePath());
}

void ControllerSimulator::Run() {
  enum { SignalPoll, WatchPoll, MasterPoll, TimerPoll, PollCount };
  for (;;) {
    pollfd polls[PollCount] = {{signals_.Get(), POLLIN, 0},
                               {port_.WatchFd(), POLLIN, 0},
                               {port_.MasterFd(), POLLIN, 0},
                               {timer_.Get(), POLLIN, 0}};
    if (::poll(polls, PollCount, -1) < 0) {
      if (errno == EINTR) continue;
      FailWithErrno("poll");
    }
    if (polls[SignalPoll].revents) return;
    // The port's opens and closes come before its bytes: a new host starts from a reset.
    if (polls[WatchPoll].revents) HandleHostChanges();
    if (polls[MasterPoll].revents & (POLLERR | POLLHUP | POLLNVAL)) {
      throw std::runtime_error(DevicePath() + ": the pseudo-terminal failed");
    }
    if (polls[MasterPoll].revents & POLLIN) ReceiveFromHost();
    if (polls[TimerPoll].revents) DrainTimer();
    DeliverDueBytes();
    KeepFlash();
  }
}

void ControllerSimulator::HandleHostChanges() {
  for (PtyPort::HostChange change : port_.TakeHostChanges()) {
    if (change == PtyPort::HostChange::Opened) {
      if (options_.Verbose) TraceLine(options_.KeepState ? "port opened" : "port opened: reset");
      if (!options_.KeepState) bootloader_.Reset();
    } else {
      if (options_.Verbose) TraceLine("port closed");
      bootloader_.DiscardOutput();
      port_.ForgetHost();
    }
  }
}

void ControllerSimulator::ReceiveFromHost() {
  std::uint8_t buffer[ReadChunkBytes];
  const std::size_t count = port_.Read(buffer);
  const BootloaderTime now = MonotonicNow();
  const SenderLine line = port_.HostLine();
  for (std::size_t i = 0; i < count; ++i) {
    if (options_.AnyLine) {
      bootloader_.Receive(buffer[i], now);
    } else {
      bootloader_.Receive(buffer[i], now, line);
    }
  }
}

void ControllerSimulator::DeliverDueBytes() {
  const std::vector<LineByte> due = bootloader_.TakeBytesUntil(MonotonicNow());
  if (!due.empty()) {
    std::vector<std::uint8_t> values;
    for (const LineByte& byte : due) values.push_back(byte.Value);
    port_.Write(values);
  }
  ArmTimer(NextFifoDelivery(bootloader_.PendingBytes()));
}

void ControllerSimulator::DrainTimer() {
  std::uint64_t expirations = 0;
  while (::read(timer_.Get(), &expirations, sizeof expirations) < 0 && errno == EINTR) {
  }
}

void ControllerSimulator::ArmTimer(std::optional<BootloaderTime> due) {
  itimerspec setting{};  // all zero disarms
  if (due) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(*due);
    setting.it_value.tv_sec = seconds.count();
    setting.it_value.tv_nsec = (*due - seconds).count();
    // A zero time would disarm: a deadline at the clock's origin is long past anyway.
    if (setting.it_value.tv_sec == 0 && setting.it_value.tv_nsec == 0) setting.it_value.tv_nsec = 1;
  }
  if (::timerfd_settime(timer_.Get(), TFD_TIMER_ABSTIME, &setting, nullptr) != 0) {
    FailWithErrno("timerfd_settime");
  }
}

void ControllerSimulator::KeepFlash() {
  if (!flashFile_ || bootloader_.FlashRevision() == keptRevision_) return;
  // A failed save is tried again at the next change, not at every wake.
  keptRevision_ = bootloader_.FlashRevision();
  try {
    flashFile_->Save(bootloader_.Flash());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "m16c-sim: the flash is not kept: %s\n", error.what());
  }
}

}  // namespace trv
