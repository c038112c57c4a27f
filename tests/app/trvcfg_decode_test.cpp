// Runs trvcfg decode on images made here.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "files/workbook_file.h"
#include "flash/binary_image.h"
#include "model/configuration.h"
#include "transfer/encode_image.h"

namespace trv {
namespace {

using ::testing::HasSubstr;

class TrvcfgDecodeTest : public ::testing::Test {
 protected:
  TrvcfgDecodeTest() { std::filesystem::create_directories(FDirectory); }
  ~TrvcfgDecodeTest() override { std::filesystem::remove_all(FDirectory); }

  std::string Path(const std::string& name) const { return (FDirectory / name).string(); }

  // The exit status; standard error in FErr.
  int Decode(const std::string& input, const std::string& output) {
    const std::string err = Path("stderr");
    const std::string command = std::string(TRVCFG_PATH) + " decode '" + input + "' -o '" + output +
                                "' 2>'" + err + "' </dev/null";
    const int status = std::system(command.c_str());
    std::ifstream in(err);
    FErr.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void WriteBinary(const ConfigurationImage& image, const std::string& name, std::size_t size) {
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.Data().data()),
               static_cast<std::streamsize>(size));
  }

  // A zonal rule with a relay output and a local rule, on a unit named "East".
  ConfigurationImage SiteImage() const {
    Configuration site(FDirectory, FDirectory);
    site.ControllerSettings.UnitName = "East";
    site.ControllerSettings.BoardsInstalled = 2;
    site.StoreRule(++site.RuleCount, {rkZonal, 3, 0, 0, 0, 0, kZonalEventFault, 0, 0x8A05});
    site.StoreRule(++site.RuleCount, {rkEventLocal, 1, 2, 5, 17, 3, 0b11, 0, 0x820A});
    ImageStamps stamps;
    stamps.UserName = "engineer";
    return EncodeImage(site, stamps);
  }

  const std::filesystem::path FDirectory =
      std::filesystem::temp_directory_path() / ("trvcfg-decode-" + std::to_string(getpid()));
  std::string FErr;
};

TEST_F(TrvcfgDecodeTest, BinAndHexGiveTheRuleFileOfAGet) {
  const ConfigurationImage image = SiteImage();
  WriteBinary(image, "site.bin", image.Data().size());
  TBinaryImage cells(ConfigurationImage::ImageBase, ConfigurationImage::kSize);
  for (std::uint32_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    if (image.Byte(offset) != 0xFF)
      cells.SetCell(ConfigurationImage::ImageBase + offset, image.Byte(offset));
  }
  cells.SaveToHexFile(Path("site.hex"));

  ASSERT_EQ(Decode(Path("site.bin"), Path("from-bin.trv")), 0) << FErr;
  ASSERT_EQ(Decode(Path("site.hex"), Path("from-hex.trv")), 0) << FErr;
  const Workbook book = ReadWorkbookFile(Path("from-bin.trv"));
  EXPECT_EQ(WorkbookToJson(book), WorkbookToJson(ReadWorkbookFile(Path("from-hex.trv"))));
  EXPECT_EQ(book.Text(kSettingsSheet, 6, 1), "East");
  EXPECT_EQ(book.Number(kSettingsSheet, 13, 1), 2);
  EXPECT_EQ(book.Number(kSettingsSheet, 11, 1), 1);  // the link of the relay output
  EXPECT_EQ(book.Number(kRuleDataSheet, 1, 9), 0x8A05);
  EXPECT_EQ(book.Number(kRuleDataSheet, 2, 5), 17);
  EXPECT_EQ(book.Text(kRuleTextSheet, 1, 1), "Zonal");
  EXPECT_EQ(book.Text(kRuleTextSheet, 2, 1), "Event (Local)");
}

TEST_F(TrvcfgDecodeTest, RefusesWhatIsNoConfigurationImage) {
  WriteBinary(ConfigurationImage(), "blank.bin", ConfigurationImage::kSize);
  EXPECT_EQ(Decode(Path("blank.bin"), Path("out.trv")), 1);
  EXPECT_THAT(FErr, HasSubstr("No configuration data present"));

  WriteBinary(SiteImage(), "short.bin", 4352);
  EXPECT_EQ(Decode(Path("short.bin"), Path("out.trv")), 1);
  EXPECT_THAT(FErr, HasSubstr("not a configuration image (4352 bytes, 65280 expected)"));

  std::ofstream(Path("bad.hex")) << ":0400000001020304F1\n";
  EXPECT_EQ(Decode(Path("bad.hex"), Path("out.trv")), 1);
  EXPECT_FALSE(std::filesystem::exists(Path("out.trv")));

  EXPECT_EQ(Decode(Path("blank.bin"), Path("out.xls")), 2);
  EXPECT_EQ(Decode(Path("blank.txt"), Path("out.trv")), 2);
}

}  // namespace
}  // namespace trv
