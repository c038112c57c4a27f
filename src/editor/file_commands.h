#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "files/file_chooser.h"
#include "files/rule_file_save.h"
#include "model/configuration.h"
#include "model/user_queries.h"

namespace trv {

class TControllerState;
class TEditorState;
class TRuleListCommands;

// Texts of Open that are fixed in the program, not in the string table.
inline constexpr std::string_view kFileNotFoundText = "File not found";
inline constexpr std::string_view kFileNotFoundCaption = "**ERROR**";

// What the file commands need of the window around the editor.
class FileCommandsWindow {
 public:
  virtual ~FileCommandsWindow() = default;
  virtual FileChooser& Chooser() = 0;
  // The unsaved-changes question (AskToSaveChanges), whose Yes runs the window's save.
  virtual MessageAnswer AskToSave() = 0;
  // The pages show their states again after the file commands changed them.
  virtual void ShowEditor() = 0;
  // Save, Print and "&Send Data to Unit": after a reset only Send, after a load all three.
  virtual void EnableFileCommands(bool loaded) = 0;
  virtual void ShowFileInTitle(const std::string& fileName) = 0;
  // A rule file opened or saved, for the recent files.
  virtual void FileOpenedOrSaved(const std::string& path) = 0;
};

// The unsaved-changes question: Yes without asking when nothing is modified; a Yes whose save
// does not complete becomes Cancel.
MessageAnswer AskToSaveChanges(const Configuration& configuration, UserQueries& queries,
                               const std::function<bool()>& save);

// File New, Open and Save of the rule data file, and the load of a file named at start-up. The
// settings read from a file reach the controller page through its handlers and are locked.
class TFileCommands {
 public:
  TFileCommands(Configuration& configuration, TEditorState& editor, TControllerState& controller,
                TRuleListCommands& ruleList, FileCommandsWindow& window);

  // Tests make the save's file steps fail through their own file system.
  void SetFileSystem(RuleFileSystem& files) { FFiles = &files; }

  void MenuFileNewClick();
  void MenuFileOpenClick();
  // True when the file was written.
  bool MenuFileSaveAsClick();

  // Open after its questions and dialog: a missing file is refused, otherwise the configuration
  // is reset and the file loaded. True when the file was loaded.
  bool OpenRuleFile(const std::filesystem::path& path);
  // The reset of New and Open without their questions: defaults, editor, workbook, dialogs and
  // title.
  void ResetToNew();

  // Both dialogs on the default rule file name in the data directory; the title follows.
  void SetUpFileDialogs();
  const FileDialogSetup& OpenDialogSetup() const { return FOpenSetup; }
  const FileDialogSetup& SaveDialogSetup() const { return FSaveSetup; }

 private:
  UserQueries& Queries();
  void ResetConfiguration();
  bool LoadRuleFile(const std::filesystem::path& path);
  void ShowLoadedFile();
  void CommitUnitName();
  void TakeSavePath(const std::string& path);
  void ShowError(const std::string& text, const std::string& caption);

  Configuration& FConfiguration;
  TEditorState& FEditor;
  TControllerState& FController;
  TRuleListCommands& FRuleList;
  FileCommandsWindow& FWindow;
  RuleFileSystem FSystemFiles;
  RuleFileSystem* FFiles = &FSystemFiles;
  TemporaryFileNames FTemporaryNames;
  FileDialogSetup FOpenSetup;
  FileDialogSetup FSaveSetup;
};

}  // namespace trv
