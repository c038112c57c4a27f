#include "editor/ui/rule_grid_view.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <algorithm>
#include <climits>
#include <string>
#include <unordered_set>

#include "editor/ui/rule_grid_model.h"

namespace trv {

namespace {

constexpr int kRowPadding = 6;
constexpr int kCellPadding = 10;

}  // namespace

TRuleGridView::TRuleGridView(TRuleGridModel& model, QWidget* parent)
    : QTableView(parent), FModel(model) {
  setObjectName("MimicBook");
  setModel(&model);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setAlternatingRowColors(true);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setHighlightSections(true);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowPadding);
  verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ConnectHeadings();
  connect(&model, &TRuleGridModel::WorkbookSelectionChanged, this,
          &TRuleGridView::ShowWorkbookSelection);
  connect(&model, &TRuleGridModel::WorkbookActiveCellShown, this,
          &TRuleGridView::ScrollToActiveCell);
  connect(&model, &TRuleGridModel::ColumnWidthsChanged, this, &TRuleGridView::ApplyColumnWidths);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TRuleGridView::WriteSelectionToWorkbook);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TRuleGridView::WriteSelectionToWorkbook);
  ApplyColumnWidths();
  ShowWorkbookSelection();
}

void TRuleGridView::ConnectHeadings() {
  // On the press, which selects the row or column: the release may land elsewhere once the
  // grid has scrolled the heading's cell into view.
  connect(horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int section) {
    HeadingPressed(true);
    emit Click(0, section + 1);
  });
  connect(verticalHeader(), &QHeaderView::sectionPressed, this, [this](int section) {
    HeadingPressed(false);
    emit Click(section + 1, 0);
  });
  // A right click on a heading opens the popup as one on a cell does: the heading just clicked
  // is where the user asks for the commands on its row or column.
  for (QHeaderView* heading : {horizontalHeader(), verticalHeader()}) {
    heading->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(heading, &QWidget::customContextMenuRequested, this, [this, heading](const QPoint& at) {
      emit Popup(heading->viewport()->mapToGlobal(at));
    });
  }
  // A column width the user drags is the workbook's.
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int section, int, int size) {
            if (FShowingWorkbook || FModel.Book().SelectedSheet() != kRuleTextSheet) return;
            const QScopedValueRollback writing(FWritingWorkbook, true);
            FModel.Book().SetColumnWidth(section + 1, UnitsOfPixels(size));
          });
  // The corner clears the headings' selection instead of selecting every cell.
  if (auto* corner = findChild<QAbstractButton*>()) {
    disconnect(corner, nullptr, this, nullptr);
    connect(corner, &QAbstractButton::clicked, this, &TRuleGridView::CornerClick);
  }
}

// The grid has just selected the heading's row or column; the workbook gets it as whole rows or
// whole columns.
void TRuleGridView::HeadingPressed(bool columns) {
  FColumnsFromHeading = columns;
  WriteSelectionToWorkbook();
}

void TRuleGridView::CornerClick() {
  FColumnsFromHeading = false;
  if (currentIndex().isValid()) {
    selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
  }
  emit Click(0, 0);
}

GridKey TRuleGridView::GridKeyOf(int key) {
  switch (key) {
    case Qt::Key_Up:
      return GridKey::Up;
    case Qt::Key_Down:
      return GridKey::Down;
    case Qt::Key_Left:
      return GridKey::Left;
    case Qt::Key_Right:
      return GridKey::Right;
    default:
      return GridKey::Other;
  }
}

KeyModifiers TRuleGridView::KeyModifiersOf(Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
  return {.Shift = (held & Qt::ShiftModifier) != 0,
          .Control = (held & Qt::ControlModifier) != 0,
          .Other = (held & ~(Qt::ShiftModifier | Qt::ControlModifier)) != 0};
}

int TRuleGridView::PixelsOfWidth(int units) const {
  const int digit = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
  return (units * digit + kWidthUnitsPerDigit / 2) / kWidthUnitsPerDigit;
}

int TRuleGridView::UnitsOfPixels(int pixels) const {
  const int digit = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
  return std::clamp((pixels * kWidthUnitsPerDigit + digit / 2) / digit, 0, kMaxColumnWidth);
}

int TRuleGridView::FittedColumnWidth(int column) const {
  const int section = column - 1;
  const QString heading = FModel.headerData(section, Qt::Horizontal).toString();
  int widest = horizontalHeader()->fontMetrics().horizontalAdvance(heading) +
               2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
  // Most texts of a column repeat ("n/a", the kind names): each is measured once.
  std::unordered_set<std::string> measured;
  const QFontMetrics metrics = fontMetrics();
  for (int row = 1; row <= FModel.rowCount(); ++row) {
    const auto [text, added] = measured.insert(FModel.Book().Text(kRuleTextSheet, row, column));
    if (added) widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(*text)));
  }
  return UnitsOfPixels(widest + kCellPadding);
}

void TRuleGridView::mousePressEvent(QMouseEvent* event) {
  // The popup acts on the selection as it stands.
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  FColumnsFromHeading = false;
  QTableView::mousePressEvent(event);
}

void TRuleGridView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) ClickCurrentCell();
}

// Every key is reported; a key that the grid's own navigation moves the cell or the selection
// with then counts as a click on the cell it reaches.
void TRuleGridView::keyPressEvent(QKeyEvent* event) {
  FColumnsFromHeading = false;
  const GridKey key = GridKeyOf(event->key());
  const KeyModifiers modifiers = KeyModifiersOf(event->modifiers());
  emit KeyDown(key, modifiers);
  if (TRuleListCommands::MovesActiveCell(key, modifiers)) {
    event->accept();
    return;
  }
  const QModelIndex current = currentIndex();
  const QItemSelection selection = selectionModel()->selection();
  QTableView::keyPressEvent(event);
  if (currentIndex() != current || selectionModel()->selection() != selection) ClickCurrentCell();
}

void TRuleGridView::keyReleaseEvent(QKeyEvent* event) {
  QTableView::keyReleaseEvent(event);
  emit KeyUp(GridKeyOf(event->key()), KeyModifiersOf(event->modifiers()));
}

// Focus that comes with a click leaves the grid where it is: the click lands on the cell under
// the pointer, which must not scroll away before it.
void TRuleGridView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  if (event->reason() != Qt::MouseFocusReason) emit Enter();
}

// Typing does not jump to a rule whose text starts with the letters typed.
void TRuleGridView::keyboardSearch(const QString& /*search*/) {}

void TRuleGridView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  emit Popup(event->globalPos());
}

void TRuleGridView::ClickCurrentCell() {
  const QModelIndex current = currentIndex();
  if (current.isValid()) emit Click(current.row() + 1, current.column() + 1);
}

void TRuleGridView::ApplyColumnWidths() {
  const QScopedValueRollback showing(FShowingWorkbook, true);
  for (int section = 0; section < FModel.columnCount(); ++section) {
    horizontalHeader()->resizeSection(section, PixelsOfWidth(FModel.ColumnWidthUnits(section + 1)));
  }
}

CellRange TRuleGridView::SelectedRange() const {
  const QModelIndex current = currentIndex();
  const QItemSelection selection = selectionModel()->selection();
  if (selection.isEmpty()) {
    return {current.row() + 1, current.column() + 1, current.row() + 1, current.column() + 1};
  }
  CellRange range{INT_MAX, INT_MAX, 0, 0};
  for (const QItemSelectionRange& part : selection) {
    range.FirstRow = std::min(range.FirstRow, part.top() + 1);
    range.FirstColumn = std::min(range.FirstColumn, part.left() + 1);
    range.LastRow = std::max(range.LastRow, part.bottom() + 1);
    range.LastColumn = std::max(range.LastColumn, part.right() + 1);
  }
  // Whole rows and columns reach to the sheet's edge, as a heading selects them. Columns do so
  // only when their headings selected them: cells dragged or selected with the keys over every
  // row are a group of rows.
  if (FColumnsFromHeading && range.FirstRow == 1 && range.LastRow == FModel.rowCount()) {
    range.LastRow = kMaxRows;
  }
  if (range.FirstColumn == 1 && range.LastColumn == FModel.columnCount() && range.LastColumn > 1) {
    range.LastColumn = kMaxColumns;
  }
  return range;
}

void TRuleGridView::WriteSelectionToWorkbook() {
  Workbook& book = FModel.Book();
  const QModelIndex current = currentIndex();
  if (FShowingWorkbook || book.SelectedSheet() != kRuleTextSheet || !current.isValid()) return;
  const QScopedValueRollback writing(FWritingWorkbook, true);
  book.SetActiveCell(current.row() + 1, current.column() + 1);
  book.SetSelection(SelectedRange());
}

void TRuleGridView::ShowWorkbookSelection() {
  const Workbook& book = FModel.Book();
  if (FWritingWorkbook || book.SelectedSheet() != kRuleTextSheet) return;
  const QScopedValueRollback showing(FShowingWorkbook, true);
  const CellRef active = book.ActiveCell();
  selectionModel()->setCurrentIndex(FModel.index(active.Row - 1, active.Column - 1),
                                    QItemSelectionModel::NoUpdate);
  const CellRange range = book.Selection();
  const QModelIndex first = FModel.index(range.FirstRow - 1, range.FirstColumn - 1);
  const QModelIndex last = FModel.index(std::min(range.LastRow, FModel.rowCount()) - 1,
                                        std::min(range.LastColumn, FModel.columnCount()) - 1);
  if (first.isValid() && last.isValid()) {
    selectionModel()->select(QItemSelection(first, last), QItemSelectionModel::ClearAndSelect);
  } else {
    selectionModel()->clearSelection();
  }
}

void TRuleGridView::ScrollToActiveCell() {
  const CellRef active = FModel.Book().ActiveCell();
  const QModelIndex cell = FModel.index(active.Row - 1, active.Column - 1);
  if (cell.isValid()) scrollTo(cell);
}

}  // namespace trv
