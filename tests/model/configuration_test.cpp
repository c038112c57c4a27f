#include "model/configuration.h"

#include <gtest/gtest.h>

#include <fstream>

namespace trv {
namespace {

class ConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDirectory = std::filesystem::temp_directory_path() /
                 ("trv_configuration_" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(FDirectory);
    std::filesystem::create_directories(FDirectory / "Data");
  }
  void TearDown() override { std::filesystem::remove_all(FDirectory); }

  void Touch(const std::string& name) const { std::ofstream(FDirectory / "Data" / name) << "x"; }
  Configuration Make() const { return Configuration(FDirectory, FDirectory / "Data"); }

  std::filesystem::path FDirectory;
};

RuleRecord EventRule(std::int32_t kind, std::int32_t panel, std::int32_t loop, std::int32_t zone) {
  RuleRecord rule;
  rule.Kind = kind;
  rule.Panel = panel;
  rule.Loop = loop;
  rule.Zone = zone;
  rule.Address = kAnyAddress;
  rule.DeviceType = 256 + 3;
  rule.Events = 0x3;
  rule.Output = 0xCA07;
  return rule;
}

TEST_F(ConfigurationTest, DefaultBaseNameSkipsNamesWithARuleOrHexFile) {
  EXPECT_EQ(FindDefaultBaseName(FDirectory / "Data"), "Mimic1");
  EXPECT_EQ(FindDefaultBaseName(FDirectory / "missing"), "Mimic1");
  Touch("Mimic1.hex");
  EXPECT_EQ(FindDefaultBaseName(FDirectory / "Data"), "Mimic2");
  Touch("Mimic1.trv");
  Touch("Mimic2.trv");
  Touch("Mimic3.hex");
  Touch("Mimic4.txt");
  EXPECT_EQ(FindDefaultBaseName(FDirectory / "Data"), "Mimic4");
}

TEST_F(ConfigurationTest, ResetGivesTheDefaultsAndFreshNames) {
  Touch("Mimic1.trv");
  Configuration configuration = Make();
  EXPECT_EQ(configuration.DefaultBaseName, "Mimic2");
  EXPECT_EQ(configuration.ControllerSettings.UnitName, "Mimic2");
  EXPECT_EQ(configuration.RuleFileName, "Mimic2.trv");
  EXPECT_EQ(configuration.HexFileName, "Mimic2.hex");
  EXPECT_EQ(configuration.WorkingRule.Kind, rkInvalid);

  configuration.ControllerSettings.RelayLinks[3] = 1;
  configuration.RuleCount = 5;
  configuration.WorkingRule = EventRule(rkEventLocal, 1, 1, 3);
  configuration.ClipboardHoldsRule = true;
  configuration.Modified = true;
  configuration.RequiredSystem = 2;
  configuration.SettingsLocked = true;
  configuration.LinkWarningPending = true;
  Touch("Mimic2.hex");
  configuration.ResetToDefaults();

  ControllerSettings expected;
  expected.UnitName = "Mimic3";
  EXPECT_EQ(configuration.ControllerSettings, expected);
  EXPECT_EQ(configuration.RuleFileName, "Mimic3.trv");
  EXPECT_EQ(configuration.RuleCount, 0);
  EXPECT_EQ(configuration.WorkingRule.Kind, rkInvalid);
  EXPECT_FALSE(configuration.ClipboardHoldsRule || configuration.Modified ||
               configuration.SettingsLocked || configuration.LinkWarningPending);
  EXPECT_EQ(configuration.RequiredSystem, 0);
}

TEST_F(ConfigurationTest, StoredRuleLoadsBackFieldForField) {
  Configuration configuration = Make();
  RuleRecord rule{rkEventNetwork, -1, -2, 8192, 32, 259, 0x5A5A5A5A, 1, 0xCA1F};
  configuration.WorkingRule = rule;
  configuration.StoreWorkingRule(2);
  configuration.RuleCount = 2;
  for (int column = 1; column <= 9; ++column) {
    EXPECT_TRUE(
        std::holds_alternative<double>(configuration.MimicBook.Cell(kRuleDataSheet, 2, column)));
  }
  EXPECT_EQ(configuration.MimicBook.Number(kRuleDataSheet, 2, 7), 0x5A5A5A5A);
  configuration.WorkingRule = {};
  configuration.LoadWorkingRule(2);
  EXPECT_EQ(configuration.WorkingRule, rule);
  EXPECT_THROW(configuration.StoreWorkingRule(0), std::out_of_range);
}

TEST_F(ConfigurationTest, LoadBeyondTheCountGivesKindMinusOneOnly) {
  Configuration configuration = Make();
  const RuleRecord rule = EventRule(rkEventLocal, 2, 3, 4);
  configuration.StoreRule(1, rule);
  configuration.StoreRule(2, rule);
  configuration.RuleCount = 1;
  for (std::int32_t n : {2, 0, -1, 70000}) {
    configuration.WorkingRule = rule;
    configuration.LoadWorkingRule(n);
    RuleRecord expected = rule;
    expected.Kind = rkInvalid;
    EXPECT_EQ(configuration.WorkingRule, expected) << n;
  }
  EXPECT_EQ(configuration.StoredRule(70000).Kind, rkInvalid);
}

TEST_F(ConfigurationTest, RuleFieldsAreReadByTruncation) {
  Configuration configuration = Make();
  Workbook& book = configuration.MimicBook;
  book.SetNumber(kRuleDataSheet, 1, 1, 3.9);
  book.SetNumber(kRuleDataSheet, 1, 2, -1.5);
  book.SetText(kRuleDataSheet, 1, 3, "7");
  book.SetNumber(kRuleDataSheet, 1, 9, 51712.75);
  configuration.RuleCount = 1;
  configuration.LoadWorkingRule(1);
  EXPECT_EQ(configuration.WorkingRule, (RuleRecord{rkZonal, -1, 0, 0, 0, 0, 0, 0, 51712}));
}

TEST_F(ConfigurationTest, RequiredSystemAfterADeleteFollowsEachKind) {
  Configuration configuration = Make();
  // An event rule for any zone and a board rule from zone 1: the scan that read every zone as a
  // zone range put both on KP6000.
  configuration.StoreRule(1, EventRule(rkEventLocal, 0, 1, kAnyZone));
  RuleRecord board;
  board.Kind = rkBoard;
  board.Panel = 0;
  board.Zone = 1;
  board.Events = 0;
  board.Modifier = 1;
  configuration.StoreRule(2, board);
  configuration.StoreRule(3, EventRule(rkEventNetwork, 0, 1, 5));
  configuration.RuleCount = 3;
  configuration.RecomputeRequiredSystem();
  EXPECT_EQ(configuration.RequiredSystem, 2);

  configuration.MimicBook.SetSelectedSheet(kRuleDataSheet);
  configuration.MimicBook.DeleteRows(3, 1);
  configuration.RuleCount = 2;
  configuration.RecomputeRequiredSystem();
  EXPECT_EQ(configuration.RequiredSystem, 1);  // the board rule's 64 zones pass zone 32

  configuration.MimicBook.DeleteRows(2, 1);
  configuration.RuleCount = 1;
  configuration.RecomputeRequiredSystem();
  EXPECT_EQ(configuration.RequiredSystem, 0);
}

TEST_F(ConfigurationTest, SettingsGoIntoTheSettingsSheetWithCountAndVersion) {
  Configuration configuration = Make();
  configuration.RuleCount = 7;
  configuration.ControllerSettings.SoftAddress = 9;
  configuration.WriteSettingsToSheet();
  const Workbook& book = configuration.MimicBook;
  EXPECT_EQ(ReadRuleCount(book), 7);
  EXPECT_EQ(book.Number(kSettingsSheet, 1, 1), ThisProgramVersion().Numbers[0]);
  EXPECT_EQ(book.Text(kSettingsSheet, 6, 1), "Mimic1");
  EXPECT_EQ(ReadSettingsSheet(book, ControllerSettings{}), configuration.ControllerSettings);
}

TEST_F(ConfigurationTest, DataDirectoryBesideTheProgramWhenItCanBeWritten) {
  const auto program = FDirectory / "program";
  std::filesystem::create_directories(program);
  EXPECT_EQ(ChooseDataDirectory(program, FDirectory / "user"), program / "Data");
  EXPECT_TRUE(std::filesystem::is_directory(program / "Data"));

  // A program "directory" that is a file cannot hold Data, whoever runs the test.
  const auto blocked = FDirectory / "blocked";
  std::ofstream(blocked) << "x";
  EXPECT_EQ(ChooseDataDirectory(blocked, FDirectory / "user"), FDirectory / "user" / "Data");
  EXPECT_TRUE(std::filesystem::is_directory(FDirectory / "user" / "Data"));
}

TEST_F(ConfigurationTest, InstalledProgramKeepsItsDataPerUserEvenWhereItCouldWrite) {
  const auto bin = FDirectory / "usr" / "bin";
  std::filesystem::create_directories(bin);
  EXPECT_EQ(ChooseDataDirectory(bin, FDirectory / "user"), FDirectory / "user" / "Data");
  EXPECT_FALSE(std::filesystem::exists(bin / "Data"));
}

}  // namespace
}  // namespace trv
