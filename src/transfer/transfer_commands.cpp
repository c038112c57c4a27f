#include "transfer/transfer_commands.h"

#include <cerrno>
#include <fstream>
#include <string_view>
#include <system_error>
#include <utility>

#include "files/replacing_write.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "transfer/decoded_rule_file.h"
#include "transfer/encode_image.h"
#include "transfer/image_file.h"
#include "transfer/load_decoded_configuration.h"

namespace trv {
namespace {

constexpr const char* kDebugImageName = "debug-image.bin";

// The window's status text while a transfer runs, and the previous one back afterwards.
class TransferStatus {
 public:
  explicit TransferStatus(const TransferWindow& window)
      : FWindow(window), FPrevious(window.StatusText()) {
    FWindow.SetStatusText(TransferStatusText());
  }
  ~TransferStatus() { FWindow.SetStatusText(FPrevious); }
  TransferStatus(const TransferStatus&) = delete;
  TransferStatus& operator=(const TransferStatus&) = delete;

 private:
  const TransferWindow& FWindow;
  std::string FPrevious;
};

std::string DebugFileFailure(std::string_view action, const std::filesystem::path& file,
                             const std::error_code& error) {
  std::string text = "The debug image ";
  text += file.string();
  text += " could not be ";
  text += action;
  text += ": ";
  text += error.message();
  text += '.';
  return text;
}

std::string SendWithErrorsQuestion(std::size_t errors) {
  std::string text = "The rule checker finds ";
  text += std::to_string(errors);
  text += errors == 1 ? " error" : " errors";
  text +=
      " in this configuration: the controller would be programmed wrongly, or the send would "
      "fail.\n\nChoose No and correct them first (Tool > Check Rules lists them), or Yes to send "
      "the configuration as it is.";
  return text;
}

}  // namespace

std::string TransferStatusText() {
  std::string text = ActiveText(string_id::kSavingRuleInformation);
  text += ": Mimic.";
  text += kHexFileExtension;
  return text;
}

std::filesystem::path DebugImageFile(const std::filesystem::path& dataDirectory) {
  return dataDirectory / kDebugImageName;
}

FileDialogSetup ImportImageDialogSetup(const std::filesystem::path& dataDirectory) {
  return {"", "Configuration Images (*.hex *.bin)|*.hex *.bin", dataDirectory.string(), "hex"};
}

TTransferCommands::TTransferCommands(Configuration& configuration, UserQueries& queries,
                                     TransferWindow window, std::filesystem::path debugFile)
    : FConfiguration(configuration),
      FQueries(&queries),
      FWindow(std::move(window)),
      FDebugFile(std::move(debugFile)) {}

// The send goes on whatever the answer to the save question: the controller gets what is on
// screen. The checker's question comes before it, so that No leaves all as it was: nothing
// saved, no prompt.
void TTransferCommands::MenuConnectSendRuleClick() {
  if (FConfiguration.RuleCount == 0) {
    FQueries->Message(ActiveText(string_id::kNoRulesDefined), ActiveText(string_id::kInformation),
                      MessageButtons::Ok, MessageIcon::Warning);
    return;
  }
  if (!SendDespiteErrors()) return;
  FWindow.AskToSave();
  const TransferStatus status(FWindow);
  ShowTransferPrompt();
  ConfigurationImage buffer;
  if (!Encode(buffer)) return;
  Run(buffer, TransferDirection::Send);
}

// Only a get that ends with OK changes the configuration.
void TTransferCommands::MenuConnectGetRulesClick() {
  if (FConfiguration.SettingsLocked) FWindow.FileNew();
  const TransferStatus status(FWindow);
  ShowTransferPrompt();
  ConfigurationImage buffer;
  if (Run(buffer, TransferDirection::Get) == TransferResult::Ok) LoadImage(buffer);
}

// Get's steps without File New, decoded as Compare with File decodes an image. A blank unit has
// been reported by the dialog.
std::optional<Configuration> TTransferCommands::GetUnitConfiguration() {
  const TransferStatus status(FWindow);
  ShowTransferPrompt();
  ConfigurationImage buffer;
  if (Run(buffer, TransferDirection::Get) != TransferResult::Ok || !HoldsConfiguration(buffer)) {
    return std::nullopt;
  }
  return ConfigurationOfImage(buffer, FConfiguration.DataDirectory);
}

void TTransferCommands::WriteDataClick() {
  ConfigurationImage image;
  if (!Encode(image)) return;
  const auto& bytes = image.Data();
  try {
    WriteFileReplacing(FDebugFile,
                       std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const std::system_error& error) {
    ShowError(DebugFileFailure("written", FDebugFile, error.code()));
  }
}

// A file shorter than an image leaves the rest erased.
void TTransferCommands::ReadDataClick() {
  std::error_code kind;
  if (std::filesystem::is_directory(FDebugFile, kind)) {
    ShowError(
        DebugFileFailure("read", FDebugFile, std::make_error_code(std::errc::is_a_directory)));
    return;
  }
  std::ifstream file(FDebugFile, std::ios::binary);
  if (!file) {
    ShowError(DebugFileFailure("read", FDebugFile, std::error_code(errno, std::system_category())));
    return;
  }
  ConfigurationImage image;
  auto& bytes = image.Data();
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (file.bad()) {
    ShowError(DebugFileFailure("read", FDebugFile, std::make_error_code(std::errc::io_error)));
    return;
  }
  LoadImage(image);
}

void TTransferCommands::QuickTestClick() {
  ConfigurationImage image;
  if (!Encode(image)) return;
  FWindow.ResetWithoutQuestions();
  LoadImage(image);
}

// Warnings and notes ask nothing.
bool TTransferCommands::SendDespiteErrors() {
  const std::size_t errors = FCountErrors ? FCountErrors(FConfiguration) : 0;
  if (errors == 0) return true;
  return FQueries->Message(SendWithErrorsQuestion(errors), ActiveText(string_id::kWarning),
                           MessageButtons::YesNo, MessageIcon::Warning) == MessageAnswer::Yes;
}

// The file is read before File New, so that a file that cannot be imported costs nothing.
void TTransferCommands::ImportImageFile(const std::filesystem::path& file) {
  ConfigurationImage image;
  try {
    image = ReadImageFile(file);
  } catch (const std::exception& error) {
    ShowError(std::string(error.what()) +
              ".\n\nChoose a configuration image kept by a send or written by trvcfg get.");
    return;
  }
  if (!HoldsConfiguration(image)) {
    ShowError(ActiveText(string_id::kNoConfigurationData));
    return;
  }
  if (FConfiguration.SettingsLocked) FWindow.FileNew();
  LoadImage(image);
}

void TTransferCommands::ShowTransferPrompt() {
  FQueries->Message(ActiveText(string_id::kTransferPrompt),
                    ActiveText(string_id::kReadyForTransfer), MessageButtons::Ok,
                    MessageIcon::None);
}

void TTransferCommands::ShowError(const std::string& text) {
  FQueries->Message(text, ActiveText(string_id::kError), MessageButtons::Ok, MessageIcon::Error);
}

bool TTransferCommands::Encode(ConfigurationImage& image) {
  try {
    image = EncodeImage(FConfiguration);
    return true;
  } catch (const ImageOverflowError& error) {
    ShowError(std::string(error.what()) +
              ".\n\nDelete rules until the others fit, then try again.");
    return false;
  }
}

void TTransferCommands::LoadImage(const ConfigurationImage& image) {
  DecodeImageInto(FConfiguration, image);
  FWindow.ShowDecodedConfiguration();
}

TransferResult TTransferCommands::Run(ConfigurationImage& buffer, TransferDirection direction) {
  if (!FRunner) return TransferResult::Cancel;
  return FRunner->RunTransfer(buffer, direction);
}

}  // namespace trv
