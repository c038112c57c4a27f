#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "controls/spin_control.h"
#include "editor/controller_state.h"
#include "editor/editor_state.h"
#include "main_window_test.h"
#include "model/string_ids.h"
#include "model/string_table.h"
#include "screenshot.h"
#include "shell/tool_form.h"

using namespace trv;

class ControllerPageTest : public test::MainWindowTest {
  Q_OBJECT

 private:
  QTabWidget* Pages() { return Find<QTabWidget>("RulePageControl"); }
  QTabBar* LinkTabs() { return Find<QTabBar>("tbcRelayDrivingLinks"); }
  TSpinControl* Spin(const char* name) { return Find<TSpinControl>(name); }
  bool Shown(const char* name) { return Find<QWidget>(name)->isVisible(); }
  void Choose(const char* comboName, int index) {
    auto* combo = Find<QComboBox>(comboName);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  bool RulePagesOffered() {
    for (int page = epBoard; page <= epEvent; ++page) {
      if (!Pages()->isTabVisible(page)) return false;
    }
    return true;
  }
  void Shoot(const QString& name) {
    if (!test::ScreenshotsWanted()) return;
    for (int width : {TToolForm::kMinimumWidth, TToolForm::kInitialWidth}) {
      FForm->resize(width, TToolForm::kInitialHeight);
      QTRY_COMPARE(FForm->width(), width);
      auto* description = Find<QWidget>("DescriptionGroupBox");  // laid out after a hide
      QTRY_COMPARE(description->height(), description->sizeHint().height());
      QVERIFY(test::SaveScreenshot(FForm->grab(), QString("%1-%2").arg(name).arg(width)));
    }
  }

 private slots:
  void init() { OpenWindow(); }
  void cleanup() { CloseWindow(); }

  void startsWithOnlyTheControllerPage() {
    QVERIFY(!RulePagesOffered());
    QCOMPARE(Pages()->currentWidget()->objectName(), QString("ControllerTabSheet"));
    QCOMPARE(Find<QComboBox>("ControllerSystemComboBox")->currentText(), QString("KP6000"));
    QCOMPARE(Find<QComboBox>("ControllerBuzzerComboBox")->itemText(1), QString("Local Mute "));
    QCOMPARE(Find<QLabel>("ControllerModelLabel")->buddy(),
             Find<QWidget>("ControllerModelComboBox"));
    QCOMPARE(Find<QLabel>("ControllerBoardLabel")->buddy(), Spin("ControllerBoardCSpinEdit"));
    QVERIFY(Find<QCheckBox>("ControllerAddressDIPCheckBox")->isChecked());
    QVERIFY(Find<QRadioButton>("LocalZoneRadioButton")->isChecked());
    QVERIFY(!Shown("ListenOnly"));
    QVERIFY(!Shown("ControllerMuteComboBox") && !Shown("BuzzerControlCheckBox"));
    QVERIFY(Shown("MimicControllerOutputGroupBox") && !Shown("RCUControllerOutputGroupBox"));
    QCOMPARE(Find<QCheckBox>("MimicControllerRelayLink13CheckBox")->text(), QString("25..32"));
    QCOMPARE(LinkTabs()->count(), 8);
    QCOMPARE(LinkTabs()->tabText(7), QString("8"));
  }

  void widgetsForwardInputAndFollowTheState() {
    QTest::mouseClick(Find<QCheckBox>("ControllerAddressSoftCheckBox"), Qt::LeftButton);
    QTRY_VERIFY(Shown("ListenOnly"));
    QVERIFY(Spin("ControllerAddressCSpinEdit")->isEnabled());
    Spin("ControllerAddressCSpinEdit")->SetValue(7);
    QCOMPARE(FForm->Config().ControllerSettings.SoftAddress, 7);
    QVERIFY(!Shown("ListenOnly"));

    Choose("ControllerSystemComboBox", kSystemKP4000);
    QVERIFY(!Find<QCheckBox>("VdSCheckBox")->isEnabled());
    QVERIFY(!Find<QRadioButton>("NetworkZoneRadioButton")->isEnabled());

    Spin("ControllerBoardCSpinEdit")->SetValue(3);
    QCOMPARE(LinkTabs()->count(), 3);
    Choose("ControllerModelComboBox", 1);  // "Slimline Mimic"
    QTRY_VERIFY(Shown("RCUControllerOutputGroupBox"));
    QVERIFY(Shown("ControllerMuteComboBox"));
    QCOMPARE(Find<QCheckBox>("RCUControllerRelayLink15CheckBox")->text(), QString("16"));
    QCOMPARE(Find<QLabel>("BoardTypeLabel")->text(),
             QString::fromStdString(ActiveText(string_id::kMainBoard)));
    LinkTabs()->setCurrentIndex(1);
    QCOMPARE(FForm->Controller().RelayLinks.SelectedTab, 1);
    QCOMPARE(Find<QLabel>("BoardTypeLabel")->text(),
             QString::fromStdString(ActiveText(string_id::kExpansionBoard)));

    Choose("ControllerBuzzerComboBox", 0);
    QTRY_VERIFY(!Shown("BuzzerOptionsPanel"));
    QVERIFY(FForm->Config().Modified);
  }

  // The report names the unit as typed, before the edit box is left.
  void theUnitNameShownIsTheEditBoxText() {
    auto* unit = Find<QLineEdit>("ControllerUnitEdit");
    unit->setFocus();
    unit->selectAll();
    QTest::keyClicks(unit, "East");
    QCOMPARE(FForm->UnitNameShown(), std::string("East"));
    QCOMPARE(FForm->Config().ControllerSettings.UnitName, std::string("Mimic1"));
    QTest::keyClick(unit, Qt::Key_Return);
    QCOMPARE(FForm->Config().ControllerSettings.UnitName, std::string("East"));
  }

  void setControllerOffersTheRulePagesAndLocksTheSystem() {
    SetController();
    QTRY_VERIFY(RulePagesOffered());
    QVERIFY(!Find<QComboBox>("ControllerSystemComboBox")->isEnabled());
    QVERIFY(!Find<QPushButton>("ControllerSetBitBtn")->isEnabled());
    Pages()->setCurrentIndex(epZonal);
    QCOMPARE(Pages()->currentWidget()->objectName(), QString("ZonalRuleTabSheet"));

    FQueries->ExpectMessage(MessageAnswer::Ok);
    QTest::mouseClick(Find<QCheckBox>("MimicControllerRelayLink00CheckBox"), Qt::LeftButton);
    QCOMPARE(FQueries->LastMessage().Text, ActiveText(string_id::kRelayLinkWarning));
    QCOMPARE(FForm->Config().ControllerSettings.RelayLinks[0], 1);
  }

  void aDeleteMovesTheSystemUpToTheRequiredOne() {
    Choose("ControllerSystemComboBox", kSystemKP10);
    FForm->ShowRequiredSystem(kSystemKP4000);
    QCOMPARE(Find<QComboBox>("ControllerSystemComboBox")->currentIndex(), kSystemKP4000);
  }

  void screenshotsOfTheControllerPage() {
    Shoot("controller-page-model0");
    Choose("ControllerBuzzerComboBox", 0);
    Shoot("controller-page-model0-buzzer-disabled");
    Choose("ControllerBuzzerComboBox", 1);
    Choose("ControllerModelComboBox", 1);
    Shoot("controller-page-model4");
    SetController();
    QTRY_VERIFY(RulePagesOffered());
    Shoot("controller-page-model4-set");
  }
};

QTEST_MAIN(ControllerPageTest)
#include "controller_page_test.moc"
