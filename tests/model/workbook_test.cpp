#include "model/workbook.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace trv {
namespace {

// One rule-like row: numbers, a negative, a text, a gap.
void FillRow(Workbook& book, int row, int seed) {
  for (int column = 1; column <= 9; ++column) book.SetNumber(row, column, seed * 10 + column);
  book.SetNumber(row, 2, -seed);
  book.SetText(row, 12, "Rule " + std::to_string(seed));
}

std::vector<CellValue> RowCells(const Workbook& book, int row) {
  std::vector<CellValue> cells;
  for (int column = 1; column <= 16; ++column) cells.push_back(book.Cell(row, column));
  return cells;
}

TEST(Workbook, ReadRulesOfEmptyNumberAndTextCells) {
  Workbook book;
  EXPECT_EQ(book.Number(5, 5), 0.0);
  EXPECT_EQ(book.Text(5, 5), "");
  book.SetText(1, 1, "Zonal");
  EXPECT_EQ(book.Number(1, 1), 0.0);
  EXPECT_EQ(book.Text(1, 1), "Zonal");
  book.SetNumber(1, 2, -3.0);
  book.SetNumber(1, 3, 0.1);
  EXPECT_EQ(book.Text(1, 2), "-3");
  EXPECT_EQ(book.Text(1, 3), "0.1");
  EXPECT_EQ(book.Number(1, 3), 0.1);
  book.SetCell(1, 1, std::monostate{});
  EXPECT_TRUE(std::holds_alternative<std::monostate>(book.Cell(1, 1)));
}

TEST(Workbook, IntegerTruncatesTowardZeroAndSaturates) {
  Workbook book;
  book.SetNumber(1, 1, 2.9);
  book.SetNumber(1, 2, -2.9);
  book.SetNumber(1, 3, 1e300);
  book.SetNumber(1, 4, -1e300);
  book.SetText(1, 5, "7");
  EXPECT_EQ(book.Integer(1, 1), 2);
  EXPECT_EQ(book.Integer(1, 2), -2);
  EXPECT_EQ(book.Integer(1, 3), 2147483647);
  EXPECT_EQ(book.Integer(1, 4), -2147483647 - 1);
  EXPECT_EQ(book.Integer(1, 5), 0);
}

TEST(Workbook, OutOfRangeReadsEmptyAndWritesThrowWithoutChange) {
  Workbook book;
  book.SetNumber(3, 1, 2, 5.0);
  EXPECT_EQ(book.Number(0, 1, 1), 0.0);
  EXPECT_EQ(book.Number(4, 1, 1), 0.0);
  EXPECT_EQ(book.Text(3, 0, 1), "");
  EXPECT_EQ(book.Number(3, kMaxRows + 1, 1), 0.0);
  EXPECT_EQ(book.Number(3, 1, kMaxColumns + 1), 0.0);
  EXPECT_THROW(book.SetNumber(0, 1, 1, 1.0), std::out_of_range);
  EXPECT_THROW(book.SetNumber(3, kMaxRows + 1, 1, 1.0), std::out_of_range);
  EXPECT_THROW(book.SetText(3, 1, 0, "x"), std::out_of_range);
  EXPECT_THROW(book.SetSelectedSheet(4), std::out_of_range);
  EXPECT_THROW(book.SetActiveCell(0, 1), std::out_of_range);
  EXPECT_THROW(book.SetColumnWidth(1, -1), std::out_of_range);
  EXPECT_THROW(book.InsertRows(kMaxRows, 2), std::out_of_range);
  EXPECT_EQ(book.LastRow(3), 1);
  EXPECT_EQ(book.LastColumn(3), 2);
  book.SetNumber(3, kMaxRows, kMaxColumns, 1.0);
  EXPECT_EQ(book.Number(3, kMaxRows, kMaxColumns), 1.0);
}

TEST(Workbook, LastRowAndColumnFollowDataWhenCleared) {
  Workbook book;
  EXPECT_EQ(book.LastRow(), 0);
  EXPECT_EQ(book.LastColumn(), 0);
  book.SetNumber(4, 2, 1.0);
  book.SetText(2, 7, "x");
  EXPECT_EQ(book.LastRow(), 4);
  EXPECT_EQ(book.LastColumn(), 7);
  book.ClearRange({4, 1, 4, 100});
  EXPECT_EQ(book.LastRow(), 2);
  book.SetCell(2, 7, std::monostate{});
  EXPECT_EQ(book.LastRow(), 0);
  EXPECT_EQ(book.LastColumn(), 0);
}

TEST(Workbook, ClearRangeTakesOnlyTheRectangle) {
  Workbook book;
  for (int row = 1; row <= 4; ++row) FillRow(book, row, row);
  book.ClearRange({3, 9, 2, 2});  // corners in any order
  EXPECT_EQ(book.Number(2, 1), 21.0);
  EXPECT_EQ(book.Number(2, 2), 0.0);
  EXPECT_EQ(book.Number(3, 9), 0.0);
  EXPECT_EQ(book.Text(3, 12), "Rule 3");
  EXPECT_EQ(book.Number(4, 5), 45.0);
}

TEST(Workbook, InsertAndDeleteRowsMoveTheRowsBelow) {
  Workbook book;
  for (int row = 1; row <= 5; ++row) FillRow(book, row, row);
  const auto third = RowCells(book, 3);
  book.InsertRows(2, 2);
  EXPECT_EQ(book.Number(1, 1), 11.0);
  EXPECT_EQ(book.LastColumn(), 12);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(book.Cell(2, 1)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(book.Cell(3, 12)));
  EXPECT_EQ(RowCells(book, 5), third);
  EXPECT_EQ(book.LastRow(), 7);
  book.DeleteRows(2, 3);
  EXPECT_EQ(book.Number(2, 1), 31.0);
  EXPECT_EQ(book.LastRow(), 4);
  book.DeleteRows(4, 10);
  EXPECT_EQ(book.LastRow(), 3);
  book.InsertRows(10, 1);  // below the data: nothing moves
  EXPECT_EQ(book.LastRow(), 3);
}

TEST(Workbook, RowsPushedPastTheLastRowAreLost) {
  Workbook book;
  book.SetNumber(kMaxRows, 1, 1.0);
  book.SetNumber(kMaxRows - 1, 1, 2.0);
  book.InsertRows(1, 1);
  EXPECT_EQ(book.Number(kMaxRows, 1), 2.0);
  EXPECT_EQ(book.LastRow(), kMaxRows);
  book.DeleteRows(kMaxRows, 1);
  EXPECT_EQ(book.LastRow(), 0);
}

TEST(Workbook, CopiedRowPastedBackComesBackUnchanged) {
  Workbook book;
  for (int row = 1; row <= 3; ++row) FillRow(book, row, row);
  const auto second = RowCells(book, 2);
  EXPECT_TRUE(book.ClipboardEmpty());
  book.SetSelection({2, 1, 2, 256});
  book.CopySelection();
  EXPECT_FALSE(book.ClipboardEmpty());
  book.SetSelection({5, 1, 5, 256});
  book.InsertRows(5, 1);
  book.PasteSelection();
  EXPECT_EQ(RowCells(book, 5), second);
  EXPECT_EQ(RowCells(book, 2), second);
}

TEST(Workbook, CutCopiesThenClearsAndPasteOverwritesEmptyCellsToo) {
  Workbook book;
  FillRow(book, 1, 1);
  FillRow(book, 2, 2);
  const auto first = RowCells(book, 1);
  book.SetSelection({1, 1, 1, 256});
  book.CutSelection();
  EXPECT_TRUE(std::holds_alternative<std::monostate>(book.Cell(1, 1)));
  EXPECT_EQ(book.LastRow(), 2);
  book.SetNumber(2, 10, 99.0);  // not in the copied row: a paste empties it
  book.SetSelection({2, 1, 2, 1});
  book.PasteSelection();
  EXPECT_EQ(RowCells(book, 2), first);
  book.SetSelection({kMaxRows, kMaxColumns - 10, kMaxRows, kMaxColumns});
  EXPECT_THROW(book.PasteSelection(), std::out_of_range);
}

TEST(Workbook, ClipboardCrossesSheets) {
  Workbook book;
  book.SetSelectedSheet(2);
  FillRow(book, 1, 4);
  book.SetSelection({1, 1, 1, 20});
  book.CopySelection();
  book.SetSelectedSheet(3);
  book.SetSelection({3, 1, 3, 1});
  book.PasteSelection();
  EXPECT_EQ(book.Number(3, 3, 1), 41.0);
  EXPECT_EQ(book.Text(3, 3, 12), "Rule 4");
}

TEST(Workbook, HeadingsWidthsAndLayoutArePerSheet) {
  Workbook book;
  book.SetSelectedSheet(3);
  book.SetMaxRow(4);
  book.SetMaxColumn(9);
  book.SetColumnWidths(1, 100, 3150);
  book.SetColumnWidth(2, kDefaultColumnWidth);
  book.SetColumnHeading(1, "Rule");
  book.SetActiveCell(4, 1);
  book.SetSelection({4, 9, 2, 1});
  EXPECT_EQ(book.ColumnWidth(1), 3150);
  EXPECT_EQ(book.ColumnWidth(2), kDefaultColumnWidth);
  EXPECT_EQ(book.ColumnWidths(3).size(), 99u);
  EXPECT_EQ(book.ColumnHeading(1), "Rule");
  EXPECT_EQ(book.Selection(), (CellRange{2, 1, 4, 9}));
  EXPECT_EQ(book.ActiveCell(), (CellRef{4, 1}));
  book.SetSelectedSheet(1);
  EXPECT_EQ(book.MaxRow(), 1);
  EXPECT_EQ(book.ColumnWidth(1), kDefaultColumnWidth);
  EXPECT_EQ(book.ColumnHeading(1), "");
}

struct RecordingObserver : WorkbookObserver {
  std::vector<std::string> Notices;
  void CellsChanged(int sheet, const CellRange& range) override {
    Notices.push_back("cells " + std::to_string(sheet) + ":" + std::to_string(range.FirstRow) +
                      "," + std::to_string(range.LastColumn));
  }
  void RowsInserted(int sheet, int row, int count) override {
    Notices.push_back("insert " + std::to_string(sheet) + ":" + std::to_string(row) + "+" +
                      std::to_string(count));
  }
  void RowsDeleted(int sheet, int row, int count) override {
    Notices.push_back("delete " + std::to_string(sheet) + ":" + std::to_string(row) + "+" +
                      std::to_string(count));
  }
  void LayoutChanged(int sheet) override { Notices.push_back("layout " + std::to_string(sheet)); }
  void ActiveCellShown(int sheet) override { Notices.push_back("show " + std::to_string(sheet)); }
  void WorkbookReset() override { Notices.push_back("reset"); }
};

TEST(Workbook, ObserverHearsEveryChangeAndStaysWithItsWorkbook) {
  RecordingObserver observer;
  Workbook book;
  book.SetObserver(&observer);
  book.SetNumber(2, 1, 5, 1.0);
  book.SetSelectedSheet(3);
  book.InsertRows(2, 3);
  book.DeleteRows(1, 1);
  book.SetMaxRow(7);
  book.ShowActiveCell();
  Workbook loaded;
  loaded.SetNumber(1, 1, 2.0);
  book = loaded;
  Workbook copy = book;
  copy.SetNumber(1, 1, 3.0);
  EXPECT_EQ(observer.Notices,
            (std::vector<std::string>{"cells 2:1,5", "insert 3:2+3", "delete 3:1+1", "layout 3",
                                      "show 3", "reset"}));
  EXPECT_EQ(book.Number(1, 1, 1), 2.0);
}

// Rows shifted down and back many times keep every value (timed in bench/workbook_bench).
TEST(Workbook, RowsInsertedAndDeletedAtTheTopKeepTheOthers) {
  Workbook book;
  constexpr int kRows = 2000;
  for (int row = 1; row <= kRows; ++row) FillRow(book, row, row);
  for (int step = 0; step < 50; ++step) {
    book.InsertRows(1, 1);
    book.DeleteRows(1, 1);
  }
  double sum = 0;
  for (int row = 1; row <= kRows; ++row) sum += book.Number(row, 9);
  EXPECT_EQ(sum, kRows * (kRows + 1.0) / 2.0 * 10.0 + kRows * 9.0);
}

}  // namespace
}  // namespace trv
