#include "simulator/device_link.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace trv {
namespace {

namespace fs = std::filesystem;

class DeviceLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("trv-device-link-" + std::to_string(::getpid()));
    fs::create_directories(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }

  fs::path directory_;
};

TEST_F(DeviceLinkTest, ReplacesAStaleLinkAndRemovesItsOwnOnExit) {
  const fs::path link = directory_ / "COM1";
  fs::create_symlink("/dev/pts/999", link);
  {
    DeviceLink made(link, "/dev/pts/7");
    EXPECT_EQ(fs::read_symlink(link), "/dev/pts/7");
  }
  EXPECT_FALSE(fs::is_symlink(fs::symlink_status(link)));
}

TEST_F(DeviceLinkTest, LeavesALinkThatAnotherSimulatorTookOver) {
  const fs::path link = directory_ / "COM1";
  {
    DeviceLink first(link, "/dev/pts/7");
    DeviceLink second(link, "/dev/pts/8");
  }
  EXPECT_FALSE(fs::is_symlink(fs::symlink_status(link)));
  {
    DeviceLink first(link, "/dev/pts/7");
    fs::remove(link);
    fs::create_symlink("/dev/pts/8", link);
  }
  EXPECT_EQ(fs::read_symlink(link), "/dev/pts/8");
}

TEST_F(DeviceLinkTest, RefusesToReplaceAFile) {
  const fs::path path = directory_ / "notes.txt";
  std::ofstream(path) << "keep me";
  EXPECT_THROW(DeviceLink(path, "/dev/pts/7"), std::runtime_error);
  EXPECT_EQ(fs::file_size(path), 7u);
  EXPECT_THROW(DeviceLink(directory_ / "missing" / "COM1", "/dev/pts/7"), std::runtime_error);
}

}  // namespace
}  // namespace trv
