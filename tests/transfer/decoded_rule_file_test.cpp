#include "transfer/decoded_rule_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "files/workbook_file.h"
#include "model/configuration.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "transfer/encode_image.h"

namespace trv {
namespace {

class DecodedRuleFileTest : public ::testing::Test {
 protected:
  DecodedRuleFileTest() { std::filesystem::create_directories(FDirectory); }
  ~DecodedRuleFileTest() override { std::filesystem::remove_all(FDirectory); }

  const std::filesystem::path FDirectory =
      std::filesystem::temp_directory_path() / ("decoded-rule-file-" + std::to_string(getpid()));
  const std::filesystem::path FOutput = FDirectory / "got.trv";
};

TEST_F(DecodedRuleFileTest, ImageReadBackBecomesTheRuleFileOfAGet) {
  Configuration site(FDirectory, FDirectory);
  site.ControllerSettings.UnitName = "East";
  site.StoreRule(++site.RuleCount, {rkZonal, 3, 0, 0, 0, 0, kZonalEventFault, 0, 0x8A05});
  std::ofstream(FOutput) << "an older file";
  WriteDecodedRuleFile(EncodeImage(site), FOutput);
  const Workbook book = ReadWorkbookFile(FOutput);
  EXPECT_EQ(book.Text(kSettingsSheet, 6, 1), "East");
  EXPECT_EQ(book.Number(kSettingsSheet, 13, 1), 1);
  EXPECT_EQ(book.Number(kRuleDataSheet, 1, 9), 0x8A05);
  EXPECT_EQ(book.Text(kRuleTextSheet, 1, 1), "Zonal");
  EXPECT_FALSE(std::filesystem::exists(FDirectory / "got.trv.partial"));
}

TEST_F(DecodedRuleFileTest, BlankImageWritesNothing) {
  std::ofstream(FOutput) << "an older file";
  try {
    WriteDecodedRuleFile(ConfigurationImage(), FOutput);
    ADD_FAILURE() << "a blank image was decoded";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), ActiveText(string_id::kNoConfigurationData));
  }
  std::ifstream in(FOutput);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "an older file");
}

}  // namespace
}  // namespace trv
