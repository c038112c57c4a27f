#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "controls/spin_control.h"
#include "editor/editor_state.h"
#include "editor/rule_list_commands.h"
#include "main_window_test.h"
#include "model/rule_workbook.h"
#include "screenshot.h"
#include "shell/tool_form.h"

using namespace trv;

class EventPageTest : public test::MainWindowTest {
  Q_OBJECT

 private:
  QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
  void Click(const char* name) { Find<QAbstractButton>(name)->click(); }
  void ShowEventPage() { Find<QTabWidget>("RulePageControl")->setCurrentIndex(epEvent); }
  void UseSystem(int model, int system) {
    FForm->Config().ControllerSettings.ModelIndex = model;
    FForm->Config().ControllerSettings.SystemIndex = static_cast<std::int8_t>(system);
    FForm->RefreshEditor(true);
  }
  void ChooseType(int index) {
    Find<QComboBox>("DeviceTypeComboBox")->setCurrentIndex(index);
    Find<QComboBox>("DeviceTypeComboBox")->activated(index);
  }
  void Shoot(const QString& name) { QVERIFY(test::SaveScreenshot(FForm->grab(), name)); }

 private slots:
  void init() { OpenWindow(); }
  void cleanup() { CloseWindow(); }

  void theWidgetsFollowTheStateAndForwardInput() {
    ShowEventPage();
    QTRY_VERIFY(Find<QWidget>("EventRuleTabSheet")->isAncestorOf(Find<QWidget>("OutputGroupBox")));
    QVERIFY(Box("EventFireCheckBox")->isChecked());
    QVERIFY(Box("EventEnabledCheckBox")->isHidden());
    QCOMPARE(Find<QLabel>("TypeLabel")->buddy(), Find<QWidget>("DeviceTypeComboBox"));

    Click("EventNonLoopCheckBox");
    QVERIFY(Box("EventAnyAddressCheckBox")->isHidden());
    QVERIFY(Find<QWidget>("DeviceTypePanel")->isHidden());
    QVERIFY(!Box("EventFireCheckBox")->isEnabled());
    QVERIFY(Box("EventFaultCheckBox")->isChecked());
    QVERIFY(Box("EventDayCheckBox")->isEnabled());

    Click("EventAnyLoopCheckBox");
    Click("ModuleRadioButton");
    QCOMPARE(Find<QComboBox>("DeviceTypeComboBox")->itemText(0), QString("Any module"));
    ChooseType(5);  // AUX
    QVERIFY(Box("EventNonFireCheckBox")->isChecked());
    QVERIFY(!Box("EventFireCheckBox")->isEnabled());
    Click("EventNonFireCheckBox");  // one event stays checked
    QVERIFY(Box("EventNonFireCheckBox")->isChecked());

    Find<QTabWidget>("EventPageControl")->setCurrentIndex(etNetwork);
    QCOMPARE(FForm->Editor().Event.Tab, etNetwork);
    QVERIFY(FForm->Editor().Input.NetworkZone());
    QTRY_VERIFY(Find<QWidget>("DeviceTypePanel")->isVisible());
    QVERIFY(!Find<TSpinControl>("EventReferenceCSpinEdit")->isEnabled());
  }

  void aSetRuleShowsInTheGridAndComesBackOnAClick() {
    ShowEventPage();
    Click("EventSpecificPanelCheckBox");
    Find<TSpinControl>("EventPanelCSpinEdit")->SetValue(3);
    Click("EventGeneralCheckBox");
    Click("EventPowerOKCheckBox");
    Click("EventSetRuleBitBtn");
    QCOMPARE(FForm->Config().RuleCount, 1);
    const RuleRecord set = FForm->Config().StoredRule(1);
    QCOMPARE(set.Kind, static_cast<std::int32_t>(rkEventGeneral));
    QCOMPARE(set.Panel, 3);

    Click("EventAnyPanelCheckBox");  // a panel choice first: "General Event" keeps the page
    Click("EventGeneralCheckBox");
    QVERIFY(!Box("EventGeneralCheckBox")->isChecked());
    FForm->Config().MimicBook.SetActiveCell(1, 1);
    FForm->RuleList().MimicBookClick(1, 1);
    QTRY_VERIFY(Box("EventGeneralCheckBox")->isChecked());
    QCOMPARE(Find<TSpinControl>("EventPanelCSpinEdit")->GetValue(), 3);
    QVERIFY(Box("EventPowerOKCheckBox")->isChecked());
    QVERIFY(Box("EventAnyLoopCheckBox")->isHidden());
    QCOMPARE(FForm->Editor().CaptureEventRule(set), set);
  }

  void screenshotsOfTheEventPage() {
    const auto shoot = [&](const QString& name) {
      for (int width : {TToolForm::kMinimumWidth, TToolForm::kInitialWidth}) {
        FForm->resize(width, TToolForm::kInitialHeight);
        QTRY_COMPARE(FForm->width(), width);
        Shoot(QString("event-page-%1-%2").arg(name).arg(width));
      }
    };
    ShowEventPage();
    UseSystem(0, kSystemKP10);
    shoot("kp10-local");
    UseSystem(0, kSystemKP6000);
    shoot("kp6000-local");
    Click("EventSpecificPanelCheckBox");
    Click("EventVirtualLoopCheckBox");
    Click("ModuleRadioButton");
    QVERIFY(Box("EventVirtualLoopCheckBox")->isChecked());
    shoot("kp6000-virtual");
    Click("EventGeneralCheckBox");
    shoot("kp6000-general");
    Find<QTabWidget>("EventPageControl")->setCurrentIndex(etNetwork);
    QCOMPARE(Find<QComboBox>("DeviceTypeComboBox")->count(), 11);  // no virtual loops there
    shoot("kp6000-network");
  }
};

QTEST_MAIN(EventPageTest)
#include "event_page_test.moc"
