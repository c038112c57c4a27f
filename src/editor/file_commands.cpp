#include "editor/file_commands.h"

#include <exception>
#include <optional>

#include "editor/controller_state.h"
#include "editor/editor_state.h"
#include "editor/rule_list_commands.h"
#include "files/rule_file.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {

MessageAnswer AskToSaveChanges(const Configuration& configuration, UserQueries& queries,
                               const std::function<bool()>& save) {
  if (!configuration.Modified) return MessageAnswer::Yes;
  MessageAnswer answer =
      queries.Message(ActiveText(string_id::kSaveChangesQuestion), ActiveText(string_id::kWarning),
                      MessageButtons::YesNoCancel, MessageIcon::Question);
  if (answer == MessageAnswer::Yes && !(save && save())) answer = MessageAnswer::Cancel;
  return answer;
}

TFileCommands::TFileCommands(Configuration& configuration, TEditorState& editor,
                             TControllerState& controller, TRuleListCommands& ruleList,
                             FileCommandsWindow& window)
    : FConfiguration(configuration),
      FEditor(editor),
      FController(controller),
      FRuleList(ruleList),
      FWindow(window) {}

UserQueries& TFileCommands::Queries() {
  return FRuleList.Queries();
}

void TFileCommands::ShowError(const std::string& text, const std::string& caption) {
  Queries().Message(text, caption, MessageButtons::Ok, MessageIcon::Error);
}

void TFileCommands::MenuFileNewClick() {
  const MessageAnswer reset = Queries().Message(ActiveText(string_id::kResetToDefaults),
                                                ActiveText(string_id::kProgramReset),
                                                MessageButtons::YesNo, MessageIcon::None);
  if (reset != MessageAnswer::Yes || FWindow.AskToSave() == MessageAnswer::Cancel) return;
  ResetToNew();
}

void TFileCommands::ResetToNew() {
  ResetConfiguration();
  SetUpFileDialogs();
}

// Every default, the rule pages as on their first visit and no rules.
void TFileCommands::ResetConfiguration() {
  FConfiguration.ResetToDefaults();
  FEditor.MarkRulePagesForFirstVisit();
  FController.EditorRefresh(false, false);
  FRuleList.SetUpWorkbook(true);
  FWindow.EnableFileCommands(false);
  FWindow.ShowEditor();
}

// The save dialog writes the rule file: a name typed without an extension becomes a .trv file,
// never a .hex file beside the configuration images.
void TFileCommands::SetUpFileDialogs() {
  const std::string& ruleFile = FConfiguration.RuleFileName;
  std::string filter = ActiveText(string_id::kRuleFileFilter);
  filter += " (*.trv)|*.trv";
  FOpenSetup = {.FileName = ruleFile.substr(0, ruleFile.size() >= 4 ? ruleFile.size() - 4 : 0),
                .Filter = filter,
                .InitialDirectory = FConfiguration.DataDirectory.string(),
                .DefaultExtension = "trv"};
  FSaveSetup = FOpenSetup;
  FWindow.ShowFileInTitle(FOpenSetup.FileName);
  FConfiguration.Modified = false;
}

void TFileCommands::MenuFileOpenClick() {
  if (FWindow.AskToSave() == MessageAnswer::Cancel) return;
  if (const std::optional<std::string> path = FWindow.Chooser().OpenFile(FOpenSetup)) {
    OpenRuleFile(*path);
  }
}

// A file that is no rule data file leaves the configuration reset and the title as it was.
bool TFileCommands::OpenRuleFile(const std::filesystem::path& path) {
  if (!FFiles->Exists(path)) {
    ShowError(std::string(kFileNotFoundText), std::string(kFileNotFoundCaption));
    return false;
  }
  ResetConfiguration();
  FOpenSetup.FileName = path.string();
  bool loaded = false;
  try {
    loaded = LoadRuleFile(path);
  } catch (const std::exception& error) {
    ShowError(
        std::string(error.what()) + "\n\nChoose a rule data file (.trv) that this tool saved.",
        ActiveText(string_id::kError));
    return false;
  }
  FWindow.ShowFileInTitle(FOpenSetup.FileName);
  FConfiguration.Modified = false;
  if (loaded) FWindow.FileOpenedOrSaved(path.string());
  return loaded;
}

bool TFileCommands::LoadRuleFile(const std::filesystem::path& path) {
  const int sheet = FConfiguration.MimicBook.SelectedSheet();
  const RuleFileLoad load = trv::LoadRuleFile(path, FConfiguration);
  if (load.Message) {
    Queries().Message(load.Message->Text, ActiveText(load.Message->CaptionId), MessageButtons::Ok,
                      load.Message->IsError ? MessageIcon::Error : MessageIcon::Warning);
  }
  if (load.Loaded) ShowLoadedFile();
  FConfiguration.MimicBook.SetSelectedSheet(sheet);
  return load.Loaded;
}

// The rule text is rendered from the rules read, so that the grid never describes rules other
// than those the controller would get.
void TFileCommands::ShowLoadedFile() {
  FController.ShowLoadedSettings();
  FSaveSetup.FileName = FOpenSetup.FileName;
  FOpenSetup.InitialDirectory = FSaveSetup.InitialDirectory = FConfiguration.DataDirectory.string();
  FRuleList.SetUpWorkbook(false);
  FRuleList.RenderAll();
  Workbook& book = FConfiguration.MimicBook;
  book.SetSelectedSheet(kRuleTextSheet);
  book.SetActiveCell(FConfiguration.RuleCount + 1, 1);
  FWindow.EnableFileCommands(true);
  FWindow.ShowEditor();
}

bool TFileCommands::MenuFileSaveAsClick() {
  CommitUnitName();
  const std::optional<std::string> path = FWindow.Chooser().SaveFile(FSaveSetup);
  if (!path) return false;
  TakeSavePath(*path);
  Workbook& book = FConfiguration.MimicBook;
  const int sheet = book.SelectedSheet();
  FConfiguration.WriteSettingsToSheet();
  const bool written = SaveWorkbookWithBackup(book, *path, *FFiles, FTemporaryNames, Queries());
  book.SetSelectedSheet(sheet);
  if (!written) return false;
  FConfiguration.Modified = false;
  FWindow.FileOpenedOrSaved(*path);
  return true;
}

// An empty name is refused by the page, which keeps the old one.
void TFileCommands::CommitUnitName() {
  if (FController.UnitEdit != FConfiguration.ControllerSettings.UnitName) {
    FController.ControllerUnitEditExit();
  }
}

// The full path becomes the rule file name, whose time the image encoder takes.
void TFileCommands::TakeSavePath(const std::string& path) {
  FConfiguration.RuleFileName = path;
  FOpenSetup.FileName = FSaveSetup.FileName = path;
  FOpenSetup.InitialDirectory = FSaveSetup.InitialDirectory =
      std::filesystem::path(path).parent_path().string();
  FWindow.ShowFileInTitle(path);
}

}  // namespace trv
