#pragma once

#include <QObject>

#include "editor/rule_list_commands.h"

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace trv {

class TRuleGridModel;
class TRuleGridView;

// The grid MimicBook bound to the rule list commands: the view and its item model over the
// configuration's workbook, and the popup menu whose entries run the commands. Clicks and keys
// of the view go to the commands as they come.
class TRuleGrid : public QObject {
  Q_OBJECT

 public:
  TRuleGrid(TRuleListCommands& commands, Workbook& book, QWidget* viewParent);
  ~TRuleGrid() override;

  TRuleListCommands& Commands() { return FCommands; }
  TRuleGridView* MimicBook() const { return FView; }
  QMenu* PopupMenu() const { return FPopupMenu; }

  // The entries enabled as the commands say.
  void SpreadsheetPopupMenuPopup();
  void SpreadsheetMenuAutosizeClick();

 private:
  void CreatePopupMenu();
  QAction* AddPopupEntry(const char* name, const char* text, const std::function<void()>& click);
  void ShowPopup(const QPoint& globalPosition);

  TRuleListCommands& FCommands;
  TRuleGridModel* FModel = nullptr;
  TRuleGridView* FView = nullptr;
  QMenu* FPopupMenu = nullptr;
  QAction* SpreadsheetMenuAutosize = nullptr;
  QAction* SpreadsheetMenuCut = nullptr;
  QAction* SpreadsheetMenuCopy = nullptr;
  QAction* SpreadsheetMenuPaste = nullptr;
  QAction* SpreadsheetMenuDelete = nullptr;
  QAction* SpreadsheetMenuReset = nullptr;
};

}  // namespace trv
