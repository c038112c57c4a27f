#pragma once

#include <QString>

#include "shell/dialogs.h"

namespace trv {

// What the rule grid's commands reach of the main window around them.
class RuleGridWindow {
 public:
  virtual ~RuleGridWindow() = default;
  virtual Dialogs& Dialog() = 0;
  // The caption of the group that holds the grid: "Mimic Rules" or "Rule n".
  virtual void SetGridCaption(const QString& caption) = 0;
  virtual bool DataPanelVisible() const = 0;
  // Save, Print and "&Send Data to Unit", which need rules.
  virtual void EnableRuleListCommands(bool enabled) = 0;
  // The title with the current rule file and page.
  virtual void RefreshTitle() = 0;
};

}  // namespace trv
