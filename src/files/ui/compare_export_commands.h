#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "model/configuration.h"
#include "model/rule_text.h"

class QWidget;

namespace trv {

struct ConfigurationDifferences;
struct ComparisonSides;

// File "Export Rules...", File "Compare with File..." and Connect "Compare with Unit". None
// changes the configuration.
class TCompareExportCommands {
 public:
  // Shows a file dialog; the chosen file, or nothing when the user cancelled.
  using FileChooser = std::function<std::optional<QString>()>;
  // Shows an error message.
  using ErrorShower = std::function<void(const std::string& text)>;
  // A Get into a side copy: the unit's configuration, or nothing when the transfer was cancelled.
  using UnitReader = std::function<std::optional<Configuration>()>;

  struct Window {
    FileChooser ExportFile;
    FileChooser CompareFile;
    UnitReader UnitConfiguration;
    ErrorShower ShowError;
    std::function<RuleTextContext()> TextContext;  // the grid's captions
    QWidget* DialogParent = nullptr;
  };

  TCompareExportCommands(const Configuration& configuration, Window window);

  // The rule table as the grid shows it into a CSV file; a file there before is replaced.
  void MenuFileExportRulesClick();
  // A rule data file or a configuration image compared with the open configuration, the
  // differences in a dialog.
  void MenuFileCompareWithFileClick();
  // The unit's configuration, read into a side copy, compared with the open configuration.
  void MenuConnectCompareUnitClick();

 private:
  void CompareWith(const QString& file);
  void ShowDifferences(const ConfigurationDifferences& differences, const ComparisonSides& sides,
                       const QString& otherName);

  const Configuration& FConfiguration;
  Window FWindow;
};

}  // namespace trv
