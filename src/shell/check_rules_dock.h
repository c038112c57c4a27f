#pragma once

#include <QDockWidget>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace trv {

class Configuration;
class TRuleListCommands;

// Tool "Check Rules": the rule checker's findings in a dockable list, each with its severity's
// icon, the rules it names and its text. A double-click on a finding that names rules loads the
// first of them, as a click on its row in the grid does. While shown, the list follows every
// change of the rules.
class TCheckRulesDock : public QDockWidget {
  Q_OBJECT

 public:
  TCheckRulesDock(const Configuration& configuration, TRuleListCommands& ruleList, QWidget* parent);

  // Shows the list with the findings of now.
  void MenuToolCheckRulesClick();
  // The findings follow once the change is done, while the list is shown.
  void RulesChanged();

 private:
  void ShowFindings();
  void MakeRoom();
  void CheckRulesListDoubleClick(const QTreeWidgetItem* item);

  const Configuration& FConfiguration;
  TRuleListCommands& FRuleList;
  bool FRefreshQueued = false;
  bool FRoomMade = false;
  QLabel* CheckRulesSummary = nullptr;
  QTreeWidget* CheckRulesList = nullptr;
};

}  // namespace trv
