#include "files/rule_file_save.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/recent_files.h"
#include "files/rule_file.h"

namespace trv {
namespace {

TEST(BackupNameTest, ReplacesTheThirdLastCharacterOfTheFileName) {
  EXPECT_EQ(BackupName("/sites/Site.trv"), "/sites/Site.~rv");
  EXPECT_EQ(BackupName("Site.trv"), "Site.~rv");
  // Too short a name never reaches into the directory part.
  EXPECT_EQ(BackupName("/sites/ab"), "/sites/ab~");
}

TEST(FileBaseNameOfUnitTest, KeepsTheNameInsideItsDirectory) {
  EXPECT_EQ(FileBaseNameOfUnit("North Wing"), "North Wing");
  EXPECT_EQ(FileBaseNameOfUnit("/etc/passwd"), "_etc_passwd");
  EXPECT_EQ(FileBaseNameOfUnit("..\\a:b*c?\"<>|\n\x7F"), ".._a_b_c_______");
  EXPECT_EQ(FileBaseNameOfUnit("Gebäude"), "Gebäude");
}

TEST(RecentFilesTest, KeepsTheLastEightOnceEachMostRecentFirst) {
  RecentFiles recent({"/a.trv", "/b.trv", "/a.trv"});
  EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"/a.trv", "/b.trv"}));
  for (char n = '1'; n <= '8'; ++n) recent.Add(std::string{'/', n, '.', 't', 'r', 'v'});
  recent.Add("/3.trv");
  ASSERT_EQ(recent.Paths().size(), kMaxRecentFiles);
  EXPECT_EQ(recent.Paths().front(), "/3.trv");
  EXPECT_EQ(recent.Paths().back(), "/1.trv");
  recent.KeepExisting([](const std::string& path) { return path != "/3.trv"; });
  recent.Remove("/8.trv");
  EXPECT_EQ(recent.Paths().front(), "/7.trv");
  EXPECT_EQ(recent.Paths().size(), kMaxRecentFiles - 2);
}

}  // namespace
}  // namespace trv
