#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "model/configuration.h"
#include "model/rule_text.h"

class QAction;
class QMenu;
class QWidget;

namespace trv {

class RuleGridWindow;
class TRuleGridModel;
class TRuleGridView;

// The rule grid MimicBook with its commands: the workbook set-up, the rule text rows, the
// clicks and keys that load rules into the editor, the popup menu that cuts, copies, pastes,
// deletes and resets whole rules, and the choice of the row that a Set Rule writes.
//
// Rows are rules: row n of the rule data sheet and of the rule text sheet is rule n, and the
// rule text sheet shows count + 1 rows, the last one empty for the next rule. Every command
// leaves the rule text sheet selected.
class TRuleGrid : public QObject {
  Q_OBJECT

 public:
  TRuleGrid(Configuration& configuration, RuleGridWindow& window, QWidget* viewParent);
  ~TRuleGrid() override;

  TRuleGridView* MimicBook() const { return FView; }
  QMenu* PopupMenu() const { return FPopupMenu; }

  // Loads the working rule (kind 0..4) into its editor page and activates the page.
  std::function<void(const RuleRecord& rule)> LoadRuleIntoPage;
  // After a delete: the system combo box follows RequiredSystem when it shows a lower system.
  std::function<void(int requiredSystem)> ShowRequiredSystem;
  // The editor's captions and fields that the rule text reads; the built-in ones when unset.
  std::function<RuleTextContext()> TextContext;

  // The three sheets' column widths, the headed rule text sheet of count + 1 rows and the
  // settings cells that need no confirmation; clear empties the rule data and rule text rows.
  void SetUpWorkbook(bool clear);
  // Row n, or rows 1..count, of the rule text sheet from the rule data sheet.
  void RenderRule(std::int32_t n);
  void RenderAll();

  // Sets TargetRule from the active row: count + 1 to append, a cleared rule's row, or an
  // existing rule after the user's Yes. False when nothing is to be written.
  bool ChooseTargetRow();
  // Writes the working rule, as the given kind, into TargetRule.
  void AppendOrOverwrite(RuleKind kind);

  // Row and column from 1; 0 for a heading.
  void MimicBookClick(int row, int column);
  void MimicBookEnter();
  void MimicBookKeyDown(int key, Qt::KeyboardModifiers modifiers);
  void MimicBookKeyUp(int key, Qt::KeyboardModifiers modifiers);

  void SpreadsheetPopupMenuPopup();
  void SpreadsheetMenuAutosizeClick();
  void SpreadsheetMenuCutClick();
  void SpreadsheetMenuCopyClick();
  void SpreadsheetMenuPasteClick();
  void SpreadsheetMenuDeleteClick();
  void SpreadsheetMenuResetClick();

 private:
  struct PopupEnabling;

  void CreatePopupMenu();
  QAction* AddPopupEntry(const char* name, const char* text, void (TRuleGrid::*click)());
  void ShowPopup(const QPoint& globalPosition);
  PopupEnabling PopupEnablingNow();

  Workbook& Book() { return FConfiguration.MimicBook; }
  const Workbook& Book() const { return FConfiguration.MimicBook; }
  // The workbook with the rule text sheet selected.
  Workbook& TextSheet();
  // Runs operation with sheet selected, then selects the rule text sheet again.
  template <typename Operation>
  void OnSheet(int sheet, Operation operation);
  // The rules and the empty row after them.
  RuleTextContext CurrentTextContext() const;

  bool IsRule(std::int32_t row) const { return row >= 1 && row <= FConfiguration.RuleCount; }
  bool IsClearedRule(std::int32_t row) const;
  bool RoomForAnotherRule() const;
  std::int32_t StoredKind(std::int32_t row) const;
  void ChangeRuleCount(std::int32_t count);
  void SelectCell(int row, int column);
  void TakeFocusIfShown();

  bool SelectionSpansRows();
  void SetCaption(const QString& caption);
  void SetCaptionOfRow(int row);
  void ClickCell(int row);
  CellRef PredictedCell(int key, bool control);

  // The popup commands act on the selected row.
  int SelectedHeadingRow();
  int SelectedRule();
  void SelectRuleRow(int row);
  void SelectDataRow(int row);
  void DeleteRuleRow(int row);
  bool Confirmed(int questionId, int captionId, int row);

  Configuration& FConfiguration;
  RuleGridWindow& FWindow;
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
