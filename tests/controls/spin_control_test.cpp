#include "controls/spin_control.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <limits>
#include <memory>

#include "controls/slider_control.h"
#include "screenshot.h"

using namespace trv;

namespace {

// Counts the beeps of refused characters and the OnChange calls.
class ProbeSpinControl : public TSpinControl {
 public:
  int beeps = 0;
  int changes = 0;

  explicit ProbeSpinControl(TControlPartSet options = {}, QWidget* parent = nullptr)
      : TSpinControl(parent) {
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
QWidget& Strip(const TSpinControl& spin) {
  return Part<QFrame>(spin, "QuickSelectStrip");
}
QWidget& UpDown(const TSpinControl& spin) {
  return Part<QWidget>(spin, "UpDownButtons");
}
QWidget& Slider(const TSpinControl& spin) {
  return Part<QToolButton>(spin, "SliderButton");
}
TfrmSliderControl* Popup(const TSpinControl& spin) {
  return spin.findChild<TfrmSliderControl*>("frmSliderControl");
}

// Both stages of the debounce timer, as its ticks run them.
void TickToCommit(TSpinControl& spin) {
  spin.TimerEvent(Timer(spin));
  spin.TimerEvent(Timer(spin));
}

void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window)) qFatal("window not active");
}

// A shown, focused control with its range and value set and no change counted yet.
std::unique_ptr<ProbeSpinControl> Shown(TControlPartSet options, int min, int max, int value) {
  auto spin = std::make_unique<ProbeSpinControl>(options);
  spin->SetMin(min);
  spin->SetMax(max);
  spin->SetValue(value);
  ShowActive(*spin);
  spin->changes = 0;
  return spin;
}

void TypeOver(TSpinControl& spin, const char* keys) {
  spin.setFocus();
  spin.selectAll();
  QTest::keyClicks(&spin, keys);
}

}  // namespace

class SpinControlTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void constructionShowsZeroAndOptionsResizeByEachPart() {
    ProbeSpinControl spin;
    QCOMPARE(spin.text(), QString("0"));
    QCOMPARE(spin.width(), 65 - 2 * 12);
    QVERIFY(Strip(spin).isHidden() && UpDown(spin).isHidden() && Slider(spin).isHidden());
    const QSize bare = spin.size();
    spin.SetControlOptions({cpUpDown});
    QCOMPARE(spin.size(), bare + QSize(12, 0));
    QVERIFY(!UpDown(spin).isHidden() && Slider(spin).isHidden() && Strip(spin).isHidden());
    spin.SetControlOptions({cpQuickSelect, cpSlider});
    QCOMPARE(spin.size(), bare + QSize(12, 4));
    QCOMPARE(spin.ControlOptions().Bits(), 0b101);
    QCOMPARE(spin.changes, 0);
  }

  void layoutKeepsPartsInsideTheEdgeAndTheTextClearOfThem() {
    ProbeSpinControl spin({cpQuickSelect, cpUpDown, cpSlider});
    spin.show();
    spin.resize(100, 30);
    QCOMPARE(Slider(spin).geometry(), QRect(86, 2, 12, 22));
    QCOMPARE(UpDown(spin).geometry(), QRect(74, 2, 12, 22));
    QCOMPARE(Strip(spin).geometry(), QRect(2, 24, 96, 4));
    QCOMPARE(spin.EditRect(), QRect(0, 0, 70, 23));
    spin.resize(100, 3);
    QCOMPARE(spin.height(), spin.GetMinHeight());
  }

  void fullTextRefusesDigitUntilSelectedThenTakesItOverLater() {
    auto spin = Shown({}, 2, 120, 120);
    spin->end(false);
    QTest::keyClick(spin.get(), '5');
    QCOMPARE(spin->text(), QString("120"));
    QCOMPARE(spin->beeps, 1);
    QElapsedTimer clock;
    clock.start();
    TypeOver(*spin, "5");
    QCOMPARE(spin->text(), QString("5"));
    QCOMPARE(spin->GetValue(), 120);
    QTRY_COMPARE_WITH_TIMEOUT(spin->GetValue(), 5, 5000);
    QVERIFY(clock.elapsed() >= 1400);
    QCOMPARE(spin->changes, 1);
  }

  void typedEntryIsTakenOverOnlyAfterBothStages() {
    auto spin = Shown({}, 2, 120, 2);
    TypeOver(*spin, "15");
    spin->TimerEvent(Timer(*spin));
    QCOMPARE(Timer(*spin).interval(), 1400);
    QTest::keyClick(spin.get(), '0');
    QCOMPARE(Timer(*spin).interval(), 100);
    spin->TimerEvent(Timer(*spin));
    QCOMPARE(spin->changes, 0);
    spin->TimerEvent(Timer(*spin));
    QCOMPARE(spin->text(), QString("120"));
    QCOMPARE(spin->changes, 1);
  }

  void erasedTextBecomesMinWithCaretAtEnd() {
    auto spin = Shown({}, 3, 100, 50);
    spin->end(false);
    QTest::keyClick(spin.get(), Qt::Key_Backspace);
    QTest::keyClick(spin.get(), Qt::Key_Backspace);
    QCOMPARE(spin->text(), QString());
    TickToCommit(*spin);
    QCOMPARE(spin->text(), QString("3"));
    QCOMPARE(spin->cursorPosition(), 1);
    spin->SetValue(42);
    spin->changes = 0;
    spin->selectAll();
    spin->cut();
    QCOMPARE(spin->text(), QString("3"));
    QCOMPARE(spin->changes, 1);
  }

  void stepsStartFromTheValueTakenOver() {
    auto spin = Shown({}, 0, 100, 5);
    spin->SetIncrement(3);
    TypeOver(*spin, "7");
    QTest::keyClick(spin.get(), '+');
    QCOMPARE(spin->text(), QString("8"));
    QVERIFY(!Timer(*spin).isActive());
    QCOMPARE(spin->changes, 1);
    QTest::keyClick(spin.get(), '-');
    QTest::keyClick(spin.get(), Qt::Key_Down);
    QCOMPARE(spin->GetValue(), 2);
    QCOMPARE(spin->beeps, 0);
  }

  void refusedCharacterCommitsPendingEntry_data() {
    QTest::addColumn<char>("character");
    for (char character : {'a', '%', '.', ' '}) QTest::addRow("'%c'", character) << character;
  }

  void refusedCharacterCommitsPendingEntry() {
    QFETCH(char, character);
    auto spin = Shown({}, 0, 100, 0);
    TypeOver(*spin, "64");
    QTest::keyClick(spin.get(), character);
    QCOMPARE(spin->beeps, 1);
    QCOMPARE(spin->text(), QString("64"));
    QCOMPARE(spin->GetValue(), 64);
    QCOMPARE(spin->changes, 1);
  }

  void editingShortcutsAreNotRefused() {
    auto spin = Shown({}, 0, 100, 0);
    spin->deselect();
    QTest::keyClick(spin.get(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(spin->selectedText(), QString("0"));
    QCOMPARE(spin->beeps, 0);
  }

  // Chords other than Ctrl and Ctrl+Shift still type their text into the edit box.
  void keysTypingTextUnderModifiersAreFiltered_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("beeps");
    QTest::newRow("Meta+A") << int(Qt::Key_A) << "a" << Qt::KeyboardModifiers(Qt::MetaModifier)
                            << "42" << 42 << 1;
    QTest::newRow("AltGr as Ctrl+Alt")
        << int(Qt::Key_Q) << "@" << (Qt::ControlModifier | Qt::AltModifier) << "42" << 42 << 1;
    QTest::newRow("zero-width non-joiner")
        << int(Qt::Key_Space) << QString(QChar(0x200C)) << Qt::KeyboardModifiers(Qt::ShiftModifier)
        << "42" << 42 << 1;
    QTest::newRow("Ctrl+keypad plus")
        << int(Qt::Key_Plus) << "+" << (Qt::ControlModifier | Qt::KeypadModifier) << "43" << 43
        << 0;
    QTest::newRow("Ctrl+keypad digit, pending")
        << int(Qt::Key_7) << "7" << (Qt::ControlModifier | Qt::KeypadModifier) << "427" << 42 << 0;
  }

  void keysTypingTextUnderModifiersAreFiltered() {
    QFETCH(int, key);
    QFETCH(QString, typed);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, shown);
    QFETCH(int, value);
    QFETCH(int, beeps);
    auto spin = Shown({}, 0, 500, 42);
    spin->end(false);
    QTest::sendKeyEvent(QTest::Click, spin.get(), Qt::Key(key), typed, modifiers);
    QCOMPARE(spin->text(), shown);
    QCOMPARE(spin->beeps, beeps);
    QCOMPARE(spin->GetValue(), value);
  }

  void upDownButtonsStepWithinBounds() {
    auto spin = Shown({cpUpDown}, -5, 5, 0);
    spin->SetIncrement(4);
    auto* up = UpDown(*spin).findChildren<QToolButton*>().value(0);
    QCOMPARE(up->arrowType(), Qt::UpArrow);
    for (int click = 0; click < 3; ++click) QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(spin->text(), QString("5"));
    QCOMPARE(spin->changes, 2);
  }

  void boundsCrossAndKeepSixteenBits() {
    ProbeSpinControl spin;
    spin.SetMin(10);
    spin.SetMax(5);
    QCOMPARE(std::pair(spin.GetMin(), spin.GetMax()), std::pair(5, 5));
    spin.SetMin(30);
    QCOMPARE(std::pair(spin.GetMin(), spin.GetMax()), std::pair(30, 30));
    QCOMPARE(spin.text(), QString("30"));
    spin.SetMax(70000);
    QCOMPARE(spin.GetMax(), 70000 - 65536);
  }

  void stepsAndTypedEntriesSaturateInsteadOfWrapping() {
    auto spin = Shown({}, 0, 32767, 32767);
    QTest::keyClick(spin.get(), '+');
    QCOMPARE(spin->GetValue(), 32767);
    spin->SetIncrement(std::numeric_limits<int>::max());
    QTest::keyClick(spin.get(), '-');
    QCOMPARE(spin->GetValue(), 0);
    TypeOver(*spin, "40000");
    TickToCommit(*spin);
    QCOMPARE(spin->GetValue(), 32767);
  }

  void trackBarWidthIsKeptWithinLimitsAndSizesThePopup() {
    auto spin = Shown({cpSlider}, 0, 100, 0);
    spin->SetTrackBarWidth(5000);
    QCOMPARE(spin->TrackBarWidth(), 2000);
    spin->SetTrackBarWidth(10);
    QCOMPARE(spin->TrackBarWidth(), 50);
    QTest::mousePress(&Slider(*spin), Qt::LeftButton);
    QCOMPARE(Popup(*spin)->width(), 54);
    QTest::mouseRelease(&Slider(*spin), Qt::LeftButton);
    QVERIFY(!Popup(*spin));
  }

  void singleValueRangeDisablesSliderAndStrip() {
    auto spin = Shown({cpQuickSelect, cpSlider}, 4, 4, 4);
    spin->SetEnabled(false);
    spin->SetEnabled(true);
    QVERIFY(!Slider(*spin).isEnabled());
    QCOMPARE(Part<QWidget>(*spin, "StripBar").width(), 0);
    QTest::mousePress(&Slider(*spin), Qt::LeftButton);
    QVERIFY(!Popup(*spin));
    QTest::mouseRelease(&Slider(*spin), Qt::LeftButton);
    QTest::mouseClick(&Strip(*spin), Qt::LeftButton, {}, QPoint(30, 2));
    QCOMPARE(spin->changes, 0);
  }

  void stripSetsValueByPosition_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("value");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("37") << 37 << 10;
    QTest::newRow("left of the strip") << -30 << 0;
    QTest::newRow("beyond the strip") << 300 << 10;
  }

  void stripSetsValueByPosition() {
    QFETCH(int, x);
    QFETCH(int, value);
    auto spin = Shown({cpQuickSelect}, 0, 10, 0);
    spin->resize(44, spin->height());
    QCOMPARE(Strip(*spin).width(), 40);
    QTest::mousePress(&Strip(*spin), Qt::LeftButton, {}, QPoint(20, 2));
    QTest::mouseMove(&Strip(*spin), QPoint(x, 2));
    QCOMPARE(spin->GetValue(), value);
    QTest::mouseRelease(&Strip(*spin), Qt::LeftButton, {}, QPoint(20, 2));
    QTest::mouseMove(&Strip(*spin), QPoint(x, 2));
    QCOMPARE(spin->GetValue(), 5);
  }

  void stripBarIsDrawnInProportion() {
    auto spin = Shown({cpQuickSelect}, 0, 100, 50);
    spin->resize(44, spin->height());
    const QImage strip = Strip(*spin).grab().toImage();
    QCOMPARE(strip.pixelColor(18, 2), spin->palette().color(QPalette::Highlight));
    QCOMPARE(strip.pixelColor(22, 2), spin->palette().color(QPalette::Base));
  }

  void sliderPopupFollowsTheHeldMouseUntilReleaseOrFocusLoss() {
    QWidget form;
    QLineEdit other(&form);
    auto* spin = new ProbeSpinControl({cpSlider}, &form);
    spin->move(200, 100);
    spin->SetValue(50);
    ShowActive(form);
    QWidget& button = Slider(*spin);
    QTest::mousePress(&button, Qt::LeftButton);
    QVERIFY(spin->hasFocus() && Popup(*spin)->isVisible());
    const QPoint under = button.mapToGlobal(QPoint(button.width() / 2, button.height()));
    QCOMPARE(Popup(*spin)->pos(), QPoint(under.x() - 50 * 112 / 100 - 11, under.y() + 7));
    QTest::mouseMove(&button, button.mapFromGlobal(under + QPoint(28, 20)));
    QCOMPARE(spin->GetValue(), 100 * (56 + 28 + 1) / 112);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QVERIFY(!Popup(*spin));

    QTest::mousePress(&button, Qt::LeftButton);
    other.setFocus();
    QVERIFY(!Popup(*spin));
    QTest::mouseRelease(&button, Qt::LeftButton);
  }

  void focusEntrySelectsAllUnlessMouseIsDown() {
    QWidget form;
    QLineEdit other(&form);
    auto* spin = new ProbeSpinControl({}, &form);
    spin->move(0, 40);
    spin->SetValue(12);
    spin->setFocus();
    ShowActive(form);
    QCOMPARE(spin->selectedText(), QString("12"));
    other.setFocus();
    spin->setFocus();
    QCOMPARE(spin->selectedText(), QString("12"));
    other.setFocus();
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(3, 5));
    QVERIFY(spin->hasFocus() && !spin->hasSelectedText());

    QMenu menu;
    menu.addAction("Copy");
    menu.popup(form.mapToGlobal(QPoint(5, 5)));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    menu.close();
    QVERIFY(spin->hasFocus() && !spin->hasSelectedText());
    QWidget elsewhere;
    ShowActive(elsewhere);
    ShowActive(form);
    QVERIFY(spin->hasFocus() && !spin->hasSelectedText());
  }

  // A few spin controls, one with its slider popup held open.
  void screenshot() {
    if (!trv::test::ScreenshotsWanted()) QSKIP("TRV_SCREENSHOT_DIR names no directory");
    QWidget form;
    form.resize(330, 150);
    const auto addSpin = [&form](const char* caption, int y, TControlPartSet options, int value) {
      (new QLabel(caption, &form))->setGeometry(10, y, 130, 22);
      auto* spin = new ProbeSpinControl(options, &form);
      spin->move(150, y);
      spin->SetValue(value);
      return spin;
    };
    addSpin("Up/down buttons", 10, {cpUpDown}, 42);
    addSpin("Quick-select strip", 40, {cpQuickSelect}, 65)->resize(100, 26);
    addSpin("All three parts", 70, {cpQuickSelect, cpUpDown, cpSlider}, 30);
    ProbeSpinControl* held = addSpin("Slider, held", 100, {cpSlider}, 70);
    ShowActive(form);
    QTest::mousePress(&Slider(*held), Qt::LeftButton);
    QImage picture(form.width(), 190, QImage::Format_RGB32);
    picture.fill(form.palette().color(QPalette::Window));
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, form.grab());
    painter.drawPixmap(form.mapFromGlobal(Popup(*held)->pos()), Popup(*held)->grab());
    painter.end();
    QTest::mouseRelease(&Slider(*held), Qt::LeftButton);
    QVERIFY(trv::test::SaveScreenshot(picture, "spin-controls"));
  }
};

QTEST_MAIN(SpinControlTest)
#include "spin_control_test.moc"
