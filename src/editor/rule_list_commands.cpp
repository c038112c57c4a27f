#include "editor/rule_list_commands.h"

#include <algorithm>
#include <string>

#include "editor/rule_list_listener.h"
#include "model/controller_settings.h"
#include "model/rule_workbook.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {

namespace {

constexpr int kRuleTextColumnCount = static_cast<int>(kRuleTextColumns);
// A rule row as the popup commands cut, copy and paste it.
constexpr int kRuleRowColumns = 256;

}  // namespace

TRuleListCommands::TRuleListCommands(Configuration& configuration, UserQueries& queries,
                                     RuleListListener& listener)
    : FConfiguration(configuration), FQueries(&queries), FListener(listener) {}

template <typename Operation>
void TRuleListCommands::OnSheet(int sheet, Operation operation) {
  struct TextSheetAgain {
    Workbook& Book;
    ~TextSheetAgain() { Book.SetSelectedSheet(kRuleTextSheet); }
  } again{Book()};
  Book().SetSelectedSheet(sheet);
  operation();
}

Workbook& TRuleListCommands::TextSheet() {
  if (Book().SelectedSheet() != kRuleTextSheet) Book().SetSelectedSheet(kRuleTextSheet);
  return Book();
}

RuleTextContext TRuleListCommands::CurrentTextContext() const {
  return TextContext ? TextContext() : RuleTextContextOf(FConfiguration.ControllerSettings);
}

void TRuleListCommands::SettingsChanged() {
  FListener.RulesChanged();
}

int TRuleListCommands::MaxRow() const {
  return RuleTextRowsShown(FConfiguration.RuleCount);
}

// Set up the workbook.

void TRuleListCommands::SetUpWorkbook(bool clear) {
  trv::SetUpWorkbook(FConfiguration, clear);
  FListener.RulesChanged();
}

// Rule text.

void TRuleListCommands::RenderRule(std::int32_t n) {
  if (n < 1 || n > kMaxRows) return;
  const RuleText row = trv::RenderRule(FConfiguration.StoredRule(n), CurrentTextContext());
  for (int column = 1; column <= kRuleTextColumnCount; ++column) {
    Book().SetText(kRuleTextSheet, n, column, row[static_cast<std::size_t>(column - 1)]);
  }
}

// Each rule passes through the working rule on its way, so the last one stays there.
void TRuleListCommands::RenderAll() {
  RenderAllRules(FConfiguration, CurrentTextContext());
  if (FConfiguration.RuleCount > 0) FConfiguration.LoadWorkingRule(FConfiguration.RuleCount);
}

// Rules and rows.

std::int32_t TRuleListCommands::StoredKind(std::int32_t row) const {
  return Book().Integer(kRuleDataSheet, row, 1);
}

bool TRuleListCommands::IsClearedRule(std::int32_t row) const {
  return StoredKind(row) == rkCleared;
}

// The row after the last rule must stay inside the sheet.
bool TRuleListCommands::RoomForAnotherRule() const {
  return FConfiguration.RuleCount < kMaxRows - 1;
}

void TRuleListCommands::ChangeRuleCount(std::int32_t count) {
  const std::int32_t previous = FConfiguration.RuleCount;
  FConfiguration.RuleCount = count;
  TextSheet().SetMaxRow(RuleTextRowsShown(count));
  if (previous == 0 && count == 1) FListener.EnableRuleListCommands(true);
  if (previous > 0 && count == 0) FListener.EnableRuleListCommands(false);
}

void TRuleListCommands::SelectCell(int row, int column) {
  Workbook& book = TextSheet();
  book.SetActiveCell(row, column);
  book.SetSelection({row, column, row, column});
}

void TRuleListCommands::MarkModified() {
  FConfiguration.Modified = true;
  FListener.RulesChanged();
}

void TRuleListCommands::TakeFocusIfShown() {
  if (FListener.GridVisible()) FListener.FocusGrid();
}

// Set Rule.

bool TRuleListCommands::ChooseTargetRow() {
  const int row = TextSheet().ActiveCell().Row;
  if (row > FConfiguration.RuleCount) {
    if (!RoomForAnotherRule()) return false;
    FConfiguration.TargetRule = FConfiguration.RuleCount + 1;
    return true;
  }
  if (IsClearedRule(row)) {
    FConfiguration.TargetRule = row;
    return true;
  }
  const bool modify = FQueries->Message(FormatText(ActiveText(string_id::kModifyRuleQuestion), row),
                                        ActiveText(string_id::kModifyRule), MessageButtons::YesNo,
                                        MessageIcon::Question) == MessageAnswer::Yes;
  TakeFocusIfShown();
  if (modify) FConfiguration.TargetRule = row;
  return modify;
}

void TRuleListCommands::AppendOrOverwrite(RuleKind kind) {
  const std::int32_t count = FConfiguration.RuleCount;
  const std::int32_t row = std::min(FConfiguration.TargetRule, count + 1);
  if (row < 1 || (row > count && !RoomForAnotherRule())) return;
  MarkModified();
  FConfiguration.WorkingRule.Kind = kind;
  FConfiguration.StoreWorkingRule(row);
  RenderRule(row);
  if (row <= count) return;
  ChangeRuleCount(count + 1);
  SelectCell(FConfiguration.RuleCount + 1, TextSheet().ActiveCell().Column);
  if (FListener.DataPanelVisible()) FListener.FocusGrid();
  TextSheet().ShowActiveCell();
}

// Clicks and keys.

bool TRuleListCommands::SelectionSpansRows() {
  const CellRange selection = TextSheet().Selection();
  return selection.LastRow > selection.FirstRow && selection.LastRow <= TextSheet().MaxRow();
}

void TRuleListCommands::SetCaption(const std::string& caption) {
  FListener.SetGridCaption(caption);
}

void TRuleListCommands::SetCaptionOfRow(int row) {
  if (IsRule(row) && !IsClearedRule(row)) {
    SetCaption(ActiveText(string_id::kRule) + " " + std::to_string(row));
  } else {
    SetCaption(ActiveText(string_id::kMimicRules));
  }
}

void TRuleListCommands::MimicBookClick(int row, int column) {
  if (SelectionSpansRows()) {
    SetCaption(ActiveText(string_id::kMimicRules));
    return;
  }
  if (row > 0 && column > 0) {
    ClickCell(row);
    return;
  }
  // A row heading, a column heading or the corner (neither).
  FConfiguration.SelectedRow = std::max(row, 0);
  FConfiguration.SelectedColumn = row > 0 ? 0 : std::max(column, 0);
  SetCaptionOfRow(FConfiguration.SelectedRow);
}

void TRuleListCommands::SelectAndLoadRule(std::int32_t n) {
  if (!IsRule(n)) return;
  SelectRuleRow(n);
  TextSheet().ShowActiveCell();
  MimicBookClick(n, 1);
}

void TRuleListCommands::ClickCell(int row) {
  FConfiguration.SelectedRow = 0;
  FConfiguration.SelectedColumn = 0;
  if (!IsRule(row) || IsClearedRule(row)) {
    SetCaption(ActiveText(string_id::kMimicRules));
    return;
  }
  FConfiguration.LoadWorkingRule(row);
  if (IsRuleKind(FConfiguration.WorkingRule.Kind)) {
    FListener.LoadRuleIntoPage(FConfiguration.WorkingRule);
  }
  FListener.RefreshTitle();
  // After the page change, which shows the caption of the whole table.
  SetCaptionOfRow(row);
}

void TRuleListCommands::MimicBookEnter() {
  if (FConfiguration.SelectedRow == 0 && FConfiguration.SelectedColumn == 0) {
    TextSheet().ShowActiveCell();
  }
}

bool TRuleListCommands::MovesActiveCell(GridKey key, KeyModifiers modifiers) {
  return key != GridKey::Other && !modifiers.Shift && !modifiers.Other;
}

CellRef TRuleListCommands::PredictedCell(GridKey key, bool control) {
  Workbook& book = TextSheet();
  CellRef cell = book.ActiveCell();
  const int lastRow = book.LastRow(kRuleTextSheet);
  const int lastColumn = book.LastColumn(kRuleTextSheet);
  switch (key) {
    case GridKey::Down:
      if (control) {
        cell.Row = cell.Row < lastRow ? lastRow : book.MaxRow();
      } else if (cell.Row < book.MaxRow()) {
        ++cell.Row;
      }
      break;
    case GridKey::Up:
      if (control) {
        cell.Row = cell.Row > lastRow ? lastRow : 1;
      } else if (cell.Row > 1) {
        --cell.Row;
      }
      break;
    case GridKey::Left:
      if (control) {
        cell.Column = cell.Column > lastColumn ? lastColumn : 1;
      } else if (cell.Column > 1) {
        --cell.Column;
      }
      break;
    case GridKey::Right:
      if (control) {
        cell.Column = cell.Column < lastColumn ? lastColumn : book.MaxColumn();
      } else if (cell.Column < book.MaxColumn()) {
        ++cell.Column;
      }
      break;
    case GridKey::Other:
      break;
  }
  // Data left beyond the shown rows or columns does not take the cell out of the grid.
  return {std::clamp(cell.Row, 1, book.MaxRow()), std::clamp(cell.Column, 1, book.MaxColumn())};
}

// The grid leaves these keys to this handler, which moves the cell where the key leads.
void TRuleListCommands::MimicBookKeyDown(GridKey key, KeyModifiers modifiers) {
  if (!MovesActiveCell(key, modifiers)) return;
  const CellRef cell = PredictedCell(key, modifiers.Control);
  SelectCell(cell.Row, cell.Column);
  TextSheet().ShowActiveCell();
  MimicBookClick(cell.Row, cell.Column);
}

// Shift alone with an arrow has extended the selection, which the click evaluates.
void TRuleListCommands::MimicBookKeyUp(GridKey key, KeyModifiers modifiers) {
  if (key == GridKey::Other || !modifiers.Shift || modifiers.Control || modifiers.Other) return;
  const CellRef active = TextSheet().ActiveCell();
  MimicBookClick(active.Row, active.Column);
}

// The popup menu.

PopupEnabling TRuleListCommands::SpreadsheetPopupMenuPopup() {
  if (FConfiguration.RuleCount <= 0) return {};
  const int row = SelectedHeadingRow();
  if (FConfiguration.SelectedColumn > 0 || row == 0) return {.Autosize = true};
  const bool paste = FConfiguration.ClipboardHoldsRule;
  if (!TextSheet().Text(TextSheet().ActiveCell().Row, 1).empty()) {
    return {true, true, true, paste, true, true};
  }
  return {.Autosize = true, .Paste = paste, .Delete = row <= FConfiguration.RuleCount};
}

void TRuleListCommands::SpreadsheetMenuAutosizeClick(
    const std::function<int(int column)>& fittedWidth) {
  for (int column = 1; column <= kRuleTextColumnCount; ++column) {
    TextSheet().SetColumnWidth(column, fittedWidth(column));
  }
}

// The row whose heading was clicked, while the selection is still that row: a selection moved
// or extended since then is what the user sees, and no command acts on the row behind it.
int TRuleListCommands::SelectedHeadingRow() {
  const int row = FConfiguration.SelectedRow;
  const CellRange selection = TextSheet().Selection();
  return row > 0 && selection.FirstRow == row && selection.LastRow == row ? row : 0;
}

int TRuleListCommands::SelectedRule() {
  const int row = SelectedHeadingRow();
  return IsRule(row) ? row : 0;
}

// The row's cell in column 1 becomes the active one and no heading stays selected.
void TRuleListCommands::SelectRuleRow(int row) {
  SelectCell(row, 1);
  FConfiguration.SelectedRow = 0;
}

void TRuleListCommands::SelectDataRow(int row) {
  Book().SetSelection({row, 1, row, kRuleRowColumns});
}

void TRuleListCommands::DeleteRuleRow(int row) {
  OnSheet(kRuleDataSheet, [&] { Book().DeleteRows(row, 1); });
  TextSheet().DeleteRows(row, 1);
}

bool TRuleListCommands::Confirmed(int questionId, int captionId, int row) {
  return FQueries->Message(FormatText(ActiveText(questionId), row), ActiveText(captionId),
                           MessageButtons::OkCancel, MessageIcon::Warning) == MessageAnswer::Ok;
}

// The count drops before the click, so that the row the click lands on is what it now shows.
void TRuleListCommands::SpreadsheetMenuCutClick() {
  const int row = SelectedRule();
  if (row == 0) return;
  OnSheet(kRuleDataSheet, [&] {
    SelectDataRow(row);
    Book().CutSelection();
  });
  DeleteRuleRow(row);
  FConfiguration.ClipboardHoldsRule = true;
  ChangeRuleCount(FConfiguration.RuleCount - 1);
  SelectRuleRow(row);
  MimicBookClick(row, 1);
  MarkModified();
}

void TRuleListCommands::SpreadsheetMenuCopyClick() {
  const int row = SelectedRule();
  if (row == 0) return;
  OnSheet(kRuleDataSheet, [&] {
    SelectDataRow(row);
    Book().CopySelection();
  });
  SelectRuleRow(row);
  MimicBookClick(row, 1);
  FConfiguration.ClipboardHoldsRule = true;
}

// A paste onto a row past the last rule appends the rule right after it. A paste fills a
// cleared rule's row; anywhere else the rule goes in before the row, which moves down.
void TRuleListCommands::SpreadsheetMenuPasteClick() {
  const std::int32_t count = FConfiguration.RuleCount;
  const int selected = SelectedHeadingRow();
  if (count <= 0 || !FConfiguration.ClipboardHoldsRule || Book().ClipboardEmpty() ||
      selected == 0) {
    return;
  }
  const int row = std::min(selected, count + 1);
  const bool adds = row == count + 1 || !IsClearedRule(row);
  if (adds && !RoomForAnotherRule()) return;
  OnSheet(kRuleDataSheet, [&] {
    SelectDataRow(row);
    if (adds) Book().InsertRows(row, 1);
    Book().PasteSelection();
  });
  if (adds) ChangeRuleCount(count + 1);
  MarkModified();
  SelectRuleRow(row);
  MimicBookClick(row, 1);
  RenderAll();
}

void TRuleListCommands::SpreadsheetMenuDeleteClick() {
  const int row = SelectedRule();
  const bool asks = row != 0 && !TextSheet().Text(row, 1).empty();
  if (row != 0 &&
      (!asks || Confirmed(string_id::kDeleteRuleQuestion, string_id::kDeleteRule, row))) {
    DeleteRuleRow(row);
    SelectRuleRow(row);
    ChangeRuleCount(FConfiguration.RuleCount - 1);
    MimicBookClick(row, 1);
    MarkModified();
  }
  FConfiguration.RecomputeRequiredSystem();
  FListener.ShowRequiredSystem(FConfiguration.RequiredSystem);
}

// A reset last rule leaves the table, and its row becomes the empty one after it.
void TRuleListCommands::SpreadsheetMenuResetClick() {
  const int row = SelectedRule();
  if (row == 0 || !Confirmed(string_id::kResetRuleQuestion, string_id::kResetRule, row)) {
    return;
  }
  OnSheet(kRuleDataSheet, [&] { Book().ClearRange({row, 1, row, kRuleRowColumns}); });
  Book().SetNumber(kRuleDataSheet, row, 1, rkCleared);
  SelectRuleRow(row);
  MimicBookClick(row, 1);
  if (row == FConfiguration.RuleCount) {
    ChangeRuleCount(row - 1);
    TextSheet().ClearRange({row, 1, row, kRuleTextColumnCount});
  }
  MarkModified();
  RenderAll();
}

}  // namespace trv
