#pragma once

#include <string>

#include "model/rule_record.h"

namespace trv {

// What the rule list commands show of the window around the grid.
class RuleListListener {
 public:
  virtual ~RuleListListener() = default;
  // The caption of the group that holds the grid: "Mimic Rules" or "Rule n".
  virtual void SetGridCaption(const std::string& caption) = 0;
  // Save, Print and "&Send Data to Unit", which need rules.
  virtual void EnableRuleListCommands(bool enabled) = 0;
  // After a delete: the system combo box follows the required system when it shows a lower one.
  virtual void ShowRequiredSystem(int requiredSystem) = 0;
  // A rule of kind 0..4 into its editor page, which becomes the active one.
  virtual void LoadRuleIntoPage(const RuleRecord& rule) = 0;
  // The title with the current rule file and page.
  virtual void RefreshTitle() = 0;
  virtual bool DataPanelVisible() const = 0;
  virtual bool GridVisible() const = 0;
  virtual void FocusGrid() = 0;
  // A command is changing the rules or the settings they are checked against; what shows them
  // follows once the command is done.
  virtual void RulesChanged() {}
};

}  // namespace trv
