#include "files/replacing_write.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace trv {
namespace {

class ReplacingWriteTest : public ::testing::Test {
 protected:
  ReplacingWriteTest() { std::filesystem::create_directories(FDirectory); }
  ~ReplacingWriteTest() override { std::filesystem::remove_all(FDirectory); }

  static std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FDirectory)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  const std::filesystem::path FDirectory =
      std::filesystem::temp_directory_path() / ("replacing-write-" + std::to_string(getpid()));
  const std::filesystem::path FTarget = FDirectory / "site.bin";
};

TEST_F(ReplacingWriteTest, NewContentAppearsOnlyOnceWholeAndNoSiblingStays) {
  std::ofstream(FTarget) << "old";
  WriteReplacing(FTarget, [&](const std::filesystem::path& sibling) {
    EXPECT_EQ(sibling.parent_path(), FDirectory);
    EXPECT_NE(sibling, FTarget);
    std::ofstream(sibling) << "new ";
    EXPECT_EQ(ReadAll(FTarget), "old");
    std::ofstream(sibling, std::ios::app) << "content";
  });
  EXPECT_EQ(ReadAll(FTarget), "new content");
  EXPECT_EQ(Names(), std::vector<std::string>{"site.bin"});

  const std::filesystem::path fresh = FDirectory / "fresh.hex";
  WriteReplacing(fresh,
                 [](const std::filesystem::path& sibling) { std::ofstream(sibling) << "x"; });
  EXPECT_EQ(ReadAll(fresh), "x");
}

TEST_F(ReplacingWriteTest, WriteThatFailsHalfWayLeavesTheOldFileAndNoSibling) {
  std::ofstream(FTarget) << "old";
  EXPECT_THROW(WriteReplacing(FTarget,
                              [](const std::filesystem::path& sibling) {
                                std::ofstream(sibling) << "half";
                                throw std::runtime_error("disk full");
                              }),
               std::runtime_error);
  EXPECT_EQ(ReadAll(FTarget), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"site.bin"});
}

TEST_F(ReplacingWriteTest, RenameThatFailsLeavesNoSibling) {
  std::filesystem::create_directory(FTarget);  // a directory cannot be replaced by a file
  EXPECT_THROW(
      WriteReplacing(FTarget,
                     [](const std::filesystem::path& sibling) { std::ofstream(sibling) << "x"; }),
      std::filesystem::filesystem_error);
  EXPECT_TRUE(std::filesystem::is_directory(FTarget));
  EXPECT_EQ(Names(), std::vector<std::string>{"site.bin"});
}

}  // namespace
}  // namespace trv
