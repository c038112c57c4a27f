#pragma once

#include <cstdint>
#include <functional>

#include "model/configuration.h"
#include "model/rule_text.h"
#include "model/user_queries.h"

namespace trv {

class RuleListListener;

// The keys the grid leaves to the commands; Other for every other key.
enum class GridKey { Other, Up, Down, Left, Right };

struct KeyModifiers {
  bool Shift = false;
  bool Control = false;
  bool Other = false;  // Alt, Meta or any other modifier beside Shift and Ctrl
};

// Which entries of the grid's popup menu are enabled.
struct PopupEnabling {
  bool Autosize = false;
  bool Cut = false;
  bool Copy = false;
  bool Paste = false;
  bool Delete = false;
  bool Reset = false;
  bool operator==(const PopupEnabling&) const = default;
};

// The rule list behind the grid MimicBook: the workbook set-up, the rule text rows, the clicks
// and keys that load rules into the editor, the popup commands that cut, copy, paste, delete and
// reset whole rules, and the choice of the row that a Set Rule writes.
//
// Rows are rules: row n of the rule data sheet and of the rule text sheet is rule n, and the
// rule text sheet shows count + 1 rows, the last one empty for the next rule. Every command
// leaves the rule text sheet selected.
class TRuleListCommands {
 public:
  TRuleListCommands(Configuration& configuration, UserQueries& queries, RuleListListener& listener);

  void SetUserQueries(UserQueries& queries) { FQueries = &queries; }
  UserQueries& Queries() { return *FQueries; }

  // The editor's captions and fields that the rule text reads; the built-in ones when unset.
  std::function<RuleTextContext()> TextContext;

  std::int32_t RuleCount() const { return FConfiguration.RuleCount; }
  // A settings handler changed what the rules are checked against.
  void SettingsChanged();
  // The last row the grid shows: the empty row after the rules.
  int MaxRow() const;

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
  // Rule n selected in the grid and loaded into its page, as a click on its row does.
  void SelectAndLoadRule(std::int32_t n);
  // The arrows without a modifier or with Ctrl alone: MimicBookKeyDown moves the active cell.
  static bool MovesActiveCell(GridKey key, KeyModifiers modifiers);
  // Where the key takes the active cell.
  CellRef PredictedCell(GridKey key, bool control);
  void MimicBookKeyDown(GridKey key, KeyModifiers modifiers);
  void MimicBookKeyUp(GridKey key, KeyModifiers modifiers);

  PopupEnabling SpreadsheetPopupMenuPopup();
  // fittedWidth: the width in the workbook's units that shows a column's heading and cells.
  void SpreadsheetMenuAutosizeClick(const std::function<int(int column)>& fittedWidth);
  void SpreadsheetMenuCutClick();
  void SpreadsheetMenuCopyClick();
  void SpreadsheetMenuPasteClick();
  void SpreadsheetMenuDeleteClick();
  void SpreadsheetMenuResetClick();

 private:
  Workbook& Book() { return FConfiguration.MimicBook; }
  const Workbook& Book() const { return FConfiguration.MimicBook; }
  // The workbook with the rule text sheet selected.
  Workbook& TextSheet();
  // Runs operation with sheet selected, then selects the rule text sheet again.
  template <typename Operation>
  void OnSheet(int sheet, Operation operation);
  RuleTextContext CurrentTextContext() const;

  bool IsRule(std::int32_t row) const { return row >= 1 && row <= FConfiguration.RuleCount; }
  bool IsClearedRule(std::int32_t row) const;
  bool RoomForAnotherRule() const;
  std::int32_t StoredKind(std::int32_t row) const;
  void ChangeRuleCount(std::int32_t count);
  void SelectCell(int row, int column);
  void MarkModified();
  void TakeFocusIfShown();

  bool SelectionSpansRows();
  void SetCaption(const std::string& caption);
  void SetCaptionOfRow(int row);
  void ClickCell(int row);

  // The popup commands act on the selected row.
  int SelectedHeadingRow();
  int SelectedRule();
  void SelectRuleRow(int row);
  void SelectDataRow(int row);
  void DeleteRuleRow(int row);
  bool Confirmed(int questionId, int captionId, int row);

  Configuration& FConfiguration;
  UserQueries* FQueries;
  RuleListListener& FListener;
};

}  // namespace trv
