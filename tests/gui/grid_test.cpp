#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <array>

#include "editor/rule_grid.h"
#include "editor/rule_grid_view.h"
#include "main_window_test.h"
#include "model/zone_range.h"
#include "shell/tool_form.h"
#include "shell/ui_text.h"

using namespace trv;

namespace {

// Rule n of a list that runs Zonal, Event (Local), Event (Network), Board, Zonal, ...
RuleRecord Rule(int n) {
  switch (n % 4) {
    case 1:
      return {.Kind = rkZonal, .Panel = 1, .Zone = ZoneRange{n, n + 4}.Packed(), .Output = n};
    case 2:
      return {.Kind = rkEventLocal, .Panel = 1, .Loop = 2, .Zone = n, .Events = 0b11};
    case 3:
      return {.Kind = rkEventNetwork, .Zone = n, .Address = kAnyReference, .Events = 0b11};
    default:
      return {.Kind = rkBoard, .Zone = 1, .Modifier = n % 8 + 1};
  }
}

// Which popup entries are enabled, in menu order.
using Enabling = std::array<bool, 6>;
constexpr std::array kPopupEntries{"SpreadsheetMenuAutosize", "SpreadsheetMenuCut",
                                   "SpreadsheetMenuCopy",     "SpreadsheetMenuPaste",
                                   "SpreadsheetMenuDelete",   "SpreadsheetMenuReset"};

}  // namespace

class GridTest : public test::MainWindowTest {
  Q_OBJECT

 private:
  TRuleGrid& Grid() { return FForm->Grid(); }
  Configuration& Config() { return FForm->Config(); }
  Workbook& Book() { return Config().MimicBook; }
  TRuleGridView* View() { return Find<TRuleGridView>("MimicBook"); }
  QString Caption() { return Find<QGroupBox>("CBEGroupBox")->title(); }
  QString Page() { return Find<QTabWidget>("RulePageControl")->currentWidget()->objectName(); }
  std::string Text(int row, int column) { return Book().Text(kRuleTextSheet, row, column); }
  std::int32_t Kind(int row) { return Config().StoredRule(row).Kind; }
  bool Enabled(const char* action) { return Find<QAction>(action)->isEnabled(); }

  void AddRule(const RuleRecord& rule) {
    Config().WorkingRule = rule;
    QVERIFY(Grid().ChooseTargetRow());
    Grid().AppendOrOverwrite(static_cast<RuleKind>(rule.Kind));
  }
  void AddRules(int count) {
    for (int n = 1; n <= count; ++n) AddRule(Rule(n));
  }
  void AddThreeRules() { AddRules(3); }

  void ClickCell(int row, int column) {
    const QModelIndex cell = View()->model()->index(row - 1, column - 1);
    View()->scrollTo(cell);
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, View()->visualRect(cell).center());
  }
  void ClickRowHeading(int row) {
    View()->scrollTo(View()->model()->index(row - 1, 0));
    QHeaderView* heading = View()->verticalHeader();
    const int y = heading->sectionViewportPosition(row - 1) + heading->sectionSize(row - 1) / 2;
    QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, QPoint(heading->width() / 2, y));
  }
  void ClickColumnHeading(int column) {
    QHeaderView* heading = View()->horizontalHeader();
    const int x =
        heading->sectionViewportPosition(column - 1) + heading->sectionSize(column - 1) / 2;
    QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, QPoint(x, heading->height() / 2));
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(View(), key, modifiers);
  }
  CellRef Active() { return Book().ActiveCell(); }
  Enabling PopupEnabling() {
    Grid().SpreadsheetPopupMenuPopup();
    Enabling enabling{};
    for (std::size_t i = 0; i < kPopupEntries.size(); ++i) enabling[i] = Enabled(kPopupEntries[i]);
    return enabling;
  }
  const test::ShownMessage& LastMessage() { return FDialogs->Messages().back(); }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale::c());
  }

  void init() {
    OpenWindow();
    Find<QTabWidget>("RulePageControl")->setCurrentWidget(Find<QWidget>("BoardRuleTabSheet"));
  }

  void cleanup() { CloseWindow(); }

  void modelFollowsEveryCommandConsistently() {
    QAbstractItemModelTester tester(View()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    AddRules(6);
    ClickRowHeading(2);
    Grid().SpreadsheetMenuCutClick();
    ClickRowHeading(4);
    Grid().SpreadsheetMenuPasteClick();
    ClickRowHeading(1);
    FDialogs->ExpectMessage(MessageAnswer::Ok);
    Grid().SpreadsheetMenuDeleteClick();
    ClickRowHeading(5);
    FDialogs->ExpectMessage(MessageAnswer::Ok);
    Grid().SpreadsheetMenuResetClick();
    Grid().SpreadsheetMenuAutosizeClick();
    Config().MimicBook = Workbook();  // a read file or a Get replaces the whole workbook
    QCOMPARE(View()->model()->rowCount(), 0);
    Grid().SetUpWorkbook(false);
    QCOMPARE(View()->model()->rowCount(), Config().RuleCount + 1);
    Grid().SetUpWorkbook(true);
    QCOMPARE(View()->model()->columnCount(), 9);
  }

  void setUpHeadsNineColumnsAndClearsEveryRowOfRules() {
    const QAbstractItemModel* model = View()->model();
    QCOMPARE(model->rowCount(), 1);  // the row for the first rule
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Rule"));
    QCOMPARE(model->headerData(8, Qt::Horizontal).toString(), QString("Channel"));
    QCOMPARE(Book().ColumnWidth(9), 3150);
    QCOMPARE(Book().ColumnWidth(10), 2000);
    AddThreeRules();
    QCOMPARE(model->index(1, 0).data().toString(), QString("Event (Local)"));
    QCOMPARE(model->headerData(3, Qt::Vertical).toInt(), 4);

    Config().StoreRule(600, Rule(1));  // left by a longer list
    Book().SetText(kRuleTextSheet, 600, 1, "Zonal");
    Config().RuleCount = 0;
    Grid().SetUpWorkbook(true);
    QCOMPARE(Book().LastRow(kRuleDataSheet), 0);
    QCOMPARE(Book().LastRow(kRuleTextSheet), 0);
    QCOMPARE(Book().SelectedSheet(), kRuleTextSheet);
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(Active(), (CellRef{1, 1}));
  }

  void setRuleAppendsWithoutAQuestionAndAsksBeforeReplacing() {
    FForm->EnableRuleListCommands(false);
    AddRule(Rule(1));
    QVERIFY(Enabled("MenuFileSaveAs") && Enabled("MenuFilePrint") &&
            Enabled("MenuConnectSendRules"));
    QVERIFY(Config().Modified);
    QCOMPARE(Active().Row, 2);
    QVERIFY(View()->hasFocus());
    QCOMPARE(Text(1, 4), std::string("(   1..   5)"));
    AddRules(2);
    QVERIFY(FDialogs->Messages().empty());
    QCOMPARE(Book().MaxRow(), 4);

    ClickCell(2, 3);
    FDialogs->ExpectMessage(MessageAnswer::No);
    QVERIFY(!Grid().ChooseTargetRow());
    QCOMPARE(LastMessage().Text, QString("Do you wish to modify existing rule 2 ?"));
    QCOMPARE(LastMessage().Caption, QString("Modify Rule"));
    QCOMPARE(LastMessage().Buttons, MessageButtons::YesNo);
    FDialogs->ExpectMessage(MessageAnswer::Yes);
    AddRule(Rule(4));
    QCOMPARE(Config().RuleCount, 3);
    QCOMPARE(Kind(2), rkBoard);
    QCOMPARE(Text(2, 8), std::string("Board 5"));
  }

  void resetRuleShowsInvalidLoadsNothingAndIsReusedWithoutAQuestion() {
    AddThreeRules();
    ClickRowHeading(2);
    QCOMPARE(Config().SelectedRow, 2);
    QCOMPARE(Caption(), QString("Rule 2"));
    FDialogs->ExpectMessage(MessageAnswer::Ok);
    Grid().SpreadsheetMenuResetClick();
    QCOMPARE(LastMessage().Text, QString("Are you sure you want to reset Rule 2 ?"));
    QCOMPARE(LastMessage().Caption, QString("Reset Rule"));
    QCOMPARE(LastMessage().Buttons, MessageButtons::OkCancel);
    for (int column = 1; column <= 9; ++column) QCOMPARE(Text(2, column), std::string("Invalid"));
    QCOMPARE(Kind(2), rkCleared);
    QVERIFY(Config().Modified);

    ClickCell(3, 1);
    QCOMPARE(Page(), QString("EventRuleTabSheet"));
    ClickCell(2, 1);
    QCOMPARE(Caption(), UiText(65205));
    QCOMPARE(Config().WorkingRule.Kind, rkEventNetwork);  // still rule 3
    AddRule(Rule(4));                                     // no question
    QCOMPARE(Kind(2), rkBoard);
    QCOMPARE(Config().RuleCount, 3);
  }

  void resettingTheLastRuleShortensTheTable() {
    AddThreeRules();
    ClickRowHeading(3);
    FDialogs->ExpectMessage(MessageAnswer::Cancel);
    Grid().SpreadsheetMenuResetClick();
    QCOMPARE(Kind(3), rkEventNetwork);
    FDialogs->ExpectMessage(MessageAnswer::Ok);
    Grid().SpreadsheetMenuResetClick();
    QCOMPARE(Config().RuleCount, 2);
    QCOMPARE(View()->model()->rowCount(), 3);
    QCOMPARE(Kind(3), rkCleared);
    QVERIFY(Text(3, 1).empty());  // the empty row after the rules
    ClickCell(3, 1);
    QVERIFY(Grid().ChooseTargetRow());
    QCOMPARE(Config().TargetRule, 3);
  }

  void pasteOnARowHeadingInsertsBeforeItAndRenumbers() {
    AddThreeRules();
    ClickRowHeading(3);
    Grid().SpreadsheetMenuCopyClick();
    QVERIFY(Config().ClipboardHoldsRule);
    QCOMPARE(Config().SelectedRow, 0);
    QCOMPARE(Active(), (CellRef{3, 1}));
    Config().Modified = false;

    ClickRowHeading(1);
    Grid().SpreadsheetMenuPasteClick();
    QCOMPARE(Config().RuleCount, 4);
    QCOMPARE(Config().StoredRule(1), Rule(3));
    QCOMPARE(Config().StoredRule(2), Rule(1));
    QCOMPARE(Config().StoredRule(4), Rule(3));
    QCOMPARE(Text(1, 1), std::string("Event (Network)"));
    QCOMPARE(Text(2, 1), std::string("Zonal"));
    QCOMPARE(Book().MaxRow(), 5);
    QVERIFY(Config().Modified);
  }

  void pasteFillsAClearedRuleAppendsPastTheTableAndNeedsAClipboard() {
    AddThreeRules();
    ClickRowHeading(2);
    FDialogs->ExpectMessage(MessageAnswer::Ok);
    Grid().SpreadsheetMenuResetClick();
    ClickRowHeading(1);
    Grid().SpreadsheetMenuCopyClick();
    Config().Modified = false;
    ClickRowHeading(2);
    Grid().SpreadsheetMenuPasteClick();
    QCOMPARE(Config().RuleCount, 3);
    QCOMPARE(Kind(2), rkZonal);
    QCOMPARE(Text(2, 1), std::string("Zonal"));
    QVERIFY(Config().Modified);

    Config().SelectedRow = 9;  // far below the table
    Book().SetSelection({9, 1, 9, kMaxColumns});
    Grid().SpreadsheetMenuPasteClick();
    QCOMPARE(Config().RuleCount, 4);
    QCOMPARE(Kind(4), rkZonal);
    QCOMPARE(Book().MaxRow(), 5);

    Workbook read;  // a workbook read from a file comes without the clipboard
    Book().ForEachCell(kRuleDataSheet, [&](int row, int column, const CellValue& value) {
      read.SetCell(kRuleDataSheet, row, column, value);
    });
    Config().MimicBook = std::move(read);
    Grid().SetUpWorkbook(false);
    ClickRowHeading(1);
    Grid().SpreadsheetMenuPasteClick();
    QCOMPARE(Config().RuleCount, 4);
    QCOMPARE(Kind(1), rkZonal);
  }

  void cutTakesTheRuleOutAndLoadsTheOneThatMovesUp() {
    AddThreeRules();
    ClickRowHeading(2);
    Grid().SpreadsheetMenuCutClick();
    QCOMPARE(Config().RuleCount, 2);
    QCOMPARE(Kind(2), rkEventNetwork);
    QCOMPARE(Text(2, 1), std::string("Event (Network)"));
    QCOMPARE(Caption(), QString("Rule 2"));
    QCOMPARE(Book().MaxRow(), 3);
    QVERIFY(Config().ClipboardHoldsRule);

    ClickRowHeading(2);
    Config().WorkingRule = {};
    Grid().SpreadsheetMenuCutClick();  // the last rule: nothing moves up
    QCOMPARE(Caption(), UiText(65205));
    QCOMPARE(Config().WorkingRule.Kind, rkInvalid);
    ClickRowHeading(1);
    Grid().SpreadsheetMenuPasteClick();
    QCOMPARE(Config().StoredRule(1), Rule(3));
    QCOMPARE(Config().StoredRule(2), Rule(1));
  }

  void deleteAsksAndRenumbersOrLeavesEveryRule() {
    AddThreeRules();
    int shownSystem = -1;
    Grid().ShowRequiredSystem = [&](int system) { shownSystem = system; };
    ClickRowHeading(1);
    FDialogs->ExpectMessage(MessageAnswer::Cancel);
    Grid().SpreadsheetMenuDeleteClick();
    QCOMPARE(LastMessage().Text, QString("Are you sure you want to delete Rule 1 ?"));
    QCOMPARE(LastMessage().Caption, QString("Delete Rule"));
    QCOMPARE(Config().RuleCount, 3);
    QCOMPARE(Kind(1), rkZonal);
    QCOMPARE(shownSystem, 2);  // the network rule needs KP6000

    ClickRowHeading(3);
    FDialogs->ExpectMessage(MessageAnswer::Ok);
    Grid().SpreadsheetMenuDeleteClick();
    QCOMPARE(Config().RuleCount, 2);
    QCOMPARE(shownSystem, 1);

    Book().SetText(kRuleTextSheet, 1, 1, "");  // an empty row goes without a question
    ClickRowHeading(1);
    Grid().SpreadsheetMenuDeleteClick();
    QCOMPARE(Kind(1), rkEventLocal);
    ClickRowHeading(1);
    FDialogs->ExpectMessage(MessageAnswer::Ok);
    Grid().SpreadsheetMenuDeleteClick();
    QCOMPARE(Config().RuleCount, 0);
    QVERIFY(!Enabled("MenuFileSaveAs") && !Enabled("MenuFilePrint") &&
            !Enabled("MenuConnectSendRules"));
  }

  void clicksLoadRulesAndSelectHeadings() {
    AddRules(4);
    ClickCell(4, 2);
    QCOMPARE(Page(), QString("BoardRuleTabSheet"));
    QCOMPARE(Caption(), QString("Rule 4"));
    ClickCell(1, 5);
    QCOMPARE(Page(), QString("ZonalRuleTabSheet"));
    QCOMPARE(Config().WorkingRule, Rule(1));
    QVERIFY(FForm->windowTitle().endsWith("Zonal Rule"));
    ClickCell(5, 1);
    QCOMPARE(Caption(), UiText(65205));

    ClickColumnHeading(4);
    QCOMPARE(Config().SelectedColumn, 4);
    QCOMPARE(Config().SelectedRow, 0);
    ClickRowHeading(3);
    QCOMPARE(Config().SelectedRow, 3);
    QCOMPARE(Config().SelectedColumn, 0);
    QCOMPARE(Book().Selection(), (CellRange{3, 1, 3, kMaxColumns}));
    Grid().MimicBookClick(0, 0);
    QCOMPARE(Config().SelectedRow, 0);
  }

  void aGroupOfRowsOrAMoveSelectsNoRule() {
    AddRules(40);
    ClickRowHeading(1);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Book().Selection().LastRow, 2);
    QCOMPARE(Caption(), UiText(65205));
    QCOMPARE(PopupEnabling(), (Enabling{true, false, false, false, false, false}));
    ClickRowHeading(2);
    Key(Qt::Key_PageDown);
    QVERIFY(Active().Row > 2);
    QCOMPARE(Config().SelectedRow, 0);
    ClickRowHeading(2);
    Config().WorkingRule = {};
    QTest::keyClick(View(), Qt::Key_A, Qt::ControlModifier);  // every cell
    QCOMPARE(Caption(), UiText(65205));
    QCOMPARE(Config().WorkingRule.Kind, rkInvalid);
    QCOMPARE(PopupEnabling(), (Enabling{true, false, false, false, false, false}));
    Config().SelectedRow = 2;
    Grid().SpreadsheetMenuCutClick();
    QCOMPARE(Config().RuleCount, 40);

    ClickCell(1, 2);  // then a Shift+click on the empty row below the rules
    const QModelIndex last = View()->model()->index(40, 1);
    View()->scrollTo(last);
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      View()->visualRect(last).center());
    QCOMPARE(Book().Selection(), (CellRange{1, 2, 41, 2}));
    QCOMPARE(Caption(), UiText(65205));
    QCOMPARE(Config().WorkingRule, Rule(1));
  }

  void focusShowsTheActiveCellUnlessAClickBringsIt() {
    AddRules(60);
    ClickCell(1, 1);
    Find<QTabWidget>("RulePageControl")->setFocus();
    View()->scrollToBottom();
    View()->setFocus(Qt::TabFocusReason);
    QVERIFY(View()->viewport()->rect().contains(View()->visualRect(View()->currentIndex())));

    Find<QTabWidget>("RulePageControl")->setFocus();
    View()->scrollToBottom();
    const QModelIndex cell = View()->model()->index(55, 2);
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, View()->visualRect(cell).center());
    QCOMPARE(Active(), (CellRef{56, 3}));
  }

  void arrowKeysMoveTheActiveCellAndStopAtTheBorders() {
    AddThreeRules();
    ClickCell(4, 1);
    Key(Qt::Key_Down);
    QCOMPARE(Active(), (CellRef{4, 1}));
    Key(Qt::Key_Up);
    QCOMPARE(Active(), (CellRef{3, 1}));
    QCOMPARE(Caption(), QString("Rule 3"));
    Key(Qt::Key_Left);
    QCOMPARE(Active(), (CellRef{3, 1}));
    Key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(Active(), (CellRef{3, 9}));
    Key(Qt::Key_Right);
    QCOMPARE(Active(), (CellRef{3, 9}));
    Key(Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(Active(), (CellRef{3, 1}));

    ClickCell(1, 2);
    Key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(Active(), (CellRef{3, 2}));  // the last row with data
    Key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(Active(), (CellRef{4, 2}));
    Key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(Active(), (CellRef{3, 2}));
    Key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(Active(), (CellRef{1, 2}));
    QCOMPARE(View()->currentIndex(), View()->model()->index(0, 1));
    Key(Qt::Key_Up);
    QCOMPARE(Active(), (CellRef{1, 2}));
  }

  void popupEnablingFollowsTheSelection() {
    ClickRowHeading(1);
    QCOMPARE(PopupEnabling(), (Enabling{}));  // no rules
    AddThreeRules();
    ClickRowHeading(2);
    QCOMPARE(PopupEnabling(), (Enabling{true, true, true, false, true, true}));
    Grid().SpreadsheetMenuCopyClick();
    ClickRowHeading(2);
    QCOMPARE(PopupEnabling(), (Enabling{true, true, true, true, true, true}));
    ClickRowHeading(4);  // the empty row after the rules
    QCOMPARE(PopupEnabling(), (Enabling{true, false, false, true, false, false}));
    Book().SetText(kRuleTextSheet, 3, 1, "");
    ClickRowHeading(3);
    QCOMPARE(PopupEnabling(), (Enabling{true, false, false, true, true, false}));
    ClickColumnHeading(2);
    QCOMPARE(PopupEnabling(), (Enabling{true, false, false, false, false, false}));
    ClickCell(2, 2);
    QCOMPARE(PopupEnabling(), (Enabling{true, false, false, false, false, false}));
    QCOMPARE(Find<QAction>("SpreadsheetMenuAutosize")->text(), QString("Auto&si&ze"));

    ClickRowHeading(1);  // a right click keeps the selection the popup acts on
    const QPoint cell = View()->visualRect(View()->model()->index(2, 3)).center();
    QTest::mousePress(View()->viewport(), Qt::RightButton, {}, cell);
    QContextMenuEvent popup(QContextMenuEvent::Mouse, cell, View()->viewport()->mapToGlobal(cell));
    QApplication::sendEvent(View()->viewport(), &popup);
    QVERIFY(Find<QMenu>("PopupMenu")->isVisible());
    QVERIFY(Enabled("SpreadsheetMenuCut"));
    QCOMPARE(Config().SelectedRow, 1);
    QCOMPARE(Active().Row, 1);
    Find<QMenu>("PopupMenu")->hide();

    ClickRowHeading(3);  // and so does a right click on the heading just clicked
    QHeaderView* heading = View()->verticalHeader();
    const QPoint onHeading(heading->width() / 2,
                           heading->sectionViewportPosition(2) + heading->sectionSize(2) / 2);
    QTest::mousePress(heading->viewport(), Qt::RightButton, {}, onHeading);
    QContextMenuEvent headingPopup(QContextMenuEvent::Mouse, onHeading,
                                   heading->viewport()->mapToGlobal(onHeading));
    QApplication::sendEvent(heading->viewport(), &headingPopup);
    QVERIFY(Find<QMenu>("PopupMenu")->isVisible());
    QVERIFY(Enabled("SpreadsheetMenuDelete"));
    QCOMPARE(Config().SelectedRow, 3);
    Find<QMenu>("PopupMenu")->hide();
  }

  void commandsWithoutARuleRowDoNothing() {
    AddThreeRules();
    for (const int row : {0, 4, -1, 70000}) {
      Config().SelectedRow = row;
      Grid().SpreadsheetMenuCutClick();
      Grid().SpreadsheetMenuCopyClick();
      Grid().SpreadsheetMenuDeleteClick();
      Grid().SpreadsheetMenuResetClick();
      Grid().MimicBookClick(row, row);
    }
    QCOMPARE(Config().RuleCount, 3);
    QVERIFY(!Config().ClipboardHoldsRule);
    Config().TargetRule = 0;
    Grid().AppendOrOverwrite(rkBoard);
    QCOMPARE(Config().RuleCount, 3);
  }

  void autosizeFitsTheWidestTextAndDraggedWidthsStay() {
    AddRules(8);
    Grid().SpreadsheetMenuAutosizeClick();
    const QFontMetrics metrics = View()->fontMetrics();
    for (int column = 1; column <= 9; ++column) {
      for (int row = 1; row <= 8; ++row) {
        const QString text = QString::fromStdString(Text(row, column));
        QVERIFY(View()->columnWidth(column - 1) > metrics.horizontalAdvance(text));
      }
    }
    View()->horizontalHeader()->resizeSection(2, 150);
    QCOMPARE(View()->PixelsOfWidth(Book().ColumnWidth(3)), 150);
    AddRule(Rule(9));
    QCOMPARE(View()->columnWidth(2), 150);
  }

  void screenshotOfTheGridWithRules() {
    AddRules(36);
    FForm->BothEditorAndDataClick();
    View()->scrollToTop();
    ClickCell(3, 1);
    QTest::qWait(20);
    const QString path = qEnvironmentVariable("TRV_SCREENSHOT_DIR");
    if (path.isEmpty()) return;
    QVERIFY(FForm->grab().save(path + "/rule-grid.png"));
    Grid().SpreadsheetMenuAutosizeClick();
    QTest::qWait(20);
    QVERIFY(FForm->grab().save(path + "/rule-grid-autosized.png"));
  }
};

QTEST_MAIN(GridTest)
#include "grid_test.moc"
