#include "serial/posix_serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

namespace trv {
namespace {

using namespace std::chrono_literals;

// Start bit, 8 data bits, stop bit.
constexpr std::int32_t BitsPerCharacter = 10;
// The largest VMIN; a read of more bytes waits for the rest in pauses of the line time of the
// missing bytes, within these bounds.
constexpr std::int32_t LargestWakeCount = 255;
constexpr auto ShortestPause = 50us;
constexpr auto LongestPause = 1ms;

struct TRate {
  std::int32_t BitsPerSecond;
  speed_t Speed;
};

constexpr std::array<TRate, 8> Rates{{{1200, B1200},
                                      {2400, B2400},
                                      {4800, B4800},
                                      {9600, B9600},
                                      {19200, B19200},
                                      {38400, B38400},
                                      {57600, B57600},
                                      {115200, B115200}}};

// 9600 bit/s for anything outside the table.
template <typename Matches>
const TRate& RateWhere(Matches matches) {
  const auto rate = std::find_if(Rates.begin(), Rates.end(), matches);
  return rate == Rates.end() ? Rates[3] : *rate;
}

speed_t SpeedOf(std::int32_t bitsPerSecond) {
  return RateWhere([&](const TRate& r) { return r.BitsPerSecond == bitsPerSecond; }).Speed;
}

std::int32_t BitsPerSecondOf(speed_t speed) {
  return RateWhere([&](const TRate& r) { return r.Speed == speed; }).BitsPerSecond;
}

timespec ToTimespec(TPosixSerialDevice::TClock::duration d) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::max(d, d.zero()));
  return {static_cast<time_t>(ns.count() / 1000000000), static_cast<long>(ns.count() % 1000000000)};
}

// ppoll for at most `limit`; the descriptors' revents are filled in. -1 only on a real error.
int Sleep(pollfd* fds, nfds_t count, TPosixSerialDevice::TClock::duration limit) {
  const timespec timeout = ToTimespec(limit);
  const int result = ppoll(fds, count, &timeout, nullptr);
  return result < 0 && errno == EINTR ? 0 : result;
}

bool HasFailed(short revents) {
  return (revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
}

// A privileged opener gets past another program's TIOCEXCL, so the hold is checked as well.
bool HeldExclusivelyElsewhere(int handle) {
  int exclusive = 0;
  return ioctl(handle, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

TOpenFailure FailureOfOpen(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return TOpenFailure::NoPermission;
    case EBUSY:
      return TOpenFailure::InUse;
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
      return TOpenFailure::Absent;
    default:
      return TOpenFailure::Unusable;
  }
}

// The exclusive hold of another opener, or a lock another program took.
bool HeldElsewhere(int handle) {
  return HeldExclusivelyElsewhere(handle) || flock(handle, LOCK_EX | LOCK_NB) != 0;
}

}  // namespace

termios MakeLineSettings(const termios& current, std::int32_t bitsPerSecond) {
  termios settings = current;
  settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP |
                                             INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
#ifdef IUCLC
  settings.c_iflag &= ~static_cast<tcflag_t>(IUCLC);
#endif
  settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  const speed_t speed = SpeedOf(bitsPerSecond);
  cfsetispeed(&settings, speed);
  cfsetospeed(&settings, speed);
  return settings;
}

TPosixSerialDevice::~TPosixSerialDevice() {
  Close();
}

std::optional<TOpenFailure> TPosixSerialDevice::Open(const std::string& path) {
  Close();
  const int handle = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (handle < 0) {
    return FailureOfOpen(errno);
  }
  const bool inUse = HeldElsewhere(handle);
  if (inUse || ioctl(handle, TIOCEXCL) != 0) {
    ::close(handle);
    return inUse ? TOpenFailure::InUse : TOpenFailure::Unusable;
  }
  FHandle = handle;
  FSettingsAtOpen = FetchLineSettings();
  return std::nullopt;
}

void TPosixSerialDevice::Close() {
  if (FHandle < 0) {
    return;
  }
  // Best effort: the line is handed back to whatever uses the device next as it was found.
  if (FSettingsAtOpen) {
    tcsetattr(FHandle, TCSANOW, &*FSettingsAtOpen);
  }
  ioctl(FHandle, TIOCNXCL);
  ::close(std::exchange(FHandle, -1));
}

std::optional<termios> TPosixSerialDevice::FetchLineSettings() const {
  termios settings{};
  if (tcgetattr(FHandle, &settings) != 0) {
    return std::nullopt;
  }
  return settings;
}

bool TPosixSerialDevice::StoreLineSettings(const termios& settings) {
  if (tcsetattr(FHandle, TCSANOW, &settings) != 0) {
    return false;
  }
  // tcsetattr succeeds when any part was applied: a rate the driver refused shows on reading back.
  const auto applied = FetchLineSettings();
  if (!applied || cfgetospeed(&*applied) != cfgetospeed(&settings)) {
    return false;
  }
  FBitsPerSecond = BitsPerSecondOf(cfgetospeed(&settings));
  return true;
}

bool TPosixSerialDevice::SetTimeouts(std::uint32_t writeMsPerByte) {
  auto settings = FetchLineSettings();
  if (!settings) {
    return false;
  }
  settings->c_cc[VMIN] = 1;
  settings->c_cc[VTIME] = 0;
  if (tcsetattr(FHandle, TCSANOW, &*settings) != 0) {
    return false;
  }
  FWakeCount = 1;
  FWriteMsPerByte = writeMsPerByte;
  return true;
}

void TPosixSerialDevice::HoldModemLinesOff() {
  const int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(FHandle, TIOCMBIC, &lines);
}

std::int32_t TPosixSerialDevice::QueuedCount() const {
  int queued = 0;
  if (FHandle < 0 || ioctl(FHandle, FIONREAD, &queued) != 0 || queued < 0) {
    return 0;
  }
  return queued;
}

void TPosixSerialDevice::DiscardInput() {
  if (FHandle >= 0) {
    tcflush(FHandle, TCIFLUSH);
  }
}

bool TPosixSerialDevice::Take(std::uint8_t* buffer, std::int32_t count,
                              TClock::time_point deadline) {
  std::int32_t taken = 0;
  while (taken < count) {
    const ssize_t got = ::read(FHandle, buffer + taken, static_cast<std::size_t>(count - taken));
    if (got > 0) {
      taken += static_cast<std::int32_t>(got);
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else if (got == 0 || errno != EAGAIN || TClock::now() >= deadline ||
               !AwaitInput(0, count - taken, deadline)) {
      return false;
    }
  }
  return true;
}

bool TPosixSerialDevice::AwaitInput(std::int32_t queued, std::int32_t wanted,
                                    TClock::time_point deadline) {
  const std::int32_t wakeCount = std::min(wanted, LargestWakeCount);
  if (queued >= wakeCount || !SetWakeCount(wakeCount)) {
    return Pause(LineTime(wanted - queued), deadline);
  }
  pollfd port{FHandle, POLLIN, 0};
  const int ready = Sleep(&port, 1, deadline - TClock::now());
  SetWakeCount(1);
  if (ready < 0 || HasFailed(port.revents)) {
    return false;
  }
  // A driver that reports input before VMIN bytes are queued must not make the caller spin.
  const std::int32_t nowQueued = QueuedCount();
  return ready == 0 || nowQueued >= wakeCount || Pause(LineTime(wanted - nowQueued), deadline);
}

// With VTIME 0 the terminal reports input to poll only once VMIN bytes are queued, so a read
// of several bytes sleeps until the last of them has come.
bool TPosixSerialDevice::SetWakeCount(std::int32_t count) {
  if (count == FWakeCount) {
    return true;
  }
  auto settings = FetchLineSettings();
  if (!settings) {
    return false;
  }
  settings->c_cc[VMIN] = static_cast<cc_t>(count);
  if (tcsetattr(FHandle, TCSANOW, &*settings) != 0) {
    return false;
  }
  FWakeCount = count;
  return true;
}

bool TPosixSerialDevice::Pause(TClock::duration lineTime, TClock::time_point deadline) {
  const auto pause = std::clamp<TClock::duration>(lineTime, ShortestPause, LongestPause);
  return Sleep(nullptr, 0, std::min(pause, deadline - TClock::now())) >= 0;
}

TPosixSerialDevice::TWakeReason TPosixSerialDevice::AwaitInputOr(int other) {
  std::array<pollfd, 2> fds{{{FHandle, POLLIN, 0}, {other, POLLIN, 0}}};
  while (true) {
    const int ready = ppoll(fds.data(), fds.size(), nullptr, nullptr);
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready < 0 || HasFailed(fds[0].revents)) {
      return TWakeReason::Failed;
    }
    return (fds[1].revents & POLLIN) != 0 ? TWakeReason::Other : TWakeReason::Input;
  }
}

std::int32_t TPosixSerialDevice::Write(const std::uint8_t* buffer, std::int32_t count) {
  const auto deadline =
      TClock::now() + std::chrono::milliseconds(std::int64_t{count} * FWriteMsPerByte);
  std::int32_t written = 0;
  while (written < count) {
    const ssize_t sent =
        ::write(FHandle, buffer + written, static_cast<std::size_t>(count - written));
    if (sent > 0) {
      written += static_cast<std::int32_t>(sent);
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else if (sent == 0 || errno != EAGAIN) {
      return 0;
    } else if (!WaitWritable(deadline)) {
      return written;
    }
  }
  WaitUntilSent(deadline);
  return written;
}

bool TPosixSerialDevice::WaitWritable(TClock::time_point deadline) {
  const auto limit = deadline - TClock::now();
  if (limit <= limit.zero()) {
    return false;
  }
  pollfd port{FHandle, POLLOUT, 0};
  const int ready = Sleep(&port, 1, limit);
  if (ready < 0 || HasFailed(port.revents)) {
    return false;
  }
  // Nothing ready before the deadline: a signal woke the wait, and the write tries again.
  return ready > 0 || TClock::now() < deadline;
}

// A write is done when its bytes have left the driver, so that a reply's time-out starts after
// the request has gone out.
void TPosixSerialDevice::WaitUntilSent(TClock::time_point deadline) {
  int pending = 0;
  while (ioctl(FHandle, TIOCOUTQ, &pending) == 0 && pending > 0 && TClock::now() < deadline) {
    Pause(LineTime(pending), deadline);
  }
}

TPosixSerialDevice::TClock::duration TPosixSerialDevice::LineTime(std::int32_t bytes) const {
  return std::chrono::microseconds(std::int64_t{bytes} * BitsPerCharacter * 1000000 /
                                   FBitsPerSecond);
}

}  // namespace trv
