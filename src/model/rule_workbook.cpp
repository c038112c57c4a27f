#include "model/rule_workbook.h"

#include <algorithm>

#include "model/controller_settings.h"
#include "model/rule_text.h"
#include "model/string_table.h"

namespace trv {

namespace {

constexpr int kSetUpColumns = 100;
constexpr int kSetUpColumnWidth = 2000;
constexpr int kRuleTextColumnWidth = 3150;
constexpr int kRuleTextColumnCount = static_cast<int>(kRuleTextColumns);
// Clearing empties at least these rows of the rule sheets, and every row that holds data, so
// that nothing of a longer list comes back.
constexpr int kClearedRows = 512;
constexpr int kClearedRuleDataColumns = 100;

void ClearRuleRows(Workbook& book, int sheet, int columns) {
  const int rows = std::min(std::max(kClearedRows, book.LastRow(sheet)), kMaxRows);
  book.SetSelectedSheet(sheet);
  book.ClearRange({1, 1, rows, columns});
}

}  // namespace

int RuleTextRowsShown(std::int32_t ruleCount) {
  return std::clamp(ruleCount + 1, 1, kMaxRows);
}

void SetUpRuleTextSheet(Workbook& book, std::int32_t ruleCount) {
  book.SetSelectedSheet(kRuleTextSheet);
  book.SetMaxColumn(kRuleTextColumnCount);
  book.SetMaxRow(RuleTextRowsShown(ruleCount));
  for (int column = 1; column <= kRuleTextColumnCount; ++column) {
    book.SetColumnHeading(column, ActiveText(kRuleTextHeadings[column - 1]));
  }
  book.SetColumnWidths(1, kRuleTextColumnCount, kRuleTextColumnWidth);
  book.SetActiveCell(1, 1);
  book.SetSelection({1, 1, 1, 1});
}

void SetUpWorkbook(Configuration& configuration, bool clear) {
  Workbook& book = configuration.MimicBook;
  for (int sheet = 1; sheet <= kWorkbookSheets; ++sheet) {
    book.SetSelectedSheet(sheet);
    book.SetColumnWidths(1, kSetUpColumns, kSetUpColumnWidth);
  }
  SetUpRuleTextSheet(book, configuration.RuleCount);
  WriteSetUpSettingsCells(book, configuration.ControllerSettings, configuration.RuleCount);
  if (clear) {
    ClearRuleRows(book, kRuleDataSheet, kClearedRuleDataColumns);
    ClearRuleRows(book, kRuleTextSheet, kRuleTextColumnCount);
  }
  book.SetSelectedSheet(kRuleTextSheet);
}

}  // namespace trv
