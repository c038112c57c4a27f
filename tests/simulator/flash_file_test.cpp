#include "simulator/flash_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace trv {
namespace {

namespace fs = std::filesystem;

class FlashFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("trv-flash-file-" + std::to_string(::getpid()));
    fs::create_directories(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }

  std::string LoadError(const FlashFile& file) {
    try {
      file.Load();
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return "loaded";
  }

  fs::path directory_;
};

TEST_F(FlashFileTest, SavedFlashLoadsBackAndNoTemporaryFileStays) {
  const FlashFile file(directory_ / "flash.bin", 1024);
  EXPECT_FALSE(file.Load().has_value()) << "no file yet";
  std::vector<std::uint8_t> contents(1024);
  for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<std::uint8_t>(i * 7);
  file.Save(contents);
  contents[5] = 0x00;
  file.Save(contents);
  EXPECT_EQ(file.Load(), contents);
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

TEST_F(FlashFileTest, AFileOfAnotherSizeIsRefusedAndKept) {
  const fs::path path = directory_ / "other.bin";
  std::ofstream(path) << "not a flash";
  const FlashFile file(path, 1024);
  EXPECT_EQ(LoadError(file), path.string() + ": not a flash file: 11 bytes instead of 1024");
  EXPECT_EQ(fs::file_size(path), 11u);
  EXPECT_NE(LoadError(FlashFile(directory_, 1024)), "loaded") << "a directory";
}

TEST_F(FlashFileTest, SavingIntoAMissingDirectoryNamesTheFile) {
  const FlashFile file(directory_ / "missing" / "flash.bin", 4);
  try {
    file.Save(std::vector<std::uint8_t>(4));
    FAIL() << "saved";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              (directory_ / "missing" / "flash.bin.tmp").string() + ": No such file or directory");
  }
}

}  // namespace
}  // namespace trv
