#include "transfer/transfer_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "editor/configuration_compare.h"
#include "editor/rule_checker.h"
#include "files/replacing_write.h"
#include "model/configuration.h"
#include "model/output_word.h"
#include "model/string_table.h"
#include "model/zone_range.h"
#include "sample_rules.h"
#include "scripted_user_queries_fixture.h"
#include "transfer/encode_image.h"
#include "transfer/flash_transfer.h"
#include "transfer/image_file.h"
#include "transfer/load_decoded_configuration.h"

namespace trv::test {
namespace {

constexpr const char* kPrompt = "Add Link to the PE pins, then press the CPU reset switch.";
constexpr const char* kStatus = "Saving rule information in file: Mimic.hex";

// The progress dialog: records each transfer and answers as the test says.
class FakeRunner : public TransferRunner {
 public:
  explicit FakeRunner(const std::string& status) : FStatus(status) {}
  TransferResult RunTransfer(ConfigurationImage& buffer, TransferDirection direction) override {
    Directions.push_back(direction);
    StatusDuring.push_back(FStatus);
    Sent = buffer;
    if (Answer) return Answer(buffer);
    return TransferResult::Ok;
  }
  std::function<TransferResult(ConfigurationImage& buffer)> Answer;
  std::vector<TransferDirection> Directions;
  std::vector<std::string> StatusDuring;
  ConfigurationImage Sent;

 private:
  const std::string& FStatus;
};

class TransferCommandsTest : public WithScriptedUserQueries<> {
 protected:
  TransferCommandsTest() {
    std::filesystem::create_directories(FDirectory);
    Commands.SetRunner(Runner);
  }
  ~TransferCommandsTest() override { std::filesystem::remove_all(FDirectory); }

  void AddSampleRules(int count) {
    for (int n = 1; n <= count; ++n) Config.StoreRule(n, SampleRule(n));
    Config.RuleCount = count;
  }
  std::vector<RuleRecord> Rules() const {
    std::vector<RuleRecord> rules;
    for (int n = 1; n <= Config.RuleCount; ++n) rules.push_back(Config.StoredRule(n));
    return rules;
  }
  void ExpectPrompt(std::size_t index) {
    ASSERT_GT(FQueries.Messages().size(), index);
    EXPECT_EQ(FQueries.Messages()[index], (ShownMessage{kPrompt, "Ready for Configuration Transfer",
                                                        MessageButtons::Ok, MessageIcon::None}));
  }

  std::filesystem::path FDirectory =
      std::filesystem::path(::testing::TempDir()) /
      ("trv-transfer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
       ::testing::UnitTest::GetInstance()->current_test_info()->name());
  Configuration Config{FDirectory, FDirectory};
  std::vector<std::string> Calls;
  MessageAnswer SaveAnswer = MessageAnswer::Yes;
  std::string Status = "Ready";
  FakeRunner Runner{Status};
  TTransferCommands Commands{
      Config, FQueries,
      TransferWindow{[this] {
                       Calls.push_back("ask to save");
                       return SaveAnswer;
                     },
                     [this] {
                       Calls.push_back("file new, messages " +
                                       std::to_string(FQueries.Messages().size()));
                     },
                     [this] {
                       Calls.push_back("reset");
                       Config.ResetToDefaults();
                     },
                     [this] { Calls.push_back("show decoded"); }, [this] { return Status; },
                     [this](const std::string& text) { Status = text; }},
      DebugImageFile(FDirectory)};
};

TEST_F(TransferCommandsTest, SendWithoutRulesIsRefusedBeforeAnyPrompt) {
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Commands.MenuConnectSendRuleClick();
  EXPECT_EQ(FQueries.Messages(),
            (std::vector<ShownMessage>{
                {"No rules are currently defined, so this operation cannot proceed.", "Information",
                 MessageButtons::Ok, MessageIcon::Warning}}));
  EXPECT_TRUE(Runner.Directions.empty());
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(Status, "Ready");
}

// A cancelled save question still leads to the prompt and the transfer of what is on screen.
TEST_F(TransferCommandsTest, SendGoesOnAfterTheSaveQuestionWithTheStatusText) {
  AddSampleRules(8);
  SaveAnswer = MessageAnswer::Cancel;
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Commands.MenuConnectSendRuleClick();
  EXPECT_EQ(Calls, std::vector<std::string>{"ask to save"});
  ExpectPrompt(0);
  EXPECT_EQ(Runner.Directions, std::vector<TransferDirection>{TransferDirection::Send});
  EXPECT_EQ(Runner.StatusDuring, std::vector<std::string>{kStatus});
  EXPECT_EQ(Status, "Ready");
  Configuration decoded(FDirectory, FDirectory);
  DecodeImageInto(decoded, Runner.Sent);
  EXPECT_EQ(decoded.RuleCount, 8);
}

// The checker asks before anything else of the send; No leaves all as it was.
TEST_F(TransferCommandsTest, SendWithCheckerErrorsAsksFirst) {
  Commands.SetErrorCounter([](const Configuration& configuration) {
    return CountErrors(CheckConfiguration(configuration));
  });
  AddSampleRules(1);
  Config.ControllerSettings.BoardsInstalled = 1;
  Config.StoreRule(2, {.Kind = rkZonal,
                       .Panel = 1,
                       .Zone = ZoneRange{1, 1}.Packed(),
                       .Output = OutputWord::Termination(64, false, true).Value()});
  Config.RuleCount = 2;
  ASSERT_EQ(CountErrors(CheckConfiguration(Config)), 1U);  // output 65 is on board 2
  const ShownMessage question{
      "The rule checker finds 1 error in this configuration: the controller would be programmed "
      "wrongly, or the send would fail.\n\nChoose No and correct them first (Tool > Check Rules "
      "lists them), or Yes to send the configuration as it is.",
      "Warning", MessageButtons::YesNo, MessageIcon::Warning};
  FQueries.ExpectMessage(MessageAnswer::No);
  Commands.MenuConnectSendRuleClick();
  EXPECT_EQ(FQueries.Messages(), std::vector<ShownMessage>{question});
  EXPECT_TRUE(Calls.empty());
  EXPECT_TRUE(Runner.Directions.empty());
  EXPECT_EQ(Status, "Ready");

  FQueries.ExpectMessage(MessageAnswer::Yes);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Commands.MenuConnectSendRuleClick();
  EXPECT_EQ(FQueries.Messages()[1], question);
  ExpectPrompt(2);
  EXPECT_EQ(Calls, std::vector<std::string>{"ask to save"});
  EXPECT_EQ(Runner.Directions, std::vector<TransferDirection>{TransferDirection::Send});
}

TEST_F(TransferCommandsTest, RulesThatOverflowTheImageAreNotSent) {
  for (int n = 1; n <= 4000; ++n) Config.StoreRule(n, SampleRule(2));
  Config.RuleCount = 4000;
  ASSERT_FALSE(CountRuleWords(Config).Fits());
  FQueries.ExpectMessage(MessageAnswer::Ok);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Commands.MenuConnectSendRuleClick();
  EXPECT_EQ(FQueries.LastMessage().Caption, "Error");
  EXPECT_NE(FQueries.LastMessage().Text.find("Delete rules"), std::string::npos);
  EXPECT_TRUE(Runner.Directions.empty());
  EXPECT_EQ(Status, "Ready");
}

TEST_F(TransferCommandsTest, GetThatEndsWithOkReplacesTheConfiguration) {
  AddSampleRules(6);
  const ConfigurationImage controller = EncodeImage(Config);
  Config = Configuration(FDirectory, FDirectory);
  Runner.Answer = [&](ConfigurationImage& buffer) {
    buffer = controller;
    return TransferResult::Ok;
  };
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Commands.MenuConnectGetRulesClick();
  ExpectPrompt(0);
  EXPECT_EQ(Runner.StatusDuring, std::vector<std::string>{kStatus});
  EXPECT_EQ(Status, "Ready");
  EXPECT_EQ(Calls, std::vector<std::string>{"show decoded"});
  EXPECT_EQ(Config.RuleCount, 6);
  EXPECT_TRUE(Config.SettingsLocked);
}

// A blank controller or a failed job: whatever the buffer holds, nothing changes.
TEST_F(TransferCommandsTest, GetThatEndsWithCancelChangesNothing) {
  AddSampleRules(5);
  Config.ControllerSettings.UnitName = "Kept";
  const std::vector<RuleRecord> before = Rules();
  Runner.Answer = [&](ConfigurationImage& buffer) {
    buffer.SetByte(0, 1);  // half read
    return TransferResult::Cancel;
  };
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Commands.MenuConnectGetRulesClick();
  EXPECT_EQ(Rules(), before);
  EXPECT_EQ(Config.ControllerSettings.UnitName, "Kept");
  EXPECT_FALSE(Config.SettingsLocked);
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(Status, "Ready");
}

// Compare with Unit: the unit's configuration beside the open one, which stays as it was, even
// with its settings locked; no File New, no decoded configuration shown.
TEST_F(TransferCommandsTest, GetIntoASideCopyLeavesTheOpenConfigurationAlone) {
  AddSampleRules(6);
  Config.SettingsLocked = true;
  Config.Modified = false;
  Configuration unit = Config;
  unit.StoreRule(3, SampleRule(9));
  const ConfigurationImage controller = EncodeImage(unit);
  const std::vector<RuleRecord> before = Rules();
  Runner.Answer = [&](ConfigurationImage& buffer) {
    buffer = controller;
    return TransferResult::Ok;
  };
  FQueries.ExpectMessage(MessageAnswer::Ok);
  const std::optional<Configuration> got = Commands.GetUnitConfiguration();
  ExpectPrompt(0);
  EXPECT_EQ(Runner.Directions, std::vector<TransferDirection>{TransferDirection::Get});
  EXPECT_EQ(Runner.StatusDuring, std::vector<std::string>{kStatus});
  EXPECT_EQ(Status, "Ready");
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(Rules(), before);
  EXPECT_FALSE(Config.Modified);
  ASSERT_TRUE(got);
  const ConfigurationDifferences differences = CompareConfigurations(Config, *got, ImageSide::B);
  EXPECT_TRUE(differences.Settings.empty());
  ASSERT_EQ(differences.Rules.size(), 1U);
  EXPECT_EQ(differences.Rules[0].NumberB, 3);

  // A cancelled transfer, or a blank unit that came back all the same, gives nothing to compare.
  for (const TransferResult result : {TransferResult::Cancel, TransferResult::Ok}) {
    Runner.Answer = [result](ConfigurationImage&) { return result; };
    FQueries.ExpectMessage(MessageAnswer::Ok);
    EXPECT_FALSE(Commands.GetUnitConfiguration());
  }
  EXPECT_EQ(Rules(), before);
  EXPECT_TRUE(Calls.empty());
}

TEST_F(TransferCommandsTest, GetWithLockedSettingsRunsFileNewFirst) {
  Config.SettingsLocked = true;
  Runner.Answer = [](ConfigurationImage&) { return TransferResult::Cancel; };
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Commands.MenuConnectGetRulesClick();
  EXPECT_EQ(Calls, std::vector<std::string>{"file new, messages 0"});
  ExpectPrompt(0);
}

// Quick Test and Write then Read give the same configuration, as the image carries it.
TEST_F(TransferCommandsTest, QuickTestAndWriteThenReadReproduceTheConfiguration) {
  AddSampleRules(12);
  std::vector<std::int32_t> kinds;
  for (const RuleRecord& rule : Rules()) kinds.push_back(rule.Kind);
  Commands.WriteDataClick();
  Commands.QuickTestClick();
  EXPECT_EQ(Calls, (std::vector<std::string>{"reset", "show decoded"}));
  const std::vector<RuleRecord> quickTested = Rules();
  std::vector<std::int32_t> kindsAfter;
  for (const RuleRecord& rule : quickTested) kindsAfter.push_back(rule.Kind);
  EXPECT_EQ(kindsAfter, kinds);

  Config = Configuration(FDirectory, FDirectory);
  Commands.ReadDataClick();
  EXPECT_EQ(Rules(), quickTested);
  EXPECT_EQ(std::filesystem::file_size(Commands.DebugFile()), ConfigurationImage::kSize);
}

TEST_F(TransferCommandsTest, ShortDebugFileReadsAsErasedBeyondItsEnd) {
  AddSampleRules(3);
  Config.ControllerSettings.UnitName = "Header only";
  const ConfigurationImage image = EncodeImage(Config);
  std::ofstream(Commands.DebugFile(), std::ios::binary)
      .write(reinterpret_cast<const char*>(image.Data().data()),
             ConfigurationImage::kRuleWordStreamOffset);
  Config = Configuration(FDirectory, FDirectory);
  Commands.ReadDataClick();
  EXPECT_EQ(Config.ControllerSettings.UnitName, "Header only");
  EXPECT_EQ(Config.RuleCount, 0);
}

TEST_F(TransferCommandsTest, DebugFileFailuresAreShownAndChangeNothing) {
  AddSampleRules(2);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Commands.ReadDataClick();
  EXPECT_EQ(FQueries.LastMessage().Caption, "Error");
  EXPECT_NE(FQueries.LastMessage().Text.find(Commands.DebugFile().string()), std::string::npos);
  EXPECT_EQ(Config.RuleCount, 2);

  TTransferCommands unwritable(Config, FQueries, {}, FDirectory / "missing" / "debug.bin");
  FQueries.ExpectMessage(MessageAnswer::Ok);
  unwritable.WriteDataClick();
  EXPECT_NE(FQueries.LastMessage().Text.find("could not be written"), std::string::npos);
  EXPECT_TRUE(Calls.empty());
}

TEST(TransferLineTextsTest, PortAndRateEntries) {
  EXPECT_EQ(PortOfEntry("COM1"), spCOM1);
  EXPECT_EQ(PortOfEntry("COM8"), spCOM8);
  for (const char* entry : {"COM9", "COM0", "COM", ""}) EXPECT_EQ(PortOfEntry(entry), std::nullopt);
  EXPECT_EQ(PortOfEntry(std::nullopt), std::nullopt);

  EXPECT_EQ(BaudOfRateEntry("9600"), cb9600);
  EXPECT_EQ(BaudOfRateEntry("38400"), cb38400);
  EXPECT_EQ(BaudOfRateEntry("115200"), cb115200);
  EXPECT_EQ(BaudOfRateEntry("14400"), cb9600);
  for (const char* entry : {"", "fast", "9600 ", "-"}) EXPECT_EQ(BaudOfRateEntry(entry), cb57600);
  EXPECT_EQ(BaudOfRateEntry(std::nullopt), cb57600);
}

}  // namespace
}  // namespace trv::test

namespace trv::test {
namespace {

// A kept image comes back as a Get would leave it; a file that is no image changes nothing.
TEST_F(TransferCommandsTest, ImportedImageLoadsAsAGetLeavesIt) {
  AddSampleRules(6);
  const std::filesystem::path file = FDirectory / "kept.hex";
  WriteImageFile(EncodeImage(Config), file);
  Runner.Answer = [&](ConfigurationImage& buffer) {
    buffer = ReadImageFile(file);
    return TransferResult::Ok;
  };
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Commands.MenuConnectGetRulesClick();
  const std::vector<RuleRecord> sent = Rules();
  Calls.clear();
  Config.RuleCount = 1;
  Config.SettingsLocked = true;
  Config.Modified = false;
  Commands.ImportImageFile(file);
  // The get's transfer prompt is the one message so far.
  EXPECT_EQ(Calls, (std::vector<std::string>{"file new, messages 1", "show decoded"}));
  EXPECT_TRUE(Rules() == sent);
  EXPECT_TRUE(Config.SettingsLocked);
  EXPECT_TRUE(Config.Modified);

  Calls.clear();
  for (const auto& [name, bytes] : {std::pair{"short.bin", std::string(10, 'x')},
                                    std::pair{"blank.bin", std::string(0xFF00, '\xFF')}}) {
    WriteFileReplacing(FDirectory / name, bytes);
    FQueries.ExpectMessage(MessageAnswer::Ok);
    Commands.ImportImageFile(FDirectory / name);
    EXPECT_EQ(FQueries.LastMessage().Caption, "Error") << name;
  }
  EXPECT_EQ(FQueries.LastMessage().Text, "No configuration data present");
  EXPECT_TRUE(Calls.empty());
  EXPECT_TRUE(Rules() == sent);
}

}  // namespace
}  // namespace trv::test
