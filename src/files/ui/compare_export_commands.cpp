#include "files/ui/compare_export_commands.h"

#include <QFileInfo>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "editor/comparison_rows.h"
#include "editor/configuration_compare.h"
#include "files/replacing_write.h"
#include "files/rule_table_export.h"
#include "files/ui/compare_dialog.h"
#include "transfer/decoded_rule_file.h"
#include "transfer/encode_image.h"
#include "transfer/image_file.h"

namespace trv {
namespace {

std::filesystem::path PathOf(const QString& file) {
  return std::filesystem::path(file.toStdString());
}

std::string ExportFailure(const QString& file, const std::system_error& error) {
  return "The rule table could not be written to " + file.toStdString() + ": " +
         error.code().message() +
         ".\n\nChoose a folder you may write to, or close the program that has the file open, "
         "and export again.";
}

std::string CompareFailure(const QString& file, const std::exception& error) {
  return "The file " + file.toStdString() + " could not be compared:\n" + error.what() +
         "\n\nChoose a rule data file (.trv) or a configuration image (.bin, .hex) that this tool "
         "wrote.";
}

std::string UnitCompareFailure(const ImageOverflowError& error) {
  std::string text = "This configuration could not be compared with the unit's:\n";
  text += error.what();
  text += ".\n\nDelete rules until the others fit, then compare again.";
  return text;
}

}  // namespace

TCompareExportCommands::TCompareExportCommands(const Configuration& configuration, Window window)
    : FConfiguration(configuration), FWindow(std::move(window)) {}

void TCompareExportCommands::MenuFileExportRulesClick() {
  const std::optional<QString> file = FWindow.ExportFile();
  if (!file) return;
  try {
    WriteFileReplacing(PathOf(*file), ExportRuleTable(FConfiguration, FWindow.TextContext()));
  } catch (const std::system_error& error) {
    FWindow.ShowError(ExportFailure(*file, error));
  }
}

void TCompareExportCommands::MenuFileCompareWithFileClick() {
  if (const std::optional<QString> file = FWindow.CompareFile()) CompareWith(*file);
}

// The open configuration is compared as it stands; an image on the other side is compared with
// it as the controller would hold it after a send.
void TCompareExportCommands::CompareWith(const QString& file) {
  const std::filesystem::path path = PathOf(file);
  ConfigurationDifferences differences;
  try {
    const LoadedConfiguration other = LoadRuleOrImageFile(path);
    differences = CompareConfigurations(FConfiguration, other.Loaded,
                                        IsImageFile(path) ? ImageSide::B : ImageSide::None);
  } catch (const std::exception& error) {
    FWindow.ShowError(CompareFailure(file, error));
    return;
  }
  ShowDifferences(differences, {"this configuration", "the file"}, QFileInfo(file).fileName());
}

// The unit is compared as an image is: the open configuration as the unit would hold it after a
// send, which fails only when its rules do not fit.
// The unit's side is an image, so this configuration is compared as its image: one that cannot
// be made is refused before the controller is read for nothing.
void TCompareExportCommands::MenuConnectCompareUnitClick() {
  if (const RuleWordUse use = CountRuleWords(FConfiguration); !use.Fits()) {
    FWindow.ShowError(UnitCompareFailure(ImageOverflowError(use.NeededWords, use.AvailableWords)));
    return;
  }
  const std::optional<Configuration> unit = FWindow.UnitConfiguration();
  if (!unit) return;
  ShowDifferences(CompareConfigurations(FConfiguration, *unit, ImageSide::B),
                  {"this configuration", "the unit"}, "Unit");
}

void TCompareExportCommands::ShowDifferences(const ConfigurationDifferences& differences,
                                             const ComparisonSides& sides,
                                             const QString& otherName) {
  const std::string summary = ComparisonSummary(differences, sides);
  auto* dialog = new TCompareDialog(ComparisonRows(differences), QString::fromStdString(summary),
                                    otherName, FWindow.DialogParent);
  dialog->show();
}

}  // namespace trv
