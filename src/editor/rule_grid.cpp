#include "editor/rule_grid.h"

#include <QMenu>
#include <algorithm>
#include <array>

#include "editor/rule_grid_model.h"
#include "editor/rule_grid_view.h"
#include "editor/rule_grid_window.h"
#include "model/controller_settings.h"
#include "model/rule_workbook.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "shell/ui_text.h"

namespace trv {

namespace {

constexpr int kRuleTextColumnCount = static_cast<int>(kRuleTextColumns);
// A rule row as the popup commands cut, copy and paste it.
constexpr int kRuleRowColumns = 256;

}  // namespace

struct TRuleGrid::PopupEnabling {
  bool Autosize = false;
  bool Cut = false;
  bool Copy = false;
  bool Paste = false;
  bool Delete = false;
  bool Reset = false;
};

TRuleGrid::TRuleGrid(Configuration& configuration, RuleGridWindow& window, QWidget* viewParent)
    : FConfiguration(configuration), FWindow(window) {
  FModel = new TRuleGridModel(Book(), this);
  FView = new TRuleGridView(*FModel, viewParent);
  CreatePopupMenu();
  connect(FView, &TRuleGridView::Click, this, &TRuleGrid::MimicBookClick);
  connect(FView, &TRuleGridView::Enter, this, &TRuleGrid::MimicBookEnter);
  connect(FView, &TRuleGridView::KeyDown, this, &TRuleGrid::MimicBookKeyDown);
  connect(FView, &TRuleGridView::KeyUp, this, &TRuleGrid::MimicBookKeyUp);
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
                                          &TRuleGrid::SpreadsheetMenuAutosizeClick);
  FPopupMenu->addSeparator();
  SpreadsheetMenuCut =
      AddPopupEntry("SpreadsheetMenuCut", "Cut", &TRuleGrid::SpreadsheetMenuCutClick);
  SpreadsheetMenuCopy =
      AddPopupEntry("SpreadsheetMenuCopy", "&Copy", &TRuleGrid::SpreadsheetMenuCopyClick);
  SpreadsheetMenuPaste =
      AddPopupEntry("SpreadsheetMenuPaste", "&Paste", &TRuleGrid::SpreadsheetMenuPasteClick);
  FPopupMenu->addSeparator();
  SpreadsheetMenuDelete =
      AddPopupEntry("SpreadsheetMenuDelete", "&Delete", &TRuleGrid::SpreadsheetMenuDeleteClick);
  SpreadsheetMenuReset =
      AddPopupEntry("SpreadsheetMenuReset", "&Reset", &TRuleGrid::SpreadsheetMenuResetClick);
}

QAction* TRuleGrid::AddPopupEntry(const char* name, const char* text, void (TRuleGrid::*click)()) {
  QAction* action = FPopupMenu->addAction(text);
  action->setObjectName(name);
  connect(action, &QAction::triggered, this, [this, click] { (this->*click)(); });
  return action;
}

template <typename Operation>
void TRuleGrid::OnSheet(int sheet, Operation operation) {
  struct TextSheetAgain {
    Workbook& Book;
    ~TextSheetAgain() { Book.SetSelectedSheet(kRuleTextSheet); }
  } again{Book()};
  Book().SetSelectedSheet(sheet);
  operation();
}

Workbook& TRuleGrid::TextSheet() {
  if (Book().SelectedSheet() != kRuleTextSheet) Book().SetSelectedSheet(kRuleTextSheet);
  return Book();
}

RuleTextContext TRuleGrid::CurrentTextContext() const {
  return TextContext ? TextContext() : RuleTextContextOf(FConfiguration.ControllerSettings);
}

// Set up the workbook.

void TRuleGrid::SetUpWorkbook(bool clear) {
  trv::SetUpWorkbook(FConfiguration, clear);
}

// Rule text.

void TRuleGrid::RenderRule(std::int32_t n) {
  if (n < 1 || n > kMaxRows) return;
  const RuleText row = trv::RenderRule(FConfiguration.StoredRule(n), CurrentTextContext());
  for (int column = 1; column <= kRuleTextColumnCount; ++column) {
    Book().SetText(kRuleTextSheet, n, column, row[static_cast<std::size_t>(column - 1)]);
  }
}

// Each rule passes through the working rule on its way, so the last one stays there.
void TRuleGrid::RenderAll() {
  RenderAllRules(FConfiguration, CurrentTextContext());
  if (FConfiguration.RuleCount > 0) FConfiguration.LoadWorkingRule(FConfiguration.RuleCount);
}

// Rules and rows.

std::int32_t TRuleGrid::StoredKind(std::int32_t row) const {
  return Book().Integer(kRuleDataSheet, row, 1);
}

bool TRuleGrid::IsClearedRule(std::int32_t row) const {
  return StoredKind(row) == rkCleared;
}

// The row after the last rule must stay inside the sheet.
bool TRuleGrid::RoomForAnotherRule() const {
  return FConfiguration.RuleCount < kMaxRows - 1;
}

void TRuleGrid::ChangeRuleCount(std::int32_t count) {
  const std::int32_t previous = FConfiguration.RuleCount;
  FConfiguration.RuleCount = count;
  TextSheet().SetMaxRow(RuleTextRowsShown(count));
  if (previous == 0 && count == 1) FWindow.EnableRuleListCommands(true);
  if (previous > 0 && count == 0) FWindow.EnableRuleListCommands(false);
}

void TRuleGrid::SelectCell(int row, int column) {
  Workbook& book = TextSheet();
  book.SetActiveCell(row, column);
  book.SetSelection({row, column, row, column});
}

void TRuleGrid::TakeFocusIfShown() {
  if (FView->isVisible()) FView->setFocus();
}

// Set Rule.

bool TRuleGrid::ChooseTargetRow() {
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
  const bool modify =
      FWindow.Dialog().Message(
          QString::fromStdString(FormatText(ActiveText(string_id::kModifyRuleQuestion), row)),
          UiText(string_id::kModifyRule), MessageButtons::YesNo,
          MessageIcon::Question) == MessageAnswer::Yes;
  TakeFocusIfShown();
  if (modify) FConfiguration.TargetRule = row;
  return modify;
}

void TRuleGrid::AppendOrOverwrite(RuleKind kind) {
  const std::int32_t count = FConfiguration.RuleCount;
  const std::int32_t row = std::min(FConfiguration.TargetRule, count + 1);
  if (row < 1 || (row > count && !RoomForAnotherRule())) return;
  FConfiguration.Modified = true;
  FConfiguration.WorkingRule.Kind = kind;
  FConfiguration.StoreWorkingRule(row);
  RenderRule(row);
  if (row <= count) return;
  ChangeRuleCount(count + 1);
  SelectCell(FConfiguration.RuleCount + 1, TextSheet().ActiveCell().Column);
  if (FWindow.DataPanelVisible()) FView->setFocus();
  TextSheet().ShowActiveCell();
}

// Clicks and keys.

bool TRuleGrid::SelectionSpansRows() {
  const CellRange selection = TextSheet().Selection();
  return selection.LastRow > selection.FirstRow && selection.LastRow <= TextSheet().MaxRow();
}

void TRuleGrid::SetCaption(const QString& caption) {
  FWindow.SetGridCaption(caption);
}

void TRuleGrid::SetCaptionOfRow(int row) {
  if (IsRule(row) && !IsClearedRule(row)) {
    SetCaption(UiText(string_id::kRule) + " " + QString::number(row));
  } else {
    SetCaption(UiText(string_id::kMimicRules));
  }
}

void TRuleGrid::MimicBookClick(int row, int column) {
  if (SelectionSpansRows()) {
    SetCaption(UiText(string_id::kMimicRules));
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

void TRuleGrid::ClickCell(int row) {
  FConfiguration.SelectedRow = 0;
  FConfiguration.SelectedColumn = 0;
  if (!IsRule(row) || IsClearedRule(row)) {
    SetCaption(UiText(string_id::kMimicRules));
    return;
  }
  FConfiguration.LoadWorkingRule(row);
  if (IsRuleKind(FConfiguration.WorkingRule.Kind) && LoadRuleIntoPage) {
    LoadRuleIntoPage(FConfiguration.WorkingRule);
  }
  FWindow.RefreshTitle();
  // After the page change, which shows the caption of the whole table.
  SetCaptionOfRow(row);
}

void TRuleGrid::MimicBookEnter() {
  if (FConfiguration.SelectedRow == 0 && FConfiguration.SelectedColumn == 0) {
    TextSheet().ShowActiveCell();
  }
}

CellRef TRuleGrid::PredictedCell(int key, bool control) {
  Workbook& book = TextSheet();
  CellRef cell = book.ActiveCell();
  const int lastRow = book.LastRow(kRuleTextSheet);
  const int lastColumn = book.LastColumn(kRuleTextSheet);
  switch (key) {
    case Qt::Key_Down:
      if (control) {
        cell.Row = cell.Row < lastRow ? lastRow : book.MaxRow();
      } else if (cell.Row < book.MaxRow()) {
        ++cell.Row;
      }
      break;
    case Qt::Key_Up:
      if (control) {
        cell.Row = cell.Row > lastRow ? lastRow : 1;
      } else if (cell.Row > 1) {
        --cell.Row;
      }
      break;
    case Qt::Key_Left:
      if (control) {
        cell.Column = cell.Column > lastColumn ? lastColumn : 1;
      } else if (cell.Column > 1) {
        --cell.Column;
      }
      break;
    case Qt::Key_Right:
      if (control) {
        cell.Column = cell.Column < lastColumn ? lastColumn : book.MaxColumn();
      } else if (cell.Column < book.MaxColumn()) {
        ++cell.Column;
      }
      break;
    default:
      break;
  }
  // Data left beyond the shown rows or columns does not take the cell out of the grid.
  return {std::clamp(cell.Row, 1, book.MaxRow()), std::clamp(cell.Column, 1, book.MaxColumn())};
}

// The grid leaves these keys to this handler, which moves the cell where the key leads.
void TRuleGrid::MimicBookKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if (!TRuleGridView::MovesActiveCell(key, modifiers)) return;
  const CellRef cell = PredictedCell(key, (modifiers & Qt::ControlModifier) != 0);
  SelectCell(cell.Row, cell.Column);
  TextSheet().ShowActiveCell();
  MimicBookClick(cell.Row, cell.Column);
}

void TRuleGrid::MimicBookKeyUp(int key, Qt::KeyboardModifiers modifiers) {
  if ((modifiers & ~Qt::KeypadModifier) != Qt::ShiftModifier || !TRuleGridView::IsArrowKey(key)) {
    return;
  }
  const CellRef active = TextSheet().ActiveCell();
  MimicBookClick(active.Row, active.Column);
}

// The popup menu.

TRuleGrid::PopupEnabling TRuleGrid::PopupEnablingNow() {
  if (FConfiguration.RuleCount <= 0) return {};
  const int row = SelectedHeadingRow();
  if (FConfiguration.SelectedColumn > 0 || row == 0) return {.Autosize = true};
  const bool paste = FConfiguration.ClipboardHoldsRule;
  if (!TextSheet().Text(TextSheet().ActiveCell().Row, 1).empty()) {
    return {true, true, true, paste, true, true};
  }
  return {.Autosize = true, .Paste = paste, .Delete = row <= FConfiguration.RuleCount};
}

void TRuleGrid::SpreadsheetPopupMenuPopup() {
  const PopupEnabling enabling = PopupEnablingNow();
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
  for (int column = 1; column <= kRuleTextColumnCount; ++column) {
    TextSheet().SetColumnWidth(column, FView->FittedColumnWidth(column));
  }
}

// The row whose heading was clicked, while the selection is still that row: a selection moved
// or extended since then is what the user sees, and no command acts on the row behind it.
int TRuleGrid::SelectedHeadingRow() {
  const int row = FConfiguration.SelectedRow;
  const CellRange selection = TextSheet().Selection();
  return row > 0 && selection.FirstRow == row && selection.LastRow == row ? row : 0;
}

int TRuleGrid::SelectedRule() {
  const int row = SelectedHeadingRow();
  return IsRule(row) ? row : 0;
}

// The row's cell in column 1 becomes the active one and no heading stays selected.
void TRuleGrid::SelectRuleRow(int row) {
  SelectCell(row, 1);
  FConfiguration.SelectedRow = 0;
}

void TRuleGrid::SelectDataRow(int row) {
  Book().SetSelection({row, 1, row, kRuleRowColumns});
}

void TRuleGrid::DeleteRuleRow(int row) {
  OnSheet(kRuleDataSheet, [&] { Book().DeleteRows(row, 1); });
  TextSheet().DeleteRows(row, 1);
}

bool TRuleGrid::Confirmed(int questionId, int captionId, int row) {
  return FWindow.Dialog().Message(QString::fromStdString(FormatText(ActiveText(questionId), row)),
                                  UiText(captionId), MessageButtons::OkCancel,
                                  MessageIcon::Warning) == MessageAnswer::Ok;
}

// The count drops before the click, so that the row the click lands on is what it now shows.
void TRuleGrid::SpreadsheetMenuCutClick() {
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
  FConfiguration.Modified = true;
}

void TRuleGrid::SpreadsheetMenuCopyClick() {
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
void TRuleGrid::SpreadsheetMenuPasteClick() {
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
  FConfiguration.Modified = true;
  SelectRuleRow(row);
  MimicBookClick(row, 1);
  RenderAll();
}

void TRuleGrid::SpreadsheetMenuDeleteClick() {
  const int row = SelectedRule();
  const bool asks = row != 0 && !TextSheet().Text(row, 1).empty();
  if (row != 0 &&
      (!asks || Confirmed(string_id::kDeleteRuleQuestion, string_id::kDeleteRule, row))) {
    DeleteRuleRow(row);
    SelectRuleRow(row);
    ChangeRuleCount(FConfiguration.RuleCount - 1);
    MimicBookClick(row, 1);
    FConfiguration.Modified = true;
  }
  FConfiguration.RecomputeRequiredSystem();
  if (ShowRequiredSystem) ShowRequiredSystem(FConfiguration.RequiredSystem);
}

// A reset last rule leaves the table, and its row becomes the empty one after it.
void TRuleGrid::SpreadsheetMenuResetClick() {
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
  FConfiguration.Modified = true;
  RenderAll();
}

}  // namespace trv
