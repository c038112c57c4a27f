#include "editor/file_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <deque>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/controller_state.h"
#include "editor/editor_state.h"
#include "editor/rule_list_commands.h"
#include "editor_test_fixture.h"
#include "files/load_configuration.h"
#include "files/workbook_file.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "sample_rules.h"
#include "transfer/decoded_rule_file.h"
#include "transfer/encode_image.h"

namespace trv {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The window around the file commands: dialogs answered from a script, the unsaved-changes
// question asked as the window asks it.
class FileCommandsTest : public test::WithScriptedUserQueries<>,
                         public FileCommandsWindow,
                         public FileChooser {
 protected:
  FileCommandsTest() {
    ResetActiveStrings();
    FRuleList.SetUpWorkbook(true);
    FEditor.MarkRulePagesForFirstVisit();
    FController.EditorRefresh(true, false);
    FFiles.SetUpFileDialogs();
  }
  ~FileCommandsTest() override {
    EXPECT_TRUE(FChosen.empty()) << "a scripted file dialog was never shown";
    fs::remove_all(FDirectory);
  }

  std::optional<std::string> OpenFile(const FileDialogSetup&) override { return Answer(); }
  std::optional<std::string> SaveFile(const FileDialogSetup&) override { return Answer(); }
  FileChooser& Chooser() override { return *this; }
  MessageAnswer AskToSave() override {
    return AskToSaveChanges(FConfiguration, FQueries, [this] { return Save(); });
  }
  void ShowEditor() override {}
  void EnableFileCommands(bool loaded) override { FLoadedCommands = loaded; }
  void ShowFileInTitle(const std::string& fileName) override { FTitle = fileName; }
  void FileOpenedOrSaved(const std::string& path) override { FRecent.push_back(path); }

  // An empty path cancels the dialog.
  void ExpectFile(const fs::path& path) { FChosen.push_back(path.string()); }
  bool Save() { return FFiles.MenuFileSaveAsClick(); }
  bool SaveAs(const fs::path& path) {
    ExpectFile(path);
    return Save();
  }
  void Open(const fs::path& path) {
    ExpectFile(path);
    FFiles.MenuFileOpenClick();
  }
  void AddRules(int count) {
    for (int n = 1; n <= count; ++n) FConfiguration.StoreRule(n, test::SampleRule(n));
    FConfiguration.RuleCount = count;
    FConfiguration.Modified = true;
  }
  void SetVersion(const fs::path& path, int first, int second) {
    Workbook book = ReadWorkbookFile(path);
    book.SetNumber(kSettingsSheet, 1, 1, first);
    book.SetNumber(kSettingsSheet, 1, 2, second);
    WriteWorkbookFile(book, path);
  }
  void ExpectMessage(const std::string& text, const std::string& caption) {
    ASSERT_FALSE(FQueries.Messages().empty());
    EXPECT_EQ(FQueries.LastMessage().Text, text);
    EXPECT_EQ(FQueries.LastMessage().Caption, caption);
  }
  ControllerSettings& Settings() { return FConfiguration.ControllerSettings; }
  int ProgramVersion(int part) { return static_cast<int>(FConfiguration.Version.Numbers[part]); }

  const fs::path FDirectory = [] {
    std::string pattern = (fs::temp_directory_path() / "file-commands-XXXXXX").string();
    return fs::path(::mkdtemp(pattern.data()));
  }();
  const fs::path FSite = FDirectory / "Site.trv";
  Configuration FConfiguration{FDirectory, FDirectory / "Data"};
  NoWindow FGrid;
  TRuleListCommands FRuleList{FConfiguration, FQueries, FGrid};
  TEditorState FEditor{FConfiguration, FRuleList};
  TControllerState FController{FConfiguration, FEditor, FRuleList, FQueries};
  TFileCommands FFiles{FConfiguration, FEditor, FController, FRuleList, *this};
  std::deque<std::string> FChosen;
  bool FLoadedCommands = false;
  std::string FTitle;
  std::vector<std::string> FRecent;

 private:
  std::optional<std::string> Answer() {
    EXPECT_FALSE(FChosen.empty()) << "unexpected file dialog";
    const std::string path = FChosen.empty() ? "" : FChosen.front();
    if (!FChosen.empty()) FChosen.pop_front();
    if (path.empty()) return std::nullopt;
    return path;
  }
};

TEST_F(FileCommandsTest, SavedSettingsAndRulesComeBackLockedOnOpen) {
  FController.ControllerAddressSoftClick(true);
  FController.ControllerAddressChange(17);
  FController.ControllerBuzzerChange(2);
  FController.BuzzerSoundCheckBoxClick(true);
  FController.BuzzerDisableCSpinEdit1Change(30);
  FController.ControllerBoardCSpinEditChange(3);
  FController.ControllerRelayLinkCheckBoxClick(1, true);
  FController.ControllerUnitEditChange("North Wing");
  AddRules(5);
  ASSERT_TRUE(SaveAs(FSite));
  const ControllerSettings saved = Settings();
  EXPECT_EQ(Settings().UnitName, "North Wing");

  FQueries.ExpectMessage(MessageAnswer::Yes);
  FFiles.MenuFileNewClick();
  EXPECT_EQ(FConfiguration.RuleCount, 0);
  EXPECT_FALSE(FLoadedCommands);
  Open(FSite);

  EXPECT_EQ(Settings(), saved);
  EXPECT_EQ(FConfiguration.RuleCount, 5);
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(FConfiguration.StoredRule(n), test::SampleRule(n));
  EXPECT_EQ(FController.Address.Value(), 17);
  EXPECT_TRUE(FController.AddressMode.Checked(TControllerState::kSoftAddress));
  EXPECT_TRUE(FController.BuzzerSound.Checked);
  EXPECT_EQ(FController.BuzzerDisable.Value(), 30);
  EXPECT_EQ(FController.RelayLinks.Tabs, 3);
  EXPECT_FALSE(FController.System.Enabled);
  EXPECT_TRUE(FController.RulePagesShown && FConfiguration.SettingsLocked && FLoadedCommands);
  EXPECT_FALSE(FConfiguration.Modified);
  EXPECT_EQ(FConfiguration.RuleFileName, "North Wing.trv");
  EXPECT_EQ(FTitle, FSite.string());
  EXPECT_EQ(FRecent, (std::vector<std::string>{FSite.string(), FSite.string()}));
}

TEST_F(FileCommandsTest, OnlyFilesOfThisMajorVersionAndNoNewerMinorOpen) {
  AddRules(2);
  ASSERT_TRUE(SaveAs(FSite));
  const int first = ProgramVersion(0);
  const int second = ProgramVersion(1);
  for (const int older : {second, second - 1}) {
    SetVersion(FSite, first, older);
    Open(FSite);
    EXPECT_EQ(FConfiguration.RuleCount, 2) << older;
  }
  for (const auto& [major, minor] : {std::pair{first + 1, second}, {first, second + 1}}) {
    SetVersion(FSite, major, minor);
    FQueries.ExpectMessage(MessageAnswer::Ok);
    Open(FSite);
    ExpectMessage(FormatText(ActiveText(string_id::kOlderVersionFile), FSite.string()),
                  ActiveText(string_id::kError));
    EXPECT_EQ(FConfiguration.RuleCount, 0);
    EXPECT_FALSE(FConfiguration.SettingsLocked);
  }
}

TEST_F(FileCommandsTest, AFileWithoutRulesSaysSoAndStillSetsTheSettings) {
  FController.ControllerBoardCSpinEditChange(4);
  ASSERT_TRUE(SaveAs(FSite));
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Open(FSite);
  ExpectMessage(FormatText(ActiveText(string_id::kNoRuleInformation), FSite.string()),
                ActiveText(string_id::kError));
  EXPECT_EQ(Settings().BoardsInstalled, 4);
  EXPECT_EQ(FController.Boards.Value(), 4);
  EXPECT_TRUE(FConfiguration.SettingsLocked);
}

TEST_F(FileCommandsTest, AMissingFileChangesNothing) {
  AddRules(3);
  FQueries.ExpectMessage(MessageAnswer::No);  // unsaved changes
  FQueries.ExpectMessage(MessageAnswer::Ok);
  Open(FDirectory / "gone.trv");
  ExpectMessage("File not found", "**ERROR**");
  EXPECT_EQ(FConfiguration.RuleCount, 3);
}

// The unit name names the rule file in the data directory, whatever it holds.
TEST_F(FileCommandsTest, TheRuleFileIsNamedAfterTheUnitInsideTheDataDirectory) {
  FController.ControllerUnitEditChange("../../etc/Plant:1");
  AddRules(1);
  ASSERT_TRUE(SaveAs(FDirectory / "other name.trv"));
  Open(FDirectory / "other name.trv");
  EXPECT_EQ(Settings().UnitName, "../../etc/Plant:1");
  EXPECT_EQ(FConfiguration.RuleFileName, ".._.._etc_Plant_1.trv");
  EXPECT_EQ(FConfiguration.HexFileName, ".._.._etc_Plant_1.hex");
  EXPECT_EQ(RuleFilePath(FConfiguration).parent_path(), FConfiguration.DataDirectory);
}

TEST_F(FileCommandsTest, EachSaveKeepsThePreviousFileAsItsBackupAndNamesTheFile) {
  AddRules(1);
  FController.ControllerUnitEditChange("");  // refused on commit, the old name kept
  FQueries.ExpectMessage(MessageAnswer::Ok);
  ASSERT_TRUE(SaveAs(FSite));
  EXPECT_FALSE(FConfiguration.Modified);
  EXPECT_EQ(FTitle, FSite.string());
  EXPECT_EQ(RuleFilePath(FConfiguration), FSite);  // the image takes this file's time
  EXPECT_EQ(FFiles.SaveDialogSetup().InitialDirectory, FDirectory.string());
  const std::string first = Contents(FSite);
  AddRules(2);
  ASSERT_TRUE(SaveAs(FSite));
  EXPECT_EQ(Contents(FDirectory / "Site.~rv"), first);
  const std::string second = Contents(FSite);
  ASSERT_TRUE(SaveAs(FSite));
  EXPECT_EQ(Contents(FDirectory / "Site.~rv"), second);
  EXPECT_FALSE(fs::exists(FDirectory / "TMP1.$$$"));
}

TEST_F(FileCommandsTest, AReadOnlyBackupKeptOnNoLeavesTheFileUnwritten) {
  ASSERT_TRUE(SaveAs(FSite));
  std::ofstream(FDirectory / "Site.~rv") << "older";
  fs::permissions(FDirectory / "Site.~rv", fs::perms::owner_read);
  const std::string old = Contents(FSite);
  AddRules(1);
  FQueries.ExpectMessage(MessageAnswer::No);  // "Delete Backup: "
  FQueries.ExpectMessage(MessageAnswer::Ok);  // "Backup Failed"
  FQueries.ExpectMessage(MessageAnswer::Ok);  // the copy finds the file still there
  EXPECT_FALSE(SaveAs(FSite));
  const auto& messages = FQueries.Messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].Text, "Delete Backup: " + (FDirectory / "Site.~rv").string());
  EXPECT_EQ(messages[1].Text, "Backup Failed" + FSite.string());
  ExpectMessage(std::make_error_code(std::errc::file_exists).message(),
                ActiveText(string_id::kError));
  EXPECT_EQ(Contents(FSite), old);
  EXPECT_EQ(Contents(FDirectory / "Site.~rv"), "older");
  EXPECT_TRUE(FConfiguration.Modified);

  FQueries.ExpectMessage(MessageAnswer::Yes);  // "Delete Backup: " again, now Yes
  EXPECT_TRUE(SaveAs(FSite));
  EXPECT_EQ(Contents(FDirectory / "Site.~rv"), old);
}

TEST_F(FileCommandsTest, NewAnsweredNoOrCancelledChangesNothing) {
  AddRules(2);
  FQueries.ExpectMessage(MessageAnswer::No);  // reset?
  FFiles.MenuFileNewClick();
  FQueries.ExpectMessage(MessageAnswer::Yes);  // reset?
  FQueries.ExpectMessage(MessageAnswer::Yes);  // save changes?
  ExpectFile("");                              // the save dialog cancelled
  FFiles.MenuFileNewClick();
  FQueries.ExpectMessage(MessageAnswer::Yes);     // reset?
  FQueries.ExpectMessage(MessageAnswer::Cancel);  // save changes?
  FFiles.MenuFileNewClick();
  EXPECT_EQ(FConfiguration.RuleCount, 2);
  EXPECT_TRUE(FConfiguration.Modified);
  EXPECT_EQ(FQueries.Messages().front().Caption, ActiveText(string_id::kProgramReset));
}

TEST_F(FileCommandsTest, AFileWrittenByADecodeOpensWithTheSameRules) {
  Configuration site(FDirectory, FDirectory);
  site.ControllerSettings.UnitName = "East";
  for (int n = 1; n <= 6; ++n) site.StoreRule(n, test::SampleRule(n));
  site.RuleCount = 6;
  WriteDecodedRuleFile(EncodeImage(site), FSite);
  const Configuration decoded = LoadConfiguration(FSite).Loaded;
  Open(FSite);
  EXPECT_EQ(FConfiguration.RuleCount, 6);
  for (int n = 1; n <= 6; ++n) {
    EXPECT_EQ(FConfiguration.StoredRule(n), decoded.StoredRule(n)) << n;
    for (int column = 1; column <= static_cast<int>(kRuleTextColumns); ++column) {
      EXPECT_EQ(FConfiguration.MimicBook.Text(kRuleTextSheet, n, column),
                decoded.MimicBook.Text(kRuleTextSheet, n, column));
    }
  }
  EXPECT_EQ(Settings().UnitName, "East");
}

// ---- Faults in a save

enum class Fault { TemporaryNotCreatable, WriteCutOff, CopyFails, DeleteFails };

class FaultyFiles : public RuleFileSystem {
 public:
  explicit FaultyFiles(Fault fault) : FFault(fault) {}

  void WriteWorkbook(const Workbook& book, const fs::path& path) override {
    if (FFault == Fault::TemporaryNotCreatable) throw WorkbookFileError(path.string() + ": denied");
    if (FFault != Fault::WriteCutOff) return RuleFileSystem::WriteWorkbook(book, path);
    std::ofstream(path) << "{\"format\": \"trv-wor";
    throw WorkbookFileError(path.string() + ": no space left");
  }
  std::error_code CopyToNewFile(const fs::path& from, const fs::path& to) override {
    if (FFault == Fault::CopyFails) return std::make_error_code(std::errc::no_space_on_device);
    return RuleFileSystem::CopyToNewFile(from, to);
  }
  std::error_code Remove(const fs::path& path) override {
    if (FFault == Fault::DeleteFails && path.extension() == ".$$$") {
      return std::make_error_code(std::errc::permission_denied);
    }
    return RuleFileSystem::Remove(path);
  }

 private:
  Fault FFault;
};

class SaveFaultTest : public FileCommandsTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(SaveFaultTest, TheLastSavedContentsSurviveAndTheFaultIsShown) {
  AddRules(2);
  ASSERT_TRUE(SaveAs(FSite));
  const std::string saved = Contents(FSite);
  FaultyFiles faulty(GetParam());
  FFiles.SetFileSystem(faulty);
  AddRules(4);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  EXPECT_FALSE(SaveAs(FSite));
  EXPECT_TRUE(FConfiguration.Modified);
  EXPECT_TRUE(Contents(FSite) == saved || Contents(FDirectory / "Site.~rv") == saved);
  switch (GetParam()) {
    case Fault::TemporaryNotCreatable:
    case Fault::WriteCutOff:
      ExpectMessage("Problem saving data, try saving again elsewhere", "ERROR");
      EXPECT_FALSE(fs::exists(FDirectory / "TMP1.$$$"));
      break;
    case Fault::CopyFails:
      ExpectMessage(std::make_error_code(std::errc::no_space_on_device).message(),
                    ActiveText(string_id::kError));
      EXPECT_FALSE(fs::exists(FSite));
      break;
    case Fault::DeleteFails:
      ExpectMessage(std::make_error_code(std::errc::permission_denied).message(),
                    ActiveText(string_id::kError));
      EXPECT_EQ(ReadWorkbookFile(FSite).Number(kSettingsSheet, 13, 1), 4);
      break;
  }
}

std::string FaultName(const ::testing::TestParamInfo<Fault>& fault) {
  constexpr std::array<const char*, 4> kNames{"TemporaryNotCreatable", "WriteCutOff", "CopyFails",
                                              "DeleteFails"};
  return kNames.at(static_cast<std::size_t>(fault.param));
}

INSTANTIATE_TEST_SUITE_P(EachStep, SaveFaultTest,
                         ::testing::Values(Fault::TemporaryNotCreatable, Fault::WriteCutOff,
                                           Fault::CopyFails, Fault::DeleteFails),
                         FaultName);

}  // namespace
}  // namespace trv
