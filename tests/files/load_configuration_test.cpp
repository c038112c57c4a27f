#include "files/load_configuration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "files/workbook_file.h"
#include "model/string_ids.h"

namespace trv {
namespace {

class LoadConfigurationTest : public ::testing::Test {
 protected:
  LoadConfigurationTest() { std::filesystem::create_directories(FDirectory); }
  ~LoadConfigurationTest() override { std::filesystem::remove_all(FDirectory); }

  std::filesystem::path Save(std::int32_t ruleCount, double major = 1) const {
    Configuration saved(FDirectory, FDirectory);
    saved.ControllerSettings.UnitName = "East";
    RuleRecord rule;
    rule.Kind = rkZonal;
    rule.Zone = 5;
    rule.Output = 0x8001;
    for (std::int32_t n = 1; n <= ruleCount; ++n) saved.StoreRule(n, rule);
    saved.RuleCount = ruleCount;
    saved.WriteSettingsToSheet();
    saved.MimicBook.SetNumber(kSettingsSheet, 1, 1, major);
    const std::filesystem::path path = FDirectory / "site.trv";
    WriteWorkbookFile(saved.MimicBook, path);
    return path;
  }

  const std::filesystem::path FDirectory =
      std::filesystem::temp_directory_path() / ("load-configuration-" + std::to_string(getpid()));
};

TEST_F(LoadConfigurationTest, ConfigurationOfItsOwnNamedByTheFullPath) {
  const std::filesystem::path path = Save(2);
  const std::filesystem::path relative = std::filesystem::relative(path);
  const LoadedConfiguration load = LoadConfiguration(relative);
  EXPECT_FALSE(load.Warning.has_value());
  EXPECT_EQ(load.Loaded.RuleCount, 2);
  EXPECT_EQ(load.Loaded.ControllerSettings.UnitName, "East");
  EXPECT_TRUE(std::filesystem::path(load.Loaded.RuleFileName).is_absolute());
  EXPECT_TRUE(std::filesystem::equivalent(load.Loaded.RuleFileName, path));
  EXPECT_TRUE(std::filesystem::equivalent(load.Loaded.DataDirectory, FDirectory));
  EXPECT_TRUE(std::filesystem::equivalent(load.Loaded.ProgramDirectory, FDirectory));
  EXPECT_EQ(LoadConfiguration(path).Loaded.RuleFileName, path.string());
}

TEST_F(LoadConfigurationTest, FileWithoutRulesIsLoadedWithAWarningThatIsNotShown) {
  const std::filesystem::path path = Save(0);
  ::testing::internal::CaptureStderr();
  const LoadedConfiguration load = LoadConfiguration(path);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  ASSERT_TRUE(load.Warning.has_value());
  EXPECT_EQ(load.Warning->TextId, string_id::kNoRuleInformation);
  EXPECT_FALSE(load.Warning->IsError);
  EXPECT_EQ(load.Warning->Text, "The selected rule data file (" + path.string() +
                                    ")\ndoes not contain any rule information.");
  EXPECT_EQ(load.Loaded.RuleCount, 0);
  EXPECT_EQ(load.Loaded.ControllerSettings.UnitName, "East");
}

TEST_F(LoadConfigurationTest, RefusedVersionAndBrokenFileRaise) {
  const std::filesystem::path path = Save(2, 2);
  try {
    LoadConfiguration(path);
    ADD_FAILURE() << "a file of another major version loaded";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "The selected rule data file (" + path.string() +
                  ")\ncannot be opened because it was saved using an older version of this "
                  "program");
  }
  EXPECT_THROW(LoadConfiguration(FDirectory / "missing.trv"), WorkbookFileError);
}

}  // namespace
}  // namespace trv
