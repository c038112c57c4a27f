#include "serial/port_access.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "pseudo_terminal.h"
#include "serial/event_loop.h"
#include "serial/serial_comms.h"
#include "serial/system_text.h"

namespace trv {
namespace {

namespace fs = std::filesystem;

std::string OpenError(TCommPort port) {
  TEventLoop loop;
  TSerialComms comms(&loop);
  comms.SetCommPort(port);
  try {
    comms.Open();
  } catch (const ESerialError& error) {
    return error.what();
  }
  return "(opened)";
}

TEST(NoPermissionMessage, SaysWhichGroupToJoinOrThatEvenTheGroupMayNot) {
  EXPECT_EQ(NoPermissionMessage({"/dev/ttyUSB0", "dialout", true, false}),
            "Unable to open communications port: /dev/ttyUSB0 belongs to group dialout, which "
            "you are not in: sudo usermod -aG dialout $USER, then log in again");
  EXPECT_EQ(NoPermissionMessage({"/dev/ttyS0", "dialout", true, true}),
            "Unable to open communications port: no permission to read and write /dev/ttyS0 "
            "(group dialout)");
  EXPECT_EQ(NoPermissionMessage({"/dev/ttyS0", "tty", false, false}),
            "Unable to open communications port: no permission to read and write /dev/ttyS0 "
            "(group tty)");
  EXPECT_EQ(NoPermissionMessage({"/dev/gone", "", false, false}),
            "Unable to open communications port: no permission to read and write /dev/gone");
}

TEST(DeviceAccessFacts, ComeFromTheDeviceAndTheUsersGroups) {
  const fs::path device = fs::temp_directory_path() / ("access-" + std::to_string(getpid()));
  std::ofstream(device).put('x');
  ASSERT_EQ(chmod(device.c_str(), 0660), 0);
  struct stat status {};
  ASSERT_EQ(stat(device.c_str(), &status), 0);

  const TDeviceAccessFacts outside = DeviceAccessFacts(device, {status.st_gid + 1});
  EXPECT_EQ(outside.Device, device.string());
  EXPECT_FALSE(outside.Group.empty());
  EXPECT_TRUE(outside.GroupMayReadWrite);
  EXPECT_FALSE(outside.UserInGroup);
  EXPECT_TRUE(DeviceAccessFacts(device, {status.st_gid}).UserInGroup);
  ASSERT_EQ(chmod(device.c_str(), 0640), 0);
  EXPECT_FALSE(DeviceAccessFacts(device, {}).GroupMayReadWrite);
  fs::remove(device);
}

TEST(PortAccess, DeviceTheUserMayNotOpenIsExplained) {
  if (geteuid() == 0) GTEST_SKIP() << "root opens a device whatever its mode";
  TPseudoTerminal pty;
  ASSERT_EQ(chmod(pty.Path().c_str(), 0), 0);
  setenv("TRV_COM5", pty.Path().c_str(), 1);
  EXPECT_EQ(OpenError(spCOM5), NoPermissionMessage(DeviceAccessFacts(pty.Path(), ProcessGroups())));
  EXPECT_NE(OpenError(spCOM5).find(pty.Path()), std::string::npos);
  unsetenv("TRV_COM5");
}

TEST(PortAccess, PortInUseNamesTheProcessHoldingIt) {
  TPseudoTerminal pty;
  const int holder = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  setenv("TRV_COM5", pty.Path().c_str(), 1);
  EXPECT_EQ(OpenError(spCOM5), "Unable to open communications port: " + pty.Path() +
                                   " is in use by " + ReadShortText("/proc/self/comm") +
                                   " (process " + std::to_string(getpid()) + ")");
  unsetenv("TRV_COM5");
  ::close(holder);
}

TEST(FindPortHolder, TakesTheLowestProcessThatHasTheDeviceOpen) {
  const fs::path proc = fs::temp_directory_path() / ("proc-" + std::to_string(getpid()));
  const auto process = [&](const std::string& pid, const std::string& name,
                           const std::string& target) {
    fs::create_directories(proc / pid / "fd");
    std::ofstream(proc / pid / "comm") << name << '\n';
    fs::create_symlink(target, proc / pid / "fd" / "3");
  };
  process("7", "bash", "/dev/pts/1");
  process("200", "screen", "/dev/ttyUSB0");
  process("123", "minicom", "/dev/ttyUSB0");
  process("self", "odd", "/dev/ttyUSB0");
  fs::create_directories(proc / "99" / "fd");  // no comm, nothing open

  const auto holder = FindPortHolder("/dev/ttyUSB0", proc);
  ASSERT_TRUE(holder.has_value());
  EXPECT_EQ(holder->Pid, 123);
  EXPECT_EQ(holder->Name, "minicom");
  EXPECT_FALSE(FindPortHolder("/dev/ttyS3", proc).has_value());
  EXPECT_EQ(InUseMessage("/dev/ttyS3", std::nullopt),
            "Unable to open communications port: /dev/ttyS3 is in use by another program");
  fs::remove_all(proc);
}

}  // namespace
}  // namespace trv
