#pragma once

#include <QTableView>

#include "editor/rule_list_commands.h"
#include "model/workbook.h"

namespace trv {

class TRuleGridModel;

// The grid MimicBook: the rule text sheet as a table with clickable row and column headings. The
// active cell and the selection are the workbook's: what the user selects is written to the
// rule text sheet, and what the commands select there is shown.
//
// Clicks and keys are reported as the workbook reports them: a cell, a row heading (column 0),
// a column heading (row 0) or the corner (both 0). The keys that the rule list commands move the
// active cell with are left to KeyDown.
class TRuleGridView : public QTableView {
  Q_OBJECT

 public:
  // Column widths are in 1/256 of the width of a digit.
  static constexpr int kWidthUnitsPerDigit = 256;

  explicit TRuleGridView(TRuleGridModel& model, QWidget* parent = nullptr);

  // The width in the workbook's units that shows the column's heading and every cell in full.
  int FittedColumnWidth(int column) const;
  int PixelsOfWidth(int units) const;
  int UnitsOfPixels(int pixels) const;

  void keyboardSearch(const QString& search) override;

  static GridKey GridKeyOf(int key);
  // The keypad's own flag is no modifier the commands tell apart.
  static KeyModifiers KeyModifiersOf(Qt::KeyboardModifiers modifiers);

 signals:
  void Click(int row, int column);
  void Enter();
  void KeyDown(GridKey key, KeyModifiers modifiers);
  void KeyUp(GridKey key, KeyModifiers modifiers);
  void Popup(const QPoint& globalPosition);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void ConnectHeadings();
  void HeadingPressed(bool columns);
  void CornerClick();
  void ApplyColumnWidths();
  void ShowWorkbookSelection();
  void WriteSelectionToWorkbook();
  void ScrollToActiveCell();
  void ClickCurrentCell();
  CellRange SelectedRange() const;

  TRuleGridModel& FModel;
  bool FShowingWorkbook = false;  // selection changes come from the workbook, not the user
  bool FWritingWorkbook = false;
  bool FColumnsFromHeading = false;  // the selection was made with the column headings
};

}  // namespace trv
