#include "controls/spin_control.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <limits>

#include "controls/slider_control.h"

using namespace trv;

namespace {

// Counts the beeps of refused characters and the OnChange calls.
class ProbeSpinControl : public TSpinControl {
 public:
  int beeps = 0;
  int changes = 0;

  explicit ProbeSpinControl(TControlPartSet options = {}) {
    SetControlOptions(options);
    OnChange = [this](QObject&) { ++changes; };
  }

 protected:
  void Beep() override { ++beeps; }
};

template <typename T>
T& Part(const QWidget& spin, const char* name) {
  T* part = spin.findChild<T*>(name);
  if (!part) qFatal("no part named %s", name);
  return *part;
}

QTimer& Timer(const TSpinControl& spin) {
  return Part<QTimer>(spin, "DebounceTimer");
}
QFrame& Strip(const TSpinControl& spin) {
  return Part<QFrame>(spin, "QuickSelectStrip");
}
QWidget& UpDown(const TSpinControl& spin) {
  return Part<QWidget>(spin, "UpDownButtons");
}
QToolButton& SliderButton(const TSpinControl& spin) {
  return Part<QToolButton>(spin, "SliderButton");
}
QWidget& StripBar(const TSpinControl& spin) {
  return Part<QWidget>(spin, "StripBar");
}
TfrmSliderControl* Popup(const TSpinControl& spin) {
  return spin.findChild<TfrmSliderControl*>("frmSliderControl");
}

QToolButton& ArrowButton(const TSpinControl& spin, Qt::ArrowType arrow) {
  for (QToolButton* button : UpDown(spin).findChildren<QToolButton*>()) {
    if (button->arrowType() == arrow) return *button;
  }
  qFatal("no arrow button");
}

// Both stages of the debounce timer, as its ticks would run them.
void TickToCommit(TSpinControl& spin) {
  spin.TimerEvent(Timer(spin));
  spin.TimerEvent(Timer(spin));
}

void ShowFocused(TSpinControl& spin) {
  spin.show();
  QVERIFY(QTest::qWaitForWindowExposed(&spin));
  spin.activateWindow();
  spin.setFocus();
  QVERIFY(QTest::qWaitForWindowActive(&spin));
}

void TypeOver(TSpinControl& spin, const char* keys) {
  spin.selectAll();
  QTest::keyClicks(&spin, keys);
}

}  // namespace

class SpinControlTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void constructionShowsZeroWithoutParts() {
    ProbeSpinControl spin;
    QCOMPARE(spin.text(), QString("0"));
    QCOMPARE(spin.ControlOptions(), TControlPartSet());
    QCOMPARE(spin.width(), TSpinControl::kInitialWidth - 2 * TSpinControl::kButtonWidth);
    QCOMPARE(spin.height(), spin.GetMinHeight());
    QVERIFY(Strip(spin).isHidden() && UpDown(spin).isHidden() && SliderButton(spin).isHidden());
    QCOMPARE(spin.GetMin(), 0);
    QCOMPARE(spin.GetMax(), 100);
    QCOMPARE(spin.GetIncrement(), 1);
    QCOMPARE(spin.TrackBarWidth(), 130);
    QVERIFY(!Timer(spin).isActive());
    QCOMPARE(Timer(spin).interval(), TSpinControl::kShortInterval);
    QCOMPARE(spin.changes, 0);
  }

  void controlOptionsGrowAndShrinkByEachPart() {
    ProbeSpinControl spin;
    const QSize bare = spin.size();
    spin.SetControlOptions({cpUpDown});
    QCOMPARE(spin.size(), bare + QSize(12, 0));
    QVERIFY(!UpDown(spin).isHidden() && SliderButton(spin).isHidden() && Strip(spin).isHidden());
    spin.SetControlOptions({cpUpDown, cpSlider, cpQuickSelect});
    QCOMPARE(spin.size(), bare + QSize(24, 4));
    QCOMPARE(spin.ControlOptions().Bits(), 0b111);
    spin.SetControlOptions({cpSlider});
    QCOMPARE(spin.size(), bare + QSize(12, 0));
    QCOMPARE(spin.ControlOptions().Bits(), 0b100);
    QCOMPARE(spin.changes, 0);
  }

  void layoutPlacesThePartsInsideTheEdge() {
    ProbeSpinControl spin({cpQuickSelect, cpUpDown, cpSlider});
    spin.resize(100, 30);
    spin.show();
    QCOMPARE(SliderButton(spin).geometry(), QRect(86, 2, 12, 22));
    QCOMPARE(UpDown(spin).geometry(), QRect(74, 2, 12, 22));
    QCOMPARE(Strip(spin).geometry(), QRect(2, 24, 96, 4));
    QCOMPARE(spin.EditRect(), QRect(0, 0, 70, 23));
    spin.SetControlOptions({cpUpDown});
    QCOMPARE(spin.size(), QSize(88, 26));
    QCOMPARE(UpDown(spin).geometry(), QRect(74, 2, 12, 22));
    QCOMPARE(spin.EditRect(), QRect(0, 0, 70, 23));
  }

  void heightNeverBelowTheTextsHeight() {
    ProbeSpinControl spin({cpQuickSelect});
    const int least = QFontMetrics(spin.font()).height() * 5 / 4 + 6 + 4;
    QVERIFY(spin.GetMinHeight() >= least - 1 && spin.GetMinHeight() <= least + 1);
    spin.show();
    spin.resize(80, 3);
    QCOMPARE(spin.height(), spin.GetMinHeight());
    QCOMPARE(spin.minimumSizeHint().height(), spin.GetMinHeight());
  }

  void fullTextRefusesDigitUntilSelected() {
    ProbeSpinControl spin;
    spin.SetMin(2);
    spin.SetMax(120);
    spin.SetValue(120);
    ShowFocused(spin);
    spin.deselect();
    spin.end(false);
    spin.changes = 0;
    QTest::keyClick(&spin, '5');
    QCOMPARE(spin.text(), QString("120"));
    QCOMPARE(spin.beeps, 1);
    QVERIFY(!Timer(spin).isActive());

    QElapsedTimer clock;
    clock.start();
    TypeOver(spin, "5");
    QCOMPARE(spin.text(), QString("5"));
    QCOMPARE(spin.GetValue(), 120);
    QTRY_COMPARE_WITH_TIMEOUT(spin.GetValue(), 5, 3000);
    QVERIFY(clock.elapsed() >= 1400);
    QCOMPARE(spin.changes, 1);
    QCOMPARE(spin.beeps, 1);
  }

  void typedEntryOverMaxBecomesMax() {
    ProbeSpinControl spin;
    spin.SetMin(2);
    spin.SetMax(120);
    ShowFocused(spin);
    spin.changes = 0;
    TypeOver(spin, "150");
    QCOMPARE(spin.text(), QString("150"));
    QCOMPARE(spin.changes, 0);
    spin.TimerEvent(Timer(spin));
    QVERIFY(Timer(spin).isActive());
    QCOMPARE(Timer(spin).interval(), TSpinControl::kLongInterval);
    QCOMPARE(spin.changes, 0);
    spin.TimerEvent(Timer(spin));
    QVERIFY(!Timer(spin).isActive());
    QCOMPARE(spin.GetValue(), 120);
    QCOMPARE(spin.text(), QString("120"));
    QCOMPARE(spin.changes, 1);
  }

  void acceptedKeystrokeRestartsTheShortStage() {
    ProbeSpinControl spin;
    ShowFocused(spin);
    TypeOver(spin, "1");
    spin.TimerEvent(Timer(spin));
    QTest::keyClick(&spin, '2');
    QCOMPARE(Timer(spin).interval(), TSpinControl::kShortInterval);
    TickToCommit(spin);
    QCOMPARE(spin.GetValue(), 12);
    QCOMPARE(spin.changes, 1);
  }

  void backspacedEmptyTextBecomesMinWithCaretAtEnd() {
    ProbeSpinControl spin;
    spin.SetMin(3);
    spin.SetValue(50);
    ShowFocused(spin);
    spin.end(false);
    spin.changes = 0;
    QTest::keyClick(&spin, Qt::Key_Backspace);
    QTest::keyClick(&spin, Qt::Key_Backspace);
    QCOMPARE(spin.text(), QString());
    QVERIFY(Timer(spin).isActive());
    TickToCommit(spin);
    QCOMPARE(spin.GetValue(), 3);
    QCOMPARE(spin.text(), QString("3"));
    QCOMPARE(spin.cursorPosition(), 1);
    QCOMPARE(spin.changes, 1);
  }

  void erasingWithoutTypingTakesOverAtOnce() {
    ProbeSpinControl spin;
    spin.SetMin(7);
    spin.SetValue(42);
    ShowFocused(spin);
    spin.changes = 0;
    spin.selectAll();
    QTest::keyClick(&spin, Qt::Key_Delete);
    QCOMPARE(spin.text(), QString("7"));
    QCOMPARE(spin.cursorPosition(), 1);
    QCOMPARE(spin.changes, 1);

    spin.SetValue(42);
    spin.changes = 0;
    spin.selectAll();
    spin.cut();
    QCOMPARE(spin.text(), QString("7"));
    QCOMPARE(spin.GetValue(), 7);
    QCOMPARE(spin.changes, 1);
    QCOMPARE(spin.beeps, 0);
  }

  void plusAndMinusStepFromTheValueTakenOver() {
    ProbeSpinControl spin;
    spin.SetIncrement(3);
    spin.SetValue(5);
    ShowFocused(spin);
    spin.changes = 0;
    TypeOver(spin, "7");
    QTest::keyClick(&spin, '+');
    QCOMPARE(spin.GetValue(), 8);
    QCOMPARE(spin.text(), QString("8"));
    QVERIFY(!Timer(spin).isActive());
    QCOMPARE(spin.changes, 1);

    QTest::keyClick(&spin, '-');
    QCOMPARE(spin.text(), QString("5"));
    QCOMPARE(spin.changes, 2);
    QCOMPARE(spin.beeps, 0);
  }

  void refusedCharacterCommitsPendingEntry_data() {
    QTest::addColumn<QString>("character");
    for (const char* character : {"a", "%", ".", " ", "\r"}) QTest::newRow(character) << character;
  }

  void refusedCharacterCommitsPendingEntry() {
    QFETCH(QString, character);
    ProbeSpinControl spin;
    ShowFocused(spin);
    spin.changes = 0;
    TypeOver(spin, "64");
    QTest::keyClick(&spin, character.front().toLatin1());
    QCOMPARE(spin.beeps, 1);
    QCOMPARE(spin.text(), QString("64"));
    QCOMPARE(spin.GetValue(), 64);
    QVERIFY(!Timer(spin).isActive());
    QCOMPARE(spin.changes, 1);
  }

  void arrowKeysAndButtonsStepWithinBounds() {
    ProbeSpinControl spin({cpUpDown});
    spin.SetMin(-5);
    spin.SetMax(5);
    spin.SetIncrement(4);
    ShowFocused(spin);
    spin.changes = 0;
    QTest::keyClick(&spin, Qt::Key_Up);
    QCOMPARE(spin.text(), QString("4"));
    QTest::keyClick(&spin, Qt::Key_Up);
    QCOMPARE(spin.GetValue(), 5);
    QTest::keyClick(&spin, Qt::Key_Up);
    QCOMPARE(spin.changes, 2);

    QTest::mouseClick(&ArrowButton(spin, Qt::DownArrow), Qt::LeftButton);
    QCOMPARE(spin.text(), QString("1"));
    QTest::mouseClick(&ArrowButton(spin, Qt::DownArrow), Qt::LeftButton);
    QTest::mouseClick(&ArrowButton(spin, Qt::DownArrow), Qt::LeftButton);
    QCOMPARE(spin.text(), QString("-5"));
    QTest::mouseClick(&ArrowButton(spin, Qt::UpArrow), Qt::LeftButton);
    QCOMPARE(spin.GetValue(), -1);
    QCOMPARE(spin.changes, 6);
  }

  void upDownClickTakesTheFocus() {
    QWidget form;
    QLineEdit other(&form);
    ProbeSpinControl* spin = new ProbeSpinControl({cpUpDown});
    spin->setParent(&form);
    spin->move(0, 40);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    other.setFocus();
    QTest::mouseClick(&ArrowButton(*spin, Qt::UpArrow), Qt::LeftButton);
    QVERIFY(spin->hasFocus());
    QCOMPARE(spin->GetValue(), 1);
  }

  void boundThatCrossesTheOtherBringsItAlong() {
    ProbeSpinControl spin;
    spin.SetMin(10);
    spin.SetMax(20);
    spin.SetValue(15);
    spin.SetMax(5);
    QCOMPARE(spin.GetMin(), 5);
    QCOMPARE(spin.GetMax(), 5);
    QCOMPARE(spin.text(), QString("5"));
    spin.SetMin(30);
    QCOMPARE(spin.GetMin(), 30);
    QCOMPARE(spin.GetMax(), 30);
    QCOMPARE(spin.GetValue(), 30);
  }

  void counterKeepsSixteenBits() {
    ProbeSpinControl spin;
    spin.SetMax(70000);
    QCOMPARE(spin.GetMax(), 70000 - 65536);
    spin.SetValue(-40000);
    QCOMPARE(spin.GetValue(), 4464);
    spin.SetMin(-32768);
    spin.SetMax(32767);
    spin.SetValue(-40000);
    QCOMPARE(spin.GetValue(), 25536);
    QCOMPARE(spin.text(), QString("25536"));
  }

  void stepsAndTypedEntriesDoNotWrapAround() {
    ProbeSpinControl spin;
    spin.SetMax(32767);
    spin.SetValue(32767);
    ShowFocused(spin);
    QTest::keyClick(&spin, '+');
    QCOMPARE(spin.GetValue(), 32767);
    spin.SetIncrement(std::numeric_limits<int>::max());
    spin.SetValue(3);
    QTest::keyClick(&spin, '-');
    QCOMPARE(spin.GetValue(), 0);
    TypeOver(spin, "40000");
    TickToCommit(spin);
    QCOMPARE(spin.GetValue(), 32767);
  }

  void trackBarWidthStaysWithinLimits() {
    ProbeSpinControl spin;
    spin.SetTrackBarWidth(10);
    QCOMPARE(spin.TrackBarWidth(), 50);
    spin.SetTrackBarWidth(5000);
    QCOMPARE(spin.TrackBarWidth(), 2000);
    spin.SetTrackBarWidth(300);
    QCOMPARE(spin.TrackBarWidth(), 300);
  }

  void singleValueRangeDisablesSliderAndStrip() {
    ProbeSpinControl spin({cpQuickSelect, cpSlider});
    spin.resize(44, spin.height());
    spin.SetMin(4);
    spin.SetMax(4);
    ShowFocused(spin);
    QVERIFY(!SliderButton(spin).isEnabled());
    QCOMPARE(StripBar(spin).width(), 0);
    QTest::mousePress(&SliderButton(spin), Qt::LeftButton);
    QVERIFY(!Popup(spin));
    QTest::mouseRelease(&SliderButton(spin), Qt::LeftButton);
    spin.changes = 0;
    QTest::mouseClick(&Strip(spin), Qt::LeftButton, {}, QPoint(39, 2));
    QCOMPARE(spin.GetValue(), 4);
    QCOMPARE(spin.changes, 0);
    spin.SetEnabled(false);
    spin.SetEnabled(true);
    QVERIFY(!SliderButton(spin).isEnabled());
    spin.SetMax(9);
    QVERIFY(SliderButton(spin).isEnabled());
  }

  void enabledStateCoversAllParts() {
    ProbeSpinControl spin({cpQuickSelect, cpUpDown, cpSlider});
    spin.SetEnabled(false);
    QVERIFY(!spin.GetEnabled());
    QVERIFY(!UpDown(spin).isEnabled() && !SliderButton(spin).isEnabled() &&
            !Strip(spin).isEnabled());
    spin.SetEnabled(true);
    QVERIFY(spin.GetEnabled());
    QVERIFY(UpDown(spin).isEnabled() && SliderButton(spin).isEnabled() && Strip(spin).isEnabled());
  }

  void stripPressSetsValueByPosition_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("value");
    QTest::newRow("left edge") << 0 << 0;
    QTest::newRow("second pixel") << 1 << 1;
    QTest::newRow("middle") << 20 << 5;
    QTest::newRow("near the right edge") << 37 << 10;
    QTest::newRow("last pixel") << 39 << 10;
  }

  void stripPressSetsValueByPosition() {
    QFETCH(int, x);
    QFETCH(int, value);
    ProbeSpinControl spin({cpQuickSelect});
    spin.resize(44, spin.height());
    spin.SetMax(10);
    spin.SetValue(3);
    ShowFocused(spin);
    QCOMPARE(Strip(spin).width(), 40);
    QTest::mousePress(&Strip(spin), Qt::LeftButton, {}, QPoint(x, 2));
    QCOMPARE(spin.GetValue(), value);
    QTest::mouseRelease(&Strip(spin), Qt::LeftButton, {}, QPoint(x, 2));
  }

  void stripDragFollowsTheMouseAndEndsAtTheBounds() {
    ProbeSpinControl spin({cpQuickSelect});
    spin.resize(44, spin.height());
    spin.SetMin(-10);
    spin.SetMax(10);
    ShowFocused(spin);
    spin.changes = 0;
    QTest::mousePress(&Strip(spin), Qt::LeftButton, {}, QPoint(20, 2));
    QCOMPARE(spin.GetValue(), 1);
    QCOMPARE(StripBar(spin).width(), 11 * 40 / 20);
    QTest::mouseMove(&Strip(spin), QPoint(-30, 2));
    QCOMPARE(spin.GetValue(), -10);
    QTest::mouseMove(&Strip(spin), QPoint(300, 2));
    QCOMPARE(spin.GetValue(), 10);
    QTest::mouseRelease(&Strip(spin), Qt::LeftButton, {}, QPoint(10, 2));
    QCOMPARE(spin.GetValue(), -4);
    QCOMPARE(spin.changes, 4);
    QTest::mouseMove(&Strip(spin), QPoint(30, 2));
    QCOMPARE(spin.GetValue(), -4);
  }

  void stripPressCommitsPendingEntryFirst() {
    ProbeSpinControl spin({cpQuickSelect});
    spin.resize(44, spin.height());
    ShowFocused(spin);
    spin.changes = 0;
    TypeOver(spin, "9");
    QTest::mousePress(&Strip(spin), Qt::LeftButton, {}, QPoint(0, 2));
    QVERIFY(!Timer(spin).isActive());
    QCOMPARE(spin.GetValue(), 100 * 1 / 40);
    QCOMPARE(spin.changes, 2);
    QTest::mouseRelease(&Strip(spin), Qt::LeftButton, {}, QPoint(0, 2));
  }

  void stripBarIsDrawnInProportion() {
    ProbeSpinControl spin({cpQuickSelect});
    spin.resize(44, spin.height());
    spin.SetValue(50);
    ShowFocused(spin);
    const QImage strip = Strip(spin).grab().toImage();
    const QPalette& colours = spin.palette();
    QCOMPARE(strip.pixelColor(10, 2), colours.color(QPalette::Highlight));
    QCOMPARE(strip.pixelColor(30, 2), colours.color(QPalette::Base));
    QCOMPARE(strip.pixelColor(10, 0), colours.color(QPalette::Button));
  }

  void sliderPopupFollowsTheHeldMouse() {
    ProbeSpinControl spin({cpSlider});
    spin.SetValue(50);
    spin.move(300, 200);
    ShowFocused(spin);
    spin.changes = 0;
    QToolButton& button = SliderButton(spin);
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(6, 8));
    TfrmSliderControl* popup = Popup(spin);
    QVERIFY(popup);
    QVERIFY(popup->isVisible());
    QCOMPARE(popup->size(), QSize(134, 34));
    const QPoint under = button.mapToGlobal(QPoint(button.width() / 2, button.height()));
    QCOMPARE(popup->pos(), QPoint(under.x() - 50 * 112 / 100 - 11, under.y() + 7));

    const QPoint thumbOfValue = button.mapFromGlobal(popup->mapToGlobal(QPoint(11 + 56, 10)));
    QTest::mouseMove(&button, thumbOfValue + QPoint(28, 0));
    QCOMPARE(spin.GetValue(), 100 * 85 / 112);
    QTest::mouseMove(&button, thumbOfValue + QPoint(-500, 0));
    QCOMPARE(spin.GetValue(), 0);
    QCOMPARE(spin.changes, 2);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QVERIFY(!Popup(spin));
    QCOMPARE(spin.GetValue(), 0);
  }

  void sliderPopupTakesTheTrackBarWidth() {
    ProbeSpinControl spin({cpSlider});
    spin.SetTrackBarWidth(10);
    ShowFocused(spin);
    QTest::mousePress(&SliderButton(spin), Qt::LeftButton);
    QVERIFY(Popup(spin));
    QCOMPARE(Popup(spin)->width(), 54);
    QTest::mouseRelease(&SliderButton(spin), Qt::LeftButton);
  }

  void sliderPopupGoesWhenTheFocusLeaves() {
    QWidget form;
    QLineEdit other(&form);
    ProbeSpinControl* spin = new ProbeSpinControl({cpSlider});
    spin->setParent(&form);
    spin->move(0, 40);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    other.setFocus();
    QTest::mousePress(&SliderButton(*spin), Qt::LeftButton);
    QVERIFY(spin->hasFocus());
    QVERIFY(Popup(*spin));
    other.setFocus();
    QVERIFY(!Popup(*spin));
    QTest::mouseRelease(&SliderButton(*spin), Qt::LeftButton);
  }

  void focusEntrySelectsAllUnlessMouseIsDown() {
    QWidget form;
    QLineEdit other(&form);
    ProbeSpinControl* spin = new ProbeSpinControl;
    spin->setParent(&form);
    spin->move(0, 40);
    spin->SetValue(42);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    other.setFocus();
    spin->setFocus();
    QCOMPARE(spin->selectedText(), QString("42"));
    other.setFocus();
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(3, 5));
    QVERIFY(spin->hasFocus());
    QCOMPARE(spin->selectedText(), QString());
  }

  void editingShortcutsAreNotRefused() {
    ProbeSpinControl spin;
    spin.SetValue(42);
    ShowFocused(spin);
    spin.deselect();
    QTest::keyClick(&spin, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(spin.selectedText(), QString("42"));
    QCOMPARE(spin.beeps, 0);
  }

  void onChangeOnlyForTakeOvers() {
    ProbeSpinControl spin({cpUpDown});
    ShowFocused(spin);
    spin.changes = 0;
    TypeOver(spin, "12");
    QTest::keyClick(&spin, Qt::Key_Backspace);
    QCOMPARE(spin.changes, 0);
    TickToCommit(spin);
    QCOMPARE(spin.changes, 1);
    spin.SetValue(1);
    QCOMPARE(spin.changes, 1);
    spin.SetValue(2);
    QCOMPARE(spin.changes, 2);
  }
};

QTEST_MAIN(SpinControlTest)
#include "spin_control_test.moc"
