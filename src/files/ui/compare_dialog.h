#pragma once

#include <QDialog>
#include <vector>

#include "editor/comparison_rows.h"

class QLabel;
class QTreeWidget;

namespace trv {

// The differences between the open configuration and another, side by side: one row a setting
// or rule that differs, marked by its kind of difference, and the summary. It only shows them.
class TCompareDialog : public QDialog {
  Q_OBJECT

 public:
  TCompareDialog(const std::vector<ComparisonRow>& rows, const QString& summary,
                 const QString& otherName, QWidget* parent);

 private:
  void AddRow(const ComparisonRow& row);

  QLabel* CompareSummary = nullptr;
  QTreeWidget* CompareList = nullptr;
};

}  // namespace trv
