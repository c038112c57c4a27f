#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "model/rule_text.h"

class QWidget;

namespace trv {

class Configuration;

// File "Export Rules..." and File "Compare with File...". Neither changes the configuration.
class TCompareExportCommands {
 public:
  // Shows a file dialog; the chosen file, or nothing when the user cancelled.
  using FileChooser = std::function<std::optional<QString>()>;
  // Shows an error message.
  using ErrorShower = std::function<void(const std::string& text)>;

  struct Window {
    FileChooser ExportFile;
    FileChooser CompareFile;
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

 private:
  void CompareWith(const QString& file);

  const Configuration& FConfiguration;
  Window FWindow;
};

}  // namespace trv
