#include "model/workbook.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace trv {

namespace {

const CellValue kEmptyCell;

bool IsIn(int value, int first, int last) {
  return value >= first && value <= last;
}

void RequireIn(int value, int first, int last, const char* what) {
  if (!IsIn(value, first, last)) {
    throw std::out_of_range(std::string(what) + " " + std::to_string(value) + " is outside " +
                            std::to_string(first) + ".." + std::to_string(last));
  }
}

void RequireCell(int row, int column) {
  RequireIn(row, 1, kMaxRows, "row");
  RequireIn(column, 1, kMaxColumns, "column");
}

CellRange Ordered(const CellRange& range) {
  const auto [firstRow, lastRow] = std::minmax(range.FirstRow, range.LastRow);
  const auto [firstColumn, lastColumn] = std::minmax(range.FirstColumn, range.LastColumn);
  RequireCell(firstRow, firstColumn);
  RequireCell(lastRow, lastColumn);
  return {firstRow, firstColumn, lastRow, lastColumn};
}

// Rows to move or remove from row on: count may not reach past the last row.
void RequireRowSpan(int row, int count) {
  RequireIn(row, 1, kMaxRows, "row");
  RequireIn(count, 0, kMaxRows - row + 1, "row count");
}

std::string ShortestText(double value) {
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

std::int32_t SaturatedTruncation(double value) {
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  if (std::isnan(value)) return 0;
  if (value <= kLowest) return std::numeric_limits<std::int32_t>::min();
  if (value >= kHighest) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

template <typename Row>
auto FirstAtOrAfter(Row& row, int column) {
  return std::lower_bound(row.begin(), row.end(), column,
                          [](const auto& entry, int wanted) { return entry.Column < wanted; });
}

}  // namespace

Workbook& Workbook::operator=(const Workbook& other) {
  return *this = Workbook(other);
}

Workbook& Workbook::operator=(Workbook&& other) {
  FContent = std::move(other.FContent);
  Notify([](WorkbookObserver& observer) { observer.WorkbookReset(); });
  return *this;
}

template <typename Notice>
void Workbook::Notify(Notice notice) {
  if (FObserver != nullptr) notice(*FObserver);
}

const Workbook::Sheet* Workbook::FindSheet(int sheet) const {
  return IsIn(sheet, 1, kWorkbookSheets) ? &FContent.Sheets[sheet - 1] : nullptr;
}

Workbook::Sheet& Workbook::WritableSheet(int sheet) {
  RequireIn(sheet, 1, kWorkbookSheets, "sheet");
  return FContent.Sheets[sheet - 1];
}

void Workbook::SetSelectedSheet(int sheet) {
  RequireIn(sheet, 1, kWorkbookSheets, "sheet");
  FContent.SelectedSheet = sheet;
  Notify([sheet](WorkbookObserver& observer) { observer.SelectedSheetChanged(sheet); });
}

void Workbook::SetMaxRow(int row) {
  RequireIn(row, 1, kMaxRows, "row");
  Current().MaxRow = row;
  Notify([this](WorkbookObserver& observer) { observer.LayoutChanged(SelectedSheet()); });
}

void Workbook::SetMaxColumn(int column) {
  RequireIn(column, 1, kMaxColumns, "column");
  Current().MaxColumn = column;
  Notify([this](WorkbookObserver& observer) { observer.LayoutChanged(SelectedSheet()); });
}

void Workbook::SetActiveCell(int row, int column) {
  RequireCell(row, column);
  Current().Active = {row, column};
  Notify([this](WorkbookObserver& observer) { observer.SelectionChanged(SelectedSheet()); });
}

void Workbook::ShowActiveCell() {
  Notify([this](WorkbookObserver& observer) { observer.ActiveCellShown(SelectedSheet()); });
}

void Workbook::SetSelection(const CellRange& range) {
  Current().Selected = Ordered(range);
  Notify([this](WorkbookObserver& observer) { observer.SelectionChanged(SelectedSheet()); });
}

int Workbook::LastRow(int sheet) const {
  const Sheet* found = FindSheet(sheet);
  return found == nullptr ? 0 : static_cast<int>(found->Rows.size());
}

int Workbook::LastColumn(int sheet) const {
  const Sheet* found = FindSheet(sheet);
  if (found == nullptr) return 0;
  int last = 0;
  for (const Row& row : found->Rows) {
    if (!row.empty()) last = std::max(last, row.back().Column);
  }
  return last;
}

const CellValue& Workbook::Cell(int sheet, int row, int column) const {
  const Sheet* found = FindSheet(sheet);
  if (found == nullptr || !IsIn(row, 1, static_cast<int>(found->Rows.size()))) return kEmptyCell;
  const Row& cells = found->Rows[row - 1];
  const auto entry = FirstAtOrAfter(cells, column);
  return entry != cells.end() && entry->Column == column ? entry->Value : kEmptyCell;
}

double Workbook::Number(int sheet, int row, int column) const {
  const double* number = std::get_if<double>(&Cell(sheet, row, column));
  return number == nullptr ? 0.0 : *number;
}

std::string Workbook::Text(int sheet, int row, int column) const {
  const CellValue& cell = Cell(sheet, row, column);
  if (const auto* text = std::get_if<std::string>(&cell)) return *text;
  if (const auto* number = std::get_if<double>(&cell)) return ShortestText(*number);
  return {};
}

std::int32_t Workbook::Integer(int sheet, int row, int column) const {
  return SaturatedTruncation(Number(sheet, row, column));
}

void Workbook::SetCell(int sheet, int row, int column, CellValue value) {
  Sheet& target = WritableSheet(sheet);
  RequireCell(row, column);
  if (std::holds_alternative<std::monostate>(value)) {
    ClearCells(target, {row, column, row, column});
  } else {
    Put(target, row, column, std::move(value));
  }
  Notify([&](WorkbookObserver& observer) {
    observer.CellsChanged(sheet, {row, column, row, column});
  });
}

void Workbook::ForEachCell(
    int sheet, const std::function<void(int row, int column, const CellValue&)>& visit) const {
  const Sheet* found = FindSheet(sheet);
  if (found == nullptr) return;
  for (std::size_t index = 0; index < found->Rows.size(); ++index) {
    for (const Entry& entry : found->Rows[index]) {
      visit(static_cast<int>(index) + 1, entry.Column, entry.Value);
    }
  }
}

std::string Workbook::ColumnHeading(int column) const {
  const auto heading = Current().Headings.find(column);
  return heading == Current().Headings.end() ? std::string() : heading->second;
}

void Workbook::SetColumnHeading(int column, std::string heading) {
  RequireIn(column, 1, kMaxColumns, "column");
  if (heading.empty()) {
    Current().Headings.erase(column);
  } else {
    Current().Headings[column] = std::move(heading);
  }
  Notify([this](WorkbookObserver& observer) { observer.LayoutChanged(SelectedSheet()); });
}

int Workbook::ColumnWidth(int column) const {
  const auto width = Current().Widths.find(column);
  return width == Current().Widths.end() ? kDefaultColumnWidth : width->second;
}

void Workbook::SetColumnWidths(int firstColumn, int lastColumn, int width) {
  RequireIn(firstColumn, 1, kMaxColumns, "column");
  RequireIn(lastColumn, firstColumn, kMaxColumns, "column");
  RequireIn(width, 0, kMaxColumnWidth, "column width");
  auto& widths = Current().Widths;
  widths.erase(widths.lower_bound(firstColumn), widths.upper_bound(lastColumn));
  if (width != kDefaultColumnWidth) {
    for (int column = firstColumn; column <= lastColumn; ++column) {
      widths.emplace_hint(widths.end(), column, width);
    }
  }
  Notify([this](WorkbookObserver& observer) { observer.LayoutChanged(SelectedSheet()); });
}

const std::map<int, std::string>& Workbook::ColumnHeadings(int sheet) const {
  static const std::map<int, std::string> kNone;
  const Sheet* found = FindSheet(sheet);
  return found == nullptr ? kNone : found->Headings;
}

const std::map<int, int>& Workbook::ColumnWidths(int sheet) const {
  static const std::map<int, int> kNone;
  const Sheet* found = FindSheet(sheet);
  return found == nullptr ? kNone : found->Widths;
}

void Workbook::Put(Sheet& sheet, int row, int column, CellValue value) {
  if (static_cast<int>(sheet.Rows.size()) < row) sheet.Rows.resize(row);
  Row& cells = sheet.Rows[row - 1];
  const auto entry = FirstAtOrAfter(cells, column);
  if (entry != cells.end() && entry->Column == column) {
    entry->Value = std::move(value);
  } else {
    cells.insert(entry, Entry{column, std::move(value)});
  }
}

void Workbook::ClearCells(Sheet& sheet, const CellRange& range) {
  const int lastRow = std::min(range.LastRow, static_cast<int>(sheet.Rows.size()));
  for (int row = range.FirstRow; row <= lastRow; ++row) {
    Row& cells = sheet.Rows[row - 1];
    cells.erase(FirstAtOrAfter(cells, range.FirstColumn),
                FirstAtOrAfter(cells, range.LastColumn + 1));
  }
  while (!sheet.Rows.empty() && sheet.Rows.back().empty()) sheet.Rows.pop_back();
}

void Workbook::ClearRange(const CellRange& range) {
  const CellRange cleared = Ordered(range);
  ClearCells(Current(), cleared);
  Notify([&](WorkbookObserver& observer) { observer.CellsChanged(SelectedSheet(), cleared); });
}

void Workbook::InsertRows(int row, int count) {
  RequireRowSpan(row, count);
  auto& rows = Current().Rows;
  if (row <= static_cast<int>(rows.size())) {
    rows.insert(rows.begin() + (row - 1), count, Row{});
    if (static_cast<int>(rows.size()) > kMaxRows) rows.resize(kMaxRows);
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
  }
  Notify([&](WorkbookObserver& observer) { observer.RowsInserted(SelectedSheet(), row, count); });
}

void Workbook::DeleteRows(int row, int count) {
  RequireRowSpan(row, count);
  auto& rows = Current().Rows;
  if (row <= static_cast<int>(rows.size())) {
    const int end = std::min(row - 1 + count, static_cast<int>(rows.size()));
    rows.erase(rows.begin() + (row - 1), rows.begin() + end);
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
  }
  Notify([&](WorkbookObserver& observer) { observer.RowsDeleted(SelectedSheet(), row, count); });
}

void Workbook::CopySelection() {
  const CellRange range = Current().Selected;
  Block block{range.LastRow - range.FirstRow + 1, range.LastColumn - range.FirstColumn + 1, {}};
  const auto& rows = Current().Rows;
  const int lastRow = std::min(range.LastRow, static_cast<int>(rows.size()));
  for (int row = range.FirstRow; row <= lastRow; ++row) {
    const Row& cells = rows[row - 1];
    for (auto entry = FirstAtOrAfter(cells, range.FirstColumn);
         entry != cells.end() && entry->Column <= range.LastColumn; ++entry) {
      block.Cells.emplace_back(CellRef{row - range.FirstRow, entry->Column - range.FirstColumn},
                               entry->Value);
    }
  }
  FContent.Clipboard = std::move(block);
}

void Workbook::CutSelection() {
  CopySelection();
  ClearRange(Current().Selected);
}

void Workbook::PasteSelection() {
  const Block& block = FContent.Clipboard;
  if (block.Rows == 0) return;
  const CellRef corner{Current().Selected.FirstRow, Current().Selected.FirstColumn};
  const CellRange target{corner.Row, corner.Column, corner.Row + block.Rows - 1,
                         corner.Column + block.Columns - 1};
  RequireCell(target.LastRow, target.LastColumn);
  ClearCells(Current(), target);
  for (const auto& [offset, value] : block.Cells) {
    Put(Current(), corner.Row + offset.Row, corner.Column + offset.Column, value);
  }
  Notify([&](WorkbookObserver& observer) { observer.CellsChanged(SelectedSheet(), target); });
}

}  // namespace trv
