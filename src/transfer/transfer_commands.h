#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "files/file_chooser.h"
#include "model/configuration.h"
#include "model/user_queries.h"
#include "transfer/configuration_image.h"
#include "transfer/transfer_runner.h"

namespace trv {

// What the transfer commands need of the main window.
struct TransferWindow {
  // The unsaved-changes question; Yes runs File Save.
  std::function<MessageAnswer()> AskToSave;
  // File New with its questions.
  std::function<void()> FileNew;
  // What File New does after its questions: defaults, editor, workbook, file dialogs.
  std::function<void()> ResetWithoutQuestions;
  // The editor, grid and pages after a decode replaced the configuration; the settings locked.
  std::function<void()> ShowDecodedConfiguration;
  std::function<std::string()> StatusText;
  std::function<void(const std::string& text)> SetStatusText;
};

// "Saving rule information in file: Mimic.hex", shown while a transfer runs.
std::string TransferStatusText();
// The fixed file of the debug buttons Write and Read: one raw configuration image.
std::filesystem::path DebugImageFile(const std::filesystem::path& dataDirectory);
// The open dialog of File "Import Controller Image...": images in the data directory, where the
// sends keep their backups.
FileDialogSetup ImportImageDialogSetup(const std::filesystem::path& dataDirectory);

// Connect "&Send Data to Unit" and "&Get Data from Unit", and the hidden debug buttons Read,
// Write and Quick Test, which pass the configuration through an image without a controller.
class TTransferCommands {
 public:
  // The number of errors the rule checker finds in a configuration.
  using ErrorCounter = std::function<std::size_t(const Configuration& configuration)>;

  TTransferCommands(Configuration& configuration, UserQueries& queries, TransferWindow window,
                    std::filesystem::path debugFile);

  void SetUserQueries(UserQueries& queries) { FQueries = &queries; }
  // The progress dialog; without one a transfer ends as cancelled.
  void SetRunner(TransferRunner& runner) { FRunner = &runner; }
  // The rule checker that Send runs first; without one Send checks nothing.
  void SetErrorCounter(ErrorCounter counter) { FCountErrors = std::move(counter); }
  const std::filesystem::path& DebugFile() const { return FDebugFile; }

  void MenuConnectSendRuleClick();
  void MenuConnectGetRulesClick();
  // A Get into a side copy, for Compare with Unit: the unit's configuration, or nothing when the
  // transfer ended with Cancel. The open configuration stays as it is.
  std::optional<Configuration> GetUnitConfiguration();
  void WriteDataClick();
  void ReadDataClick();
  void QuickTestClick();
  // A .hex or .bin configuration image into the editor as a Get leaves it; an unreadable or
  // blank file is reported and changes nothing.
  void ImportImageFile(const std::filesystem::path& file);

 private:
  // True when the checker finds no error, or the user sends all the same.
  bool SendDespiteErrors();
  void ShowTransferPrompt();
  void ShowError(const std::string& text);
  // The image of the configuration; nothing, after telling the user, when the rules overflow it.
  bool Encode(ConfigurationImage& image);
  void LoadImage(const ConfigurationImage& image);
  TransferResult Run(ConfigurationImage& buffer, TransferDirection direction);

  Configuration& FConfiguration;
  UserQueries* FQueries;
  TransferWindow FWindow;
  std::filesystem::path FDebugFile;
  TransferRunner* FRunner = nullptr;
  ErrorCounter FCountErrors;
};

}  // namespace trv
