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

#include "editor/rule_list_commands.h"
#include "editor/ui/rule_grid.h"
#include "editor/ui/rule_grid_view.h"
#include "main_window_test.h"
#include "model/string_ids.h"
#include "sample_rules.h"
#include "screenshot.h"
#include "shell/tool_form.h"
#include "shell/ui_text.h"

using namespace trv;

namespace {

using test::SampleRule;

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
  TRuleListCommands& RuleList() { return FForm->RuleList(); }
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
    QVERIFY(RuleList().ChooseTargetRow());
    RuleList().AppendOrOverwrite(static_cast<RuleKind>(rule.Kind));
  }
  void AddRules(int count) {
    for (int n = 1; n <= count; ++n) AddRule(SampleRule(n));
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
    RuleList().SpreadsheetMenuCutClick();
    ClickRowHeading(4);
    RuleList().SpreadsheetMenuPasteClick();
    ClickRowHeading(1);
    FQueries->ExpectMessage(MessageAnswer::Ok);
    RuleList().SpreadsheetMenuDeleteClick();
    ClickRowHeading(5);
    FQueries->ExpectMessage(MessageAnswer::Ok);
    RuleList().SpreadsheetMenuResetClick();
    Grid().SpreadsheetMenuAutosizeClick();
    Config().MimicBook = Workbook();  // a read file or a Get replaces the whole workbook
    QCOMPARE(View()->model()->rowCount(), 0);
    RuleList().SetUpWorkbook(false);
    QCOMPARE(View()->model()->rowCount(), Config().RuleCount + 1);
    RuleList().SetUpWorkbook(true);
    QCOMPARE(View()->model()->columnCount(), 9);
  }

  void modelShowsTheHeadedRuleTextSheet() {
    const QAbstractItemModel* model = View()->model();
    QCOMPARE(model->rowCount(), 1);  // the row for the first rule
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Rule"));
    QCOMPARE(model->headerData(8, Qt::Horizontal).toString(), QString("Channel"));
    AddThreeRules();
    QCOMPARE(model->index(1, 0).data().toString(), QString("Event (Local)"));
    QCOMPARE(model->headerData(3, Qt::Vertical).toInt(), 4);
    Config().RuleCount = 0;
    RuleList().SetUpWorkbook(true);
    QCOMPARE(model->rowCount(), 1);
  }

  // The window shows what the commands report: the rule list menus and the grid's focus.
  void setRuleAndDeleteEnableTheRuleListMenusAndFocusTheGrid() {
    FForm->EnableRuleListCommands(false);
    AddRule(SampleRule(1));
    QVERIFY(Enabled("MenuFileSaveAs") && Enabled("MenuFilePrint") &&
            Enabled("MenuConnectSendRules"));
    QVERIFY(View()->hasFocus());
    ClickRowHeading(1);
    FQueries->ExpectMessage(MessageAnswer::Ok);
    RuleList().SpreadsheetMenuDeleteClick();
    QCOMPARE(Config().RuleCount, 0);
    QVERIFY(!Enabled("MenuFileSaveAs") && !Enabled("MenuFilePrint") &&
            !Enabled("MenuConnectSendRules"));
  }

  void popupEntriesRunTheCommands() {
    AddThreeRules();
    ClickRowHeading(2);
    FQueries->ExpectMessage(MessageAnswer::Ok);
    Find<QAction>("SpreadsheetMenuReset")->trigger();
    QCOMPARE(Kind(2), rkCleared);
    QCOMPARE(Caption(), UiText(string_id::kMimicRules));
  }

  void clicksLoadRulesAndSelectHeadings() {
    AddRules(4);
    ClickCell(4, 2);
    QCOMPARE(Page(), QString("BoardRuleTabSheet"));
    QCOMPARE(Caption(), QString("Rule 4"));
    ClickCell(1, 5);
    QCOMPARE(Page(), QString("ZonalRuleTabSheet"));
    QCOMPARE(Config().WorkingRule, SampleRule(1));
    QVERIFY(FForm->windowTitle().endsWith("Zonal Rule"));
    ClickCell(3, 1);
    QCOMPARE(Page(), QString("EventRuleTabSheet"));
    ClickCell(5, 1);
    QCOMPARE(Caption(), UiText(string_id::kMimicRules));

    ClickColumnHeading(4);
    QCOMPARE(Config().SelectedColumn, 4);
    QCOMPARE(Config().SelectedRow, 0);
    ClickRowHeading(3);
    QCOMPARE(Config().SelectedRow, 3);
    QCOMPARE(Config().SelectedColumn, 0);
    QCOMPARE(Book().Selection(), (CellRange{3, 1, 3, kMaxColumns}));
    RuleList().MimicBookClick(0, 0);
    QCOMPARE(Config().SelectedRow, 0);
  }

  void aGroupOfRowsOrAMoveSelectsNoRule() {
    AddRules(40);
    ClickRowHeading(1);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Book().Selection().LastRow, 2);
    QCOMPARE(Caption(), UiText(string_id::kMimicRules));
    QCOMPARE(PopupEnabling(), (Enabling{true, false, false, false, false, false}));
    ClickRowHeading(2);
    Key(Qt::Key_PageDown);
    QVERIFY(Active().Row > 2);
    QCOMPARE(Config().SelectedRow, 0);
    ClickRowHeading(2);
    Config().WorkingRule = {};
    QTest::keyClick(View(), Qt::Key_A, Qt::ControlModifier);  // every cell
    QCOMPARE(Caption(), UiText(string_id::kMimicRules));
    QCOMPARE(Config().WorkingRule.Kind, rkInvalid);
    QCOMPARE(PopupEnabling(), (Enabling{true, false, false, false, false, false}));
    Config().SelectedRow = 2;
    RuleList().SpreadsheetMenuCutClick();
    QCOMPARE(Config().RuleCount, 40);

    ClickCell(1, 2);  // then a Shift+click on the empty row below the rules
    const QModelIndex last = View()->model()->index(40, 1);
    View()->scrollTo(last);
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      View()->visualRect(last).center());
    QCOMPARE(Book().Selection(), (CellRange{1, 2, 41, 2}));
    QCOMPARE(Caption(), UiText(string_id::kMimicRules));
    QCOMPARE(Config().WorkingRule, SampleRule(1));
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

  // The keys reach the commands, and the view shows the cell they move to.
  void arrowKeysMoveTheActiveCell() {
    AddThreeRules();
    ClickCell(4, 1);
    Key(Qt::Key_Down);
    QCOMPARE(Active(), (CellRef{4, 1}));
    Key(Qt::Key_Up);
    QCOMPARE(Active(), (CellRef{3, 1}));
    QCOMPARE(Caption(), QString("Rule 3"));
    Key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(Active(), (CellRef{3, 9}));

    ClickCell(1, 2);
    Key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(Active(), (CellRef{3, 2}));  // the last row with data
    Key(Qt::Key_Up, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(Active(), (CellRef{1, 2}));
    QCOMPARE(View()->currentIndex(), View()->model()->index(0, 1));
  }

  void popupShowsTheEnablingOfTheSelection() {
    ClickRowHeading(1);
    QCOMPARE(PopupEnabling(), (Enabling{}));  // no rules
    AddThreeRules();
    ClickRowHeading(2);
    QCOMPARE(PopupEnabling(), (Enabling{true, true, true, false, true, true}));
    ClickRowHeading(4);  // the empty row after the rules
    QCOMPARE(PopupEnabling(), (Enabling{true, false, false, false, false, false}));
    ClickColumnHeading(2);
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
    AddRule(SampleRule(9));
    QCOMPARE(View()->columnWidth(2), 150);
  }

  void screenshotOfTheGridWithRules() {
    AddRules(36);
    FForm->BothEditorAndDataClick();
    View()->scrollToTop();
    ClickCell(3, 1);
    QTRY_VERIFY(View()->viewport()->rect().contains(View()->visualRect(View()->currentIndex())));
    if (!test::ScreenshotsWanted()) return;
    QVERIFY(test::SaveScreenshot(FForm->grab(), "rule-grid"));
    Grid().SpreadsheetMenuAutosizeClick();
    QTRY_VERIFY(View()->columnWidth(0) == View()->PixelsOfWidth(Book().ColumnWidth(1)));
    QVERIFY(test::SaveScreenshot(FForm->grab(), "rule-grid-autosized"));
  }
};

QTEST_MAIN(GridTest)
#include "grid_test.moc"
