#include "editor/ui/rule_grid_model.h"

#include <algorithm>

namespace trv {

TRuleGridModel::TRuleGridModel(Workbook& book, QObject* parent)
    : QAbstractTableModel(parent), FBook(book) {
  FBook.SetObserver(this);
  if (TextSheetSelected()) {
    FRows = FBook.MaxRow();
    FColumns = FBook.MaxColumn();
  }
}

TRuleGridModel::~TRuleGridModel() {
  FBook.SetObserver(nullptr);
}

int TRuleGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : FRows;
}

int TRuleGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : FColumns;
}

QVariant TRuleGridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !IsCell(index)) return {};
  return QString::fromStdString(FBook.Text(kRuleTextSheet, index.row() + 1, index.column() + 1));
}

QVariant TRuleGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || section < 0) return {};
  if (orientation == Qt::Vertical) return section < FRows ? QVariant(section + 1) : QVariant();
  if (section >= FColumns) return {};
  const auto& headings = FBook.ColumnHeadings(kRuleTextSheet);
  const auto heading = headings.find(section + 1);
  return heading == headings.end() ? QString() : QString::fromStdString(heading->second);
}

Qt::ItemFlags TRuleGridModel::flags(const QModelIndex& index) const {
  if (!IsCell(index)) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool TRuleGridModel::IsCell(const QModelIndex& index) const {
  return index.isValid() && index.model() == this && index.row() < FRows &&
         index.column() < FColumns;
}

int TRuleGridModel::ColumnWidthUnits(int column) const {
  const auto& widths = FBook.ColumnWidths(kRuleTextSheet);
  const auto width = widths.find(column);
  return width == widths.end() ? kDefaultColumnWidth : width->second;
}

void TRuleGridModel::CellsChanged(int sheet, const CellRange& range) {
  if (sheet != kRuleTextSheet || range.FirstRow > FRows || range.FirstColumn > FColumns) return;
  emit dataChanged(
      index(range.FirstRow - 1, range.FirstColumn - 1),
      index(std::min(range.LastRow, FRows) - 1, std::min(range.LastColumn, FColumns) - 1),
      {Qt::DisplayRole});
}

void TRuleGridModel::RowsMoved(int row) {
  if (row > FRows || FColumns == 0) return;
  emit dataChanged(index(row - 1, 0), index(FRows - 1, FColumns - 1), {Qt::DisplayRole});
}

void TRuleGridModel::RowsInserted(int sheet, int row, int /*count*/) {
  if (sheet == kRuleTextSheet) RowsMoved(row);
}

void TRuleGridModel::RowsDeleted(int sheet, int row, int /*count*/) {
  if (sheet == kRuleTextSheet) RowsMoved(row);
}

void TRuleGridModel::LayoutChanged(int sheet) {
  if (sheet != kRuleTextSheet) return;
  FollowExtent();
  if (FColumns > 0) emit headerDataChanged(Qt::Horizontal, 0, FColumns - 1);
  emit ColumnWidthsChanged();
}

void TRuleGridModel::SelectionChanged(int sheet) {
  if (sheet == kRuleTextSheet) emit WorkbookSelectionChanged();
}

void TRuleGridModel::ActiveCellShown(int sheet) {
  if (sheet == kRuleTextSheet) emit WorkbookActiveCellShown();
}

// A sheet that comes back may have changed while another was selected.
void TRuleGridModel::SelectedSheetChanged(int sheet) {
  if (sheet == kRuleTextSheet) LayoutChanged(sheet);
}

void TRuleGridModel::WorkbookReset() {
  beginResetModel();
  // The extent of a sheet is readable only while it is selected; until the rule text sheet is
  // selected again the grid shows nothing.
  FRows = TextSheetSelected() ? FBook.MaxRow() : 0;
  FColumns = TextSheetSelected() ? FBook.MaxColumn() : 0;
  endResetModel();
  emit ColumnWidthsChanged();
  emit WorkbookSelectionChanged();
}

void TRuleGridModel::FollowExtent() {
  FollowColumnCount(FBook.MaxColumn());
  FollowRowCount(FBook.MaxRow());
}

void TRuleGridModel::FollowRowCount(int rows) {
  if (rows > FRows) {
    beginInsertRows({}, FRows, rows - 1);
    FRows = rows;
    endInsertRows();
  } else if (rows < FRows) {
    beginRemoveRows({}, rows, FRows - 1);
    FRows = rows;
    endRemoveRows();
  }
}

void TRuleGridModel::FollowColumnCount(int columns) {
  if (columns > FColumns) {
    beginInsertColumns({}, FColumns, columns - 1);
    FColumns = columns;
    endInsertColumns();
  } else if (columns < FColumns) {
    beginRemoveColumns({}, columns, FColumns - 1);
    FColumns = columns;
    endRemoveColumns();
  }
}

}  // namespace trv
