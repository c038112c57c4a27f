#include "files/rule_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/workbook_file.h"
#include "model/configuration.h"
#include "model/string_ids.h"

namespace trv {
namespace {

class RuleFileTest : public ::testing::Test {
 protected:
  RuleFileTest() { std::filesystem::create_directories(FDirectory); }
  ~RuleFileTest() override { std::filesystem::remove_all(FDirectory); }

  // A configuration as a save leaves it: two rules, settings other than the defaults.
  Configuration SavedConfiguration() {
    Configuration saved(FDirectory, FDirectory);
    ControllerSettings& settings = saved.ControllerSettings;
    settings.UnitName = "Site North";
    settings.SystemIndex = 1;
    settings.BoardsInstalled = 5;
    settings.ZoneMode = kZoneModeLocalVds;
    settings.SoftAddress = 17;
    settings.AddressMode = kAddressModeSoft;
    settings.BuzzerMode = 2;
    settings.RelayLinks[RelayLinkIndex(1, 1, 2)] = 1;
    RuleRecord rule;
    rule.Kind = rkZonal;
    rule.Zone = 5;
    rule.Output = 0x8001;
    saved.StoreRule(1, rule);
    rule.Kind = rkEventLocal;
    rule.Loop = -2;
    saved.StoreRule(2, rule);
    saved.RuleCount = 2;
    return saved;
  }

  std::filesystem::path Save(Configuration& configuration, const std::string& name) {
    configuration.WriteSettingsToSheet();
    const std::filesystem::path path = FDirectory / name;
    WriteWorkbookFile(configuration.MimicBook, path);
    return path;
  }

  std::filesystem::path SaveWithVersion(double major, double minor, double release) {
    Configuration saved = SavedConfiguration();
    saved.WriteSettingsToSheet();
    saved.MimicBook.SetNumber(kSettingsSheet, 1, 1, major);
    saved.MimicBook.SetNumber(kSettingsSheet, 1, 2, minor);
    saved.MimicBook.SetNumber(kSettingsSheet, 1, 3, release);
    const std::filesystem::path path = FDirectory / "versioned.trv";
    WriteWorkbookFile(saved.MimicBook, path);
    return path;
  }

  const std::filesystem::path FDirectory =
      std::filesystem::temp_directory_path() / ("trv-rule-file-" + std::to_string(getpid()));
  Configuration FOpened{FDirectory, FDirectory};
};

TEST_F(RuleFileTest, CountBeyondTheStoredRowsLoadsOnlyTheStoredRules) {
  Configuration saved = SavedConfiguration();
  saved.RuleCount = 40;  // a damaged or hand-edited file
  const RuleFileLoad load = LoadRuleFile(Save(saved, "damaged.trv"), FOpened);
  EXPECT_TRUE(load.Loaded);
  EXPECT_EQ(FOpened.RuleCount, 2);
}

TEST_F(RuleFileTest, LoadsSettingsRulesAndTheFileNamesOfTheUnit) {
  Configuration saved = SavedConfiguration();
  const RuleFileLoad load = LoadRuleFile(Save(saved, "anything.trv"), FOpened);
  EXPECT_TRUE(load.Loaded);
  EXPECT_FALSE(load.Message.has_value());
  EXPECT_EQ(FOpened.ControllerSettings, saved.ControllerSettings);
  EXPECT_EQ(FOpened.RuleCount, 2);
  EXPECT_EQ(FOpened.StoredRule(1), saved.StoredRule(1));
  EXPECT_EQ(FOpened.StoredRule(2), saved.StoredRule(2));
  EXPECT_EQ(FOpened.RuleFileName, "Site North.trv");
  EXPECT_EQ(FOpened.HexFileName, "Site North.hex");
  EXPECT_EQ(FOpened.DataDirectory, FDirectory);
  EXPECT_EQ(FOpened.MimicBook.SelectedSheet(), kRuleTextSheet);
}

TEST_F(RuleFileTest, FileWithoutRulesWarnsAndStillLoadsTheSettings) {
  Configuration saved = SavedConfiguration();
  saved.RuleCount = 0;
  const std::filesystem::path path = Save(saved, "empty.trv");
  const RuleFileLoad load = LoadRuleFile(path, FOpened);
  EXPECT_TRUE(load.Loaded);
  ASSERT_TRUE(load.Message.has_value());
  EXPECT_EQ(*load.Message,
            (RuleFileMessage{.TextId = string_id::kNoRuleInformation,
                             .CaptionId = string_id::kError,
                             .Text = "The selected rule data file (" + path.string() +
                                     ")\ndoes not contain any rule information.",
                             .IsError = false}));
  EXPECT_EQ(FOpened.RuleCount, 0);
  EXPECT_EQ(FOpened.ControllerSettings, saved.ControllerSettings);
}

TEST_F(RuleFileTest, VersionCheckRefusesOtherMajorAndNewerMinorVersions) {
  const Configuration untouched = FOpened;
  for (const auto& [major, minor] : {std::pair{2.0, 0.0}, {0.0, 0.0}, {1.0, 1.0}}) {
    const std::filesystem::path path = SaveWithVersion(major, minor, 0);
    const RuleFileLoad load = LoadRuleFile(path, FOpened);
    EXPECT_FALSE(load.Loaded) << major << "." << minor;
    ASSERT_TRUE(load.Message.has_value());
    EXPECT_TRUE(load.Message->IsError);
    EXPECT_EQ(load.Message->TextId, string_id::kOlderVersionFile);
    EXPECT_EQ(load.Message->Text, "The selected rule data file (" + path.string() +
                                      ")\ncannot be opened because it was saved using an "
                                      "older version of this program");
    EXPECT_EQ(FOpened.RuleCount, untouched.RuleCount);
    EXPECT_EQ(FOpened.ControllerSettings, untouched.ControllerSettings);
    EXPECT_EQ(FOpened.RuleFileName, untouched.RuleFileName);
  }
  // The same major version with an equal minor number and any release opens.
  EXPECT_TRUE(LoadRuleFile(SaveWithVersion(1, 0, 99), FOpened).Loaded);
}

TEST_F(RuleFileTest, BrokenFileIsRefusedAndChangesNothing) {
  const std::filesystem::path path = FDirectory / "broken.trv";
  std::ofstream(path) << R"({"format": "trv-workbook", "version": 1, "sheets": [)";
  EXPECT_THROW(LoadRuleFile(path, FOpened), WorkbookFileError);
  EXPECT_THROW(LoadRuleFile(FDirectory / "missing.trv", FOpened), WorkbookFileError);
  EXPECT_EQ(FOpened.RuleCount, 0);
  EXPECT_EQ(FOpened.ControllerSettings.UnitName, FOpened.DefaultBaseName);
}

}  // namespace
}  // namespace trv
