#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "controls/spin_control.h"
#include "editor/editor_state.h"
#include "editor/rule_list_commands.h"
#include "main_window_test.h"
#include "model/controller_settings.h"
#include "model/rule_workbook.h"
#include "screenshot.h"
#include "shell/tool_form.h"

using namespace trv;

class RulePagesTest : public test::MainWindowTest {
  Q_OBJECT

 private:
  QTabWidget* Pages() { return Find<QTabWidget>("RulePageControl"); }
  TSpinControl* Spin(const char* name) { return Find<TSpinControl>(name); }
  bool OnPage(const char* control, const char* page) {
    return Find<QWidget>(page)->isAncestorOf(Find<QWidget>(control));
  }
  void ShowPage(EditorPage page) { Pages()->setCurrentIndex(page); }
  std::string Text(int row, int column) {
    return FForm->Config().MimicBook.Text(kRuleTextSheet, row, column);
  }
  // A new window whose controller is set with the model.
  void UseModel(int model) {
    CloseWindow();
    OpenWindow();
    auto* combo = Find<QComboBox>("ControllerModelComboBox");
    const int position = combo->findText(QString::fromUtf8(kControllerModels[model].data()));
    combo->setCurrentIndex(position);
    emit combo->activated(position);
    SetController();
  }
  void Shoot(const QString& name) { QVERIFY(test::SaveScreenshot(FForm->grab(), name)); }

 private slots:
  void init() {
    OpenWindow();
    SetController();
  }
  void cleanup() { CloseWindow(); }

  void sharedGroupsMoveOntoTheActivePage() {
    ShowPage(epBoard);
    QVERIFY(OnPage("InputSourceGroupBox", "BoardRuleTabSheet"));
    QVERIFY(OnPage("OutputGroupBox", "BoardRuleTabSheet"));
    QVERIFY(Find<QWidget>("BankOutputPanel")->isHidden());
    QVERIFY(!Spin("LastZoneCSpinEdit")->isEnabled());
    QCOMPARE(Spin("LastZoneCSpinEdit")->GetValue(), 64);
    QVERIFY(!Find<QTabWidget>("OutputPageControl")->isTabVisible(otDriver));
    QCOMPARE(Find<QComboBox>("BoardEventComboBox")->itemText(1),
             QString("Fire & Fault/Test/Disable"));

    ShowPage(epZonal);
    QVERIFY(OnPage("InputSourceGroupBox", "ZonalRuleTabSheet"));
    QVERIFY(OnPage("OutputGroupBox", "ZonalRuleTabSheet"));
    QTRY_VERIFY(Find<QWidget>("BankOutputPanel")->isVisible());
    QVERIFY(Find<QWidget>("EventModifierGroupBox")->isHidden());
    QCOMPARE(Find<QLineEdit>("TerminationEdit")->text(), QString("   1"));
    QCOMPARE(Find<QLabel>("OutputLabel")->text(), QString("LED"));
    QCOMPARE(Find<QLabel>("PanelLabel")->buddy(), Spin("PanelCSpinEdit"));

    ShowPage(epEvent);
    QVERIFY(OnPage("OutputGroupBox", "EventRuleTabSheet"));
    QTRY_VERIFY(Find<QWidget>("EventModifierGroupBox")->isVisible());
  }

  // Network zones are offered on the rule pages when the controller takes its zones from the
  // network.
  void widgetsForwardInputAndFollowTheState() {
    CloseWindow();
    OpenWindow();
    QTest::mouseClick(Find<QRadioButton>("NetworkZoneRadioButton"), Qt::LeftButton);
    SetController();
    ShowPage(epZonal);
    QTest::mouseClick(Find<QCheckBox>("NetworkZoneCheckBox"), Qt::LeftButton);
    QVERIFY(FForm->Editor().Input.NetworkZone());
    QVERIFY(!Find<QCheckBox>("LocalZoneCheckBox")->isChecked());
    QVERIFY(!Spin("PanelCSpinEdit")->isEnabled());
    QVERIFY(!Find<QLabel>("PanelLabel")->isEnabled());

    Spin("TerminationOutputCSpinEdit")->SetValue(40);  // clamped by the field
    QCOMPARE(FForm->Editor().Output.TerminationOutput.Value(), 32);
    QCOMPARE(Spin("TerminationOutputCSpinEdit")->GetValue(), 32);
    QCOMPARE(Find<QLineEdit>("TerminationEdit")->text(), QString("  32"));
    Spin("FirstZoneCSpinEdit")->SetValue(12);
    QCOMPARE(Spin("LastZoneCSpinEdit")->GetMin(), 12);

    Find<QTabWidget>("OutputPageControl")->setCurrentIndex(otDriver);
    QCOMPARE(FForm->Editor().Output.Tab, otDriver);
    QVERIFY(Find<QLabel>("DriverBankLabel")->isHidden());
  }

  void setRulesShowInTheGridAndComeBackOnAClick() {
    ShowPage(epBoard);
    Find<QComboBox>("BoardEventComboBox")->setCurrentIndex(1);
    Find<QComboBox>("BoardEventComboBox")->activated(1);
    Spin("FirstZoneCSpinEdit")->SetValue(33);
    Spin("TerminationBoardCSpinEdit")->SetValue(3);
    QTest::mouseClick(Find<QPushButton>("BoardSetRuleBitBtn"), Qt::LeftButton);
    QCOMPARE(Text(1, 1), std::string("Board"));
    QCOMPARE(Text(1, 4), std::string("(33..64)"));
    QVERIFY(!Find<QCheckBox>("NetworkZoneCheckBox")->isEnabled());

    ShowPage(epZonal);
    Spin("TerminationBoardCSpinEdit")->SetValue(2);
    QTest::mouseClick(Find<QCheckBox>("SteadyCheckBox"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>("ZonalSetRuleBitBtn"), Qt::LeftButton);
    QCOMPARE(Text(2, 8), std::string("T. Board 2, Bank 1, Output 1"));
    QCOMPARE(Text(2, 9), std::string("LED  65 (steady)"));

    FForm->Config().MimicBook.SetActiveCell(1, 1);
    FForm->RuleList().MimicBookClick(1, 1);
    QTRY_COMPARE(Pages()->currentWidget()->objectName(), QString("BoardRuleTabSheet"));
    QCOMPARE(Spin("FirstZoneCSpinEdit")->GetValue(), 33);
    QCOMPARE(Spin("TerminationBoardCSpinEdit")->GetValue(), 3);
    QCOMPARE(Find<QComboBox>("BoardEventComboBox")->currentIndex(), 1);
    QCOMPARE(Find<QGroupBox>("CBEGroupBox")->title(), QString("Rule 1"));
  }

  // A language module renames the controls it finds by name: those of the copy in view.
  void captionsGivenByNameFollowTheSharedGroupsToEveryPage() {
    ShowPage(epBoard);
    Find<QCheckBox>("SteadyCheckBox")->setText("Fest");
    Find<QGroupBox>("OutputGroupBox")->setTitle("Ausgang");
    ShowPage(epEvent);
    QVERIFY(OnPage("SteadyCheckBox", "EventRuleTabSheet"));
    QCOMPARE(Find<QCheckBox>("SteadyCheckBox")->text(), QString("Fest"));
    QCOMPARE(Find<QGroupBox>("OutputGroupBox")->title(), QString("Ausgang"));
  }

  void screenshotsOfTheRulePages() {
    for (int model : {0, 4}) {
      UseModel(model);
      for (EditorPage page : {epBoard, epZonal}) {
        ShowPage(page);
        for (int width : {TToolForm::kMinimumWidth, TToolForm::kInitialWidth}) {
          FForm->resize(width, TToolForm::kInitialHeight);
          QTRY_COMPARE(FForm->width(), width);
          Shoot(QString("rule-page-%1-model%2-%3")
                    .arg(page == epBoard ? "board" : "zonal")
                    .arg(model)
                    .arg(width));
        }
      }
    }
  }
};

QTEST_MAIN(RulePagesTest)
#include "rule_pages_test.moc"
