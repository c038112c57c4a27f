#include "editor/ui/rule_grid.h"

#include <QMenu>

#include "editor/ui/rule_grid_model.h"
#include "editor/ui/rule_grid_view.h"

namespace trv {

TRuleGrid::TRuleGrid(TRuleListCommands& commands, Workbook& book, QWidget* viewParent)
    : FCommands(commands) {
  FModel = new TRuleGridModel(book, this);
  FView = new TRuleGridView(*FModel, viewParent);
  CreatePopupMenu();
  connect(FView, &TRuleGridView::Click, this,
          [this](int row, int column) { FCommands.MimicBookClick(row, column); });
  connect(FView, &TRuleGridView::Enter, this, [this] { FCommands.MimicBookEnter(); });
  connect(FView, &TRuleGridView::KeyDown, this, [this](GridKey key, KeyModifiers modifiers) {
    FCommands.MimicBookKeyDown(key, modifiers);
  });
  connect(FView, &TRuleGridView::KeyUp, this, [this](GridKey key, KeyModifiers modifiers) {
    FCommands.MimicBookKeyUp(key, modifiers);
  });
  connect(FView, &TRuleGridView::Popup, this, &TRuleGrid::ShowPopup);
}

// The view goes before the model it shows.
TRuleGrid::~TRuleGrid() {
  delete FView;
}

void TRuleGrid::CreatePopupMenu() {
  FPopupMenu = new QMenu(FView);
  FPopupMenu->setObjectName("PopupMenu");
  SpreadsheetMenuAutosize = AddPopupEntry("SpreadsheetMenuAutosize", "Auto&si&ze",
                                          [this] { SpreadsheetMenuAutosizeClick(); });
  FPopupMenu->addSeparator();
  SpreadsheetMenuCut =
      AddPopupEntry("SpreadsheetMenuCut", "Cut", [this] { FCommands.SpreadsheetMenuCutClick(); });
  SpreadsheetMenuCopy = AddPopupEntry("SpreadsheetMenuCopy", "&Copy",
                                      [this] { FCommands.SpreadsheetMenuCopyClick(); });
  SpreadsheetMenuPaste = AddPopupEntry("SpreadsheetMenuPaste", "&Paste",
                                       [this] { FCommands.SpreadsheetMenuPasteClick(); });
  FPopupMenu->addSeparator();
  SpreadsheetMenuDelete = AddPopupEntry("SpreadsheetMenuDelete", "&Delete",
                                        [this] { FCommands.SpreadsheetMenuDeleteClick(); });
  SpreadsheetMenuReset = AddPopupEntry("SpreadsheetMenuReset", "&Reset",
                                       [this] { FCommands.SpreadsheetMenuResetClick(); });
}

QAction* TRuleGrid::AddPopupEntry(const char* name, const char* text,
                                  const std::function<void()>& click) {
  QAction* action = FPopupMenu->addAction(text);
  action->setObjectName(name);
  connect(action, &QAction::triggered, this, click);
  return action;
}

void TRuleGrid::SpreadsheetPopupMenuPopup() {
  const PopupEnabling enabling = FCommands.SpreadsheetPopupMenuPopup();
  SpreadsheetMenuAutosize->setEnabled(enabling.Autosize);
  SpreadsheetMenuCut->setEnabled(enabling.Cut);
  SpreadsheetMenuCopy->setEnabled(enabling.Copy);
  SpreadsheetMenuPaste->setEnabled(enabling.Paste);
  SpreadsheetMenuDelete->setEnabled(enabling.Delete);
  SpreadsheetMenuReset->setEnabled(enabling.Reset);
}

void TRuleGrid::ShowPopup(const QPoint& globalPosition) {
  SpreadsheetPopupMenuPopup();
  FPopupMenu->popup(globalPosition);
}

void TRuleGrid::SpreadsheetMenuAutosizeClick() {
  FCommands.SpreadsheetMenuAutosizeClick(
      [this](int column) { return FView->FittedColumnWidth(column); });
}

}  // namespace trv
