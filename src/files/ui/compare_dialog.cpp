#include "files/ui/compare_dialog.h"

#include <QColor>
#include <QDialogButtonBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace trv {
namespace {

constexpr int kColumnA = 0;
constexpr int kColumnB = 1;

// Light tints that keep black text readable: changed in amber, only on one side in red or green,
// moved in blue.
QColor TintOf(ComparisonMark mark) {
  switch (mark) {
    case ComparisonMark::Setting:
    case ComparisonMark::Changed:
      return {0xff, 0xec, 0xb3};
    case ComparisonMark::OnlyInA:
      return {0xf8, 0xcd, 0xcd};
    case ComparisonMark::OnlyInB:
      return {0xcd, 0xef, 0xcd};
    case ComparisonMark::Moved:
      return {0xd3, 0xe2, 0xf8};
    case ComparisonMark::Heading:
      break;
  }
  return {};
}

}  // namespace

TCompareDialog::TCompareDialog(const std::vector<ComparisonRow>& rows, const QString& summary,
                               const QString& otherName, QWidget* parent)
    : QDialog(parent) {
  setObjectName("CompareDialog");
  setWindowTitle("Compare with " + otherName);
  setAttribute(Qt::WA_DeleteOnClose);
  CompareList = new QTreeWidget(this);
  CompareList->setObjectName("CompareList");
  CompareList->setHeaderLabels({"This configuration", otherName});
  CompareList->setRootIsDecorated(false);
  CompareList->setSelectionMode(QAbstractItemView::NoSelection);
  CompareList->setWordWrap(true);
  CompareList->header()->setSectionResizeMode(QHeaderView::Stretch);
  // Rows with room around their text; the item's own tint still fills it.
  CompareList->setStyleSheet("QTreeWidget::item { padding: 3px 2px; }");
  for (const ComparisonRow& row : rows) AddRow(row);
  CompareSummary = new QLabel(summary, this);
  CompareSummary->setObjectName("CompareSummary");
  CompareSummary->setBuddy(CompareList);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->setObjectName("CompareButtons");
  buttons->button(QDialogButtonBox::Close)->setObjectName("CompareCloseButton");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CompareSummary);
  layout->addWidget(CompareList);
  layout->addWidget(buttons);
  resize(1100, 420);
}

void TCompareDialog::AddRow(const ComparisonRow& row) {
  auto* item = new QTreeWidgetItem(CompareList,
                                   {QString::fromStdString(row.A), QString::fromStdString(row.B)});
  if (row.Mark == ComparisonMark::Heading) {
    item->setFirstColumnSpanned(true);
    QFont bold = item->font(kColumnA);
    bold.setBold(true);
    item->setFont(kColumnA, bold);
    item->setBackground(kColumnA, QColor(0xe8, 0xe8, 0xe8));
    return;
  }
  const QColor tint = TintOf(row.Mark);
  for (const int column : {kColumnA, kColumnB}) {
    const bool filled = !item->text(column).isEmpty();
    if (filled) item->setBackground(column, tint);
    item->setToolTip(column, item->text(column));
  }
}

}  // namespace trv
