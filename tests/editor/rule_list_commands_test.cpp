#include "editor/rule_list_commands.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "editor/rule_list_listener.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "sample_rules.h"
#include "scripted_user_queries_fixture.h"

namespace trv {
namespace {

using test::SampleRule;

// The window as the commands see it.
struct RecordingListener : RuleListListener {
  void SetGridCaption(const std::string& caption) override { Caption = caption; }
  void EnableRuleListCommands(bool enabled) override { RuleListCommandsEnabled = enabled; }
  void ShowRequiredSystem(int requiredSystem) override { ShownSystem = requiredSystem; }
  void LoadRuleIntoPage(const RuleRecord& rule) override { LoadedRules.push_back(rule); }
  void RefreshTitle() override { ++TitleRefreshes; }
  bool DataPanelVisible() const override { return true; }
  bool GridVisible() const override { return true; }
  void FocusGrid() override { ++FocusRequests; }

  std::string Caption;
  std::optional<bool> RuleListCommandsEnabled;
  int ShownSystem = -1;
  std::vector<RuleRecord> LoadedRules;
  int TitleRefreshes = 0;
  int FocusRequests = 0;
};

std::string MimicRules() {
  return ActiveText(string_id::kMimicRules);
}

template <typename Base = ::testing::Test>
class RuleListTest : public test::WithScriptedUserQueries<Base> {
 public:
  RuleListTest() {
    ResetActiveStrings();
    FCommands.SetUpWorkbook(true);
    FConfiguration.Modified = false;
  }

  Workbook& Book() { return FConfiguration.MimicBook; }
  std::string Text(int row, int column) { return Book().Text(kRuleTextSheet, row, column); }
  std::int32_t Kind(int row) { return FConfiguration.StoredRule(row).Kind; }
  CellRef Active() { return Book().ActiveCell(); }

  void AddRule(const RuleRecord& rule) {
    FConfiguration.WorkingRule = rule;
    ASSERT_TRUE(FCommands.ChooseTargetRow());
    FCommands.AppendOrOverwrite(static_cast<RuleKind>(rule.Kind));
  }
  void AddRules(int count) {
    for (int n = 1; n <= count; ++n) AddRule(SampleRule(n));
  }

  // As the grid reports them: the workbook's selection first, then the click.
  void ClickCell(int row, int column) {
    Select({row, column}, {row, column, row, column});
    FCommands.MimicBookClick(row, column);
  }
  void ClickRowHeading(int row) {
    Select({row, 1}, {row, 1, row, kMaxColumns});
    FCommands.MimicBookClick(row, 0);
  }
  void ClickColumnHeading(int column) {
    Select({1, column}, {1, column, kMaxRows, column});
    FCommands.MimicBookClick(0, column);
  }
  void Select(CellRef active, const CellRange& selection) {
    Book().SetActiveCell(active.Row, active.Column);
    Book().SetSelection(selection);
  }
  void Key(GridKey key, KeyModifiers modifiers = {}) { FCommands.MimicBookKeyDown(key, modifiers); }

  Configuration FConfiguration{"/nonexistent/trv", "/nonexistent/trv/Data"};
  RecordingListener FListener;
  TRuleListCommands FCommands{FConfiguration, this->FQueries, FListener};
};

using RuleListCommandsTest = RuleListTest<>;

TEST_F(RuleListCommandsTest, SetUpHeadsNineColumnsAndClearsEveryRowOfRules) {
  EXPECT_EQ(FCommands.MaxRow(), 1);  // the row for the first rule
  EXPECT_EQ(Book().MaxRow(), 1);
  EXPECT_EQ(Book().ColumnHeading(1), "Rule");
  EXPECT_EQ(Book().ColumnHeading(9), "Channel");
  EXPECT_EQ(Book().ColumnWidth(9), 3150);
  EXPECT_EQ(Book().ColumnWidth(10), 2000);
  AddRules(3);
  EXPECT_EQ(Text(2, 1), "Event (Local)");
  EXPECT_EQ(FCommands.MaxRow(), 4);

  FConfiguration.StoreRule(600, SampleRule(1));  // left by a longer list
  Book().SetText(kRuleTextSheet, 600, 1, "Zonal");
  FConfiguration.RuleCount = 0;
  FCommands.SetUpWorkbook(true);
  EXPECT_EQ(Book().LastRow(kRuleDataSheet), 0);
  EXPECT_EQ(Book().LastRow(kRuleTextSheet), 0);
  EXPECT_EQ(Book().SelectedSheet(), kRuleTextSheet);
  EXPECT_EQ(Book().MaxRow(), 1);
  EXPECT_EQ(Active(), (CellRef{1, 1}));
}

TEST_F(RuleListCommandsTest, SetRuleAppendsWithoutAQuestionAndAsksBeforeReplacing) {
  AddRule(SampleRule(1));
  EXPECT_EQ(FListener.RuleListCommandsEnabled, true);
  EXPECT_TRUE(FConfiguration.Modified);
  EXPECT_EQ(Active().Row, 2);
  EXPECT_EQ(FListener.FocusRequests, 1);
  EXPECT_EQ(Text(1, 4), "(   1..   5)");
  AddRules(2);
  EXPECT_TRUE(FQueries.Messages().empty());
  EXPECT_EQ(Book().MaxRow(), 4);

  ClickCell(2, 3);
  FQueries.ExpectMessage(MessageAnswer::No);
  EXPECT_FALSE(FCommands.ChooseTargetRow());
  EXPECT_EQ(FQueries.LastMessage(),
            (test::ShownMessage{"Do you wish to modify existing rule 2 ?", "Modify Rule",
                                MessageButtons::YesNo, MessageIcon::Question}));
  FQueries.ExpectMessage(MessageAnswer::Yes);
  AddRule(SampleRule(4));
  EXPECT_EQ(FConfiguration.RuleCount, 3);
  EXPECT_EQ(Kind(2), rkBoard);
  EXPECT_EQ(Text(2, 8), "Board 5");
}

TEST_F(RuleListCommandsTest, ResetRuleShowsInvalidLoadsNothingAndIsReusedWithoutAQuestion) {
  AddRules(3);
  ClickRowHeading(2);
  EXPECT_EQ(FConfiguration.SelectedRow, 2);
  EXPECT_EQ(FListener.Caption, "Rule 2");
  FQueries.ExpectMessage(MessageAnswer::Ok);
  FCommands.SpreadsheetMenuResetClick();
  EXPECT_EQ(FQueries.LastMessage(),
            (test::ShownMessage{"Are you sure you want to reset Rule 2 ?", "Reset Rule",
                                MessageButtons::OkCancel, MessageIcon::Warning}));
  for (int column = 1; column <= 9; ++column) EXPECT_EQ(Text(2, column), "Invalid");
  EXPECT_EQ(Kind(2), rkCleared);
  EXPECT_TRUE(FConfiguration.Modified);

  ClickCell(3, 1);
  ASSERT_FALSE(FListener.LoadedRules.empty());
  EXPECT_EQ(FListener.LoadedRules.back().Kind, rkEventNetwork);  // the Device/Event page
  const std::size_t loaded = FListener.LoadedRules.size();
  ClickCell(2, 1);
  EXPECT_EQ(FListener.Caption, MimicRules());
  EXPECT_EQ(FListener.LoadedRules.size(), loaded);
  EXPECT_EQ(FConfiguration.WorkingRule.Kind, rkEventNetwork);  // still rule 3
  AddRule(SampleRule(4));                                      // no question
  EXPECT_EQ(Kind(2), rkBoard);
  EXPECT_EQ(FConfiguration.RuleCount, 3);
}

TEST_F(RuleListCommandsTest, ResettingTheLastRuleShortensTheTable) {
  AddRules(3);
  ClickRowHeading(3);
  FQueries.ExpectMessage(MessageAnswer::Cancel);
  FCommands.SpreadsheetMenuResetClick();
  EXPECT_EQ(Kind(3), rkEventNetwork);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  FCommands.SpreadsheetMenuResetClick();
  EXPECT_EQ(FConfiguration.RuleCount, 2);
  EXPECT_EQ(FCommands.MaxRow(), 3);
  EXPECT_EQ(Book().MaxRow(), 3);
  EXPECT_EQ(Kind(3), rkCleared);
  EXPECT_TRUE(Text(3, 1).empty());  // the empty row after the rules
  ClickCell(3, 1);
  EXPECT_TRUE(FCommands.ChooseTargetRow());
  EXPECT_EQ(FConfiguration.TargetRule, 3);
}

TEST_F(RuleListCommandsTest, PasteOnARowHeadingInsertsBeforeItAndRenumbers) {
  AddRules(3);
  ClickRowHeading(3);
  FCommands.SpreadsheetMenuCopyClick();
  EXPECT_TRUE(FConfiguration.ClipboardHoldsRule);
  EXPECT_EQ(FConfiguration.SelectedRow, 0);
  EXPECT_EQ(Active(), (CellRef{3, 1}));
  FConfiguration.Modified = false;

  ClickRowHeading(1);
  FCommands.SpreadsheetMenuPasteClick();
  EXPECT_EQ(FConfiguration.RuleCount, 4);
  EXPECT_EQ(FConfiguration.StoredRule(1), SampleRule(3));
  EXPECT_EQ(FConfiguration.StoredRule(2), SampleRule(1));
  EXPECT_EQ(FConfiguration.StoredRule(4), SampleRule(3));
  EXPECT_EQ(Text(1, 1), "Event (Network)");
  EXPECT_EQ(Text(2, 1), "Zonal");
  EXPECT_EQ(Book().MaxRow(), 5);
  EXPECT_TRUE(FConfiguration.Modified);
}

TEST_F(RuleListCommandsTest, PasteFillsAClearedRuleAppendsPastTheTableAndNeedsAClipboard) {
  AddRules(3);
  ClickRowHeading(2);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  FCommands.SpreadsheetMenuResetClick();
  ClickRowHeading(1);
  FCommands.SpreadsheetMenuCopyClick();
  FConfiguration.Modified = false;
  ClickRowHeading(2);
  FCommands.SpreadsheetMenuPasteClick();
  EXPECT_EQ(FConfiguration.RuleCount, 3);
  EXPECT_EQ(Kind(2), rkZonal);
  EXPECT_EQ(Text(2, 1), "Zonal");
  EXPECT_TRUE(FConfiguration.Modified);

  FConfiguration.SelectedRow = 9;  // far below the table
  Book().SetSelection({9, 1, 9, kMaxColumns});
  FCommands.SpreadsheetMenuPasteClick();
  EXPECT_EQ(FConfiguration.RuleCount, 4);
  EXPECT_EQ(Kind(4), rkZonal);
  EXPECT_EQ(Book().MaxRow(), 5);

  Workbook read;  // a workbook read from a file comes without the clipboard
  Book().ForEachCell(kRuleDataSheet, [&](int row, int column, const CellValue& value) {
    read.SetCell(kRuleDataSheet, row, column, value);
  });
  Book() = std::move(read);
  FCommands.SetUpWorkbook(false);
  ClickRowHeading(1);
  FCommands.SpreadsheetMenuPasteClick();
  EXPECT_EQ(FConfiguration.RuleCount, 4);
  EXPECT_EQ(Kind(1), rkZonal);
}

TEST_F(RuleListCommandsTest, CutTakesTheRuleOutAndLoadsTheOneThatMovesUp) {
  AddRules(3);
  ClickRowHeading(2);
  FCommands.SpreadsheetMenuCutClick();
  EXPECT_EQ(FConfiguration.RuleCount, 2);
  EXPECT_EQ(Kind(2), rkEventNetwork);
  EXPECT_EQ(Text(2, 1), "Event (Network)");
  EXPECT_EQ(FListener.Caption, "Rule 2");
  EXPECT_EQ(Book().MaxRow(), 3);
  EXPECT_TRUE(FConfiguration.ClipboardHoldsRule);

  ClickRowHeading(2);
  FConfiguration.WorkingRule = {};
  FCommands.SpreadsheetMenuCutClick();  // the last rule: nothing moves up
  EXPECT_EQ(FListener.Caption, MimicRules());
  EXPECT_EQ(FConfiguration.WorkingRule.Kind, rkInvalid);
  ClickRowHeading(1);
  FCommands.SpreadsheetMenuPasteClick();
  EXPECT_EQ(FConfiguration.StoredRule(1), SampleRule(3));
  EXPECT_EQ(FConfiguration.StoredRule(2), SampleRule(1));
}

TEST_F(RuleListCommandsTest, DeleteAsksAndRenumbersOrLeavesEveryRule) {
  AddRules(3);
  ClickRowHeading(1);
  FQueries.ExpectMessage(MessageAnswer::Cancel);
  FCommands.SpreadsheetMenuDeleteClick();
  EXPECT_EQ(FQueries.LastMessage(),
            (test::ShownMessage{"Are you sure you want to delete Rule 1 ?", "Delete Rule",
                                MessageButtons::OkCancel, MessageIcon::Warning}));
  EXPECT_EQ(FConfiguration.RuleCount, 3);
  EXPECT_EQ(Kind(1), rkZonal);
  EXPECT_EQ(FListener.ShownSystem, 2);  // the network rule needs KP6000

  ClickRowHeading(3);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  FCommands.SpreadsheetMenuDeleteClick();
  EXPECT_EQ(FConfiguration.RuleCount, 2);
  EXPECT_EQ(FListener.ShownSystem, 1);

  Book().SetText(kRuleTextSheet, 1, 1, "");  // an empty row goes without a question
  ClickRowHeading(1);
  FCommands.SpreadsheetMenuDeleteClick();
  EXPECT_EQ(Kind(1), rkEventLocal);
  ClickRowHeading(1);
  FQueries.ExpectMessage(MessageAnswer::Ok);
  FCommands.SpreadsheetMenuDeleteClick();
  EXPECT_EQ(FConfiguration.RuleCount, 0);
  EXPECT_EQ(FListener.RuleListCommandsEnabled, false);
}

TEST_F(RuleListCommandsTest, ClicksLoadRulesAndSelectHeadings) {
  AddRules(4);
  ClickCell(4, 2);
  EXPECT_EQ(FListener.LoadedRules.back(), SampleRule(4));
  EXPECT_EQ(FListener.Caption, "Rule 4");
  const int titles = FListener.TitleRefreshes;
  ClickCell(1, 5);
  EXPECT_EQ(FListener.LoadedRules.back(), SampleRule(1));
  EXPECT_EQ(FConfiguration.WorkingRule, SampleRule(1));
  EXPECT_EQ(FListener.TitleRefreshes, titles + 1);
  ClickCell(5, 1);
  EXPECT_EQ(FListener.Caption, MimicRules());

  ClickColumnHeading(4);
  EXPECT_EQ(FConfiguration.SelectedColumn, 4);
  EXPECT_EQ(FConfiguration.SelectedRow, 0);
  ClickRowHeading(3);
  EXPECT_EQ(FConfiguration.SelectedRow, 3);
  EXPECT_EQ(FConfiguration.SelectedColumn, 0);
  FCommands.MimicBookClick(0, 0);
  EXPECT_EQ(FConfiguration.SelectedRow, 0);
  EXPECT_EQ(FListener.Caption, MimicRules());
}

TEST_F(RuleListCommandsTest, AGroupOfRowsLoadsNothingAndOffersOnlyAutosize) {
  AddRules(3);
  ClickRowHeading(1);
  Select({2, 1}, {1, 1, 2, kMaxColumns});  // Shift+Down
  FConfiguration.WorkingRule = {};
  FCommands.MimicBookKeyUp(GridKey::Down, {.Shift = true});
  EXPECT_EQ(FListener.Caption, MimicRules());
  EXPECT_EQ(FConfiguration.WorkingRule.Kind, rkInvalid);
  EXPECT_EQ(FCommands.SpreadsheetPopupMenuPopup(), (PopupEnabling{.Autosize = true}));
  FConfiguration.SelectedRow = 2;
  FCommands.SpreadsheetMenuCutClick();
  EXPECT_EQ(FConfiguration.RuleCount, 3);
}

TEST_F(RuleListCommandsTest, CommandsWithoutARuleRowDoNothing) {
  AddRules(3);
  for (const int row : {0, 4, -1, 70000}) {
    FConfiguration.SelectedRow = row;
    FCommands.SpreadsheetMenuCutClick();
    FCommands.SpreadsheetMenuCopyClick();
    FCommands.SpreadsheetMenuDeleteClick();
    FCommands.SpreadsheetMenuResetClick();
    FCommands.MimicBookClick(row, row);
  }
  EXPECT_EQ(FConfiguration.RuleCount, 3);
  EXPECT_FALSE(FConfiguration.ClipboardHoldsRule);
  FConfiguration.TargetRule = 0;
  FCommands.AppendOrOverwrite(rkBoard);
  EXPECT_EQ(FConfiguration.RuleCount, 3);
}

TEST_F(RuleListCommandsTest, AutosizeSetsTheFittedWidthOfTheNineColumns) {
  AddRules(2);
  FCommands.SpreadsheetMenuAutosizeClick([](int column) { return 1000 + column; });
  for (int column = 1; column <= 9; ++column) EXPECT_EQ(Book().ColumnWidth(column), 1000 + column);
  EXPECT_EQ(Book().ColumnWidth(10), 2000);
}

struct PopupCase;
using PopupTest = RuleListTest<::testing::TestWithParam<PopupCase>>;

// Which popup entries are enabled, with three rules, as the selection stands.
struct PopupCase {
  const char* Name;
  void (*Prepare)(PopupTest& test);
  PopupEnabling Expected;
};

const PopupCase kPopupCases[] = {
    {"NoRules", [](PopupTest& t) { t.FConfiguration.RuleCount = 0; }, {}},
    {"ARuleRow", [](PopupTest& t) { t.ClickRowHeading(2); }, {true, true, true, false, true, true}},
    {"ARuleRowWithARuleCopied",
     [](PopupTest& t) {
       t.ClickRowHeading(2);
       t.FCommands.SpreadsheetMenuCopyClick();
       t.ClickRowHeading(2);
     },
     {true, true, true, true, true, true}},
    {"TheEmptyRowAfterTheRules",
     [](PopupTest& t) {
       t.FConfiguration.ClipboardHoldsRule = true;
       t.ClickRowHeading(4);
     },
     {.Autosize = true, .Paste = true}},
    {"ARuleRowWithoutText",
     [](PopupTest& t) {
       t.FConfiguration.ClipboardHoldsRule = true;
       t.Book().SetText(kRuleTextSheet, 3, 1, "");
       t.ClickRowHeading(3);
     },
     {.Autosize = true, .Paste = true, .Delete = true}},
    {"AColumn", [](PopupTest& t) { t.ClickColumnHeading(2); }, {.Autosize = true}},
    {"ACell", [](PopupTest& t) { t.ClickCell(2, 2); }, {.Autosize = true}},
};

TEST_P(PopupTest, EnablingFollowsTheSelection) {
  AddRules(3);
  GetParam().Prepare(*this);
  EXPECT_EQ(FCommands.SpreadsheetPopupMenuPopup(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Selections, PopupTest, ::testing::ValuesIn(kPopupCases),
                         [](const auto& popup) { return std::string(popup.param.Name); });

// Where an arrow key takes the active cell, with three rules: the grid's last row is 4.
struct ArrowCase {
  CellRef Start;
  GridKey Key;
  bool Control;
  CellRef Expected;
};

using ArrowKeyTest = RuleListTest<::testing::TestWithParam<ArrowCase>>;

TEST_P(ArrowKeyTest, MovesTheActiveCellAndStopsAtTheBorders) {
  AddRules(3);
  const ArrowCase& arrow = GetParam();
  ClickCell(arrow.Start.Row, arrow.Start.Column);
  Key(arrow.Key, {.Control = arrow.Control});
  EXPECT_EQ(Active(), arrow.Expected);
  EXPECT_EQ(Book().Selection(), (CellRange{arrow.Expected.Row, arrow.Expected.Column,
                                           arrow.Expected.Row, arrow.Expected.Column}));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ArrowKeyTest,
    ::testing::Values(ArrowCase{{4, 1}, GridKey::Down, false, {4, 1}},
                      ArrowCase{{4, 1}, GridKey::Up, false, {3, 1}},
                      ArrowCase{{3, 1}, GridKey::Left, false, {3, 1}},
                      ArrowCase{{3, 1}, GridKey::Right, true, {3, 9}},
                      ArrowCase{{3, 9}, GridKey::Right, false, {3, 9}},
                      ArrowCase{{3, 9}, GridKey::Left, true, {3, 1}},
                      // Ctrl+Down from row 1 goes to the last row with data, then to the end.
                      ArrowCase{{1, 2}, GridKey::Down, true, {3, 2}},
                      ArrowCase{{3, 2}, GridKey::Down, true, {4, 2}},
                      ArrowCase{{4, 2}, GridKey::Up, true, {3, 2}},
                      ArrowCase{{3, 2}, GridKey::Up, true, {1, 2}},
                      ArrowCase{{1, 2}, GridKey::Up, false, {1, 2}}));

TEST_F(RuleListCommandsTest, AnArrowKeyLoadsTheRuleItReaches) {
  AddRules(3);
  ClickCell(4, 1);
  Key(GridKey::Up);
  EXPECT_EQ(FListener.Caption, "Rule 3");
  EXPECT_EQ(FListener.LoadedRules.back(), SampleRule(3));
}

TEST_F(RuleListCommandsTest, OnlyArrowsAloneOrWithCtrlMoveTheActiveCell) {
  EXPECT_TRUE(TRuleListCommands::MovesActiveCell(GridKey::Down, {}));
  EXPECT_TRUE(TRuleListCommands::MovesActiveCell(GridKey::Left, {.Control = true}));
  EXPECT_FALSE(TRuleListCommands::MovesActiveCell(GridKey::Down, {.Shift = true}));
  EXPECT_FALSE(TRuleListCommands::MovesActiveCell(GridKey::Up, {.Control = true, .Other = true}));
  EXPECT_FALSE(TRuleListCommands::MovesActiveCell(GridKey::Other, {}));
  AddRules(3);
  ClickCell(1, 1);
  Key(GridKey::Down, {.Shift = true});
  EXPECT_EQ(Active(), (CellRef{1, 1}));
}

}  // namespace
}  // namespace trv
