#include "model/rule_workbook.h"

#include <gtest/gtest.h>

#include "model/configuration.h"

namespace trv {
namespace {

TEST(RuleWorkbook, SetUpHeadsTheRuleTableAndClearsEveryRuleRowOfALongerList) {
  Configuration configuration("/nowhere", "/nowhere");
  Workbook& book = configuration.MimicBook;
  for (int row = 1; row <= 700; ++row) {  // a longer list than the rows always cleared
    book.SetNumber(kRuleDataSheet, row, 1, 3);
    book.SetText(kRuleTextSheet, row, 1, "Zonal");
  }
  configuration.RuleCount = 4;
  SetUpWorkbook(configuration, true);

  EXPECT_EQ(book.SelectedSheet(), kRuleTextSheet);
  EXPECT_EQ(book.LastRow(kRuleDataSheet), 0);
  EXPECT_EQ(book.LastRow(kRuleTextSheet), 0);
  EXPECT_EQ(book.MaxRow(), 5);
  EXPECT_EQ(book.MaxColumn(), 9);
  EXPECT_EQ(book.ColumnHeading(1), "Rule");
  EXPECT_EQ(book.ColumnHeading(9), "Channel");
  EXPECT_EQ(book.ColumnWidth(9), 3150);
  EXPECT_EQ(book.ActiveCell(), (CellRef{1, 1}));
  EXPECT_EQ(book.Integer(kSettingsSheet, 13, 1), 4);
}

TEST(RuleWorkbook, SetUpWithoutClearingKeepsTheRules) {
  Configuration configuration("/nowhere", "/nowhere");
  configuration.MimicBook.SetNumber(kRuleDataSheet, 1, 1, 3);
  configuration.RuleCount = 1;
  SetUpWorkbook(configuration, false);
  EXPECT_EQ(configuration.StoredRule(1).Kind, rkZonal);
  EXPECT_EQ(RuleTextRowsShown(0), 1);
  EXPECT_EQ(RuleTextRowsShown(kMaxRows), kMaxRows);
}

}  // namespace
}  // namespace trv
