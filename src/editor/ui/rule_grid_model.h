#pragma once

#include <QAbstractTableModel>

#include "model/workbook.h"

namespace trv {

// The rule text sheet of the workbook as a table model: the cells are read from the workbook
// when the view asks, never copied. The model follows the workbook's notices; the extent it
// shows (the sheet's maximum row and column) is read whenever the rule text sheet is selected.
class TRuleGridModel : public QAbstractTableModel, public WorkbookObserver {
  Q_OBJECT

 public:
  explicit TRuleGridModel(Workbook& book, QObject* parent = nullptr);
  ~TRuleGridModel() override;

  Workbook& Book() { return FBook; }
  const Workbook& Book() const { return FBook; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The column width in the workbook's units, whatever sheet is selected.
  int ColumnWidthUnits(int column) const;

  void CellsChanged(int sheet, const CellRange& range) override;
  void RowsInserted(int sheet, int row, int count) override;
  void RowsDeleted(int sheet, int row, int count) override;
  void LayoutChanged(int sheet) override;
  void SelectionChanged(int sheet) override;
  void ActiveCellShown(int sheet) override;
  void SelectedSheetChanged(int sheet) override;
  void WorkbookReset() override;

 signals:
  // The active cell or selection of the rule text sheet changed.
  void WorkbookSelectionChanged();
  void WorkbookActiveCellShown();
  void ColumnWidthsChanged();

 private:
  bool IsCell(const QModelIndex& index) const;
  bool TextSheetSelected() const { return FBook.SelectedSheet() == kRuleTextSheet; }
  // Rows and columns as the sheet now has them, with the views told of the difference.
  void FollowExtent();
  void FollowRowCount(int rows);
  void FollowColumnCount(int columns);
  // Cells from row on to the end, after rows moved.
  void RowsMoved(int row);

  Workbook& FBook;
  int FRows = 0;
  int FColumns = 0;
};

}  // namespace trv
