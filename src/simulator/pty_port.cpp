#include "simulator/pty_port.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <utility>

namespace trv {

namespace {

[[noreturn]] void FailWithErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

FileDescriptor OpenMaster() {
  FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!master.Valid()) FailWithErrno("posix_openpt");
  if (::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0) FailWithErrno("unlockpt");
  const int flags = ::fcntl(master.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(master.Get(), F_SETFL, flags | O_NONBLOCK) != 0) {
    FailWithErrno("fcntl");
  }
  return master;
}

std::string DeviceName(int master) {
  char name[128];
  if (::ptsname_r(master, name, sizeof name) != 0) FailWithErrno("ptsname_r");
  return name;
}

// Raw 8N1 at 9600 bit/s until the host sets its port; the settings are the device side's.
void SetRaw(int master) {
  termios settings{};
  if (::tcgetattr(master, &settings) != 0) FailWithErrno("tcgetattr");
  ::cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  ::cfsetispeed(&settings, B9600);
  ::cfsetospeed(&settings, B9600);
  if (::tcsetattr(master, TCSANOW, &settings) != 0) FailWithErrno("tcsetattr");
}

std::uint32_t BitsPerSecond(speed_t speed) {
  static constexpr std::pair<speed_t, std::uint32_t> rates[] = {
      {B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
      {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
  for (auto [code, bitsPerSecond] : rates) {
    if (code == speed) return bitsPerSecond;
  }
  return 0;  // matches no rate of the bootloader
}

}  // namespace

PtyPort::PtyPort() : master_(OpenMaster()), devicePath_(DeviceName(master_.Get())) {
  SetRaw(master_.Get());
  device_ = FileDescriptor(::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!device_.Valid()) FailWithErrno(devicePath_);
  watch_ = FileDescriptor(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!watch_.Valid()) FailWithErrno("inotify_init1");
  if (::inotify_add_watch(watch_.Get(), devicePath_.c_str(), IN_OPEN | IN_CLOSE) < 0) {
    FailWithErrno("inotify_add_watch " + devicePath_);
  }
}

std::vector<PtyPort::HostChange> PtyPort::TakeHostChanges() {
  std::vector<HostChange> changes;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(watch_.Get(), buffer, sizeof buffer);
    if (count <= 0) break;
    for (ssize_t offset = 0; offset < count;) {
      inotify_event event;
      std::memcpy(&event, buffer + offset, sizeof event);
      offset += static_cast<ssize_t>(sizeof event + event.len);
      if (event.mask & IN_OPEN && hostOpens_++ == 0) changes.push_back(HostChange::Opened);
      if (event.mask & IN_CLOSE && hostOpens_ > 0 && --hostOpens_ == 0) {
        changes.push_back(HostChange::Closed);
      }
    }
  }
  return changes;
}

std::size_t PtyPort::Read(std::span<std::uint8_t> buffer) {
  for (;;) {
    const ssize_t count = ::read(master_.Get(), buffer.data(), buffer.size());
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EIO) return 0;
    FailWithErrno("read " + devicePath_);
  }
}

SenderLine PtyPort::HostLine() const {
  termios settings{};
  if (::tcgetattr(master_.Get(), &settings) != 0) return SenderLine{0, false};
  const bool eightNoParity = (settings.c_cflag & CSIZE) == CS8 && !(settings.c_cflag & PARENB);
  return SenderLine{BitsPerSecond(::cfgetospeed(&settings)), eightNoParity};
}

void PtyPort::Write(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(master_.Get(), bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    bytes = bytes.subspan(static_cast<std::size_t>(count));
  }
}

void PtyPort::ForgetHost() {
  ::tcflush(device_.Get(), TCIFLUSH);
  ::ioctl(device_.Get(), TIOCNXCL);
}

}  // namespace trv
