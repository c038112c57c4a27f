#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace trv {

// An empty cell, a number or a UTF-8 text.
using CellValue = std::variant<std::monostate, double, std::string>;

struct CellRef {
  int Row = 1;
  int Column = 1;
  bool operator==(const CellRef&) const = default;
};

struct CellRange {
  int FirstRow = 1;
  int FirstColumn = 1;
  int LastRow = 1;
  int LastColumn = 1;
  bool operator==(const CellRange&) const = default;
};

inline constexpr int kWorkbookSheets = 3;
inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxColumns = 65536;
inline constexpr int kDefaultColumnWidth = 2000;
inline constexpr int kMaxColumnWidth = 65535;

// What the configuration keeps in each sheet.
inline constexpr int kSettingsSheet = 1;
inline constexpr int kRuleDataSheet = 2;
inline constexpr int kRuleTextSheet = 3;

// Lets a view follow the workbook without copying it. Every notice comes after the change.
class WorkbookObserver {
 public:
  virtual ~WorkbookObserver() = default;
  virtual void CellsChanged(int /*sheet*/, const CellRange& /*range*/) {}
  // Rows from row on moved down by count (or up, for a delete); MaxRow does not change.
  virtual void RowsInserted(int /*sheet*/, int /*row*/, int /*count*/) {}
  virtual void RowsDeleted(int /*sheet*/, int /*row*/, int /*count*/) {}
  // Maximum row or column, a column heading or width.
  virtual void LayoutChanged(int /*sheet*/) {}
  // Active cell or selection.
  virtual void SelectionChanged(int /*sheet*/) {}
  // The active cell is to be scrolled into view.
  virtual void ActiveCellShown(int /*sheet*/) {}
  virtual void SelectedSheetChanged(int /*sheet*/) {}
  // The whole content was replaced.
  virtual void WorkbookReset() {}
};

// Three sheets of cells, rows and columns 1..65536, one sheet selected.
//
// Reading: an empty cell reads as 0 and as ""; a text cell reads as number 0; a number cell read
// as text gives its shortest round-trip decimal form ("3", "-1", "0.1"). An index outside the
// sheets, rows or columns reads as an empty cell. Every write with such an index (and every range,
// count or width out of bounds) throws std::out_of_range and changes nothing.
//
// Storage is sparse: each sheet keeps its rows in a vector and each row its cells sorted by
// column, so a read is O(log cells in the row) and moving rows moves only row handles.
class Workbook {
 public:
  Workbook() = default;
  // A copy or a moved-from source never carries the observer; assigning keeps this workbook's
  // observer and tells it that everything was replaced.
  Workbook(const Workbook& other) : FContent(other.FContent) {}
  Workbook(Workbook&& other) noexcept : FContent(std::move(other.FContent)) {}
  Workbook& operator=(const Workbook& other);
  Workbook& operator=(Workbook&& other);
  ~Workbook() = default;

  void SetObserver(WorkbookObserver* observer) { FObserver = observer; }

  int SelectedSheet() const { return FContent.SelectedSheet; }
  void SetSelectedSheet(int sheet);

  // The extent a view shows; cells beyond it still hold data. 1 by 1 in a new workbook.
  int MaxRow() const { return Current().MaxRow; }
  int MaxColumn() const { return Current().MaxColumn; }
  void SetMaxRow(int row);
  void SetMaxColumn(int column);

  CellRef ActiveCell() const { return Current().Active; }
  void SetActiveCell(int row, int column);
  // Asks the view to scroll the active cell into view.
  void ShowActiveCell();
  // The first (only) range of the selection; setting it orders the corners.
  CellRange Selection() const { return Current().Selected; }
  void SetSelection(const CellRange& range);

  // Last row and column that hold a cell (0 on an empty sheet).
  int LastRow() const { return LastRow(SelectedSheet()); }
  int LastColumn() const { return LastColumn(SelectedSheet()); }
  int LastRow(int sheet) const;
  int LastColumn(int sheet) const;

  // Cells of the selected sheet.
  const CellValue& Cell(int row, int column) const { return Cell(SelectedSheet(), row, column); }
  double Number(int row, int column) const { return Number(SelectedSheet(), row, column); }
  std::string Text(int row, int column) const { return Text(SelectedSheet(), row, column); }
  std::int32_t Integer(int row, int column) const { return Integer(SelectedSheet(), row, column); }
  void SetCell(int row, int column, CellValue value) {
    SetCell(SelectedSheet(), row, column, std::move(value));
  }
  void SetNumber(int row, int column, double value) { SetCell(row, column, value); }
  void SetText(int row, int column, std::string text) { SetCell(row, column, std::move(text)); }

  // Cells of a named sheet, whatever sheet is selected. A cell reference stays valid until the
  // next change of the workbook.
  const CellValue& Cell(int sheet, int row, int column) const;
  double Number(int sheet, int row, int column) const;
  std::string Text(int sheet, int row, int column) const;
  // The number truncated toward zero, saturated to the 32-bit range.
  std::int32_t Integer(int sheet, int row, int column) const;
  void SetCell(int sheet, int row, int column, CellValue value);
  void SetNumber(int sheet, int row, int column, double value) {
    SetCell(sheet, row, column, value);
  }
  void SetText(int sheet, int row, int column, std::string text) {
    SetCell(sheet, row, column, std::move(text));
  }

  // Every cell that is not empty, row by row, columns ascending.
  void ForEachCell(int sheet,
                   const std::function<void(int row, int column, const CellValue&)>& visit) const;

  // Column headings ("" when none) and widths of the selected sheet.
  std::string ColumnHeading(int column) const;
  void SetColumnHeading(int column, std::string heading);
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width) { SetColumnWidths(column, column, width); }
  void SetColumnWidths(int firstColumn, int lastColumn, int width);
  // The headings and the widths other than the default, by column.
  const std::map<int, std::string>& ColumnHeadings(int sheet) const;
  const std::map<int, int>& ColumnWidths(int sheet) const;

  // On the selected sheet.
  void ClearRange(const CellRange& range);
  // Rows from row on move down by count; rows pushed past the last row are lost.
  void InsertRows(int row, int count);
  // Rows below the deleted ones move up by count.
  void DeleteRows(int row, int count);

  // The workbook's own clipboard: the selection of the selected sheet, as a block. Paste writes
  // the whole block, empty cells included, with its top left corner at the selection's.
  void CopySelection();
  void CutSelection();
  void PasteSelection();
  bool ClipboardEmpty() const { return FContent.Clipboard.Rows == 0; }

 private:
  struct Entry {
    int Column;
    CellValue Value;
  };
  using Row = std::vector<Entry>;  // sorted by column, no empty entries
  struct Sheet {
    std::vector<Row> Rows;  // row r at r - 1; no trailing empty rows
    int MaxRow = 1;
    int MaxColumn = 1;
    CellRef Active;
    CellRange Selected;
    std::map<int, std::string> Headings;
    std::map<int, int> Widths;
  };
  struct Block {
    int Rows = 0;
    int Columns = 0;
    std::vector<std::pair<CellRef, CellValue>> Cells;  // offsets from the top left corner
  };
  struct Content {
    std::array<Sheet, kWorkbookSheets> Sheets;
    int SelectedSheet = 1;
    Block Clipboard;
  };

  const Sheet* FindSheet(int sheet) const;
  Sheet& WritableSheet(int sheet);
  const Sheet& Current() const { return FContent.Sheets[FContent.SelectedSheet - 1]; }
  Sheet& Current() { return FContent.Sheets[FContent.SelectedSheet - 1]; }
  // A non-empty value into a valid cell.
  static void Put(Sheet& sheet, int row, int column, CellValue value);
  static void ClearCells(Sheet& sheet, const CellRange& range);
  template <typename Notice>
  void Notify(Notice notice);

  Content FContent;
  WorkbookObserver* FObserver = nullptr;
};

}  // namespace trv
